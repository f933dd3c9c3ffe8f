#pragma once
// The per-user settings file, which remembers the chosen language file.

#include <filesystem>
#include <string>
#include <string_view>

namespace wl {

// The language file used while no choice is stored.
inline constexpr std::u16string_view kDefaultLanguageFileName = u"eng.lng";

// $XDG_CONFIG_HOME/wayload.ini, else ~/.config/wayload.ini. A value that is unset, empty or
// relative is ignored, as the XDG rules say. Empty when no folder can be had (no home either):
// reading then yields the defaults and writing fails, which is not reported.
std::filesystem::path SettingsFilePath(const char* xdgConfigHome, const char* home);

// The same from the real environment (HOME, else the user's entry in the password database).
std::filesystem::path SettingsFilePath();

// The stored language file name (section "Settings", key "Language"); "eng.lng" when none.
std::u16string GetLanguageFileName(const std::filesystem::path& settingsFile);

// Stores the bare file name of the chosen language file, creating the file (and its folder, with
// the user's umask) when missing. False when it could not be written.
bool SaveLanguageSetting(const std::filesystem::path& settingsFile, std::u16string_view fileName);

}  // namespace wl
