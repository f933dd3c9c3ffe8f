// Windows-style name masks: * any run, ? one character, ASCII letter case ignored.

#include <string_view>

#include "fs/file_ops.h"

namespace wl {
namespace {

char FoldCase(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// '?' stands for one character, which in UTF-8 may take several bytes.
size_t CharacterLength(std::string_view text, size_t position) {
    size_t end = position + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        ++end;
    }
    return end - position;
}

// Greedy matching that only ever returns to the last star: at most name length times mask length
// steps, never the exponential backtracking of a naive recursive matcher.
bool MatchesStarsAndQuestionMarks(std::string_view name, std::string_view mask) {
    size_t n = 0;
    size_t m = 0;
    size_t afterStar = std::string_view::npos;
    size_t starCovers = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            afterStar = ++m;
            starCovers = n;
        } else if (m < mask.size() && mask[m] == '?') {
            n += CharacterLength(name, n);
            ++m;
        } else if (m < mask.size() && FoldCase(mask[m]) == FoldCase(name[n])) {
            ++n;
            ++m;
        } else if (afterStar != std::string_view::npos) {
            starCovers += CharacterLength(name, starCovers);
            n = starCovers;
            m = afterStar;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') {
        ++m;
    }
    return m == mask.size();
}

}  // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
    if (MatchesStarsAndQuestionMarks(name, mask)) {
        return true;
    }
    // As on Windows, a mask ending in ".*" also takes names without that dot: "*.*" matches every
    // name and "readme.*" matches "readme".
    return mask.ends_with(".*") &&
           MatchesStarsAndQuestionMarks(name, mask.substr(0, mask.size() - 2));
}

}  // namespace wl
