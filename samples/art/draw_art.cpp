// Draws the sample patch's pictures: the 19 control icons (run-length TGA with alpha), the
// wizard's background (JPEG) and the page title pictures (TGA, BMP and JPEG), from shapes and
// gradients. The output depends on nothing but this code, so every build packs the same bytes.
// Usage: draw_art OUT_DIR (writes OUT_DIR/Icons and OUT_DIR/Pictures).
#include <cstddef>
#include <cstdio>
// libjpeg's header needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Colour {
    uint8_t r, g, b, a;
};

constexpr Colour INK { 0x2B, 0x31, 0x40, 0xFF };
constexpr Colour ASH { 0xC9, 0xB4, 0x8A, 0xFF };
constexpr Colour EMBER { 0xE0, 0x8A, 0x3C, 0xFF };
constexpr Colour LEAF { 0x7F, 0xA6, 0x6A, 0xFF };
constexpr Colour MIST { 0xEE, 0xE8, 0xDC, 0xFF };
constexpr Colour CLEAR { 0, 0, 0, 0 };

Colour Mix(Colour a, Colour b, float t)
{
    auto channel = [t](uint8_t x, uint8_t y) { return uint8_t(std::lround(x + (y - x) * t)); };
    return { channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b), channel(a.a, b.a) };
}

Colour WithAlpha(Colour c, uint8_t alpha)
{
    return { c.r, c.g, c.b, alpha };
}

using Inside = std::function<bool(float x, float y)>;

class Canvas {
public:
    Canvas(int width, int height, Colour fill)
        : m_width(width)
        , m_height(height)
        , m_pixels(size_t(width) * height, fill)
    {
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    Colour At(int x, int y) const { return m_pixels[size_t(y) * m_width + x]; }

    void VerticalGradient(Colour top, Colour bottom)
    {
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                Put(x, y, Mix(top, bottom, float(y) / float(std::max(1, m_height - 1))));
    }

    // Paints colour over the pixels the shape covers, each weighted by the share of its 4 x 4
    // sample points inside the shape, so edges are smooth.
    void Fill(Colour colour, const Inside& inside)
    {
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                int hits = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx)
                        hits += inside(x + (sx + 0.5f) / 4, y + (sy + 0.5f) / 4);
                if (hits != 0)
                    Blend(x, y, colour, hits / 16.0f);
            }
    }

private:
    void Put(int x, int y, Colour c) { m_pixels[size_t(y) * m_width + x] = c; }

    // Source-over blending with straight alpha.
    void Blend(int x, int y, Colour c, float cover)
    {
        Colour& d = m_pixels[size_t(y) * m_width + x];
        const float sa = c.a / 255.0f * cover;
        const float da = d.a / 255.0f;
        const float oa = sa + da * (1 - sa);
        if (oa <= 0)
            return;
        auto channel = [&](uint8_t s, uint8_t t) {
            return uint8_t(std::lround((s * sa + t * da * (1 - sa)) / oa));
        };
        d = { channel(c.r, d.r), channel(c.g, d.g), channel(c.b, d.b),
            uint8_t(std::lround(oa * 255)) };
    }

    int m_width;
    int m_height;
    std::vector<Colour> m_pixels;
};

// ---- Shapes ---------------------------------------------------------------------------------

struct Point {
    float x, y;
};

