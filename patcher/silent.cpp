// The unattended run ("/silent"): the installer's start without a window, the wizard's own
// decisions on the first page and the disk space, the engine over every archive with every
// option at its default, and the end of the patch. Nothing asks: a refusal or a failure prints
// the text its page would show and sets the exit code; each file and registry value written
// is one line of the report.
#include "patcher/patcher_internal.h"

#include "ml/ml.h"

namespace {

using namespace patcher::detail;

SilentLog* g_log = nullptr;

void ReportMessage(const char* caption, const char* text)
{
    g_log->Line(std::string(caption) + ": " + text);
}

void ReportLoadError(const char* fileName, int32_t line, const char16_t* message)
{
    g_log->Line(std::string(fileName != nullptr ? fileName : "") + "(" + std::to_string(line)
        + "): " + SilentLog::Utf8Of(message));
}

void ReportFile(void* context, PTCH_FileOutcome outcome, const char* destination)
{
    const char* word = outcome == PTCH_FileOutcome::Written ? "written"
        : outcome == PTCH_FileOutcome::Replaced             ? "replaced"
                                                            : "kept";
    static_cast<SilentLog*>(context)->PathLine(word, destination);
}

void ReportLink(void* context, const char16_t* linkFile)
{
    static_cast<SilentLog*>(context)->Line("shortcut " + SilentLog::Utf8Of(linkFile));
}

// The texts the result page would show, one line (or more) each.
int PrintPage(uint32_t page, int code, uint64_t extra1 = 0, uint64_t extra2 = 0)
{
    ResultContent content;
    (void)ResultPageContent(page, extra1, extra2, &content);
    for (size_t i = 0; i < content.count; ++i)
        g_log->Line(SilentLog::Utf8Of(content.items[i].text));
    return code;
}

uint64_t Extra(const char16_t* text)
{
    return reinterpret_cast<uintptr_t>(text);
}

// Every archive in turn until the last is done, the copy fails or an archive is missing (no
// retry: nobody is there to put it in place).
int CopyArchives(PatchEngine& engine)
{
    if (PTCH_StartCurrentArchive(&engine) == 0)
        return PrintPage(11, SILENT_FAILED,
            Extra(PageText(static_cast<int32_t>(PTCH_ID_ARCHIVE_COUNT + engine.currentArchive))));
    for (;;) {
        PatchProgress progress {};
        PollWorker(&engine, &progress);
        switch (progress.result) {
        case PTCH_PollResult::Running:
            Startup().waitForInput(1);
            break;
        case PTCH_PollResult::Complete:
            return SILENT_PATCHED;
        case PTCH_PollResult::MountFailed:
            return PrintPage(11, SILENT_FAILED,
                Extra(
                    PageText(static_cast<int32_t>(PTCH_ID_ARCHIVE_COUNT + engine.currentArchive))));
        case PTCH_PollResult::Failed:
        case PTCH_PollResult::Idle: // nothing runs that could still finish the patch
            return PrintPage(11, SILENT_FAILED, Extra(engine.errorText));
        }
    }
}

int Patch()
{
    const ProgressSetup setup = ProgressSetupOf(WizardState());
    PatchEngine engine;
    if (PTCH_EngineInit(&engine, &setup.target) == 0)
        return PrintPage(11, SILENT_FAILED);
    engine.fileHook = ReportFile;
    engine.fileHookContext = g_log;
    const int code = CopyArchives(engine);
    PTCH_EngineDone(&engine);
    if (code == SILENT_PATCHED) {
        FinishChoices choices = FinishChoicesOf(setup, nullptr);
        choices.linkHook = ReportLink;
        choices.linkHookContext = g_log;
        (void)PTCH_Finish(&choices);
    }
    return code;
}

// The wizard's first page and, past the start page, its disk check; then the copy.
int Decide()
{
    const uint32_t first = PrepareWizard();
    if (first != 0)
        return PrintPage(first, SILENT_REFUSED);
    uint64_t free = 0;
    if (!EnoughDiskSpace(&free))
        return PrintPage(13, SILENT_REFUSED, free, WizardState().settings.neededBytes);
    return Patch();
}

int Run(uintptr_t instance, const char* commandLine)
{
    // Some failures of the start end it without a message; the report always names the end.
    if (PTCH_Launch(instance, commandLine) != PTCH_LAUNCHED) {
        g_log->Line("The installer could not start.");
        return SILENT_START_FAILED;
    }
    const int code = Decide();
    PTCH_Done();
    return code;
}

}

namespace patcher::detail {

int RunSilent(uintptr_t instance, const char* commandLine, const Switches& switches)
{
    SilentLog log;
    if (!log.Open(switches.logFile))
        return SILENT_START_FAILED;
    if (!switches.problem.empty()) {
        log.Line("Unknown switch or bad value: " + switches.problem);
        return SILENT_START_FAILED;
    }
    g_log = &log;
    const SilentMode mode { switches.language, ReportMessage };
    SetSilentMode(&mode);
    const ML_ErrorSink sink = ML_SetErrorSink(ReportLoadError);
    int code = SILENT_START_FAILED;
    {
        // The record's last write comes with the shutdown, which Run waits for.
        RegistryReport registry(log);
        code = Run(instance, commandLine);
    }
    (void)ML_SetErrorSink(sink);
    SetSilentMode(nullptr);
    g_log = nullptr;
    return code;
}

}
