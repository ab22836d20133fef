// The PNG writer: libpng reads back the bitmap's pixels as 8-bit RGBA with the alpha bytes
// untouched, and what cannot be written leaves no file.
#include "guib/posix/png_writer.h"
#include "tests/guib/bitmap_checks.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>

namespace {

TEST(PngWriter, RoundTripKeepsEveryByteIncludingAlpha)
{
    test::TempDir dir;
    c_GUIB_Bitmap bitmap(5, 3);
    test::Paint(bitmap,
        [](int32_t x, int32_t y) { return uint32_t(x * 60) << 24 | uint32_t(y * 0x6432 + x * 7); });
    std::string path = dir.File("out.png");
    ASSERT_TRUE(GUIB_WritePng(bitmap, path.c_str()));
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    EXPECT_EQ(5u, image.width);
    EXPECT_EQ(3u, image.height);
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> pixels(size_t(image.width) * image.height);
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    EXPECT_EQ(test::PixelsOf(bitmap), pixels);
}

TEST(PngWriter, NothingIsWrittenForNoPixelsOrAnUnwritablePath)
{
    test::TempDir dir;
    std::string path = dir.File("empty.png");
    EXPECT_FALSE(GUIB_WritePng(c_GUIB_Bitmap(0, 0), path.c_str()));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(GUIB_WritePng(c_GUIB_Bitmap(2, 2), dir.File("no/such/folder.png").c_str()));
}

}
