// The installer application: the installed game found through the registry with its version
// record, the settings the patch sets by installer-data id, the names of the patch archives and
// the list of files to copy out of a mounted patch archive. Used on the main thread only.
//
// Paths are 8-bit text in the system's file-API code page unless stated, at most
// PTCH_PATH_CAPACITY bytes with the terminator; a path that would be longer is refused, never
// cut short. Operations answer 1 for success and 0 for failure unless stated.
#pragma once

#include "guib/guib.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr size_t PTCH_PATH_CAPACITY = 260;

// ---- Installer-data ids -------------------------------------------------------------------

inline constexpr int32_t PTCH_ID_BACKGROUND_PICTURE = 200;
inline constexpr int32_t PTCH_ID_TEXT_COLOURS = 260; // 260..265
inline constexpr int32_t PTCH_ID_FILL_COLOURS = 280; // 280..286
inline constexpr int32_t PTCH_ID_WINDOW_CAPTION = 300;
inline constexpr int32_t PTCH_ID_RUN_PROGRAM = 301;
inline constexpr int32_t PTCH_ID_EDITOR_TOOLS = 302;
inline constexpr int32_t PTCH_ID_NEEDED_MIB = 308;
inline constexpr int32_t PTCH_ID_ARCHIVE_COUNT = 309; // 309 + n: message for archive n
inline constexpr int32_t PTCH_ID_GAME_PROGRAM = 400;
inline constexpr int32_t PTCH_ID_GAME_ARGUMENTS = 401;
inline constexpr int32_t PTCH_ID_GAME_FOLDER_VALUE = 413;
inline constexpr int32_t PTCH_ID_LINK_GROUP = 414;
inline constexpr int32_t PTCH_ID_ARCHIVE_BASE_NAME = 415;
inline constexpr int32_t PTCH_ID_NEW_VERSION_NAME = 420;
inline constexpr int32_t PTCH_ID_NEW_VERSION = 421;
inline constexpr int32_t PTCH_ID_NEW_VERSION_DATE = 422;
inline constexpr int32_t PTCH_ID_GAME_EDITION = 423;
inline constexpr int32_t PTCH_ID_LOWEST_VERSION = 424;
inline constexpr int32_t PTCH_ID_KEEP_NEWER = 425;
inline constexpr int32_t PTCH_ID_EDITOR_VERSION = 426;
inline constexpr int32_t PTCH_ID_LINKS = 450; // 10 records of 5 ids

// The edition read when id 423 is absent or not a number: the key table's "unknown" row.
inline constexpr uint32_t PTCH_UNKNOWN_EDITION = 3;

// ---- Patch settings -----------------------------------------------------------------------

// The patch's own numbers and switches, read from the text database with their defaults.
struct PatchSettings {
    uint32_t archiveCount; // id 309; 1 when absent, and never below 1
    uint64_t neededBytes; // id 308 × 1048576; 0 when absent or negative
    uint32_t newVersion; // id 421, version × 100; 0: the patch records no version
    uint32_t newVersionDate; // id 422 packed (VI_PackDate); 0 unless it has exactly 3 parts
    const char* newVersionName; // text 420 (owned by the text database); null without a version
    bool hasLowestVersion; // id 424 is a number
    int32_t lowestVersion; // id 424
    bool keepNewer; // flag 425
    uint32_t editorVersion; // id 426; 0 when absent
    bool runProgram; // flag 301
    bool detectEditorTools; // flag 302
    uint32_t edition; // id 423; PTCH_UNKNOWN_EDITION when absent
};
void PTCH_ReadPatchSettings(PatchSettings* settings);
// Id 423, or PTCH_UNKNOWN_EDITION when it is absent or not a number.
uint32_t PTCH_GetGameEdition();
// Id 309, or 1 when it is absent, not a number or below 1.
uint32_t PTCH_GetPatchArchiveCount();

// ---- Start folder and archive names -------------------------------------------------------

// The folder of the installer's program file, ending in "\\" (set by the start-up). 0 when it
// does not fit PTCH_PATH_CAPACITY; the folder is then empty.
int PTCH_SetStartFolder(const char* folder);
const char* PTCH_GetStartFolder();

