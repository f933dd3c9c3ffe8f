#include "container/compressed_image.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

#include "container/image_stream.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

std::vector<uint8_t> MakeImage(const std::string& data) {
    std::vector<uint8_t> image(CompressedImageBound(static_cast<uint32_t>(data.size())));
    uint32_t capacity = static_cast<uint32_t>(image.size());
    EXPECT_TRUE(CompressImage(reinterpret_cast<const uint8_t*>(data.data()),
                              static_cast<uint32_t>(data.size()), image.data(), capacity));
    image.resize(capacity);
    return image;
}

TEST(CompressedImage, BoundIsZlibsBoundOfTheLengthPlusHeader) {
    for (uint32_t n : {0u, 1u, 4096u, 500000000u}) {
        EXPECT_EQ(CompressedImageBound(n), compressBound(n + 68)) << n;
    }
}

TEST(CompressedImage, IsHeaderThenLevelOneZlibStream) {
    const std::string data = test::CompressibleBytes(10000, 1);
    const std::vector<uint8_t> image = MakeImage(data);
    EXPECT_EQ(ReadImageLength(image.data()), 10000u);
    for (size_t i = 4; i < 68; ++i) {
        ASSERT_EQ(image[i], 0) << i;
    }
    std::vector<uint8_t> reference(compressBound(data.size()));
    uLongf referenceLength = reference.size();
    ASSERT_EQ(compress2(reference.data(), &referenceLength,
                        reinterpret_cast<const Bytef*>(data.data()), data.size(), 1),
              Z_OK);
    reference.resize(referenceLength);
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 68, image.end()), reference);
}

TEST(CompressedImage, EmptyInputRestoresToNothing) {
    const std::vector<uint8_t> image = MakeImage("");
    EXPECT_GT(image.size(), 68u);
    EXPECT_EQ(ReadImageLength(image.data()), 0u);
    uint8_t out[1];
    uint32_t capacity = 0;
    EXPECT_TRUE(DecompressImage(image.data(), static_cast<uint32_t>(image.size()), out, capacity));
    EXPECT_EQ(capacity, 0u);
}

TEST(CompressedImage, RestoringChecksHeaderAndCapacity) {
    const std::string data = test::RandomBytes(1000, 2);
    std::vector<uint8_t> image = MakeImage(data);
    std::vector<uint8_t> out(2000);

    uint32_t capacity = 999;  // one byte short of the length field: refused before zlib
    EXPECT_FALSE(
        DecompressImage(image.data(), static_cast<uint32_t>(image.size()), out.data(), capacity));
    capacity = 68;
    EXPECT_FALSE(DecompressImage(image.data(), 68, out.data(), capacity));  // header only
    capacity = 67;
    EXPECT_FALSE(DecompressImage(image.data(), 67, out.data(), capacity));

    for (size_t i = 4; i < 68; ++i) {
        image[i] = 0xA5;  // the reserved bytes play no part
    }
    capacity = 2000;
    ASSERT_TRUE(
        DecompressImage(image.data(), static_cast<uint32_t>(image.size()), out.data(), capacity));
    EXPECT_EQ(std::string(out.begin(), out.begin() + capacity), data);

    WriteImageHeader(image.data(), kInvalidImageLength);
    capacity = 0xFFFFFFFF;
    EXPECT_FALSE(
        DecompressImage(image.data(), static_cast<uint32_t>(image.size()), out.data(), capacity));
}

TEST(CompressedImage, RestoredLengthIsTheStreamsOwn) {
    std::vector<uint8_t> image = MakeImage("abc");
    std::vector<uint8_t> out(10);
    WriteImageHeader(image.data(), 2);  // the stream needs more room than the field allows
    uint32_t capacity = 2;
    EXPECT_FALSE(
        DecompressImage(image.data(), static_cast<uint32_t>(image.size()), out.data(), capacity));
    WriteImageHeader(image.data(), 10);  // a stream shorter than the field still restores
    capacity = 10;
    EXPECT_TRUE(
        DecompressImage(image.data(), static_cast<uint32_t>(image.size()), out.data(), capacity));
    EXPECT_EQ(capacity, 3u);
}

