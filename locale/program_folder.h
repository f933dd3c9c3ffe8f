#pragma once
// Where the program and its language files are.

#include <filesystem>
#include <string_view>

namespace wl {

// The folder of the running program (of /proc/self/exe); empty when it cannot be read.
std::filesystem::path GetProgramFolder();

// PREFIX/share/wayload of the prefix the program was built for.
std::filesystem::path GetInstalledDataFolder();

// The folder the language files are listed from, the first of these that holds at least one
// "*.lng" file: the program folder (a build tree or a portable install); the data folder beside
// it, PROGRAM/../share/wayload (an install under any prefix, also moved or unpacked elsewhere);
// the data folder of the prefix the program was built for. Else the program folder, which then
// lists nothing.
std::filesystem::path FindLanguageFolder(const std::filesystem::path& programFolder,
                                         const std::filesystem::path& installedDataFolder);
std::filesystem::path FindLanguageFolder();

}  // namespace wl