// The wide full path of patch archive n (1-based): the start folder, converted from the
// file-API code page, with the base name (wide text 415 when flag 415 is set, else "patch")
// and "cbf", numbered "%s%02d.%s" when id 309 is 2 or more. folderName receives "patch", the
// archive folder whose files are copied. 0 when a conversion fails or a result does not fit.
int GetPatchArchivePath(
    uint32_t n, char16_t* path, size_t capacity, char* folderName, size_t folderCapacity);
// The wide full path of "patcher.cbf" in the start folder, converted from the file-API code page.
int PTCH_GetInstallerArchivePath(char16_t* path, size_t capacity);

// ---- Game key table and version record ----------------------------------------------------

// The game's key path under HKEY_LOCAL_MACHINE for an edition; unknown editions (3 included)
// share the "- unknown version" row.
const char* GetGameKeyPath(uint32_t edition);

// The version record of the installed game, the values of its "Version Info" subkey. Version
// numbers are version × 100; times are packed dates. A null name is left out of a write, so the
// registry keeps the value stored under that name.
struct VersionInfo {
    const char* mainVersionName;
    uint32_t mainVersion;
    uint32_t mainVersionTime;
    const char* patchVersionName;
    uint32_t patchVersion;
    uint32_t patchVersionTime;
    uint32_t marketingLine;
    uint32_t distribution;
    uint32_t language;
    uint32_t editorVersion;
};

// The record store, one per process. The names of a record that VI_Get returns are the store's
// and stay valid until VI_Done, also across later VI_Set calls.
//
// Selects the key path followed by "Version Info" (an empty or over-long path does nothing):
// the record is zeroed, not loaded, not changed, and the store is active.
void VI_SelectKey(const char* gameKeyPath);
// Copies the record out, loading it at the first call; 0 when no key is selected or the load
// fails (the next call tries again).
int VI_Get(VersionInfo* record);
// Replaces the record with the input (names copied); loaded and changed are set. 0 when no key
// is selected or a name cannot be copied (the record is then unchanged).
int VI_Set(const VersionInfo* record);
// Writes a changed record. 1 when nothing was changed or every value was written (changed is
// then cleared); 0 when a write failed (changed stays set, so VI_Done tries again).
int VI_Flush();
// Writes a changed record, frees every name the store handed out and makes the store inactive.
void VI_Done();
// The store's registry steps. VI_Load reads the selected key into the store's record (1 when the
// key opened; a missing value reads as 0 or null, a text is always terminated); VI_Save writes
// the record (1 only when the key opened and every value was written).
int VI_Load();
int VI_Save();

// Packed dates: bits 0-7 year - 1950 (modulo 256), 8-11 month, 12-16 day.
uint32_t VI_PackDate(uint32_t year, uint32_t month, uint32_t day);
void VI_UnpackDate(uint32_t packed, uint32_t* year, uint32_t* month, uint32_t* day);

// ---- Installed game -----------------------------------------------------------------------

// What the game key tells about the installed game.
struct InstalledGame {
    bool found;
    char folder[PTCH_PATH_CAPACITY]; // absolute, as stored in the registry
    char16_t folderWide[PTCH_PATH_CAPACITY]; // the folder converted from the file-API code page
    char programPath[PTCH_PATH_CAPACITY]; // folder joined with text 400
    const char* programArguments; // text 401 when set, else ""
};
// Reads the game folder from the value named by text 413 of the edition's game key and forms
// the program path. The game counts as not installed (0, found false) when the key or value is
// missing, the value does not fit, the folder is empty or relative, cannot be converted, or the
// program path does not fit.
int PTCH_FindInstalledGame(InstalledGame* game);
// The start-up's reading of the installed record: selects the edition's key and reads the
// record into record (zeroed first); a Distribution of 793..796 becomes 804..807 and is stored
// at once (VI_Set). 1 when the record was read.
int PTCH_ReadInstalledRecord(VersionInfo* record);
// When "Ashgrove_101.cbf" opens beside the game program, record's Patch version becomes 101;
// then VI_Set(record) either way, so the record is written at the latest by VI_Done. Returns
// the result of VI_Set.
int CheckLegacyPatch(VersionInfo* record, const InstalledGame* game);

