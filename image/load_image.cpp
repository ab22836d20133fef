// LoadImage: picks the loader by the file name's extension and hands it the file's bytes (BMP,
// TGA) or the name (JPEG, whose decoder reads the file itself).
#include "image/image_internal.h"

namespace {

using namespace image::detail;

enum class Format { None, Bmp, Tga, Jpeg };

// A BMP or TGA file never needs more than the largest accepted pixel data plus its headers,
// palette or colour map, which all fit in one more MiB.
constexpr uint64_t MAX_FILE_SIZE = IMAGE_MAX_BLOCK + (1u << 20);

char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameExtension(const char* extension, const char* lowerCase)
{
    for (; *extension != '\0' && *lowerCase != '\0'; ++extension, ++lowerCase)
        if (FoldCase(*extension) != *lowerCase)
            return false;
    return *extension == *lowerCase;
}

// The extension is what follows the last "." of the name's last path part.
Format FormatOf(const char* name)
{
    const char* end = name;
    while (*end != '\0')
        ++end;
    const char* p = end;
    while (p != name && p[-1] != '.' && p[-1] != '\\' && p[-1] != '/')
        --p;
    if (p == name || p[-1] != '.' || p == end)
        return Format::None;
    static constexpr struct {
        const char* extension;
        Format format;
    } TABLE[] = { { "bmp", Format::Bmp }, { "jpg", Format::Jpeg }, { "jepg", Format::Jpeg },
        { "tga", Format::Tga } };
    for (const auto& entry : TABLE)
        if (SameExtension(p, entry.extension))
            return entry.format;
    return Format::None;
}

bool LoadFromFile(BF_Handle file, Format format, ImageRecord* image)
{
    FileBytes bytes;
    if (!bytes.Read(file, MAX_FILE_SIZE))
        return false;
    SYS_SpanReader reader = bytes.Reader();
    return format == Format::Bmp ? LoadBmp(reader, image) : LoadTga(reader, image);
}

}

int LoadImage(const char* name, ImageRecord* image)
{
    if (image == nullptr)
        return 0;
    *image = {};
    if (name == nullptr)
        return Refuse("no picture file name");
    Format format = FormatOf(name);
    if (format == Format::None)
        return Refuse("picture file extension not known");
    BF_Handle file = BF_Open(name, BF_GENERIC_READ);
    if (file == 0)
        return Refuse("picture file cannot be opened");
    bool loaded = false;
    if (format == Format::Jpeg) {
        // The JPEG decoder's data source opens the file again by name.
        BF_Close(file);
        loaded = LoadJpeg(name, image);
    } else {
        loaded = LoadFromFile(file, format, image);
        BF_Close(file);
    }
    if (!loaded)
        DiscardImage(image);
    return loaded ? 1 : 0;
}
