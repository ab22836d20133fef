// The benchmark corpus generator. Every file comes from its own fixed seed and only from the
// raw output of std::mt19937_64 and integer arithmetic (no library distributions or floating
// point functions, whose results differ between standard libraries), so the corpus is the same
// everywhere.
#include "bench/corpus_generator.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace bench {
namespace {

using Bytes = std::vector<uint8_t>;
using Random = std::mt19937_64;

uint64_t Below(Random& random, uint64_t limit)
{
    return random() % limit;
}

// A size between low and high, spread evenly over the orders of magnitude between them.
uint64_t SizeBetween(Random& random, uint64_t low, uint64_t high)
{
    uint64_t size = low;
    while (size * 2 <= high && Below(random, 3) != 0)
        size *= 2;
    return size + Below(random, size);
}

void PutLittle(Bytes& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// ---- Text ----

// Words ranked by frequency: common English words first, then made-up words of syllables,
// drawn with a Zipf-like law so that a few words make up most of the text, as in prose.
class WordSource {
public:
    WordSource()
    {
        const char* common[] = { "the", "of", "and", "to", "a", "in", "is", "you", "that", "it",
            "he", "was", "for", "on", "are", "as", "with", "his", "they", "at", "be", "this",
            "have", "from", "or", "one", "had", "by", "word", "but", "not", "what", "all", "were",
            "we", "when", "your", "can", "said", "there", "use", "an", "each", "which", "she", "do",
            "how", "their", "if", "will", "up", "other", "about", "out", "many", "then", "them",
            "these", "so", "some", "her", "would", "make", "like", "him", "into", "time", "has",
            "look", "two", "more", "write", "go", "see", "number", "no", "way", "could", "people",
            "my", "than", "first", "water", "been", "call", "who", "player", "level", "weapon",
            "enemy", "mission", "island", "vehicle", "squad", "map", "game" };
        const char* syllables[] = { "ar", "en", "to", "ra", "mi", "ste", "lo", "ver", "qua", "dor",
            "in", "ka", "pel", "un", "sho", "tri", "ber", "ca", "ne", "fa", "gor", "li" };
        Random random(1001);
        for (const char* word : common)
            m_words.push_back(word);
        while (m_words.size() < 4000) {
            std::string word;
            for (uint64_t n = 1 + Below(random, 3); n > 0; --n)
                word += syllables[Below(random, std::size(syllables))];
            m_words.push_back(word);
        }
        uint64_t total = 0;
        for (size_t rank = 0; rank < m_words.size(); ++rank)
            m_cumulative.push_back(total += 1000000 / (rank + 2));
    }

    const std::string& Next(Random& random) const
    {
        uint64_t pick = Below(random, m_cumulative.back());
        auto it = std::upper_bound(m_cumulative.begin(), m_cumulative.end(), pick);
        return m_words[static_cast<size_t>(it - m_cumulative.begin())];
    }

private:
    std::vector<std::string> m_words;
    std::vector<uint64_t> m_cumulative;
};

// Prose: sentences of 4 to 20 words in paragraphs, lines wrapped at 76 columns.
void AppendProse(Random& random, const WordSource& words, std::string& text, size_t size)
{
    size_t lineStart = text.size();
    while (text.size() < size) {
        for (uint64_t sentences = 2 + Below(random, 6); sentences > 0; --sentences) {
            uint64_t count = 4 + Below(random, 17);
            for (uint64_t i = 0; i < count; ++i) {
                std::string word = words.Next(random);
                if (i == 0)
                    word[0] = static_cast<char>(word[0] - 'a' + 'A');
                word += i + 1 == count ? ". " : (Below(random, 9) == 0 ? ", " : " ");
                if (text.size() - lineStart + word.size() > 76) {
                    text += "\r\n";
                    lineStart = text.size();
                }
                text += word;
            }
        }
        text += "\r\n\r\n";
        lineStart = text.size();
    }
}

// Settings files: sections of "key = values" lines, as game data definitions are written.
void AppendSettings(Random& random, const WordSource& words, std::string& text, size_t size)
{
    char line[160];
    while (text.size() < size) {
        text += "[" + words.Next(random) + "_" + std::to_string(Below(random, 100)) + "]\r\n";
        for (uint64_t keys = 3 + Below(random, 12); keys > 0; --keys) {
            std::snprintf(line, sizeof(line), "%s_%s = %d, %d.%02d, \"%s\"\r\n",
                words.Next(random).c_str(), words.Next(random).c_str(),
                static_cast<int>(Below(random, 1000)), static_cast<int>(Below(random, 10)),
                static_cast<int>(Below(random, 100)), words.Next(random).c_str());
            text += line;
        }
        text += "\r\n";
    }
}

Bytes MakeText(Random& random, size_t size)
{
    static const WordSource words;
    std::string text;
    if (Below(random, 3) == 0)
        AppendSettings(random, words, text, size);
    else
        AppendProse(random, words, text, size);
    text.resize(size);
    return Bytes(text.begin(), text.end());
}

// ---- Pictures ----

// Smooth value noise: random values on a coarse grid, interpolated bilinearly (0 to 255).
class ValueNoise {
public:
    ValueNoise(Random& random, int width, int height, int cell)
        : m_cell(cell)
        , m_columns(width / cell + 2)
    {
        m_grid.resize(static_cast<size_t>(m_columns) * (height / cell + 2));
        for (auto& value : m_grid)
            value = static_cast<int>(Below(random, 256));
    }

    int At(int x, int y) const
    {
        int gx = x / m_cell, gy = y / m_cell, fx = x % m_cell, fy = y % m_cell;
        auto grid
            = [this](int cx, int cy) { return m_grid[static_cast<size_t>(cy) * m_columns + cx]; };
        int top = grid(gx, gy) * (m_cell - fx) + grid(gx + 1, gy) * fx;
        int bottom = grid(gx, gy + 1) * (m_cell - fx) + grid(gx + 1, gy + 1) * fx;
        return (top * (m_cell - fy) + bottom * fy) / (m_cell * m_cell);
    }

private:
    int m_cell;
    int m_columns;
    std::vector<int> m_grid;
};

void PutBitmapHeader(Bytes& out, int width, int height, int bitsPerPixel, size_t imageSize)
{
    out.push_back('B');
    out.push_back('M');
    PutLittle(out, 54 + imageSize, 4);
    PutLittle(out, 0, 4);
    PutLittle(out, 54, 4);
    PutLittle(out, 40, 4);
    PutLittle(out, static_cast<uint64_t>(width), 4);
    PutLittle(out, static_cast<uint64_t>(height), 4);
    PutLittle(out, 1, 2);
    PutLittle(out, static_cast<uint64_t>(bitsPerPixel), 2);
    PutLittle(out, 0, 4);
    PutLittle(out, imageSize, 4);
    PutLittle(out, 2835, 4);
    PutLittle(out, 2835, 4);
    PutLittle(out, 0, 8);
}

// An uncompressed 24- or 32-bit picture: per channel a gradient, smooth shapes and a little
// sensor-like noise, plus a few flat panels as in interface art.
Bytes MakePicture(Random& random, size_t sizeHint)
{
    int bytesPerPixel = Below(random, 3) == 0 ? 4 : 3;
    int width = 64 * static_cast<int>(4 + Below(random, 13));
    int height = static_cast<int>(std::max<size_t>(64, sizeHint / (width * bytesPerPixel)));
    height = std::min(height, 2048);
    size_t stride = (static_cast<size_t>(width) * bytesPerPixel + 3) & ~size_t { 3 };
    Bytes out;
    out.reserve(54 + stride * height);
    PutBitmapHeader(out, width, height, bytesPerPixel * 8, stride * height);

    std::array<int, 3> base {}, slopeX {}, slopeY {};
    for (int c = 0; c < 3; ++c) {
        base[c] = static_cast<int>(Below(random, 160));
        slopeX[c] = static_cast<int>(Below(random, 96));
        slopeY[c] = static_cast<int>(Below(random, 96));
    }
    ValueNoise shapes(random, width, height, 32 << Below(random, 3));
    int noise = 1 << Below(random, 4); // peak-to-peak noise of 1 to 8 levels
    int panelX = static_cast<int>(Below(random, width / 2)),
        panelY = static_cast<int>(Below(random, height / 2));
    int panelW = width / 4, panelH = height / 5;
    for (int y = 0; y < height; ++y) {
        size_t rowStart = out.size();
        for (int x = 0; x < width; ++x) {
            uint64_t bits = random();
            bool panel = x >= panelX && x < panelX + panelW && y >= panelY && y < panelY + panelH;
            int shade = shapes.At(x, y);
            for (int c = 0; c < 3; ++c) {
                int value = panel ? 40 + 60 * c
                                  : base[c] + slopeX[c] * x / width + slopeY[c] * y / height
                        + shade * (c + 1) / 8 + static_cast<int>((bits >> (8 * c)) % noise);
                out.push_back(static_cast<uint8_t>(std::clamp(value, 0, 255)));
            }
            if (bytesPerPixel == 4)
                out.push_back(255);
        }
        out.resize(rowStart + stride, 0);
    }
    return out;
}

// ---- Tables ----

// Binary records: a running id, a small type code, flags, coordinates that wander, a time
// stamp that grows in small steps, a scale from a short list and zero padding.
Bytes MakeTable(Random& random, size_t size)
{
    const uint32_t scales[] = { 0x3F800000, 0x3F000000, 0x40000000, 0x3FC00000 }; // 1, .5, 2, 1.5
    int padding = static_cast<int>(Below(random, 3)) * 8;
    Bytes out;
    out.reserve(size + 64);
    int32_t position[3] = { 0, 0, 0 };
    uint32_t stamp = static_cast<uint32_t>(Below(random, 1u << 30));
    for (uint32_t id = 1; out.size() < size; ++id) {
        uint64_t bits = random();
        PutLittle(out, id, 4);
        PutLittle(out, (bits & 0xFF) < 200 ? bits % 4 : bits % 40, 2);
        PutLittle(out, (bits >> 8) & 0x13, 2);
        for (int axis = 0; axis < 3; ++axis) {
            position[axis] += static_cast<int32_t>((bits >> (16 + 4 * axis)) % 15) - 7;
            PutLittle(out, static_cast<uint32_t>(position[axis]), 4);
        }
        stamp += static_cast<uint32_t>((bits >> 32) % 100);
        PutLittle(out, stamp, 4);
        PutLittle(out, scales[(bits >> 40) % 4], 4);
        PutLittle(out, 0, padding);
    }
    out.resize(size);
    return out;
}

// ---- Already-compressed data ----

Bytes MakePacked(Random& random, size_t size)
{
    Bytes out(size);
    for (size_t i = 0; i < size; i += 8) {
        uint64_t bits = random();
        for (size_t j = 0; j < 8 && i + j < size; ++j)
            out[i + j] = static_cast<uint8_t>(bits >> (8 * j));
    }
    return out;
}

bool WriteFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(
        reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

struct Kind {
    const char* folder;
    const char* nameFormat;
    uint32_t percent;
    uint64_t minSize;
    uint64_t maxSize;
    Bytes (*make)(Random&, size_t);
};

// Files of one kind until its share of the corpus is written; file n uses seed (kind, n).
bool WriteKind(
    const std::filesystem::path& root, const Kind& kind, uint64_t seedBase, uint64_t budget)
{
    std::error_code error;
    std::filesystem::create_directories(root / kind.folder, error);
    uint64_t written = 0;
    for (uint64_t n = 0; written < budget; ++n) {
        Random random(seedBase + n);
        uint64_t size = std::min(SizeBetween(random, kind.minSize, kind.maxSize), budget - written);
        Bytes bytes = kind.make(random, static_cast<size_t>(size));
        char name[64];
        std::snprintf(name, sizeof(name), kind.nameFormat, static_cast<unsigned>(n));
        if (!WriteFile(root / kind.folder / name, bytes))
            return false;
        written += bytes.size();
    }
    return true;
}

}

bool GenerateCorpus(const std::filesystem::path& folder, uint64_t totalBytes)
{
    const Kind kinds[] = {
        { "text", "chapter_%03u.txt", 30, 20000, 3000000, MakeText },
        { "pictures", "scene_%03u.bmp", 35, 200000, 3000000, MakePicture },
        { "tables", "records_%03u.dat", 20, 50000, 4000000, MakeTable },
        { "packed", "bundle_%03u.bin", 15, 10000, 2000000, MakePacked },
    };
    uint64_t seedBase = 0;
    for (const Kind& kind : kinds) {
        seedBase += 100000;
        if (!WriteKind(folder, kind, seedBase, totalBytes / 100 * kind.percent))
            return false;
    }
    return true;
}

}
