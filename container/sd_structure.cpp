#include "container/sd_structure.h"

#include <algorithm>

#include "common/utf16.h"

namespace wl {
namespace {

void StringToText(const void* member, std::u16string& out) {
    out.append(EscapeValue(*static_cast<const std::u16string*>(member)));
}

void StringFromText(void* member, std::u16string_view text) {
    *static_cast<std::u16string*>(member) = UnescapeValue(text);
}

void Int32ToText(const void* member, std::u16string& out) {
    out.append(AsciiToUtf16(std::to_string(*static_cast<const int32_t*>(member))));
}

void Int32FromText(void* member, std::u16string_view text) {
    *static_cast<int32_t*>(member) = ParseInt32(text);
}

void Int64ToText(const void* member, std::u16string& out) {
    out.append(AsciiToUtf16(std::to_string(*static_cast<const int64_t*>(member))));
}

void Int64FromText(void* member, std::u16string_view text) {
    *static_cast<int64_t*>(member) = ParseInt64(text);
}

}  // namespace

void ISDStructure::AddField(std::u16string name, void* member, ToTextConverter toText,
                            FromTextConverter fromText) {
    fields_.push_back({std::move(name), member, toText, fromText});
}

void ISDStructure::AddField(std::u16string name, std::u16string& member) {
    AddField(std::move(name), &member, &StringToText, &StringFromText);
}

void ISDStructure::AddField(std::u16string name, int32_t& member) {
    AddField(std::move(name), &member, &Int32ToText, &Int32FromText);
}

void ISDStructure::AddField(std::u16string name, int64_t& member) {
    AddField(std::move(name), &member, &Int64ToText, &Int64FromText);
}

std::u16string ISDStructure::ToText() const {
    std::u16string out;
    AppendText(out);
    return out;
}

void ISDStructure::AppendText(std::u16string& out) const {
    out.append(u"<").append(tagName_).append(u">");
    for (const ISDField& field : fields_) {
        out.append(u"<").append(field.name).append(u">");
        field.toText(field.member, out);
        out.append(u"</").append(field.name).append(u">\n");
    }
    out.append(u"</").append(tagName_).append(u">\n");
}

void ISDStructure::FromText(std::u16string_view text) {
    // Line feeds are dropped; a text that has none is read where it stands.
    std::u16string flatCopy;
    std::u16string_view flat = text;
    if (text.find(u'\n') != std::u16string_view::npos) {
        flatCopy.reserve(text.size());
        std::copy_if(text.begin(), text.end(), std::back_inserter(flatCopy),
                     [](char16_t c) { return c != u'\n'; });
        flat = flatCopy;
    }

    const std::u16string opening = u"<" + tagName_ + u">";
    const std::u16string closing = u"</" + tagName_ + u">";
    const size_t open = flat.find(opening);
    const int64_t close = FindLast(flat, closing);
    if (open == std::u16string_view::npos || close < 0) {
        return;
    }
    const size_t contentStart = open + opening.size();
    const size_t contentEnd = std::max(contentStart, static_cast<size_t>(close));
    ReadContent(flat.substr(contentStart, contentEnd - contentStart));
}

void ISDStructure::ReadContent(std::u16string_view content) {
    std::vector<TaggedElement> elements;
    SplitElements(content, elements);  // the elements before a failure are used all the same
    for (const ISDField& field : fields_) {
        const auto match = std::find_if(elements.begin(), elements.end(),
                                        [&](const TaggedElement& e) { return e.tag == field.name; });
        if (match != elements.end()) {
            field.fromText(field.member, match->content);
        }
    }
}

}  // namespace wl