Inside Circle(float cx, float cy, float r)
{
    return [=](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

Inside Box(float x0, float y0, float x1, float y1, float radius = 0)
{
    return [=](float x, float y) {
        const float dx = std::max({ x0 + radius - x, 0.0f, x - (x1 - radius) });
        const float dy = std::max({ y0 + radius - y, 0.0f, y - (y1 - radius) });
        return x >= x0 && x <= x1 && y >= y0 && y <= y1 && dx * dx + dy * dy <= radius * radius;
    };
}

// A stroke of the given width from a to b with round ends.
Inside Line(Point a, Point b, float width)
{
    return [=](float x, float y) {
        const float vx = b.x - a.x, vy = b.y - a.y;
        const float t
            = std::clamp(((x - a.x) * vx + (y - a.y) * vy) / (vx * vx + vy * vy), 0.f, 1.f);
        const float dx = x - (a.x + t * vx), dy = y - (a.y + t * vy);
        return dx * dx + dy * dy <= width * width / 4;
    };
}

// Even-odd rule over the polygon's edges.
Inside Polygon(std::vector<Point> points)
{
    return [points = std::move(points)](float x, float y) {
        bool inside = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const Point& p = points[i];
            const Point& q = points[j];
            if ((p.y > y) != (q.y > y) && x < (q.x - p.x) * (y - p.y) / (q.y - p.y) + p.x)
                inside = !inside;
        }
        return inside;
    };
}

// The land below a ridge line y = base - height * (sum of two waves).
Inside Ridge(float base, float height, float phase, float scale)
{
    return [=](float x, float y) {
        const float wave
            = std::sin(x / scale + phase) * 0.6f + std::sin(x / (scale * 0.37f)) * 0.4f;
        return y >= base - height * (0.5f + 0.5f * wave);
    };
}

// An ash tree: a trunk and a crown of overlapping circles.
void Tree(Canvas& canvas, float x, float ground, float size, Colour crown, Colour trunk)
{
    canvas.Fill(trunk, Box(x - size * 0.06f, ground - size * 0.55f, x + size * 0.06f, ground));
    canvas.Fill(crown, Circle(x, ground - size * 0.75f, size * 0.3f));
    canvas.Fill(crown, Circle(x - size * 0.22f, ground - size * 0.6f, size * 0.22f));
    canvas.Fill(crown, Circle(x + size * 0.22f, ground - size * 0.62f, size * 0.24f));
}

// ---- Files ----------------------------------------------------------------------------------

bool WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file.flush());
}

void PutU16(std::vector<uint8_t>& bytes, uint32_t value)
{
    bytes.push_back(uint8_t(value));
    bytes.push_back(uint8_t(value >> 8));
}

void PutU32(std::vector<uint8_t>& bytes, uint32_t value)
{
    PutU16(bytes, value & 0xFFFF);
    PutU16(bytes, value >> 16);
}

// 32-bit true-colour TGA with 8 alpha bits: run-length packets (type 10) from the top row, or
// plain pixels (type 2) from the bottom row as most painting programs write them.
std::vector<uint8_t> Tga(const Canvas& canvas, bool runLength)
{
    std::vector<uint8_t> bytes { 0, 0, uint8_t(runLength ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0 };
    PutU16(bytes, canvas.Width());
    PutU16(bytes, canvas.Height());
    bytes.push_back(32);
    bytes.push_back(runLength ? 0x28 : 0x08);
    std::vector<Colour> pixels;
    for (int row = 0; row < canvas.Height(); ++row)
        for (int x = 0; x < canvas.Width(); ++x)
            pixels.push_back(canvas.At(x, runLength ? row : canvas.Height() - 1 - row));
    auto put = [&bytes](Colour c) { bytes.insert(bytes.end(), { c.b, c.g, c.r, c.a }); };
    auto same
        = [](Colour a, Colour b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; };
    for (size_t i = 0; i < pixels.size();) {
        if (!runLength) {
            put(pixels[i++]);
            continue;
        }
        size_t run = 1;
        while (i + run < pixels.size() && run < 128 && same(pixels[i + run], pixels[i]))
            ++run;
        if (run > 1) {
            bytes.push_back(uint8_t(0x80 | (run - 1)));
            put(pixels[i]);
        } else {
            while (
                i + run < pixels.size() && run < 128 && !same(pixels[i + run], pixels[i + run - 1]))
                ++run;
            bytes.push_back(uint8_t(run - 1));
            for (size_t k = 0; k < run; ++k)
                put(pixels[i + k]);
        }
        i += run;
    }
    return bytes;
}

// 24-bit uncompressed BMP, bottom row first, rows padded to four bytes; alpha is dropped.
std::vector<uint8_t> Bmp(const Canvas& canvas)
{
    const uint32_t row = (uint32_t(canvas.Width()) * 3 + 3) & ~3u;
    const uint32_t data = row * canvas.Height();
    std::vector<uint8_t> bytes { 'B', 'M' };
    PutU32(bytes, 54 + data);
    PutU32(bytes, 0);
    PutU32(bytes, 54);
    for (uint32_t value : { 40u, uint32_t(canvas.Width()), uint32_t(canvas.Height()) })
        PutU32(bytes, value);
    PutU16(bytes, 1);
    PutU16(bytes, 24);
    for (uint32_t value : { 0u, data, 2835u, 2835u, 0u, 0u })
        PutU32(bytes, value);
    for (int y = canvas.Height() - 1; y >= 0; --y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const Colour c = canvas.At(x, y);
            bytes.insert(bytes.end(), { c.b, c.g, c.r });
        }
        bytes.resize(bytes.size() + row - canvas.Width() * 3, 0);
    }
    return bytes;
}

