#pragma once
// The main window's title: the product title and the program's version.

#include <optional>
#include <string>
#include <string_view>

namespace wl {

struct ProgramVersion {
    int major = 1;
    int minor = 0;
    int third = 0;
};

// "%s v%d.%d.%d", or "%s v%d.%d" when the third number is 0; the title alone without a version.
std::u16string WindowTitle(std::u16string_view appTitle,
                           const std::optional<ProgramVersion>& version);

// The version this program was built as.
ProgramVersion BuiltProgramVersion();

}  // namespace wl
