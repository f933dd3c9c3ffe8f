#pragma once
// Serialisable records. A record declares its members, each under a tag and with a pair of
// converters; one generic writer turns any record into tagged text and one generic reader fills
// any record back from it. The field table points into its own instance, so a record is never
// copied or moved: records live on the heap and are handed around by pointer.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "container/tagged_text.h"

namespace wl {

class ISDStructure;

// Converters of one member: to text (appended to the output) and from text.
using ToTextConverter = void (*)(const void* member, std::u16string& out);
using FromTextConverter = void (*)(void* member, std::u16string_view text);

struct ISDField {
    std::u16string name;
    void* member;
    ToTextConverter toText;
    FromTextConverter fromText;
};

// The owning list of records of one class T.
template <typename T>
class ISDItemVect {
  public:
    ISDItemVect() = default;
    ISDItemVect(const ISDItemVect&) = delete;
    ISDItemVect& operator=(const ISDItemVect&) = delete;
    virtual ~ISDItemVect() = default;

    // Takes ownership of `item`.
    void Append(std::unique_ptr<T> item) { items_.push_back(std::move(item)); }
    // Null for an index outside 0 .. count - 1.
    T* Get(int64_t index) const {
        return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].get() : nullptr;
    }
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    void Clear() { items_.clear(); }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    std::vector<std::unique_ptr<T>> items_;
};

class ISDStructure {
  public:
    explicit ISDStructure(std::u16string tagName) : tagName_(std::move(tagName)) {}
    ISDStructure(const ISDStructure&) = delete;
    ISDStructure& operator=(const ISDStructure&) = delete;
    virtual ~ISDStructure() = default;

    const std::u16string& GetName() const { return tagName_; }

    // "<tag>" + one "<field>value</field>\n" per field in declaration order + "</tag>\n".
    std::u16string ToText() const;
    void AppendText(std::u16string& out) const;

    // Fills the declared fields from a text; whatever cannot be read leaves members unchanged.
    void FromText(std::u16string_view text);

  protected:
    // Sets each member to its default and declares it; the concrete constructor calls it once.
    virtual void DeclareFields() = 0;

    void AddField(std::u16string name, void* member, ToTextConverter toText,
                  FromTextConverter fromText);
    void AddField(std::u16string name, std::u16string& member);
    void AddField(std::u16string name, int32_t& member);
    void AddField(std::u16string name, int64_t& member);
    template <typename T>
    void AddField(std::u16string name, ISDItemVect<T>& member) {
        AddField(std::move(name), &member, &ListToText<T>, &ListFromText<T>);
    }

  private:
    template <typename T>
    static void ListToText(const void* member, std::u16string& out) {
        for (const auto& item : *static_cast<const ISDItemVect<T>*>(member)) {
            item->AppendText(out);
        }
    }

    // Stops at the first element of a foreign tag; an unclosed element leaves the list empty.
    template <typename T>
    static void ListFromText(void* member, std::u16string_view text) {
        auto& list = *static_cast<ISDItemVect<T>*>(member);
        list.Clear();
        std::vector<TaggedElement> elements;
        if (!SplitElements(text, elements)) {
            return;
        }
        for (const TaggedElement& element : elements) {
            auto item = std::make_unique<T>();
            if (element.tag != item->GetName()) {
                return;
            }
            // Reading the element's content is reading "<tag>content</tag>" without building it:
            // the content holds no line feed and no closing tag of its own.
            static_cast<ISDStructure*>(item.get())->ReadContent(element.content);
            list.Append(std::move(item));
        }
    }

    // Fills the fields from the content of the record's element, a text without line feeds.
    void ReadContent(std::u16string_view content);

    std::u16string tagName_;
    std::vector<ISDField> fields_;
};

}  // namespace wl
