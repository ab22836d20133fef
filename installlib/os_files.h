// The system side of the module's file work: which family of calls the system has, the
// temporary folder, deletion at the next restart, folders and the 8-bit text of the system's
// ANSI calls. The Win32 and POSIX backends both define these; portable code reaches them through
// the system-call table of installlib_internal.h, so that tests can stand in for them.
#pragma once

#include <cstdint>

namespace installlib::os {

enum class FolderResult { Created, Exists, Failed };

// Whether the system has the wide (…W) calls: the NT family on Win32 (GetVersionExA), always
// on POSIX.
bool HasWideCalls();

// The temporary folder with the system's GetTempPath contract: the length written (without the
// terminator); when the buffer is too small, the capacity the path needs (the buffer may have
// been cleared, the path is not in it); 0 on failure. On POSIX $TMPDIR, else "/tmp", ending in
// a separator.
uint32_t TempPathW(char16_t* buffer, uint32_t capacity);
uint32_t TempPathA(char* buffer, uint32_t capacity);

// Registers path for deletion at the next restart. False when the system refuses (or, on
// POSIX, has no such thing).
bool DeleteAtRestart(const char16_t* path);

// Creates one folder; Exists when something of that name is already there.
FolderResult CreateFolderW(const char16_t* path);
FolderResult CreateFolderA(const char* path);

// Conversions between wide text and the 8-bit text of the ANSI calls (CP_ACP on Win32, UTF-8
// on POSIX), terminator included, with the WideCharToMultiByte contract: capacity 0 asks for
// the size needed; otherwise the units written including the terminator, 0 when the text does
// not fit or cannot be converted.
uint32_t WideToAnsi(char* destination, uint32_t capacity, const char16_t* source);
uint32_t AnsiToWide(char16_t* destination, uint32_t capacity, const char* source);

}
