// The GUI toolkit: reference-counted objects, 32-bit bitmaps and their drawing primitives, the
// record store and fonts. Everything the installer shows is drawn with these into off-screen
// bitmaps.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

// ---- Objects and bitmaps ------------------------------------------------------------------

// A rectangle in pixels; right and bottom are exclusive. It is empty when left >= right or
// top >= bottom.
struct GUIB_Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Narrows *r in place to its overlap with *other and returns true; returns false, leaving *r
// unchanged, when they do not overlap (either is empty).
bool GUIB_IntersectRect(GUIB_Rect* r, const GUIB_Rect* other);

// The reference-counted base of the toolkit's resources. A new object holds one reference;
// Release drops one and destroys the object through its virtual destructor at 0.
class c_GUIB_BasicObject {
public:
    c_GUIB_BasicObject() = default;
    // A copy is a new object: it starts with its own single reference.
    c_GUIB_BasicObject(const c_GUIB_BasicObject&)
        : c_GUIB_BasicObject()
    {
    }
    c_GUIB_BasicObject& operator=(const c_GUIB_BasicObject&) = delete;
    virtual ~c_GUIB_BasicObject();

    // Each returns the count after the change.
    uint32_t AddRef();
    uint32_t Release();
    uint32_t GetRefCount() const { return m_refCount; }

private:
    uint32_t m_refCount = 1;
};

// One counted reference to a c_GUIB_BasicObject or a class derived from it: a copy takes a
// reference of its own, destruction, Reset and assignment give the held one back, and a move
// hands it on without touching the count. Built from a pointer it takes a new reference; Adopt
// takes over one its caller already holds, such as the first reference of a new object, so
// that the object is not counted twice.
template <typename T> class GUIB_Ref {
public:
    GUIB_Ref() = default;
    explicit GUIB_Ref(T* object)
        : m_object(object)
    {
        if (m_object != nullptr)
            m_object->AddRef();
    }
    static GUIB_Ref Adopt(T* object)
    {
        GUIB_Ref ref;
        ref.m_object = object;
        return ref;
    }
    GUIB_Ref(const GUIB_Ref& other)
        : GUIB_Ref(other.m_object)
    {
    }
    GUIB_Ref(GUIB_Ref&& other) noexcept
        : m_object(std::exchange(other.m_object, nullptr))
    {
    }
    // A reference to a derived class converts to one to its base.
    template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    GUIB_Ref(const GUIB_Ref<U>& other)
        : GUIB_Ref(other.Get())
    {
    }
    template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    GUIB_Ref(GUIB_Ref<U>&& other) noexcept
        : m_object(other.Leave())
    {
    }
    ~GUIB_Ref() { Reset(); }
    // Takes other by value, so that assigning a reference to itself keeps the object alive.
    GUIB_Ref& operator=(GUIB_Ref other) noexcept
    {
        std::swap(m_object, other.m_object);
        return *this;
    }

    // Gives the held reference back (the object goes when it was the last) and holds none.
    void Reset()
    {
        if (T* object = std::exchange(m_object, nullptr); object != nullptr)
            object->Release();
    }
    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    template <typename U> friend class GUIB_Ref;
    // Hands the held reference to a converting move.
    T* Leave() { return std::exchange(m_object, nullptr); }

    T* m_object = nullptr;
};

// Bitmap limits: a side is 1 to 65535 pixels and a pixel block at most 256 MiB. Any other size
// gives a bitmap without pixels.
inline constexpr int32_t GUIB_MAX_BITMAP_SIDE = 65535;
inline constexpr uint64_t GUIB_MAX_BITMAP_BYTES = 256ull * 1024 * 1024;

// The headless stand-in for a device context: a top-down frame of 0xAARRGGBB pixels, width
// pixels per row. On POSIX, PaintToDC's device context is a GUIB_Frame pointer.
struct GUIB_Frame {
    uint32_t* pixels;
    int32_t width;
    int32_t height;
};

class c_GUIB_Store;

// The toolkit's pixel container: 32-bit pixels 0xAARRGGBB (bytes blue, green, red, alpha in
// memory), rows top to bottom with no gap, pixel (x, y) at index y × width + x. Either the
// bitmap has pixels and both sides are at least 1, or it has none and its size is 0 × 0; every
// primitive clips to the bitmap and does nothing on a bitmap without pixels. New pixel blocks
// are cleared to 0 (transparent black).
class c_GUIB_Bitmap : public c_GUIB_BasicObject {
public:
    // Each constructor sets the drawing colour to 0xFF000000.
    c_GUIB_Bitmap() = default;
    c_GUIB_Bitmap(int32_t width, int32_t height);
    // Loads a BMP, TGA or JPEG picture through LoadImage; on failure the bitmap is 0 × 0.
    explicit c_GUIB_Bitmap(const char* fileName);
    c_GUIB_Bitmap(const c_GUIB_Bitmap& other);
    // Loads the bitmap record id from the current group of the store; on failure 0 × 0.
    c_GUIB_Bitmap(c_GUIB_Store* store, uint32_t id) { (void)LoadFromStore(store, id); }
    c_GUIB_Bitmap& operator=(const c_GUIB_Bitmap&) = delete;
    ~c_GUIB_Bitmap() override;

    // Replaces the pixel block with a cleared one of the new size; false (and 0 × 0) when the
    // size is out of range or memory is exhausted.
    bool Create(int32_t width, int32_t height);
    void GetSize(int32_t* width, int32_t* height) const;
    uint32_t* GetPixels() { return m_pixels; }
    const uint32_t* GetPixels() const { return m_pixels; }

    void SetColour(uint32_t colour) { m_colour = colour; }
    uint32_t GetColour() const { return m_colour; }
    void SetPixel(int32_t x, int32_t y, uint32_t colour);
    // 0xFF000000 outside the bitmap.
    uint32_t GetPixel(int32_t x, int32_t y) const;

    // Plain stores of the drawing colour (no blending), clipped to the bitmap. A null rectangle
    // draws nothing.
    void FillRect(const GUIB_Rect* r);
    void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // The outline as four lines along the rectangle's outermost pixels.
    void DrawRect(const GUIB_Rect* r);
    // The outline in the drawing colour and, when the interior is at least 1 × 1, the interior
    // in fillColour. The drawing colour is kept.
    void DrawFramedRect(const GUIB_Rect* r, uint32_t fillColour);
    // A line between both end points inclusive, clipped to the bitmap first.
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    // Replaces red, green and blue of every pixel of the rectangle; each pixel keeps its alpha.
    void Tint(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour);

    // Copies width × height pixels from (sourceX, sourceY) of this bitmap to (x, y) of target,
    // clipped to both. CopyTo stores all four bytes; BlendTo blends by the source alpha: alpha 0
    // keeps the target pixel, alpha 255 or a transparent target pixel takes the source pixel
    // whole, otherwise each colour byte becomes (S × (a + 1) + T × (256 - a)) >> 8 and the
    // target keeps its alpha.
    void CopyTo(c_GUIB_Bitmap* target, int32_t x, int32_t y, int32_t sourceX, int32_t sourceY,
        int32_t width, int32_t height) const;
    void BlendTo(c_GUIB_Bitmap* target, int32_t x, int32_t y, int32_t sourceX, int32_t sourceY,
        int32_t width, int32_t height) const;
    // Resamples in place by area averaging (integers only). Sizes of 0 or below, an unchanged
    // size, a size out of range or exhausted memory leave the bitmap as it is.
    void Stretch(int32_t width, int32_t height);

    // Copies the part r of the bitmap (clipped to it) to the device context at (x, y): a
    // Windows HDC on Win32, a GUIB_Frame pointer on POSIX (clipped to the frame).
    void PaintToDC(uintptr_t dc, int32_t x, int32_t y, const GUIB_Rect* r) const;

    // The bitmap record (group 0x1001 with the id: a 16-byte size chunk and the pixel chunk).
    // These two are defined with the record store. LoadFromStore returns 1 on success and 0 on
    // failure, which leaves the bitmap 0 × 0.
    SYS_Status SaveToStore(c_GUIB_Store* store, uint32_t id) const;
    int LoadFromStore(c_GUIB_Store* store, uint32_t id);
    // Whether the current group of the store holds a bitmap record with the id that is exactly
    // width × height and whose pixel chunk holds all width × height × 4 bytes. Allocates
    // nothing, so a reader can refuse a record that claims more pixels than its file holds.
    static bool StoreHoldsPixels(c_GUIB_Store* store, uint32_t id, uint32_t width, uint32_t height);

private:
    // A cleared block of width × height pixels, or null when the size is out of range or memory
    // is exhausted.
    static uint32_t* AllocatePixels(int32_t width, int32_t height, const char* label);
    // Frees the current block and takes pixels (which may be null: then the size is 0 × 0).
    void AdoptPixels(uint32_t* pixels, int32_t width, int32_t height);

    uint32_t* m_pixels = nullptr;
    uint32_t m_colour = 0xFF000000;
    int32_t m_width = 0;
    int32_t m_height = 0;
};

// ---- Record store and fonts ---------------------------------------------------------------
// A record store is a chunked container: each record is a 24-byte header (magic, type, id,
// header size, content size, kind; all little-endian u32) followed by its content. Groups hold
// nested records, data chunks raw bytes. Font files, saved fonts and saved bitmaps use it.

inline constexpr uint32_t GUIB_STORE_MAGIC = 0x2E5C2F2E; // the bytes "./\\."
inline constexpr uint32_t GUIB_RECORD_HEADER_SIZE = 24; // a chunk's header; a group's adds its name
inline constexpr uint32_t GUIB_RECORD_GROUP = 1; // the kind field
inline constexpr uint32_t GUIB_RECORD_CHUNK = 2;
inline constexpr uint32_t GUIB_GROUP_BITMAP = 0x1001; // group types in use
inline constexpr uint32_t GUIB_GROUP_FONT = 0x1002;
inline constexpr uint32_t GUIB_GROUP_GLYPH = 0x1003;
// A written store never holds more than this; a store file larger than the file limit reads as
// an empty store.
inline constexpr uint32_t GUIB_STORE_WRITE_LIMIT = 0x1000000;
inline constexpr uint64_t GUIB_STORE_FILE_LIMIT = 0x10000000;

// Store status codes, beside SYS_NO_MEMORY (6) when memory cannot be committed and the item
// store's codes, which pass through.
inline constexpr SYS_Status GUIB_STORE_NOTHING_OPEN = 9;
inline constexpr SYS_Status GUIB_STORE_NOT_FOUND = 14;
inline constexpr SYS_Status GUIB_STORE_WRONG_MODE = 16;
inline constexpr SYS_Status GUIB_STORE_DAMAGED = 255; // a record that breaks the format

