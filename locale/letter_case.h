#pragma once
// Names in profile files and string-table keys match without regard to letter case.

#include <string_view>

namespace wl {

// Folds ASCII and Latin-1 letters; other characters must match exactly, which covers every
// section and key name the program uses.
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace wl