// Baseline JPEG, quality 90, libjpeg's default settings otherwise; alpha is dropped.
std::vector<uint8_t> Jpeg(const Canvas& canvas)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(canvas.Width());
    info.image_height = JDIMENSION(canvas.Height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(canvas.Width()) * 3);
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const Colour c = canvas.At(x, y);
            row[size_t(x) * 3] = c.r;
            row[size_t(x) * 3 + 1] = c.g;
            row[size_t(x) * 3 + 2] = c.b;
        }
        JSAMPROW rows[1] = { row.data() };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    free(buffer);
    return bytes;
}

// ---- Icons ----------------------------------------------------------------------------------

enum class Arrow { Up, Down, Left, Right };

Inside ArrowHead(Arrow arrow, float size)
{
    const float c = size / 2, r = size * 0.26f;
    switch (arrow) {
    case Arrow::Up:
        return Polygon({ { c - r, c + r * 0.6f }, { c + r, c + r * 0.6f }, { c, c - r * 0.8f } });
    case Arrow::Down:
        return Polygon({ { c - r, c - r * 0.6f }, { c + r, c - r * 0.6f }, { c, c + r * 0.8f } });
    case Arrow::Left:
        return Polygon({ { c + r * 0.6f, c - r }, { c + r * 0.6f, c + r }, { c - r * 0.8f, c } });
    case Arrow::Right:
        break;
    }
    return Polygon({ { c - r * 0.6f, c - r }, { c - r * 0.6f, c + r }, { c + r * 0.8f, c } });
}

// A rounded button face; hover makes it lighter and warms the glyph.
Canvas ButtonFace(bool hover)
{
    Canvas icon(16, 16, CLEAR);
    icon.Fill(hover ? ASH : Mix(ASH, INK, 0.35f), Box(0.5f, 0.5f, 15.5f, 15.5f, 3));
    icon.Fill(WithAlpha(MIST, 70), Box(1.5f, 1.5f, 14.5f, 7.5f, 2));
    return icon;
}

Canvas ArrowIcon(Arrow arrow, bool hover)
{
    Canvas icon = ButtonFace(hover);
    icon.Fill(hover ? EMBER : INK, ArrowHead(arrow, 16));
    return icon;
}

Canvas ComboIcon(bool hover)
{
    Canvas icon = ButtonFace(hover);
    icon.Fill(hover ? EMBER : INK, ArrowHead(Arrow::Down, 16));
    icon.Fill(hover ? EMBER : INK, Box(4, 12, 12, 13));
    return icon;
}

Canvas SlideIcon(bool hover)
{
    Canvas icon(16, 16, CLEAR);
    icon.Fill(hover ? EMBER : ASH, Box(2.5f, 0.5f, 13.5f, 15.5f, 4));
    for (float y : { 5.5f, 8.0f, 10.5f })
        icon.Fill(WithAlpha(INK, 160), Line({ 5.5f, y }, { 10.5f, y }, 1.2f));
    return icon;
}

