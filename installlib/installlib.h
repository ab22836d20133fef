// The installation operations: copying disk files and archive members to real files, staging
// files in the temporary folder and deleting them at shutdown, running a program while the
// installer's window stays responsive, reading a file's version string, and the shortcuts on
// the desktop and in the programs menu. Used on the main thread only.
//
// Paths are wide text (char16_t) in the system's form ("\\" or "/" between folders), at most
// INSTALLLIB_PATH_CAPACITY units with the terminator; a path that would be longer is refused,
// never cut short. Operations answer 1 for success and 0 for failure unless stated.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <cstdint>

inline constexpr size_t INSTALLLIB_PATH_CAPACITY = 260;

// ---- Start and shutdown -------------------------------------------------------------------

// Nested start: the first call notes whether the system has the wide calls, creates the link
// list and the delete list and registers the module ("InstallLib", SYS_TAG_INSTALLLIB); later
// calls only count. 0 only when the lists cannot be created.
[[nodiscard]] int InitInstallLib();
// Undoes one InitInstallLib. The last one destroys the link list and then the delete list,
// deleting every scheduled file, removes the private staging folder (POSIX) and unregisters the
// module.
void DoneInstallLib();

// ---- Files --------------------------------------------------------------------------------

// Deletes path at the last DoneInstallLib (and, on the Windows NT family, also asks the system
// to delete it at the next restart, in case it is still in use at shutdown). 1 when the path
// was put on the delete list; 0 before InitInstallLib or without memory.
[[nodiscard]] uint32_t ScheduleDelete(const char16_t* path);

// A file written in place of another. The bytes go to a new temporary file in the
// destination's folder, named "~pt" + 8 hex digits + ".tmp"; Commit moves it over the
// destination only when every byte is written. Until then, and after any failure, the
// destination stays exactly as it was and the temporary file is removed (also when the object
// goes out of scope uncommitted); a kill leaves at most a temporary file of that recognisable
// name. One replacement is used by one thread at a time; several
// may run at once on different threads.
class InstallLib_FileReplacement {
public:
    InstallLib_FileReplacement() = default;
    ~InstallLib_FileReplacement() { Abandon(); }
    InstallLib_FileReplacement(const InstallLib_FileReplacement&) = delete;
    InstallLib_FileReplacement& operator=(const InstallLib_FileReplacement&) = delete;

    // Creates the temporary file beside destination. 0 when the temporary file cannot be made
    // (no such folder, no right, or its path would not fit INSTALLLIB_PATH_CAPACITY).
    [[nodiscard]] int Begin(const char16_t* destination);
    // Appends count bytes. 0 when the write fails; the replacement is then abandoned.
    [[nodiscard]] int Write(const void* bytes, uint32_t count);
    // Closes the temporary file and moves it over the destination, replacing a file there
    // (read-only or not) or a link (which is replaced, never written through). 1 when the
    // destination now holds every byte written; 0, with the destination untouched, otherwise.
    [[nodiscard]] int Commit();
    // Closes and removes the temporary file; the destination stays as it was.
    void Abandon();

private:
    SYS_Handle m_file = 0;
    bool m_wide = true;
    char16_t m_temporary[INSTALLLIB_PATH_CAPACITY] {};
    char16_t m_destination[INSTALLLIB_PATH_CAPACITY] {};
};

// Copies a real file (CopyDiskFile) or a file of the virtual file system (CopyArchiveFile) to
// the real file destination through an InstallLib_FileReplacement: a failed copy leaves an
// existing destination as it was and no partial file behind.
[[nodiscard]] int CopyDiskFile(const char16_t* destination, const char16_t* source);
[[nodiscard]] int CopyArchiveFile(const char16_t* destination, const char* virtualPath);

// Copies a real file (CopyToTemp) or a virtual file (ExtractToTemp) into the temporary folder
// under its own file name and writes the new path into output (capacity units). A file of that
// name there is replaced, never written through; an extracted file can be run (POSIX: 0700). 0,
// with nothing copied, when the temporary folder is unknown or the joined path or the output does
// not fit.
[[nodiscard]] int CopyToTemp(const char16_t* source, char16_t* output, size_t capacity);
[[nodiscard]] int ExtractToTemp(const char* virtualPath, char16_t* output, size_t capacity);

