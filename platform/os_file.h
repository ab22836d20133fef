// The system side of files; the Win32 and POSIX backends both define these. Handles are
// non-zero, pointer-sized and keep bits 0 and 1 clear. Names are 8-bit text in the system's
// file-API code page, or wide text; "\\" and "/" both separate folders. Null names, the
// handle 0 and unknown seek origins are refused in sys_file.cpp before any call here.
#pragma once

#include <cstdint>

namespace platform::os {

// Opens an existing file for reading (mode bit 0), writing (bit 1), both, or neither (0: the
// handle serves only to ask about the file; reads and writes through it fail). The file is
// shared for reading only: while a handle that reads or writes is open, opens that would
// write, and opens of a file already open for writing, fail. Returns 0 on failure.
[[nodiscard]] uintptr_t FileOpen(const char* name, uint32_t mode);
[[nodiscard]] uintptr_t FileOpenW(const char16_t* name, uint32_t mode);
// Creates a file for reading and writing, emptying an existing one, with the same sharing.
// Returns 0 on failure; an existing file is then left as it was.
[[nodiscard]] uintptr_t FileCreate(const char* name);
[[nodiscard]] uintptr_t FileCreateW(const char16_t* name);
// Creates a new file for reading and writing, with the same sharing. Returns 0 when anything of
// that name exists (a link is never followed) or the file cannot be made.
[[nodiscard]] uintptr_t FileCreateNew(const char* name);
[[nodiscard]] uintptr_t FileCreateNewW(const char16_t* name);
// False when the handle cannot be closed.
[[nodiscard]] bool FileClose(uintptr_t file);
// Reads up to count bytes at the file's position and advances it. False when the call fails
// (*done may then hold bytes read before the failure); true with *done < count at the end of
// the file.
[[nodiscard]] bool FileRead(uintptr_t file, void* buffer, uint32_t count, uint32_t* done);
// Writes count bytes at the file's position. False when the call fails; *done tells how many
// bytes went out, fewer than count after a partial write.
[[nodiscard]] bool FileWrite(uintptr_t file, const void* buffer, uint32_t count, uint32_t* done);
// Moves the position by offset from the start (origin 0), the current position (1) or the end
// (2) and stores the new position. False when the call fails, including a new position before
// the start or at 0xFFFFFFFF and beyond, which the 32-bit result cannot tell from a failure.
[[nodiscard]] bool FileSeek(uintptr_t file, int32_t offset, uint32_t origin, uint32_t* position);

enum class DeleteResult { Deleted, NotFound, Failed };
// NotFound when there is no such file; Failed for every other refusal (a folder, no rights,
// a file held open on systems that keep open files from being deleted).
[[nodiscard]] DeleteResult FileDelete(const char* name);
[[nodiscard]] DeleteResult FileDeleteW(const char16_t* name);

}
