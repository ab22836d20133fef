// ProgressPage: the page that runs the patch engine. It starts the first archive, polls the
// worker on every tick, moves the two bars and the file label, and turns the engine's outcome
// into the wizard's notifications: a retry box for a missing archive, the end of the patch, or
// the failure with its text.
#include "patcher/patcher_internal.h"

#include "installlib/installlib.h"
#include "ml/ml.h"

namespace {

using namespace patcher::detail;

constexpr int32_t TEXT_HEADING = 110;
constexpr int32_t TEXT_TOTAL = 111;

GUIB_WindowCreate ChildAt(c_GUIB_Window* page, const GUIB_Rect& r)
{
    return { r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, page, page->GetEnvironment(),
        nullptr, 0 };
}

// The desktop's system window, 0 when there is none.
uintptr_t DesktopWindow(c_GUIB_Window* window)
{
    c_GUIB_Window* root = window->GetRoot();
    if (root == nullptr)
        return 0;
    const auto* desktop = dynamic_cast<c_GUIB_Desktop*>(root);
    const uintptr_t handle = desktop != nullptr ? desktop->GetWindowHandle() : 0;
    root->Drop();
    return handle;
}

bool Chosen(const uint32_t* choice)
{
    return choice != nullptr && *choice != 0;
}

}

ProgressPage::ProgressPage(const GUIB_WindowCreate* create, const ProgressSetup* setup)
    : c_GUIB_Panel(create)
    , m_setup(*setup)
{
    const int32_t width = m_rect.right;
    const auto t = static_cast<int32_t>(m_environment->Property(GUIB_PROP_SCROLL_BAR_SIZE));
    const int32_t m = width / 10;
    const int32_t y0 = (m_rect.bottom - 5 * t) / 2;
    (void)MakeLabel({ m, 0, width - m, 2 * t }, ML_GetStringA(TEXT_HEADING), GUIB_ALIGN_WRAP);
    m_fileLabel = MakeLabel({ m, y0, width - m, y0 + t }, nullptr, m_textAlign);
    m_fileBar = MakeBar({ m, y0 + t, width - m, y0 + 2 * t });
    (void)MakeLabel(
        { m, y0 + 3 * t, width - m, y0 + 4 * t }, ML_GetStringA(TEXT_TOTAL), m_textAlign);
    m_totalBar = MakeBar({ m, y0 + 4 * t, width - m, y0 + 5 * t });
    m_engineReady = PTCH_EngineInit(&m_engine, &m_setup.target) != 0;
}

ProgressPage::~ProgressPage()
{
    CloseRetryBox();
    if (m_engineReady)
        PTCH_EngineDone(&m_engine);
}

c_GUIB_Label* ProgressPage::MakeLabel(const GUIB_Rect& r, const char* text, uint32_t align)
{
    GUIB_WindowCreate create = ChildAt(this, r);
    auto* label = new c_GUIB_Label(&create);
    label->SetFrameStyle(0);
    (void)label->SetFillColour(1, 0);
    (void)label->SetTextColour(0, m_environment->Property(PROP_PAGE_TEXT_COLOUR));
    label->SetTextAlign(align);
    label->SetCaption(text);
    return label;
}

c_GUIB_ProgressBar* ProgressPage::MakeBar(const GUIB_Rect& r)
{
    GUIB_WindowCreate create = ChildAt(this, r);
    auto* bar = new c_GUIB_ProgressBar(&create);
    bar->SetValue(0, 0);
    return bar;
}

namespace patcher::detail {

FinishChoices FinishChoicesOf(const ProgressSetup& setup, InstallLib_WindowPump* window)
{
    return { Chosen(setup.desktopLinks), Chosen(setup.programLinks),
        Chosen(setup.runProgram) && ML_GetFlag(PTCH_ID_RUN_PROGRAM), setup.target.keepNewer,
        window };
}

}

void ProgressPage::Start()
{
    if (!m_engineReady) {
        (void)Notify(PTCH_EV_FAILED, reinterpret_cast<uintptr_t>(m_engine.errorText), 0);
        return;
    }
    StartCurrent();
}

void ProgressPage::StartCurrent()
{
    if (!PTCH_StartCurrentArchive(&m_engine))
        AskRetry();
}

uint32_t ProgressPage::OnMessage(uint32_t message, uintptr_t p1, uintptr_t p2)
{
    if (message == GUIB_MSG_TICK && m_engineReady)
        Poll();
    return c_GUIB_Panel::OnMessage(message, p1, p2);
}

void ProgressPage::Poll()
{
    PatchProgress progress {};
    PollWorker(&m_engine, &progress);
    if (progress.result == PTCH_PollResult::Idle)
        return;
    m_fileLabel->SetCaption(progress.fileLabel);
    m_fileBar->SetValue(progress.fileBar, 0);
    m_totalBar->SetValue(progress.totalBar, 0);
    switch (progress.result) {
    case PTCH_PollResult::MountFailed:
        AskRetry();
        break;
    case PTCH_PollResult::Complete:
        Finish();
        break;
    case PTCH_PollResult::Failed:
        (void)Notify(PTCH_EV_FAILED, reinterpret_cast<uintptr_t>(m_engine.errorText), 0);
        break;
    default:
        break;
    }
}

// The box names the archive the engine waits for; its one answer comes to OnRetryAnswer.
void ProgressPage::AskRetry()
{
    CloseRetryBox();
    c_GUIB_Window* desktop = GetRoot();
    if (desktop == nullptr)
        return;
    m_retryBox = GUIB_MessageBox(desktop, ML_GetStringW(PTCH_TEXT_RETRY_TITLE),
        ML_GetStringW(static_cast<int32_t>(PTCH_ID_ARCHIVE_COUNT + m_engine.currentArchive)),
        GUIB_MB_OK | GUIB_MB_CANCEL, nullptr);
    desktop->Drop();
    if (m_retryBox == nullptr)
        return;
    m_retryBox->Grab();
    (void)m_retryBox->AddCallback(RetryHandler, reinterpret_cast<uintptr_t>(this));
}

// Lets go of the box; it closes itself after its answer, or stays for the desktop to end.
void ProgressPage::CloseRetryBox()
{
    if (m_retryBox == nullptr)
        return;
    m_retryBox->RemoveCallback(RetryHandler);
    m_retryBox->Drop();
    m_retryBox = nullptr;
}

void ProgressPage::OnRetryAnswer(uint32_t answer)
{
    if (answer == GUIB_MB_OK)
        StartCurrent();
    else
        (void)Notify(PTCH_EV_CANCELLED, 0, 0);
}

uint32_t ProgressPage::RetryHandler(
    c_GUIB_Window* box, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t)
{
    auto* page = reinterpret_cast<ProgressPage*>(user);
    if (code != GUIB_MB_RESULT || box != page->m_retryBox)
        return 0;
    page->CloseRetryBox();
    page->OnRetryAnswer(static_cast<uint32_t>(p1));
    return 1;
}

// The end of the patch. The installer's window is out of the way while the patch's program
// runs, and back before the wizard moves on.
void ProgressPage::Finish()
{
    const uintptr_t window = DesktopWindow(this);
    InstallLib_MessagePump pump(window);
    const FinishChoices choices = FinishChoicesOf(m_setup, &pump);
    if (choices.runProgram)
        Sys().showWindow(window, false);
    (void)PTCH_Finish(&choices);
    if (choices.runProgram)
        Sys().showWindow(window, true);
    (void)Notify(PTCH_EV_COMPLETE, 0, 0);
}
