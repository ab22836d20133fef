// The control gallery: every control in each state a user meets, drawn headlessly (or in a real
// window under Wine) with the test font and kept as frames in the manifest. The pictures land in
// the build tree's frames/gallery/ for a person to look at; the same hashes on both systems show
// that the toolkit draws identically there.
#include "tests/guib/control_fixture.h"

#include <string>

namespace {

class Gallery : public test::ControlTest {
protected:
    explicit Gallery(int32_t width = 200, int32_t height = 120)
        : ControlTest(width, height)
    {
        auto* backdrop = Add<c_GUIB_Panel>(0, 0, width, height);
        GUIB_PictureSetup setup { 0xFF434F25, nullptr, GUIB_PM_ONCE, 0, 0 };
        (void)backdrop->SetPicture(&setup);
    }

    ::testing::AssertionResult Shows(const char* name)
    {
        if (!driver.PumpUntilIdle())
            return ::testing::AssertionFailure() << "the tree did not settle for " << name;
        return driver.MatchesFrame(std::string("gallery/") + name);
    }

    // A picture of width × height with a colour ramp and a dark cross, so that placement,
    // tiling and scaling show.
    static GUIB_Ref<c_GUIB_Bitmap> Picture(int32_t width, int32_t height)
    {
        auto picture = GUIB_Ref<c_GUIB_Bitmap>::Adopt(new c_GUIB_Bitmap(width, height));
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                bool cross = x == width / 2 || y == height / 2;
                uint32_t red = uint32_t(x * 255 / width), green = uint32_t(y * 255 / height);
                picture->SetPixel(
                    x, y, cross ? 0xFF202020 : 0xFF000000 | red << 16 | green << 8 | 0x60);
            }
        return picture;
    }
};

TEST_F(Gallery, Button)
{
    auto* button = Add<c_GUIB_Button>(60, 50, 80, 20);
    button->SetCaption("Next >");
    button->SetFrameStyle(GUIB_FRAME_BIT);
    EXPECT_TRUE(Shows("button_normal"));
    driver.Move(70, 55);
    EXPECT_TRUE(Shows("button_hover"));
    driver.Press(70, 55);
    EXPECT_TRUE(Shows("button_pressed"));
    driver.Move(10, 10);
    EXPECT_TRUE(Shows("button_pressed_away"));
    driver.Release(10, 10);
    button->Enable(false);
    EXPECT_TRUE(Shows("button_disabled"));
}

TEST_F(Gallery, CheckBox)
{
    auto* box = Add<c_GUIB_CheckBox>(20, 50, 170, 20);
    box->SetCaption("Create a desktop shortcut");
    EXPECT_TRUE(Shows("check_box_unchecked"));
    driver.Move(24, 60);
    EXPECT_TRUE(Shows("check_box_hover"));
    driver.Move(5, 5);
    box->SetCheck(GUIB_CHECK_ON);
    EXPECT_TRUE(Shows("check_box_checked"));
    box->SetCheck(GUIB_CHECK_UNDETERMINED);
    EXPECT_TRUE(Shows("check_box_undetermined"));
    box->SetCheck(GUIB_CHECK_ON);
    box->Enable(false);
    EXPECT_TRUE(Shows("check_box_disabled"));
}

TEST_F(Gallery, LabelAndProgressBar)
{
    auto* centred = Add<c_GUIB_Label>(10, 8, 180, 20);
    centred->SetCaption("Copying files");
    centred->SetFrameStyle(GUIB_FRAME_BIT);
    centred->SetTextAlign(GUIB_ALIGN_HCENTRE | GUIB_ALIGN_VCENTRE);
    auto* wrapped = Add<c_GUIB_Label>(10, 32, 180, 34);
    wrapped->SetCaption("A longer text is wrapped at word boundaries and ends with an ellipsis.");
    wrapped->SetTextAlign(GUIB_ALIGN_WRAP);
    auto* bar = Add<c_GUIB_ProgressBar>(10, 74, 180, 16);
    bar->SetFrameStyle(GUIB_FRAME_BIT);
    auto* full = Add<c_GUIB_ProgressBar>(10, 96, 180, 16);
    full->SetFrameStyle(GUIB_FRAME_BIT);
    full->SetValue(100, 0);
    EXPECT_TRUE(Shows("labels_progress_0"));
    bar->SetValue(7, 0);
    EXPECT_TRUE(Shows("labels_progress_7"));
    centred->Enable(false);
    bar->Enable(false);
    EXPECT_TRUE(Shows("labels_progress_disabled"));
}