// A store is either read or written. A store from a file or from bytes is read; a new store is
// written from its first BeginGroup or BeginChunk until the top level is reached again, and can
// then be read. Every record a scan meets must lie inside its enclosing group (or the used
// size): its header complete, its header size at least 24 (a group's at least 25, ending in the
// name's 0 byte), header and content together inside the range. A scan that meets anything
// else stops with GUIB_STORE_DAMAGED, so FindChunk only hands out ranges inside the store.
class c_GUIB_Store : public c_GUIB_BasicObject {
public:
    // An empty store for writing, with room for GUIB_STORE_WRITE_LIMIT bytes.
    c_GUIB_Store();
    // A store read from a file through the virtual file interface. A file that cannot be opened
    // or read whole, or is larger than GUIB_STORE_FILE_LIMIT, gives an empty store.
    explicit c_GUIB_Store(const char* fileName);
    // A store read from a copy of size bytes (above GUIB_STORE_FILE_LIMIT: an empty store).
    c_GUIB_Store(const void* bytes, size_t size);
    ~c_GUIB_Store() override;
    c_GUIB_Store(const c_GUIB_Store&) = delete;
    c_GUIB_Store& operator=(const c_GUIB_Store&) = delete;

    // Opens a group (name may be null) and makes it current. 16 while a chunk is open or while a
    // group is current and the store is not being written; 6 when memory runs out.
    [[nodiscard]] SYS_Status BeginGroup(uint32_t type, uint32_t id, const char* name);
    // Opens a data chunk; the same refusals as BeginGroup.
    [[nodiscard]] SYS_Status BeginChunk(uint32_t id);
    // Appends to the open chunk: 9 when none is open, 6 when memory runs out.
    [[nodiscard]] SYS_Status Write(const void* data, uint32_t size);
    // Closes the open chunk (9 when none is open).
    SYS_Status EndChunk();
    // BeginChunk, Write, EndChunk; the chunk is closed even when the write fails. The first error.
    [[nodiscard]] SYS_Status WriteChunk(uint32_t id, const void* data, uint32_t size);
    // Enters the first group of the type and id inside the current group (or the top level).
    // 16 while writing, 14 when there is none, 255 when the scan meets a damaged record.
    [[nodiscard]] SYS_Status OpenGroup(uint32_t type, uint32_t id);
    // Walks the groups of the type inside the current group (or the top level) one by one, in
    // one pass however many there are: enters the first such group at or after *cursor (bytes
    // from the start of the current group's content; 0 for its first record), gives its id and
    // moves *cursor past it. Leave it with EndGroup before the next call. 16 while writing, 14
    // when no further group follows, 255 when the walk meets a damaged record.
    [[nodiscard]] SYS_Status OpenNextGroup(uint32_t type, uint32_t* cursor, uint32_t* id);
    // The content of the first data chunk with the id inside the current group: a pointer into
    // the store and its size. 16 while writing, 14 when there is none, 255 as for OpenGroup.
    [[nodiscard]] SYS_Status FindChunk(uint32_t id, const uint8_t** data, uint32_t* size) const;
    // Leaves the current group (9 at the top level, 16 while a chunk is open in it). Ends writing
    // mode when the top level is reached again.
    SYS_Status EndGroup();

    // The store's records as they would be saved: GetUsedSize() bytes from GetData().
    const uint8_t* GetData() const { return m_base; }
    uint32_t GetUsedSize() const { return m_used; }

private:
    struct Range {
        uint64_t begin;
        uint64_t end;
    };
    void PrepareRegion(uint64_t size);
    void ReadFile(const char* fileName);
    [[nodiscard]] SYS_Status MakeRoom(uint64_t size);
    void Put(const void* data, uint32_t size);
    void PutU32(uint32_t value);
    void PatchContentSize(uint32_t record);
    [[nodiscard]] SYS_Status PushGroup();
    void PopGroup();
    SYS_Status CheckCanBegin() const;
    Range CurrentRange() const;
    [[nodiscard]] SYS_Status Scan(
        uint64_t from, uint32_t kind, uint32_t type, const uint32_t* id, uint32_t* found) const;
    [[nodiscard]] SYS_Status EnterGroup(uint32_t group);

    uint8_t* m_base = nullptr; // the reserved region, or null when none could be had
    uint32_t m_used = 0; // bytes of records in the region
    uint32_t m_committed = 0; // bytes of the region backed by memory
    uint32_t m_capacity = 0; // bytes reserved: the most the store can hold
    SYS_ItemStore* m_groupStack = nullptr; // offsets of the enclosing groups, innermost last
    uint32_t m_depth = 0; // groups on the stack
    bool m_writing = false;
    uint32_t m_openChunk; // offset of the open chunk's header, or none
    uint32_t m_currentGroup; // offset of the current group's header, or none (top level)
};

// Font file layout: a font group (type GUIB_GROUP_FONT) holds chunk 1 (version, 0, flags,
// height, ascent), chunk 2 (the character codes of the glyphs) and one glyph group (type
// GUIB_GROUP_GLYPH, id = code) per glyph with chunk 1 (the glyph record's first four fields
// and a 0) and the glyph's bitmap group.
inline constexpr uint32_t GUIB_FONT_VERSION = 80;
inline constexpr uint32_t GUIB_FONT_HEADER_SIZE = 20;
inline constexpr uint32_t GUIB_GLYPH_RECORD_SIZE = 20;
inline constexpr uint32_t GUIB_FONT_COVERAGE = 1; // flag: glyphs are masks taking the text colour
// The largest glyph side a font file may claim: far above any interface font, and it keeps a few
// bytes of a damaged file from claiming gigabytes of glyph bitmaps.
inline constexpr uint32_t GUIB_MAX_GLYPH_SIDE = 1024;
// Font status codes.
inline constexpr SYS_Status GUIB_FONT_NOT_CREATED = 4; // the system font could not be made
inline constexpr SYS_Status GUIB_FONT_EMPTY_RANGE = 12; // no characters asked for

// One glyph: its bitmap holds the coverage in the alpha bytes and the tint colour in the
// colour bytes. The record owns one reference of the bitmap.
struct GUIB_Glyph {
    uint32_t width; // bitmap width and pen advance
    uint32_t height; // bitmap height
    uint32_t overlap; // pixels taken off the advance when another character follows
    uint32_t tintColour; // 0xAARRGGBB the bitmap carries now
    c_GUIB_Bitmap* bitmap;
};

// The system font a font is captured from, field for field the Windows logical font.
struct GUIB_LogFont {
    int32_t height; // below 0: the character height in pixels; above 0: the cell height
    int32_t width;
    int32_t escapement;
    int32_t orientation;
    int32_t weight; // 400 normal, 700 bold
    uint8_t italic;
    uint8_t underline;
    uint8_t strikeOut;
    uint8_t charSet;
    uint8_t outPrecision;
    uint8_t clipPrecision;
    uint8_t quality;
    uint8_t pitchAndFamily;
    char faceName[32];
};

// Creation options of CreateFontFromWindows; all 0 when none are given.
struct GUIB_FontOptions {
    uint32_t verticalOffset; // added to the top of each character's drawing rectangle
    uint32_t use8Bit; // draw and measure each character as one 8-bit code
    uint32_t oemCodePage; // draw each character converted to the OEM code page
};

// Text alignment flags of MeasureText, applied in this order so that a later one wins; 0 means
// GUIB_ALIGN_LEFT | GUIB_ALIGN_TOP.
inline constexpr uint32_t GUIB_ALIGN_LEFT = 1;
inline constexpr uint32_t GUIB_ALIGN_RIGHT = 2;
inline constexpr uint32_t GUIB_ALIGN_TOP = 4;
inline constexpr uint32_t GUIB_ALIGN_BOTTOM = 8;
inline constexpr uint32_t GUIB_ALIGN_HCENTRE = 16;
inline constexpr uint32_t GUIB_ALIGN_VCENTRE = 32;

// A bitmap font: a table of glyphs keyed by character code, with the line height and ascent.
// A font whose line height is below 1 is not loaded (IsLoaded) and must not be used for layout.
class c_GUIB_Font : public c_GUIB_BasicObject {
public:
    // An empty font: flags 0, glyph colour 0xFF000000, height and ascent 0, no glyphs.
    c_GUIB_Font();
    // An empty font filled from font group 0 of the store file.
    explicit c_GUIB_Font(const char* fileName);
    ~c_GUIB_Font() override;
    c_GUIB_Font(const c_GUIB_Font&) = delete;
    c_GUIB_Font& operator=(const c_GUIB_Font&) = delete;

    // Renders count characters from first with the system's font (GDI on Windows, FreeType and
    // fontconfig elsewhere) into coverage glyphs. 12 when count is 0, 4 when the font cannot be
    // made, else 0. Characters without extent get no glyph.
    [[nodiscard]] SYS_Status CreateFontFromWindows(
        const GUIB_LogFont* font, uint32_t first, uint32_t count, const GUIB_FontOptions* options);
    // Adds the glyphs of the font group with the id. A header chunk that is not 20 bytes or of a
    // version below 80, or a font whose line height would be below 1, leaves the font unchanged
    // with status 0. Glyphs whose record is not 20 bytes, claims a side above
    // GUIB_MAX_GLYPH_SIDE, or whose bitmap record is not of the record's size or does not hold
    // every pixel are skipped before anything is allocated for them. Codes are matched to glyph
    // groups in one walk; a code listed twice keeps its first glyph. Store errors are returned.
    [[nodiscard]] SYS_Status LoadFromStore(c_GUIB_Store* store, uint32_t id);
    // Writes the font as a font group with the id into a store being written (or at its top
    // level), glyphs in ascending character order. A font without glyphs writes no code list
    // and cannot be loaded back (14).
    [[nodiscard]] SYS_Status SaveToStore(c_GUIB_Store* store, uint32_t id) const;
    // Adds the glyphs and metrics of other through a store in memory; the first error.
    [[nodiscard]] SYS_Status CopyFrom(const c_GUIB_Font& other);
    // For font makers: adds a glyph at the end of the table whose bitmap has the glyph colour
    // and the coverage (width × height bytes, row by row) as its alpha. SYS_BAD_ARGUMENT for a
    // size outside the bitmap limits, no coverage, or a character that has a glyph already;
    // SYS_NO_MEMORY.
    [[nodiscard]] SYS_Status AddCoverageGlyph(uint32_t character, uint32_t width, uint32_t height,
        uint32_t overlap, const uint8_t* coverage);
    // For font makers: the flags, line height and ascent a font file carries.
    void SetHeader(uint32_t flags, int32_t height, int32_t ascent);

    // The glyph of a character, pinned until the matching ReleaseGlyph; false when it has none.
    bool GetGlyph(uint32_t character, GUIB_Glyph** glyph) const;
    void ReleaseGlyph(uint32_t character) const;
    SYS_Status GetMetrics(int32_t* height, int32_t* ascent) const;
    uint32_t GetFlags() const { return m_flags; }
    uint32_t GetGlyphCount() const;
    // A new block (free with SYS_Free) of the glyphs' character codes in ascending order; none
    // (null, 0) for a font without glyphs.
    [[nodiscard]] SYS_Status ListCharacters(uint32_t** codes, uint32_t* count) const;
    bool IsLoaded() const { return m_height >= 1; }

