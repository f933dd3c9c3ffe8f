#include "container/tagged_text.h"

#include <limits>

namespace wl {
namespace {

std::u16string OpeningTag(std::u16string_view tag) {
    std::u16string result;
    result.reserve(tag.size() + 2);
    result.append(u"<").append(tag).append(u">");
    return result;
}

std::u16string ClosingTag(std::u16string_view tag) {
    std::u16string result;
    result.reserve(tag.size() + 3);
    result.append(u"</").append(tag).append(u">");
    return result;
}

bool IsWhiteSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

template <typename Int>
Int ParseDecimal(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Accumulate towards the sign's side so that the most negative value is reachable.
    constexpr Int kMax = std::numeric_limits<Int>::max();
    constexpr Int kMin = std::numeric_limits<Int>::min();
    Int value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        const Int digit = static_cast<Int>(text[i] - u'0');
        if (negative) {
            if (value < (kMin + digit) / 10) {
                return kMin;
            }
            value = value * 10 - digit;
        } else {
            if (value > (kMax - digit) / 10) {
                return kMax;
            }
            value = value * 10 + digit;
        }
    }
    return value;
}

}  // namespace

bool SplitElements(std::u16string_view text, std::vector<TaggedElement>& elements) {
    size_t position = 0;
    while (position < text.size()) {
        const size_t open = text.find(u'<', position);
        if (open == std::u16string_view::npos) {
            return true;
        }
        const size_t openEnd = text.find(u'>', open + 1);
        if (openEnd == std::u16string_view::npos) {
            return true;  // an unfinished tag ends the text
        }
        const std::u16string_view tag = text.substr(open + 1, openEnd - open - 1);
        const size_t contentStart = openEnd + 1;
        const size_t close = text.find(ClosingTag(tag), contentStart);
        if (close == std::u16string_view::npos) {
            return false;
        }
        // A namesake inside the element is looked for only up to the closing tag, which keeps
        // the scan linear.
        const std::u16string_view content = text.substr(contentStart, close - contentStart);
        if (content.find(OpeningTag(tag)) != std::u16string_view::npos) {
            return false;
        }
        elements.push_back({tag, content});
        position = close + 1;
    }
    return true;
}

void ReplaceAll(std::u16string& text, std::u16string_view pattern,
                std::u16string_view replacement) {
    if (pattern.empty() || text.find(pattern) == std::u16string::npos) {
        return;
    }
    // The processed prefix never holds an occurrence, so an occurrence can only end at the code
    // unit just appended, and that one is the leftmost of the whole text. A replacement is pushed
    // back onto the input, which makes occurrences it forms with its surroundings found too.
    std::u16string done;
    done.reserve(text.size());
    std::u16string pending(text.rbegin(), text.rend());  // consumed from the back
    while (!pending.empty()) {
        done.push_back(pending.back());
        pending.pop_back();
        if (done.size() >= pattern.size() &&
            std::u16string_view(done).substr(done.size() - pattern.size()) == pattern) {
            done.resize(done.size() - pattern.size());
            pending.append(replacement.rbegin(), replacement.rend());
        }
    }
    text = std::move(done);
}

int64_t FindLast(std::u16string_view text, std::u16string_view pattern) {
    const size_t at = text.rfind(pattern);
    return at == std::u16string_view::npos ? -1 : static_cast<int64_t>(at);
}

int32_t ParseInt32(std::u16string_view text) {
    return ParseDecimal<int32_t>(text);
}

int64_t ParseInt64(std::u16string_view text) {
    return ParseDecimal<int64_t>(text);
}

void AppendElement(std::u16string& out, std::u16string_view tag, std::u16string_view content) {
    out.append(u"<").append(tag).append(u">");
    out.append(content);
    out.append(u"</").append(tag).append(u">\n");
}

std::u16string EscapeValue(std::u16string_view value) {
    std::u16string text(value);
    ReplaceAll(text, u"<", kEscapedLess);
    ReplaceAll(text, u">", kEscapedGreater);
    return text;
}

std::u16string UnescapeValue(std::u16string_view text) {
    std::u16string value(text);
    ReplaceAll(value, kEscapedLess, u"<");
    ReplaceAll(value, kEscapedGreater, u">");
    return value;
}

}  // namespace wl
