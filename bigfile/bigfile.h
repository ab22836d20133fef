// The archive file system: the "cbf" archive format, the process-wide file table of mounted
// members, the virtual file interface through which every module reads its data (archive
// members and disk files alike), directory scanning, and the LZW codec of compressed members.
// Safe from several threads: the tables are locked briefly and members are read at explicit
// offsets, never through a shared seek position. One handle is used by one thread at a time, and
// an archive is not unmounted while another thread reads its members.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// ---- Format constants ---------------------------------------------------------------------
// Archive: a 52-byte header, the members' data, a directory. All numbers little-endian.

inline constexpr uint32_t BF_HEADER_SIZE = 52;
inline constexpr uint32_t BF_ENTRY_FIXED_SIZE = 40; // directory entry before its name
inline constexpr uint32_t BF_BLOCK_HEADER_SIZE = 12; // "[..]", compressed size, size
inline constexpr uint8_t BF_MAGIC[4] = { 'B', 'I', 'G', 'F' };
inline constexpr uint8_t BF_TAG_LETTERS[3] = { 'K', 'V', 'X' }; // header bytes 5..7
inline constexpr uint8_t BF_BLOCK_MAGIC[4] = { '[', '.', '.', ']' };

// Header fields (byte offsets).
inline constexpr uint32_t BF_HDR_VERSION = 4; // directory format version, 0 or 1
inline constexpr uint32_t BF_HDR_FILE_SIZE = 8; // u64, must equal the file's size
inline constexpr uint32_t BF_HDR_COUNT = 16; // u32 directory entries
inline constexpr uint32_t BF_HDR_DIR_OFFSET = 20; // u64
inline constexpr uint32_t BF_HDR_DIR_SIZE = 28; // u32
inline constexpr uint32_t BF_HDR_ORDERING = 44; // u64, mount mode 2 loads greater values first

// Storage methods of a member.
inline constexpr uint32_t BF_METHOD_STORED = 0;
inline constexpr uint32_t BF_METHOD_LZW = 1;
inline constexpr uint32_t BF_METHOD_SCRAMBLED = 2;

// Directory scrambling (version 1): byte s gives s ^ key[i]; the next i is s & 15; the first i
// is the low 4 bits of the entry's length. Scrambled members: stored byte s of a member whose
// size has low byte k gives ((s - (BF_MEMBER_KEY - k)) & 0xFF) ^ k.
inline constexpr uint8_t BF_DIRECTORY_KEYS[16] = { 0x3A, 0xC5, 0x17, 0x8E, 0x62, 0xF9, 0x04, 0xB3,
    0x5D, 0x21, 0xEA, 0x96, 0x4F, 0x78, 0xDC, 0x0B };
inline constexpr uint8_t BF_MEMBER_KEY = 0xA7;

// The largest uncompressed LZW block: no stream of this many bytes can define a code past 65535.
inline constexpr uint32_t BF_MAX_LZW_BLOCK = 65279;
// The most output one LZW block may claim. The writer's blocks are far smaller; a header that
// claims more is corrupt, so no block read allocates or decodes more than this.
inline constexpr uint32_t BF_MAX_LZW_BLOCK_OUTPUT = 64u << 20;

// ---- Status codes (distinct from SYS_Status) ----------------------------------------------

using BF_Status = uint32_t;
inline constexpr BF_Status BF_OK = 0;
inline constexpr BF_Status BF_ERR_NO_MEMORY = 0x10000001; // directory buffer not allocated
inline constexpr BF_Status BF_ERR_DIRECTORY = 0x10000003; // an entry could not be entered
inline constexpr BF_Status BF_ERR_READ = 0x10000006; // seeking to or reading the directory
inline constexpr BF_Status BF_ERR_FORMAT = 0x10000007; // not an archive, or a damaged one
inline constexpr BF_Status BF_ERR_STORE = 0x1000000b; // the archive store could not be read
inline constexpr BF_Status BF_ERR_NOT_STARTED = 0x1000000d; // BF_Init has not run
inline constexpr BF_Status BF_ERR_OPEN = 0xFFFFFFFF; // cannot open, or (unload) not mounted

