#include "container/image_stream.h"

#include <algorithm>

#include "container/compressed_image.h"

namespace wl {

ImageCompressor::ImageCompressor()
    : in_(new uint8_t[kImageStreamBufferSize]), out_(new uint8_t[kImageStreamBufferSize]) {
    ready_ = deflateInit(&stream_, kImageCompressionLevel) == Z_OK;
}

ImageCompressor::~ImageCompressor() {
    if (ready_) {
        deflateEnd(&stream_);
    }
}

ImageCompressor::Outcome ImageCompressor::Compress(ByteFile& input, uint32_t length,
                                                   ByteFile& output, int64_t& imageLength) {
    if (!ready_ || deflateReset(&stream_) != Z_OK) {
        return Outcome::kZlibFailed;
    }
    WriteImageHeader(out_.get(), length);
    size_t outUsed = kImageHeaderSize;
    uint32_t inputLeft = length;
    imageLength = 0;
    stream_.avail_in = 0;
    for (;;) {
        if (stream_.avail_in == 0 && inputLeft > 0) {
            const size_t want = std::min<size_t>(kImageStreamBufferSize, inputLeft);
            const size_t got = input.Read(in_.get(), want);
            if (got != want) {
                return Outcome::kInputShort;
            }
            inputLeft -= static_cast<uint32_t>(got);
            stream_.next_in = in_.get();
            stream_.avail_in = static_cast<uInt>(got);
        }
        const int flush = inputLeft == 0 && stream_.avail_in == 0 ? Z_FINISH : Z_NO_FLUSH;
        stream_.next_out = out_.get() + outUsed;
        stream_.avail_out = static_cast<uInt>(kImageStreamBufferSize - outUsed);
        const int result = deflate(&stream_, flush);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
            return Outcome::kZlibFailed;
        }
        outUsed = kImageStreamBufferSize - stream_.avail_out;
        if (outUsed == kImageStreamBufferSize || result == Z_STREAM_END) {
            output.Write(out_.get(), outUsed);
            imageLength += static_cast<int64_t>(outUsed);
            outUsed = 0;
        }
        if (result == Z_STREAM_END) {
            return Outcome::kCompressed;
        }
    }
}

ImageRestorer::ImageRestorer()
    : in_(new uint8_t[kImageStreamBufferSize]), out_(new uint8_t[kImageStreamBufferSize]) {
    ready_ = inflateInit(&stream_) == Z_OK;
}

ImageRestorer::~ImageRestorer() {
    if (ready_) {
        inflateEnd(&stream_);
    }
}

ImageRestorer::Outcome ImageRestorer::Restore(ByteFile& input, int64_t imageLength,
                                              int64_t capacity, ByteFile* sink, int64_t& produced) {
    produced = 0;
    if (imageLength < kImageHeaderSize) {
        return imageLength < 0 ? Outcome::ShortRead : Outcome::Corrupt;
    }
    uint8_t header[kImageHeaderSize];
    if (input.Read(header, kImageHeaderSize) != kImageHeaderSize) {
        return Outcome::ShortRead;
    }
    const uint32_t length = ReadImageLength(header);
    if (length == kInvalidImageLength || capacity < length) {
        return Outcome::Corrupt;
    }
    if (!ready_ || inflateReset(&stream_) != Z_OK) {
        return Outcome::Corrupt;
    }
    int64_t inputLeft = imageLength - kImageHeaderSize;
    stream_.avail_in = 0;
    for (;;) {
        if (stream_.avail_in == 0 && inputLeft > 0) {
            const size_t want =
                static_cast<size_t>(std::min<int64_t>(kImageStreamBufferSize, inputLeft));
            if (input.Read(in_.get(), want) != want) {
                return Outcome::ShortRead;
            }
            inputLeft -= static_cast<int64_t>(want);
            stream_.next_in = in_.get();
            stream_.avail_in = static_cast<uInt>(want);
        }
        // One byte beyond the capacity tells a stream that needs more room from one that fits.
        const int64_t left = capacity - produced;
        const int64_t room = left >= static_cast<int64_t>(kImageStreamBufferSize)
                                 ? static_cast<int64_t>(kImageStreamBufferSize)
                                 : left + 1;
        stream_.next_out = out_.get();
        stream_.avail_out = static_cast<uInt>(room);
        const int result = inflate(&stream_, Z_NO_FLUSH);
        const int64_t made = room - stream_.avail_out;
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
            return Outcome::Corrupt;
        }
        if (produced + made > capacity) {
            return Outcome::Corrupt;
        }
        if (sink != nullptr && made > 0) {
            sink->Write(out_.get(), static_cast<size_t>(made));
        }
        produced += made;
        if (result == Z_STREAM_END) {
            return Outcome::Restored;
        }
        if (result == Z_BUF_ERROR && stream_.avail_in == 0 && inputLeft == 0) {
            return Outcome::Corrupt;  // the stream ends before its end
        }
    }
}

}  // namespace wl