// The scroll-button family: a plain face, a pressed face, a raised face and a grip.
Canvas ScrollButtonIcon(int kind)
{
    Canvas icon(16, 16, CLEAR);
    const Colour face = kind == 1 ? Mix(ASH, INK, 0.5f) : kind == 2 ? Mix(ASH, MIST, 0.4f) : ASH;
    icon.Fill(face, Box(0.5f, 0.5f, 15.5f, 15.5f, 3));
    icon.Fill(WithAlpha(INK, 150),
        Box(0.5f, kind == 1 ? 0.5f : 13.5f, 15.5f, kind == 1 ? 2.5f : 15.5f, 1));
    if (kind == 3)
        for (float x : { 5.5f, 8.0f, 10.5f })
            icon.Fill(INK, Line({ x, 4.5f }, { x, 11.5f }, 1.2f));
    return icon;
}

Canvas FileIcon()
{
    Canvas icon(16, 16, CLEAR);
    icon.Fill(MIST, Polygon({ { 3, 1 }, { 10, 1 }, { 13, 4 }, { 13, 15 }, { 3, 15 } }));
    icon.Fill(ASH, Polygon({ { 10, 1 }, { 13, 4 }, { 10, 4 } }));
    for (float y : { 7.0f, 9.5f, 12.0f })
        icon.Fill(WithAlpha(INK, 140), Line({ 5, y }, { 11, y }, 1));
    return icon;
}

Canvas FolderIcon(bool open)
{
    Canvas icon(16, 16, CLEAR);
    icon.Fill(Mix(EMBER, INK, 0.3f), Box(1, 3, 7, 6, 1));
    icon.Fill(Mix(EMBER, INK, 0.15f), Box(1, 5, 15, 14, 1));
    if (open)
        icon.Fill(EMBER, Polygon({ { 3, 8 }, { 16, 8 }, { 14, 14 }, { 1, 14 } }));
    return icon;
}

// ---- Pictures -------------------------------------------------------------------------------

// Dusk over a grove of ash trees on rolling hills.
Canvas Background()
{
    Canvas scene(437, 320, CLEAR);
    scene.VerticalGradient({ 0x1B, 0x22, 0x33, 0xFF }, { 0x8A, 0x5E, 0x4A, 0xFF });
    scene.Fill(WithAlpha(MIST, 230), Circle(300, 70, 26));
    scene.Fill({ 0x3A, 0x3C, 0x4E, 0xFF }, Ridge(235, 70, 0.8f, 60));
    scene.Fill({ 0x2A, 0x2F, 0x3A, 0xFF }, Ridge(270, 55, 2.4f, 45));
    const float trees[][2] = { { 40, 46 }, { 82, 60 }, { 128, 42 }, { 205, 54 }, { 250, 38 },
        { 330, 64 }, { 395, 50 } };
    for (const auto& tree : trees)
        Tree(scene, tree[0], 300, tree[1] * 1.6f, { 0x22, 0x2B, 0x2A, 0xFF },
            { 0x1A, 0x1C, 0x22, 0xFF });
    scene.Fill({ 0x18, 0x1A, 0x20, 0xFF }, Box(0, 296, 437, 320));
    return scene;
}

// The emblem of each page, drawn in a circle at the banner's left.
enum class Emblem {
    Start,
    Ready,
    Licence,
    Progress,
    Finished,
    Refused,
    News,
    Options,
    Program,
    Editor,
    Failed
};