// ---- 3ds Max releases ---------------------------------------------------------------------

// The 3ds Max releases that editor tools can be installed into; folders end in "\\" and are
// absolute. The flags are later the user's choice on the editor-tools page.
struct MaxVersions {
    bool max51Found;
    char max5Folder[PTCH_PATH_CAPACITY];
    bool max60Found;
    char max6Folder[PTCH_PATH_CAPACITY];
};
// Fills max from the registry (zeroed first). 1 when 3ds Max 5.1 or 6.0 was found.
int DetectMaxVersions(MaxVersions* max);

// ---- File list ----------------------------------------------------------------------------

// One file to copy: the member's virtual path, its destination (relative to the game folder, or
// absolute below a 3ds Max folder for editor tools) and its size in bytes.
struct FileItem {
    char* srcFileName;
    char* destFileName;
    uint32_t size;
};
// A new file list: an item store whose release callback frees the FileItem records. Null
// without memory.
[[nodiscard]] SYS_ItemStore* PTCH_CreateFileList();
// Adds a copy of the item at the list's tail with the next id (0, 1, 2 ...). The store's
// status, or SYS_NO_MEMORY when a copy cannot be made.
[[nodiscard]] SYS_Status PTCH_AddFileItem(
    SYS_ItemStore* list, const char* source, const char* destination, uint32_t size);

// Where the files of an archive go: the installed record's Distribution, and the 3ds Max
// folders (absolute) whose found flag is set (null: no editor tools).
struct FileListSource {
    uint32_t distribution;
    const MaxVersions* max;
};
// Builds the list of the mounted archive: the folder (folderName), then "Distributions\<code>"
// (or "Distributions\Other" when that folder has no file), then "MAX_5.1" and "MAX_6.0" for
// the found 3ds Max releases; destinations are lower-cased. 1 with the list and the total of
// the sizes. 0, with no list, when a member's name would place it outside its destination
// folder, its size cannot be read, a destination does not fit, an add fails or a scan could not
// list every name; failedName then holds the member's name ("" when no name applies).
int BuildFileList(const char* folderName, const FileListSource* source, SYS_ItemStore** list,
    uint64_t* total, char* failedName, size_t failedNameCapacity);

// ---- Patch engine -------------------------------------------------------------------------

// The engine applies the patch archive by archive: StartArchive mounts an archive, builds its
// file list and starts the worker thread, which copies the files into the game folder; the
// progress page calls PollWorker on every tick to read the worker's progress and to move on to
// the next archive. Every destination is written through a temporary file beside it, so a
// failure or a kill leaves each file either old or new. The engine touches no window.

class InstallLib_WindowPump;

inline constexpr size_t PTCH_ERROR_TEXT_CAPACITY = 1024;
inline constexpr int32_t PTCH_TEXT_CANNOT_CREATE = 192;
inline constexpr int32_t PTCH_TEXT_CANNOT_WRITE = 193;

// The worker's state as it shares it with the progress page.
inline constexpr uint32_t PTCH_STATE_RUNNING = 1;
inline constexpr uint32_t PTCH_STATE_FINISHED = 2;
inline constexpr uint32_t PTCH_STATE_FAILED = 3;
inline constexpr uint32_t PTCH_STATE_COLLECTED = 4; // taken by the main thread; nothing running

// Where the patch goes. source.max must stay valid while the engine lives.
struct PatchTarget {
    char gameFolder[PTCH_PATH_CAPACITY]; // absolute
    FileListSource source;
    bool keepNewer; // existing ".exe" and ".dll" files below the game folder are kept
};

// What became of one file of the list, as a file hook is told.
enum class PTCH_FileOutcome {
    Written, // a new file
    Replaced, // an existing file replaced
    Kept, // an existing program file kept (keepNewer)
};
// Called on the worker thread once a file is in place or kept, with its full destination.
using PTCH_FileHook = void (*)(void* context, PTCH_FileOutcome outcome, const char* destination);

