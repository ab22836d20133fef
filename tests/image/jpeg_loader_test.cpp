// JPEG pictures: colour and grey pictures against libjpeg's own decoding, and the pictures that
// must fail their load without ending the process (CMYK, cut headers, empty files, oversized
// frames, endless scans).
#include "tests/image/image_fixture.h"
#include "tests/support/jpeg_codec.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

using test::DecodeJpeg;
using test::EncodeJpeg;
using test::LoadedImage;
using test::PatternPixels;
using test::Shape;

using Jpeg = test::ImageFixture;

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
        EXPECT_EQ((Shape { 37, 23, 3, 0, 37 * 23 * 3 }), loaded.GetShape());
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
    EXPECT_EQ((Shape { 29, 17, 3, 0, 29 * 17 * 3 }), loaded.GetShape());
    EXPECT_EQ(expected, loaded.pixels);
}

// libjpeg's fatal errors come back to the loader: each load fails and this test goes on. A
// CMYK picture (4 components) and a frame of 65500 × 65500 fail with reasons of their own.
TEST_F(Jpeg, BrokenAndUnsupportedFilesFailWithoutEndingTheProcess)
{
    std::vector<uint8_t> bytes = EncodeJpeg(PatternPixels(16, 16, 3), 16, 16, 3, JCS_RGB);
    std::vector<uint8_t> huge = bytes;
    size_t frame = 2; // walk the marker segments to the baseline frame header
    while (frame + 9 < huge.size() && huge[frame + 1] != 0xC0)
        frame += 2 + (huge[frame + 2] << 8 | huge[frame + 3]);
    ASSERT_LT(frame + 9, huge.size());
    huge[frame + 5] = huge[frame + 7] = 0xFF; // height and width 65500
    huge[frame + 6] = huge[frame + 8] = 0xDC;
    const std::pair<std::vector<uint8_t>, const char*> cases[] = {
        { EncodeJpeg(PatternPixels(16, 8, 4), 16, 8, 4, JCS_CMYK),
            "JPEG component count not supported" },
        { huge, "picture too large" }, { {}, "Empty input file" },
        { std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40),
            nullptr }, // cut inside the headers
        { std::vector<uint8_t>(bytes.begin(), bytes.begin() + 2),
            nullptr }, // the start marker only
        { std::vector<uint8_t>(64, 0x5A), nullptr }, // not a JPEG file
    };
    for (const auto& [file, reason] : cases)
        EXPECT_TRUE(Refused(Load("broken.jpg", file), reason)) << (reason ? reason : "any reason");
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
    EXPECT_EQ((Shape { 64, 64, 3, 0, 64 * 64 * 3 }), loaded.GetShape());
    size_t firstRows = 8 * 64 * 3;
    EXPECT_TRUE(
        std::equal(reference.begin(), reference.begin() + firstRows, loaded.pixels.begin()));
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
