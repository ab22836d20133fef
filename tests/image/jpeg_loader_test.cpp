// JPEG pictures: colour and grey pictures against libjpeg's own decoding, and the pictures that
// must fail their load without ending the process (CMYK, cut headers, empty files, oversized
// frames, endless scans).
#include "tests/image/image_fixture.h"
#include "tests/support/jpeg_codec.h"

#include <string>
#include <vector>

namespace {

using test::DecodeJpeg;
using test::EncodeJpeg;
using test::LoadedImage;
using test::PatternPixels;

using Jpeg = test::ImageFixture;

// The offset of the first frame header (SOF0 or SOF2), found by walking the marker segments.
size_t FrameHeader(const std::vector<uint8_t>& bytes)
{
    for (size_t i = 2; i + 4 <= bytes.size();) {
        if (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)
            return i;
        i += 2 + (bytes[i + 2] << 8 | bytes[i + 3]);
    }
    return 0;
}

bool IsEmptyRecord(const ImageRecord& record)
{
    return record.width == 0 && record.height == 0 && record.dataSize == 0
        && record.pixels == nullptr;
}

TEST_F(Jpeg, ColourPictureMatchesLibjpegsDecoding)
{
    std::vector<uint8_t> rgb = PatternPixels(37, 23, 3);
    for (bool progressive : { false, true }) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        std::vector<uint8_t> bytes = EncodeJpeg(rgb, 37, 23, 3, JCS_RGB, progressive);
        test::JpegPicture reference = DecodeJpeg(bytes);
        ASSERT_EQ(3, reference.components);
        LoadedImage loaded = Load("colour.jpg", bytes);
        ASSERT_EQ(1, loaded.result);
        EXPECT_EQ(37u, loaded.record.width);
        EXPECT_EQ(23u, loaded.record.height);
        EXPECT_EQ(3u, loaded.record.bytesPerPixel);
        EXPECT_EQ(0u, loaded.record.flags);
        EXPECT_EQ(37u * 23u * 3u, loaded.record.dataSize);
        EXPECT_EQ(reference.pixels, loaded.pixels);
    }
}

TEST_F(Jpeg, GreyPictureIsSpreadToThreeEqualChannels)
{
    std::vector<uint8_t> bytes = EncodeJpeg(PatternPixels(29, 17, 1), 29, 17, 1, JCS_GRAYSCALE);
    test::JpegPicture reference = DecodeJpeg(bytes);
    ASSERT_EQ(1, reference.components);
    std::vector<uint8_t> expected;
    for (uint8_t grey : reference.pixels)
        expected.insert(expected.end(), 3, grey);
    LoadedImage loaded = Load("grey.jpg", bytes);
    ASSERT_EQ(1, loaded.result);
    EXPECT_EQ(3u, loaded.record.bytesPerPixel);
    EXPECT_EQ(29u * 17u * 3u, loaded.record.dataSize);
    EXPECT_EQ(expected, loaded.pixels);
}

TEST_F(Jpeg, CmykPictureIsRefused)
{
    std::vector<uint8_t> bytes = EncodeJpeg(PatternPixels(16, 8, 4), 16, 8, 4, JCS_CMYK);
    ASSERT_EQ(4, DecodeJpeg(bytes).components);
    EXPECT_TRUE(Refused(Load("cmyk.jpg", bytes), "JPEG component count not supported"));
}

// libjpeg's fatal errors come back to the loader: the load fails and this test goes on.
TEST_F(Jpeg, BrokenFilesFailWithoutEndingTheProcess)
{
    std::vector<uint8_t> bytes = EncodeJpeg(PatternPixels(16, 16, 3), 16, 16, 3, JCS_RGB);
    std::vector<std::vector<uint8_t>> broken = {
        std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40), // cut inside the headers
        std::vector<uint8_t>(bytes.begin(), bytes.begin() + 2), // the start marker only
        std::vector<uint8_t>(64, 0x5A), // not a JPEG file
    };
    for (const std::vector<uint8_t>& file : broken) {
        Reasons().clear();
        LoadedImage loaded = Load("broken.jpg", file);
        EXPECT_EQ(0, loaded.result);
        EXPECT_TRUE(IsEmptyRecord(loaded.record));
        EXPECT_FALSE(Reasons().empty());
    }
    EXPECT_TRUE(Refused(Load("empty.jpg", {}), "Empty input file"));
    EXPECT_EQ(1, Load("after.jpg", bytes).result);
}

// A file cut inside the compressed rows ends with a supplied end marker, as libjpeg's own
// file source does: the picture keeps its size and its complete top rows.
TEST_F(Jpeg, FileCutInsideTheRowsStillLoads)
{
    std::vector<uint8_t> bytes = EncodeJpeg(PatternPixels(64, 64, 3), 64, 64, 3, JCS_RGB);
    std::vector<uint8_t> reference = DecodeJpeg(bytes).pixels;
    LoadedImage loaded = Load(
        "cut.jpg", std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() * 3 / 4));
    ASSERT_EQ(1, loaded.result);
    EXPECT_EQ(64u, loaded.record.width);
    EXPECT_EQ(64u, loaded.record.height);
    size_t firstRows = 8 * 64 * 3;
    EXPECT_TRUE(
        std::equal(reference.begin(), reference.begin() + firstRows, loaded.pixels.begin()));
}

TEST_F(Jpeg, OversizedFrameIsRefusedBeforeDecoding)
{
    std::vector<uint8_t> bytes = EncodeJpeg(PatternPixels(16, 16, 3), 16, 16, 3, JCS_RGB);
    size_t frame = FrameHeader(bytes);
    ASSERT_NE(0u, frame);
    for (uint8_t* size : { &bytes[frame + 5], &bytes[frame + 7] }) {
        size[0] = 0xFF; // 65500
        size[1] = 0xDC;
    }
    EXPECT_TRUE(Refused(Load("huge.jpg", bytes), "picture too large"));
}

// Repeating the last refinement scan only draws warnings from libjpeg, so a file can make the
// decoder run scan after scan; past a few hundred the load is given up.
TEST_F(Jpeg, EndlessScansAreCutOff)
{
    std::vector<uint8_t> bytes = EncodeJpeg(PatternPixels(8, 8, 3), 8, 8, 3, JCS_RGB, true);
    size_t lastScan = bytes.size() - 2;
    while (lastScan > 0 && !(bytes[lastScan] == 0xFF && bytes[lastScan + 1] == 0xDA))
        --lastScan;
    ASSERT_NE(0u, lastScan);
    std::vector<uint8_t> scan(bytes.begin() + lastScan, bytes.end() - 2);
    std::vector<uint8_t> endless(bytes.begin(), bytes.end() - 2);
    for (int i = 0; i < 600; ++i)
        endless.insert(endless.end(), scan.begin(), scan.end());
    endless.insert(endless.end(), { 0xFF, 0xD9 });
    EXPECT_TRUE(Refused(Load("endless.jpg", endless), "JPEG picture has too many scans"));
}

}
