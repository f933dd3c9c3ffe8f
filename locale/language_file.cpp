// Filling a string section from a language file.
#include "locale/format_compatibility.h"
#include "locale/profile.h"
#include "locale/string_section.h"

namespace wl {
namespace {

void ReplaceAll(std::u16string& text, std::u16string_view marker, char16_t character) {
    for (size_t at = text.find(marker); at != std::u16string::npos;
         at = text.find(marker, at + 1)) {
        text.replace(at, marker.size(), 1, character);
    }
}

// A value as written in a language file: a leading "##" protects leading blanks (or stands for
// an empty text), "<CR>" and "<LF>" stand for the line-break characters.
std::u16string DecodeLanguageValue(std::u16string raw) {
    if (raw.starts_with(u"##")) {
        raw.erase(0, 2);
    }
    ReplaceAll(raw, u"<CR>", u'\r');
    ReplaceAll(raw, u"<LF>", u'\n');
    return raw;
}

}  // namespace

void CStrSection::LoadFromFile(const std::filesystem::path& path) {
    for (const StringBinding& binding : bindings_) {
        std::u16string raw;
        ReadProfileString(path, sectionName_, binding.key, binding.defaultText, raw);
        std::u16string text = DecodeLanguageValue(std::move(raw));
        *binding.member =
            IsCompatibleFormat(text, binding.defaultText) ? std::move(text) : binding.defaultText;
    }
}

}  // namespace wl
