#pragma once
// The language the program shows. One language file fills every section of translatable texts
// and names its locale, which the window system's own texts and formats follow.

#include <filesystem>
#include <string>
#include <string_view>

namespace wl {

// The locale of the built-in texts, and of a language file that names none.
inline constexpr std::u16string_view kBuiltInLocale = u"en";

// The file's locale: key "Locale" of section "Language", a language code optionally followed by
// "_" and a territory ("de", "de_AT", "pt_BR"), as Qt names its translations. The built-in
// locale when the file, the key or a value of that form is missing.
std::u16string LanguageLocale(const std::filesystem::path& languageFile);

// Fills the string table and the program's own texts from the file, each key that the file
// lacks or whose value is refused with its default, and returns the file's locale. Every
// language is loaded here, so no section is ever left in another language.
std::u16string LoadLanguage(const std::filesystem::path& languageFile);

}  // namespace wl
