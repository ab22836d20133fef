// The portable PNG encoder, read back by libpng (which checks every CRC and the zlib stream's
// Adler-32): the same pixels, alpha included, whatever the stride and however many stored
// blocks the picture takes, with or without a comment.
#include "tests/support/picture_writer.h"
#include "tests/support/test_support.h"
#include "tools/png/portable_png.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <fstream>

namespace {

struct Shape {
    int32_t width, height, stride;
    const char* comment;
};

TEST(PngEncode, LibpngReadsBackEveryPixel)
{
    test::TempDir dir;
    // One pixel; padding between rows; more than one 65535-byte stored block.
    for (Shape shape :
        { Shape { 1, 1, 1, "" }, Shape { 5, 3, 7, "frame 5x3" }, Shape { 200, 90, 200, "" } }) {
        std::vector<uint8_t> bytes = test::PatternPixels(shape.stride, shape.height, 4);
        std::vector<uint32_t> pixels(bytes.size() / 4);
        std::memcpy(pixels.data(), bytes.data(), bytes.size());
        std::filesystem::path path = dir.Path() / "sub" / "frame.png";
        ASSERT_TRUE(portable_png::WritePng(
            path, pixels.data(), shape.width, shape.height, shape.stride, shape.comment));
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "sub" / "frame.png.tmp"));

        png_image image {};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << image.message;
        EXPECT_EQ(uint32_t(shape.width), image.width);
        EXPECT_EQ(uint32_t(shape.height), image.height);
        image.format = PNG_FORMAT_BGRA; // bytes B, G, R, A: 0xAARRGGBB words here
        std::vector<uint32_t> read(size_t(shape.width) * size_t(shape.height));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, read.data(), 0, nullptr))
            << image.message;
        for (int32_t y = 0; y < shape.height; ++y)
            for (int32_t x = 0; x < shape.width; ++x)
                ASSERT_EQ(pixels[size_t(y * shape.stride + x)], read[size_t(y * shape.width + x)])
                    << x << "," << y << " of " << shape.width << "x" << shape.height;
    }
}

TEST(PngEncode, RefusesWhatItCannotWriteAndLeavesNothing)
{
    test::TempDir dir;
    uint32_t pixel = 0xFF00FF00;
    EXPECT_TRUE(portable_png::EncodePng(nullptr, 1, 1, 1).empty());
    EXPECT_TRUE(portable_png::EncodePng(&pixel, 0, 1, 1).empty());
    EXPECT_TRUE(portable_png::EncodePng(&pixel, 2, 1, 1).empty());
    std::ofstream(dir.Path() / "file") << "x";
    EXPECT_FALSE(portable_png::WritePng(dir.Path() / "file" / "in.png", &pixel, 1, 1, 1));
    EXPECT_FALSE(portable_png::WritePng(dir.Path() / "empty.png", &pixel, 0, 0, 0));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "empty.png"));
}

}