void DrawEmblem(Canvas& banner, Emblem emblem, float cx, float cy)
{
    const Colour ink = MIST;
    banner.Fill(ASH, Circle(cx, cy, 34));
    banner.Fill(INK, Circle(cx, cy, 31));
    switch (emblem) {
    case Emblem::Start:
        Tree(banner, cx, cy + 22, 44, LEAF, ASH);
        break;
    case Emblem::Ready:
        banner.Fill(ink, Polygon({ { cx - 10, cy - 15 }, { cx - 10, cy + 15 }, { cx + 16, cy } }));
        break;
    case Emblem::Licence:
        banner.Fill(ink, Box(cx - 13, cy - 18, cx + 13, cy + 18, 2));
        for (float y = cy - 10; y <= cy + 10; y += 6)
            banner.Fill(INK, Line({ cx - 8, y }, { cx + 8, y }, 2));
        break;
    case Emblem::Progress:
        banner.Fill(ink, Line({ cx, cy - 16 }, { cx, cy + 4 }, 6));
        banner.Fill(ink, Polygon({ { cx - 11, cy }, { cx + 11, cy }, { cx, cy + 12 } }));
        banner.Fill(EMBER, Box(cx - 16, cy + 15, cx + 16, cy + 19, 1));
        break;
    case Emblem::Finished:
        banner.Fill(LEAF, Line({ cx - 14, cy }, { cx - 4, cy + 11 }, 7));
        banner.Fill(LEAF, Line({ cx - 4, cy + 11 }, { cx + 15, cy - 12 }, 7));
        break;
    case Emblem::Refused:
        banner.Fill(EMBER, Circle(cx, cy, 19));
        banner.Fill(INK, Circle(cx, cy, 14));
        banner.Fill(EMBER, Line({ cx - 10, cy + 10 }, { cx + 10, cy - 10 }, 5));
        break;
    case Emblem::News:
        banner.Fill(ink, Box(cx - 17, cy - 14, cx + 17, cy + 14, 2));
        banner.Fill(EMBER, Box(cx - 13, cy - 10, cx - 1, cy + 1));
        for (float y : { cy + 5, cy + 10 })
            banner.Fill(INK, Line({ cx - 13, y }, { cx + 13, y }, 2));
        for (float y : { cy - 8, cy - 3 })
            banner.Fill(INK, Line({ cx + 3, y }, { cx + 13, y }, 2));
        break;
    case Emblem::Options:
        for (int i = 0; i < 3; ++i) {
            const float y = cy - 14 + i * 12;
            banner.Fill(ink, Box(cx - 16, y - 4, cx - 8, y + 4, 1));
            banner.Fill(ink, Line({ cx - 3, y }, { cx + 16, y }, 2.5f));
        }
        banner.Fill(EMBER, Line({ cx - 15, cy - 14 }, { cx - 12, cy - 10 }, 2));
        banner.Fill(EMBER, Line({ cx - 12, cy - 10 }, { cx - 7, cy - 19 }, 2));
        break;
    case Emblem::Program:
        for (int i = 0; i < 8; ++i) {
            const float angle = float(i) * 3.14159265f / 4;
            banner.Fill(ink, Circle(cx + 15 * std::cos(angle), cy + 15 * std::sin(angle), 4.5f));
        }
        banner.Fill(ink, Circle(cx, cy, 14));
        banner.Fill(INK, Circle(cx, cy, 6));
        break;
    case Emblem::Editor:
        banner.Fill(EMBER, Line({ cx - 11, cy + 11 }, { cx + 11, cy - 11 }, 8));
        banner.Fill(
            ink, Polygon({ { cx - 17, cy + 17 }, { cx - 14, cy + 6 }, { cx - 6, cy + 14 } }));
        banner.Fill(ASH, Line({ cx + 9, cy - 9 }, { cx + 13, cy - 13 }, 8));
        break;
    case Emblem::Failed:
        banner.Fill(EMBER, Line({ cx - 13, cy - 13 }, { cx + 13, cy + 13 }, 7));
        banner.Fill(EMBER, Line({ cx - 13, cy + 13 }, { cx + 13, cy - 13 }, 7));
        break;
    }
}

// A translucent banner the width of the title area with hills along its foot and the emblem.
Canvas Title(Emblem emblem, Colour accent)
{
    Canvas banner(350, 105, CLEAR);
    const Inside panel = Box(6, 8, 344, 97, 10);
    const Inside hills = Ridge(97, 26, float(int(emblem)) * 0.9f, 30);
    banner.Fill(WithAlpha(INK, 210), panel);
    banner.Fill(
        WithAlpha(accent, 120), [&](float x, float y) { return panel(x, y) && hills(x, y); });
    banner.Fill(WithAlpha(INK, 255), Box(6, 93, 344, 97));
    banner.Fill(WithAlpha(accent, 255), Box(120, 50, 330, 53, 1.5f));
    DrawEmblem(banner, emblem, 62, 52);
    return banner;
}

