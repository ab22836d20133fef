// The GUI toolkit: reference-counted objects, 32-bit bitmaps and their drawing primitives, the
// record store and fonts. Everything the installer shows is drawn with these into off-screen
// bitmaps.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <type_traits>
#include <utility>

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
