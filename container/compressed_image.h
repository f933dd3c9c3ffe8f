#pragma once
// A file's compressed image: a 68-byte header (the uncompressed length as 32-bit little-endian,
// then 64 reserved zero bytes) followed by one zlib stream made at level 1. These functions work
// on whole buffers; image_stream.h makes and restores the same images through fixed buffers.

#include <cstdint>

namespace wl {

inline constexpr uint32_t kImageHeaderSize = 68;
inline constexpr int kImageCompressionLevel = 1;
// A length field with all bits set is never valid.
inline constexpr uint32_t kInvalidImageLength = 0xFFFFFFFFu;

// Room to provide for the image of `length` bytes: zlib's bound of length + 68.
uint32_t CompressedImageBound(uint32_t length);

// `capacity` holds the room of `output` on entry (at least CompressedImageBound(length)) and the
// image length on success.
bool CompressImage(const uint8_t* input, uint32_t length, uint8_t* output, uint32_t& capacity);

// `capacity` holds the room of `output` on entry and the number of bytes restored on success,
// which may be fewer than the length field says.
bool DecompressImage(const uint8_t* image, uint32_t imageLength, uint8_t* output,
                     uint32_t& capacity);

// The header's length field.
uint32_t ReadImageLength(const uint8_t* header);
void WriteImageHeader(uint8_t* header, uint32_t length);

}  // namespace wl