    // Text layout. Each operation takes 8-bit strings (every byte a character code 0 to 255) or
    // wide ones (16-bit codes), ends at the 0 character and treats a null text as empty. A line
    // feed (10) starts a new line; characters without a glyph take no room and are not drawn.
    // After a glyph the pen moves by its width, less its overlap when another character follows.
    // A glyph is drawn by blending its whole bitmap; with GUIB_FONT_COVERAGE set it is first
    // tinted to the colour unless it carries that colour already. Positions and sizes are worked
    // out in 64 bits and saturated to the 32-bit range. OutTextRect and MeasureWrappedHeight pin
    // every glyph once in a table of the text's length; when it cannot be had, they draw nothing
    // and measure 0.
    //
    // Draws the text with its first line's top-left at (x, y); each line feed returns to x one
    // line height lower.
    void OutText(
        c_GUIB_Bitmap* target, uint32_t colour, int32_t x, int32_t y, const char* text) const;
    void OutText(
        c_GUIB_Bitmap* target, uint32_t colour, int32_t x, int32_t y, const char16_t* text) const;
    // Sets *r to the text's rectangle placed in *r by the GUIB_ALIGN_* flags. The text is as wide
    // as its widest line and one line height high per line feed, plus one when it has a glyph.
    // Edges no flag sets keep their values; centring divides rounding toward zero.
    void MeasureText(const char* text, GUIB_Rect* r, uint32_t flags) const;
    void MeasureText(const char16_t* text, GUIB_Rect* r, uint32_t flags) const;
    // Draws the text word-wrapped into *r from its top-left corner: a word that does not fit
    // goes to the next line whole unless it is wider than the rectangle, which breaks it where a
    // character does not fit; spaces at the start of a line are neither drawn nor counted. New
    // lines are started while two more lines fit; on the last line, when the rest of the text
    // does not fit, "..." is drawn where it would run out and the output ends; a line feed on the
    // last line ends it without "...". Nothing is clipped to *r beyond the target's own edges.
    void OutTextRect(
        c_GUIB_Bitmap* target, uint32_t colour, const char* text, const GUIB_Rect* r) const;
    void OutTextRect(
        c_GUIB_Bitmap* target, uint32_t colour, const char16_t* text, const GUIB_Rect* r) const;
    // The height the text needs wrapped as OutTextRect wraps it into width pixels with no limit
    // on the height: one line height per line. 0 for an empty text or a font that is not loaded.
    int32_t MeasureWrappedHeight(const char* text, int32_t width) const;
    int32_t MeasureWrappedHeight(const char16_t* text, int32_t width) const;

private:
    // Takes the record: on failure it is released. A character that has a glyph already is
    // refused, so that a lookup and its release always meet the same record.
    [[nodiscard]] SYS_Status AddGlyph(uint32_t character, GUIB_Glyph* glyph, int32_t where);
    // AddGlyph for a character the caller knows has no glyph yet, without the lookup.
    [[nodiscard]] SYS_Status InsertGlyph(uint32_t character, GUIB_Glyph* glyph, int32_t where);
    bool HasGlyph(uint32_t character) const;
    void LoadGlyphs(c_GUIB_Store* store, const uint8_t* codes, uint32_t count);
    void UpdateLineHeight();

    uint32_t m_flags = 0;
    uint32_t m_glyphColour = 0xFF000000;
    int32_t m_height = 0;
    int32_t m_ascent = 0;
    SYS_ItemStore* m_glyphs = nullptr; // character code -> GUIB_Glyph*, one per code
    uint32_t m_highestCharacter = 0; // of the glyphs added so far
    uint32_t m_tallestGlyph = 0; // height of the tallest glyph added so far
};

// ---- Keys and wheel -------------------------------------------------------------------------

// A key value, as carried by the key messages and answered to a modifier query: the low 16
// bits are a virtual-key code, or a character when GUIB_KEY_CHAR is set; the bits above say
// which modifiers were held and which locks were on when the key arrived.
inline constexpr uint32_t GUIB_KEY_CHAR = 0x00010000;
inline constexpr uint32_t GUIB_KEY_ALT = 0x00020000; // either Alt down
inline constexpr uint32_t GUIB_KEY_CTRL = 0x00040000; // either Control down
inline constexpr uint32_t GUIB_KEY_SHIFT = 0x00080000; // either Shift down
inline constexpr uint32_t GUIB_KEY_SCROLLLOCK = 0x00200000; // toggled on
inline constexpr uint32_t GUIB_KEY_NUMLOCK = 0x00400000; // toggled on
inline constexpr uint32_t GUIB_KEY_CAPSLOCK = 0x00800000; // toggled on
inline constexpr uint32_t GUIB_KEY_RALT = 0x04000000;
inline constexpr uint32_t GUIB_KEY_LALT = 0x08000000;
inline constexpr uint32_t GUIB_KEY_RCTRL = 0x10000000;
inline constexpr uint32_t GUIB_KEY_LCTRL = 0x20000000;
inline constexpr uint32_t GUIB_KEY_RSHIFT = 0x40000000;
inline constexpr uint32_t GUIB_KEY_LSHIFT = 0x80000000;

// Held mouse buttons in the low bits of a mouse event's state word; its top byte is the wheel.
inline constexpr uint32_t GUIB_BTN_LEFT = 1;
inline constexpr uint32_t GUIB_BTN_RIGHT = 2;
inline constexpr uint32_t GUIB_BTN_MIDDLE = 4;

// The key value of a virtual key (kept in the low 16 bits) with the modifier, lock and summary
// bits of the calling thread's key state.
uint32_t GUIB_TranslateKey(uint32_t virtualKey);
// The modifier, lock and summary bits alone: GUIB_TranslateKey(0).
uint32_t GUIB_GetModifiers();
// Turns a key value whose key types a character (digits, letters, the numeric pad with Num
// Lock, space and punctuation, as on a US keyboard) into that character with GUIB_KEY_CHAR,
// keeping the bits above. Shift picks the upper row; letters are upper case when Shift or Caps
// Lock, but not both, is on. The pad's decimal key without Num Lock becomes the plain Delete key
// (46). Any other key, and a value that is a character already, comes back unchanged.
uint32_t GUIB_KeyToChar(uint32_t key);
// True when a key-down of the virtual key is left out because the system sends the key again as
// a character: never while Control or Alt is held, and for the pad's digits only with Num Lock.
bool GUIB_IsCharKey(uint32_t virtualKey);
// True for characters that are not typed into the toolkit: control characters (below 32) and
// everything from 127 on.
bool GUIB_IsIgnoredChar(uint32_t character);

// The state with its top byte replaced by the wheel movement in notches: bit 31 the sign (set
// towards the user), bits 24-30 the magnitude, clamped to 127. The low 24 bits are kept.
uint32_t GUIB_PackWheel(uint32_t state, int32_t delta);
// The signed wheel movement that GUIB_PackWheel stored in the state.
int32_t GUIB_GetWheelDelta(uint32_t state);

// Sets the calling thread's state of one key as the system would have it when a key message
// arrives (a Shift, Control or Alt side also moves the key that stands for both sides), so that
// tests and automated drivers can inject keys. GUIB_ResetKeyStates puts every key up and off.
void GUIB_SetKeyState(uint8_t virtualKey, bool down, bool toggled);
void GUIB_ResetKeyStates();
// ---- Windows and messages -----------------------------------------------------------------
// Every visible element is a c_GUIB_Window: a rectangle with its own surface, a parent and
// children in z-order. Windows never touch the screen: a window repaints its surface when it is
// dirty and reports the changed rectangle up to the root, which composes the visible surfaces
// back to front and shows the result (c_GUIB_Desktop).

struct GUIB_Point {
    int32_t x;
    int32_t y;
};

inline bool GUIB_PointInRect(const GUIB_Rect& r, int32_t x, int32_t y)
{
    return r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}

// Status codes of the window model, beside SYS_NO_MEMORY (6).
inline constexpr SYS_Status GUIB_OUT_OF_RANGE = 7; // property id, slot or colour index
inline constexpr SYS_Status GUIB_PROPERTY_EMPTY = 9; // a font property holds no font
inline constexpr SYS_Status GUIB_SLOT_EMPTY = 12; // a font slot holds no font
inline constexpr SYS_Status GUIB_ID_TAKEN = 18; // a window with the id is registered already
inline constexpr SYS_Status GUIB_ALREADY_SET_UP = 1; // GUI_Init when the GUI runs already

// Window flags.
inline constexpr uint32_t GUIB_WF_CAPTURE = 0x0002; // holds the mouse capture
inline constexpr uint32_t GUIB_WF_FOCUSED = 0x0004; // has the keyboard focus
inline constexpr uint32_t GUIB_WF_ACTIVE = 0x0008; // the active one among its siblings
inline constexpr uint32_t GUIB_WF_DIRTY = 0x0010; // the surface is redrawn at the next update
inline constexpr uint32_t GUIB_WF_VISIBLE = 0x0020;
inline constexpr uint32_t GUIB_WF_DISABLED = 0x0040; // no input, no messages sent up to it
inline constexpr uint32_t GUIB_WF_FOCUSABLE = 0x0080;
inline constexpr uint32_t GUIB_WF_ACTIVATABLE = 0x0100; // keeps an active child
inline constexpr uint32_t GUIB_WF_CLICK_OUTSIDE = 0x0200; // wants presses that miss it
inline constexpr uint32_t GUIB_WF_HOVER = 0x0400; // the mouse is over it
inline constexpr uint32_t GUIB_WF_NO_BITMAP = 0x0800; // no surface of its own
inline constexpr uint32_t GUIB_WF_KEEP_DISABLED
    = 0x2000; // stays disabled when the parent is enabled
// The bits SetFlags and ClearFlags may change.
inline constexpr uint32_t GUIB_WF_CHANGEABLE = 0x31E1;

