#include "locale/format_compatibility.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace wl {
namespace {

enum class Conversion { Text, NarrowText, Decimal, LongDecimal, Hex };

struct Conversions {
    std::vector<Conversion> takingArguments;
    bool allKnown = true;
};

// Reads the conversions exactly as the formatter does, so both agree on what a format asks for.
Conversions ConversionsOf(std::u16string_view format) {
    struct Spelling {
        std::u16string_view text;
        std::optional<Conversion> conversion;
    };
    static constexpr std::array<Spelling, 6> kSpellings{{
        {u"%%", std::nullopt},
        {u"%s", Conversion::Text},
        {u"%hS", Conversion::NarrowText},
        {u"%d", Conversion::Decimal},
        {u"%lld", Conversion::LongDecimal},
        {u"%X", Conversion::Hex},
    }};
    Conversions result;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') {
            continue;
        }
        const std::u16string_view rest = format.substr(i);
        const auto known =
            std::find_if(kSpellings.begin(), kSpellings.end(),
                         [&](const Spelling& s) { return rest.starts_with(s.text); });
        if (known == kSpellings.end()) {
            result.allKnown = false;
            continue;
        }
        if (known->conversion) {
            result.takingArguments.push_back(*known->conversion);
        }
        i += known->text.size() - 1;
    }
    return result;
}

}  // namespace

bool IsCompatibleFormat(std::u16string_view translation, std::u16string_view builtIn) {
    const auto percentCount = [](std::u16string_view text) {
        return std::count(text.begin(), text.end(), u'%');
    };
    if (percentCount(translation) != percentCount(builtIn)) {
        return false;
    }
    const Conversions translated = ConversionsOf(translation);
    return translated.allKnown &&
           translated.takingArguments == ConversionsOf(builtIn).takingArguments;
}

}  // namespace wl
