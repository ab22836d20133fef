// Fonts in a record store: the font group with its header chunk, the list of character codes
// and one glyph group per code. Font files come with language packs, so every record is checked
// before it is used and a damaged glyph is skipped rather than trusted.
#include "guib/guib.h"

#include <new>

namespace {

constexpr uint32_t HEADER_CHUNK = 1;
constexpr uint32_t CODES_CHUNK = 2;
constexpr uint32_t GLYPH_CHUNK = 1;
constexpr uint32_t GLYPH_BITMAP_ID = 0;
constexpr const char* BAD_HEADER = "c_GUIB_Font::LoadFromStore - corrupted file or wrong version";

struct FontHeader {
    uint32_t version;
    uint32_t flags;
    int32_t height;
    int32_t ascent;
};

// Whether the glyph's bitmap is the size its record claims (and so at least 1 × 1).
bool BitmapFitsRecord(const GUIB_Glyph& glyph)
{
    int32_t width = 0;
    int32_t height = 0;
    glyph.bitmap->GetSize(&width, &height);
    return width >= 1 && height >= 1 && uint32_t(width) == glyph.width
        && uint32_t(height) == glyph.height;
}

// Reads the glyph group the store has entered: a record chunk of exactly 20 bytes within the
// glyph size limit and a bitmap of the record's size. Null for anything else.
GUIB_Glyph* ReadGlyph(c_GUIB_Store* store)
{
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    if (store->FindChunk(GLYPH_CHUNK, &data, &size) != SYS_OK || size != GUIB_GLYPH_RECORD_SIZE)
        return nullptr;
    auto* glyph = static_cast<GUIB_Glyph*>(SYS_Alloc(sizeof(GUIB_Glyph), "character header", SYS_TAG_GUIB));
    if (glyph == nullptr)
        return nullptr;
    // The fifth field held the writer's bitmap reference; it means nothing here.
    *glyph = { SYS_LoadU32(data), SYS_LoadU32(data + 4), SYS_LoadU32(data + 8), SYS_LoadU32(data + 12), nullptr };
    if (glyph->width > GUIB_MAX_GLYPH_SIDE || glyph->height > GUIB_MAX_GLYPH_SIDE) {
        SYS_Free(glyph);
        return nullptr;
    }
    glyph->bitmap = new (std::nothrow) c_GUIB_Bitmap(store, GLYPH_BITMAP_ID);
    if (glyph->bitmap != nullptr && BitmapFitsRecord(*glyph))
        return glyph;
    if (glyph->bitmap != nullptr)
        glyph->bitmap->Release();
    SYS_Free(glyph);
    return nullptr;
}

// The font header chunk of the entered font group. A store error is returned; a chunk of the
// wrong size or an old version gives SYS_OK with *valid false.
SYS_Status ReadFontHeader(c_GUIB_Store* store, FontHeader* header, bool* valid)
{
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    if (auto status = store->FindChunk(HEADER_CHUNK, &data, &size); status != SYS_OK)
        return status;
    *valid = size == GUIB_FONT_HEADER_SIZE && SYS_LoadU32(data) >= GUIB_FONT_VERSION;
    if (*valid)
        *header = { SYS_LoadU32(data), SYS_LoadU32(data + 8), int32_t(SYS_LoadU32(data + 12)), int32_t(SYS_LoadU32(data + 16)) };
    return SYS_OK;
}

SYS_Status WriteGlyph(c_GUIB_Store* store, uint32_t character, const GUIB_Glyph& glyph)
{
    if (auto status = store->BeginGroup(GUIB_GROUP_GLYPH, character, nullptr); status != SYS_OK)
        return status;
    uint8_t record[GUIB_GLYPH_RECORD_SIZE] = {};
    SYS_StoreU32(record, glyph.width);
    SYS_StoreU32(record + 4, glyph.height);
    SYS_StoreU32(record + 8, glyph.overlap);
    SYS_StoreU32(record + 12, glyph.tintColour);
    SYS_Status status = store->WriteChunk(GLYPH_CHUNK, record, sizeof record);
    if (status == SYS_OK)
        status = glyph.bitmap->SaveToStore(store, GLYPH_BITMAP_ID);
    const SYS_Status ended = store->EndGroup();
    return status != SYS_OK ? status : ended;
}

SYS_Status WriteFontHeader(c_GUIB_Store* store, uint32_t flags, int32_t height, int32_t ascent)
{
    uint8_t header[GUIB_FONT_HEADER_SIZE] = {};
    SYS_StoreU32(header, GUIB_FONT_VERSION);
    SYS_StoreU32(header + 8, flags);
    SYS_StoreU32(header + 12, uint32_t(height));
    SYS_StoreU32(header + 16, uint32_t(ascent));
    return store->WriteChunk(HEADER_CHUNK, header, sizeof header);
}

SYS_Status WriteCodes(c_GUIB_Store* store, const uint32_t* codes, uint32_t count)
{
    if (auto status = store->BeginChunk(CODES_CHUNK); status != SYS_OK)
        return status;
    SYS_Status status = SYS_OK;
    for (uint32_t i = 0; i < count && status == SYS_OK; ++i) {
        uint8_t code[4];
        SYS_StoreU32(code, codes[i]);
        status = store->Write(code, sizeof code);
    }
    const SYS_Status ended = store->EndChunk();
    return status != SYS_OK ? status : ended;
}

}