// Message codes. "Up" messages travel the parent chain (c_GUIB_Window::SendUp), broadcasts go
// down the tree (c_GUIB_Window::Broadcast).
inline constexpr uint32_t GUIB_MSG_ENTERED = 9; // up; p1 = window now under the mouse
inline constexpr uint32_t GUIB_MSG_LEFT = 10; // up; p1 = window the mouse left
inline constexpr uint32_t GUIB_MSG_CAPTURE = 12; // up; p1 = window taking the capture
inline constexpr uint32_t GUIB_MSG_RELEASE = 13; // up; p1 = window releasing it
inline constexpr uint32_t GUIB_MSG_KEY_DOWN = 16; // to the focus window; p1 = key value
inline constexpr uint32_t GUIB_MSG_KEY_UP = 17;
inline constexpr uint32_t GUIB_MSG_FOCUS_GAINED = 18; // up; p1 = window
inline constexpr uint32_t GUIB_MSG_FOCUS_LOST = 19; // up; p1 = window
inline constexpr uint32_t GUIB_MSG_GET_MODIFIERS = 20; // up; p1 = uint32_t* receiving them
inline constexpr uint32_t GUIB_MSG_ACTIVATED = 22; // up to the first activatable ancestor
inline constexpr uint32_t GUIB_MSG_GONE = 23; // up to the first activatable ancestor
inline constexpr uint32_t GUIB_MSG_COMPOSE = 32; // broadcast; p1 = GUIB_ComposeTarget*
inline constexpr uint32_t GUIB_MSG_INVALIDATE = 33; // up; p2 = GUIB_Rect*, translated
inline constexpr uint32_t GUIB_MSG_INVALIDATE_TREE = 34; // broadcast
inline constexpr uint32_t GUIB_MSG_CLOSE = 35; // up; p1 = id of the window to destroy
inline constexpr uint32_t GUIB_MSG_TO_ROOT = 36; // up; p1 = GUIB_Point*, converted in place
inline constexpr uint32_t GUIB_MSG_TICK = 37; // broadcast; p1 = tick count in milliseconds
inline constexpr uint32_t GUIB_MSG_UPDATE = 38; // broadcast; dirty windows redraw
inline constexpr uint32_t GUIB_MSG_TO_FRONT = 39; // up; p1 = window to raise
inline constexpr uint32_t GUIB_MSG_COLLECT_VISIBLE = 40; // broadcast; p1 = GUIB_ComposeTarget*
inline constexpr uint32_t GUIB_MSG_VISIBLE_RECT = 41; // up; p2 = GUIB_Rect* in root coordinates
inline constexpr uint32_t GUIB_MSG_SHOW_HINT = 42; // up; p1 = GUIB_Point*, p2 = const char16_t*
inline constexpr uint32_t GUIB_MSG_HIDE_HINT = 43; // up
inline constexpr uint32_t GUIB_MSG_SIGNAL = 44; // up to the root, then broadcast; p1 = value
inline constexpr uint32_t GUIB_MSG_GET_ROOT = 45; // up; p1 = c_GUIB_Window** receiving the root
inline constexpr uint32_t GUIB_MSG_FOCUS_CHANGED = 192; // to the window; p1 = 1 gained, 0 lost
inline constexpr uint32_t GUIB_MSG_VISIBILITY_CHANGED = 194; // broadcast; p1 = 1 shown, 0 hidden

// Broadcast flags.
inline constexpr uint32_t GUIB_BC_SKIP_DISABLED = 1;
inline constexpr uint32_t GUIB_BC_SKIP_HIDDEN = 2;
inline constexpr uint32_t GUIB_BC_REVERSE = 4; // children back to front
inline constexpr uint32_t GUIB_BC_ALL = 8; // do not stop at the first non-zero answer
inline constexpr uint32_t GUIB_BC_NO_CHILDREN = 16;

// Mouse events, the first argument of OnMouse.
inline constexpr uint32_t GUIB_MOUSE_MOVE = 0;
inline constexpr uint32_t GUIB_MOUSE_LDOWN = 1;
inline constexpr uint32_t GUIB_MOUSE_LDBLCLK = 2;
inline constexpr uint32_t GUIB_MOUSE_LUP = 3;
inline constexpr uint32_t GUIB_MOUSE_RDOWN = 4; // right double clicks arrive as this too
inline constexpr uint32_t GUIB_MOUSE_RUP = 5;
inline constexpr uint32_t GUIB_MOUSE_MDOWN = 6;
inline constexpr uint32_t GUIB_MOUSE_MUP = 7;
inline constexpr uint32_t GUIB_MOUSE_WHEEL = 8;
inline constexpr uint32_t GUIB_MOUSE_ENTER = 9;
inline constexpr uint32_t GUIB_MOUSE_LEAVE = 10;
inline constexpr uint32_t GUIB_MOUSE_DOWN_OUTSIDE = 11; // a press missed a CLICK_OUTSIDE window

// Environment properties with a meaning of their own (the others are colours, signal values
// and spare values that windows copy when they are created).
inline constexpr uint32_t GUIB_PROP_DEFAULT_FONT = 17; // shared reference
inline constexpr uint32_t GUIB_PROP_SECOND_FONT = 18; // the environment keeps a private copy
inline constexpr uint32_t GUIB_PROP_THIRD_FONT = 19;
inline constexpr uint32_t GUIB_PROP_TICK_INTERVAL = 20; // milliseconds between ticks
inline constexpr uint32_t GUIB_PROP_CHECK_BOX_SIZE = 21;
inline constexpr uint32_t GUIB_PROP_SCROLL_BAR_SIZE = 22; // also the unit of control sizes
inline constexpr uint32_t GUIB_PROP_MESSAGE_BUTTON_WIDTH = 24;
inline constexpr uint32_t GUIB_PROP_MESSAGE_BUTTON_HEIGHT = 25;
inline constexpr uint32_t GUIB_PROP_FRAME_STYLE = 26;
inline constexpr uint32_t GUIB_PROP_TEXT_ALIGN = 27;
inline constexpr uint32_t GUIB_PROP_REPEAT_DELAY = 36; // held buttons, milliseconds
inline constexpr uint32_t GUIB_PROP_REPEAT_INTERVAL = 37;
inline constexpr uint32_t GUIB_PROPERTY_COUNT = 38; // ids 0 .. 37; id 2 does not exist

class c_GUIB_Window;
class c_GUIB_Environment;

// A reference-counted wide string: hints are shared this way.
class c_GUIB_Text {
public:
    explicit c_GUIB_Text(const char16_t* text);
    // Widened byte by byte.
    explicit c_GUIB_Text(const char* text);
    c_GUIB_Text(const c_GUIB_Text&) = delete;
    // Copies other's text; assigning a text to itself changes nothing.
    c_GUIB_Text& operator=(const c_GUIB_Text& other);

    uint32_t AddRef();
    // Frees the text and the object when the last reference goes.
    uint32_t Release();
    // Null for no text.
    const char16_t* GetText() const { return m_text; }
    uint32_t Length() const;

private:
    ~c_GUIB_Text();
    void Take(const char16_t* text);

    char16_t* m_text = nullptr;
    uint32_t m_refCount = 1;
};

// The compose record of COMPOSE and COLLECT_VISIBLE: the bitmap composed into, the area being
// repainted and the clip, all in the bitmap's coordinates.
struct GUIB_ComposeTarget {
    c_GUIB_Bitmap* bitmap;
    const GUIB_Rect* area;
    GUIB_Rect* clip;
};

// A window callback: called with the window, the user data given with it, a notification code
// and its parameters. A non-zero answer ends the notification (c_GUIB_Window::Notify).
using GUIB_Callback = uint32_t (*)(
    c_GUIB_Window* window, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t p2);

// What a window is made from.
struct GUIB_WindowCreate {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    uint32_t id; // 0 asks for an automatic id
    uint32_t flags;
    c_GUIB_Window* parent; // null for a root
    c_GUIB_Environment* environment;
    GUIB_Callback callback; // optional
    uintptr_t user;
};

// The toolkit's settings and tables, one per process from GUI_Init to GUI_Done.
class c_GUIB_Environment {
public:
    c_GUIB_Environment();
    ~c_GUIB_Environment();
    c_GUIB_Environment(const c_GUIB_Environment&) = delete;
    c_GUIB_Environment& operator=(const c_GUIB_Environment&) = delete;

    // 0, GUIB_OUT_OF_RANGE for an id that does not exist, GUIB_PROPERTY_EMPTY for an empty font
    // property. A font (a c_GUIB_Font*) comes with a reference added.
    [[nodiscard]] SYS_Status GetProperty(uint32_t id, uintptr_t* value) const;
    // A plain property's value, or 0 for an id that does not exist; not for fonts.
    uint32_t Property(uint32_t id) const;
    // 0 or GUIB_OUT_OF_RANGE. The default font is shared (a reference is added); the second and
    // third are copied into fonts of the environment's own.
    SYS_Status SetProperty(uint32_t id, uintptr_t value);

    // Window table: ids to windows, holding no references. GUIB_ID_TAKEN when the id is
    // registered already (the window stays unregistered).
    SYS_Status RegisterWindow(c_GUIB_Window* window);
    void UnregisterWindow(c_GUIB_Window* window);
    // The window with the id and a reference added (Drop it), or null.
    c_GUIB_Window* FindWindow(uint32_t id) const;
    uint32_t NextId();

    // Bitmap table: a copy of the bitmap is kept under the id, replacing any earlier one.
    SYS_Status AddBitmap(uint32_t id, const c_GUIB_Bitmap* bitmap);
    // 0 with a reference added, or GUIB_STORE_NOT_FOUND.
    SYS_Status GetBitmap(uint32_t id, c_GUIB_Bitmap** bitmap) const;

private:
    struct Tables;
    Tables* m_tables;
    uint32_t m_idCounter = 0x80000000;
    uintptr_t m_properties[GUIB_PROPERTY_COUNT];
};

// Set-up options of GUI_Init.
struct GUIB_Options {
    uint32_t createDefaultFont; // 0: no default font is captured from the system
};

// Starts the toolkit and hands out its environment: 0 after setting up, GUIB_ALREADY_SET_UP
// with the existing environment when it runs already, or the failing module notice's result.
// Without options, or with createDefaultFont set, the default font is 11-pixel "Tahoma",
// characters 32 to 127.
SYS_Status GUI_Init(const GUIB_Options* options, c_GUIB_Environment** environment);
// Destroys the environment and ends the toolkit; nothing when it is not set up.
void GUI_Done();

// The clock of the toolkit's ticks, hover timing and repeats: the system's tick count unless a
// test or driver sets a source of its own (null restores the system's).
using GUIB_TickSource = uint32_t (*)();
void GUIB_SetTickSource(GUIB_TickSource source);
uint32_t GUIB_TickCount();

// A window of the toolkit. A new window holds one reference, the creation reference, which its
// parent drops when the parent is destroyed, or which Close uses up. Grab and Drop add and
// remove further references; a window is destroyed when the last one goes, never directly.
class c_GUIB_Window {
public:
    explicit c_GUIB_Window(const GUIB_WindowCreate* create);
    c_GUIB_Window(const c_GUIB_Window&) = delete;
    c_GUIB_Window& operator=(const c_GUIB_Window&) = delete;

    // A null or empty text clears the hint; the 8-bit text is widened byte by byte.
    virtual void SetHint(const char16_t* text);
    virtual void SetHint(const char* text);
    // Keeps text with a reference (null clears the hint).
    virtual void SetHintText(c_GUIB_Text* text);
    // Invalidates what the window covered and covers now.
    virtual void SetPosition(int32_t x, int32_t y);
    // The surface is made anew (its content is lost) and the window marked dirty.
    virtual void SetSize(int32_t width, int32_t height);
    // Asks the callbacks (CLOSE); unless one answers non-zero, the root queues the window for
    // destruction at its next pass.
    virtual void Close();
    // at is in the window's own coordinates. The base does nothing.
    virtual void OnMouse(
        uint32_t event, const GUIB_Point* at, uint32_t state, const GUIB_Rect* clip);
    // Repaints the surface; a window with a surface ends by invalidating its own rectangle.
    virtual void Draw();
    // The base handles COMPOSE, TICK (hint timing), SHOW_HINT and HIDE_HINT; 0 for the rest.
    virtual uint32_t OnMessage(uint32_t message, uintptr_t p1, uintptr_t p2);
    // Whether (x, y), in own coordinates, belongs to the window: its own rectangle by default.
    virtual bool HitTest(int32_t x, int32_t y);

    uint32_t Grab();
    uint32_t Drop();
    uint32_t GetRefCount() const { return m_refCount; }

