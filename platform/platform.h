// The platform layer: the bottom of the system. Status codes, memory blocks, 8-bit and wide
// strings, formatting and parsing, code-page conversion, message boxes, files, events, mutexes,
// the registry, reserved address ranges and the item store. Every other module builds on this
// header only.
//
// Text: 8-bit strings are NUL-terminated bytes; wide strings are NUL-terminated 16-bit units
// (char16_t). Lengths count characters (bytes or units) without the terminator.
//
// Bounded output: every routine that writes text takes the destination's capacity (in
// characters, terminator included), never writes past it, always terminates when the capacity
// is at least 1, and returns the length the complete result needs. The result was cut short
// exactly when that return value is >= the capacity (the snprintf rule). A null destination
// writes nothing and returns 0.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio> // __MINGW_PRINTF_FORMAT, for SYS_Format's format checking
#include <memory>
#include <type_traits>

// ---- Status codes -------------------------------------------------------------------------

using SYS_Status = uint32_t;

inline constexpr SYS_Status SYS_OK = 0;
inline constexpr SYS_Status SYS_TIMEOUT = 2; // a wait ran out before the object was signalled
inline constexpr SYS_Status SYS_FAILED = 3; // a system call failed, or no such item
inline constexpr SYS_Status SYS_BAD_ARGUMENT = 5; // missing or malformed argument
inline constexpr SYS_Status SYS_NO_MEMORY = 6; // an allocation failed
inline constexpr SYS_Status SYS_BAD_MODE = 7; // unknown insert position for the item store
inline constexpr SYS_Status SYS_NO_EVENT = 8; // the wait event could not be created
inline constexpr SYS_Status SYS_SIZE_ONLY = 10; // capacity 0: only the size needed is returned
inline constexpr SYS_Status SYS_EMPTY = 12; // empty store, or empty text to parse
inline constexpr SYS_Status SYS_OUT_OF_RANGE = 13; // index past the last item, or a short read
inline constexpr SYS_Status SYS_FILE_NOT_FOUND = 14; // the file to delete does not exist
inline constexpr SYS_Status SYS_CLOSING = 15; // the store is being destroyed
inline constexpr SYS_Status SYS_OS_ERROR = 255; // registry, conversion or delete failure

// ---- Layer start and stop -----------------------------------------------------------------

// The record given to SYS_Init. Modules that start the layer on their own behalf pass a
// zeroed record; only the first start of the process is kept.
struct SYS_StartRecord {
    uint32_t size; // the record's size in bytes
    const char* logName; // the application's log file name, or null
    uintptr_t appValue; // the application's value (its program instance)
};

// Nested start: only the first call stores the record and seeds rand(); always SYS_OK.
SYS_Status SYS_Init(const SYS_StartRecord* record);
// Undoes one SYS_Init; at 0 it does nothing.
void SYS_Shutdown();
// The nesting depth of SYS_Init calls still open, and the record stored by the first (null
// while the layer is not started).
uint32_t SYS_InitDepth();
const SYS_StartRecord* SYS_StartInfo();
// A module announces itself (name given) or its shutdown (name null). Returns 0.
uint32_t SYS_ModuleNotice(uint32_t tag, const char* name);

// Module tags, passed with allocations and notices.
inline constexpr uint32_t SYS_TAG_BIGFILE = 0x33224422;
inline constexpr uint32_t SYS_TAG_GUI = 0x88447373;
inline constexpr uint32_t SYS_TAG_GUIB = 0x12341234;
inline constexpr uint32_t SYS_TAG_GUI_TEXTS = 0x88447374;
inline constexpr uint32_t SYS_TAG_LZW = 0x89895454;
inline constexpr uint32_t SYS_TAG_INSTALLLIB = 0x82734650;
inline constexpr uint32_t SYS_TAG_MAIN = 0x42526272;
inline constexpr uint32_t SYS_TAG_ML = 0x42545623;

// ---- Diagnostic trace -----------------------------------------------------------------------

