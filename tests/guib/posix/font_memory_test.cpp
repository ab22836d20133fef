// Hostile font files of a few kilobytes that once made the loader allocate gigabytes: the peak
// resident memory of the process may grow by no more than a small fixed bound while they load.
#include "tests/guib/record_bytes.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

using test::Bytes;
using test::Chunk;
using test::Group;
using test::U32s;

constexpr uint64_t ALLOWED_GROWTH = 64ull << 20;
constexpr uint32_t SIDE = GUIB_MAX_GLYPH_SIDE;

uint64_t PeakResidentBytes()
{
    rusage usage {};
    EXPECT_EQ(0, getrusage(RUSAGE_SELF, &usage));
    return uint64_t(usage.ru_maxrss) * 1024; // kilobytes on Linux
}

// A glyph group whose record claims width × height and whose bitmap record claims
// bitmapWidth × bitmapHeight but holds a single pixel.
Bytes ClaimingGlyph(uint32_t code, uint32_t width, uint32_t height, uint32_t bitmapHeight)
{
    return Group(GUIB_GROUP_GLYPH, code,
        test::Cat({ Chunk(1, U32s({ width, height, 0, 0xFF000000, 0 })),
            test::BitmapGroup(0, width, bitmapHeight, { 0 }) }));
}

struct HostileFont {
    const char* what;
    std::vector<uint32_t> codes;
    Bytes glyphs;
};

std::vector<HostileFont> HostileFonts()
{
    HostileFont distinct { "glyphs each claiming 4 MB of pixels they do not hold", {}, {} };
    for (uint32_t code = 1; code <= 250; ++code) {
        distinct.codes.push_back(code);
        const Bytes glyph = ClaimingGlyph(code, SIDE, SIDE, SIDE);
        distinct.glyphs.insert(distinct.glyphs.end(), glyph.begin(), glyph.end());
    }
    // The bitmap is one row short of its record, so it was allocated, filled and thrown away
    // again for every listing of the code.
    HostileFont repeated { "one mismatched glyph listed 1500 times",
        std::vector<uint32_t>(1500, 65), ClaimingGlyph(65, SIDE, SIDE, SIDE - 1) };
    return { distinct, repeated };
}

TEST(FontMemory, HostileFontsLoadWithinAFixedBound)
{
    for (const HostileFont& font : HostileFonts()) {
        SCOPED_TRACE(font.what);
        const Bytes bytes
            = test::FontGroup(0, test::FontHeader(1, 13, 10), font.codes, font.glyphs);
        ASSERT_LT(bytes.size(), 64u * 1024);
        const uint64_t before = PeakResidentBytes();
        test::Held<c_GUIB_Font> loaded(new c_GUIB_Font());
        auto store = test::StoreOf(bytes);
        EXPECT_EQ(SYS_OK, loaded->LoadFromStore(store.get(), 0));
        EXPECT_EQ(0u, loaded->GetGlyphCount());
        EXPECT_LT(PeakResidentBytes() - before, ALLOWED_GROWTH);
    }
}

}
