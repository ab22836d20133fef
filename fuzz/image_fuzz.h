// Shared by the image loaders' fuzz targets: the input is written as a picture file into a
// private temporary folder and loaded by name through the archive file system, as the
// installer loads its pictures. Whatever the bytes, a load gives a consistent, fully readable
// record or a zeroed one.
#pragma once

#include "bigfile/bigfile.h"
#include "image/image.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fuzz {

// The folder made at the first call, with the archive file system started on it, and removed
// at exit. Its name outlives every static object, since the exit handler still needs it.
inline const std::string& PictureFolder()
{
    static const std::string* folder = [] {
        std::filesystem::path path = std::filesystem::temp_directory_path()
            / ("patcher-fuzz-image-" + std::to_string(std::random_device {}()));
        std::filesystem::create_directories(path);
        auto* name = new std::string(path.string());
        BF_InitParams params {};
        params.baseDir = name->c_str();
        params.plainNames = 1;
        if (BF_Init(&params) != 1)
            std::abort();
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(PictureFolder(), error);
        });
        return name;
    }();
    return *folder;
}

inline void CheckRecord(int result, const ImageRecord& image)
{
    if (result == 0) {
        if (image.width != 0 || image.height != 0 || image.flags != 0 || image.dataSize != 0
            || image.bytesPerPixel != 0 || image.pixels != nullptr)
            std::abort();
        return;
    }
    uint64_t size = uint64_t { image.width } * image.height * image.bytesPerPixel;
    bool alpha = (image.flags & IMAGE_FLAG_ALPHA) != 0;
    if ((image.bytesPerPixel != 3 && image.bytesPerPixel != 4)
        || alpha != (image.bytesPerPixel == 4) || size != image.dataSize
        || (size != 0) != (image.pixels != nullptr))
        std::abort();
    // Every byte of the block is read, so that the sanitizers see any part the loader did not own.
    volatile uint8_t sum = 0;
    for (uint32_t i = 0; i < image.dataSize; ++i)
        sum = static_cast<uint8_t>(sum + image.pixels[i]);
}

inline int LoadPictureBytes(const uint8_t* data, size_t size, const char* fileName)
{
    std::filesystem::path path = std::filesystem::path(PictureFolder()) / fileName;
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ImageRecord image;
    int result = LoadImage(fileName, &image);
    CheckRecord(result, image);
    FreeImage(image.pixels);
    return 0;
}

}
