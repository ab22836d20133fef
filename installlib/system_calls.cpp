// The table of system calls that portable code goes through: the backend's functions by
// default, a test's stand-ins while one is installed.
#include "installlib/installlib_internal.h"

namespace installlib::detail {

namespace {

const SystemCalls NATIVE_CALLS = {
    os::HasWideCalls,
    os::TempPathW,
    os::TempPathA,
    os::RemoveTempFolder,
    os::ReplaceFileW,
    os::ReplaceFileA,
    os::AllowRunning,
    os::DeleteAtRestart,
    os::CreateFolderW,
    os::CreateFolderA,
    os::WideToAnsi,
    os::AnsiToWide,
    SYS_FileRead,
    SYS_FileWrite,
    os::StartProcessW,
    os::StartProcessA,
    os::WaitForHandle,
    os::CloseProcessHandle,
    os::PumpWindowMessages,
    os::SpecialFolderPathW,
    os::SpecialFolderPathA,
    os::WriteLinkW,
    os::WriteLinkA,
    os::LoadVersionInfo,
    os::QueryVersionValue,
    os::FreeVersionInfo,
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
    g_calls = calls ? calls : &NATIVE_CALLS;
}

}