struct Output {
    const char* name;
    std::vector<uint8_t> bytes;
};

std::vector<Output> Icons()
{
    return {
        { "Icon_combo.tga", Tga(ComboIcon(false), true) },
        { "Icon_combo_mo.tga", Tga(ComboIcon(true), true) },
        { "Icon_scroll_up.tga", Tga(ArrowIcon(Arrow::Up, false), true) },
        { "Icon_scroll_up_mo.tga", Tga(ArrowIcon(Arrow::Up, true), true) },
        { "Icon_scroll_dn.tga", Tga(ArrowIcon(Arrow::Down, false), true) },
        { "Icon_scroll_dn_mo.tga", Tga(ArrowIcon(Arrow::Down, true), true) },
        { "Icon_scroll_lf.tga", Tga(ArrowIcon(Arrow::Left, false), true) },
        { "Icon_scroll_lf_mo.tga", Tga(ArrowIcon(Arrow::Left, true), true) },
        { "Icon_scroll_rg.tga", Tga(ArrowIcon(Arrow::Right, false), true) },
        { "Icon_scroll_rg_mo.tga", Tga(ArrowIcon(Arrow::Right, true), true) },
        { "Icon_slide.tga", Tga(SlideIcon(false), true) },
        { "Icon_slide_mo.tga", Tga(SlideIcon(true), true) },
        { "Icon_scrollbutton.tga", Tga(ScrollButtonIcon(0), true) },
        { "Icon_scrollbutton_down.tga", Tga(ScrollButtonIcon(1), true) },
        { "Icon_scrollbutton_up.tga", Tga(ScrollButtonIcon(2), true) },
        { "Icon_scrollbutton_scroll.tga", Tga(ScrollButtonIcon(3), true) },
        { "ft_file.tga", Tga(FileIcon(), true) },
        { "ft_dir.tga", Tga(FolderIcon(false), true) },
        { "ft_dir_o.tga", Tga(FolderIcon(true), true) },
    };
}

std::vector<Output> Pictures()
{
    const Colour failure { 0xC0, 0x4A, 0x3A, 0xFF };
    return {
        { "background.jpg", Jpeg(Background()) },
        { "title_start.bmp", Bmp(Title(Emblem::Start, LEAF)) },
        { "title_ready.tga", Tga(Title(Emblem::Ready, EMBER), false) },
        { "title_licence.tga", Tga(Title(Emblem::Licence, ASH), false) },
        { "title_progress.tga", Tga(Title(Emblem::Progress, EMBER), false) },
        { "title_finished.bmp", Bmp(Title(Emblem::Finished, LEAF)) },
        { "title_refused.tga", Tga(Title(Emblem::Refused, failure), false) },
        { "title_news.jpg", Jpeg(Title(Emblem::News, ASH)) },
        { "title_options.tga", Tga(Title(Emblem::Options, LEAF), false) },
        { "title_program.tga", Tga(Title(Emblem::Program, ASH), false) },
        { "title_editor.tga", Tga(Title(Emblem::Editor, EMBER), false) },
        { "title_failed.tga", Tga(Title(Emblem::Failed, failure), false) },
    };
}

bool WriteAll(const std::filesystem::path& folder, const std::vector<Output>& outputs)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const Output& output : outputs)
        if (!WriteBytes(folder / output.name, output.bytes)) {
            std::fprintf(stderr, "draw_art: cannot write %s\n", (folder / output.name).c_str());
            return false;
        }
    return true;
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_art OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    return WriteAll(out / "Icons", Icons()) && WriteAll(out / "Pictures", Pictures()) ? 0 : 1;
}
