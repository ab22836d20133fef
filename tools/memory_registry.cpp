// MemoryRegistry: the installer's registry calls answered from a map of keys. A key handle is
// the index of an open-key slot plus one, so that 0 stays "no key".
#include "tools/memory_registry.h"

#include "patcher/patcher_internal.h"

#include <algorithm>
#include <cstring>

namespace patchkit {

namespace {

MemoryRegistry* g_registry = nullptr;
std::vector<std::string> g_openKeys; // by handle - 1; "" once closed
patcher::detail::SystemCalls g_calls {};

std::string Upper(const char* text)
{
    std::string upper = text != nullptr ? text : "";
    std::transform(upper.begin(), upper.end(), upper.begin(),
        [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return upper;
}

SYS_RegKey OpenSlot(const std::string& path)
{
    g_openKeys.push_back(path);
    return g_openKeys.size();
}

MemoryRegistry::Key* KeyOf(SYS_RegKey key)
{
    if (key == 0 || key > g_openKeys.size() || g_openKeys[key - 1].empty())
        return nullptr;
    auto found = g_registry->Keys().find(g_openKeys[key - 1]);
    return found != g_registry->Keys().end() ? &found->second : nullptr;
}

const MemoryRegistry::Value* ValueOf(SYS_RegKey key, const char* name)
{
    const MemoryRegistry::Key* values = KeyOf(key);
    if (values == nullptr)
        return nullptr;
    auto found = values->find(Upper(name));
    return found != values->end() ? &found->second : nullptr;
}

SYS_RegKey Open(const char* path)
{
    return path != nullptr && g_registry->Keys().count(Upper(path)) != 0 ? OpenSlot(Upper(path))
                                                                         : 0;
}

SYS_RegKey Create(const char* path)
{
    if (path == nullptr)
        return 0;
    g_registry->Keys()[Upper(path)];
    return OpenSlot(Upper(path));
}

uint32_t Close(SYS_RegKey key)
{
    if (KeyOf(key) == nullptr)
        return 6; // the system's "invalid handle"
    g_openKeys[key - 1].clear();
    return 0;
}

SYS_Status QuerySize(SYS_RegKey key, const char* name, uint32_t* size)
{
    const MemoryRegistry::Value* value = ValueOf(key, name);
    if (value == nullptr)
        return SYS_OS_ERROR;
    *size = static_cast<uint32_t>(value->bytes.size());
    return SYS_OK;
}

SYS_Status QueryValue(
    SYS_RegKey key, const char* name, void* buffer, uint32_t bufferSize, uint32_t* bytesRead)
{
    const MemoryRegistry::Value* value = ValueOf(key, name);
    if (value == nullptr || value->bytes.size() > bufferSize)
        return SYS_OS_ERROR;
    std::memcpy(buffer, value->bytes.data(), value->bytes.size());
    if (bytesRead != nullptr)
        *bytesRead = static_cast<uint32_t>(value->bytes.size());
    return SYS_OK;
}

SYS_Status Store(SYS_RegKey key, const char* name, MemoryRegistry::Value value)
{
    MemoryRegistry::Key* values = KeyOf(key);
    if (name == nullptr)
        return SYS_BAD_ARGUMENT;
    if (values == nullptr)
        return SYS_OS_ERROR;
    (*values)[Upper(name)] = std::move(value);
    return SYS_OK;
}

SYS_Status SetString(SYS_RegKey key, const char* name, const char* text)
{
    const char* t = text != nullptr ? text : "";
    return Store(key, name, { SYS_REG_SZ, { t, t + std::strlen(t) + 1 } });
}

SYS_Status SetDword(SYS_RegKey key, const char* name, uint32_t value)
{
    return Store(key, name,
        { SYS_REG_DWORD,
            { static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24) } });
}

// Writes are made at once: a batch has nothing to hold back.
SYS_Status Batch(SYS_RegKey key)
{
    return KeyOf(key) != nullptr ? SYS_OK : SYS_OS_ERROR;
}

}

MemoryRegistry::MemoryRegistry()
{
    g_registry = this;
    g_openKeys.clear();
    g_calls = patcher::detail::NativeSystemCalls();
    g_calls.openKey = Open;
    g_calls.createKey = Create;
    g_calls.closeKey = Close;
    g_calls.querySize = QuerySize;
    g_calls.queryValue = QueryValue;
    g_calls.setString = patchkit::SetString;
    g_calls.setDword = patchkit::SetDword;
    g_calls.beginBatch = Batch;
    g_calls.commitBatch = Batch;
    patcher::detail::ReplaceSystemCalls(&g_calls);
}

MemoryRegistry::~MemoryRegistry()
{
    patcher::detail::ReplaceSystemCalls(nullptr);
    g_openKeys.clear();
    g_registry = nullptr;
}

void MemoryRegistry::SetString(
    const std::string& key, const std::string& name, const std::string& text)
{
    const SYS_RegKey handle = Create(key.c_str());
    (void)patchkit::SetString(handle, name.c_str(), text.c_str());
    (void)Close(handle);
}

void MemoryRegistry::SetDword(const std::string& key, const std::string& name, uint32_t value)
{
    const SYS_RegKey handle = Create(key.c_str());
    (void)patchkit::SetDword(handle, name.c_str(), value);
    (void)Close(handle);
}

}