TEST_F(Gallery, ScrollBars)
{
    auto* vertical = Add<c_GUIB_ScrollBar>(20, 10, 16, 100);
    auto* horizontal = Add<c_GUIB_ScrollBar>(50, 94, 140, 16);
    GUIB_ScrollInfo info { 0, 100, 40, 20, 1, 0 };
    ASSERT_EQ(SYS_OK, vertical->SetScrollInfo(&info));
    ASSERT_EQ(SYS_OK, horizontal->SetScrollInfo(&info));
    EXPECT_TRUE(Shows("scroll_bars"));
    GUIB_Rect thumb = vertical->ThumbRect();
    driver.Press(20 + thumb.left + 4, 10 + thumb.top + 2);
    driver.Move(20 + thumb.left + 4, 10 + thumb.top + 12);
    EXPECT_TRUE(Shows("scroll_bars_dragging"));
    driver.Release(20 + thumb.left + 4, 10 + thumb.top + 12);
    vertical->Enable(false);
    EXPECT_TRUE(Shows("scroll_bars_disabled"));
}

TEST_F(Gallery, ListBox)
{
    auto* list = Add<c_GUIB_ListBox>(20, 10, 160, 100);
    const char* languages[] = { "English", "Deutsch", "Cesky", "Russkij", "Francais", "Polski",
        "Magyar", "Italiano", "Espanol" };
    for (const char* language : languages)
        (void)list->AddItem(language);
    EXPECT_TRUE(Shows("list_box"));
    driver.Click(40, 25);
    EXPECT_TRUE(Shows("list_box_selected"));
    driver.Wheel(40, 25, -3);
    EXPECT_TRUE(Shows("list_box_scrolled"));
    list->Enable(false);
    EXPECT_TRUE(Shows("list_box_disabled"));
}

TEST_F(Gallery, PanelModes)
{
    struct Mode {
        const char* name;
        uint32_t mode;
        int32_t width;
        int32_t height;
    };
    const Mode modes[] = { { "panel_once", GUIB_PM_ONCE, 64, 48 },
        { "panel_tile", GUIB_PM_TILE, 48, 36 }, { "panel_centre", GUIB_PM_CENTRE, 64, 48 },
        { "panel_stretch", GUIB_PM_STRETCH, 64, 48 }, { "panel_fit", GUIB_PM_FIT, 400, 300 },
        { "panel_scroll", GUIB_PM_SCROLL, 300, 200 } };
    auto* panel = Add<c_GUIB_Panel>(20, 10, 160, 100);
    for (const Mode& m : modes) {
        SCOPED_TRACE(m.name);
        GUIB_Ref<c_GUIB_Bitmap> picture = Picture(m.width, m.height);
        GUIB_PictureSetup setup { 0xFFFFFFC0, picture.Get(), m.mode, 0, 0 };
        ASSERT_EQ(SYS_OK, panel->SetPicture(&setup));
        EXPECT_TRUE(Shows(m.name));
    }
}

// Message boxes are wider than the other controls: three buttons need 274 pixels.
class WideGallery : public Gallery {
protected:
    WideGallery()
        : Gallery(320, 120)
    {
    }
};

TEST_F(WideGallery, MessageBoxes)
{
    struct Box {
        const char* name;
        uint32_t buttons;
    };
    const Box boxes[]
        = { { "message_ok", GUIB_MB_OK }, { "message_ok_cancel", GUIB_MB_OK | GUIB_MB_CANCEL },
              { "message_yes_no", GUIB_MB_YES | GUIB_MB_NO },
              { "message_yes_no_cancel", GUIB_MB_YES | GUIB_MB_NO | GUIB_MB_CANCEL } };
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.name);
        c_GUIB_MessageBox* box = GUIB_MessageBox(
            driver.Desktop(), u"Patch", u"Insert the next disc.", b.buttons, nullptr);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(Shows(b.name));
        box->Close();
    }
}

}
