// Hand-written: no library reads and writes INI files with the Windows profile semantics this
// program's files were made for (letter case ignored, quotes removed, the rest kept on write).
#include "locale/profile_text.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "common/utf16.h"
#include "fs/staged_file.h"

namespace wl {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

std::u16string DecodeUtf16Le(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    // An odd last byte cannot be a character and is dropped.
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto low = static_cast<unsigned char>(bytes[i]);
        const auto high = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<char16_t>(low | (high << 8)));
    }
    return text;
}

std::string EncodeUtf16Le(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::vector<ProfileLine> SplitLines(std::u16string_view text) {
    std::vector<ProfileLine> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t newline = text.find(u'\n', start);
        if (newline == std::u16string_view::npos) {
            lines.push_back({std::u16string(text.substr(start)), u""});
            break;
        }
        const bool crlf = newline > start && text[newline - 1] == u'\r';
        const size_t end = crlf ? newline - 1 : newline;
        lines.push_back({std::u16string(text.substr(start, end - start)), crlf ? u"\r\n" : u"\n"});
        start = newline + 1;
    }
    return lines;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r';
}

}  // namespace

ProfileText DecodeProfileText(std::string_view bytes) {
    ProfileText result;
    std::u16string text;
    if (bytes.starts_with(kUtf16LeBom)) {
        result.encoding = ProfileEncoding::Utf16LeWithBom;
        text = DecodeUtf16Le(bytes.substr(kUtf16LeBom.size()));
    } else if (bytes.starts_with(kUtf8Bom)) {
        result.encoding = ProfileEncoding::Utf8WithBom;
        text = Utf8ToUtf16(bytes.substr(kUtf8Bom.size()));
    } else {
        text = Utf8ToUtf16(bytes);
    }
    result.lines = SplitLines(text);
    return result;
}

std::string EncodeProfileText(const ProfileText& text) {
    std::u16string whole;
    for (const ProfileLine& line : text.lines) {
        whole += line.text;
        whole += line.lineEnd;
    }
    switch (text.encoding) {
        case ProfileEncoding::Utf16LeWithBom:
            return std::string(kUtf16LeBom) + EncodeUtf16Le(whole);
        case ProfileEncoding::Utf8WithBom:
            return std::string(kUtf8Bom) + Utf16ToUtf8(whole);
        case ProfileEncoding::Utf8:
            break;
    }
    return Utf16ToUtf8(whole);
}

std::optional<ProfileText> LoadProfileText(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return ProfileText{};
    }
    if (error || !std::filesystem::is_regular_file(status)) {
        return std::nullopt;
    }
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kLargestProfileFile) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return std::nullopt;
    }
    return DecodeProfileText(bytes);
}

bool StoreProfileText(const std::filesystem::path& path, const ProfileText& text) {
    StagedFile staged(path);
    if (!staged.ok()) {
        return false;
    }
    const std::string bytes = EncodeProfileText(text);
    {
        std::ofstream out(staged.path(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            return false;
        }
    }
    return staged.Commit();
}

std::u16string_view TrimBlanks(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<std::u16string_view> SectionNameOf(std::u16string_view line) {
    line = TrimBlanks(line);
    if (!line.starts_with(u'[')) {
        return std::nullopt;
    }
    line.remove_prefix(1);
    // Like the Windows reader, a missing ']' still opens a section named by the rest.
    const size_t close = line.find(u']');
    return TrimBlanks(line.substr(0, close));
}

std::optional<KeyLine> KeyLineOf(std::u16string_view line) {
    const size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos || SectionNameOf(line)) {
        return std::nullopt;
    }
    return KeyLine{TrimBlanks(line.substr(0, equals)), TrimBlanks(line.substr(equals + 1))};
}

}  // namespace wl