    uint32_t GetFlags() const { return m_flags; }
    // Change only the bits of GUIB_WF_CHANGEABLE and return the old flags. A change marks the
    // window dirty; a change of VISIBLE invalidates the subtree and broadcasts
    // VISIBILITY_CHANGED.
    uint32_t SetFlags(uint32_t mask);
    uint32_t ClearFlags(uint32_t mask);
    void Show(bool show);
    // Disabling walks the subtree; a child disabled on its own stays disabled when its parent
    // is enabled again.
    void Enable(bool enable);
    bool IsEnabled() const { return (m_flags & GUIB_WF_DISABLED) == 0; }
    bool IsVisible() const { return (m_flags & GUIB_WF_VISIBLE) != 0; }

    void SetFrameStyle(uint32_t style);
    void SetTextAlign(uint32_t align);
    uint32_t GetTextAlign() const { return m_textAlign; }
    // Slots 0 .. 4; GUIB_OUT_OF_RANGE otherwise.
    SYS_Status SetSignal(uint32_t slot, uint32_t value);
    uint32_t GetSignal(uint32_t slot) const;
    // Sends a non-zero value up to the root while signals are enabled.
    void Signal(uint32_t value);
    void EnableSignals(bool enable) { m_signalsEnabled = enable; }
    // Indices 0 .. 8; GUIB_OUT_OF_RANGE otherwise.
    SYS_Status SetFillColour(uint32_t index, uint32_t colour);
    SYS_Status SetTextColour(uint32_t index, uint32_t colour);
    SYS_Status GetFillColour(uint32_t index, uint32_t* colour) const;
    SYS_Status GetTextColour(uint32_t index, uint32_t* colour) const;
    // 0 with a reference added, GUIB_SLOT_EMPTY, or GUIB_OUT_OF_RANGE.
    SYS_Status GetFont(uint32_t slot, c_GUIB_Font** font) const;
    // Keeps font (may be null) in the slot with a reference; GUIB_OUT_OF_RANGE.
    SYS_Status SetFont(uint32_t slot, c_GUIB_Font* font);

    // An empty or null text leaves no caption; the 8-bit text is widened byte by byte.
    void SetCaption(const char* text);
    void SetCaption(const char16_t* text);
    const char16_t* GetCaption() const { return m_caption; }
    const c_GUIB_Text* GetHint() const { return m_hint; }

    // Either pointer may be null.
    void GetPosition(int32_t* x, int32_t* y) const;
    void GetSize(int32_t* width, int32_t* height) const;
    // (0, 0, width, height).
    const GUIB_Rect& GetRect() const { return m_rect; }
    // Null for a window without a surface.
    c_GUIB_Bitmap* GetSurface() const { return m_surface; }
    c_GUIB_Environment* GetEnvironment() const { return m_environment; }
    uint32_t GetId() const { return m_id; }
    // The parent or the root with a reference added (Drop it), or null.
    c_GUIB_Window* GetParent() const;
    c_GUIB_Window* GetRoot();
    // The children in z-order, front first; no references.
    uint32_t GetChildCount() const;
    c_GUIB_Window* GetChild(uint32_t index) const;
    c_GUIB_Window* GetActiveChild() const { return m_activeChild; }

    void MarkDirty() { m_flags |= GUIB_WF_DIRTY; }
    // r in own coordinates is reported up to the root as needing to be composed again.
    void Invalidate(const GUIB_Rect* r);
    void Capture();
    void ReleaseCapture();
    void Focus();
    void Unfocus();
    void Activate();
    void Deactivate();
    // Raises the window and all its ancestors to the front of their siblings.
    void ToFront();
    // Converts p from own coordinates to the root's.
    void ToRoot(GUIB_Point* p);

    // Callbacks are called most recent first. 0, SYS_NO_MEMORY.
    SYS_Status AddCallback(GUIB_Callback callback, uintptr_t user);
    void RemoveCallback(GUIB_Callback callback);
    // Calls the callbacks until one answers non-zero and returns that answer (0 when none
    // does). SHOW_HINT goes to every callback and answers 0.
    uint32_t Notify(uint32_t code, uintptr_t p1, uintptr_t p2);

    // Passes the message to the parent by the routing rule of its code; 0 without a parent.
    uint32_t SendUp(uint32_t message, uintptr_t p1, uintptr_t p2);
    // The message to the window and its subtree by the broadcast flags: children front to back
    // (REVERSE: back to front), then the window's own OnMessage, whose answer is returned.
    // Unless ALL is set, the first child that answers non-zero ends the walk over the children.
    uint32_t Broadcast(uint32_t message, uintptr_t p1, uintptr_t p2, uint32_t flags);
    // The same to the children only: the answer of the child that ended the walk, or 0.
    uint32_t BroadcastChildren(uint32_t message, uintptr_t p1, uintptr_t p2, uint32_t flags);
    // A message handed to this window: 0 when it is disabled, else its OnMessage.
    uint32_t Deliver(uint32_t message, uintptr_t p1, uintptr_t p2);
    // Offers a mouse event to the window and its children, front first; at and clip are in the
    // parent's coordinates. 1 when some window took it.
    uint32_t DispatchMouse(
        uint32_t event, const GUIB_Point* at, uint32_t state, const GUIB_Rect* clip);
    // Called by the root when the mouse comes over the window or leaves it.
    void MouseEnter();
    void MouseLeave();

protected:
    // Windows are destroyed by Drop only. The base runs after the derived class's own clean-up:
    // it leaves the ancestors, capture, focus and hover, invalidates its area and drops every
    // child once.
    virtual ~c_GUIB_Window();

    int32_t m_x;
    int32_t m_y;
    GUIB_Rect m_rect;
    c_GUIB_Bitmap* m_surface = nullptr;
    c_GUIB_Environment* m_environment;
    c_GUIB_Window* m_parent;
    uint32_t m_flags;
    uint32_t m_frameStyle = 0;
    uint32_t m_textAlign = 0;
    uint32_t m_signals[5] = {};
    uint32_t m_fillColours[9] = {};
    uint32_t m_textColours[9] = {};
    c_GUIB_Font* m_fonts[9] = {};
    char16_t* m_caption = nullptr;
    c_GUIB_Text* m_hint = nullptr;
    uint32_t m_hoverStart = 0;
    bool m_hintShown = false;
    bool m_signalsEnabled = true;
    GUIB_Point m_lastMouse = { 0, 0 };
    uint32_t m_id;
    c_GUIB_Window* m_activeChild = nullptr;

private:
    struct Lists;
    void CopyEnvironment();
    void DropChildren();
    void LeaveInput();
    void LeaveAncestors();
    void RemoveChild(c_GUIB_Window* child);
    void RaiseChild(c_GUIB_Window* child);
    void FlagsChanged(uint32_t old, uint32_t mask);
    SYS_Status SetColour(uint32_t* colours, uint32_t index, uint32_t colour);
    uint32_t RouteUp(uint32_t message, uintptr_t p1, uintptr_t p2);
    uint32_t KeepActiveChild(uint32_t message, c_GUIB_Window* child);
    void Update();
    void BroadcastDrawing(uint32_t message, uintptr_t p1, uintptr_t p2, uint32_t flags);
    void ComposeSurface(GUIB_ComposeTarget* target, const GUIB_Rect* placed);
    void TickHint(uint32_t now);

    uint32_t m_refCount = 1;
    Lists* m_lists; // children and callbacks
};

// ---- The desktop --------------------------------------------------------------------------
// The root of the window tree and the toolkit's only contact with the system's window manager:
// it owns the back buffer every visible window is composed into, optionally one top-level
// window that shows it and delivers input, the global input state (hover, capture, focus,
// hint), the dirty rectangles and the windows waiting to be destroyed.

// The system window messages the desktop handles, by their Windows numbers. On Windows they
// come from the window procedure; the headless window takes them injected.
inline constexpr uint32_t GUIB_WM_DESTROY = 2;
inline constexpr uint32_t GUIB_WM_PAINT = 15;
inline constexpr uint32_t GUIB_WM_CLOSE = 16;
inline constexpr uint32_t GUIB_WM_ERASEBKGND = 20;
inline constexpr uint32_t GUIB_WM_KEYDOWN = 256;
inline constexpr uint32_t GUIB_WM_KEYUP = 257;
inline constexpr uint32_t GUIB_WM_CHAR = 258;
inline constexpr uint32_t GUIB_WM_MOUSEMOVE = 512;
inline constexpr uint32_t GUIB_WM_LBUTTONDOWN = 513;
inline constexpr uint32_t GUIB_WM_LBUTTONUP = 514;
inline constexpr uint32_t GUIB_WM_LBUTTONDBLCLK = 515;
inline constexpr uint32_t GUIB_WM_RBUTTONDOWN = 516;
inline constexpr uint32_t GUIB_WM_RBUTTONUP = 517;
inline constexpr uint32_t GUIB_WM_RBUTTONDBLCLK = 518;
inline constexpr uint32_t GUIB_WM_MBUTTONDOWN = 519;
inline constexpr uint32_t GUIB_WM_MBUTTONUP = 520;
inline constexpr uint32_t GUIB_WM_MBUTTONDBLCLK = 521;
inline constexpr uint32_t GUIB_WM_MOUSEWHEEL = 522;

// The lParam of a mouse message: x in the low word, y in the high word, both signed.
inline intptr_t GUIB_MakePointParam(int32_t x, int32_t y)
{
    return static_cast<intptr_t>(static_cast<uint32_t>(static_cast<uint16_t>(x))
        | static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16);
}

// The top-level window's look, given to SetWindowMode.
struct GUIB_WindowParams {
    uint32_t style;
    uint32_t exStyle;
    const char* className; // may be null: a name is made up
    const char* caption;
    const char16_t* wideCaption; // may be null; preferred over caption
    uintptr_t icon; // may be 0
};

// Status of SetWindowMode when the class cannot be registered or the window not made.
inline constexpr SYS_Status GUIB_NO_WINDOW = 4;

class c_GUIB_Desktop : public c_GUIB_Window {
public:
    // Place the desktop at 0, 0 with the size of the window it is shown in.
    explicit c_GUIB_Desktop(const GUIB_WindowCreate* create);

    // Mode 0: no window. Mode 1: the desktop's own top-level window of its size, centred on the
    // screen (on POSIX a headless window). 0, GUIB_NO_WINDOW, or GUIB_OUT_OF_RANGE for another
    // mode; any earlier window is destroyed first in every case.
    SYS_Status SetWindowMode(uint32_t mode, const GUIB_WindowParams* params);
    uint32_t GetWindowMode() const { return m_mode; }
    // The system's handle of the window while the mode is 1, else 0.
    uintptr_t GetWindowHandle() const;
    void DestroyDesktopWindow();
    // One pass of the main loop: destroys the windows closed since the last pass, sends the
    // tick and the update, composes and shows the dirty rectangles, then handles the window's
    // waiting messages. 1 while the desktop lives, 0 once its window was closed.
    uint32_t Pump();
    // Copies r (desktop coordinates) of the back buffer to the window.
    void Present(const GUIB_Rect* r);
    void MergeDirtyRects();
    void FlushDirtyRects();
    // One mouse event at client coordinates; wheel in notches for GUIB_MOUSE_WHEEL. 1 when a
    // MOVE was dropped as unchanged, else the routing result.
    uint32_t ProcessMouse(uint32_t event, int32_t x, int32_t y, int32_t wheel);
    // The window procedure's portable half: a system message (GUIB_WM_*) for the desktop. A
    // zero answer lets the system's default handling follow.
    intptr_t HandleSystemMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    void OnMouse(
        uint32_t event, const GUIB_Point* at, uint32_t state, const GUIB_Rect* clip) override;
    uint32_t OnMessage(uint32_t message, uintptr_t p1, uintptr_t p2) override;

