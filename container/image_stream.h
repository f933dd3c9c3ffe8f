#pragma once
// Images made and restored through fixed-size buffers, so that memory stays bounded whatever the
// size of a file. The bytes are those of CompressImage: zlib's output at a given level does not
// depend on how its input is fed.

#include <zlib.h>

#include <cstdint>
#include <memory>

#include "platform/byte_file.h"

namespace wl {

inline constexpr size_t kImageStreamBufferSize = 256 * 1024;

class ImageCompressor {
  public:
    ImageCompressor();
    ImageCompressor(const ImageCompressor&) = delete;
    ImageCompressor& operator=(const ImageCompressor&) = delete;
    ~ImageCompressor();

    enum class Outcome { kCompressed, kInputShort, kZlibFailed };

    // Appends the image of the next `length` bytes of `input` to `output` at its position. When
    // the input ends early (the file shrank meanwhile) or zlib fails, the output may hold part
    // of an image. Errors of reading the input or writing the output raise FileError.
    Outcome Compress(ByteFile& input, uint32_t length, ByteFile& output, int64_t& imageLength);

  private:
    z_stream stream_{};
    bool ready_ = false;
    std::unique_ptr<uint8_t[]> in_;
    std::unique_ptr<uint8_t[]> out_;
};

class ImageRestorer {
  public:
    enum class Outcome { Restored, ShortRead, Corrupt };

    ImageRestorer();
    ImageRestorer(const ImageRestorer&) = delete;
    ImageRestorer& operator=(const ImageRestorer&) = delete;
    ~ImageRestorer();

    // Restores the image of `imageLength` bytes at the position of `input` into `sink` (or
    // nowhere, when null), refusing to produce more than `capacity` bytes. Errors of reading the
    // input or writing the sink raise FileError.
    Outcome Restore(ByteFile& input, int64_t imageLength, int64_t capacity, ByteFile* sink,
                    int64_t& produced);

  private:
    z_stream stream_{};
    bool ready_ = false;
    std::unique_ptr<uint8_t[]> in_;
    std::unique_ptr<uint8_t[]> out_;
};

}  // namespace wl
