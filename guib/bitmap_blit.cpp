// Copies between bitmaps: the opaque copy (CopyTo) and the alpha-blended copy (BlendTo), which
// share one clipping rule. Blending is what composes every window surface onto the desktop,
// so its row loop is written branch-free for the compiler to vectorise.
#include "guib/guib.h"

#include <algorithm>
#include <cstring>

namespace {

// What survives clipping: the source and target top-left corners and the size to copy.
struct CopyPlan {
    int32_t sourceX;
    int32_t sourceY;
    int32_t targetX;
    int32_t targetY;
    int32_t width;
    int32_t height;
};

struct Extent {
    int32_t width;
    int32_t height;
};

// Clips the source rectangle (sx, sy, w, h) and its destination at (x, y) separately: the
// source's left and top move by the part of the destination left or above the target, each
// rectangle is cut to its own bitmap, and the smaller of the two sizes is copied from both
// top-left corners. Sums are 64-bit so no coordinate can wrap. False when nothing is left.
bool PlanCopy(Extent source, Extent target, int64_t x, int64_t y, int64_t sx, int64_t sy, int64_t w,
    int64_t h, CopyPlan* plan)
{
    int64_t sourceLeft = std::max<int64_t>(x < 0 ? sx - x : sx, 0);
    int64_t sourceTop = std::max<int64_t>(y < 0 ? sy - y : sy, 0);
    int64_t sourceRight = std::min<int64_t>(sx + w, source.width);
    int64_t sourceBottom = std::min<int64_t>(sy + h, source.height);
    int64_t targetLeft = std::max<int64_t>(x, 0);
    int64_t targetTop = std::max<int64_t>(y, 0);
    int64_t targetRight = std::min<int64_t>(x + w, target.width);
    int64_t targetBottom = std::min<int64_t>(y + h, target.height);
    if (sourceLeft >= sourceRight || sourceTop >= sourceBottom || targetLeft >= targetRight
        || targetTop >= targetBottom)
        return false;
    *plan = { int32_t(sourceLeft), int32_t(sourceTop), int32_t(targetLeft), int32_t(targetTop),
        int32_t(std::min(sourceRight - sourceLeft, targetRight - targetLeft)),
        int32_t(std::min(sourceBottom - sourceTop, targetBottom - targetTop)) };
    return true;
}

// Runs rowOp(targetRow, sourceRow, count) for each row of the plan. A copy within one bitmap
// whose target lies below its source walks the rows bottom-up so that no source row is
// overwritten before it is read.
template <typename RowOp>
void ForEachPlannedRow(
    const c_GUIB_Bitmap& source, c_GUIB_Bitmap& target, const CopyPlan& plan, RowOp rowOp)
{
    int32_t sourceWidth = 0;
    int32_t targetWidth = 0;
    source.GetSize(&sourceWidth, nullptr);
    target.GetSize(&targetWidth, nullptr);
    bool upward = &source == &target && plan.targetY > plan.sourceY;
    for (int32_t i = 0; i < plan.height; ++i) {
        int32_t row = upward ? plan.height - 1 - i : i;
        const uint32_t* from = source.GetPixels() + size_t(plan.sourceY + row) * size_t(sourceWidth)
            + size_t(plan.sourceX);
        uint32_t* to = target.GetPixels() + size_t(plan.targetY + row) * size_t(targetWidth)
            + size_t(plan.targetX);
        rowOp(to, from, size_t(plan.width));
    }
}

bool Plan(const c_GUIB_Bitmap& source, const c_GUIB_Bitmap* target, int32_t x, int32_t y,
    int32_t sx, int32_t sy, int32_t w, int32_t h, CopyPlan* plan)
{
    if (!target || !source.GetPixels() || !target->GetPixels())
        return false;
    Extent sourceSize {};
    Extent targetSize {};
    source.GetSize(&sourceSize.width, &sourceSize.height);
    target->GetSize(&targetSize.width, &targetSize.height);
    return PlanCopy(sourceSize, targetSize, x, y, sx, sy, w, h, plan);
}

// One pixel of the blending rule, without branches. S × (a + 1) + T × (256 - a) never exceeds
// 255 × 257 = 0xFFFF, so each colour byte is mixed in 16-bit arithmetic, which the compiler
// vectorises with 16-bit multiplies (eight lanes at a time). With a = 0 the mix gives T back
// exactly, so only the cases that take the source whole need a selection.
inline uint32_t BlendPixel(uint32_t s, uint32_t t)
{
    auto a = uint16_t(s >> 24);
    auto sourceWeight = uint16_t(a + 1);
    auto targetWeight = uint16_t(256 - a);
    auto mix = [&](int shift) {
        auto sc = uint16_t((s >> shift) & 0xFF);
        auto tc = uint16_t((t >> shift) & 0xFF);
        return uint32_t(uint16_t(sc * sourceWeight + tc * targetWeight) >> 8) << shift;
    };
    uint32_t mixed = (t & 0xFF000000) | mix(16) | mix(8) | mix(0);
    bool takeSource = a == 255 || ((t >> 24) == 0 && a != 0);
    return takeSource ? s : mixed;
}

// Pictures have wide areas that are fully transparent (icon margins) or fully opaque
// (backgrounds); a run of such pixels is skipped or copied whole. Anything else goes through
// the branch-free pixel rule, which the compiler turns into vector code.
constexpr size_t BLEND_RUN = 16;

void BlendRun(uint32_t* target, const uint32_t* source, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        target[i] = BlendPixel(source[i], target[i]);
}

void BlendRow(uint32_t* target, const uint32_t* source, size_t count)
{
    size_t done = 0;
    for (; done + BLEND_RUN <= count; done += BLEND_RUN) {
        uint32_t any = 0;
        uint32_t all = 0xFFFFFFFF;
        for (size_t i = done; i < done + BLEND_RUN; ++i) {
            any |= source[i];
            all &= source[i];
        }
        if ((any >> 24) == 0)
            continue;
        if ((all >> 24) == 0xFF)
            std::memmove(target + done, source + done, BLEND_RUN * 4);
        else
            BlendRun(target + done, source + done, BLEND_RUN);
    }
    BlendRun(target + done, source + done, count - done);
}

}

void c_GUIB_Bitmap::CopyTo(c_GUIB_Bitmap* target, int32_t x, int32_t y, int32_t sourceX,
    int32_t sourceY, int32_t width, int32_t height) const
{
    CopyPlan plan {};
    if (!Plan(*this, target, x, y, sourceX, sourceY, width, height, &plan))
        return;
    ForEachPlannedRow(*this, *target, plan, [](uint32_t* to, const uint32_t* from, size_t count) {
        std::memmove(to, from, count * 4);
    });
}

void c_GUIB_Bitmap::BlendTo(c_GUIB_Bitmap* target, int32_t x, int32_t y, int32_t sourceX,
    int32_t sourceY, int32_t width, int32_t height) const
{
    CopyPlan plan {};
    if (!Plan(*this, target, x, y, sourceX, sourceY, width, height, &plan))
        return;
    ForEachPlannedRow(*this, *target, plan, BlendRow);
}
