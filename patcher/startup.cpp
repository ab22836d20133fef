// The installer's start and end: the single-instance lock, the modules started in a fixed
// order (the staged installer data mounted, its texts loaded, the toolkit, the installed
// record, the language), the main loop over the desktop's pump, and the shutdown that releases
// everything in reverse order, also after a start that failed half-way.
#include "patcher/patcher_internal.h"

#include "bigfile/bigfile.h"
#include "guib/guib.h"
#include "installlib/installlib.h"
#include "ml/ml.h"

namespace {

using namespace patcher::detail;

constexpr size_t MESSAGE_CAPACITY = 512;
constexpr const char* FATAL = "Fatal error";
constexpr const char* CRITICAL = "Critical error";

// What the start has brought up, so that one shutdown serves a failed start and the end.
struct Started {
    uintptr_t instanceLock = 0;
    bool platform = false;
    bool installLib = false;
    bool archives = false;
    bool dataLoaded = false;
    bool gui = false;
    bool com = false;
};
Started g_started;
SYS_StartRecord g_startRecord {};

void ShutDown()
{
    // A copy still under way reads from the archives: it ends before anything it uses goes.
    PTCH_StopEngine();
    if (g_started.com)
        Startup().doneCom();
    VI_Done();
    if (g_started.dataLoaded)
        ML_Free();
    if (c_GUIB_Desktop* desktop = PTCH_GetDesktop(); desktop != nullptr) {
        SetDesktop(nullptr);
        desktop->Drop();
    }
    if (g_started.gui)
        GUI_Done();
    SetEnvironment(nullptr);
    SetLanguageCode(nullptr);
    if (g_started.platform)
        (void)SYS_ModuleNotice(TAG, nullptr);
    if (g_started.archives)
        BF_Shutdown();
    if (g_started.installLib)
        DoneInstallLib();
    if (g_started.platform)
        SYS_Shutdown();
    const uintptr_t lock = g_started.instanceLock;
    g_started = Started {};
    g_started.instanceLock = lock;
    PTCH_SetRunning(false);
}

// Shows the message (none for a silent failure) and shuts down what was started.
int Fail(const char* text = nullptr, const char* caption = nullptr)
{
    if (text != nullptr)
        StartMessage(text, caption);
    ShutDown();
    return 0;
}

// The archive file system over the start folder, and "patcher.cbf" staged in the temporary
// folder (deleted again when the installation library shuts down) and mounted.
int StartArchives()
{
    char pattern[16];
    (void)SYS_Format(pattern, sizeof pattern, "*.%s", "cbf");
    BF_InitParams params {};
    params.filePattern = pattern;
    params.baseDir = PTCH_GetStartFolder();
    // An empty start folder is one the command line could not give without cutting a path.
    if (params.baseDir[0] == 0 || BF_Init(&params) == 0)
        return Fail();
    g_started.archives = true;
    char16_t source[PATH_CAPACITY];
    char16_t staged[PATH_CAPACITY];
    if (PTCH_GetInstallerArchivePath(source, PATH_CAPACITY) == 0
        || CopyToTemp(source, staged, PATH_CAPACITY) == 0) {
        SYS_Trace(TAG, 1, "Cannot copy patcher.cbf into system temp directory.");
        return Fail();
    }
    (void)ScheduleDelete(staged);
    if (LoadBF(staged, 0) != BF_OK)
        return Fail("Cannot load installer data file (patcher.cbf)", FATAL);
    return 1;
}

int LoadInstallerData()
{
    const ML_Request request { "ENG", "patcher.txt" };
    if (ML_LoadInstallerData(&request) == 0) {
        ML_Free();
        return Fail("Patch definition CBF file missing or corrupted(patcher.txt)", FATAL);
    }
    g_started.dataLoaded = true;
    return 1;
}

int StartGui()
{
    const GUIB_Options options { 1 };
    c_GUIB_Environment* environment = nullptr;
    const SYS_Status status = GUI_Init(&options, &environment);
    if (status != SYS_OK && status != GUIB_ALREADY_SET_UP)
        return Fail();
    // A toolkit that runs already is someone else's to end.
    g_started.gui = status == SYS_OK;
    SetEnvironment(environment);
    return 1;
}

bool LanguageFileExists(const char* code)
{
    char path[PATH_CAPACITY];
    return LanguageFilePath(path, sizeof path, code, "txt") && BF_Exists(path) != 0;
}

// The language the installed record names, when its file is there.
bool ChooseRecordedLanguage(const VersionInfo& record)
{
    for (const PTCH_Language& language : PTCH_LANGUAGES)
        if (language.id == record.language) {
            if (!LanguageFileExists(language.code))
                return false;
            SetLanguageCode(language.code);
            return true;
        }
    return false;
}

// An unattended run asks nobody: the language it was given when its file is there, else the
// first candidate.
void ChooseUnattended(const std::vector<uint32_t>& candidates, const char* wanted)
{
    uint32_t chosen = candidates[0];
    for (const uint32_t row : candidates)
        if (wanted != nullptr && SYS_StrCompare(PTCH_LANGUAGES[row].code, wanted) == 0)
            chosen = row;
    SetLanguageCode(PTCH_LANGUAGES[chosen].code);
}

// The language of the only language file, or the dialog's choice among several.
int ChooseScannedLanguage()
{
    std::vector<uint32_t> candidates;
    if (!ScanLanguageFiles(&candidates))
        return Fail("No language definition file found.", CRITICAL);
    if (candidates.empty())
        return Fail("No supported language definition file found.", CRITICAL);
    if (candidates.size() == 1 || GetSilentMode() != nullptr) {
        ChooseUnattended(candidates, GetSilentMode() ? GetSilentMode()->language : nullptr);
        return 1;
    }
    if (Startup().chooseLanguage(static_cast<uint32_t>(candidates.size()), candidates.data()) == 0)
        return Fail();
    return 1;
}

int LoadLanguage()
{
    char path[PATH_CAPACITY];
    char message[MESSAGE_CAPACITY];
    const ML_Request request { PTCH_GetLanguageCode(), path };
    if (LanguageFilePath(path, sizeof path, PTCH_GetLanguageCode(), "txt")
        && ML_LoadLanguage(&request) != 0)
        return 1;
    (void)SYS_Format(message, sizeof message, "Cannot load language file (%s)", path);
    return Fail(message, FATAL);
}

}

