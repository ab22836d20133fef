// Fonts in a record store: the font group with its header chunk, the list of character codes
// and one glyph group per code. Font files come with language packs, so every record is checked
// before it is used and a damaged glyph is skipped rather than trusted.
#include "guib/guib.h"

#include <algorithm>
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

// The codes a font group lists, sorted and without repeats, each claimed at most once: by the
// first glyph group of its code, or up front when the font has the character already.
class ListedCodes {
public:
    ListedCodes(const uint8_t* codes, uint32_t count)
    {
        m_entries = SYS_AllocArray<Entry>(count, "font code list", SYS_TAG_GUIB);
        Entry* entries = m_entries.get();
        if (entries == nullptr)
            return;
        for (uint32_t i = 0; i < count; ++i)
            entries[i] = { SYS_LoadU32(codes + 4 * size_t { i }), false };
        auto byCode = [](const Entry& a, const Entry& b) { return a.code < b.code; };
        auto sameCode = [](const Entry& a, const Entry& b) { return a.code == b.code; };
        std::sort(entries, entries + count, byCode);
        m_count = uint32_t(std::unique(entries, entries + count, sameCode) - entries);
    }

    // True the first time a listed code is claimed; false for a code not listed or claimed before.
    bool Claim(uint32_t code)
    {
        Entry* end = m_entries.get() + m_count;
        Entry* at = std::lower_bound(
            m_entries.get(), end, code, [](const Entry& e, uint32_t c) { return e.code < c; });
        if (at == end || at->code != code || at->claimed)
            return false;
        at->claimed = true;
        return true;
    }
    bool IsEmpty() const { return m_count == 0; }

private:
    struct Entry {
        uint32_t code;
        bool claimed;
    };
    SYS_Block<Entry[]> m_entries;
    uint32_t m_count = 0;
};

// The glyph record chunk of the glyph group the store has entered: exactly 20 bytes, each side
// 1 to GUIB_MAX_GLYPH_SIDE. The fifth field held the writer's bitmap reference; it means
// nothing here.
bool ReadGlyphRecord(const c_GUIB_Store* store, GUIB_Glyph* glyph)
{
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    if (store->FindChunk(GLYPH_CHUNK, &data, &size) != SYS_OK || size != GUIB_GLYPH_RECORD_SIZE)
        return false;
    *glyph = { SYS_LoadU32(data), SYS_LoadU32(data + 4), SYS_LoadU32(data + 8),
        SYS_LoadU32(data + 12), nullptr };
    return glyph->width >= 1 && glyph->height >= 1 && glyph->width <= GUIB_MAX_GLYPH_SIDE
        && glyph->height <= GUIB_MAX_GLYPH_SIDE;
}

// Reads the glyph group the store has entered: a sound record and a bitmap record of the
// record's size whose pixel chunk holds every pixel. Both are checked before anything is
// allocated, so the glyphs of a font take no more memory than its file has bytes. Null for
// anything else.
GUIB_Glyph* ReadGlyph(c_GUIB_Store* store)
{
    GUIB_Glyph record {};
    if (!ReadGlyphRecord(store, &record)
        || !c_GUIB_Bitmap::StoreHoldsPixels(store, GLYPH_BITMAP_ID, record.width, record.height))
        return nullptr;
    auto* glyph
        = static_cast<GUIB_Glyph*>(SYS_Alloc(sizeof(GUIB_Glyph), "character header", SYS_TAG_GUIB));
    if (glyph == nullptr)
        return nullptr;
    *glyph = record;
    glyph->bitmap = new (std::nothrow) c_GUIB_Bitmap(store, GLYPH_BITMAP_ID);
    int32_t width = 0;
    if (glyph->bitmap != nullptr)
        glyph->bitmap->GetSize(&width, nullptr);
    if (width != 0) // the size was checked; 0 means its pixels could not be had
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
        *header = { SYS_LoadU32(data), SYS_LoadU32(data + 8), int32_t(SYS_LoadU32(data + 12)),
            int32_t(SYS_LoadU32(data + 16)) };
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

// Maps the listed codes to glyph groups in one walk over the font group, so loading costs
// time in proportion to the file. Each code takes the first glyph group of its code, as a
// lookup by code would find it, and only when that group and its records are sound; a code
// listed twice, or one the font has already, keeps its first glyph. A damaged record ends the
// walk and the glyphs before it stay.
void c_GUIB_Font::LoadGlyphs(c_GUIB_Store* store, const uint8_t* codes, uint32_t count)
{
    ListedCodes listed(codes, count);
    if (listed.IsEmpty())
        return;
    uint32_t* present = nullptr;
    uint32_t presentCount = 0;
    if (ListCharacters(&present, &presentCount) != SYS_OK)
        return;
    for (uint32_t i = 0; i < presentCount; ++i)
        (void)listed.Claim(present[i]);
    SYS_Free(present);
    uint32_t cursor = 0;
    uint32_t character = 0;
    while (store->OpenNextGroup(GUIB_GROUP_GLYPH, &cursor, &character) == SYS_OK) {
        GUIB_Glyph* glyph = listed.Claim(character) ? ReadGlyph(store) : nullptr;
        (void)store->EndGroup();
        if (glyph != nullptr)
            (void)InsertGlyph(character, glyph, SYS_AT_HEAD);
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
