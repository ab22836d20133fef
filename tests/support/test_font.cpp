// The test font: each glyph's 5 × 7 ink cell is taken from the bits of a small mix of its code,
// one column of spacing to the right and three rows of ascent and descent around it.
#include "tests/support/test_font.h"

#include <vector>

namespace test {

GUIB_Ref<c_GUIB_Font> MakeTestFont()
{
    auto font = GUIB_Ref<c_GUIB_Font>::Adopt(new c_GUIB_Font);
    font->SetHeader(GUIB_FONT_COVERAGE, TEST_FONT_HEIGHT, 8);
    std::vector<uint8_t> coverage(size_t(TEST_FONT_ADVANCE) * TEST_FONT_HEIGHT);
    for (uint32_t code = 32; code <= 126; ++code) {
        uint64_t bits = code == ' ' ? 0 : (code * 0x9E3779B97F4A7C15ull) >> 20;
        for (int32_t y = 0; y < TEST_FONT_HEIGHT; ++y)
            for (int32_t x = 0; x < TEST_FONT_ADVANCE; ++x) {
                bool ink = x < 5 && y >= 1 && y < 8 && (bits >> (y * 5 + x) & 1) != 0;
                coverage[size_t(y) * TEST_FONT_ADVANCE + x] = ink ? 255 : 0;
            }
        (void)font->AddCoverageGlyph(code, TEST_FONT_ADVANCE, TEST_FONT_HEIGHT, 0, coverage.data());
    }
    return font;
}

std::vector<uint8_t> TestFontFile()
{
    c_GUIB_Store store;
    if (MakeTestFont()->SaveToStore(&store, 0) != SYS_OK)
        return {};
    return { store.GetData(), store.GetData() + store.GetUsedSize() };
}

}
