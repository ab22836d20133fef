// Record store bytes packed by hand, independent of c_GUIB_Store's writer: well-formed records,
// headers with any field value for crafted damage, and the font and bitmap layouts built on
// them. Also small holders that release toolkit objects.
#pragma once

#include "guib/guib.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace test {

using Bytes = std::vector<uint8_t>;

inline Bytes U32s(const std::vector<uint32_t>& values)
{
    Bytes out;
    for (uint32_t value : values)
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(value >> (8 * i)));
    return out;
}

inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// A header with every field as given: the base of crafted records.
inline Bytes RawHeader(uint32_t magic, uint32_t type, uint32_t id, uint32_t headerSize,
    uint32_t contentSize, uint32_t kind)
{
    return U32s({ magic, type, id, headerSize, contentSize, kind });
}

inline Bytes Chunk(uint32_t id, const Bytes& content)
{
    return Cat(
        { RawHeader(GUIB_STORE_MAGIC, 0, id, 24, uint32_t(content.size()), GUIB_RECORD_CHUNK),
            content });
}

inline Bytes Group(uint32_t type, uint32_t id, const Bytes& content, const std::string& name = "")
{
    return Cat({ RawHeader(GUIB_STORE_MAGIC, type, id, uint32_t(24 + name.size() + 1),
                     uint32_t(content.size()), GUIB_RECORD_GROUP),
        Bytes(name.begin(), name.end()), { 0 }, content });
}

// A bitmap record: the size chunk and the pixels as they lie in memory.
inline Bytes BitmapGroup(
    uint32_t id, uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels)
{
    return Group(GUIB_GROUP_BITMAP, id,
        Cat({ Chunk(1, U32s({ 0, 0, width, height })), Chunk(2, U32s(pixels)) }));
}

// A glyph group whose bitmap carries the given pixels (width × height of them).
inline Bytes GlyphGroup(uint32_t code, uint32_t width, uint32_t height, uint32_t overlap,
    const std::vector<uint32_t>& pixels)
{
    return Group(GUIB_GROUP_GLYPH, code,
        Cat({ Chunk(1, U32s({ width, height, overlap, 0xFF000000, 0 })),
            BitmapGroup(0, width, height, pixels) }));
}

inline Bytes FontHeader(uint32_t flags, uint32_t height, uint32_t ascent, uint32_t version = 80)
{
    return Chunk(1, U32s({ version, 0, flags, height, ascent }));
}

// A font group: the header chunk, the code list and the glyph groups.
inline Bytes FontGroup(
    uint32_t id, const Bytes& header, const std::vector<uint32_t>& codes, const Bytes& glyphs)
{
    return Group(GUIB_GROUP_FONT, id, Cat({ header, Chunk(2, U32s(codes)), glyphs }));
}

// Releases a toolkit object's first reference when the test ends.
struct Releaser {
    void operator()(c_GUIB_BasicObject* object) const { object->Release(); }
};
template <typename T> using Held = std::unique_ptr<T, Releaser>;

inline Held<c_GUIB_Store> StoreOf(const Bytes& bytes)
{
    return Held<c_GUIB_Store>(new c_GUIB_Store(bytes.data(), bytes.size()));
}

inline Bytes BytesOf(const c_GUIB_Store& store)
{
    return Bytes(store.GetData(), store.GetData() + store.GetUsedSize());
}

}
