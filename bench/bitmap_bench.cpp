// The bitmap primitives the desktop leans on every frame, each beside a plain reference in the
// same process: BlendTo against a scalar per-channel loop of the same blending rule (a picture
// of partial alpha everywhere, and a mix of 40 % transparent, 40 % opaque and 20 % partial
// pixels), CopyTo of a whole frame against memcpy, and Stretch against a direct per-pixel
// evaluation of the area mean. Before timing, each pair is checked for identical output.
#include "guib/guib.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int32_t WIDTH = 437;
constexpr int32_t HEIGHT = 320;
constexpr size_t PIXELS = size_t(WIDTH) * HEIGHT;

enum class AlphaMix { Partial, Mixed };

// A picture whose alphas follow the mix, with random colours; the same seed every run.
c_GUIB_Bitmap Picture(AlphaMix mix)
{
    std::mt19937 random(437);
    c_GUIB_Bitmap bitmap(WIDTH, HEIGHT);
    uint32_t* pixels = bitmap.GetPixels();
    for (size_t i = 0; i < PIXELS; ++i) {
        uint32_t roll = random() % 100;
        uint32_t alpha = 1 + random() % 254;
        if (mix == AlphaMix::Mixed && roll < 80)
            alpha = roll < 40 ? 0 : 255;
        pixels[i] = alpha << 24 | (random() & 0xFFFFFF);
    }
    return bitmap;
}

c_GUIB_Bitmap OpaqueBackground()
{
    std::mt19937 random(320);
    c_GUIB_Bitmap bitmap(WIDTH, HEIGHT);
    for (size_t i = 0; i < PIXELS; ++i)
        bitmap.GetPixels()[i] = 0xFF000000 | (random() & 0xFFFFFF);
    return bitmap;
}

// The blending rule as a plain loop: branches per pixel, one channel at a time.
void ReferenceBlend(const uint32_t* source, uint32_t* target, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        auto* s = reinterpret_cast<const uint8_t*>(source + i);
        auto* t = reinterpret_cast<uint8_t*>(target + i);
        uint32_t a = s[3];
        if (a == 0)
            continue;
        if (a == 255 || t[3] == 0) {
            target[i] = source[i];
            continue;
        }
        for (int c = 0; c < 3; ++c)
            t[c] = uint8_t((s[c] * (a + 1) + t[c] * (256 - a)) >> 8);
    }
}

void Require(bool same, const char* what)
{
    if (!same) {
        std::fprintf(stderr, "bitmap_bench: %s differs from its reference\n", what);
        std::exit(1);
    }
}

void CheckBlend(AlphaMix mix)
{
    c_GUIB_Bitmap source = Picture(mix);
    c_GUIB_Bitmap viaBlend = OpaqueBackground();
    c_GUIB_Bitmap viaReference = OpaqueBackground();
    source.BlendTo(&viaBlend, 0, 0, 0, 0, WIDTH, HEIGHT);
    ReferenceBlend(source.GetPixels(), viaReference.GetPixels(), PIXELS);
    Require(
        std::memcmp(viaBlend.GetPixels(), viaReference.GetPixels(), PIXELS * 4) == 0, "BlendTo");
}

// Blending onto an opaque target keeps it opaque, so every pass does the same work and the
// target need not be restored between iterations.
void BM_BlendTo(benchmark::State& state, AlphaMix mix)
{
    CheckBlend(mix);
    c_GUIB_Bitmap source = Picture(mix);
    c_GUIB_Bitmap target = OpaqueBackground();
    for (auto _ : state) {
        source.BlendTo(&target, 0, 0, 0, 0, WIDTH, HEIGHT);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(PIXELS));
}

void BM_BlendReference(benchmark::State& state, AlphaMix mix)
{
    c_GUIB_Bitmap source = Picture(mix);
    c_GUIB_Bitmap target = OpaqueBackground();
    for (auto _ : state) {
        ReferenceBlend(source.GetPixels(), target.GetPixels(), PIXELS);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(PIXELS));
}

void BM_CopyTo(benchmark::State& state)
{
    c_GUIB_Bitmap source = Picture(AlphaMix::Mixed);
    c_GUIB_Bitmap target(WIDTH, HEIGHT);
    for (auto _ : state) {
        source.CopyTo(&target, 0, 0, 0, 0, WIDTH, HEIGHT);
        benchmark::ClobberMemory();
    }
    Require(std::memcmp(source.GetPixels(), target.GetPixels(), PIXELS * 4) == 0, "CopyTo");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(PIXELS * 4));
}

