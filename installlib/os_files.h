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
// been cleared, the path is not in it); 0 on failure. On POSIX a private folder of this process
// (mode 0700, made by mkdtemp under $TMPDIR, else "/tmp", when first asked for), ending in a
// separator, so that no other user can plant or swap a staged file.
uint32_t TempPathW(char16_t* buffer, uint32_t capacity);
uint32_t TempPathA(char* buffer, uint32_t capacity);
// Removes the private folder of TempPath with whatever is still in it; nothing on Win32, where
// the temporary folder is the user's own.
void RemoveTempFolder();

// Moves the finished file from over to, replacing a file there; a link named to is replaced,
// never followed. Win32 clears the read-only attribute of an existing file first, since
// MoveFileEx refuses to replace a read-only file. False when the move fails; from is then
// still in place.
bool ReplaceFileW(const char16_t* from, const char16_t* to);
bool ReplaceFileA(const char* from, const char* to);

// Lets the owner run a staged file (mode 0700 on POSIX; every file can be run on Win32). False
// when the system refuses.
bool AllowRunning(const char16_t* path);

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
