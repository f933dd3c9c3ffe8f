#pragma once
// A section of translatable texts: each key is bound to a text member of the derived object and
// to its built-in default, and the whole section can be refilled from a language file.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace wl {

class CStrSection {
  public:
    struct StringBinding {
        std::u16string key;
        std::u16string* member;  // a member of the derived object; not owned
        std::u16string defaultText;
    };

    explicit CStrSection(std::u16string sectionName) : sectionName_(std::move(sectionName)) {}
    // The bindings point into the object itself, so it is never copied.
    CStrSection(const CStrSection&) = delete;
    CStrSection& operator=(const CStrSection&) = delete;
    virtual ~CStrSection() = default;

    const std::u16string& sectionName() const { return sectionName_; }
    const std::vector<StringBinding>& bindings() const { return bindings_; }

    // Binds `key` (compared exactly) and sets the member to its default; a key that is already
    // bound is left as it is, with its first binding.
    void AddString(std::u16string_view key, std::u16string& member,
                   std::u16string_view defaultText);

    // Sets every text again from the language file, falling back to the default of each key that
    // the file lacks or whose value is refused; a missing file therefore restores every default.
    void LoadFromFile(const std::filesystem::path& path);

    // The current text of the key, whose letter case does not matter; null for an unknown key.
    const std::u16string* Find(std::u16string_view key) const;

    // A text cited by key and default: the key's current text, or `defaultText` when the section
    // does not know the key.
    std::u16string Text(std::u16string_view key, std::u16string_view defaultText) const;

  private:
    std::u16string sectionName_;
    std::vector<StringBinding> bindings_;
};

}  // namespace wl
