// The wizard's controller: the frame with its title, status line and button column, the start
// that picks the first page from the patch's settings and the installed game, and the handler
// that moves between the pages on the buttons' clicks and the engine's notifications.
#include "patcher/patcher_internal.h"

#include "installlib/installlib.h"
#include "ml/ml.h"

namespace {

using namespace patcher::detail;

constexpr int32_t BUTTON_HEIGHT = PTCH_MARGIN;
constexpr int32_t COLUMN_WIDTH = PTCH_BUTTON_WIDTH + 1 + 2 * PTCH_BUTTON_GAP;
constexpr uint32_t TITLE_BACKGROUND = 0xFF000000;
constexpr uint32_t STATUS_ALIGN = 0x30;

Wizard g_wizard {};

GUIB_WindowCreate Place(c_GUIB_Window* parent, int32_t x, int32_t y, int32_t width, int32_t height)
{
    return { x, y, width, height, 0, 0, parent, PTCH_GetEnvironment(), PTCH_OnEvent, 0 };
}

// A panel showing the background picture (text 200) in mode.
c_GUIB_Panel* MakePicturePanel(const GUIB_WindowCreate& create, uint32_t background, uint32_t mode)
{
    auto* panel = new c_GUIB_Panel(&create);
    const char* file = ML_GetStringA(PTCH_ID_BACKGROUND_PICTURE);
    GUIB_Ref<c_GUIB_Bitmap> picture;
    if (file != nullptr)
        picture = GUIB_Ref<c_GUIB_Bitmap>::Adopt(new c_GUIB_Bitmap(file));
    const GUIB_PictureSetup setup { background, picture.Get(), mode, 0, 0 };
    (void)panel->SetPicture(&setup);
    return panel;
}

void BuildFrame(c_GUIB_Desktop* desktop)
{
    Wizard& w = g_wizard;
    const auto t = static_cast<int32_t>(PTCH_GetEnvironment()->Property(GUIB_PROP_SCROLL_BAR_SIZE));
    w.frame = MakePicturePanel(
        Place(desktop, 0, 0, PTCH_WINDOW_WIDTH, PTCH_WINDOW_HEIGHT), 0, GUIB_PM_STRETCH);
    GUIB_WindowCreate create
        = Place(w.frame, PTCH_WINDOW_WIDTH - COLUMN_WIDTH, 0, COLUMN_WIDTH, PTCH_WINDOW_HEIGHT);
    auto* column = new c_GUIB_Panel(&create);
    w.title = MakePicturePanel(
        Place(w.frame, 0, 0, PTCH_TITLE_WIDTH, PTCH_TITLE_HEIGHT), TITLE_BACKGROUND, GUIB_PM_ONCE);
    create = Place(w.frame, 0, PTCH_WINDOW_HEIGHT - t, PTCH_TITLE_WIDTH, t);
    w.status = new c_GUIB_Label(&create);
    (void)w.status->SetTextColour(0, PTCH_GetEnvironment()->Property(PROP_PAGE_TEXT_COLOUR));
    w.status->SetTextAlign(STATUS_ALIGN);
    int32_t y = PTCH_WINDOW_HEIGHT - BUTTON_HEIGHT - PTCH_BUTTON_GAP - 1;
    for (c_GUIB_Button*& button : w.buttons) {
        create = Place(column, PTCH_BUTTON_GAP + 1, y, PTCH_BUTTON_WIDTH, BUTTON_HEIGHT);
        button = new c_GUIB_Button(&create);
        y -= BUTTON_HEIGHT + PTCH_BUTTON_GAP + 1;
    }
    // The top button sits at the column's top, not in the bottom buttons' rhythm.
    w.buttons[2]->SetPosition(PTCH_BUTTON_GAP + 1, PTCH_BUTTON_GAP + 1);
}

// The page that refuses the patch for the installed record, or PTCH_NO_PAGE.
uint32_t RefusalPage(const PatchSettings& settings, const VersionInfo& installed)
{
    if (!settings.keepNewer && settings.newVersion != 0
        && installed.patchVersion > settings.newVersion)
        return 9;
    if (settings.hasLowestVersion && settings.lowestVersion != 0
        && settings.lowestVersion > static_cast<int32_t>(installed.patchVersion))
        return 10;
    if (settings.editorVersion != 0 && settings.editorVersion < installed.editorVersion)
        return 16;
    return PTCH_NO_PAGE;
}

void End()
{
    PTCH_SetRunning(false);
}

// Licence accepted: the disk must hold what the patch needs, then the option pages follow.
void AcceptLicence()
{
    Wizard& w = g_wizard;
    uint64_t free = 0;
    if (!EnoughDiskSpace(&free)) {
        PTCH_ShowPage(13, free, w.settings.neededBytes);
        return;
    }
    w.sequenceLength = 0;
    w.sequence[w.sequenceLength++] = 1;
    if (w.shortcutCount != 0)
        w.sequence[w.sequenceLength++] = 2;
    if (w.settings.runProgram)
        w.sequence[w.sequenceLength++] = 14;
    if (w.editorToolsOffered)
        w.sequence[w.sequenceLength++] = 15;
    w.sequence[w.sequenceLength++] = 3;
    w.sequencePosition = 1;
    PTCH_ShowPage(w.sequence[1]);
}

void Step(int32_t direction)
{
    Wizard& w = g_wizard;
    const uint32_t next = w.sequencePosition + static_cast<uint32_t>(direction);
    if (next >= w.sequenceLength)
        return;
    w.sequencePosition = next;
    PTCH_ShowPage(w.sequence[next]);
}

void OnNext()
{
    switch (g_wizard.currentPage) {
    case 0:
        PTCH_ShowPage(1);
        break;
    case 1:
        AcceptLicence();
        break;
    case 2:
    case 14:
    case 15:
        Step(1);
        break;
    case 3:
        PTCH_ShowPage(4);
        break;
    case 8:
        PTCH_ShowPage(0);
        break;
    case 5:
    case 6:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 16:
        End();
        break;
    default:
        break;
    }
}

void OnBack()
{
    switch (g_wizard.currentPage) {
    case 0:
        End();
        break;
    case 1:
        PTCH_ShowPage(0);
        break;
    case 2:
    case 3:
    case 14:
    case 15:
        Step(-1);
        break;
    case 5:
        if (PTCH_RunProgram(g_wizard.game.programPath, g_wizard.game.programArguments) != 0)
            End();
        break;
    default:
        break;
    }
}

}

