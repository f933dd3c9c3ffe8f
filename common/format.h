#pragma once
// A small type-checked formatter for the program's texts. It knows %s (UTF-16 text), %hS (8-bit
// text), %d and %lld (decimal), %X (upper-case hexadecimal) and %%. Anything else after a '%' is
// copied literally, so a format that comes from outside can never read memory it was not given.

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace wl {

// An 8-bit text for %hS (protocol words, USB descriptions).
struct Narrow {
    std::string_view text;
};

class FormatArg {
  public:
    enum class Kind { Integer, Text, NarrowText };

    template <std::integral T>
    FormatArg(T value)  // NOLINT: implicit by design, like printf's arguments
        : kind_(Kind::Integer),
          integer_(static_cast<int64_t>(value)),
          wide_(sizeof(T) > 4),
          unsigned_(std::is_unsigned_v<T>) {}
    FormatArg(std::u16string_view text) : kind_(Kind::Text), text_(text) {}    // NOLINT
    FormatArg(const std::u16string& text) : kind_(Kind::Text), text_(text) {}  // NOLINT
    FormatArg(const char16_t* text) : kind_(Kind::Text), text_(text) {}        // NOLINT
    FormatArg(Narrow text) : kind_(Kind::NarrowText), narrow_(text.text) {}    // NOLINT

    Kind kind() const { return kind_; }
    int64_t integer() const { return integer_; }
    bool wide() const { return wide_; }
    bool isUnsigned() const { return unsigned_; }
    std::u16string_view text() const { return text_; }
    std::string_view narrow() const { return narrow_; }

  private:
    Kind kind_;
    int64_t integer_ = 0;
    bool wide_ = false;
    bool unsigned_ = false;
    std::u16string_view text_;
    std::string_view narrow_;
};

// Applies `format` to `args`. A conversion whose argument is missing or of another kind (text
// for a number, a number for text) is replaced by nothing; surplus arguments are ignored.
std::u16string Format(std::u16string_view format, std::initializer_list<FormatArg> args);

// The same for a format written in code as 8-bit ASCII.
std::u16string Format(std::string_view asciiFormat, std::initializer_list<FormatArg> args);

}  // namespace wl
