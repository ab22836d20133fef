// The module's life: the nested start and shutdown, the link list and the delete list it owns,
// and ScheduleDelete, whose files go when the last shutdown destroys the delete list (the
// private staging folder goes then too).
#include "installlib/installlib_internal.h"

namespace {

using namespace installlib::detail;

struct ModuleState {
    uint32_t useCount = 0;
    bool wideCalls = true;
    SYS_ItemStore* links = nullptr;
    SYS_ItemStore* deletes = nullptr;
};

ModuleState g_state;

// The delete list's release callback: deletes the file, then frees its path. A file that cannot
// be deleted (or, with the 8-bit calls, named) stays; nothing is reported.
void DeleteScheduledFile(uint32_t, uintptr_t value)
{
    auto* path = reinterpret_cast<char16_t*>(value);
    if (g_state.wideCalls) {
        (void)SYS_FileDeleteW(path);
    } else {
        char narrow[PATH_CAPACITY];
        if (ToFileApi(narrow, sizeof(narrow), path))
            (void)SYS_FileDelete(narrow);
    }
    SYS_Free(path);
}

void DestroyLists()
{
    // Links first: the delete list may hold files that links were made from.
    if (g_state.links)
        (void)SYS_StoreDestroy(g_state.links, 1, 0);
    if (g_state.deletes)
        (void)SYS_StoreDestroy(g_state.deletes, 1, 0);
    g_state.links = nullptr;
    g_state.deletes = nullptr;
}

}

namespace installlib::detail {

bool UseWideCalls()
{
    return g_state.useCount > 0 ? g_state.wideCalls : Sys().hasWideCalls();
}

SYS_ItemStore* LinkList()
{
    return g_state.links;
}

SYS_ItemStore* DeleteList()
{
    return g_state.deletes;
}

}

int InitInstallLib()
{
    if (g_state.useCount > 0) {
        ++g_state.useCount;
        return 1;
    }
    g_state.links = SYS_StoreCreate(ReleaseLinkRecord, 0);
    g_state.deletes = SYS_StoreCreate(DeleteScheduledFile, 0);
    if (!g_state.links || !g_state.deletes) {
        DestroyLists();
        return 0;
    }
    g_state.wideCalls = Sys().hasWideCalls();
    g_state.useCount = 1;
    (void)SYS_ModuleNotice(TAG, "InstallLib");
    return 1;
}

void DoneInstallLib()
{
    if (g_state.useCount == 0 || --g_state.useCount > 0)
        return;
    DestroyLists();
    Sys().removeTempFolder();
    (void)SYS_ModuleNotice(TAG, nullptr);
}

uint32_t ScheduleDelete(const char16_t* path)
{
    if (!path || !g_state.deletes)
        return 0;
    char16_t* copy = JoinToBlock(path, nullptr, "DeleteFile");
    uint32_t count = 0;
    if (!copy || SYS_StoreCount(g_state.deletes, &count) != SYS_OK
        || SYS_StoreAdd(g_state.deletes, count + 1, reinterpret_cast<uintptr_t>(copy), SYS_AT_TAIL)
            != SYS_OK) {
        SYS_Free(copy);
        return 0;
    }
    // On the NT family the system can also delete the file at the next restart, should it
    // still be in use when the module shuts down. The system may refuse (the user lacks the
    // right); the deletion at shutdown is what counts.
    if (g_state.wideCalls)
        (void)Sys().deleteAtRestart(path);
    return 1;
}
