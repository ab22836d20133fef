// The system side of the registry; the Win32 and POSIX backends both define these. Keys live
// below HKEY_LOCAL_MACHINE, paths separate keys with "\\", names are 8-bit and match without
// regard to ASCII letter case. The shared argument rules are applied in sys_registry.cpp first.
#pragma once

#include <cstdint>

namespace platform::os {

// Opens the key at path (not null; "" is the root itself), creating it and any missing parent
// first. Returns the key, or 0 when it cannot be made or opened.
uintptr_t KeyCreate(const char* path);
// Opens an existing key. Returns 0 when there is no such key or it cannot be opened.
uintptr_t KeyOpen(const char* path);
// Gives the key back. Returns the system's result code unchanged: 0 on success, 6 (invalid
// handle) for a key that is not open.
uint32_t KeyClose(uintptr_t key);

// Reads the value called name ("" is the key's default value). With buffer null only the size
// is asked. size is in/out: the buffer's size in, the value's size in bytes out. Returns false
// when the value is missing, does not fit the buffer or the call fails.
bool ValueQuery(uintptr_t key, const char* name, void* buffer, uint32_t* size);
// Stores size bytes of data (null only for size 0) with the given type as the value called
// name, replacing any value of that name. Returns false when the write fails.
bool ValueSet(uintptr_t key, const char* name, uint32_t type, const void* data, uint32_t size);
// Holds back the ValueSet calls through key until BatchCommit makes them in one change (POSIX),
// or lets them through at once (Win32). False for a key that is not open, and BatchCommit also
// when the change fails (nothing held is stored then). A commit without a batch does nothing.
bool BatchBegin(uintptr_t key);
bool BatchCommit(uintptr_t key);

}
