#pragma once
// The table of contents as stored: UTF-16LE code units from the table's offset up to the trailer,
// ending at the first NUL code unit if there is one. It is read and decoded in pieces, keeping
// only what reading the record list can use, so that a file that is no container (zeros, an
// archive, random bytes) costs one piece of memory and is read no further than its first NUL.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/byte_file.h"

namespace wl {

inline constexpr size_t kTablePieceBytes = 64 * 1024;

// Decodes the table's bytes as they arrive, in pieces of any size. Reading a record removes every
// line feed and ignores the text before the first opening tag of the record, so both are dropped
// here: the text kept is what reading would see, from that opening tag on.
class TableTextDecoder {
  public:
    // `recordTag` is the record's tag name, "ProjectList" for "<ProjectList>".
    explicit TableTextDecoder(std::u16string_view recordTag);

    // Takes the next bytes; false once the NUL code unit has ended the table, after which more
    // bytes are not looked at.
    bool Take(std::span<const uint8_t> bytes);
    bool Ended() const { return ended_; }

    // The text from the first opening tag on, without line feeds; empty when no opening tag came.
    // A last byte without its partner is no code unit and is left out.
    std::u16string TakeText();

  private:
    // Keeps the text from the opening tag on once it is there, else only its possible beginning.
    void LookForOpeningTag();

    std::u16string openingTag_;
    std::u16string text_;
    bool tagFound_ = false;
    bool ended_ = false;
    bool hasOddByte_ = false;
    uint8_t oddByte_ = 0;
};

// Reads `length` bytes of the table from `offset` in pieces of `pieceBytes` (at least 1), stopping
// early at the NUL code unit, and answers the decoded text in `text`. False when the file ends
// before the table does; errors of the file raise FileError.
bool ReadTableText(ByteFile& file, int64_t offset, int64_t length, std::u16string_view recordTag,
                   std::u16string& text, size_t pieceBytes = kTablePieceBytes);

}  // namespace wl
