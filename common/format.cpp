#include "common/format.h"

#include <vector>

#include "common/utf16.h"

namespace wl {
namespace {

void AppendAscii(std::u16string& out, std::string_view ascii) {
    for (char c : ascii) {
        out.push_back(static_cast<unsigned char>(c));
    }
}

void AppendDecimal(std::u16string& out, const FormatArg& arg) {
    if (arg.isUnsigned() && arg.wide()) {
        AppendAscii(out, std::to_string(static_cast<uint64_t>(arg.integer())));
    } else {
        AppendAscii(out, std::to_string(arg.integer()));
    }
}

void AppendHex(std::u16string& out, const FormatArg& arg) {
    // Like printf's %X: the argument's own bits, without sign.
    uint64_t value = static_cast<uint64_t>(arg.integer());
    if (!arg.wide()) {
        value &= 0xFFFFFFFFu;
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char buffer[16];
    int n = 0;
    do {
        buffer[n++] = kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    while (n > 0) {
        out.push_back(static_cast<char16_t>(buffer[--n]));
    }
}

}  // namespace

std::u16string Format(std::u16string_view format, std::initializer_list<FormatArg> args) {
    std::u16string out;
    out.reserve(format.size() + 32);
    const FormatArg* next = args.begin();
    const auto take = [&]() -> const FormatArg* { return next != args.end() ? next++ : nullptr; };
    const auto startsWith = [&](size_t pos, std::u16string_view what) {
        return format.substr(pos, what.size()) == what;
    };

    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') {
            out.push_back(format[i]);
            continue;
        }
        if (startsWith(i + 1, u"%")) {
            out.push_back(u'%');
            i += 1;
        } else if (startsWith(i + 1, u"s")) {
            const FormatArg* arg = take();
            if (arg && arg->kind() == FormatArg::Kind::Text) {
                out.append(arg->text());
            }
            i += 1;
        } else if (startsWith(i + 1, u"hS")) {
            const FormatArg* arg = take();
            if (arg && arg->kind() == FormatArg::Kind::NarrowText) {
                AppendAscii(out, arg->narrow());
            }
            i += 2;
        } else if (startsWith(i + 1, u"d") || startsWith(i + 1, u"lld")) {
            const FormatArg* arg = take();
            if (arg && arg->kind() == FormatArg::Kind::Integer) {
                AppendDecimal(out, *arg);
            }
            i += startsWith(i + 1, u"d") ? 1 : 3;
        } else if (startsWith(i + 1, u"X")) {
            const FormatArg* arg = take();
            if (arg && arg->kind() == FormatArg::Kind::Integer) {
                AppendHex(out, *arg);
            }
            i += 1;
        } else {
            out.push_back(u'%');  // not a conversion of ours: copied as it stands
        }
    }
    return out;
}

std::u16string Format(std::string_view asciiFormat, std::initializer_list<FormatArg> args) {
    return Format(std::u16string_view(AsciiToUtf16(asciiFormat)), args);
}

}  // namespace wl