// Modules send one fixed reason for every refusal of outside data here. The product installs
// no sink, so nothing is printed; tools print, tests capture.
using SYS_TraceSink = void (*)(uint32_t tag, int level, const char* text);
void SYS_Trace(uint32_t tag, int level, const char* text);
// Installs a sink (null removes it) and returns the previous one.
SYS_TraceSink SYS_SetTraceSink(SYS_TraceSink sink);

// ---- Memory blocks --------------------------------------------------------------------------

// A block of size bytes, not zeroed, or null when memory is exhausted. Label and tag name the
// block's use for diagnostics only.
[[nodiscard]] void* SYS_Alloc(size_t size, const char* label, uint32_t tag);
void SYS_Free(void* block); // null is ignored

// The owner of one SYS_Alloc block, the size of a pointer: SYS_Free runs when the owner is
// destroyed, reset or assigned, and ownership moves, never copies. SYS_Block<T[]> holds an
// array (indexing), SYS_Block<T> one record. The block is raw memory: T is a type that needs no
// constructor or destructor to run (bytes, numbers, plain records).
struct SYS_BlockFree {
    void operator()(void* block) const { SYS_Free(block); }
};
template <typename T> using SYS_Block = std::unique_ptr<T, SYS_BlockFree>;

// A new block of count Ts, not zeroed, owned; empty when memory is exhausted or the size does
// not fit a size_t.
template <typename T>
[[nodiscard]] SYS_Block<T[]> SYS_AllocArray(size_t count, const char* label, uint32_t tag)
{
    static_assert(std::is_trivially_destructible_v<T>, "SYS_Free runs no destructor");
    if (count > SIZE_MAX / sizeof(T))
        return nullptr;
    return SYS_Block<T[]>(static_cast<T*>(SYS_Alloc(count * sizeof(T), label, tag)));
}

// Fills count units of 1, 2 or 4 bytes with value's low bytes; any other unit size writes nothing.
void SYS_Fill(void* destination, uint32_t unitSize, size_t count, uint32_t value);
void SYS_Zero(void* destination, size_t byteCount);
// Forward copy: disjoint ranges or a destination below the source. Null pointers: nothing.
void SYS_Copy(void* destination, const void* source, size_t byteCount);
// Copy from the last byte to the first: a destination above an overlapping source.
void SYS_CopyBackward(void* destination, const void* source, size_t byteCount);

// Little-endian numbers in stored formats, read from and written to unaligned bytes.
inline uint16_t SYS_LoadU16(const uint8_t* at)
{
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}
inline uint32_t SYS_LoadU32(const uint8_t* at)
{
    return uint32_t { at[0] } | uint32_t { at[1] } << 8 | uint32_t { at[2] } << 16
        | uint32_t { at[3] } << 24;
}
inline uint64_t SYS_LoadU64(const uint8_t* at)
{
    return uint64_t { SYS_LoadU32(at) } | uint64_t { SYS_LoadU32(at + 4) } << 32;
}
inline void SYS_StoreU16(uint8_t* at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}
inline void SYS_StoreU32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}
inline void SYS_StoreU64(uint8_t* at, uint64_t value)
{
    SYS_StoreU32(at, static_cast<uint32_t>(value));
    SYS_StoreU32(at + 4, static_cast<uint32_t>(value >> 32));
}

