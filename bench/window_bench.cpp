// Composing the installer's kind of scene through the window tree, beside the floor it cannot
// beat: the same layers blended directly in one loop. A 437 × 320 desktop holds ten overlapping
// windows (a background picture, a title bar, a picture panel, a text layer, a list, a progress
// bar, three buttons and a translucent box). Also timed: the hover of one button, which must
// recompose and present only that button's rectangle.
#include "guib/guib.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int32_t WIDTH = 437;
constexpr int32_t HEIGHT = 320;

// A window that paints a fixed picture: random colours under a given alpha pattern.
class Layer : public c_GUIB_Window {
public:
    Layer(const GUIB_WindowCreate* create, uint32_t seed, uint32_t alpha, bool sparse)
        : c_GUIB_Window(create)
    {
        std::mt19937 random(seed);
        uint32_t* pixels = GetSurface()->GetPixels();
        const size_t count = size_t(GetRect().right) * GetRect().bottom;
        for (size_t i = 0; i < count; ++i) {
            // A sparse layer is mostly transparent, like glyphs on a text layer.
            uint32_t a = sparse && random() % 100 < 85 ? 0 : alpha;
            pixels[i] = a << 24 | (random() & 0xFFFFFF);
        }
    }
};

// A button-like window: one colour, another while the mouse is over it.
class HoverButton : public c_GUIB_Window {
public:
    explicit HoverButton(const GUIB_WindowCreate* create)
        : c_GUIB_Window(create)
    {
        MarkDirty();
    }
    void OnMouse(uint32_t event, const GUIB_Point*, uint32_t, const GUIB_Rect*) override
    {
        if (event == GUIB_MOUSE_ENTER || event == GUIB_MOUSE_LEAVE)
            MarkDirty();
    }
    void Draw() override
    {
        GetSurface()->SetColour((GetFlags() & GUIB_WF_HOVER) != 0 ? 0xFFE0F0C0 : 0xFFA3BA69);
        GetSurface()->FillRect(&GetRect());
        Invalidate(&GetRect());
    }
};

struct LayerShape {
    GUIB_Rect r;
    uint32_t alpha;
    bool sparse;
};

// Back to front.
const LayerShape LAYERS[] = {
    { { 0, 0, WIDTH, HEIGHT }, 0xFF, false }, // background picture
    { { 0, 0, WIDTH, 20 }, 0xD8, false }, // title bar
    { { 10, 30, 210, 180 }, 0xFF, false }, // picture panel
    { { 0, 20, WIDTH, 290 }, 0xFF, true }, // text layer
    { { 220, 40, 420, 200 }, 0xD8, false }, // list
    { { 20, 220, 420, 236 }, 0xD8, false }, // progress bar
    { { 100, 180, 320, 280 }, 0x80, false }, // translucent box
};
const GUIB_Rect BUTTONS[]
    = { { 190, 292, 260, 310 }, { 270, 292, 340, 310 }, { 350, 292, 420, 310 } };

struct Scene {
    c_GUIB_Environment environment;
    c_GUIB_Desktop* desktop;
    std::vector<c_GUIB_Window*> layers; // back to front, buttons last

    explicit Scene(uint32_t mode)
    {
        GUIB_WindowCreate create { 0, 0, WIDTH, HEIGHT, 0, 0, nullptr, &environment, nullptr, 0 };
        desktop = new c_GUIB_Desktop(&create);
        if (mode == 1 && desktop->SetWindowMode(1, nullptr) != SYS_OK) {
            std::fprintf(stderr, "window_bench: no headless window\n");
            std::exit(1);
        }
        uint32_t seed = 1;
        for (const LayerShape& shape : LAYERS)
            layers.push_back(
                new Layer(&(create = Child(shape.r)), seed++, shape.alpha, shape.sparse));
        for (const GUIB_Rect& r : BUTTONS)
            layers.push_back(new HoverButton(&(create = Child(r))));
        (void)desktop->Pump();
    }
    ~Scene() { desktop->Drop(); }

    GUIB_WindowCreate Child(const GUIB_Rect& r)
    {
        return { r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, desktop, &environment,
            nullptr, 0 };
    }

    void InvalidateAll()
    {
        GUIB_Rect all { 0, 0, WIDTH, HEIGHT };
        layers.front()->Invalidate(&all);
    }
};

// The floor: every layer's surface blended onto the frame, back to front, with no tree.
void DirectBlends(const Scene& scene, c_GUIB_Bitmap* frame)
{
    for (c_GUIB_Window* layer : scene.layers) {
        int32_t x = 0, y = 0, w = 0, h = 0;
        layer->GetPosition(&x, &y);
        layer->GetSize(&w, &h);
        layer->GetSurface()->BlendTo(frame, x, y, 0, 0, w, h);
    }
}

void BM_DirectBlendLoop(benchmark::State& state)
{
    Scene scene(0);
    c_GUIB_Bitmap frame(WIDTH, HEIGHT);
    for (auto _ : state) {
        DirectBlends(scene, &frame);
        benchmark::DoNotOptimize(frame.GetPixels());
    }
}
BENCHMARK(BM_DirectBlendLoop)->Unit(benchmark::kMicrosecond);

void BM_ComposeFullFrame(benchmark::State& state)
{
    Scene scene(0);
    for (auto _ : state) {
        scene.InvalidateAll();
        scene.desktop->FlushDirtyRects();
        benchmark::DoNotOptimize(scene.desktop->GetSurface()->GetPixels());
    }
}
BENCHMARK(BM_ComposeFullFrame)->Unit(benchmark::kMicrosecond);

// A full frame composed and presented through the headless window: the yardstick of the hover.
void BM_PresentFullFrame(benchmark::State& state)
{
    Scene scene(1);
    for (auto _ : state) {
        scene.InvalidateAll();
        (void)scene.desktop->Pump();
    }
}
BENCHMARK(BM_PresentFullFrame)->Unit(benchmark::kMicrosecond);

// The mouse goes onto a button and off it again: each move redraws, recomposes and presents
// only that button. Reported per move.
void BM_HoverOneButton(benchmark::State& state)
{
    Scene scene(1);
    const GUIB_Rect& button = BUTTONS[0];
    const uint64_t before = scene.desktop->GetPresentedPixels();
    int64_t moves = 0;
    for (auto _ : state) {
        (void)scene.desktop->ProcessMouse(GUIB_MOUSE_MOVE, button.left + 5, button.top + 5, 0);
        (void)scene.desktop->Pump();
        (void)scene.desktop->ProcessMouse(GUIB_MOUSE_MOVE, button.left - 5, button.top + 5, 0);
        (void)scene.desktop->Pump();
        moves += 2;
    }
    state.SetItemsProcessed(moves);
    state.counters["pixels_per_move"]
        = double(scene.desktop->GetPresentedPixels() - before) / double(moves);
}
BENCHMARK(BM_HoverOneButton)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
