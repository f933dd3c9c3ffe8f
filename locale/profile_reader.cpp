// Hand-written: see profile_text.cpp for why no library does this.
#include "locale/letter_case.h"
#include "locale/profile.h"
#include "locale/profile_text.h"

namespace wl {
namespace {

std::u16string_view WithoutEnclosingQuotes(std::u16string_view value) {
    const bool quoted = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
                        value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

std::u16string CutToLongest(std::u16string_view text) {
    return std::u16string(text.substr(0, kLongestProfileValue));
}

}  // namespace

std::u16string GetProfileString(const std::filesystem::path& file, std::u16string_view section,
                                std::u16string_view key, std::u16string_view defaultText) {
    const std::optional<ProfileText> text = LoadProfileText(file);
    if (text) {
        // The first section of the name counts, and in it the first line of the key.
        bool inSection = false;
        bool sectionSeen = false;
        for (const ProfileLine& line : text->lines) {
            if (const auto name = SectionNameOf(line.text)) {
                if (sectionSeen) {
                    break;
                }
                inSection = EqualsIgnoringCase(*name, section);
                sectionSeen = inSection;
                continue;
            }
            if (!inSection) {
                continue;
            }
            if (const auto keyLine = KeyLineOf(line.text);
                keyLine && EqualsIgnoringCase(keyLine->key, key)) {
                return CutToLongest(WithoutEnclosingQuotes(keyLine->value));
            }
        }
    }
    return CutToLongest(defaultText);
}

bool ReadProfileString(const std::filesystem::path& file, std::u16string_view section,
                       std::u16string_view key, std::u16string_view defaultText,
                       std::u16string& text) {
    std::u16string value = GetProfileString(file, section, key, u"");
    if (value.empty()) {
        text = CutToLongest(defaultText);
        return false;
    }
    text = std::move(value);
    return true;
}

}  // namespace wl
