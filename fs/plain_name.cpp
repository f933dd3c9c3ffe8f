// Whether a text can become one file or folder name inside a destination folder.

#include "common/utf16.h"
#include "fs/file_ops.h"

namespace wl {

bool IsPlainName(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..") {
        return false;
    }
    // A backslash counts too: container names use it as their separator.
    if (name.find_first_of(std::u16string_view(u"/\\\0", 3)) != std::u16string_view::npos) {
        return false;
    }
    // A lone surrogate has no UTF-8 form; a replaced character would name another file.
    return Utf16ToUtf8Exact(name).has_value();
}

}  // namespace wl
