#include "locale/language.h"

#include <cstddef>

#include "locale/profile.h"
#include "locale/program_texts.h"
#include "locale/string_table.h"

namespace wl {
namespace {

constexpr std::u16string_view kSection = u"Language";
constexpr std::u16string_view kKey = u"Locale";

bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsAsciiLetterOrDigit(char16_t c) {
    return IsAsciiLetter(c) || (c >= u'0' && c <= u'9');
}

// Two or three letters, then any number of "_" or "-" each followed by two to eight letters or
// digits: what names a locale, and nothing that could name a path.
bool IsLocaleName(std::u16string_view name) {
    size_t at = 0;
    while (at < name.size() && IsAsciiLetter(name[at])) {
        ++at;
    }
    if (at < 2 || at > 3) {
        return false;
    }
    while (at < name.size()) {
        if (name[at] != u'_' && name[at] != u'-') {
            return false;
        }
        const size_t start = ++at;
        while (at < name.size() && IsAsciiLetterOrDigit(name[at])) {
            ++at;
        }
        if (at - start < 2 || at - start > 8) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::u16string LanguageLocale(const std::filesystem::path& languageFile) {
    std::u16string locale;
    ReadProfileString(languageFile, kSection, kKey, kBuiltInLocale, locale);
    return IsLocaleName(locale) ? locale : std::u16string(kBuiltInLocale);
}

std::u16string LoadLanguage(const std::filesystem::path& languageFile) {
    StringTable().LoadFromFile(languageFile);
    ProgramTextTable().LoadFromFile(languageFile);
    return LanguageLocale(languageFile);
}

}  // namespace wl
