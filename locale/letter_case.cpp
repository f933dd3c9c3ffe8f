#include "locale/letter_case.h"

namespace wl {
namespace {

char16_t FoldCase(char16_t c) {
    const bool asciiUpper = c >= u'A' && c <= u'Z';
    // U+00C0..U+00DE are Latin-1 capitals, except U+00D7 (multiplication sign).
    const bool latinUpper = c >= 0xC0 && c <= 0xDE && c != 0xD7;
    return (asciiUpper || latinUpper) ? static_cast<char16_t>(c + 0x20) : c;
}

}  // namespace

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace wl