// ---- Start and shutdown -------------------------------------------------------------------

// Called with (1, name, 0) before every BF_Open / BF_OpenEx; its result is ignored.
using BF_OpenNotify = uint32_t (*)(uint32_t what, const char* name, uintptr_t extra);

struct BF_InitParams {
    const char* filePattern; // not read
    const char* baseDir; // tried for relative names and scanned; null for none
    const char* secondDir; // scanned; null for none
    uint32_t plainNames; // relative names are also tried as given; scans include the disk
    uint32_t diskFirst; // the disk is tried before the archives
    uint32_t unused;
    uint32_t messageBoxes; // show the module's message boxes (else: default answers)
    uint32_t requiredVersionTag; // 0 any; else only archives with exactly this header tag mount
    BF_OpenNotify openNotify; // null for none
};

// 1 started, 0 failed (a given folder that does not exist fails the start).
int BF_Init(const BF_InitParams* params);
// Closes every open file, unmounts every archive, releases the tables.
void BF_Shutdown();

// ---- Mounting -----------------------------------------------------------------------------

// Mount modes: 0 at the end (names of earlier archives win), 1 at the front (its names win),
// 2 by ordering value (greater first), 3 at the end without a rebuild (fills gaps only).
BF_Status LoadBF(const char16_t* path, uint32_t mode);
// Unmounts the archive, closing the files that read through its shared handle.
BF_Status UnloadBF(const char16_t* path);
// Enters the members of the archive open at file into the table (read from the file's start at
// explicit offsets: the handle's position does not matter and does not move on POSIX). The whole
// directory is checked before anything is entered. header (52 bytes, may be null) receives a
// copy of the archive header.
BF_Status BF_LoadDirectory(SYS_Handle file, uint32_t mountFlags, uint8_t* header);

// One directory entry as the archive stores it, handed to a BF_DirectoryVisitor.
struct BF_DirectoryEntry {
    char* name; // as stored (case kept), NUL-terminated; the visitor may change it in place
    size_t nameLength;
    uint64_t dataOffset;
    uint32_t attributes;
    uint64_t writeTime;
    uint64_t size;
    uint32_t value;
    uint32_t method; // a version-1 method 0 is already read as BF_METHOD_SCRAMBLED
    uint32_t flags;
};
// Called once per entry in directory order; the entry lives until the call returns. A status
// other than BF_OK stops the walk, and BF_ReadDirectory returns it.
using BF_DirectoryVisitor = BF_Status (*)(void* context, BF_DirectoryEntry* entry);
// Reads the header and directory of the archive open at file (from its start, whatever the
// handle's position) with every check
// of mounting, and only then visits the entries; needs no BF_Init. requiredVersionTag: 0 any,
// else only an archive whose header tag is exactly this one is read. header (52 bytes, may be
// null) receives the checked header before the first visit. BF_ERR_FORMAT for a foreign or
// damaged archive, BF_ERR_DIRECTORY for an empty name (each with its reason sent to SYS_Trace),
// BF_ERR_READ when the directory cannot be read whole (also when its offset or size runs past the
// archive's end), BF_ERR_NO_MEMORY.
BF_Status BF_ReadDirectory(SYS_Handle file, uint32_t requiredVersionTag, uint8_t* header,
    BF_DirectoryVisitor visit, void* context);
// The bytes an LZW member at dataOffset with size uncompressed bytes occupies in the archive
// open at file, block headers included, found by the reader's own walk over its block headers.
// BF_ERR_FORMAT when a block header cannot be read, is damaged, or runs past the member or the
// archive (a damage sends its reason to SYS_Trace); BF_ERR_READ when the archive has no size.
BF_Status BF_LzwStoredSize(
    SYS_Handle file, uint64_t dataOffset, uint64_t size, uint64_t* storedSize);
// position in the archive store: -1 first, -2 last, n before the n-th.
BF_Status BF_MountFile(const char16_t* path, uint32_t mountFlags, uint32_t kind, int32_t position);
BF_Status BF_ReadOrderingValue(const char16_t* path, uint64_t* value);
// Binary search of the file table for an upper-cased name. exact: found flag and index of the
// name; otherwise the insertion point in index (found tells whether it holds the name).
bool BF_LookupName(const char* upperName, bool exact, uint32_t* index);

