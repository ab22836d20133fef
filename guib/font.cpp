// c_GUIB_Font: the glyph table (an item store keyed by character code whose values are glyph
// records), glyph access and metrics, copies, and the capture of a system font into coverage
// glyphs. Reading and writing font records lives in font_store.cpp.
#include "guib/guib.h"
#include "guib/os_font.h"

#include <algorithm>
#include <new>

namespace {

constexpr uint32_t LAST_WIDE_CHARACTER = 0xFFFF;

// The table's release callback: the record owns one reference of its bitmap.
void ReleaseGlyphRecord(uint32_t, uintptr_t value)
{
    auto* glyph = reinterpret_cast<GUIB_Glyph*>(value);
    if (glyph->bitmap != nullptr)
        glyph->bitmap->Release();
    SYS_Free(glyph);
}

}

c_GUIB_Font::c_GUIB_Font()
{
    m_glyphs = SYS_StoreCreate(ReleaseGlyphRecord, 0);
}

c_GUIB_Font::c_GUIB_Font(const char* fileName)
    : c_GUIB_Font()
{
    auto* store = new (std::nothrow) c_GUIB_Store(fileName);
    if (store == nullptr)
        return;
    (void)LoadFromStore(store, 0);
    store->Release();
}

c_GUIB_Font::~c_GUIB_Font()
{
    if (m_glyphs != nullptr)
        (void)SYS_StoreDestroy(m_glyphs, 1, 0);
}

// Characters mostly arrive in ascending order (captures, and files written by SaveToStore,
// which lists them so), so a code above every one added so far needs no search.
bool c_GUIB_Font::HasGlyph(uint32_t character) const
{
    if (GetGlyphCount() == 0 || character > m_highestCharacter)
        return false;
    return SYS_StoreGet(m_glyphs, character, nullptr) == SYS_OK;
}

SYS_Status c_GUIB_Font::AddGlyph(uint32_t character, GUIB_Glyph* glyph, int32_t where)
{
    if (HasGlyph(character)) {
        ReleaseGlyphRecord(character, reinterpret_cast<uintptr_t>(glyph));
        return SYS_BAD_ARGUMENT;
    }
    return InsertGlyph(character, glyph, where);
}

SYS_Status c_GUIB_Font::InsertGlyph(uint32_t character, GUIB_Glyph* glyph, int32_t where)
{
    SYS_Status status = SYS_NO_MEMORY;
    if (m_glyphs != nullptr)
        status = SYS_StoreAdd(m_glyphs, character, reinterpret_cast<uintptr_t>(glyph), where);
    if (status != SYS_OK) {
        ReleaseGlyphRecord(character, reinterpret_cast<uintptr_t>(glyph));
        return status;
    }
    m_highestCharacter = std::max(m_highestCharacter, character);
    m_tallestGlyph = std::max(m_tallestGlyph, glyph->height);
    return SYS_OK;
}

// With glyphs in the table the line height is the tallest glyph; glyph heights are at most the
// bitmap side limit, so they fit the signed height.
void c_GUIB_Font::UpdateLineHeight()
{
    if (GetGlyphCount() != 0)
        m_height = int32_t(m_tallestGlyph);
}

SYS_Status c_GUIB_Font::CreateFontFromWindows(
    const GUIB_LogFont* font, uint32_t first, uint32_t count, const GUIB_FontOptions* options)
{
    if (count == 0)
        return GUIB_FONT_EMPTY_RANGE;
    if (font == nullptr || first > LAST_WIDE_CHARACTER)
        return GUIB_FONT_NOT_CREATED;
    // Characters are 16-bit codes: a range that would run past the last one stops there.
    const uint32_t last
        = uint32_t(std::min<uint64_t>(uint64_t { first } + count - 1, LAST_WIDE_CHARACTER));
    const GUIB_FontOptions noOptions {};
    guib::os::CapturedMetrics metrics {};
    auto report = [](void* context, const guib::os::CapturedGlyph& glyph) {
        (void)static_cast<c_GUIB_Font*>(context)->AddCoverageGlyph(
            glyph.character, glyph.width, glyph.height, glyph.overlap, glyph.coverage);
    };
    if (!guib::os::CaptureFont(
            *font, first, last, options != nullptr ? *options : noOptions, &metrics, report, this))
        return GUIB_FONT_NOT_CREATED;
    m_height = metrics.height;
    m_ascent = metrics.ascent;
    UpdateLineHeight();
    m_flags |= GUIB_FONT_COVERAGE;
    (void)SYS_StoreSortIndex(m_glyphs);
    return SYS_OK;
}

