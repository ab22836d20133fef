// The module's private parts: the table through which portable code makes every system call
// (tests replace entries of it to stand in for the system), the module state with its two
// lists, the link record, the bounded path helpers and the version-resource readers.
#pragma once

#include "installlib/installlib.h"
#include "installlib/os_files.h"
#include "installlib/os_process.h"
#include "installlib/os_shell.h"
#include "installlib/os_version.h"

#include <cstddef>
#include <cstdint>

namespace installlib::detail {

inline constexpr uint32_t TAG = SYS_TAG_INSTALLLIB;
inline constexpr size_t PATH_CAPACITY = INSTALLLIB_PATH_CAPACITY;
inline constexpr uint32_t COPY_CHUNK = 65536;
inline constexpr uint32_t WAIT_STEP_MS = 50;

// ---- System calls -------------------------------------------------------------------------

// Every call the portable code makes to the system (and the file read and write of the copy
// loop, the steps a test must make fail halfway). The native table holds the backend's
// functions of the os_*.h headers, SYS_FileRead and SYS_FileWrite.
struct SystemCalls {
    bool (*hasWideCalls)();
    uint32_t (*tempPathW)(char16_t* buffer, uint32_t capacity);
    uint32_t (*tempPathA)(char* buffer, uint32_t capacity);
    void (*removeTempFolder)();
    bool (*replaceFileW)(const char16_t* from, const char16_t* to);
    bool (*replaceFileA)(const char* from, const char* to);
    bool (*allowRunning)(const char16_t* path);
    bool (*deleteAtRestart)(const char16_t* path);
    os::FolderResult (*createFolderW)(const char16_t* path);
    os::FolderResult (*createFolderA)(const char* path);
    uint32_t (*wideToAnsi)(char* destination, uint32_t capacity, const char16_t* source);
    uint32_t (*ansiToWide)(char16_t* destination, uint32_t capacity, const char* source);
    SYS_Status (*readFile)(SYS_Handle file, void* buffer, uint32_t count);
    SYS_Status (*writeFile)(SYS_Handle file, const void* buffer, uint32_t count);
    bool (*startProcessW)(
        const char16_t* program, const char16_t* folder, os::ProcessHandles* handles);
    bool (*startProcessA)(const char* program, const char* folder, os::ProcessHandles* handles);
    os::WaitResult (*waitForHandle)(uintptr_t handle, uint32_t milliseconds);
    void (*closeProcessHandle)(uintptr_t handle);
    bool (*pumpWindowMessages)(uintptr_t window);
    bool (*specialFolderPathW)(os::SpecialFolder folder, char16_t* buffer, uint32_t capacity);
    bool (*specialFolderPathA)(os::SpecialFolder folder, char* buffer, uint32_t capacity);
    bool (*writeLinkW)(const os::LinkText<char16_t>& link, const char16_t* linkPath);
    bool (*writeLinkA)(const os::LinkText<char>& link, const char16_t* linkPath);
    SYS_Status (*loadVersionInfo)(const char* path, os::VersionInfo** info);
    bool (*queryVersionValue)(
        os::VersionInfo* info, const char* subBlock, const void** value, uint32_t* length);
    void (*freeVersionInfo)(os::VersionInfo* info);
};

// The table in use, and the backend's own.
const SystemCalls& Sys();
const SystemCalls& NativeSystemCalls();
// Puts calls in place of the table in use (null restores the native table). For tests; the
// table must outlive its use.
void ReplaceSystemCalls(const SystemCalls* calls);

// ---- Module state -------------------------------------------------------------------------

// Whether the wide calls are used: as noted by the first InitInstallLib, or asked of the system
// while the module is not started.
bool UseWideCalls();
// The lists, null while the module is not started.
SYS_ItemStore* LinkList();
SYS_ItemStore* DeleteList();

// One shortcut of the link list; the strings are blocks of their own, absent ones null.
struct LinkRecord {
    uint32_t kind; // LINK_DESKTOP or LINK_PROGRAMS
    char16_t* name;
    char16_t* target;
    char16_t* arguments;
    char16_t* description;
    char16_t* iconFile;
    int32_t iconIndex;
};
inline constexpr uint32_t LINK_DESKTOP = 1;
inline constexpr uint32_t LINK_PROGRAMS = 2;

// The link list's release callback: frees the record and its strings.
void ReleaseLinkRecord(uint32_t id, uintptr_t value);

// ---- Paths --------------------------------------------------------------------------------

// Appends source to the text in destination (capacity units). False, leaving destination as it
// was, when the result would not fit.
bool Append(char16_t* destination, size_t capacity, const char16_t* source);
// Appends "\\" unless the text is empty or already ends in "\\" or "/"; false when it does not
// fit.
bool EnsureSeparator(char16_t* destination, size_t capacity);
// The folder part of path up to and including its last "\\" or "/", or the empty text when it
// has none (a program or target named without a folder); false when it does not fit.
bool FolderOf(char16_t* folder, size_t capacity, const char16_t* path);
// A plain file name: not empty, no "\\", "/" (no folder part) and no ":" (no drive or stream).
bool IsPlainFileName(const char16_t* name);
// A new block (tag TAG) holding first followed by second (either may be null), or null without
// memory.
char16_t* JoinToBlock(const char16_t* first, const char16_t* second, const char* label);
// Wide path to and from the 8-bit text of the system's file functions; false when it cannot be
// converted or does not fit.
bool ToFileApi(char* destination, size_t capacity, const char16_t* source);
bool FromFileApi(char16_t* destination, size_t capacity, const char* source);
// The temporary folder, ending in a separator; false when the system does not give it or it
// does not fit.
bool TempFolder(char16_t* buffer, size_t capacity);

// ---- Version resources --------------------------------------------------------------------

// Reads count bytes at offset of a file or a block of memory; false unless all are there.
struct ByteSource {
    bool (*readAt)(void* context, uint64_t offset, void* buffer, uint32_t count);
    void* context;
};

// The largest version resource the reader accepts: its length field has 16 bits.
inline constexpr uint32_t MAX_VERSION_RESOURCE = 65535;

// Finds the version resource (type 16, its first name and first language) of a PE image and
// gives its offset in the file and its size. False, with a reason sent to the trace, for
// anything that is not a well-formed PE image with such a resource.
bool FindVersionResource(const ByteSource& file, uint64_t* offset, uint32_t* size);

// What a sub-block path names inside a version resource (VS_VERSIONINFO tree).
struct VersionValue {
    const uint8_t* bytes; // inside the resource
    uint32_t byteCount;
    bool isText; // bytes are UTF-16LE units, possibly ending in a terminator
};
// Follows subBlock ("\\" alone: the root's value) through the tree of nodes, comparing keys
// without regard to ASCII letter case. False when a node is malformed or the path is missing.
bool FindVersionValue(
    const uint8_t* resource, uint32_t size, const char* subBlock, VersionValue* value);

}
