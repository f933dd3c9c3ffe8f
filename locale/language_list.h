#pragma once
// The language files of a folder as the first-start dialog and the main window's menu offer them.

#include <filesystem>
#include <string>
#include <vector>

namespace wl {

struct LanguageEntry {
    std::u16string displayName;  // what the user picks by: the file's "ThisLang"
    std::filesystem::path path;  // the file itself
    std::u16string fileName;     // its bare name, the one the settings file stores
};

// The menu offers a command for each of the first 30 entries; the list itself is not cut.
inline constexpr int kFirstLanguageCommand = 10000;
inline constexpr int kLanguageCommandCount = 30;

// Every language file ("*.lng", files only) sorted by name, so the order does not depend on the
// directory; a file without "ThisLang" shows under its name without ".lng".
std::vector<LanguageEntry> ListLanguagesForDialog(const std::filesystem::path& folder);

// The same files in the same order, leaving out each one without "ThisLang".
std::vector<LanguageEntry> ListLanguagesForMenu(const std::filesystem::path& folder);

}  // namespace wl