// ---- Member names -------------------------------------------------------------------------

// Why a member name could not be installed below a folder without leaving it, or null when it
// can: it must not be empty, begin with "\\" or "/", hold a ":" (drive or stream) or a control
// character (0x01-0x1F, 0x7F), or have a component (between "\\" or "/") that is empty, "." or
// "..", ends in "." or a blank (which the system strips, so ".. " names the parent folder), or
// is a device whatever its extension: CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-COM9 and
// LPT1-LPT9, and COM and LPT with a superscript 1 to 3 in any code page's byte form. The
// installer and patchkit both judge names by this one rule. The reason is a fixed text.
const char* BF_MemberNameFault(const char* name);

// ---- Virtual file interface ---------------------------------------------------------------

// Virtual handles: the system handle for disk files and for members opened with a handle of
// their own; otherwise a pseudo handle with bit 0 set, which no system handle has.
using BF_Handle = uintptr_t;

// Open flags: the system's access bits plus bit 1.
inline constexpr uint32_t BF_GENERIC_READ = 0x80000000;
inline constexpr uint32_t BF_GENERIC_WRITE = 0x40000000; // disk only
inline constexpr uint32_t BF_OWN_HANDLE = 2; // sequential scan on disk; own handle for a member

// Answers of the "File not found!" box.
inline constexpr uint32_t BF_ANSWER_RETRY = 0x20000000;
inline constexpr uint32_t BF_ANSWER_CANCEL = 0x20000001;

// 0 when nothing opens (after the not-found box, when boxes are on).
[[nodiscard]] BF_Handle BF_Open(const char* name, uint32_t flags);
[[nodiscard]] BF_Handle BF_OpenEx(const char* name, uint32_t flags, int report);
// Bytes read: 0 at the end, on an error, for a null buffer or a count of 0.
uint32_t BF_Read(BF_Handle file, void* buffer, uint32_t count);
// origin 0 from the start, 1 from the current position, 2 back from the end. The new position,
// or BF_BAD_POSITION (position unchanged).
inline constexpr uint64_t BF_BAD_POSITION = 0xFFFFFFFFFFFFFFFF;
uint64_t BF_Seek(BF_Handle file, uint64_t offset, uint32_t origin);
uint64_t BF_GetSize(BF_Handle file); // BF_BAD_POSITION for an unknown handle
void BF_Close(BF_Handle file);
int BF_Exists(const char* name); // 1 when it opens (silently)
uint64_t BF_GetFileSize(const char* name); // BF_BAD_POSITION when it cannot be opened

// Path helpers that take the wide or the 8-bit system calls by the system's kind.
[[nodiscard]] SYS_Handle BF_OpenWide(const char16_t* name, uint32_t flags);
uint32_t BF_GetCurrentDir(uint32_t capacity, char16_t* buffer); // length, 0 on failure
int BF_SetCurrentDir(const char16_t* path); // success flag
// The full path of name; filePart (may be null) points at its file name inside buffer.
uint32_t BF_GetFullPath(
    const char16_t* name, uint32_t capacity, char16_t* buffer, char16_t** filePart);

// Low-level file calls: share read and write, existing files only; 64-bit positions.
[[nodiscard]] SYS_Handle BF_SysOpen(const char* name, uint32_t flags);
[[nodiscard]] SYS_Handle BF_SysOpenW(const char16_t* name, uint32_t flags);
uint32_t BF_SysRead(SYS_Handle file, void* buffer, uint32_t count); // 0 when the call fails
// method 0 start, 1 current, 2 end; BF_BAD_POSITION when the call fails.
uint64_t BF_SysSeek(SYS_Handle file, int64_t offset, uint32_t method);
uint64_t BF_SysSize(SYS_Handle file);
int BF_SysClose(SYS_Handle file);

// ---- Directory scanning -------------------------------------------------------------------