int PTCH_Launch(uintptr_t instance, const char* commandLine)
{
    uintptr_t lock = 0;
    const bool silent = GetSilentMode() != nullptr;
    if (Startup().takeInstanceLock(PTCH_INSTANCE_LOCK, &lock)
        == patcher::os::InstanceLock::HeldElsewhere) {
        if (silent)
            StartMessage("Another installer is running.", "Critical error");
        else
            Startup().bringWindowForward(PTCH_WINDOW_CLASS);
        return PTCH_ALREADY_RUNNING;
    }
    // A lock that cannot be had at all (no runtime folder) does not keep the installer from
    // running; it only cannot keep a second one away.
    g_started.instanceLock = lock;
    PTCH_ReadCommandLine(commandLine);
    if (PTCH_Init(instance) == 0) {
        PTCH_Done();
        return PTCH_START_FAILED;
    }
    // An unattended run has no window.
    if (!silent && PTCH_InitGUI() == 0) {
        PTCH_Done();
        return PTCH_START_FAILED;
    }
    return PTCH_LAUNCHED;
}

int PTCH_Init(uintptr_t instance)
{
    g_startRecord = SYS_StartRecord { sizeof(SYS_StartRecord), "patch.log", instance };
    (void)SYS_Init(&g_startRecord);
    (void)SYS_ModuleNotice(TAG, "Main");
    g_started.platform = true;
    if (InitInstallLib() == 0)
        return Fail();
    g_started.installLib = true;
    if (StartArchives() == 0 || LoadInstallerData() == 0 || StartGui() == 0)
        return 0;
    if (PTCH_ReadInstalledRecord(InstalledRecord()) == 0
        || !ChooseRecordedLanguage(*InstalledRecord()))
        if (ChooseScannedLanguage() == 0)
            return 0;
    if (LoadLanguage() == 0)
        return 0;
    g_started.com = Startup().initCom();
    return 1;
}

void PTCH_Done()
{
    ShutDown();
    Startup().releaseInstanceLock(g_started.instanceLock);
    g_started.instanceLock = 0;
}

void PTCH_MainLoop()
{
    c_GUIB_Desktop* desktop = PTCH_GetDesktop();
    while (PTCH_IsRunning() && desktop != nullptr) {
        Startup().waitForInput(1);
        if (desktop->Pump() == 0)
            PTCH_SetRunning(false);
    }
}
