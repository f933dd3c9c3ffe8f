// Hand-written: see profile_text.cpp for why no library does this.

#include "locale/letter_case.h"
#include "locale/profile.h"
#include "locale/profile_text.h"

namespace wl {
namespace {

// New lines follow the file's own line ends; a new file gets Linux line ends.
std::u16string LineEndOf(const ProfileText& text) {
    for (const ProfileLine& line : text.lines) {
        if (!line.lineEnd.empty()) {
            return line.lineEnd;
        }
    }
    return u"\n";
}

std::u16string KeyLineText(std::u16string_view key, std::u16string_view value) {
    std::u16string line(key);
    line += u'=';
    line += value;
    return line;
}

// A line break, or a character that ends a name early, would make the written line read back as
// something else (another key, another section).
bool CanBeWritten(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    const auto breaksLine = [](std::u16string_view text) {
        return text.find_first_of(u"\r\n") != std::u16string_view::npos;
    };
    return !breaksLine(section) && !breaksLine(key) && !breaksLine(value) &&
           section.find(u']') == std::u16string_view::npos &&
           key.find(u'=') == std::u16string_view::npos && !TrimBlanks(key).empty() &&
           !TrimBlanks(key).starts_with(u'[');
}

}  // namespace

bool WriteProfileString(const std::filesystem::path& file, std::u16string_view section,
                        std::u16string_view key, std::u16string_view value) {
    if (!CanBeWritten(section, key, value)) {
        return false;
    }
    std::optional<ProfileText> text = LoadProfileText(file);
    if (!text) {
        return false;
    }
    const std::u16string lineEnd = LineEndOf(*text);
    std::vector<ProfileLine>& lines = text->lines;
    // A last line without a line end gets one before anything is added after it.
    const auto addLine = [&](size_t position, std::u16string line) {
        if (position > 0 && lines[position - 1].lineEnd.empty()) {
            lines[position - 1].lineEnd = lineEnd;
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(position),
                     ProfileLine{std::move(line), lineEnd});
    };

    size_t sectionStart = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionNameOf(lines[i].text);
            name && EqualsIgnoringCase(*name, section)) {
            sectionStart = i;
            break;
        }
    }
    if (sectionStart == lines.size()) {
        std::u16string header = u"[";
        header += section;
        header += u']';
        addLine(lines.size(), std::move(header));
        addLine(lines.size(), KeyLineText(key, value));
        return StoreProfileText(file, *text);
    }

    // Inside the section: replace the key's line, else add after the section's last non-empty line.
    size_t insertAt = sectionStart + 1;
    for (size_t i = sectionStart + 1; i < lines.size() && !SectionNameOf(lines[i].text); ++i) {
        if (const auto keyLine = KeyLineOf(lines[i].text);
            keyLine && EqualsIgnoringCase(keyLine->key, key)) {
            lines[i].text = KeyLineText(key, value);
            return StoreProfileText(file, *text);
        }
        if (!TrimBlanks(lines[i].text).empty()) {
            insertAt = i + 1;
        }
    }
    addLine(insertAt, KeyLineText(key, value));
    return StoreProfileText(file, *text);
}

}  // namespace wl