    // The input state, for drivers and tests; no references.
    bool IsClosed() const { return m_closed; }
    uint32_t GetButtonState() const { return m_buttons; }
    c_GUIB_Window* GetHoverWindow() const { return m_hover; }
    c_GUIB_Window* GetCaptureWindow() const { return m_capture; }
    c_GUIB_Window* GetFocusWindow() const { return m_focus; }
    bool IsHintShown() const { return m_hintShowing; }
    const char* GetWindowClassName() const { return m_className; }
    // The dirty rectangles waiting for the next flush, in list order.
    uint32_t GetDirtyRectCount() const;
    GUIB_Rect GetDirtyRect(uint32_t index) const;
    // Pixels copied to the window by Present since the desktop was made.
    uint64_t GetPresentedPixels() const { return m_presentedPixels; }
    // What the window shows now, width × height pixels of its client area into pixels; false
    // without a window or when the system will not give them.
    bool ReadPresented(uint32_t* pixels) const;
    // Puts a system message into the window's queue, to be handled by the next Pump as if
    // the system had sent it. False without a window.
    bool PostSystemMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) const;
    // Converts a client point to the screen's coordinates, as wheel messages carry them.
    void ClientToScreen(GUIB_Point* p) const;

protected:
    ~c_GUIB_Desktop() override;

private:
    struct DirtyList;
    struct CloseQueue;
    void CollectVisible(const GUIB_Rect* r);
    void AddVisibleRect(const GUIB_Rect* r);
    void DestroyClosedWindows();
    void QueueClose(uint32_t id);
    void HideHint();
    void KeyDown(uint32_t virtualKey);
    void KeyUp(uint32_t virtualKey);
    void Character(uint32_t character);
    void DeliverKey(uint32_t message, uint32_t key, bool evenDisabled);
    void ReleasedCapture();

    uintptr_t m_window = 0;
    uint32_t m_mode = 0;
    int32_t m_lastX = -1;
    int32_t m_lastY = -1;
    uint32_t m_tickStamp;
    uint32_t m_buttons = 0;
    c_GUIB_Window* m_capture = nullptr;
    c_GUIB_Window* m_focus = nullptr;
    c_GUIB_Window* m_hover = nullptr;
    DirtyList* m_dirty;
    bool m_closed = false;
    CloseQueue* m_pendingClose; // ids of windows to destroy
    bool m_hintShowing = false;
    char* m_className = nullptr;
    uint64_t m_presentedPixels = 0;
};

// ---- Buttons, check boxes, labels and progress bars ----------------------------------------
// The simple controls. Each keeps its state in fields, marks itself dirty when something visible
// changes, repaints its whole surface in Draw (ending with an Invalidate of its own rectangle)
// and reports to its owner through Notify, and to the rest of the tree through Signal.
// Colour index k means fill colour k or text colour k of the window.

// Notification codes the controls send to their callbacks.
inline constexpr uint32_t GUIB_BN_CLICKED = 257; // button clicked; p1 = p2 = 0
inline constexpr uint32_t GUIB_BN_REPEAT = 258; // button held down; p1 = p2 = 0
inline constexpr uint32_t GUIB_CHK_TOGGLED = 513; // check box clicked; p1 = new state (0 or 1)

// Bit of a window's frame style: the control draws a one-pixel frame in fill colour 3.
inline constexpr uint32_t GUIB_FRAME_BIT = 0x80000000;
// A label's text alignment that word-wraps its caption into its text rectangle.
inline constexpr uint32_t GUIB_ALIGN_WRAP = 0x80000000;

// The controls' frame: the outermost pixels of the surface in the colour.
void GUIB_DrawFrame(c_GUIB_Bitmap* surface, uint32_t colour);
// Places the text in r by the GUIB_ALIGN_* flags (c_GUIB_Font::MeasureText), draws it there and
// returns where it went.
GUIB_Rect GUIB_DrawPlacedText(const c_GUIB_Font* font, c_GUIB_Bitmap* surface, uint32_t colour,
    const char16_t* text, GUIB_Rect r, uint32_t flags);
GUIB_Rect GUIB_DrawPlacedText(const c_GUIB_Font* font, c_GUIB_Bitmap* surface, uint32_t colour,
    const char* text, GUIB_Rect r, uint32_t flags);

// Button styles; other bits have no effect.
inline constexpr uint32_t GUIB_BS_ROUNDED = 0x2; // the four corner pixels are transparent
inline constexpr uint32_t GUIB_BS_REPEAT = 0x4; // clicks at the press instead of the release
// Icon slots by visual state.
inline constexpr uint32_t GUIB_BUTTON_ICONS = 9;
inline constexpr uint32_t GUIB_ICON_NORMAL = 0;
inline constexpr uint32_t GUIB_ICON_HOVER = 4;
inline constexpr uint32_t GUIB_ICON_DISABLED = 6;
inline constexpr uint32_t GUIB_ICON_PRESSED = 7;
// Press state bits.
inline constexpr uint32_t GUIB_PRESS_LOOK = 0x1; // pressed on it and the pointer is over it
inline constexpr uint32_t GUIB_PRESS_TRACKING = 0x2; // pressed on it and not yet released

// A push button: its caption and the icon of its visual state, centred together. It clicks
// (Focus, Signal of slot 2, GUIB_BN_CLICKED) when the left button is released over it after a
// press on it; a repeat button clicks at the press. While held down over it, it sends
// GUIB_BN_REPEAT on the ticks after the environment's repeat delay, then after every repeat
// interval. A button disabled while held gives up the press and the capture at the next tick.
// Fill, text colour and icon by state: disabled 6; pressed but the pointer away 0, 4
// (icon 0); pressed 7; under the mouse 4; otherwise 0.
class c_GUIB_Button : public c_GUIB_Window {
public:
    // Not focusable unless GUIB_WF_FOCUSABLE is set again; style 1.
    explicit c_GUIB_Button(const GUIB_WindowCreate* create);

    // Keeps icon (may be null) with a reference in the slot; GUIB_OUT_OF_RANGE for a slot of
    // GUIB_BUTTON_ICONS or more, which changes nothing.
    SYS_Status SetIcon(c_GUIB_Bitmap* icon, uint32_t index);
    void SetButtonStyle(uint32_t style);
    uint32_t GetButtonStyle() const { return m_style; }
    uint32_t GetPressState() const { return m_press; }

    void OnMouse(
        uint32_t event, const GUIB_Point* at, uint32_t state, const GUIB_Rect* clip) override;
    void Draw() override;
    uint32_t OnMessage(uint32_t message, uintptr_t p1, uintptr_t p2) override;

protected:
    ~c_GUIB_Button() override = default;

private:
    void Click();
    void Press();
    void Released();
    void DropPress();

    GUIB_Ref<c_GUIB_Bitmap> m_icons[GUIB_BUTTON_ICONS];
    uint32_t m_press = 0;
    uint32_t m_nextRepeat = 0; // tick after which the next GUIB_BN_REPEAT goes out
    uint32_t m_style = 1;
};

// The environment property a new check box takes as the value of its signal slot 2.
inline constexpr uint32_t GUIB_PROP_CHECK_BOX_SIGNAL = 31;
// Check states.
inline constexpr uint32_t GUIB_CHECK_OFF = 0;
inline constexpr uint32_t GUIB_CHECK_ON = 1;
inline constexpr uint32_t GUIB_CHECK_UNDETERMINED = 2; // drawn like GUIB_CHECK_OFF

// A check box: a square box of the environment's check box size, vertically centred at the left,
// and its caption a box and a half to its right. Only the box and the caption's measured extent
// take the mouse; the rest of its rectangle lets clicks through to what lies below. A press on it
// and the release over it toggle the state (an undetermined box becomes unchecked), Signal slot
// 2 and send GUIB_CHK_TOGGLED. Box fill and text colour: disabled 6, 6; under the mouse 4, 7;
// otherwise 0, 0; the box's outline and cross in fill colour 3, the background fill colour 1
// (transparent at construction).
class c_GUIB_CheckBox : public c_GUIB_Window {
public:
    explicit c_GUIB_CheckBox(const GUIB_WindowCreate* create);

    // Takes 0, 1 and 2 only; marks the box dirty when the state changes.
    void SetCheck(uint32_t state);
    uint32_t GetCheck() const { return m_state; }
    // The window's caption, then the layout of box and text.
    void SetCaption(const char16_t* text);
    void SetCaption(const char* text);
    // Keeps the layout with the size.
    void SetSize(int32_t width, int32_t height) override;
    // Where the layout put them, in own coordinates.
    const GUIB_Rect& GetTextRect() const { return m_textRect; }
    const GUIB_Rect& GetBoxRect() const { return m_boxRect; }

    void OnMouse(
        uint32_t event, const GUIB_Point* at, uint32_t state, const GUIB_Rect* clip) override;
    void Draw() override;
    bool HitTest(int32_t x, int32_t y) override;

protected:
    ~c_GUIB_CheckBox() override = default;

private:
    void Layout();
    void Released();

    bool m_tracking = false;
    uint32_t m_state = GUIB_CHECK_OFF;
    GUIB_Rect m_textRect {};
    GUIB_Rect m_boxRect {};
    GUIB_Ref<c_GUIB_Font> m_font;
};

// Static text: the caption in font slot 0 and text colour 0 on fill colour 1 (both colour 6 when
// disabled), inside the frame when the frame bit is set. The caption is placed by the window's
// text alignment, or word-wrapped with GUIB_ALIGN_WRAP; a label lower than the font's line
// height centres its text vertically whatever its alignment. It takes no input.
class c_GUIB_Label : public c_GUIB_Window {
public:
    explicit c_GUIB_Label(const GUIB_WindowCreate* create);
    void Draw() override;

protected:
    ~c_GUIB_Label() override = default;
};

// SetValue flag: the bar is not marked dirty (a caller that sets several values before one
// repaint).
inline constexpr uint32_t GUIB_PB_NO_REDRAW = 0x8000;

// A progress bar from 0 to 100: the bar in fill colour 4 over fill colour 0, inside the frame
// when the frame bit is set, and the percentage centred on it in font slot 0 and text colour 0.
class c_GUIB_ProgressBar : public c_GUIB_Window {
public:
    explicit c_GUIB_ProgressBar(const GUIB_WindowCreate* create);

