// The installer module's private parts: the table through which the portable code reaches the
// registry and allocates its records (tests replace entries to stand in for the system), and
// the bounded text helpers shared by the version record, the game detection and the file list.
#pragma once

#include "patcher/patcher.h"

#include <cstddef>
#include <cstdint>

namespace patcher::detail {

inline constexpr uint32_t TAG = SYS_TAG_MAIN;
inline constexpr size_t PATH_CAPACITY = PTCH_PATH_CAPACITY;

// ---- System calls -------------------------------------------------------------------------

// The registry calls the module makes and the allocation of its records. The native table holds
// the platform layer's functions.
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

}