void BM_CopyMemcpy(benchmark::State& state)
{
    c_GUIB_Bitmap source = Picture(AlphaMix::Mixed);
    c_GUIB_Bitmap target(WIDTH, HEIGHT);
    for (auto _ : state) {
        std::memcpy(target.GetPixels(), source.GetPixels(), PIXELS * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(PIXELS * 4));
}

constexpr int32_t BIG_WIDTH = 1024;
constexpr int32_t BIG_HEIGHT = 768;

// The area mean of one target pixel, straight from the definition: every source pixel under
// it weighted by its overlap, on the grid where source pixels are newWidth × newHeight units.
uint32_t DirectMean(
    const uint32_t* source, int64_t i, int64_t j, int64_t newWidth, int64_t newHeight)
{
    uint64_t sums[4] = { 0, 0, 0, 0 };
    int64_t left = i * BIG_WIDTH;
    int64_t top = j * BIG_HEIGHT;
    for (int64_t y = top / newHeight; y * newHeight < top + BIG_HEIGHT; ++y)
        for (int64_t x = left / newWidth; x * newWidth < left + BIG_WIDTH; ++x) {
            int64_t w
                = std::min(left + BIG_WIDTH, (x + 1) * newWidth) - std::max(left, x * newWidth);
            int64_t h
                = std::min(top + BIG_HEIGHT, (y + 1) * newHeight) - std::max(top, y * newHeight);
            uint32_t pixel = source[y * BIG_WIDTH + x];
            for (int c = 0; c < 4; ++c)
                sums[c] += uint64_t(w * h) * ((pixel >> (8 * c)) & 0xFF);
        }
    uint32_t mean = 0;
    for (int c = 0; c < 4; ++c)
        mean |= uint32_t(sums[c] / (uint64_t(BIG_WIDTH) * BIG_HEIGHT)) << (8 * c);
    return mean;
}

void DirectStretch(const uint32_t* source, uint32_t* target)
{
    for (int64_t j = 0; j < HEIGHT; ++j)
        for (int64_t i = 0; i < WIDTH; ++i)
            target[j * WIDTH + i] = DirectMean(source, i, j, WIDTH, HEIGHT);
}

c_GUIB_Bitmap BigPicture()
{
    std::mt19937 random(1024);
    c_GUIB_Bitmap bitmap(BIG_WIDTH, BIG_HEIGHT);
    for (size_t i = 0; i < size_t(BIG_WIDTH) * BIG_HEIGHT; ++i)
        bitmap.GetPixels()[i] = uint32_t(random());
    return bitmap;
}

void BM_Stretch(benchmark::State& state)
{
    c_GUIB_Bitmap original = BigPicture();
    std::vector<uint32_t> direct(PIXELS);
    DirectStretch(original.GetPixels(), direct.data());
    for (auto _ : state) {
        state.PauseTiming();
        c_GUIB_Bitmap bitmap(original);
        state.ResumeTiming();
        bitmap.Stretch(WIDTH, HEIGHT);
        state.PauseTiming();
        Require(std::memcmp(bitmap.GetPixels(), direct.data(), PIXELS * 4) == 0, "Stretch");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * BIG_WIDTH * BIG_HEIGHT);
}

void BM_StretchDirect(benchmark::State& state)
{
    c_GUIB_Bitmap original = BigPicture();
    std::vector<uint32_t> target(PIXELS);
    for (auto _ : state) {
        DirectStretch(original.GetPixels(), target.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * BIG_WIDTH * BIG_HEIGHT);
}

}

BENCHMARK_CAPTURE(BM_BlendTo, partial, AlphaMix::Partial);
BENCHMARK_CAPTURE(BM_BlendReference, partial, AlphaMix::Partial);
BENCHMARK_CAPTURE(BM_BlendTo, mixed, AlphaMix::Mixed);
BENCHMARK_CAPTURE(BM_BlendReference, mixed, AlphaMix::Mixed);
BENCHMARK(BM_CopyTo);
BENCHMARK(BM_CopyMemcpy);
BENCHMARK(BM_Stretch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchDirect)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