// ---- Programs -----------------------------------------------------------------------------

// The window that RunAndWait keeps alive while it waits. The toolkit's desktop window
// implements it; InstallLib_MessagePump serves a plain system window.
class InstallLib_WindowPump {
public:
    virtual ~InstallLib_WindowPump() = default;
    // Removes and handles every pending message of the window. True when the window was asked
    // to close (or was destroyed, or the application to quit): the wait then ends.
    virtual bool Pump() = 0;
};

// Pumps the messages of a system window by its handle (PeekMessageA, TranslateMessage,
// DispatchMessageA); a close, destroy or quit message ends the wait. Never a close on POSIX.
class InstallLib_MessagePump final : public InstallLib_WindowPump {
public:
    explicit InstallLib_MessagePump(uintptr_t window)
        : m_window(window)
    {
    }
    bool Pump() override;

private:
    uintptr_t m_window;
};

// Starts program (without a command line, in its own folder) and waits until it has ended or
// the window is asked to close, pumping the window (may be null) every 50 ms. 1 when the
// program started, 0 when it did not.
[[nodiscard]] int RunAndWait(const char16_t* program, InstallLib_WindowPump* window);

// ---- Version resources --------------------------------------------------------------------

// Reads the string valueName (for example "ProductVersion") of the version resource of path,
// for the resource's first language. size is in/out: the output's capacity in bytes, replaced
// by the bytes the value needs with its terminator. SYS_OK with the value copied and
// terminated; SYS_SIZE_ONLY (10) when output is null or too small (nothing copied);
// SYS_FILE_NOT_FOUND (14) when the file has no version resource; SYS_FAILED (3) when the value
// or a usable translation is missing; SYS_OS_ERROR (255) when the resource cannot be loaded;
// SYS_BAD_ARGUMENT for a null path, name or size.
[[nodiscard]] SYS_Status GetFileVersionString(
    const char* path, const char* valueName, char* output, uint32_t* size);

// ---- Shortcuts ----------------------------------------------------------------------------

// Reads count shortcut records of the installer data (text database ids firstId + r × stride
// and the four after it) into the link list; targets and icon files are relative to
// baseFolder. A record whose name is empty or holds "\\", "/" or ":" is refused. Returns the
// number of link records added (a location letter "X" adds two).
uint32_t LoadLinks(uint32_t firstId, uint32_t stride, uint32_t count, const char16_t* baseFolder);
// Told of a link file that was saved, by the name the system gives the file.
using InstallLib_LinkHook = void (*)(void* context, const char16_t* linkFile);
// Creates the links of the link list: desktop records when desktop is set, programs-menu
// records in the folder group when programs is set; created (when set) hears of each saved.
// 0 when the list is empty or missing, else 1 (links that fail are skipped).
[[nodiscard]] int CreateLinks(bool desktop, bool programs, const char16_t* group,
    InstallLib_LinkHook created = nullptr, void* context = nullptr);

// Create the link file name (a file name without folders, such as "Game.lnk") in the user's
// desktop folder, or in the folder group of the programs menu, which is created when missing.
// A group with ":" or a ".." component is refused. 1 when the link file was saved.
[[nodiscard]] int CreateDesktopLink(const char16_t* name, const char16_t* target,
    const char16_t* description, const char16_t* workingFolder, const char16_t* iconFile,
    int32_t iconIndex, const char16_t* arguments);
[[nodiscard]] int CreateProgramsLink(const char16_t* name, const char16_t* group,
    const char16_t* target, const char16_t* description, const char16_t* workingFolder,
    const char16_t* iconFile, int32_t iconIndex, const char16_t* arguments);
// Writes one link file at linkPath. target is required and shorter than
// INSTALLLIB_PATH_CAPACITY; the other properties may be null. 1 only when the file was saved.
// On Win32 COM must be initialised on the calling thread.
[[nodiscard]] int CreateLink(const char16_t* linkPath, const char16_t* target,
    const char16_t* description, const char16_t* workingFolder, const char16_t* iconFile,
    int32_t iconIndex, const char16_t* arguments);
