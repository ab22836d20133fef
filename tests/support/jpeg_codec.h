// libjpeg's own compressor and decompressor for the tests (programs that link libjpeg through
// the image module): pictures encoded in memory, and the reference decoding that the loader's
// output is compared with.
#pragma once

#include <cstdint>
#include <cstdio> // jpeglib.h needs FILE declared first
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace test {

struct JpegPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    int components = 0;
    std::vector<uint8_t> pixels; // rows top to bottom, components bytes per pixel
};

// pixels: width × height × components bytes in colour space space (JCS_RGB, JCS_GRAYSCALE,
// JCS_CMYK ...).
inline std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& pixels, uint32_t width,
    uint32_t height, int components, J_COLOR_SPACE space, bool progressive = false)
{
    jpeg_compress_struct compressor;
    jpeg_error_mgr errors;
    compressor.err = jpeg_std_error(&errors);
    jpeg_create_compress(&compressor);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&compressor, &out, &size);
    compressor.image_width = width;
    compressor.image_height = height;
    compressor.input_components = components;
    compressor.in_color_space = space;
    jpeg_set_defaults(&compressor);
    jpeg_set_quality(&compressor, 90, TRUE);
    if (progressive)
        jpeg_simple_progression(&compressor);
    jpeg_start_compress(&compressor, TRUE);
    while (compressor.next_scanline < height) {
        auto* row = const_cast<JSAMPLE*>(
            &pixels[size_t { compressor.next_scanline } * width * components]);
        jpeg_write_scanlines(&compressor, &row, 1);
    }
    jpeg_finish_compress(&compressor);
    jpeg_destroy_compress(&compressor);
    std::vector<uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

// libjpeg's decoding with its default output settings.
inline JpegPicture DecodeJpeg(const std::vector<uint8_t>& bytes)
{
    jpeg_decompress_struct decompressor;
    jpeg_error_mgr errors;
    decompressor.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decompressor);
    jpeg_mem_src(&decompressor, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&decompressor, TRUE);
    jpeg_start_decompress(&decompressor);
    JpegPicture picture;
    picture.width = decompressor.output_width;
    picture.height = decompressor.output_height;
    picture.components = decompressor.output_components;
    size_t stride = size_t { picture.width } * picture.components;
    picture.pixels.resize(stride * picture.height);
    while (decompressor.output_scanline < decompressor.output_height) {
        JSAMPROW row = &picture.pixels[decompressor.output_scanline * stride];
        jpeg_read_scanlines(&decompressor, &row, 1);
    }
    jpeg_finish_decompress(&decompressor);
    jpeg_destroy_decompress(&decompressor);
    return picture;
}

}
