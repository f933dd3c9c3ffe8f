#include "container/compressed_image.h"

#include <zlib.h>

#include <cstring>

namespace wl {

uint32_t CompressedImageBound(uint32_t length) {
    const uint32_t m = length + kImageHeaderSize;
    return m + (m >> 12) + (m >> 14) + (m >> 25) + 13;
}

uint32_t ReadImageLength(const uint8_t* header) {
    return static_cast<uint32_t>(header[0]) | static_cast<uint32_t>(header[1]) << 8 |
           static_cast<uint32_t>(header[2]) << 16 | static_cast<uint32_t>(header[3]) << 24;
}

void WriteImageHeader(uint8_t* header, uint32_t length) {
    header[0] = static_cast<uint8_t>(length);
    header[1] = static_cast<uint8_t>(length >> 8);
    header[2] = static_cast<uint8_t>(length >> 16);
    header[3] = static_cast<uint8_t>(length >> 24);
    std::memset(header + 4, 0, kImageHeaderSize - 4);
}

bool CompressImage(const uint8_t* input, uint32_t length, uint8_t* output, uint32_t& capacity) {
    if (capacity < kImageHeaderSize) {
        return false;
    }
    WriteImageHeader(output, length);
    uLongf room = capacity - kImageHeaderSize;
    if (compress2(output + kImageHeaderSize, &room, input, length, kImageCompressionLevel) !=
        Z_OK) {
        return false;
    }
    capacity = kImageHeaderSize + static_cast<uint32_t>(room);
    return true;
}

bool DecompressImage(const uint8_t* image, uint32_t imageLength, uint8_t* output,
                     uint32_t& capacity) {
    if (imageLength < kImageHeaderSize) {
        return false;
    }
    const uint32_t length = ReadImageLength(image);
    if (length == kInvalidImageLength || capacity < length) {
        return false;
    }
    uLongf room = capacity;
    if (uncompress(output, &room, image + kImageHeaderSize, imageLength - kImageHeaderSize) !=
        Z_OK) {
        return false;
    }
    capacity = static_cast<uint32_t>(room);
    return true;
}

}  // namespace wl