// The engine of one patch run, owned by the progress page. The fields from fileList to
// stopRequested are shared with the worker and read or written only under lock.
struct PatchEngine {
    // Main thread.
    PatchTarget target;
    uint32_t archiveCount; // id 309, at least 1
    uint32_t currentArchive; // 1-based
    uint32_t lastMountedArchive;
    const char16_t* cannotCreateText; // texts 192 and 193, looked up on the main thread
    const char16_t* cannotWriteText;
    SYS_Handle lock;
    SYS_Handle started; // set by the worker once it has taken its parameters
    uintptr_t worker; // the worker thread, 0 when none is to be joined
    PTCH_FileHook fileHook; // null: nobody is told; set after PTCH_EngineInit
    void* fileHookContext;
    // Shared with the worker.
    SYS_ItemStore* fileList;
    char currentFileName[PTCH_PATH_CAPACITY]; // cut short when longer (display only)
    uint32_t state;
    uint32_t fileSize;
    uint32_t fileDone;
    uint64_t total;
    uint64_t totalDone;
    bool stopRequested;
    // Written by the worker before it reports PTCH_STATE_FAILED; read after the join.
    char16_t errorText[PTCH_ERROR_TEXT_CAPACITY];
};

// Prepares an engine for target with archive 1 current: the lock, the event, the archive count.
// The engine becomes the process's running engine, which PTCH_StopEngine stops. 0 when the lock
// or the event cannot be made.
[[nodiscard]] int PTCH_EngineInit(PatchEngine* engine, const PatchTarget* target);
// Stops the worker (see PTCH_StopEngine), frees the file list and closes the lock and the event.
void PTCH_EngineDone(PatchEngine* engine);

// Applies one archive: unmounts the archive mounted before the current one, mounts archivePath,
// builds the list of the files below folderName (and the distribution's and editor-tools
// folders) and starts the worker, returning once it has taken its parameters. 0 when the
// archive cannot be mounted (the caller offers a retry: PTCH_StartCurrentArchive, or a cancel).
// 1 otherwise, also when the list cannot be built or no thread can be started: the failure is
// then the engine's state, which the next PollWorker reports. While an archive is under way (its
// worker runs, or its end is not yet collected by PollWorker) it does nothing and returns 1.
[[nodiscard]] int StartArchive(
    PatchEngine* engine, const char16_t* archivePath, const char* folderName);
// StartArchive with the path of the current archive (GetPatchArchivePath); 0 also when that
// path cannot be formed.
[[nodiscard]] int PTCH_StartCurrentArchive(PatchEngine* engine);

enum class PTCH_PollResult {
    Running, // a worker copies: show the bars and the label
    Idle, // nothing runs (before the start, after the end, or while a retry is pending)
    MountFailed, // the next archive could not be mounted: ask for a retry or a cancel
    Complete, // the last archive is done: PTCH_Finish, then the finished page
    Failed, // the copy failed: errorText says why
};
// What the progress page shows after a poll.
struct PatchProgress {
    PTCH_PollResult result;
    int32_t fileBar; // 0..100
    int32_t totalBar; // 0..100, over all archives
    char fileLabel[PTCH_PATH_CAPACITY];
};
// Reads the worker's shared state and, when the worker has ended, joins it: a finished archive
// is followed by the next one (StartArchive) or by Complete after the last; a failed one by
// Failed. Never blocks except for the join of a worker that has ended.
void PollWorker(PatchEngine* engine, PatchProgress* progress);

// Shutdown: asks the running engine's worker to stop before its next file or chunk, waits until
// it has ended (leaving every destination old or new) and forgets the engine. Called before
// the archive file system stops; nothing when no engine runs.
void PTCH_StopEngine();

// Whether destination, an existing ".exe" or ".dll" file (any letter case), is kept because
// keepNewer is set.
bool KeepExisting(const char* destination, bool keepNewer);

