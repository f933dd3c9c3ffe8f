#pragma once
// The one place where UTF-16 texts meet UTF-8 bytes and file-system paths.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace wl {

// Exact conversions: nullopt when the input is not well-formed (invalid UTF-8, a lone surrogate).
std::optional<std::u16string> Utf8ToUtf16Exact(std::string_view utf8);
std::optional<std::string> Utf16ToUtf8Exact(std::u16string_view utf16);

// Display conversions: whatever cannot be converted becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// 8-bit ASCII (protocol words, format literals in code) to UTF-16, byte for code unit.
std::u16string AsciiToUtf16(std::string_view ascii);

// Paths are UTF-8 bytes on disk.
std::u16string PathToUtf16(const std::filesystem::path& path);
std::optional<std::u16string> PathToUtf16Exact(const std::filesystem::path& path);
std::optional<std::filesystem::path> Utf16ToPath(std::u16string_view text);

}  // namespace wl
