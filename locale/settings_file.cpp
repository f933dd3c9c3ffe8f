#include "locale/settings_file.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>
#include <vector>

#include "locale/profile.h"

namespace wl {
namespace {

constexpr std::u16string_view kSection = u"Settings";
constexpr std::u16string_view kKey = u"Language";

bool IsUsableFolder(const char* value) {
    return value != nullptr && value[0] == '/';
}

const char* HomeFromPasswordDatabase(std::vector<char>& buffer) {
    passwd entry{};
    passwd* found = nullptr;
    buffer.resize(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        return nullptr;
    }
    return entry.pw_dir;
}

}  // namespace

std::filesystem::path SettingsFilePath(const char* xdgConfigHome, const char* home) {
    if (IsUsableFolder(xdgConfigHome)) {
        return std::filesystem::path(xdgConfigHome) / "wayload.ini";
    }
    if (IsUsableFolder(home)) {
        return std::filesystem::path(home) / ".config" / "wayload.ini";
    }
    return {};
}

std::filesystem::path SettingsFilePath() {
    const char* home = std::getenv("HOME");
    std::vector<char> buffer;
    if (!IsUsableFolder(home)) {
        home = HomeFromPasswordDatabase(buffer);
    }
    return SettingsFilePath(std::getenv("XDG_CONFIG_HOME"), home);
}

std::u16string GetLanguageFileName(const std::filesystem::path& settingsFile) {
    std::u16string name;
    ReadProfileString(settingsFile, kSection, kKey, kDefaultLanguageFileName, name);
    return name;
}

bool SaveLanguageSetting(const std::filesystem::path& settingsFile, std::u16string_view fileName) {
    if (settingsFile.empty()) {
        return false;
    }
    std::error_code ignored;  // a failure shows in the write that follows
    std::filesystem::create_directories(settingsFile.parent_path(), ignored);
    return WriteProfileString(settingsFile, kSection, kKey, fileName);
}

}  // namespace wl