// The wizard's choices that the end of the patch carries out.
struct FinishChoices {
    bool desktopLinks;
    bool programLinks;
    bool runProgram; // the program of text 301, when flag 301 is set
    bool keepNewer;
    InstallLib_WindowPump* window; // kept alive while the program runs; may be null
    // Told of each link file saved, by the name the system gives it; null: nobody is told.
    void (*linkHook)(void* context, const char16_t* linkFile);
    void* linkHookContext;
};
// The end of the patch: records the new version (unless keepNewer), creates the links (group
// text 414) and extracts and runs the program of text 301, waiting for it. The caller hides its
// window around the run. Failures of these steps are not reported; returns 1.
int PTCH_Finish(const FinishChoices* choices);
// Records the patch's version (id 421 with its date and name) and editor version (id 426) in
// the version record and writes it, unless keepNewer is set or the patch has neither. 1 when
// there was nothing to record or the record was written.
int PTCH_RecordVersion(bool keepNewer);

// The bytes free for this user on the disk of path (a file or a folder; the nearest existing
// folder above it is asked). 0 when no folder of the path can tell.
int GetFreeDiskSpace(const char* path, uint64_t* bytes);
// Starts program (8-bit path) in its own folder with the command line "\"program\" arguments"
// (none without arguments), without waiting. 0 when it does not start or the command line
// would pass the system's 32767 characters.
int PTCH_RunProgram(const char* program, const char* arguments);

// ---- Texts with values --------------------------------------------------------------------

// Copies text into output with the first count "%s" replaced by values in order (a null value
// is empty) and each "%%" turned into "%"; every other "%", and every "%s" after the values are
// used up, is copied as it is. Texts of the language files go through this, never through a
// formatter. Output is always terminated; 0 when the result was cut short to fit capacity.
int PTCH_Substitute(char16_t* output, size_t capacity, const char16_t* text,
    const char16_t* const* values, size_t count);

// ---- Wizard pages -------------------------------------------------------------------------
// The content windows of the wizard's pages, each placed in the page area and reporting to the
// callback of its set-up record: a column of texts, check boxes and link buttons; the licence or
// news text in a scrolling picture; and the patch's progress, which runs the patch engine.

// Page item types; other values take no room and make no control.
inline constexpr uint32_t PTCH_ITEM_EMPTY = 0;
inline constexpr uint32_t PTCH_ITEM_TEXT = 1;
inline constexpr uint32_t PTCH_ITEM_CHECK_BOX = 3;
inline constexpr uint32_t PTCH_ITEM_LINK = 4;
// Items past this many are ignored.
inline constexpr uint32_t PTCH_MAX_PAGE_ITEMS = 20;

// One item of an item page.
struct PageItem {
    uint32_t type;
    const char16_t* text; // label text, check box or button caption
    // The first item with this set sits at the top, the last (of two or more) at the bottom.
    uint32_t anchor;
    // Check box: the uint32_t boolean it shows and sets; link: the 8-bit target it opens. The
    // page keeps the address: it must outlive the page.
    uintptr_t value;
    int32_t margin; // left and right, in pixels; 0: a tenth of the page's width
};

// Texts and check boxes laid out down the page: anchored items at the top and bottom, the rest
// spread with equal gaps between them, consecutive check boxes packed together. Texts and
// captions are wrapped to the width inside the margins. A page whose font slot 0 is empty gets
// no controls.
class ItemPage : public c_GUIB_Window {
public:
    ItemPage(const GUIB_WindowCreate* create, const PageItem* items, uint32_t count);

    // Fills the page with fill colour 1, inside a frame of fill colour 3 when the frame bit is
    // set.
    void Draw() override;
    // What the page's controls report: a link button's click opens its target, a check box's
    // toggle stores the new state (value) at its address. 1 when the sender is one of them.
    uint32_t OnControlEvent(c_GUIB_Window* sender, uint32_t code, uintptr_t value);

protected:
    ~ItemPage() override = default;

private:
    struct Bound {
        c_GUIB_Window* control; // a child of the page
        uintptr_t value;
    };
    void MakeControl(const PageItem& item, const GUIB_Rect& place);
    static uint32_t ControlHandler(
        c_GUIB_Window* sender, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t p2);

    Bound m_checks[PTCH_MAX_PAGE_ITEMS] = {};
    uint32_t m_checkCount = 0;
    Bound m_links[PTCH_MAX_PAGE_ITEMS] = {};
    uint32_t m_linkCount = 0;
};

