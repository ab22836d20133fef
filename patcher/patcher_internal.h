// The installer module's private parts: the table through which the portable code reaches the
// registry and allocates its records (tests replace entries to stand in for the system), and
// the bounded text helpers shared by the version record, the game detection and the file list.
#pragma once

#include "guib/guib.h"
#include "patcher/os_engine.h"
#include "patcher/os_startup.h"
#include "patcher/os_window.h"
#include "patcher/patcher.h"

class InstallLib_FileReplacement;

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace patcher::detail {

inline constexpr uint32_t TAG = SYS_TAG_MAIN;
inline constexpr size_t PATH_CAPACITY = PTCH_PATH_CAPACITY;

// Environment properties the pages take their text colours from.
inline constexpr uint32_t PROP_PAGE_TEXT_COLOUR = 6;
inline constexpr uint32_t PROP_CHECK_TEXT_COLOUR = 5;

// ---- System calls -------------------------------------------------------------------------

// The registry calls the module makes, the allocation of its records, the patch engine's system
// calls and member reads, and the wizard's window calls. The native table holds the platform
// layer's and the backends' functions and BF_Read.
struct SystemCalls {
    SYS_RegKey (*openKey)(const char* path);
    SYS_RegKey (*createKey)(const char* path);
    uint32_t (*closeKey)(SYS_RegKey key);
    SYS_Status (*querySize)(SYS_RegKey key, const char* name, uint32_t* size);
    SYS_Status (*queryValue)(
        SYS_RegKey key, const char* name, void* buffer, uint32_t bufferSize, uint32_t* bytesRead);
    SYS_Status (*setString)(SYS_RegKey key, const char* name, const char* text);
    SYS_Status (*setDword)(SYS_RegKey key, const char* name, uint32_t value);
    SYS_Status (*beginBatch)(SYS_RegKey key);
    SYS_Status (*commitBatch)(SYS_RegKey key);
    void* (*alloc)(size_t size, const char* label, uint32_t tag);
    uintptr_t (*startThread)(os::ThreadProcedure procedure, void* argument);
    void (*joinThread)(uintptr_t thread);
    uint32_t (*readMember)(uintptr_t file, void* buffer, uint32_t count);
    bool (*createFolder)(const char* path);
    bool (*freeDiskSpace)(const char* folder, uint64_t* bytes);
    bool (*startProgram)(const char* program, const char* commandLine, const char* folder);
    bool (*listFiles)(const char* folder, os::FileVisitor visit, void* context);
    bool (*openTarget)(const char* target);
    void (*showWindow)(uintptr_t window, bool show);
};

// The table in use, and the platform layer's own.
const SystemCalls& Sys();
const SystemCalls& NativeSystemCalls();
// Puts calls in place of the table in use (null restores the native table). For tests; the
// table must outlive its use.
void ReplaceSystemCalls(const SystemCalls* calls);

// ---- Registry reads -----------------------------------------------------------------------

// Reads a text value into a buffer of capacity bytes: at most capacity - 1 bytes are asked for
// and the text is always terminated. False (buffer empty) when the value is missing or needs
// more room.
bool ReadRegistryText(SYS_RegKey key, const char* name, char* buffer, size_t capacity);
// Reads a 4-byte value (little-endian, whatever its type). value is written only on success;
// a missing value, or one longer than 4 bytes, leaves it as it was.
bool ReadRegistryDword(SYS_RegKey key, const char* name, uint32_t* value);

// ---- Version record store -----------------------------------------------------------------

// Texts longer than this are not read as version names (they count as missing).
inline constexpr uint32_t NAME_LIMIT = 65535;
// A name block of the store: length + 1 bytes, the last one 0. Null without memory.
char* AllocRecordName(size_t length);
// Frees a name block that was never handed out.
void FreeRecordName(const char* name);
// Hands a name over to the store's retired list: it stays valid until VI_Done frees it.
void RetireRecordName(const char* name);
// The selected key path ("" when the store is not active) and the cached record.
const char* StoreKeyPath();
VersionInfo& StoreRecord();

// ---- Bounded text -------------------------------------------------------------------------

// Appends source to the text in destination; false (destination unchanged) when it does not fit.
bool Append(char* destination, size_t capacity, const char* source);
// Appends "\\" unless the text is empty or ends in "\\" or "/".
bool EnsureSeparator(char* destination, size_t capacity);
// folder and name joined with "%s%s" when folder is empty or ends in a separator, else with
// "%s\\%s". False when the result does not fit.
bool JoinPath(char* destination, size_t capacity, const char* folder, const char* name);
// The 8-bit path converted from the file-API code page. False when it cannot be converted or
// does not fit.
bool FileApiToWidePath(char16_t* destination, size_t capacity, const char* path);
// A copy of text in a block of its own with the given label, or null.
char* CopyToBlock(const char* text, const char* label);

// ---- Patch engine -------------------------------------------------------------------------

inline constexpr uint32_t COPY_CHUNK = 65536;

// Holds an engine's lock for its lifetime.
class EngineLock {
public:
    explicit EngineLock(const PatchEngine& engine)
        : m_lock(engine.lock)
    {
        (void)SYS_MutexLock(m_lock, SYS_WAIT_FOREVER);
    }
    ~EngineLock() { (void)SYS_MutexUnlock(m_lock); }
    EngineLock(const EngineLock&) = delete;
    EngineLock& operator=(const EngineLock&) = delete;

private:
    SYS_Handle m_lock;
};

// Visits every item of a file list in order, each taken with a reference while visit runs;
// stops at the first false and returns it.
template <typename Visit> bool ForEachFileItem(SYS_ItemStore* list, Visit visit)
{
    uint32_t count = 0;
    (void)SYS_StoreCount(list, &count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t id = 0;
        uintptr_t value = 0;
        if (SYS_StoreGetAt(list, static_cast<int32_t>(i), &id, &value) != SYS_OK)
            return false;
        const bool going = visit(*reinterpret_cast<const FileItem*>(value));
        (void)SYS_StoreRelease(list, id, 1);
        if (!going)
            return false;
    }
    return true;
}

// Starts the worker on list (which the engine then owns) and waits until it has taken its
// parameters. When no thread can be started the engine's state is PTCH_STATE_FAILED.
void StartWorker(PatchEngine& engine, SYS_ItemStore* list);
// The engine's error text: text, a line break and path (converted from the file-API code page,
// or widened byte by byte when it cannot be), cut short to the buffer.
void SetErrorText(PatchEngine& engine, const char16_t* text, const char* path);

// The worker thread's procedure: argument is the PatchEngine. Takes the engine's target and
// file list, sets the started event (on every path) and copies the list. Returns 1.
uint32_t CopyWorker(void* argument);

// Begins the replacement of destination (8-bit, absolute), creating the folders it needs.
// False when the temporary file beside destination cannot be made even then.
bool CreateDestination(const char* destination, InstallLib_FileReplacement* replacement);

// Whether name is a temporary file of a replacement: "~pt", 8 lower-case hex digits, ".tmp".
bool IsTemporaryName(const char* name);
// Removes the temporary files that an earlier, killed run left in the folders the list's
// destinations go into (relative ones below base). Links and folders are never touched.
void RemoveLeftovers(SYS_ItemStore* list, const char* base);

// ---- Start-up -----------------------------------------------------------------------------

// The system calls of the start and the language dialog it may show. The native table holds
// the start-up backend's functions, the platform layer's message box and GetLanguageDialog.
struct StartupCalls {
    os::InstanceLock (*takeInstanceLock)(const char* name, uintptr_t* lock);
    void (*releaseInstanceLock)(uintptr_t lock);
    void (*bringWindowForward)(const char* className);
    uint32_t (*currentFolder)(char* buffer, uint32_t capacity);
    uintptr_t (*loadProgramIcon)(uintptr_t instance);
    bool (*initCom)();
    void (*doneCom)();
    void (*waitForInput)(uint32_t milliseconds);
    void (*showMessage)(const char* text, const char* caption);
    int (*chooseLanguage)(uint32_t count, const uint32_t* rows);
};
const StartupCalls& Startup();
const StartupCalls& NativeStartupCalls();
// Puts calls in place of the table in use (null restores the native table). For tests; the
// table must outlive its use.
void ReplaceStartupCalls(const StartupCalls* calls);

// The start folder the command line gives (PTCH_ReadCommandLine's rule) into folder, ending in
// "\\". False, with folder empty, when neither the program's folder nor the current folder fits
// capacity with the separator.
bool StartFolderOf(const char* commandLine, char* folder, size_t capacity);

// The text after the command line's first token (the program path, quoted or up to a blank).
const char* ArgumentsOf(const char* commandLine);

// The switches after the program path. Without "/silent" the installer ignores them all.
struct Switches {
    bool silent = false;
    const char* language = nullptr; // "/lang=CODE": a code of the language table
    std::string logFile; // "/log=FILE"
    std::string problem; // the first token that is no switch or has a bad value; "" when none
};
Switches SwitchesOf(const char* commandLine);

// An unattended run: no window and no question. The language from the record, else
// language when its file is there, else the first candidate; start-up messages go to report
// instead of message boxes. Set by the silent run before the start, cleared after its end.
struct SilentMode {
    const char* language;
    void (*report)(const char* caption, const char* text);
};
void SetSilentMode(const SilentMode* mode);
const SilentMode* GetSilentMode();
// A start-up message: a message box, or the silent run's report.
void StartMessage(const char* text, const char* caption);

// The exit codes of an unattended run.
inline constexpr int SILENT_PATCHED = 0;
inline constexpr int SILENT_START_FAILED = 1;
inline constexpr int SILENT_REFUSED = 2;
inline constexpr int SILENT_FAILED = 3;
// The unattended run of a command line whose switches hold "/silent".
int RunSilent(uintptr_t instance, const char* commandLine, const Switches& switches);

// The unattended run's report: lines appended to a log file, or written to the error stream.
// Lines may come from the copy worker and the main thread.
class SilentLog {
public:
    SilentLog() = default;
    ~SilentLog();
    SilentLog(const SilentLog&) = delete;
    SilentLog& operator=(const SilentLog&) = delete;

    // Opens path for appending (created when missing); "" keeps the error stream. False, with a
    // line on the error stream, when the file cannot be opened.
    bool Open(const std::string& path);
    // One line of UTF-8 text.
    void Line(const std::string& text);
    // word, a blank and the path (in the file-API code page) as the system names it: with "/"
    // for every "\\" on POSIX.
    void PathLine(const char* word, const char* path);
    static std::string Utf8Of(const char16_t* text);

private:
    SYS_Handle m_file = 0;
    std::mutex m_lock;
};

// While it lives, every registry value the module writes is reported to log as
// "registry HKEY_LOCAL_MACHINE\<key>\<name> = <value>" once the system has taken it.
class RegistryReport {
public:
    explicit RegistryReport(SilentLog& log);
    ~RegistryReport();
    RegistryReport(const RegistryReport&) = delete;
    RegistryReport& operator=(const RegistryReport&) = delete;

private:
    SystemCalls m_calls {};
    const SystemCalls* m_previous = nullptr;
};

// The language files in "Languages": whether any ".txt" file was found, and in candidates the
// table row of each file whose name before its first "." is a language code (case ignored),
// in the scan's order, a row as often as files name it.
bool ScanLanguageFiles(std::vector<uint32_t>* candidates);
// "Languages\\<code>.<extension>"; false when it does not fit.
bool LanguageFilePath(char* path, size_t capacity, const char* code, const char* extension);

// The run's state that the start and the window set.
void SetLanguageCode(const char* code);
void SetEnvironment(c_GUIB_Environment* environment);
void SetDesktop(c_GUIB_Desktop* desktop);
VersionInfo* InstalledRecord();

// The language dialog's controls on a desktop of LanguageDialogSize: a label, the list of the
// rows' names (the row index as each item's data, the first item current), "Ok" and "Quit".
// Clicks and a double click on the current item set the flags; the object must stay in place
// while the desktop lives.
class LanguageDialog {
public:
    LanguageDialog(c_GUIB_Desktop* desktop, uint32_t count, const uint32_t* rows);
    LanguageDialog(const LanguageDialog&) = delete;
    LanguageDialog& operator=(const LanguageDialog&) = delete;

    bool Answered() const { return m_confirmed != 0 || m_quit != 0; }
    c_GUIB_ListBox* List() const { return m_list; }
    // The row of the current item (the first item's when none is current), or
    // PTCH_LANGUAGE_COUNT when the item's data is no row.
    uint32_t ChosenRow() const;
    // 1 with the language code set when "Ok" or a double click confirmed a row, else 0.
    int Result() const;

private:
    uint32_t m_confirmed = 0;
    uint32_t m_quit = 0;
    c_GUIB_ListBox* m_list = nullptr;
};
// The dialog's row height (the environment's control unit) and its size for count rows.
int32_t LanguageDialogRowHeight(const c_GUIB_Environment* environment);
GUIB_Point LanguageDialogSize(const c_GUIB_Environment* environment, uint32_t count);
// Pumps the desktop until the dialog is answered or its window is closed; then its Result.
int RunLanguageDialog(c_GUIB_Desktop* desktop, const LanguageDialog& dialog);
// The dialog's desktop for count rows in a window of the installer's class and look; null
// (after the trace) when the window cannot be made.
c_GUIB_Desktop* MakeLanguageDialogDesktop(c_GUIB_Environment* environment, uint32_t count);

}

