#include "locale/language_list.h"

#include <algorithm>

#include "common/utf16.h"
#include "fs/file_ops.h"
#include "locale/profile.h"

namespace wl {
namespace {

constexpr std::u16string_view kSection = u"Language";
constexpr std::u16string_view kKey = u"ThisLang";
// The mask matched ".lng" in any letter case, so this many characters end every listed name.
constexpr size_t kExtensionLength = 4;

struct LanguageFile {
    std::filesystem::path path;
    std::u16string fileName;
};

std::vector<LanguageFile> ListLanguageFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> names;
    ListFiles(folder, "*.lng", names);
    std::sort(names.begin(), names.end(),
              [](const auto& a, const auto& b) { return a.native() < b.native(); });
    std::vector<LanguageFile> files;
    for (const std::filesystem::path& name : names) {
        // A name that is not UTF-8 could not be stored in the settings file and found again.
        if (auto fileName = PathToUtf16Exact(name)) {
            files.push_back({folder / name, std::move(*fileName)});
        }
    }
    return files;
}

}  // namespace

std::vector<LanguageEntry> ListLanguagesForDialog(const std::filesystem::path& folder) {
    std::vector<LanguageEntry> entries;
    for (LanguageFile& file : ListLanguageFiles(folder)) {
        const std::u16string fallback =
            file.fileName.substr(0, file.fileName.size() - kExtensionLength);
        std::u16string displayName;
        ReadProfileString(file.path, kSection, kKey, fallback, displayName);
        entries.push_back({std::move(displayName), std::move(file.path), std::move(file.fileName)});
    }
    return entries;
}

std::vector<LanguageEntry> ListLanguagesForMenu(const std::filesystem::path& folder) {
    std::vector<LanguageEntry> entries;
    for (LanguageFile& file : ListLanguageFiles(folder)) {
        std::u16string displayName;
        if (ReadProfileString(file.path, kSection, kKey, u"", displayName)) {
            entries.push_back(
                {std::move(displayName), std::move(file.path), std::move(file.fileName)});
        }
    }
    return entries;
}

}  // namespace wl
