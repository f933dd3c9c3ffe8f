#include "container/item_names.h"

#include "common/format.h"
#include "common/utf16.h"
#include "container/tagged_text.h"
#include "fs/file_ops.h"

namespace wl {

std::u16string NameStorageFlaw(std::u16string_view name) {
    if (name.find(u'\n') != std::u16string_view::npos) {
        return u"its name holds a line feed, which the table of contents cannot keep";
    }
    for (const std::u16string_view escape : {kEscapedLess, kEscapedGreater}) {
        if (name.find(escape) != std::u16string_view::npos) {
            return Format(
                "its name holds the text \"%s\", which the table of contents reads as "
                "another character",
                {std::u16string(escape)});
        }
    }
    return {};
}

std::u16string ProjectNameFlaw(std::u16string_view name) {
    if (!IsPlainName(name)) {
        return u"a project's name must be one plain folder name";
    }
    return NameStorageFlaw(name);
}

std::optional<std::u16string> ItemNameFromRelativePath(const std::filesystem::path& relative,
                                                       std::u16string& reason) {
    std::u16string name;
    for (const auto& component : relative) {
        auto text = PathToUtf16Exact(component);
        if (!text) {
            reason = u"its name is not valid UTF-8";
            return std::nullopt;
        }
        if (text->find(u'\\') != std::u16string::npos) {
            reason = u"its name holds a backslash, the separator of stored names";
            return std::nullopt;
        }
        reason = NameStorageFlaw(*text);
        if (!reason.empty()) {
            return std::nullopt;
        }
        name.push_back(u'\\');
        name.append(*text);
    }
    return name;
}

std::optional<std::filesystem::path> RelativePathFromItemName(const std::u16string& name) {
    if (name.size() < 2 || name[0] != u'\\') {
        return std::nullopt;
    }
    std::filesystem::path relative;
    size_t start = 1;
    for (;;) {
        const size_t end = name.find(u'\\', start);
        const std::u16string_view component = std::u16string_view(name).substr(
            start, end == std::u16string::npos ? end : end - start);
        if (!IsPlainName(component)) {
            return std::nullopt;
        }
        relative /= *Utf16ToPath(component);
        if (end == std::u16string::npos) {
            return relative;
        }
        start = end + 1;
    }
}

}  // namespace wl
