// c_GUIB_Label: placement by the alignment, the vertical centring of labels lower than a line,
// word wrapping and the disabled colours.
#include "tests/guib/control_fixture.h"

namespace {

using test::ControlTest;

class Label : public ControlTest {
protected:
    c_GUIB_Label* Make(int32_t w, int32_t h, uint32_t align, uint32_t frame = 0)
    {
        GUIB_WindowCreate create = Place(0, 0, w, h);
        auto* label = new c_GUIB_Label(&create);
        label->SetCaption("Hello world");
        label->SetTextAlign(align);
        label->SetFrameStyle(frame);
        EXPECT_EQ(label->SetFillColour(1, 0xFFFFFFFF), SYS_OK);
        EXPECT_TRUE(driver.PumpUntilIdle());
        return label;
    }
    // The rows of the surface that hold ink (pixels other than the background).
    static std::vector<int32_t> InkedRows(const c_GUIB_Window* label)
    {
        std::vector<int32_t> rows;
        const c_GUIB_Bitmap* surface = label->GetSurface();
        for (int32_t y = 0; y < label->GetRect().bottom; ++y)
            for (int32_t x = 0; x < label->GetRect().right; ++x)
                if (surface->GetPixel(x, y) != 0xFFFFFFFF) {
                    rows.push_back(y);
                    break;
                }
        return rows;
    }
    static std::vector<uint32_t> Pixels(const c_GUIB_Window* label)
    {
        const c_GUIB_Bitmap* surface = label->GetSurface();
        int32_t w = 0, h = 0;
        surface->GetSize(&w, &h);
        return { surface->GetPixels(), surface->GetPixels() + w * h };
    }
};

TEST_F(Label, PlacesTheCaptionByItsAlignment)
{
    c_GUIB_Label* top = Make(100, 40, GUIB_ALIGN_LEFT | GUIB_ALIGN_TOP);
    EXPECT_LE(InkedRows(top).front(), 1);
    EXPECT_LE(InkedRows(top).back(), 9);
    c_GUIB_Label* bottom = Make(100, 40, GUIB_ALIGN_LEFT | GUIB_ALIGN_BOTTOM);
    EXPECT_GE(InkedRows(bottom).front(), 30);
}

// Lower than the font's 10-pixel line, the text is centred vertically whatever the alignment.
TEST_F(Label, LowerThanALineCentresTheTextVertically)
{
    const std::vector<uint32_t> centred = Pixels(Make(100, 8, GUIB_ALIGN_VCENTRE));
    for (uint32_t align :
        { 0u, GUIB_ALIGN_TOP, GUIB_ALIGN_BOTTOM, GUIB_ALIGN_LEFT | GUIB_ALIGN_BOTTOM,
            GUIB_ALIGN_TOP | GUIB_ALIGN_BOTTOM | GUIB_ALIGN_VCENTRE }) {
        SCOPED_TRACE(align);
        EXPECT_EQ(Pixels(Make(100, 8, align)), centred);
    }
}

TEST_F(Label, WrapAlignmentWrapsWithinTheFrame)
{
    // 42 pixels inside the frame hold seven characters: "Hello" and "world" on two lines.
    c_GUIB_Label* label = Make(49, 30, GUIB_ALIGN_WRAP, GUIB_FRAME_BIT);
    std::vector<int32_t> rows = InkedRows(label);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), 0) << "the frame";
    uint32_t frame = 0;
    ASSERT_EQ(label->GetFillColour(3, &frame), SYS_OK);
    EXPECT_EQ(label->GetSurface()->GetPixel(0, 15), frame);
    bool secondLine = false;
    for (int32_t x = 3; x < 45; ++x)
        secondLine |= label->GetSurface()->GetPixel(x, 15) != 0xFFFFFFFF;
    EXPECT_TRUE(secondLine);
    const std::vector<uint32_t> wrapped = Pixels(label);
    EXPECT_NE(Pixels(Make(49, 30, GUIB_ALIGN_LEFT | GUIB_ALIGN_TOP, GUIB_FRAME_BIT)), wrapped);
}

TEST_F(Label, DisabledUsesColourSix)
{
    c_GUIB_Label* label = Make(100, 20, 5);
    ASSERT_EQ(label->SetFillColour(6, 0xFF102030), SYS_OK);
    label->Enable(false);
    ASSERT_TRUE(driver.PumpUntilIdle());
    EXPECT_EQ(label->GetSurface()->GetPixel(99, 19), 0xFF102030u);
}

}