// Text page kinds.
inline constexpr uint32_t PTCH_TEXT_LICENCE = 1; // heading text 40, file extension "la"
inline constexpr uint32_t PTCH_TEXT_NEWS = 2; // heading text 80, file extension "nws"
// A licence or news file larger than this is shown as missing.
inline constexpr uint64_t PTCH_PAGE_TEXT_LIMIT = 4 * 1024 * 1024;

// The path of the language's licence or news file: "Languages\\<code>.la" or ".nws". 0 when it
// does not fit.
int PTCH_PageTextPath(uint32_t kind, const char* languageCode, char* path, size_t capacity);
// The 8-bit text a text page shows: the bytes of the file at path as far as they can be read,
// or, when it cannot be opened or is larger than PTCH_PAGE_TEXT_LIMIT, a fixed text that names
// the file as missing. A new block for SYS_Free; null without memory.
[[nodiscard]] SYS_Block<char[]> PTCH_ReadPageText(uint32_t kind, const char* path);

// The licence or the news: a heading (text 40 or 80) across the top and below it the text,
// word-wrapped into a picture as wide as the page, or narrower by a scroll bar's width when it
// is higher than the room below the heading, in a panel that scrolls it by lines. The file is
// read once, here. The page has no surface of its own.
class TextPage : public c_GUIB_Window {
public:
    TextPage(const GUIB_WindowCreate* create, uint32_t kind, const char* languageCode);

    void Draw() override;
    c_GUIB_Label* GetHeading() const { return m_heading; }
    c_GUIB_Panel* GetPanel() const { return m_panel; }

protected:
    ~TextPage() override = default;

private:
    GUIB_Ref<c_GUIB_Bitmap> RenderText(const char* text, int32_t visibleHeight) const;

    c_GUIB_Label* m_heading; // children of the page
    c_GUIB_Panel* m_panel;
};

// What the progress page tells its callback (p1 and p2 are 0 unless stated).
inline constexpr uint32_t PTCH_EV_COMPLETE = 0x8000000C; // the patch is applied and finished
inline constexpr uint32_t PTCH_EV_FAILED = 0x8000000D; // p1: the engine's wide error text
inline constexpr uint32_t PTCH_EV_CANCELLED = 0x8000000E; // an archive was missing, not retried
// Texts of the retry box: its title, and 309 + n for missing archive n.
inline constexpr int32_t PTCH_TEXT_RETRY_TITLE = 116;

// The wizard's state that the progress page needs: where the patch goes, and the choices that
// the end of the patch carries out (booleans that the option pages' check boxes set; read when
// the last archive is done, so they must outlive the page).
struct ProgressSetup {
    PatchTarget target;
    const uint32_t* desktopLinks;
    const uint32_t* programLinks;
    const uint32_t* runProgram;
};

// The copy under way: a heading (text 110), the current file's name over its bar, and text 111
// over the bar of the whole patch. The page owns the patch engine: Start begins the first
// archive and every tick polls the worker. An archive that cannot be mounted opens a retry box
// in the desktop (Ok tries again, Cancel reports PTCH_EV_CANCELLED); the end of the last archive
// runs PTCH_Finish, with the installer's window hidden while a program of the patch runs, and
// reports PTCH_EV_COMPLETE; a failed copy reports PTCH_EV_FAILED with the engine's error text.
class ProgressPage : public c_GUIB_Panel {
public:
    ProgressPage(const GUIB_WindowCreate* create, const ProgressSetup* setup);

    // Starts archive 1; once, after the page is made.
    void Start();
    // The tick polls the engine; every message then takes the panel's way.
    uint32_t OnMessage(uint32_t message, uintptr_t p1, uintptr_t p2) override;
    // The retry box's answer (a GUIB_MB_* flag).
    void OnRetryAnswer(uint32_t answer);

