// Splitting of paths into their parts and of texts into pieces.

#include <filesystem>
#include <string>

#include "common/utf16.h"
#include "fs/file_ops.h"

namespace wl {
namespace {

constexpr std::u16string_view kBlanks = u" \t";

std::u16string_view TrimBoth(std::u16string_view text, std::u16string_view characters) {
    const size_t first = text.find_first_not_of(characters);
    if (first == std::u16string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}

}  // namespace

bool SplitPath(const std::filesystem::path& path, std::filesystem::path& folder,
               std::u16string& name, std::u16string& extension) {
    folder.clear();
    name.clear();
    extension.clear();
    const std::string& text = path.native();
    if (text.empty()) {
        return false;
    }
    const size_t lastSeparator = text.rfind('/');
    const size_t nameStart = lastSeparator == std::string::npos ? 0 : lastSeparator + 1;
    // The last component as std::filesystem sees it: ".profile" is a name without extension.
    const std::filesystem::path last = text.substr(nameStart);
    auto stem = PathToUtf16Exact(last.stem());
    auto dotted = PathToUtf16Exact(last.extension());
    // A name that is no exact text would come back altered; better no split than a wrong one.
    if (!stem || !dotted) {
        return false;
    }
    folder = text.substr(0, nameStart);
    name = std::move(*stem);
    extension = std::move(*dotted);
    return true;
}

bool SplitTokens(std::u16string_view text, std::u16string_view separators,
                 std::vector<std::u16string>& pieces) {
    if (text.empty()) {
        return false;
    }
    pieces.clear();
    std::u16string_view rest = TrimBoth(TrimBoth(text, separators), kBlanks);
    while (!rest.empty()) {
        const size_t separator = rest.find_first_of(separators);
        // A separator at the very front does not end a piece: the piece is then all that is left.
        const size_t pieceLength = (separator == std::u16string_view::npos || separator == 0)
                                       ? rest.size()
                                       : separator + 1;
        const std::u16string_view piece = rest.substr(0, pieceLength);
        rest.remove_prefix(pieceLength);
        pieces.emplace_back(TrimBoth(TrimBoth(TrimBoth(piece, kBlanks), separators), kBlanks));
    }
    return true;
}

}  // namespace wl
