#include "container/table_text.h"

#include <algorithm>
#include <vector>

namespace wl {

TableTextDecoder::TableTextDecoder(std::u16string_view recordTag) {
    openingTag_.append(u"<").append(recordTag).append(u">");
}

bool TableTextDecoder::Take(std::span<const uint8_t> bytes) {
    if (ended_) {
        return false;
    }
    size_t at = 0;
    while (at < bytes.size()) {
        uint8_t low = 0;
        if (hasOddByte_) {
            low = oddByte_;
            hasOddByte_ = false;
        } else if (at + 1 < bytes.size()) {
            low = bytes[at++];
        } else {
            // A code unit split across two pieces: its low byte waits for the next one.
            oddByte_ = bytes[at++];
            hasOddByte_ = true;
            break;
        }
        const char16_t unit = static_cast<char16_t>(low | bytes[at++] << 8);
        if (unit == 0) {
            ended_ = true;
            break;
        }
        if (unit != u'\n') {
            text_.push_back(unit);
        }
    }
    if (!tagFound_) {
        LookForOpeningTag();
    }
    return !ended_;
}

void TableTextDecoder::LookForOpeningTag() {
    const size_t open = text_.find(openingTag_);
    if (open != std::u16string::npos) {
        text_.erase(0, open);
        tagFound_ = true;
        return;
    }
    // Only a tail shorter than the tag can still become its beginning.
    const size_t keep = std::min(text_.size(), openingTag_.size() - 1);
    text_.erase(0, text_.size() - keep);
}

std::u16string TableTextDecoder::TakeText() {
    if (!tagFound_) {
        text_.clear();
    }
    return std::move(text_);
}

bool ReadTableText(ByteFile& file, int64_t offset, int64_t length, std::u16string_view recordTag,
                   std::u16string& text, size_t pieceBytes) {
    TableTextDecoder decoder(recordTag);
    // The piece is never larger than the table, so nothing is taken beyond what the file holds.
    const int64_t pieceLimit = static_cast<int64_t>(std::max<size_t>(pieceBytes, 1));
    std::vector<uint8_t> piece(static_cast<size_t>(std::clamp<int64_t>(length, 0, pieceLimit)));
    file.SeekTo(offset);
    int64_t left = length;
    while (left > 0 && !decoder.Ended()) {
        const size_t wanted = static_cast<size_t>(std::min<int64_t>(left, piece.size()));
        const size_t got = file.Read(piece.data(), wanted);
        decoder.Take(std::span<const uint8_t>(piece.data(), got));
        if (got != wanted && !decoder.Ended()) {
            return false;
        }
        left -= static_cast<int64_t>(wanted);
    }
    text = decoder.TakeText();
    return true;
}

}  // namespace wl
