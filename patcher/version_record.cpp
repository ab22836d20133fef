// The version record store: the selected "Version Info" key, the cached record and its state.
// Names handed out by VI_Get stay valid until VI_Done: a name that VI_Set or a new load replaces
// goes on a retired list that only VI_Done frees, since the installer keeps its copy of the
// installed record for the whole run.
#include "patcher/patcher_internal.h"

namespace {

using namespace patcher::detail;

// A name's block: the link of the retired list, then the text.
struct NameBlock {
    NameBlock* next;
};

struct Store {
    char keyPath[PATH_CAPACITY];
    VersionInfo record;
    bool active;
    bool loaded;
    bool changed;
    NameBlock* retired;
};

Store g_store {};

NameBlock* BlockOf(const char* name)
{
    return reinterpret_cast<NameBlock*>(const_cast<char*>(name)) - 1;
}

char* CopyName(const char* text)
{
    const size_t length = SYS_StrLen(text);
    char* name = AllocRecordName(length);
    if (name != nullptr)
        SYS_Copy(name, text, length);
    return name;
}

// Copies a name of the input, or gives null for a null name. False when memory ran out.
bool CopyOptionalName(const char* text, const char** copy)
{
    *copy = text != nullptr ? CopyName(text) : nullptr;
    return text == nullptr || *copy != nullptr;
}

void FreeAllNames()
{
    FreeRecordName(g_store.record.mainVersionName);
    FreeRecordName(g_store.record.patchVersionName);
    while (NameBlock* block = g_store.retired) {
        g_store.retired = block->next;
        SYS_Free(block);
    }
}

}

namespace patcher::detail {

char* AllocRecordName(size_t length)
{
    if (length > NAME_LIMIT)
        return nullptr;
    auto* block
        = static_cast<NameBlock*>(Sys().alloc(sizeof(NameBlock) + length + 1, "Version name", TAG));
    if (block == nullptr)
        return nullptr;
    block->next = nullptr;
    char* name = reinterpret_cast<char*>(block + 1);
    name[length] = 0;
    return name;
}

void FreeRecordName(const char* name)
{
    if (name != nullptr)
        SYS_Free(BlockOf(name));
}

void RetireRecordName(const char* name)
{
    if (name == nullptr)
        return;
    NameBlock* block = BlockOf(name);
    block->next = g_store.retired;
    g_store.retired = block;
}

const char* StoreKeyPath()
{
    return g_store.active ? g_store.keyPath : "";
}

VersionInfo& StoreRecord()
{
    return g_store.record;
}

}

void VI_SelectKey(const char* gameKeyPath)
{
    char keyPath[PATH_CAPACITY];
    if (SYS_StrLen(gameKeyPath) == 0
        || !JoinPath(keyPath, sizeof keyPath, gameKeyPath, "Version Info"))
        return;
    RetireRecordName(g_store.record.mainVersionName);
    RetireRecordName(g_store.record.patchVersionName);
    SYS_StrCopy(g_store.keyPath, sizeof g_store.keyPath, keyPath);
    g_store.record = VersionInfo {};
    g_store.loaded = false;
    g_store.changed = false;
    g_store.active = true;
}

int VI_Get(VersionInfo* record)
{
    if (!g_store.active || record == nullptr)
        return 0;
    if (!g_store.loaded) {
        if (VI_Load() == 0)
            return 0;
        g_store.loaded = true;
    }
    *record = g_store.record;
    return 1;
}

int VI_Set(const VersionInfo* record)
{
    if (!g_store.active || record == nullptr)
        return 0;
    const char* mainName = nullptr;
    const char* patchName = nullptr;
    if (!CopyOptionalName(record->mainVersionName, &mainName)
        || !CopyOptionalName(record->patchVersionName, &patchName)) {
        FreeRecordName(mainName);
        return 0;
    }
    RetireRecordName(g_store.record.mainVersionName);
    RetireRecordName(g_store.record.patchVersionName);
    g_store.record = *record;
    g_store.record.mainVersionName = mainName;
    g_store.record.patchVersionName = patchName;
    g_store.loaded = true;
    g_store.changed = true;
    return 1;
}

int VI_Flush()
{
    if (!g_store.active || !g_store.changed)
        return 1;
    if (VI_Save() == 0)
        return 0;
    g_store.changed = false;
    return 1;
}

void VI_Done()
{
    if (!g_store.active)
        return;
    (void)VI_Flush();
    FreeAllNames();
    g_store = Store {};
}
