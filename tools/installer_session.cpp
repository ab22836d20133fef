// InstallerSession: the installer started through its own start-up with the start's system
// calls partly replaced (the language dialog is answered by the session, the single-instance
// lock may be left alone), a clock that moves only when the session says, and input posted to
// the desktop's window as the system posts the mouse's.
#include "tools/installer_session.h"

#include "patcher/patcher_internal.h"
#include "tools/png/portable_png.h"

#include <cassert>
#include <cctype>
#include <vector>

namespace patchkit {

namespace {

using namespace patcher::detail;

uint32_t g_clock = 1000;
const SessionOptions* g_options = nullptr; // of the session that lives
StartupCalls g_startup {};

uint32_t SessionClock()
{
    return g_clock;
}

patcher::os::InstanceLock NoInstanceLock(const char*, uintptr_t* lock)
{
    *lock = 0;
    return patcher::os::InstanceLock::Failed;
}

bool SameCode(const char* a, const std::string& b)
{
    size_t i = 0;
    for (; a[i] != 0 && i < b.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i]))
            != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return a[i] == 0 && i == b.size();
}

// The dialog's item of the wanted language: the first without a wish, count when it is not
// offered.
uint32_t WantedItem(uint32_t count, const uint32_t* rows, const std::string& code)
{
    if (code.empty())
        return 0;
    for (uint32_t i = 0; i < count; ++i)
        if (SameCode(PTCH_LANGUAGES[rows[i]].code, code))
            return i;
    return count;
}

// A point of the desktop over the list's item, found through the list's own hit test.
bool ItemPoint(c_GUIB_ListBox& list, uint32_t item, GUIB_Point* at)
{
    int32_t width = 0;
    int32_t height = 0;
    list.GetSize(&width, &height);
    for (int32_t y = 0; y < height; ++y) {
        GUIB_Point p { width / 3, y };
        if (list.ItemAt(&p) == item) {
            list.ToRoot(&p);
            *at = p;
            return true;
        }
    }
    return false;
}

// The language dialog as the program shows it, answered like a person: the wanted row clicked,
// then "Ok" (or "Quit" when the language is not offered).
int AnswerLanguageDialog(uint32_t count, const uint32_t* rows)
{
    c_GUIB_Environment* environment = PTCH_GetEnvironment();
    c_GUIB_Desktop* desktop
        = environment != nullptr ? MakeLanguageDialogDesktop(environment, count) : nullptr;
    if (desktop == nullptr)
        return 0;
    int result = 0;
    {
        const LanguageDialog dialog(desktop, count, rows);
        SettleDesktop(*desktop, 2);
        const uint32_t item = WantedItem(count, rows, g_options->language);
        GUIB_Point at {};
        const bool offered = item < count && ItemPoint(*dialog.List(), item, &at);
        if (offered) {
            ClickDesktop(*desktop, at.x, at.y);
            SettleDesktop(*desktop, 2);
            if (g_options->onLanguageDialog)
                g_options->onLanguageDialog(*desktop);
        }
        // "Ok" and "Quit" sit in the bottom row, at the left and the right margin.
        int32_t width = 0;
        int32_t height = 0;
        desktop->GetSize(&width, &height);
        const int32_t y
            = height - PTCH_MARGIN - LanguageDialogRowHeight(environment) + PTCH_MARGIN / 2;
        const int32_t x = offered ? PTCH_MARGIN : width - PTCH_MARGIN - PTCH_BUTTON_WIDTH;
        ClickDesktop(*desktop, x + PTCH_BUTTON_WIDTH / 2, y);
        result = RunLanguageDialog(desktop, dialog);
    }
    desktop->Drop();
    return result;
}

void Post(c_GUIB_Desktop& desktop, uint32_t message, int32_t x, int32_t y)
{
    (void)desktop.PostSystemMessage(message, 0, GUIB_MakePointParam(x, y));
    (void)desktop.Pump();
}

}

void SettleDesktop(c_GUIB_Desktop& desktop, int passes)
{
    for (int i = 0; i < passes; ++i)
        (void)desktop.Pump();
}