SYS_Status c_GUIB_Font::LoadFromStore(c_GUIB_Store* store, uint32_t id)
{
    if (store == nullptr)
        return SYS_BAD_ARGUMENT;
    if (auto status = store->OpenGroup(GUIB_GROUP_FONT, id); status != SYS_OK)
        return status;
    FontHeader header {};
    bool valid = false;
    const uint8_t* codes = nullptr;
    uint32_t codesSize = 0;
    SYS_Status status = ReadFontHeader(store, &header, &valid);
    if (status == SYS_OK && valid)
        status = store->FindChunk(CODES_CHUNK, &codes, &codesSize);
    if (status == SYS_OK && valid)
        LoadGlyphs(store, codes, codesSize / 4);
    (void)store->EndGroup();
    if (status != SYS_OK)
        return status;
    // Without glyphs the header's height is the line height; below 1 the font is unusable.
    if (!valid || (GetGlyphCount() == 0 && header.height < 1)) {
        SYS_Trace(SYS_TAG_GUIB, 0, BAD_HEADER);
        return SYS_OK;
    }
    m_flags = header.flags;
    m_height = header.height;
    m_ascent = header.ascent;
    UpdateLineHeight();
    (void)SYS_StoreSortIndex(m_glyphs);
    return SYS_OK;
}

// Each code whose glyph group and record are sound adds a glyph at the front of the table; a
// code listed twice (or one the font has already) keeps its first glyph.
void c_GUIB_Font::LoadGlyphs(c_GUIB_Store* store, const uint8_t* codes, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t character = SYS_LoadU32(codes + 4 * size_t { i });
        if (HasGlyph(character) || store->OpenGroup(GUIB_GROUP_GLYPH, character) != SYS_OK)
            continue;
        GUIB_Glyph* glyph = ReadGlyph(store);
        (void)store->EndGroup();
        if (glyph != nullptr)
            (void)AddGlyph(character, glyph, SYS_AT_HEAD);
    }
}

SYS_Status c_GUIB_Font::SaveToStore(c_GUIB_Store* store, uint32_t id) const
{
    if (store == nullptr)
        return SYS_BAD_ARGUMENT;
    if (auto status = store->BeginGroup(GUIB_GROUP_FONT, id, nullptr); status != SYS_OK)
        return status;
    SYS_Status status = WriteFontHeader(store, m_flags, m_height, m_ascent);
    uint32_t* codes = nullptr;
    uint32_t count = 0;
    if (status == SYS_OK)
        status = ListCharacters(&codes, &count);
    if (status == SYS_OK && count != 0)
        status = WriteCodes(store, codes, count);
    for (uint32_t i = 0; i < count && status == SYS_OK; ++i) {
        GUIB_Glyph* glyph = nullptr;
        if (!GetGlyph(codes[i], &glyph))
            continue;
        status = WriteGlyph(store, codes[i], *glyph);
        ReleaseGlyph(codes[i]);
    }
    SYS_Free(codes);
    const SYS_Status ended = store->EndGroup();
    return status != SYS_OK ? status : ended;
}
