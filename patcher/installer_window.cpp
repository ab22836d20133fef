// The installer window: the desktop the wizard is drawn on, with its own top-level window of the
// installer's class, the pictures the toolkit's controls look up by id, the colours the
// installer data sets and the language's font.
#include "patcher/patcher_internal.h"

#include "bigfile/bigfile.h"
#include "guib/guib.h"
#include "ml/ml.h"

#include <iterator>

namespace {

using namespace patcher::detail;

struct Picture {
    uint32_t id;
    const char* file;
};

// The scroll and combo arrows with their hover ("_mo") variants, the slider, the scroll
// buttons and the file tree's icons, loaded in this order.
constexpr Picture PICTURES[] = {
    { 9, "Icons\\Icon_combo.tga" },
    { 10, "Icons\\Icon_combo_mo.tga" },
    { 1, "Icons\\Icon_scroll_up.tga" },
    { 2, "Icons\\Icon_scroll_up_mo.tga" },
    { 3, "Icons\\Icon_scroll_dn.tga" },
    { 4, "Icons\\Icon_scroll_dn_mo.tga" },
    { 5, "Icons\\Icon_scroll_lf.tga" },
    { 6, "Icons\\Icon_scroll_lf_mo.tga" },
    { 7, "Icons\\Icon_scroll_rg.tga" },
    { 8, "Icons\\Icon_scroll_rg_mo.tga" },
    { 11, "Icons\\Icon_slide.tga" },
    { 12, "Icons\\Icon_slide_mo.tga" },
    { 20, "Icons\\Icon_scrollbutton.tga" },
    { 21, "Icons\\Icon_scrollbutton_down.tga" },
    { 22, "Icons\\Icon_scrollbutton_up.tga" },
    { 23, "Icons\\Icon_scrollbutton_scroll.tga" },
    { 26, "Icons\\ft_file.tga" },
    { 24, "Icons\\ft_dir.tga" },
    { 25, "Icons\\ft_dir_o.tga" },
};

// The environment properties that ids 260.. and 280.. set, in id order.
constexpr uint32_t TEXT_COLOUR_PROPERTIES[] = { 0, 6, 1, 4, 3, 5 };
constexpr uint32_t FILL_COLOUR_PROPERTIES[] = { 8, 9, 11, 14, 13, 10, 15 };

void ApplyColours(int32_t firstId, const uint32_t* properties, size_t count)
{
    c_GUIB_Environment* environment = PTCH_GetEnvironment();
    for (size_t i = 0; i < count; ++i) {
        const int32_t id = firstId + static_cast<int32_t>(i);
        int32_t value = 0;
        if (ML_GetFlag(id) && ML_GetInt(id, &value) != 0)
            (void)environment->SetProperty(properties[i], static_cast<uint32_t>(value));
    }
}

// A missing picture is not reported: the control that uses the id draws without it.
void LoadPictures()
{
    for (const Picture& picture : PICTURES) {
        auto bitmap = GUIB_Ref<c_GUIB_Bitmap>::Adopt(new c_GUIB_Bitmap(picture.file));
        (void)PTCH_GetEnvironment()->AddBitmap(picture.id, bitmap.Get());
    }
}

// The language's font as the default font. A file that is there but gives no usable font (no
// glyph, or no line height) counts as missing: layout with it would measure nothing.
bool LoadLanguageFont(const char* path)
{
    if (BF_Exists(path) == 0)
        return false;
    auto font = GUIB_Ref<c_GUIB_Font>::Adopt(new c_GUIB_Font(path));
    if (!font->IsLoaded() || font->GetGlyphCount() == 0)
        return false;
    (void)PTCH_GetEnvironment()->SetProperty(
        GUIB_PROP_DEFAULT_FONT, reinterpret_cast<uintptr_t>(font.Get()));
    return true;
}

}

void ApplyColourSettings()
{
    ApplyColours(PTCH_ID_TEXT_COLOURS, TEXT_COLOUR_PROPERTIES, std::size(TEXT_COLOUR_PROPERTIES));
    ApplyColours(PTCH_ID_FILL_COLOURS, FILL_COLOUR_PROPERTIES, std::size(FILL_COLOUR_PROPERTIES));
}

int PTCH_InitGUI()
{
    c_GUIB_Environment* environment = PTCH_GetEnvironment();
    if (environment == nullptr)
        return 0;
    GUIB_WindowCreate create {};
    create.width = PTCH_WINDOW_WIDTH;
    create.height = PTCH_WINDOW_HEIGHT;
    create.environment = environment;
    auto* desktop = new c_GUIB_Desktop(&create);
    SetDesktop(desktop);
    const GUIB_WindowParams params { PTCH_WINDOW_STYLE, 0, PTCH_WINDOW_CLASS,
        ML_GetStringA(PTCH_ID_WINDOW_CAPTION), nullptr,
        Startup().loadProgramIcon(SYS_StartInfo() ? SYS_StartInfo()->appValue : 0) };
    if (desktop->SetWindowMode(1, &params) != SYS_OK) {
        SYS_Trace(TAG, 1, "!PTCH_InitGUI: can't set output to a MasterWindow");
        return 0;
    }
    LoadPictures();
    ApplyColourSettings();
    char path[PATH_CAPACITY];
    if (LanguageFilePath(path, sizeof path, PTCH_GetLanguageCode(), "fnt")
        && LoadLanguageFont(path)) {
        PTCH_SetRunning(true);
        return 1;
    }
    char message[PATH_CAPACITY + 32];
    (void)SYS_Format(message, sizeof message, "Cannot load font file. (%s)", path);
    Startup().showMessage(message, "Fatal error");
    return 0;
}