void ClickDesktop(c_GUIB_Desktop& desktop, int32_t x, int32_t y)
{
    Post(desktop, GUIB_WM_MOUSEMOVE, x, y);
    Post(desktop, GUIB_WM_LBUTTONDOWN, x, y);
    Post(desktop, GUIB_WM_LBUTTONUP, x, y);
    Post(desktop, GUIB_WM_MOUSEMOVE, 0, 0);
}

void ClickWindow(c_GUIB_Desktop& desktop, c_GUIB_Window& window)
{
    int32_t width = 0;
    int32_t height = 0;
    window.GetSize(&width, &height);
    GUIB_Point middle { width / 2, height / 2 };
    window.ToRoot(&middle);
    ClickDesktop(desktop, middle.x, middle.y);
}

std::vector<uint32_t> DesktopPixels(const c_GUIB_Desktop& desktop, int32_t* width, int32_t* height)
{
    const c_GUIB_Bitmap* surface = desktop.GetSurface();
    *width = *height = 0;
    if (surface == nullptr)
        return {};
    surface->GetSize(width, height);
    const size_t count = static_cast<size_t>(*width) * static_cast<size_t>(*height);
    std::vector<uint32_t> pixels(count);
    if (!desktop.ReadPresented(pixels.data()))
        pixels.assign(surface->GetPixels(), surface->GetPixels() + count);
    // The window shows every pixel opaque, whatever alpha the surface keeps.
    for (uint32_t& pixel : pixels)
        pixel |= 0xFF000000;
    return pixels;
}

bool SaveDesktopPicture(const c_GUIB_Desktop& desktop, const std::filesystem::path& path)
{
    int32_t width = 0;
    int32_t height = 0;
    const std::vector<uint32_t> pixels = DesktopPixels(desktop, &width, &height);
    return !pixels.empty() && portable_png::WritePng(path, pixels.data(), width, height, width);
}

InstallerSession::InstallerSession(SessionOptions options)
    : m_options(std::move(options))
{
    assert(g_options == nullptr && "the installer's state allows one session at a time");
    g_options = &m_options;
    g_startup = NativeStartupCalls();
    g_startup.chooseLanguage = AnswerLanguageDialog;
    if (!m_options.instanceLock)
        g_startup.takeInstanceLock = NoInstanceLock;
    ReplaceStartupCalls(&g_startup);
    g_clock = 1000;
    GUIB_SetTickSource(SessionClock);
}

InstallerSession::~InstallerSession()
{
    if (m_launched)
        PTCH_Done();
    GUIB_SetTickSource(nullptr);
    ReplaceStartupCalls(nullptr);
    g_options = nullptr;
}

int InstallerSession::Launch()
{
    std::error_code error;
    const std::filesystem::path program
        = std::filesystem::absolute(m_options.distribution, error) / "patcher.exe";
    const int launched = PTCH_Launch(0, PTCH_CommandLine(program.string().c_str()).c_str());
    m_launched = launched == PTCH_LAUNCHED;
    return launched;
}

void InstallerSession::Start()
{
    PTCH_Start();
    Settle(3, false);
}

bool InstallerSession::Running() const
{
    return m_launched && PTCH_IsRunning();
}

c_GUIB_Desktop* InstallerSession::Desktop() const
{
    return m_launched ? PTCH_GetDesktop() : nullptr;
}

void InstallerSession::Settle(int passes, bool tick)
{
    for (int i = 0; i < passes && Running(); ++i) {
        if (tick)
            g_clock += 21;
        if (PTCH_GetDesktop()->Pump() == 0)
            PTCH_SetRunning(false);
    }
}

void InstallerSession::Click(int32_t x, int32_t y, bool tick)
{
    if (!Running())
        return;
    ClickDesktop(*PTCH_GetDesktop(), x, y);
    Settle(3, tick);
}

void InstallerSession::ClickButton(int button, bool tick)
{
    if (!Running() || button < 1 || button > 3)
        return;
    ClickWindow(*PTCH_GetDesktop(), *WizardState().buttons[button - 1]);
    Settle(3, tick);
}

bool InstallerSession::SavePicture(const std::filesystem::path& path) const
{
    return m_launched && PTCH_GetDesktop() != nullptr
        && SaveDesktopPicture(*PTCH_GetDesktop(), path);
}

}
