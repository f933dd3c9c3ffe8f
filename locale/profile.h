#pragma once
// Reading and writing profile (INI) files with the semantics of the Windows profile functions:
// section and key names ignore letter case, values are trimmed and lose one pair of enclosing
// quotes, at most 511 characters are read, and a write keeps the rest of the file as it was.
// Files are UTF-8 (a BOM is accepted) or UTF-16LE with a BOM; a write keeps the file's encoding.

#include <filesystem>
#include <string>
#include <string_view>

namespace wl {

// The longest value a reader hands back; longer values are cut.
inline constexpr size_t kLongestProfileValue = 511;

// The value of the key, or `defaultText` when the file, the section or the key is missing (also
// cut to the longest value).
std::u16string GetProfileString(const std::filesystem::path& file, std::u16string_view section,
                                std::u16string_view key, std::u16string_view defaultText);

// The one reader the program uses: true with the value when it is not empty; false with
// `defaultText` when the value is empty or missing.
bool ReadProfileString(const std::filesystem::path& file, std::u16string_view section,
                       std::u16string_view key, std::u16string_view defaultText,
                       std::u16string& text);

// Sets the key: its line is replaced in place, or a line is added at the end of its section, or
// the section is added at the end of the file, which is created when missing. False when the
// file could not be read or written; an unreadable file is never replaced. Names and values that
// would not read back as written (a line break, "]" in the section, "=" in the key, an empty key)
// are refused.
bool WriteProfileString(const std::filesystem::path& file, std::u16string_view section,
                        std::u16string_view key, std::u16string_view value);

}  // namespace wl
