#pragma once
// Where the program and its language files are.

#include <filesystem>
#include <string_view>

namespace wl {

// The folder of the running program (of /proc/self/exe); empty when it cannot be read.
std::filesystem::path GetProgramFolder();

// PREFIX/share/wayload, where an installed program keeps its language files.
std::filesystem::path GetInstalledDataFolder();

// The folder the language files are listed from: the program folder when it holds at least one
// "*.lng" file (a build tree or a portable install), else the installed data folder when that
// does; else the program folder, which then lists nothing.
std::filesystem::path FindLanguageFolder(const std::filesystem::path& programFolder,
                                         const std::filesystem::path& installedDataFolder);
std::filesystem::path FindLanguageFolder();

}  // namespace wl