// The streamed image must be the very bytes of the whole-buffer one, for any size, including
// those that straddle the stream buffers.
TEST(ImageStream, MakesTheBytesOfTheWholeBufferImage) {
    test::TempFolder folder;
    ImageCompressor compressor;
    ImageRestorer restorer;
    const size_t piece = kImageStreamBufferSize;
    const size_t sizes[] = {0, 1, 100, piece - 68, piece - 1, piece, piece + 1, 3 * piece + 17};
    uint32_t seed = 10;
    for (size_t size : sizes) {
        for (bool random : {false, true}) {
            const std::string data =
                random ? test::RandomBytes(size, ++seed) : test::CompressibleBytes(size, ++seed);
            test::WriteFile(folder / "in", data);
            ByteFile input;
            ByteFile output;
            int error = 0;
            ASSERT_TRUE(input.OpenForReading(folder / "in", error));
            ASSERT_TRUE(output.CreateForWriting(folder / "out", error));
            int64_t imageLength = 0;
            ASSERT_EQ(compressor.Compress(input, static_cast<uint32_t>(size), output, imageLength),
                      ImageCompressor::Outcome::kCompressed);
            output.Close();
            const std::string streamed = test::ReadFile(folder / "out");
            const std::vector<uint8_t> whole = MakeImage(data);
            ASSERT_EQ(streamed.size(), static_cast<size_t>(imageLength));
            ASSERT_EQ(std::vector<uint8_t>(streamed.begin(), streamed.end()), whole)
                << size << (random ? " random" : " text");

            ByteFile image;
            ByteFile restored;
            ASSERT_TRUE(image.OpenForReading(folder / "out", error));
            ASSERT_TRUE(restored.CreateForWriting(folder / "restored", error));
            int64_t produced = 0;
            EXPECT_EQ(restorer.Restore(image, imageLength, static_cast<int64_t>(size), &restored,
                                       produced),
                      ImageRestorer::Outcome::Restored);
            restored.Close();
            EXPECT_EQ(produced, static_cast<int64_t>(size));
            EXPECT_TRUE(test::ReadFile(folder / "restored") == data) << size;
        }
    }
}

TEST(ImageStream, RefusesStreamsThatNeedMoreRoomOrEndEarly) {
    test::TempFolder folder;
    const std::string data = test::RandomBytes(3 * kImageStreamBufferSize, 5);
    std::vector<uint8_t> image = MakeImage(data);
    test::WriteFile(folder / "image", std::string(image.begin(), image.end()));
    ImageRestorer restorer;
    struct Case {
        const char* what;
        int64_t imageLength;
        int64_t capacity;
        ImageRestorer::Outcome expected;
    };
    const int64_t full = static_cast<int64_t>(image.size());
    const int64_t size = static_cast<int64_t>(data.size());
    const Case cases[] = {
        {"whole", full, size, ImageRestorer::Outcome::Restored},
        {"capacity below the length field", full, size - 1, ImageRestorer::Outcome::Corrupt},
        {"stream cut short", full - 100, size, ImageRestorer::Outcome::Corrupt},
        {"header only", 68, size, ImageRestorer::Outcome::Corrupt},
        {"shorter than a header", 10, size, ImageRestorer::Outcome::Corrupt},
        {"beyond the file", full + 10, size, ImageRestorer::Outcome::ShortRead},
    };
    for (const Case& c : cases) {
        ByteFile input;
        int error = 0;
        ASSERT_TRUE(input.OpenForReading(folder / "image", error));
        int64_t produced = 0;
        EXPECT_EQ(restorer.Restore(input, c.imageLength, c.capacity, nullptr, produced), c.expected)
            << c.what;
    }
}

}  // namespace
}  // namespace wl
