// The table of registry calls, record allocations and engine system calls that the module makes.
// The native table holds the platform layer's functions; tests put a table of their own in place to
// make single calls fail or answer with unusual values.
#include "patcher/patcher_internal.h"

#include "bigfile/bigfile.h"

namespace patcher::detail {

namespace {

SYS_RegKey OpenKey(const char* path)
{
    return SYS_RegOpenKey(path);
}

SYS_RegKey CreateKey(const char* path)
{
    return SYS_RegCreateKey(path);
}

SYS_Status QueryValue(
    SYS_RegKey key, const char* name, void* buffer, uint32_t bufferSize, uint32_t* bytesRead)
{
    return SYS_RegQueryValue(key, name, buffer, bufferSize, bytesRead);
}

SYS_Status SetString(SYS_RegKey key, const char* name, const char* text)
{
    return SYS_RegSetString(key, name, text);
}

SYS_Status SetDword(SYS_RegKey key, const char* name, uint32_t value)
{
    return SYS_RegSetDword(key, name, value);
}

SYS_Status QuerySize(SYS_RegKey key, const char* name, uint32_t* size)
{
    return SYS_RegQuerySize(key, name, size);
}

SYS_Status BeginBatch(SYS_RegKey key)
{
    return SYS_RegBeginBatch(key);
}

SYS_Status CommitBatch(SYS_RegKey key)
{
    return SYS_RegCommitBatch(key);
}

void* Alloc(size_t size, const char* label, uint32_t tag)
{
    return SYS_Alloc(size, label, tag);
}

uint32_t ReadMember(uintptr_t file, void* buffer, uint32_t count)
{
    return BF_Read(file, buffer, count);
}

const SystemCalls NATIVE_CALLS = {
    OpenKey,
    CreateKey,
    SYS_RegCloseKey,
    QuerySize,
    QueryValue,
    SetString,
    SetDword,
    BeginBatch,
    CommitBatch,
    Alloc,
    os::StartThread,
    os::JoinThread,
    ReadMember,
    os::CreateFolder,
    os::FreeDiskSpace,
    os::StartProgram,
    os::ListFiles,
    os::OpenTarget,
    os::ShowSystemWindow,
};

const SystemCalls* g_calls = &NATIVE_CALLS;

}

const SystemCalls& Sys()
{
    return *g_calls;
}

const SystemCalls& NativeSystemCalls()
{
    return NATIVE_CALLS;
}

void ReplaceSystemCalls(const SystemCalls* calls)
{
    g_calls = calls != nullptr ? calls : &NATIVE_CALLS;
}

}
