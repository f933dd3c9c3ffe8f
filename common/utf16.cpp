#include "common/utf16.h"

namespace wl {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at `pos`; returns false for an ill-formed sequence and advances past
// the bytes that belong to it (at least one).
bool DecodeUtf8(std::string_view s, size_t& pos, char32_t& out) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        out = lead;
        ++pos;
        return true;
    }
    size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        return false;
    }
    size_t i = 1;
    for (; i < length; ++i) {
        if (pos + i >= s.size() || (byte(pos + i) & 0xC0) != 0x80) {
            pos += i;
            return false;
        }
        value = (value << 6) | (byte(pos + i) & 0x3F);
    }
    pos += length;
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return false;
    }
    out = value;
    return true;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Returns false when a lone surrogate was met (it is replaced).
bool ToUtf8(std::u16string_view s, std::string& out) {
    bool exact = true;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t unit = s[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (s[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            exact = false;
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return exact;
}

bool ToUtf16(std::string_view s, std::u16string& out) {
    bool exact = true;
    out.reserve(s.size());
    size_t pos = 0;
    while (pos < s.size()) {
        char32_t cp = 0;
        if (DecodeUtf8(s, pos, cp)) {
            AppendUtf16(out, cp);
        } else {
            exact = false;
            AppendUtf16(out, kReplacement);
        }
    }
    return exact;
}

}  // namespace

std::optional<std::u16string> Utf8ToUtf16Exact(std::string_view utf8) {
    std::u16string out;
    if (!ToUtf16(utf8, out)) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> Utf16ToUtf8Exact(std::u16string_view utf16) {
    std::string out;
    if (!ToUtf8(utf16, out)) {
        return std::nullopt;
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    ToUtf16(utf8, out);
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    ToUtf8(utf16, out);
    return out;
}

std::u16string AsciiToUtf16(std::string_view ascii) {
    std::u16string out;
    out.reserve(ascii.size());
    for (char c : ascii) {
        out.push_back(static_cast<unsigned char>(c));
    }
    return out;
}

std::u16string PathToUtf16(const std::filesystem::path& path) {
    return Utf8ToUtf16(path.native());
}

std::optional<std::u16string> PathToUtf16Exact(const std::filesystem::path& path) {
    return Utf8ToUtf16Exact(path.native());
}

std::optional<std::filesystem::path> Utf16ToPath(std::u16string_view text) {
    auto bytes = Utf16ToUtf8Exact(text);
    if (!bytes) {
        return std::nullopt;
    }
    return std::filesystem::path(std::move(*bytes));
}

}  // namespace wl
