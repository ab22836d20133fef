// The system side of the patch engine: its worker thread, folders, the free space of a disk,
// starting a program without waiting, and the files of one folder. The Win32 and POSIX backends
// both define these; portable code reaches them through the system-call table of
// patcher_internal.h, so that tests can stand in for them.
#pragma once

#include <cstdint>

namespace patcher::os {

using ThreadProcedure = uint32_t (*)(void* argument);

// Starts procedure(argument) on a new thread. The handle, or 0 when no thread was started (the
// procedure then never runs).
uintptr_t StartThread(ThreadProcedure procedure, void* argument);
// Waits until the thread has ended and releases its handle.
void JoinThread(uintptr_t thread);

// Creates one folder. True when it was made or a folder of that name already exists.
bool CreateFolder(const char* path);

// The bytes free for the caller on the disk that holds folder (quotas included where the
// system has them). False when the system cannot tell, for example for a folder that does not
// exist.
bool FreeDiskSpace(const char* folder, uint64_t* bytes);

// Starts program shown normally with the system's default error mode, the caller's environment
// and folder as its working folder; commandLine (null: none) is the whole command line, the
// program's own quoted path first. Handles are not inherited and the program is not waited for.
// False when it does not start.
bool StartProgram(const char* program, const char* commandLine, const char* folder);

// Calls visit with the name of every plain file in folder (ending in a separator): not for folders,
// and never for a link (which is neither followed nor reported). False when the folder cannot be
// listed.
using FileVisitor = void (*)(void* context, const char* name);
bool ListFiles(const char* folder, FileVisitor visit, void* context);

}