// Reads untrusted bytes from the front of a span. A read succeeds whole or fails and leaves
// the position where it was, so nothing past the end is ever touched. Positions and counts are
// 64-bit so that sums of stored fields are checked before anything narrows them.
class SYS_SpanReader {
public:
    SYS_SpanReader(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    size_t Size() const { return m_size; }
    size_t Position() const { return m_position; }
    size_t Remaining() const { return m_size - m_position; }

    // Moves to position; fails past the end (the end itself is allowed).
    [[nodiscard]] bool Seek(uint64_t position);
    [[nodiscard]] bool Skip(uint64_t count);
    // The next count bytes, or null when fewer are left; advances past them. A span over null
    // data gives null even for 0 bytes (Skip(0) succeeds there).
    [[nodiscard]] const uint8_t* Take(uint64_t count);
    // Little-endian fields; value is left alone when the read fails.
    [[nodiscard]] bool U8(uint8_t& value);
    [[nodiscard]] bool U16(uint16_t& value);
    [[nodiscard]] bool U32(uint32_t& value);
    [[nodiscard]] bool U64(uint64_t& value);
    [[nodiscard]] bool I32(int32_t& value);

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

// ---- 8-bit strings -------------------------------------------------------------------------

// Copies source; a null source gives an empty destination and 0.
size_t SYS_StrCopy(char* destination, size_t capacity, const char* source);
// 0 equal, 1 first greater, 2 first smaller; characters compare as SIGNED bytes.
uint32_t SYS_StrCompare(const char* first, const char* second);
size_t SYS_StrLen(const char* text); // 0 for null
// Change only ASCII letters, in place; return the length (0 for null).
size_t SYS_StrUpper(char* text);
size_t SYS_StrLower(char* text);
// printf-style formatting into destination; returns the length the whole text needs, or -1
// for a format the C library rejects. The C99 directives (%zu, %lld, %hhd ...) work on every
// system. MinGW names the format checking of its C99 printf family itself; its compiler's plain
// "printf" would check against the older runtime's directives.
#ifdef __MINGW_PRINTF_FORMAT
#define SYS_PRINTF_CHECK __MINGW_PRINTF_FORMAT
#else
#define SYS_PRINTF_CHECK printf
#endif
int SYS_Format(char* destination, size_t capacity, const char* format, ...)
    __attribute__((format(SYS_PRINTF_CHECK, 3, 4)));
int SYS_FormatV(char* destination, size_t capacity, const char* format, va_list arguments);
// Decimal, "-" decimal, or "0x" hexadecimal, accumulated in unsigned 32-bit arithmetic (larger
// values wrap). SYS_EMPTY for "", SYS_BAD_ARGUMENT for any other character; the output is
// written only on SYS_OK.
[[nodiscard]] SYS_Status SYS_ParseInt(int32_t* value, const char* text);
// Copies source with every run of separator characters removed: tokens one after another,
// each ending in NUL, the list ending in a second NUL. Returns the number of tokens. The
// destination needs the source's length + 2 bytes; with less it receives an empty list (as
// much of it as fits) and 0 is returned. Splitting in place is allowed.
uint32_t SYS_SplitTokens(
    char* destination, size_t capacity, const char* source, const char* separators);
// The path up to and including its last "\\" or "/" (the whole path when there is none).
size_t SYS_PathDir(char* destination, size_t capacity, const char* path);
// What follows the last separator (the whole path when there is none).
size_t SYS_PathFileName(char* destination, size_t capacity, const char* path);

// ---- Wide strings --------------------------------------------------------------------------

size_t SYS_WStrCopy(char16_t* destination, size_t capacity, const char16_t* source);
// 0 equal, 1 first greater, 2 first smaller; units compare unsigned.
uint32_t SYS_WStrCompare(const char16_t* first, const char16_t* second);
size_t SYS_WStrLen(const char16_t* text);
// Copies source with "a".."z" upper-cased.
size_t SYS_WStrUpperCopy(char16_t* destination, size_t capacity, const char16_t* source);
// printf-style formatting of wide text: "%s" takes a wide string, "%hs" an 8-bit one; the
// flags, width, precision and conversions d i u x X o c s f e g p % are understood. Returns the
// units the whole text needs, or -1 for a malformed directive.
int SYS_WFormat(char16_t* destination, size_t capacity, const char16_t* format, ...);
int SYS_WFormatV(char16_t* destination, size_t capacity, const char16_t* format, va_list arguments);
// "1023 B", "1.00 KB", "100 KB" ... "TB": the byte count in the largest fitting unit.
size_t SYS_FormatSize(char16_t* destination, size_t capacity, uint64_t byteCount);
// SYS_ParseInt on wide text; units above 0xFF are not digits. Needs no scratch memory.
[[nodiscard]] SYS_Status SYS_WParseInt(int32_t* value, const char16_t* text);
size_t SYS_WPathDir(char16_t* destination, size_t capacity, const char16_t* path);
size_t SYS_WPathFileName(char16_t* destination, size_t capacity, const char16_t* path);
// Copies line without its comments ("//" to the end, "/*" to "*/"). insideBlock says whether
// the line starts inside a block comment and is updated for the next line; it may be null
// (treated as outside). Returns the units copied.
size_t SYS_WStripComments(
    char16_t* destination, size_t capacity, const char16_t* line, uint32_t* insideBlock);
// Plain widening: each byte becomes the unit of the same value.
size_t SYS_StrToWStr(char16_t* destination, size_t capacity, const char* source);
// Plain narrowing: units up to 0xFF become that byte, others "?".
size_t SYS_WStrToStr(char* destination, size_t capacity, const char16_t* source);

// ---- Numbers and time -----------------------------------------------------------------------

// Truncation toward zero.
double SYS_Truncate(float value);
// Nearest integer, halves toward positive infinity; NaN gives 0, values beyond the 32-bit
// range give its limits.
int32_t SYS_Round(float value);
// Milliseconds since the system started, wrapping at 2^32.
uint32_t SYS_TickCount();

// ---- Paths ----------------------------------------------------------------------------------

// Whether path is rooted rather than relative to a folder: a leading "\\" or "/" (a root, or
// "\\\\server"), or a drive letter and ":" (even "X:name", which Windows resolves on that drive).
// The rule is the same on every system, so a name refused on one is refused on all. Null and ""
// are not absolute.
bool SYS_PathIsAbsolute(const char* path);
bool SYS_WPathIsAbsolute(const char16_t* path);

// ---- Code-page conversion of file names ----------------------------------------------------

// The 8-bit side is the code page of the system's file functions: on Windows the ANSI code page
// when AreFileApisANSI() is true and the OEM code page otherwise; on POSIX UTF-8. Capacity is
// in/out: bytes (units) available, replaced by bytes (units) written including the terminator.
// Capacity 0: SYS_SIZE_ONLY with the size needed. Failure, including a destination too small, a
// character the code page has no exact code for (never a "?" or a look-alike that could name
// another file) and bytes that are not valid text: SYS_OS_ERROR, capacity untouched. A null
// source or capacity, or a null destination with a capacity: SYS_BAD_ARGUMENT.
[[nodiscard]] SYS_Status SYS_WideToFileApi(
    char* destination, uint32_t* capacity, const char16_t* source);
[[nodiscard]] SYS_Status SYS_FileApiToWide(
    char16_t* destination, uint32_t* capacity, const char* source);
// Replaces the file-API code page (0 restores the system's rule), so that tests can run the
// 8-bit paths with the code pages of other editions: 437, 850, 852, 866, 874, 932, 936, 949,
// 950, 1250..1258, 65001. Returns the previous override. Unknown pages fail every conversion.
// The override changes these conversions only: 8-bit names reach the system unchanged.
uint32_t SYS_SetFileApiCodePage(uint32_t codePage);

// UTF-8 whatever the file-API code page is (the text of every system call on POSIX), with the
// capacity and failure rules of the two conversions above: an unpaired surrogate, or bytes that
// are not UTF-8, fail with SYS_OS_ERROR.
[[nodiscard]] SYS_Status SYS_WideToUtf8(
    char* destination, uint32_t* capacity, const char16_t* source);
[[nodiscard]] SYS_Status SYS_Utf8ToWide(
    char16_t* destination, uint32_t* capacity, const char* source);
// 8-bit text of the code page given (one of those SYS_SetFileApiCodePage lists), such as a
// language's texts stored in that language's page, as wide text; with the capacity and failure
// rules above. A page the system does not know fails with SYS_OS_ERROR, and so do 0..3, which
// on Windows stand for the pages of the machine, not for one page.
[[nodiscard]] SYS_Status SYS_CodePageToWide(
    uint32_t codePage, char16_t* destination, uint32_t* capacity, const char* source);

// ---- Names for the system's own calls -------------------------------------------------------

// For the backends of other modules that hand a name to the system themselves. Names inside the
// system are Windows paths; the system's calls take them unchanged on Windows, and with every
// "\\" made "/" on POSIX. Bounded output; the result is as long as the name, so destination may
// be name itself.
size_t SYS_SystemPath(char* destination, size_t capacity, const char* name);

// ---- Message boxes --------------------------------------------------------------------------

// Plain message boxes without an owner window, for what a module must tell the user before the
// installer's own window exists. Windows shows MessageBoxA (MessageBoxW for wide text) with the
// flags given. Where no box can be shown (POSIX), "caption: text" goes to the error stream as
// one line (wide text in UTF-8) and the box counts as answered with Cancel, or OK when that is
// its only button. Null text or caption is shown as empty.
inline constexpr uint32_t SYS_MB_OK = 0x0; // one OK button
inline constexpr uint32_t SYS_MB_RETRY_CANCEL = 0x5; // Retry and Cancel
inline constexpr uint32_t SYS_MB_TASK_MODAL = 0x2000; // the thread's windows wait for the box
// The button chosen, or 0 when the box could not be shown.
inline constexpr uint32_t SYS_ID_OK = 1;
inline constexpr uint32_t SYS_ID_CANCEL = 2;
inline constexpr uint32_t SYS_ID_RETRY = 4;
uint32_t SYS_MessageBox(const char* text, const char* caption, uint32_t flags);
uint32_t SYS_WMessageBox(const char16_t* text, const char16_t* caption, uint32_t flags);

// ---- Files ----------------------------------------------------------------------------------

// System handles are pointer-sized; 0 is "none". Kernel handles never have bit 0 or bit 1 set,
// on either system, so other modules may tag their own handles with those bits.
using SYS_Handle = uintptr_t;

inline constexpr uint32_t SYS_OPEN_READ = 1;
inline constexpr uint32_t SYS_OPEN_WRITE = 2;

// Files are shared for reading only: while a handle that reads or writes a file is open, opens of
// it for writing fail, and so do all opens of a file open for writing (mode 0 never conflicts).
// Opens an existing file (mode 0: neither reading nor writing). Returns 0 on failure.
[[nodiscard]] SYS_Handle SYS_FileOpen(const char* name, uint32_t mode);
[[nodiscard]] SYS_Handle SYS_FileOpenW(const char16_t* name, uint32_t mode);
// Creates a file for reading and writing, emptying an existing one. Returns 0 on failure.
[[nodiscard]] SYS_Handle SYS_FileCreate(const char* name);
[[nodiscard]] SYS_Handle SYS_FileCreateW(const char16_t* name);
// Creates a new file for reading and writing. Returns 0 when something of that name exists
// (a link to elsewhere included, which is never followed) or the file cannot be made.
[[nodiscard]] SYS_Handle SYS_FileCreateNew(const char* name);
[[nodiscard]] SYS_Handle SYS_FileCreateNewW(const char16_t* name);
// Non-zero on success.
int SYS_FileClose(SYS_Handle file);
// SYS_OK when exactly count bytes were read; SYS_OUT_OF_RANGE when fewer came (they are in the
// buffer); SYS_FAILED when the call fails.
[[nodiscard]] SYS_Status SYS_FileRead(SYS_Handle file, void* buffer, uint32_t count);
// SYS_OK when every byte was written, SYS_FAILED otherwise.
[[nodiscard]] SYS_Status SYS_FileWrite(SYS_Handle file, const void* buffer, uint32_t count);
// origin 0 start, 1 current, 2 end; SYS_BAD_ARGUMENT for any other origin (no system call).
[[nodiscard]] SYS_Status SYS_FileSeek(
    SYS_Handle file, int32_t offset, uint32_t origin, uint32_t* newPosition);
// The size, leaving the position where it was; the output is written only on success.
// SYS_BAD_ARGUMENT for a null output.
[[nodiscard]] SYS_Status SYS_FileSize(SYS_Handle file, uint32_t* size);
// SYS_OK; SYS_FILE_NOT_FOUND when there is no such file (in a folder that exists); SYS_OS_ERROR
// otherwise; SYS_BAD_ARGUMENT for a null name.
[[nodiscard]] SYS_Status SYS_FileDelete(const char* name);
[[nodiscard]] SYS_Status SYS_FileDeleteW(const char16_t* name);

// ---- Events and mutexes ---------------------------------------------------------------------

// The no-object handle: waiting on it, setting, releasing and closing it succeed at once.
inline constexpr SYS_Handle SYS_NO_OBJECT = 0x7fffffff;
inline constexpr uint32_t SYS_WAIT_FOREVER = 0xFFFFFFFF;

// Manual-reset events. Returns 0 when none can be made.
[[nodiscard]] SYS_Handle SYS_EventCreate(int signalled);
// Sets (flag non-zero) or resets (flag 0) the event.
[[nodiscard]] SYS_Status SYS_EventSet(SYS_Handle event, int flag);
// SYS_OK when signalled, SYS_TIMEOUT, SYS_FAILED otherwise.
[[nodiscard]] SYS_Status SYS_EventWait(SYS_Handle event, uint32_t milliseconds);
// SYS_FAILED for the handle 0.
SYS_Status SYS_EventClose(SYS_Handle event);
// Recursive mutexes owned by a thread; only the owner can unlock.
[[nodiscard]] SYS_Handle SYS_MutexCreate(int initialOwner);
[[nodiscard]] SYS_Status SYS_MutexLock(SYS_Handle mutex, uint32_t milliseconds);
[[nodiscard]] SYS_Status SYS_MutexUnlock(SYS_Handle mutex);
SYS_Status SYS_MutexClose(SYS_Handle mutex);

// ---- Registry (keys under HKEY_LOCAL_MACHINE, 8-bit names) ----------------------------------

// On POSIX the registry is one REGEDIT4 text file: $PATCHER_REGISTRY, else
// $XDG_CONFIG_HOME/patcher/registry.reg (default ~/.config/patcher/registry.reg). Every write
// re-reads it under an advisory lock and replaces it atomically.
using SYS_RegKey = uintptr_t;

inline constexpr uint32_t SYS_REG_SZ = 1;
inline constexpr uint32_t SYS_REG_BINARY = 3;
inline constexpr uint32_t SYS_REG_DWORD = 4;

// Returns the key, or 0 on failure or for a null path (no system call then).
[[nodiscard]] SYS_RegKey SYS_RegCreateKey(const char* path);
[[nodiscard]] SYS_RegKey SYS_RegOpenKey(const char* path);
// The system's result code (0 on success).
uint32_t SYS_RegCloseKey(SYS_RegKey key);
// The value's size in bytes (a text's size includes its terminator); SYS_OS_ERROR when the
// value is missing or the call fails.
[[nodiscard]] SYS_Status SYS_RegQuerySize(SYS_RegKey key, const char* name, uint32_t* size);
// Reads the value into buffer; SYS_OS_ERROR when it is missing or does not fit. The value's
// type is not checked; bytesRead (may be null) receives the bytes stored.
[[nodiscard]] SYS_Status SYS_RegQueryValue(SYS_RegKey key, const char* name, void* buffer,
    uint32_t bufferSize, uint32_t* bytesRead = nullptr);
// REG_SZ of the text's length + 1 bytes (null: the empty text). SYS_BAD_ARGUMENT for a null
// name, SYS_OS_ERROR when the write fails.
[[nodiscard]] SYS_Status SYS_RegSetString(SYS_RegKey key, const char* name, const char* text);
[[nodiscard]] SYS_Status SYS_RegSetDword(SYS_RegKey key, const char* name, uint32_t value);
// Any type and bytes, as stored (for tools and tests that build unusual values).
[[nodiscard]] SYS_Status SYS_RegSetValue(
    SYS_RegKey key, const char* name, uint32_t type, const void* data, uint32_t size);
// A batch of value writes through one key: after SYS_RegBeginBatch the writes through key are
// held back (each still answers whether its name can be stored) until SYS_RegCommitBatch makes
// them all in one change, so that a crash leaves all of them or none. On POSIX that is one
// rewrite of the hive file, and closing a key with a batch open drops the held writes; on Win32
// each value is written at once, as without a batch. A commit without a batch does nothing.
// SYS_OS_ERROR when the key is not open or the commit's change fails.
[[nodiscard]] SYS_Status SYS_RegBeginBatch(SYS_RegKey key);
[[nodiscard]] SYS_Status SYS_RegCommitBatch(SYS_RegKey key);

// ---- Reserved address ranges ----------------------------------------------------------------

// Reserves size bytes of address space without memory behind them; null on failure.
[[nodiscard]] void* SYS_RangeReserve(size_t size);
// Makes [at, at + size) of a reserved range readable and writable (page granular, zeroed).
[[nodiscard]] SYS_Status SYS_RangeCommit(void* at, size_t size);
// Gives back the whole range reserved at base with the given size.
void SYS_RangeRelease(void* base, size_t size);
// The granularity of commits in bytes.
size_t SYS_RangePageSize();

// ---- Item store -----------------------------------------------------------------------------

// An ordered list of items (id, value, optional name, use count) handing out references.
// A null store, or a null name or output that an operation needs, gives SYS_BAD_ARGUMENT.
struct SYS_ItemStore;
using SYS_ReleaseCallback = void (*)(uint32_t id, uintptr_t value);

// Insert positions for SYS_StoreInsert and SYS_StoreMove.
inline constexpr int32_t SYS_AT_HEAD = -1; // before the first item
inline constexpr int32_t SYS_AT_TAIL = -2; // after the last item
inline constexpr int32_t SYS_AFTER_ID = -3; // directly after the first item with id = reference
inline constexpr int32_t SYS_BEFORE_ID = -4; // directly before the first item with id = reference
inline constexpr int32_t SYS_AT_POSITION
    = -5; // before the item at position reference (count appends)

// A new empty store (locked: with a mutex of its own), or null.
[[nodiscard]] SYS_ItemStore* SYS_StoreCreate(SYS_ReleaseCallback release, int locked);
// Refuses further adds, removes every item when removeItems is set (waiting for holders when
// wait is set), then frees the store; items still there are dropped without their callbacks.
SYS_Status SYS_StoreDestroy(SYS_ItemStore* store, int removeItems, int wait);
// where: SYS_AT_HEAD, SYS_AT_TAIL, or a position 0..count.
[[nodiscard]] SYS_Status SYS_StoreAdd(
    SYS_ItemStore* store, uint32_t id, uintptr_t value, int32_t where);
[[nodiscard]] SYS_Status SYS_StoreInsert(
    SYS_ItemStore* store, uint32_t id, uintptr_t value, int32_t mode, uint32_t reference);
// Moves the first item with id; SYS_OK also when there is none. A failed relink leaves the
// item where it was and returns the failure.
[[nodiscard]] SYS_Status SYS_StoreMove(
    SYS_ItemStore* store, uint32_t id, int32_t mode, uint32_t reference);
// With value given, takes a reference; without, only tests presence.
[[nodiscard]] SYS_Status SYS_StoreGet(SYS_ItemStore* store, uint32_t id, uintptr_t* value);
// position 0..count-1, -1 first, -2 last. Takes a reference when value is given.
[[nodiscard]] SYS_Status SYS_StoreGetAt(
    SYS_ItemStore* store, int32_t position, uint32_t* id, uintptr_t* value);
[[nodiscard]] SYS_Status SYS_StoreFindByName(
    SYS_ItemStore* store, const char* name, uint32_t* id, uintptr_t* value);
// Gives back n references; the item leaves at zero (release callback, wait event).
SYS_Status SYS_StoreRelease(SYS_ItemStore* store, uint32_t id, uint32_t n);
// Gives back the store's own reference; with wait, returns only once the item has left.
SYS_Status SYS_StoreRemove(SYS_ItemStore* store, uint32_t id, int wait);
SYS_Status SYS_StoreCount(SYS_ItemStore* store, uint32_t* count);
// A new block of the ids in list order (free with SYS_Free); not written for an empty store.
[[nodiscard]] SYS_Status SYS_StoreListIds(SYS_ItemStore* store, uint32_t** ids, uint32_t* count);
// Replaces the name of the first item with id by a copy (null removes it); SYS_NO_MEMORY when
// the copy cannot be made.
[[nodiscard]] SYS_Status SYS_StoreSetName(SYS_ItemStore* store, uint32_t id, const char* name);
// Builds the id index: ascending ids, equal ids in list order. Releases keep it up to date;
// adding or moving an item drops it (lookups walk the list again) until it is built anew.
[[nodiscard]] SYS_Status SYS_StoreSortIndex(SYS_ItemStore* store);
