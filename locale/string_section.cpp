#include "locale/string_section.h"

#include <algorithm>

#include "locale/letter_case.h"

namespace wl {

void CStrSection::AddString(std::u16string_view key, std::u16string& member,
                            std::u16string_view defaultText) {
    const bool bound = std::any_of(bindings_.begin(), bindings_.end(),
                                   [&](const StringBinding& b) { return b.key == key; });
    if (bound) {
        return;
    }
    member = defaultText;
    bindings_.push_back({std::u16string(key), &member, std::u16string(defaultText)});
}

const std::u16string* CStrSection::Find(std::u16string_view key) const {
    const auto found =
        std::find_if(bindings_.begin(), bindings_.end(),
                     [&](const StringBinding& b) { return EqualsIgnoringCase(b.key, key); });
    return found == bindings_.end() ? nullptr : found->member;
}

std::u16string CStrSection::Text(std::u16string_view key, std::u16string_view defaultText) const {
    const std::u16string* text = Find(key);
    return text ? *text : std::u16string(defaultText);
}

}  // namespace wl
