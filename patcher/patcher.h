// The installer application: the installed game found through the registry with its version
// record, the settings the patch sets by installer-data id, the names of the patch archives and
// the list of files to copy out of a mounted patch archive. Used on the main thread only.
//
// Paths are 8-bit text in the system's file-API code page unless stated, at most
// PTCH_PATH_CAPACITY bytes with the terminator; a path that would be longer is refused, never
// cut short. Operations answer 1 for success and 0 for failure unless stated.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <cstdint>

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
