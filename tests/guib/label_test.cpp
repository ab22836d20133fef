// c_GUIB_Label: the vertical centring of labels lower than a line, and word wrapping.
#include "tests/guib/bitmap_checks.h"
#include "tests/guib/control_fixture.h"

namespace {

using test::ControlTest;

class Label : public ControlTest {
protected:
    c_GUIB_Label* Make(int32_t w, int32_t h, uint32_t align, uint32_t frame = 0)
    {
        auto* label = Add<c_GUIB_Label>(0, 0, w, h);
        label->SetCaption("Hello world");
        label->SetTextAlign(align);
        label->SetFrameStyle(frame);
        EXPECT_EQ(label->SetFillColour(1, 0xFFFFFFFF), SYS_OK);
        EXPECT_TRUE(driver.PumpUntilIdle());
        return label;
    }
    static std::vector<uint32_t> Pixels(const c_GUIB_Window* label)
    {
        return test::PixelsOf(*label->GetSurface());
    }
};

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
    bool secondLine = false;
    for (int32_t x = 3; x < 45; ++x)
        secondLine |= label->GetSurface()->GetPixel(x, 15) != 0xFFFFFFFF;
    EXPECT_TRUE(secondLine);
    const std::vector<uint32_t> wrapped = Pixels(label);
    EXPECT_NE(Pixels(Make(49, 30, GUIB_ALIGN_LEFT | GUIB_ALIGN_TOP, GUIB_FRAME_BIT)), wrapped);
}

}