    // Clamps the value to 0 .. 100 and marks the bar dirty when it changed, unless flags has
    // GUIB_PB_NO_REDRAW.
    void SetValue(int32_t value, uint32_t flags);
    int32_t GetValue() const { return m_value; }
    // Always five characters: the number right-aligned in three, a blank and "%" ("  7 %").
    const char* GetPercentText() const { return m_percentText; }
    // The bar's length in pixels for the value and the present size and frame.
    int32_t GetBarLength() const;

    void Draw() override;

protected:
    ~c_GUIB_ProgressBar() override = default;

private:
    int32_t m_value = 0;
    char m_percentText[8] = "  0 %";
};

// ---- Scroll bars, list boxes and the picture panel ----------------------------------------

// Notifications of the scroll bar (p1 = the value truncated toward zero, p2 = 0) and the list
// box. GUIB_LB_SELCHANGING asks first: a callback answering non-zero cancels the change.
inline constexpr uint32_t GUIB_SB_CHANGED = 1025; // track click, arrow, wheel, end of a drag
inline constexpr uint32_t GUIB_SB_TRACKING = 1026; // each change while the thumb is dragged
inline constexpr uint32_t GUIB_LB_SELCHANGED = 1281; // p1 = current item, p2 = 1 mouse, 2 keys
inline constexpr uint32_t GUIB_LB_SELCHANGING = 1282; // p1 = current item before the change
inline constexpr uint32_t GUIB_LB_DBLCLK = 1283; // p1 = the current item

// Scroll bar style bits; GUIB_ScrollInfo's orientation takes the first two (0 keeps it).
inline constexpr uint32_t GUIB_SB_HORIZONTAL = 0x1;
inline constexpr uint32_t GUIB_SB_VERTICAL = 0x2;
inline constexpr uint32_t GUIB_SB_NO_BUTTONS = 0x4;
inline constexpr SYS_Status GUIB_BAD_RANGE = 5; // a minimum above the maximum, a picture mode

// How a scroll bar is set up and read. The value runs from minimum to maximum - page.
struct GUIB_ScrollInfo {
    float minimum;
    float maximum;
    float value;
    float page; // the part of the range visible at once
    float step; // one arrow click or wheel notch
    uint32_t orientation; // GUIB_SB_HORIZONTAL, GUIB_SB_VERTICAL or 0; read: the style word
};

class c_GUIB_Button;

// The behaviour of a bar with a draggable thumb between two arrow buttons. Along its axis the
// bar is: decrease button, track, increase button; the thumb lies on the track, its size in
// proportion to page / (maximum - minimum), and none when everything is visible at once.
// Thumb and track positions are pixels along the axis, the thumb's counted from the track's
// start. It draws nothing itself; c_GUIB_ScrollBar paints it.
class c_GUIB_Slider : public c_GUIB_Window {
public:
    // Nothing when unchanged; else the window's SetSize and a new layout.
    void SetSize(int32_t width, int32_t height) override;
    // Track presses jump the thumb's middle to the pointer, the thumb drags (GUIB_SB_TRACKING
    // per change, GUIB_SB_CHANGED once at the release), the wheel moves by notches × step,
    // a notch away from the user lowering the value.
    void OnMouse(
        uint32_t event, const GUIB_Point* at, uint32_t state, const GUIB_Rect* clip) override;

    // GUIB_BAD_RANGE (and no change) when minimum > maximum. The value is limited to
    // maximum - page and then to the minimum, so it is never below the minimum.
    SYS_Status SetScrollInfo(const GUIB_ScrollInfo* info);
    void GetScrollInfo(GUIB_ScrollInfo* info) const;

    // The geometry, for painting and tests.
    bool IsHorizontal() const { return (m_style & GUIB_SB_HORIZONTAL) != 0; }
    int32_t GetButtonSize() const { return m_buttonSize; }
    int32_t GetTrackOffset() const { return m_trackOffset; }
    int32_t GetTrackLength() const { return m_trackLength; }
    int32_t GetThumbSize() const { return m_thumbSize; }
    int32_t GetThumbPosition() const { return m_thumbPosition; }
    // The thumb in own coordinates; empty without a thumb.
    GUIB_Rect ThumbRect() const;
    bool IsDragging() const { return m_dragging; }
    bool IsThumbHot() const { return m_thumbHot; }
    c_GUIB_Button* GetDecreaseButton() const { return m_decrease; }
    c_GUIB_Button* GetIncreaseButton() const { return m_increase; }

protected:
    // Range 0 to 99, value 0, step 1, page 0; vertical when width <= height, no buttons.
    explicit c_GUIB_Slider(const GUIB_WindowCreate* create);
    ~c_GUIB_Slider() override;

    // Places the buttons (making them when missing), sizes the track and the thumb.
    void Layout();
    uint32_t m_style;

private:
    void LayoutButtons();
    void PlaceButton(c_GUIB_Button*& button, int32_t along, int32_t length, int32_t thickness);
    void TakeIcons();
    void ThumbFromValue();
    bool ValueFromThumb(int32_t position);
    void SetValue(float value, uint32_t code);
    void Arrow(bool increase);
    bool OnThumb(int32_t a) const
    {
        return m_thumbPosition <= a && a < m_thumbPosition + m_thumbSize;
    }
    void Press(int32_t a);
    static uint32_t ArrowHandler(
        c_GUIB_Window* button, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t p2);

    c_GUIB_Button* m_decrease = nullptr; // children, each with a reference of the slider's
    c_GUIB_Button* m_increase = nullptr;
    float m_minimum = 0;
    float m_maximum = 99;
    float m_value = 0;
    float m_step = 1;
    float m_page = 0;
    int32_t m_buttonSize = 0;
    int32_t m_trackOffset = 0;
    int32_t m_trackLength = 0;
    int32_t m_thumbSize = 0;
    int32_t m_thumbPosition = 0;
    int32_t m_grabOffset = 0;
    bool m_thumbHot = false;
    bool m_dragging = false;
    bool m_iconsPending = true;
};

// A scroll bar with arrow buttons (repeat buttons showing the environment's bitmaps 1 to 8) on
// a track of fill colour 2; the thumb is fill colour 0 made opaque, 4 under the pointer, 7
// while dragged, framed in fill colour 3; everything fill colour 6 when disabled. A new bar
// has the range 0 to 99, page 10, step 1, value 0 and the orientation of its shape.
class c_GUIB_ScrollBar : public c_GUIB_Slider {
public:
    explicit c_GUIB_ScrollBar(const GUIB_WindowCreate* create);
    void Draw() override;

protected:
    ~c_GUIB_ScrollBar() override = default;
};

// Item answers of the list box.
inline constexpr uint32_t GUIB_LB_NONE = 0xEEEEEEEE; // no item; also "all items" done
inline constexpr uint32_t GUIB_LB_ERROR = 0xFFFFFFFF; // an index beyond the list, no memory
inline constexpr uint32_t GUIB_LB_ALL = 0xFFFFFFFF; // SetSelected's index for every item
inline constexpr uint32_t GUIB_LB_SEPARATORS = 0x40000000; // frame style: lines between rows

// A list of text items, several of which may be selected, with a current item, an anchor for
// range selection and its own vertical scroll bar, shown while more items exist than rows fit.
// Presses select (Shift: the range from the anchor, Control: toggle), drags sweep, keys move
// (arrows, Page Up/Down, Home, End; Shift extends from the anchor), the wheel moves the current
// item without asking GUIB_LB_SELCHANGING. Rows are drawn from the top item: selected ones in
// fill colour 4, the others in fill colour 2, text in text colour 4, the current row between
// two lines of fill colour 3.
class c_GUIB_ListBox : public c_GUIB_Window {
public:
    explicit c_GUIB_ListBox(const GUIB_WindowCreate* create);

    void SetSize(int32_t width, int32_t height) override;
    void OnMouse(
        uint32_t event, const GUIB_Point* at, uint32_t state, const GUIB_Rect* clip) override;
    void Draw() override;
    // Navigation keys by the key value's low 16 bits (33 to 40, not typed characters), then the
    // window's default.
    uint32_t OnMessage(uint32_t message, uintptr_t p1, uintptr_t p2) override;

    // Appends an item of the default height; its index, or GUIB_LB_ERROR without memory.
    uint32_t AddItem(const char* text);
    uint32_t GetCount() const { return static_cast<uint32_t>(m_items.size()); }
    uint32_t GetCurrent() const { return m_current; }
    // Selects (or unselects and drops) the item as the current one and scrolls it into view;
    // GUIB_LB_NONE unselects every item. The previous current item, or GUIB_LB_ERROR.
    uint32_t SetCurrent(uint32_t index, uint32_t select);
    // The previous flag; GUIB_LB_ALL sets every item and answers GUIB_LB_NONE.
    uint32_t SetSelected(uint32_t index, uint32_t on);
    uint32_t IsSelected(uint32_t index) const;
    // Items min(a, b) to max(a, b); 0, or GUIB_LB_ERROR when either is beyond the list.
    uint32_t SelectRange(uint32_t a, uint32_t b, uint32_t on);
    // Each answers the previous value, or GUIB_LB_ERROR for a bad index.
    uint32_t SetItemData(uint32_t index, uint32_t value);
    uint32_t GetItemData(uint32_t index) const;
    uint32_t SetItemHeight(uint32_t index, uint32_t height);
    uint32_t GetItemHeight(uint32_t index) const;
    // The previous top item; no check, no redraw.
    uint32_t GetTop() const { return m_top; }
    uint32_t SetTop(uint32_t top);
    // The previous state.
    uint32_t ShowScrollBar(uint32_t on);
    uint32_t GetAnchor() const { return m_anchor; }
    c_GUIB_ScrollBar* GetScrollBar() const { return m_scrollBar; }
    // Rows of the default item height that fit the list's height.
    uint32_t VisibleRows() const;
    // Items take the font's line height. A font that is not loaded is kept but not used.
    void SetFont(c_GUIB_Font* font);
    // The item of the row under the point, or GUIB_LB_NONE.
    uint32_t ItemAt(const GUIB_Point* point) const;

protected:
    ~c_GUIB_ListBox() override;

private:
    struct Item {
        static constexpr uint32_t SELECTED = 0x1;
        uint32_t flags;
        uint32_t data;
        c_GUIB_Text* text;
        int32_t height;
    };
    bool Valid(uint32_t index) const { return index < m_items.size(); }
    uint32_t Page() const;
    void ClearSelection();
    void ShowPages();
    bool Cancelled(uint32_t how);
    void Press(uint32_t item, uint32_t modifiers);
    void Sweep(uint32_t item, uint32_t modifiers);
    void Wheel(uint32_t state);
    void Key(uint32_t key);
    // Paints the rows from the top item; the y below the last one.
    int32_t DrawRows(const c_GUIB_Font* font, int32_t reserved);
    void DrawRow(const c_GUIB_Font* font, const Item& item, int32_t y, int32_t reserved);
    static uint32_t ScrollHandler(
        c_GUIB_Window* bar, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t p2);

    uint32_t m_current = GUIB_LB_NONE;
    uint32_t m_anchor = 0;
    uint32_t m_dragState = 1; // whether a drag selects or unselects the items it sweeps
    uint32_t m_top = 0;
    int32_t m_defaultItemHeight;
    GUIB_Ref<c_GUIB_Font> m_font;
    std::vector<Item> m_items;
    c_GUIB_ScrollBar* m_scrollBar; // a child
};

