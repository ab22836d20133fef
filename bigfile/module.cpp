// Start and shutdown of the archive file system, and the module state every part shares: the
// start record's settings, the folders tried for relative names, the tables and the store.
#include "bigfile/bigfile_internal.h"
#include "bigfile/os_file.h"

#include <mutex>

namespace bigfile::detail {

namespace {

// Takes a folder given at start: it must exist (it is made current to find out) and fit with
// a "\\" appended. A folder not given (null or empty) stays empty.
bool TakeFolder(const char* given, char* folder, size_t* length)
{
    folder[0] = '\0';
    *length = 0;
    if (given == nullptr || given[0] == '\0')
        return true;
    size_t size = SYS_StrLen(given);
    if (size == 0 || size + 2 > PATH_CAPACITY || !os::SetCurrentDir(given))
        return false;
    SYS_StrCopy(folder, PATH_CAPACITY, given);
    if (folder[size - 1] != '\\' && folder[size - 1] != '/')
        folder[size++] = '\\';
    folder[size] = '\0';
    *length = size;
    return true;
}

bool SetUpTables(ModuleState& state)
{
    if (!TableCreate(state.table))
        return false;
    if (HandlesCreate(state.handles)) {
        state.archives = ArchiveStoreCreate();
        if (state.archives != nullptr)
            return true;
        HandlesRelease(state.handles);
    }
    TableRelease(state.table);
    return false;
}

bool StartLayers()
{
    SYS_StartRecord record {};
    (void)SYS_Init(&record);
    uint32_t option = 0;
    if (LZW_Init(&option) == SYS_OK)
        return true;
    SYS_Shutdown();
    return false;
}

void StopLayers()
{
    LZW_Shutdown();
    SYS_Shutdown();
}

}

ModuleState& State()
{
    static ModuleState state {};
    return state;
}

namespace {

std::recursive_mutex& ModuleMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

}

ModuleLock::ModuleLock()
{
    ModuleMutex().lock();
}

ModuleLock::~ModuleLock()
{
    ModuleMutex().unlock();
}

void Refuse(const char* reason)
{
    SYS_Trace(TAG, 1, reason);
}

}

using namespace bigfile::detail;

int BF_Init(const BF_InitParams* params)
{
    ModuleState& state = State();
    if (params == nullptr || state.started)
        return 0;
    char16_t current[PATH_CAPACITY];
    if (BF_GetCurrentDir(PATH_CAPACITY, current) == 0)
        return 0;
    if (!StartLayers())
        return 0;
    bool foldersExist = TakeFolder(params->baseDir, state.baseDir, &state.baseDirLength)
        && TakeFolder(params->secondDir, state.secondDir, &state.secondDirLength);
    (void)BF_SetCurrentDir(current);
    if (!foldersExist || !SetUpTables(state)) {
        StopLayers();
        return 0;
    }
    state.params = *params;
    state.nextPseudoHandle = FIRST_PSEUDO_HANDLE;
    state.nextArchiveId = 1;
    (void)SYS_ModuleNotice(TAG, "BigFile");
    state.started = true;
    return 1;
}

void BF_Shutdown()
{
    ModuleState& state = State();
    if (!state.started)
        return;
    CloseAllFiles();
    HandlesRelease(state.handles);
    TableRelease(state.table);
    (void)SYS_StoreDestroy(state.archives, 1, 0);
    state = {};
    LZW_Shutdown();
    (void)SYS_ModuleNotice(TAG, nullptr);
    SYS_Shutdown();
}
