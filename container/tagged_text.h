#pragma once
// The string operations of the tagged-text form: element splitting, replacement, search and the
// lenient decimal conversions. All of them stay linear in the length of the text, since a table
// of contents can hold hundreds of thousands of elements.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wl {

// A top-level element of a text: its tag and its content, both pointing into that text.
struct TaggedElement {
    std::u16string_view tag;
    std::u16string_view content;
};

// The top-level elements in order. False when an element has no closing tag; the elements before
// it are still returned. An element that holds an opening tag of its own name before its closing
// tag counts as unclosed.
bool SplitElements(std::u16string_view text, std::vector<TaggedElement>& elements);

// Replaces occurrences of `pattern` until none is left, always the leftmost first, so a removal
// that brings a new occurrence together removes that one too. `replacement` must not contain
// `pattern`.
void ReplaceAll(std::u16string& text, std::u16string_view pattern, std::u16string_view replacement);

// Index of the last occurrence of `pattern`, or -1.
int64_t FindLast(std::u16string_view text, std::u16string_view pattern);

// Leading white space, an optional sign, then decimal digits up to the first other character; no
// digits read as 0, values beyond the range as the nearest limit.
int32_t ParseInt32(std::u16string_view text);
int64_t ParseInt64(std::u16string_view text);

// "<tag>content</tag>\n" appended to `out`.
void AppendElement(std::u16string& out, std::u16string_view tag, std::u16string_view content);

// The string values' escapes: "<" and ">" become "&$&lt##" and "&$&gt##".
inline constexpr std::u16string_view kEscapedLess = u"&$&lt##";
inline constexpr std::u16string_view kEscapedGreater = u"&$&gt##";
std::u16string EscapeValue(std::u16string_view value);
std::u16string UnescapeValue(std::u16string_view text);

}  // namespace wl
