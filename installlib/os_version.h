// The system side of reading a file's version resource: GetFileVersionInfoA and VerQueryValueA
// on Win32, the module's own PE resource reader on POSIX. Both backends define these.
#pragma once

#include "platform/platform.h"

#include <cstdint>

namespace installlib::os {

// A file's version resource as the backend keeps it.
struct VersionInfo;

// Loads the version resource of path (8-bit, file-API text). SYS_OK; SYS_FILE_NOT_FOUND when
// the file has no version resource (or cannot be read at all); SYS_OS_ERROR when it cannot be
// loaded after its size was known.
SYS_Status LoadVersionInfo(const char* path, VersionInfo** info);
// Looks up a value by its sub-block path ("\\VarFileInfo\\Translation",
// "\\StringFileInfo\\040904b0\\ProductVersion"). Text values come as 8-bit text (ANSI calls)
// with their length in characters as the system reports it (which may or may not count a
// terminator), binary values with their length in bytes. The value stays valid until the next
// query or the release. False when there is no such value.
bool QueryVersionValue(
    VersionInfo* info, const char* subBlock, const void** value, uint32_t* length);
void FreeVersionInfo(VersionInfo* info);

}