// The picture of a panel: background colour, picture (or null), mode, and the scroll steps of
// mode GUIB_PM_SCROLL in pixels (0: four line heights across, one line height down).
struct GUIB_PictureSetup {
    uint32_t background;
    c_GUIB_Bitmap* picture;
    uint32_t mode;
    int32_t horizontalStep;
    int32_t verticalStep;
};

// Picture modes: mode & GUIB_PM_MASK picks one of the first six (the mask keeps all five mode
// bits, fit included); GUIB_PM_SURFACE is a switch of its own.
inline constexpr uint32_t GUIB_PM_ONCE = 0; // at the content's top-left
inline constexpr uint32_t GUIB_PM_TILE = 1;
inline constexpr uint32_t GUIB_PM_CENTRE = 2;
inline constexpr uint32_t GUIB_PM_STRETCH = 4; // the picture is resampled to the panel's size
inline constexpr uint32_t GUIB_PM_FIT = 8; // a larger picture is shrunk, keeping its aspect
inline constexpr uint32_t GUIB_PM_SCROLL = 16; // scroll bars where the picture does not fit
inline constexpr uint32_t GUIB_PM_MASK = 0x1F;
inline constexpr uint32_t GUIB_PM_SURFACE = 0x100; // the picture is the panel's surface

// The plain container and picture window: its content (inside the frame when the frame bit is
// set) shows the background colour (fill colour 1) and optionally a picture, copied opaquely.
// Stretch and fit modes resample the shared picture itself. In scroll mode the panel makes its
// own scroll bars and the wheel scrolls it vertically.
class c_GUIB_Panel : public c_GUIB_Window {
public:
    explicit c_GUIB_Panel(const GUIB_WindowCreate* create);

    // 0, or GUIB_BAD_RANGE for another masked mode (colour, mode and picture are kept all the
    // same). A panel that had no picture and gets none is marked dirty only when its
    // background colour changed.
    SYS_Status SetPicture(const GUIB_PictureSetup* setup);
    // Colour, picture (no reference added) and mode; a null setup is ignored.
    void GetPicture(GUIB_PictureSetup* setup) const;
    // Either pointer may be null.
    void GetScrollOffset(int32_t* x, int32_t* y) const;
    c_GUIB_ScrollBar* GetHorizontalBar() const { return m_horizontal; }
    c_GUIB_ScrollBar* GetVerticalBar() const { return m_vertical; }

    void OnMouse(
        uint32_t event, const GUIB_Point* at, uint32_t state, const GUIB_Rect* clip) override;
    void Draw() override;

protected:
    ~c_GUIB_Panel() override = default;

private:
    void DropScrollBars();
    void MakeScrollBars(int32_t pictureWidth, int32_t pictureHeight);
    c_GUIB_ScrollBar* MakeScrollBar(
        const GUIB_Rect& r, uint32_t orientation, int32_t range, int32_t step, int32_t page);
    void FitPicture();
    void PictureSteps(const GUIB_PictureSetup* setup);
    GUIB_Rect PrepareContent();
    void DrawTiles(const GUIB_Rect& content);
    void DrawPicture(const GUIB_Rect& content);
    void Fill(const GUIB_Rect& r, uint32_t colour);
    static uint32_t ScrollHandler(
        c_GUIB_Window* bar, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t p2);

    c_GUIB_ScrollBar* m_horizontal = nullptr; // children the panel made
    c_GUIB_ScrollBar* m_vertical = nullptr;
    int32_t m_scrollX = 0; // the picture pixel at the content's top-left
    int32_t m_scrollY = 0;
    uint32_t m_mode = 0;
    GUIB_Ref<c_GUIB_Bitmap> m_picture;
    int32_t m_horizontalStep = 1;
    int32_t m_verticalStep = 1;
};

// ---- Message box, title bar and GUI text table --------------------------------------------

// The GUI text table: texts 0 to 1000 that the toolkit's own controls show. GUI_Init fills it
// with English defaults (1 "Ok", 2 "Cancel", 3 "Retry", 4 "Yes", 5 "No", 6 "Back", 7
// "Previous", 8 "Next", 9 "I agree", 256 to 262 the drive kinds) and GUI_Done empties it.
inline constexpr uint32_t GUIB_TEXT_COUNT = 1001;
inline constexpr uint32_t GUIB_TEXT_OK = 1;
inline constexpr uint32_t GUIB_TEXT_CANCEL = 2;
inline constexpr uint32_t GUIB_TEXT_YES = 4;
inline constexpr uint32_t GUIB_TEXT_NO = 5;
inline constexpr uint32_t GUIB_TEXT_FALLBACK = 1000; // the empty text, read for missing entries

// The table's start and end (module "GUI_MultiLanguage"), run by GUI_Init and GUI_Done. The
// start clears every entry and sets the defaults; the end leaves every entry without text.
SYS_Status GUIB_TextsInit();
void GUIB_TextsDone();
// Replaces entry id (0 to 1000; other ids are ignored) with a copy of text, widened byte by
// byte for the wide copy; a null text leaves the entry without text.
void GUIB_SetText(uint32_t id, const char* text);
// The wide text of entry id, owned by the table until the entry changes. An id out of range or
// an entry without text reads the fallback entry; the result is never null.
const char16_t* GUIB_GetText(int32_t id);

// The caption strip of a movable window: a press on it captures the mouse and every move until
// the release moves the parent by the distance the mouse travelled. It draws a frame in fill
// colour 3 around fill colour 1 when its frame style has bit 31 (else it fills its surface in
// the surface's drawing colour) and the caption in text colour 0, vertically centred.
class c_GUIB_TitleBar : public c_GUIB_Window {
public:
    explicit c_GUIB_TitleBar(const GUIB_WindowCreate* create);

    void OnMouse(
        uint32_t event, const GUIB_Point* at, uint32_t state, const GUIB_Rect* clip) override;
    void Draw() override;
    bool IsDragging() const { return m_dragging; }

private:
    // Where the caption goes for a font of the line height: one line, vertically centred, 3
    // pixels in from the left with a frame (2 without) and 4 from the right.
    GUIB_Rect CaptionRect(int32_t lineHeight) const;

    GUIB_Point m_grab = { 0, 0 }; // the pointer at the press, in root coordinates
    GUIB_Point m_parentStart = { 0, 0 }; // the parent's position at the press
    bool m_dragging = false;
};

// Message box buttons, in their order left to right; a set of them is the buttons of a box,
// one of them its result.
inline constexpr uint32_t GUIB_MB_OK = 0x1;
inline constexpr uint32_t GUIB_MB_YES = 0x2;
inline constexpr uint32_t GUIB_MB_NO = 0x4;
inline constexpr uint32_t GUIB_MB_CANCEL = 0x8;
inline constexpr uint32_t GUIB_MB_BUTTON_COUNT = 4;
// The message box's one notification: p1 = the chosen button's flag, p2 = 0.
inline constexpr uint32_t GUIB_MB_RESULT = 0x500000;

// The buttons a box shows for a set of flags: the four button flags of it, Ok alone when none
// of them is set, so that every box can be answered.
uint32_t GUIB_MessageButtons(uint32_t flags);

// A message box's sizes in pixels.
struct GUIB_MessageMetrics {
    int32_t buttonWidth;
    int32_t buttonHeight;
    int32_t margin; // between buttons, and around the text
    int32_t titleHeight;
};
// The environment's: button width property 24, height property 25, margin property 25 - 2,
// title height property 22. A box without a parent has buttons 14 high and a margin of 6.
GUIB_MessageMetrics GUIB_GetMessageMetrics(const c_GUIB_Environment* environment, bool hasParent);
// Where a box goes in a parent of the size, in the parent's coordinates: wide enough for its
// button row, its title and its text (each at most the parent's width less two margins, the
// text then wrapped to that width), high enough for title, text and buttons, and centred. A
// null font measures nothing: the box is sized by its buttons.
GUIB_Rect GUIB_MessageBoxRect(int32_t parentWidth, int32_t parentHeight,
    const GUIB_MessageMetrics& metrics, const c_GUIB_Font* font, const char16_t* title,
    const char16_t* text, uint32_t buttons);

// A movable box with a title bar, a word-wrapped text and up to four buttons. It has no surface
// of its own: its body panel, label, title bar and buttons draw it. It takes the focus when it
// is made. A click on a button, Enter or Space on a box with one button, or Escape on a box with
// Cancel (else No) notifies GUIB_MB_RESULT with that button's flag and closes the box. It
// reports one result only: input that reaches the box after its result (clicks queued behind
// the one that answered it, while the desktop has not yet destroyed it) is ignored.
class c_GUIB_MessageBox : public c_GUIB_Window {
public:
    explicit c_GUIB_MessageBox(const GUIB_WindowCreate* create);

    // The title bar's caption.
    void SetTitle(const char16_t* title);
    // The box's own caption and the label's.
    void SetText(const char16_t* text);
    // Replaces the buttons by those of GUIB_MessageButtons(flags), centred in a row near the
    // bottom, captioned from the GUI text table.
    void SetButtons(uint32_t flags);

    uint32_t GetButtonFlags() const { return m_buttonFlags; }
    uint32_t GetButtonCount() const { return m_buttonCount; }
    // The button of a flag, or null when the box does not show it; no reference.
    c_GUIB_Button* GetButton(uint32_t flag) const;
    c_GUIB_TitleBar* GetTitleBar() const { return m_titleBar; }
    c_GUIB_Label* GetLabel() const { return m_label; }
    // The panel that holds the buttons, below the title bar.
    c_GUIB_Panel* GetBody() const { return m_body; }
    const GUIB_MessageMetrics& GetMetrics() const { return m_metrics; }
    bool HasReported() const { return m_reported; }

    // Key-downs answer 1 (the box consumes every key); others go to the window's default.
    uint32_t OnMessage(uint32_t message, uintptr_t p1, uintptr_t p2) override;

protected:
    ~c_GUIB_MessageBox() override = default;

private:
    static uint32_t ButtonHandler(
        c_GUIB_Window* window, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t p2);
    void Report(uint32_t flag);
    void DropButtons();

    c_GUIB_Panel* m_body = nullptr;
    c_GUIB_Label* m_label = nullptr;
    c_GUIB_TitleBar* m_titleBar = nullptr;
    c_GUIB_Button* m_buttons[GUIB_MB_BUTTON_COUNT] = {};
    uint32_t m_buttonCount = 0;
    GUIB_MessageMetrics m_metrics;
    uint32_t m_buttonFlags = 0;
    bool m_reported = false;
};

// Opens a message box in parent (null: none is made, the result is null) with the title, the
// text and the buttons, visible and focused. The callback (may be null) is added with the box
// itself as its user data. The box belongs to the parent and closes itself after its result.
c_GUIB_MessageBox* GUIB_MessageBox(c_GUIB_Window* parent, const char16_t* title,
    const char16_t* text, uint32_t buttons, GUIB_Callback callback);
