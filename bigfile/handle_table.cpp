// The table of open virtual files: (virtual handle, open-file record) pairs. A slot whose
// handle is 0 is free; the table grows in steps of 512 slots and never hands out the handle 0.
// Every access takes the module's lock: a growing table moves its pairs, which another thread
// may be looking up.
#include "bigfile/bigfile_internal.h"

namespace bigfile::detail {

namespace {

constexpr uint32_t HANDLE_STEP = 512;

bool Grow(BF_HandleTable& handles)
{
    uint64_t capacity = uint64_t { handles.capacity } + HANDLE_STEP;
    if (capacity > UINT32_MAX / sizeof(HandlePair))
        return false;
    auto* pairs = static_cast<HandlePair*>(
        SYS_Alloc(capacity * sizeof(HandlePair), "BigFile handles", TAG));
    if (pairs == nullptr)
        return false;
    SYS_Zero(pairs, capacity * sizeof(HandlePair));
    SYS_Copy(pairs, handles.pairs, handles.count * sizeof(HandlePair));
    SYS_Free(handles.pairs);
    handles.pairs = pairs;
    handles.capacity = static_cast<uint32_t>(capacity);
    return true;
}

}

bool HandlesCreate(BF_HandleTable& handles)
{
    handles = {};
    return Grow(handles);
}

void HandlesRelease(BF_HandleTable& handles)
{
    SYS_Free(handles.pairs);
    handles = {};
}

bool HandleEnter(BF_HandleTable& handles, BF_Handle handle, BF_OpenFile* record)
{
    if (handle == 0)
        return false;
    ModuleLock lock;
    for (uint32_t i = 0; i < handles.count; ++i) {
        if (handles.pairs[i].handle == 0) {
            handles.pairs[i] = { handle, record };
            return true;
        }
    }
    if (handles.count + 1 >= handles.capacity && !Grow(handles))
        return false;
    handles.pairs[handles.count++] = { handle, record };
    return true;
}

BF_OpenFile* HandleFind(const BF_HandleTable& handles, BF_Handle handle)
{
    if (handle == 0)
        return nullptr;
    ModuleLock lock;
    for (uint32_t i = 0; i < handles.count; ++i)
        if (handles.pairs[i].handle == handle)
            return handles.pairs[i].record;
    return nullptr;
}

BF_OpenFile* HandleTake(BF_HandleTable& handles, BF_Handle handle)
{
    if (handle == 0)
        return nullptr;
    ModuleLock lock;
    BF_OpenFile* record = nullptr;
    for (uint32_t i = 0; i < handles.count; ++i) {
        if (handles.pairs[i].handle == handle) {
            record = handles.pairs[i].record;
            handles.pairs[i] = {};
            break;
        }
    }
    while (handles.count > 0 && handles.pairs[handles.count - 1].handle == 0)
        --handles.count;
    return record;
}

// Pseudo handles have bit 0 set, which no system handle has, and are never reused.
BF_Handle NextPseudoHandle()
{
    ModuleLock lock;
    BF_Handle handle = State().nextPseudoHandle;
    State().nextPseudoHandle += PSEUDO_HANDLE_STEP;
    return handle;
}

void CloseFilesOf(SYS_Handle archive)
{
    ModuleLock lock;
    BF_HandleTable& handles = State().handles;
    for (uint32_t i = handles.count; i-- > 0;) {
        const HandlePair pair = handles.pairs[i];
        if (pair.handle != 0 && pair.record != nullptr && pair.record->fields.archive == archive
            && pair.handle != archive)
            BF_Close(pair.handle);
    }
}

void CloseAllFiles()
{
    ModuleLock lock;
    BF_HandleTable& handles = State().handles;
    for (uint32_t i = handles.count; i-- > 0;) {
        const HandlePair pair = handles.pairs[i];
        if (pair.handle == 0)
            continue;
        if (pair.record != nullptr)
            BF_Close(pair.handle);
        else
            (void)BF_SysClose(pair.handle);
    }
}

}