namespace patcher::detail {

Wizard& WizardState()
{
    return g_wizard;
}

}

namespace patcher::detail {

uint32_t PrepareWizard()
{
    Wizard& w = g_wizard;
    w = Wizard {};
    w.currentPage = PTCH_NO_PAGE;
    w.desktopChoice = w.programChoice = w.runChoice = 1;
    PTCH_ReadPatchSettings(&w.settings);
    w.editorToolsOffered = w.settings.detectEditorTools && DetectMaxVersions(&w.max) != 0;
    w.max51Choice = w.max.max51Found ? 1 : 0;
    w.max60Choice = w.max.max60Found ? 1 : 0;
    if (PTCH_FindInstalledGame(&w.game) == 0)
        return 6;
    VersionInfo& installed = *InstalledRecord();
    if (installed.patchVersion == 100 || installed.patchVersion == 0)
        (void)CheckLegacyPatch(&installed, &w.game);
    if (const uint32_t refusal = RefusalPage(w.settings, installed); refusal != PTCH_NO_PAGE)
        return refusal;
    // Keeping newer programs only matters when the patch is older than what is installed.
    if (w.settings.newVersion >= installed.patchVersion)
        w.settings.keepNewer = false;
    w.shortcutCount = LoadLinks(PTCH_ID_LINKS, 5, 10, w.game.folderWide);
    return 0;
}

bool EnoughDiskSpace(uint64_t* free)
{
    // A disk that cannot tell does not stop the patch.
    if (GetFreeDiskSpace(g_wizard.game.folder, free) == 0)
        *free = ~uint64_t { 0 };
    return *free >= g_wizard.settings.neededBytes;
}

}

void PTCH_Start()
{
    const uint32_t first = PrepareWizard();
    c_GUIB_Desktop* desktop = PTCH_GetDesktop();
    if (desktop == nullptr)
        return;
    BuildFrame(desktop);
    PTCH_ShowPage(first);
}

uint32_t PTCH_OnEvent(c_GUIB_Window* sender, uintptr_t, uint32_t code, uintptr_t p1, uintptr_t)
{
    switch (code) {
    case PTCH_EV_COMPLETE:
        PTCH_ShowPage(5);
        return 1;
    case PTCH_EV_FAILED:
        PTCH_ShowPage(11, p1);
        return 1;
    case PTCH_EV_CANCELLED:
        PTCH_ShowPage(12);
        return 1;
    case GUIB_BN_CLICKED:
        break;
    default:
        return 0;
    }
    const Wizard& w = g_wizard;
    if (sender == w.buttons[0])
        OnNext();
    else if (sender == w.buttons[1])
        OnBack();
    else if (sender == w.buttons[2] && w.currentPage == 0)
        PTCH_ShowPage(8);
    else
        return sender == w.buttons[2] ? 1 : 0;
    return 1;
}

uint32_t PTCH_GetCurrentPage()
{
    return g_wizard.currentPage;
}
