// The system side of the archive file system; the Win32 and POSIX backends both define these.
// Names are Windows paths ("\\" or "/" between folders); the POSIX backend translates them.
// Handles are the platform layer's file handles: non-zero, pointer-sized, bits 0 and 1 clear.
// Null names and the handle 0 are refused above this seam.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bigfile::os {

// Opens an existing file (never a folder) for reading, and also for writing when flags hold
// BF_GENERIC_WRITE; others may read and write it. Bit 1 asks for sequential scanning. 0 on
// failure.
[[nodiscard]] uintptr_t Open(const char* name, uint32_t flags);
[[nodiscard]] uintptr_t OpenW(const char16_t* name, uint32_t flags);
// Reads up to count bytes at the file's position. A short read is the end of the file; 0 also
// when the call fails.
[[nodiscard]] uint32_t Read(uintptr_t file, void* buffer, uint32_t count);
// Reads up to count bytes at offset, whatever the file's position, so that threads sharing one
// handle never meet at a seek. A short read is the end of the file; 0 also when the call fails
// or offset is past INT64_MAX. The position afterwards is unspecified (POSIX keeps it, Win32
// moves it past the bytes read): callers of ReadAt never rely on it.
[[nodiscard]] uint32_t ReadAt(uintptr_t file, uint64_t offset, void* buffer, uint32_t count);
// Moves the position (method 0 start, 1 current, 2 end); the new position, or UINT64_MAX when
// the call fails or the position would lie before the start.
[[nodiscard]] uint64_t Seek(uintptr_t file, int64_t offset, uint32_t method);
// The file's size, or UINT64_MAX.
[[nodiscard]] uint64_t Size(uintptr_t file);
bool Close(uintptr_t file);

// The attributes (Win32 bits) and last write time (FILETIME ticks) of a file by name.
[[nodiscard]] bool Attributes(const char* name, uint32_t* attributes, uint64_t* writeTime);

// Whether the system has the wide file calls (the NT family; always on POSIX).
bool HasWideCalls();
// Wide text to and from the 8-bit text of the A calls on systems without the wide ones (the
// OEM code page on Win32, UTF-8 on POSIX); capacity counts the terminator. False when the text
// cannot be converted or does not fit.
[[nodiscard]] bool NarrowForSystem(char* destination, size_t capacity, const char16_t* source);
[[nodiscard]] bool WidenFromSystem(char16_t* destination, size_t capacity, const char* source);

// The current folder into buffer; the length, 0 on failure or when it does not fit.
[[nodiscard]] uint32_t CurrentDir(char* buffer, uint32_t capacity);
[[nodiscard]] uint32_t CurrentDirW(char16_t* buffer, uint32_t capacity);
[[nodiscard]] bool SetCurrentDir(const char* path);
[[nodiscard]] bool SetCurrentDirW(const char16_t* path);
// The absolute, normalised form of name (which need not exist); the length, 0 on failure or
// when it does not fit.
[[nodiscard]] uint32_t FullPath(const char* name, char* buffer, uint32_t capacity);
[[nodiscard]] uint32_t FullPathW(const char16_t* name, char16_t* buffer, uint32_t capacity);

// Lists the entries of one folder that match pattern (a folder part and a file pattern with
// the system's wildcard rules). visit is called with each entry's name (without the folder)
// and whether it is a folder. A link to a folder is not passed on, so that no scan follows one
// (two links to their own folder would make a recursive scan exponential). False when the
// folder cannot be listed or nothing matches.
using FolderVisitor = void (*)(void* context, const char* name, bool isFolder);
[[nodiscard]] bool ListFolder(const char* pattern, FolderVisitor visit, void* context);
}