    c_GUIB_Label* GetFileLabel() const { return m_fileLabel; }
    c_GUIB_ProgressBar* GetFileBar() const { return m_fileBar; }
    c_GUIB_ProgressBar* GetTotalBar() const { return m_totalBar; }
    // The open retry box, or null.
    c_GUIB_MessageBox* GetRetryBox() const { return m_retryBox; }

protected:
    ~ProgressPage() override;

private:
    c_GUIB_Label* MakeLabel(const GUIB_Rect& r, const char* text, uint32_t align);
    c_GUIB_ProgressBar* MakeBar(const GUIB_Rect& r);
    void StartCurrent();
    void Poll();
    void AskRetry();
    void CloseRetryBox();
    void Finish();
    static uint32_t RetryHandler(
        c_GUIB_Window* box, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t p2);

    ProgressSetup m_setup;
    PatchEngine m_engine {};
    bool m_engineReady = false;
    c_GUIB_Label* m_fileLabel; // children of the page
    c_GUIB_ProgressBar* m_fileBar;
    c_GUIB_ProgressBar* m_totalBar;
    c_GUIB_MessageBox* m_retryBox = nullptr; // held with a reference while it is open
};

// ---- Start-up, installer window and language dialog ---------------------------------------
// The program's spine: the start folder from the command line, the modules started in a fixed
// order with the staged installer data, the language chosen and loaded, the installer window
// with its pictures, colours and font, the main loop and the shutdown in reverse order. Every
// failure before the installer window exists is shown as a plain message box (on POSIX a line
// "caption: text" on the error stream).

class c_GUIB_Environment;
class c_GUIB_Desktop;

// The installer window's class; a window of it marks a running installer.
inline constexpr const char* PTCH_WINDOW_CLASS = "KD_Inst_WND_Class";
// The name of the lock the running installer holds from its first step to its last.
inline constexpr const char* PTCH_INSTANCE_LOCK = "KD_Inst_Running";

// One row of the language table: the version record's language id, the distribution code,
// the name the language dialog shows and the code that names the language's files.
struct PTCH_Language {
    uint32_t id;
    uint32_t distribution;
    const char* name;
    const char* code;
};
inline constexpr uint32_t PTCH_LANGUAGE_COUNT = 11;
// The rows in the order of every scan and of the language dialog.
extern const PTCH_Language PTCH_LANGUAGES[PTCH_LANGUAGE_COUNT];

// Exit codes of the start: go on to the wizard, another installer runs, the start failed.
inline constexpr int PTCH_LAUNCHED = 0;
inline constexpr int PTCH_ALREADY_RUNNING = 1;
inline constexpr int PTCH_START_FAILED = -1;

// The program's start before the wizard: takes the single-instance lock first (when another
// installer holds it, brings that one's window forward and answers PTCH_ALREADY_RUNNING without
// touching any file), then PTCH_ReadCommandLine, PTCH_Init and PTCH_InitGUI. PTCH_LAUNCHED when
// the installer window is up; PTCH_START_FAILED when a step failed (everything started is shut
// down again and the lock is given up).
int PTCH_Launch(uintptr_t instance, const char* commandLine);

// A command line of the Windows form for PTCH_Launch and PTCH_Run: the program path in double
// quotes, then each argument after one blank, in double quotes when it is empty or holds blanks.
std::string PTCH_CommandLine(
    const char* program, int count = 0, const char* const* arguments = nullptr);

// The start folder from the command line: the folder of the program path (the first token,
// quoted or up to the first blank) when that path is absolute, else the current folder; it
// always ends in "\\". A program path or current folder that does not fit leaves it empty,
// which fails PTCH_Init.
void PTCH_ReadCommandLine(const char* commandLine);

// Starts the modules in order (platform layer, installation library, archive file system with
// the start folder, the staged and mounted "patcher.cbf", the installer data "patcher.txt", the
// GUI toolkit, the installed version record), chooses and loads the language (the record's,
// the only language file, or the language dialog's choice) and starts COM. 1 when every step
// succeeded; 0 otherwise, after a message box where one applies, with everything started shut
// down again and the staged copy deleted.
int PTCH_Init(uintptr_t instance);
// Shuts down what PTCH_Init and PTCH_InitGUI started, in reverse order, and gives up the
// single-instance lock.
void PTCH_Done();

