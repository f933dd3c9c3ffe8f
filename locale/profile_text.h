#pragma once
// A profile file as lines of UTF-16 text, with the encoding and line ends it came with, so a
// writer can put back every line it did not change exactly as it was.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wl {

enum class ProfileEncoding { Utf8, Utf8WithBom, Utf16LeWithBom };

struct ProfileLine {
    std::u16string text;     // without its line end
    std::u16string lineEnd;  // "\r\n", "\n" or empty for a last line without one
};

struct ProfileText {
    ProfileEncoding encoding = ProfileEncoding::Utf8;
    std::vector<ProfileLine> lines;
};

// Profile files are small; anything larger is not one and is treated as unreadable.
inline constexpr uintmax_t kLargestProfileFile = 4 * 1024 * 1024;

// Decodes bytes: a UTF-16LE BOM selects UTF-16LE, else UTF-8 (BOM skipped); malformed input
// becomes U+FFFD rather than an error, since a reader only ever wants what it can find.
ProfileText DecodeProfileText(std::string_view bytes);
std::string EncodeProfileText(const ProfileText& text);

// A missing file reads as an empty text; nullopt when a file is there but cannot be read (a
// folder, too large, no permission), so a writer never replaces what it could not read.
std::optional<ProfileText> LoadProfileText(const std::filesystem::path& path);

// Replaces the file as a whole (written beside it and renamed over it).
bool StoreProfileText(const std::filesystem::path& path, const ProfileText& text);

// Blanks around names and values.
std::u16string_view TrimBlanks(std::u16string_view text);

// The name of a section line ("[name]"), or nullopt for any other line.
std::optional<std::u16string_view> SectionNameOf(std::u16string_view line);

// The key and value of a key line ("key=value"), both trimmed, or nullopt for any other line.
struct KeyLine {
    std::u16string_view key;
    std::u16string_view value;
};
std::optional<KeyLine> KeyLineOf(std::u16string_view line);

}  // namespace wl