SYS_Status c_GUIB_Font::AddCoverageGlyph(
    uint32_t character, uint32_t width, uint32_t height, uint32_t overlap, const uint8_t* coverage)
{
    if (coverage == nullptr || width < 1 || height < 1 || width > uint32_t(GUIB_MAX_BITMAP_SIDE)
        || height > uint32_t(GUIB_MAX_BITMAP_SIDE))
        return SYS_BAD_ARGUMENT;
    auto* bitmap = new (std::nothrow) c_GUIB_Bitmap(int32_t(width), int32_t(height));
    if (bitmap == nullptr)
        return SYS_NO_MEMORY;
    uint32_t* pixels = bitmap->GetPixels();
    auto* glyph
        = static_cast<GUIB_Glyph*>(SYS_Alloc(sizeof(GUIB_Glyph), "character", SYS_TAG_GUIB));
    if (pixels == nullptr || glyph == nullptr) {
        bitmap->Release();
        SYS_Free(glyph);
        return SYS_NO_MEMORY;
    }
    const size_t count = size_t { width } * height;
    for (size_t i = 0; i < count; ++i)
        if (coverage[i] != 0)
            pixels[i] = (m_glyphColour & 0x00FFFFFF) | uint32_t { coverage[i] } << 24;
    *glyph = { width, height, overlap, m_glyphColour, bitmap };
    return AddGlyph(character, glyph, SYS_AT_TAIL);
}

void c_GUIB_Font::SetHeader(uint32_t flags, int32_t height, int32_t ascent)
{
    m_flags = flags;
    m_height = height;
    m_ascent = ascent;
}

SYS_Status c_GUIB_Font::CopyFrom(const c_GUIB_Font& other)
{
    auto* store = new (std::nothrow) c_GUIB_Store();
    if (store == nullptr)
        return SYS_NO_MEMORY;
    SYS_Status status = other.SaveToStore(store, 1);
    const SYS_Status loaded = LoadFromStore(store, 1);
    store->Release();
    return status != SYS_OK ? status : loaded;
}

bool c_GUIB_Font::GetGlyph(uint32_t character, GUIB_Glyph** glyph) const
{
    uintptr_t value = 0;
    if (glyph == nullptr || m_glyphs == nullptr
        || SYS_StoreGet(m_glyphs, character, &value) != SYS_OK)
        return false;
    *glyph = reinterpret_cast<GUIB_Glyph*>(value);
    return true;
}

void c_GUIB_Font::ReleaseGlyph(uint32_t character) const
{
    if (m_glyphs != nullptr)
        (void)SYS_StoreRelease(m_glyphs, character, 1);
}

SYS_Status c_GUIB_Font::GetMetrics(int32_t* height, int32_t* ascent) const
{
    if (height != nullptr)
        *height = m_height;
    if (ascent != nullptr)
        *ascent = m_ascent;
    return SYS_OK;
}

uint32_t c_GUIB_Font::GetGlyphCount() const
{
    uint32_t count = 0;
    if (m_glyphs != nullptr)
        (void)SYS_StoreCount(m_glyphs, &count);
    return count;
}

SYS_Status c_GUIB_Font::ListCharacters(uint32_t** codes, uint32_t* count) const
{
    if (codes == nullptr || count == nullptr)
        return SYS_BAD_ARGUMENT;
    *codes = nullptr;
    *count = 0;
    if (GetGlyphCount() == 0)
        return SYS_OK;
    if (auto status = SYS_StoreListIds(m_glyphs, codes, count); status != SYS_OK)
        return status;
    std::sort(*codes, *codes + *count);
    return SYS_OK;
}