// Passes of the main loop while the running flag is set: a wait of at most 1 ms for input, then
// the desktop's Pump; a closed window clears the flag.
void PTCH_MainLoop();

// The state of the run, valid from PTCH_Init (the desktop from PTCH_InitGUI) to PTCH_Done.
c_GUIB_Environment* PTCH_GetEnvironment();
c_GUIB_Desktop* PTCH_GetDesktop();
// The chosen language's code ("" before the choice).
const char* PTCH_GetLanguageCode();
// The installed game's version record as read at the start (zeroed when none was read).
const VersionInfo* PTCH_GetInstalledRecord();
bool PTCH_IsRunning();
void PTCH_SetRunning(bool running);

// Layout of the installer window, in pixels.
inline constexpr int32_t PTCH_WINDOW_WIDTH = 437;
inline constexpr int32_t PTCH_WINDOW_HEIGHT = 320;
inline constexpr int32_t PTCH_TITLE_WIDTH = 350;
inline constexpr int32_t PTCH_TITLE_HEIGHT = 105;
inline constexpr int32_t PTCH_BUTTON_GAP = 6;
inline constexpr int32_t PTCH_BUTTON_WIDTH = 75;
inline constexpr int32_t PTCH_MARGIN = 16; // also the button height
// The look of both desktop windows: WS_POPUP, WS_BORDER, WS_SYSMENU.
inline constexpr uint32_t PTCH_WINDOW_STYLE = 0x80880000;

// Creates the installer's desktop (PTCH_WINDOW_WIDTH × PTCH_WINDOW_HEIGHT) with its own window
// of the installer's class, captioned with text 300, registers the controls' pictures, applies
// the colour settings and makes the language's font file the default font. 1 with the running
// flag set; 0 when the window cannot be made, or after the message "Cannot load font file. (%s)"
// when the font file is missing or holds no usable font.
int PTCH_InitGUI();
// The colours of ids 260..265 (text colours) and 280..286 (fill colours) that are set and read
// as numbers, into the environment's properties; windows created afterwards take them.
void ApplyColourSettings();

// Shows the language dialog with the rows (indices into PTCH_LANGUAGES, count of them) as a
// list, the first preselected, and runs its own pump until the user confirms with "Ok" or a
// double click, quits or closes it. 1 with the language code set to the confirmed row's; 0
// when the user quits, the window cannot be made or no valid row is chosen.
int GetLanguageDialog(uint32_t count, const uint32_t* rows);

// ---- Wizard -------------------------------------------------------------------------------
// The installer's pages inside its window: a frame with the title picture, the status line and
// a column of three buttons, and one content window per page number. PTCH_Start decides the
// first page from the patch's settings and the installed game; button clicks and the engine's
// notifications move between the pages, and the end pages stop the main loop.

class c_GUIB_Window;

inline constexpr uint32_t PTCH_PAGE_COUNT = 20;
inline constexpr uint32_t PTCH_NO_PAGE = 1000;

// Builds the wizard on the installer's desktop and shows its first page: the start page, or
// the refusal for a game that is not installed, a newer patch already installed, an installed
// patch too old for this one, or an editor newer than the patch's.
void PTCH_Start();
// Shows page (PTCH_PAGE_COUNT or more does nothing): its title, buttons, status line and
// content. Extras: page 11 takes up to two wide texts (pointers) shown under its heading; page
// 13 takes the free and the needed bytes of the game's disk.
void PTCH_ShowPage(uint32_t page, uint64_t extra1 = 0, uint64_t extra2 = 0);
// The callback of every wizard window: the three buttons' clicks and the progress page's
// PTCH_EV_* notifications. 1 when handled.
uint32_t PTCH_OnEvent(
    c_GUIB_Window* sender, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t p2);
// The shown page, PTCH_NO_PAGE before the first.
uint32_t PTCH_GetCurrentPage();

// The installer program: PTCH_Launch, then the wizard and the main loop, and PTCH_Done. The
// process's exit code: PTCH_Launch's answer when it did not launch, else 0.
int PTCH_Run(uintptr_t instance, const char* commandLine);