// Owned by the caller; zeroed by BF_FindFirst.
struct BF_FindContext {
    size_t used; // bytes of the name list in use
    size_t cursor; // offset of the next name
    uint8_t* list; // the reserved range of the list, or null
    size_t committed; // bytes committed
    bool incomplete; // a name could not be listed (too long, or no memory): the list lacks it
};

// The first name matching pattern (upper-case, relative), or null. Names stay valid until the
// list is released (the call that returns null, or BF_FindClose).
const char* BF_FindFirst(const char* pattern, int recurse, BF_FindContext* context);
const char* BF_FindNext(BF_FindContext* context);
void BF_FindClose(BF_FindContext* context);
// 1 when an archive name matches a pattern of "?", "*" and plain characters.
int BF_MatchWildcard(const char* name, const char* pattern);

// ---- LZW codec ----------------------------------------------------------------------------

struct LZW_Decoder;

// Nested start. *option 0 makes one shared decoder that is reused; other values make none.
SYS_Status LZW_Init(const uint32_t* option);
void LZW_Shutdown();
// A decoder of one block into output (capacity bytes) from input (size bytes; no spare bytes
// are needed after it). Null when memory is short.
[[nodiscard]] LZW_Decoder* LZW_CreateDecoder(
    uint8_t* output, uint32_t capacity, const uint8_t* input, uint32_t size);
// True when the end code was reached and every step before it succeeded. Bytes of the output
// past those produced may have been changed (a short or failed block leaves no promise there).
[[nodiscard]] bool LZW_Decode(LZW_Decoder* decoder);
uint32_t LZW_BytesProduced(const LZW_Decoder* decoder);
uint32_t LZW_BytesConsumed(const LZW_Decoder* decoder);
void LZW_FreeDecoder(LZW_Decoder* decoder);

// The most bytes LZW_Encode can produce for size input bytes.
size_t LZW_EncodeBound(uint32_t size);
// Encodes one block (size at most BF_MAX_LZW_BLOCK) into output; returns the bytes written, or
// 0 when size is too large or capacity below LZW_EncodeBound(size).
size_t LZW_Encode(const uint8_t* input, uint32_t size, uint8_t* output, size_t capacity);

// ---- Writing archives ---------------------------------------------------------------------

// Add: LZW blocks unless they do not make the member smaller; then stored (scrambled in a
// version-1 archive).
inline constexpr uint32_t BF_METHOD_AUTO = 3;

// The directory fields of a member that the writer carries without interpreting them.
struct BF_MemberAttributes {
    uint32_t attributes = 0x20; // FILE_ATTRIBUTE_ARCHIVE
    uint64_t writeTime = 0; // FILETIME
    uint32_t value = 0;
    uint32_t flags = 0;
};

// Writes one archive: Open, Add every member, Finish. Each member's data goes to the file as it
// is added; only the directory is kept in memory until Finish writes it and the final header.
// After any failure every later call fails too and Error() says why; the unfinished file is
// left for the caller to remove.
class BF_ArchiveWriter {
public:
    BF_ArchiveWriter();
    ~BF_ArchiveWriter();
    BF_ArchiveWriter(const BF_ArchiveWriter&) = delete;
    BF_ArchiveWriter& operator=(const BF_ArchiveWriter&) = delete;

    // Creates (or empties) path. dirVersion 0 or 1; orderingValue goes into the header.
    [[nodiscard]] bool Open(const char16_t* path, uint32_t dirVersion, uint64_t orderingValue);
    // name: the member's name as stored (not checked beyond being non-empty and fitting an
    // entry). method: BF_METHOD_STORED, BF_METHOD_LZW, BF_METHOD_SCRAMBLED or BF_METHOD_AUTO;
    // a version-1 archive stores BF_METHOD_STORED members scrambled. attributes may be null.
    [[nodiscard]] bool Add(const char* name, const void* bytes, uint64_t size, uint32_t method,
        const BF_MemberAttributes* attributes = nullptr);
    // Writes the directory and the final header and closes the file.
    [[nodiscard]] bool Finish();
    // Why the last call failed; "" when nothing failed.
    const char* Error() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
