#include "container/item_names.h"

#include "common/utf16.h"
#include "fs/file_ops.h"

namespace wl {

std::optional<std::u16string> ItemNameFromRelativePath(const std::filesystem::path& relative) {
    std::u16string name;
    for (const auto& component : relative) {
        auto text = PathToUtf16Exact(component);
        if (!text || text->find(u'\\') != std::u16string::npos) {
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
