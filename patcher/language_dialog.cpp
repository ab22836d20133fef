// The language dialog of the start: a small desktop window of its own with a list of the
// candidate languages, "Ok" and "Quit", run by its own pump loop before the installer window
// exists. Its controls set the flag named by their user value.
#include "patcher/patcher_internal.h"

#include "guib/guib.h"

namespace {

using namespace patcher::detail;

constexpr int32_t DIALOG_WIDTH = (PTCH_BUTTON_WIDTH + 2 * PTCH_MARGIN) * 2;
constexpr const char* DIALOG_CAPTION = "Varnholt's patch installer";

uint32_t DialogCallback(c_GUIB_Window*, uintptr_t user, uint32_t code, uintptr_t, uintptr_t)
{
    if (code == GUIB_BN_CLICKED || code == GUIB_LB_DBLCLK)
        *reinterpret_cast<uint32_t*>(user) = 1;
    return 0;
}

GUIB_WindowCreate ControlAt(
    c_GUIB_Window* parent, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t* flag)
{
    GUIB_WindowCreate create {};
    create.x = x;
    create.y = y;
    create.width = width;
    create.height = height;
    create.parent = parent;
    create.environment = parent->GetEnvironment();
    create.callback = DialogCallback;
    create.user = reinterpret_cast<uintptr_t>(flag);
    return create;
}

}

namespace patcher::detail {

int32_t LanguageDialogRowHeight(const c_GUIB_Environment* environment)
{
    return static_cast<int32_t>(environment->Property(GUIB_PROP_SCROLL_BAR_SIZE));
}

GUIB_Point LanguageDialogSize(const c_GUIB_Environment* environment, uint32_t count)
{
    return { DIALOG_WIDTH,
        (static_cast<int32_t>(count) + 5) * LanguageDialogRowHeight(environment) };
}

LanguageDialog::LanguageDialog(c_GUIB_Desktop* desktop, uint32_t count, const uint32_t* rows)
{
    const int32_t t = LanguageDialogRowHeight(desktop->GetEnvironment());
    int32_t width = 0;
    int32_t height = 0;
    desktop->GetSize(&width, &height);
    const int32_t inner = DIALOG_WIDTH - 2 * PTCH_MARGIN;

    GUIB_WindowCreate create = ControlAt(desktop, 0, 0, width, height, &m_confirmed);
    auto* panel = new c_GUIB_Panel(&create);
    uint32_t background = 0;
    (void)panel->GetFillColour(1, &background);
    (void)panel->SetFillColour(1, background | 0xFF000000);

    create = ControlAt(panel, PTCH_MARGIN, t, inner, t, &m_confirmed);
    auto* label = new c_GUIB_Label(&create);
    label->SetCaption("Select language");
    (void)label->SetTextColour(0, desktop->GetEnvironment()->Property(4));

    create = ControlAt(
        panel, PTCH_MARGIN, 2 * t, inner, (t - 1) * static_cast<int32_t>(count) + 1, &m_confirmed);
    m_list = new c_GUIB_ListBox(&create);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t index = m_list->AddItem(PTCH_LANGUAGES[rows[i]].name);
        (void)m_list->SetItemData(index, rows[i]);
    }
    (void)m_list->SetCurrent(0, 1);

    const int32_t buttonTop = height - PTCH_MARGIN - t;
    create = ControlAt(panel, PTCH_MARGIN, buttonTop, PTCH_BUTTON_WIDTH, PTCH_MARGIN, &m_confirmed);
    (new c_GUIB_Button(&create))->SetCaption("Ok");
    create = ControlAt(panel, DIALOG_WIDTH - PTCH_MARGIN - PTCH_BUTTON_WIDTH, buttonTop,
        PTCH_BUTTON_WIDTH, PTCH_MARGIN, &m_quit);
    (new c_GUIB_Button(&create))->SetCaption("Quit");
}

uint32_t LanguageDialog::ChosenRow() const
{
    // A Control+click can leave the list without a current item; the first one stands then.
    uint32_t item = m_list->GetCurrent();
    if (item == GUIB_LB_NONE)
        item = 0;
    const uint32_t row = m_list->GetItemData(item);
    return row < PTCH_LANGUAGE_COUNT ? row : PTCH_LANGUAGE_COUNT;
}

int LanguageDialog::Result() const
{
    if (m_confirmed == 0)
        return 0;
    const uint32_t row = ChosenRow();
    if (row >= PTCH_LANGUAGE_COUNT)
        return 0;
    SetLanguageCode(PTCH_LANGUAGES[row].code);
    return 1;
}

int RunLanguageDialog(c_GUIB_Desktop* desktop, const LanguageDialog& dialog)
{
    // An answer given in the pass that also closed the window still counts.
    while (!dialog.Answered()) {
        Startup().waitForInput(1);
        if (desktop->Pump() == 0)
            break;
    }
    return dialog.Result();
}

c_GUIB_Desktop* MakeLanguageDialogDesktop(c_GUIB_Environment* environment, uint32_t count)
{
    const GUIB_Point size = LanguageDialogSize(environment, count);
    GUIB_WindowCreate create {};
    create.width = size.x;
    create.height = size.y;
    create.environment = environment;
    auto* desktop = new c_GUIB_Desktop(&create);
    const GUIB_WindowParams params { PTCH_WINDOW_STYLE, 0, PTCH_WINDOW_CLASS, DIALOG_CAPTION,
        nullptr, Startup().loadProgramIcon(SYS_StartInfo() ? SYS_StartInfo()->appValue : 0) };
    if (desktop->SetWindowMode(1, &params) == SYS_OK)
        return desktop;
    SYS_Trace(TAG, 1, "!GetLanguageDialog: can't set output to a MasterWindow");
    desktop->Drop();
    return nullptr;
}

}

int GetLanguageDialog(uint32_t count, const uint32_t* rows)
{
    c_GUIB_Environment* environment = PTCH_GetEnvironment();
    if (environment == nullptr || count == 0 || rows == nullptr)
        return 0;
    c_GUIB_Desktop* desktop = MakeLanguageDialogDesktop(environment, count);
    if (desktop == nullptr)
        return 0;
    int result = 0;
    {
        const LanguageDialog dialog(desktop, count, rows);
        result = RunLanguageDialog(desktop, dialog);
    }
    desktop->Drop();
    return result;
}