namespace patcher::detail {

// ---- Wizard -------------------------------------------------------------------------------

// The wizard's state: its windows, its page table and sequence, the user's choices (booleans
// that the check boxes set) and what the start read about the patch and the installed game.
struct Wizard {
    uint32_t currentPage;
    c_GUIB_Window* pages[PTCH_PAGE_COUNT]; // content windows, children of the frame
    uint32_t sequence[5]; // licence, option pages, ready
    uint32_t sequenceLength;
    uint32_t sequencePosition;
    uint32_t shortcutCount;
    uint32_t desktopChoice;
    uint32_t programChoice;
    uint32_t runChoice;
    uint32_t max51Choice;
    uint32_t max60Choice;
    bool editorToolsOffered;
    PatchSettings settings; // keepNewer is cleared unless the patch is a real downgrade
    InstalledGame game;
    MaxVersions max; // found flags follow the editor-tools choices when the copy starts
    c_GUIB_Panel* frame; // held by the desktop
    c_GUIB_Panel* title; // children of the frame
    c_GUIB_Label* status;
    c_GUIB_Button* buttons[3]; // bottom, middle, top; children of the column
};
Wizard& WizardState();

// The start's decisions, shared by the wizard and the unattended run: resets the wizard's state,
// reads the patch's settings, finds the game and compares the versions. The first page: 0 (the
// start page, the shortcut records then loaded) or the refusal 6, 9, 10 or 16.
uint32_t PrepareWizard();
// Whether the game's disk holds the patch's needed bytes; free receives what it has (all bits
// set when the disk cannot tell, which passes).
bool EnoughDiskSpace(uint64_t* free);
// What the copy needs from the wizard's state: the game folder, the distribution, the chosen
// editor tools (the found flags follow the choices from here on) and the choices to carry out.
ProgressSetup ProgressSetupOf(Wizard& w);
// The choices the end of the patch carries out for setup.
FinishChoices FinishChoicesOf(const ProgressSetup& setup, InstallLib_WindowPump* window);

// The items of a result page (6, 9, 10, 11, 12, 13, 16) with room for the texts made for them:
// the texts the page shows, in order. Extras as for PTCH_ShowPage.
inline constexpr size_t RESULT_TEXT_CAPACITY = 1024;
struct ResultContent {
    PageItem items[3];
    size_t count;
    char16_t made[2][RESULT_TEXT_CAPACITY];
};
// A text of the language for a page; "" when it is missing.
const char16_t* PageText(int32_t id);
// False (count 0) for a page that is no result page.
bool ResultPageContent(uint32_t page, uint64_t extra1, uint64_t extra2, ResultContent* content);

}
