// Word-wrapped text output as the licence page draws it: OutTextRect of a 4 KB text of generated
// words and paragraphs into a 400-pixel-wide rectangle of a 437 × 320 bitmap, beside a reference
// that does only the glyph blends, at positions laid out beforehand, in one loop. The ratio is
// what layout (glyph lookups, word measuring, line breaking) adds to the blending. Both are
// checked for identical pixels before timing. The rectangle has no height limit, so the lines
// below the bitmap are laid out and their blends clipped in both.
#include "guib/guib.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int32_t WIDTH = 437;
constexpr int32_t HEIGHT = 320;
constexpr int32_t LINE = 12;
constexpr uint32_t COLOUR = 0xFF1A2B3C;
constexpr GUIB_Rect AREA { 18, 10, 418, 10 + 100000 };

// Printable ASCII, 3 to 7 pixels wide with a blank last column, ink of full and partial
// coverage; loaded through a store like a font file so that glyph lookups bisect.
c_GUIB_Font* MakeFont()
{
    c_GUIB_Font maker;
    for (uint32_t code = 32; code < 127; ++code) {
        const uint32_t width = 3 + code * 7 % 5;
        std::vector<uint8_t> coverage(size_t(width) * LINE, 0);
        for (uint32_t y = 2; code != ' ' && y < LINE - 2; ++y)
            for (uint32_t x = 0; x + 1 < width; ++x)
                coverage[y * width + x] = uint8_t((x * 37 + y * 11 + code) % 3 * 127);
        if (maker.AddCoverageGlyph(code, width, LINE, 0, coverage.data()) != SYS_OK)
            std::abort();
    }
    maker.SetHeader(GUIB_FONT_COVERAGE, LINE, LINE - 3);
    auto* font = new c_GUIB_Font();
    if (font->CopyFrom(maker) != SYS_OK)
        std::abort();
    return font;
}

// Sentences of 6 to 17 words of 2 to 9 letters, paragraphs of 2 to 5 sentences, about 4 KB.
std::string LicenceText()
{
    std::mt19937 random(4096);
    std::string text;
    while (text.size() < 4000) {
        for (uint32_t sentence = 2 + random() % 4; sentence > 0; --sentence) {
            for (uint32_t word = 6 + random() % 12; word > 0; --word) {
                for (uint32_t letter = 2 + random() % 8; letter > 0; --letter)
                    text += char('a' + random() % 26);
                text += word > 1 ? " " : ". ";
            }
        }
        text.back() = '\n';
    }
    return text;
}

struct Placed {
    const c_GUIB_Bitmap* bitmap;
    int32_t x;
    int32_t y;
};

int32_t WidthOf(const c_GUIB_Font& font, char c)
{
    GUIB_Glyph* glyph = nullptr;
    if (!font.GetGlyph(uint8_t(c), &glyph))
        std::abort();
    int32_t width = int32_t(glyph->width);
    font.ReleaseGlyph(uint8_t(c));
    return width;
}

// Greedy wrapping of single-spaced words that each fit a line, which is what OutTextRect does
// with such a text: a word that does not fit starts the next line, a space that does not fit
// ends the line and a space at a line start is skipped.
std::vector<Placed> LayOut(const c_GUIB_Font& font, const std::string& text)
{
    std::vector<Placed> placed;
    const int32_t width = AREA.right - AREA.left;
    int32_t x = 0;
    int32_t y = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            x = 0;
            y += LINE;
            continue;
        }
        size_t end = i;
        int32_t word = 0;
        for (; end < text.size() && text[end] != ' ' && text[end] != '\n'; ++end)
            word += WidthOf(font, text[end]);
        const bool separator = end == i;
        const int32_t need = separator ? WidthOf(font, text[i]) : word;
        if (x + need > width) {
            x = 0;
            y += LINE;
        }
        if (text[i] == ' ' && x == 0)
            continue;
        for (size_t j = i; j < std::max(end, i + 1); ++j) {
            GUIB_Glyph* glyph = nullptr;
            (void)font.GetGlyph(uint8_t(text[j]), &glyph);
            placed.push_back({ glyph->bitmap, AREA.left + x, AREA.top + y });
            font.ReleaseGlyph(uint8_t(text[j]));
            x += WidthOf(font, text[j]);
        }
        i = std::max(end, i + 1) - 1;
    }
    return placed;
}

void BlendAll(const std::vector<Placed>& placed, c_GUIB_Bitmap* target)
{
    for (const Placed& p : placed) {
        int32_t w = 0;
        int32_t h = 0;
        p.bitmap->GetSize(&w, &h);
        p.bitmap->BlendTo(target, p.x, p.y, 0, 0, w, h);
    }
}

c_GUIB_Bitmap Background()
{
    c_GUIB_Bitmap bitmap(WIDTH, HEIGHT);
    bitmap.SetColour(0xFFF4F0E8);
    bitmap.FillRect(0, 0, WIDTH, HEIGHT);
    return bitmap;
}

struct Scene {
    c_GUIB_Font* font = MakeFont();
    std::string text = LicenceText();
    std::vector<Placed> placed = LayOut(*font, text);
    ~Scene() { font->Release(); }
};

// Draws once with each (which also tints every glyph to the colour) and requires equal pixels.
void CheckSame(const Scene& scene)
{
    c_GUIB_Bitmap viaLayout = Background();
    c_GUIB_Bitmap viaReference = Background();
    scene.font->OutTextRect(&viaLayout, COLOUR, scene.text.c_str(), &AREA);
    BlendAll(scene.placed, &viaReference);
    if (std::memcmp(viaLayout.GetPixels(), viaReference.GetPixels(), size_t(WIDTH) * HEIGHT * 4)
        != 0) {
        std::fprintf(stderr, "text_bench: OutTextRect differs from its reference\n");
        std::exit(1);
    }
}

void BM_OutTextRect(benchmark::State& state)
{
    Scene scene;
    CheckSame(scene);
    c_GUIB_Bitmap target = Background();
    for (auto _ : state) {
        scene.font->OutTextRect(&target, COLOUR, scene.text.c_str(), &AREA);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(scene.text.size()));
}

void BM_GlyphBlendsReference(benchmark::State& state)
{
    Scene scene;
    CheckSame(scene);
    c_GUIB_Bitmap target = Background();
    for (auto _ : state) {
        BlendAll(scene.placed, &target);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(scene.text.size()));
}

}

BENCHMARK(BM_OutTextRect);
BENCHMARK(BM_GlyphBlendsReference);

BENCHMARK_MAIN();
