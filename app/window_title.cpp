#include "app/window_title.h"

#include "common/format.h"
#include "platform/program_version.h"

namespace wl {

std::u16string WindowTitle(std::u16string_view appTitle,
                           const std::optional<ProgramVersion>& version) {
    if (!version) {
        return std::u16string(appTitle);
    }
    if (version->third != 0) {
        return Format("%s v%d.%d.%d", {appTitle, version->major, version->minor, version->third});
    }
    return Format("%s v%d.%d", {appTitle, version->major, version->minor});
}

ProgramVersion BuiltProgramVersion() {
    return {kProgramVersionMajor, kProgramVersionMinor, kProgramVersionPatch};
}

}  // namespace wl
