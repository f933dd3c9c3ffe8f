#include "locale/program_folder.h"

#include <system_error>
#include <vector>

#include "fs/file_ops.h"

namespace wl {
namespace {

bool HoldsLanguageFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> names;
    return !folder.empty() && ListFiles(folder, "*.lng", names) && !names.empty();
}

}  // namespace

std::filesystem::path GetProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

std::filesystem::path GetInstalledDataFolder() {
    return std::filesystem::path(WAYLOAD_INSTALL_PREFIX) / "share" / "wayload";
}

std::filesystem::path FindLanguageFolder(const std::filesystem::path& programFolder,
                                         const std::filesystem::path& installedDataFolder) {
    const std::filesystem::path besideProgram =
        programFolder.empty() ? std::filesystem::path()
                              : (programFolder / ".." / "share" / "wayload").lexically_normal();
    for (const std::filesystem::path& folder :
         {programFolder, besideProgram, installedDataFolder}) {
        if (HoldsLanguageFiles(folder)) {
            return folder;
        }
    }
    return programFolder;
}

std::filesystem::path FindLanguageFolder() {
    return FindLanguageFolder(GetProgramFolder(), GetInstalledDataFolder());
}

}  // namespace wl
