// Area-averaging resampling (Stretch). Each target pixel is the mean of the source pixels under
// it, weighted by their overlap areas on a common integer grid, so the result is exact up to
// one truncating division. Sums are 64-bit: a large picture reduced to a thumbnail reaches
// 255 × width × height, far beyond 32 bits.
#include "guib/guib.h"

#include <algorithm>
#include <vector>

namespace {

// The source pixels one target pixel covers along one axis: the first index and the overlap
// length of each, on the grid where a source pixel is newLength units and a target pixel
// oldLength units long. The lengths of one target pixel add up to oldLength.
struct AxisSpan {
    uint32_t first;
    uint32_t count;
    uint32_t weightOffset;
};

struct AxisMap {
    std::vector<AxisSpan> spans;
    std::vector<uint32_t> weights;
};

AxisMap MapAxis(uint32_t oldLength, uint32_t newLength)
{
    AxisMap map;
    map.spans.reserve(newLength);
    for (uint64_t i = 0; i < newLength; ++i) {
        uint64_t begin = i * oldLength;
        uint64_t end = begin + oldLength;
        uint64_t first = begin / newLength;
        uint64_t last = (end - 1) / newLength;
        map.spans.push_back(
            { uint32_t(first), uint32_t(last - first + 1), uint32_t(map.weights.size()) });
        for (uint64_t s = first; s <= last; ++s) {
            uint64_t overlapBegin = std::max(begin, s * newLength);
            uint64_t overlapEnd = std::min(end, (s + 1) * newLength);
            map.weights.push_back(uint32_t(overlapEnd - overlapBegin));
        }
    }
    return map;
}

// The horizontal weighted sums of one source row for every target column, four channels each.
// A sum is at most 255 × the old width (below 2^24), so 32 bits hold it.
void SumRow(const uint8_t* row, const AxisMap& columns, uint32_t* sums)
{
    for (const AxisSpan& span : columns.spans) {
        uint32_t channel[4] = { 0, 0, 0, 0 };
        const uint8_t* pixel = row + size_t(span.first) * 4;
        const uint32_t* weight = columns.weights.data() + span.weightOffset;
        for (uint32_t k = 0; k < span.count; ++k, pixel += 4)
            for (int c = 0; c < 4; ++c)
                channel[c] += pixel[c] * weight[k];
        std::copy(channel, channel + 4, sums);
        sums += 4;
    }
}

// Divides sums of at most 255 × area by the area without a hardware division for each: an
// estimate through a 48-bit fixed-point reciprocal of the area (cut to 24 significant bits),
// which is off by at most one, then corrected exactly. The products stay below 2^57.
class AreaDivider {
public:
    explicit AreaDivider(uint64_t area)
        : m_area(area)
    {
        while ((area >> m_shift) >= (uint64_t(1) << 24))
            ++m_shift;
        m_reciprocal = (uint64_t(1) << 48) / (area >> m_shift);
    }
    uint8_t Divide(uint64_t total) const
    {
        uint64_t quotient = ((total >> m_shift) * m_reciprocal) >> 48;
        while (quotient * m_area > total)
            --quotient;
        while ((quotient + 1) * m_area <= total)
            ++quotient;
        return uint8_t(quotient);
    }

private:
    uint64_t m_area;
    uint32_t m_shift = 0;
    uint64_t m_reciprocal = 0;
};

// Resamples a block of oldWidth × oldHeight pixels into newWidth × newHeight in one pass.
// The horizontal sums of the last source row are kept, since neighbouring target rows share
// a source row whenever the height grows.
void Resample(const uint32_t* source, uint32_t oldWidth, uint32_t oldHeight, uint32_t* target,
    uint32_t newWidth, uint32_t newHeight)
{
    AxisMap columns = MapAxis(oldWidth, newWidth);
    AxisMap rows = MapAxis(oldHeight, newHeight);
    std::vector<uint32_t> rowSums(size_t(newWidth) * 4);
    std::vector<uint64_t> totals(size_t(newWidth) * 4);
    AreaDivider area(uint64_t(oldWidth) * oldHeight);
    int64_t summedRow = -1;
    auto* out = reinterpret_cast<uint8_t*>(target);
    for (const AxisSpan& span : rows.spans) {
        std::fill(totals.begin(), totals.end(), 0);
        for (uint32_t k = 0; k < span.count; ++k) {
            uint32_t y = span.first + k;
            if (summedRow != y) {
                SumRow(reinterpret_cast<const uint8_t*>(source + size_t(y) * oldWidth), columns,
                    rowSums.data());
                summedRow = y;
            }
            uint64_t weight = rows.weights[span.weightOffset + k];
            for (size_t i = 0; i < totals.size(); ++i)
                totals[i] += weight * rowSums[i];
        }
        for (uint64_t total : totals)
            *out++ = area.Divide(total);
    }
}

}

void c_GUIB_Bitmap::Stretch(int32_t width, int32_t height)
{
    if (!m_pixels || width <= 0 || height <= 0 || (width == m_width && height == m_height))
        return;
    uint32_t* block = AllocatePixels(width, height, "Bitmap data");
    if (!block)
        return;
    // When one direction grows and the other shrinks, the growing one goes first, through a
    // temporary block, and the result is reduced in the second pass.
    bool widenFirst = width > m_width && height < m_height;
    bool heightenFirst = width <= m_width && height > m_height;
    if (widenFirst || heightenFirst) {
        int32_t tmpWidth = widenFirst ? width : m_width;
        int32_t tmpHeight = widenFirst ? m_height : height;
        uint32_t* tmp = AllocatePixels(tmpWidth, tmpHeight, "Stretch: tmp bitmap");
        if (!tmp) {
            SYS_Free(block);
            return;
        }
        Resample(m_pixels, m_width, m_height, tmp, tmpWidth, tmpHeight);
        Resample(tmp, tmpWidth, tmpHeight, block, width, height);
        SYS_Free(tmp);
    } else {
        Resample(m_pixels, m_width, m_height, block, width, height);
    }
    AdoptPixels(block, width, height);
}
