// The registry on POSIX: keys are opened on the hive file of registry_file.h. A key handle is
// the address of a record holding the key's path; every query re-reads the file, since another
// process may have changed it, and every change goes through the file's locked update.
#include "platform/os_registry.h"
#include "platform/posix/registry_file.h"

#include <cstring>
#include <mutex>
#include <unordered_set>

namespace platform::os {

namespace {

using detail::Hive;

// Aligned so that, like a kernel handle, a key never has bit 0 or bit 1 set.
struct alignas(16) OpenKey {
    std::string path;
};

// The handles now open, so that a stale or made-up handle is refused instead of followed.
struct OpenKeys {
    std::mutex lock;
    std::unordered_set<uintptr_t> handles;
};

OpenKeys& Opened()
{
    static OpenKeys opened;
    return opened;
}

uintptr_t NewHandle(std::string path)
{
    auto handle = reinterpret_cast<uintptr_t>(new OpenKey { std::move(path) });
    std::lock_guard guard(Opened().lock);
    Opened().handles.insert(handle);
    return handle;
}

// The path of an open key; false for a handle that is not open.
bool PathOf(uintptr_t key, std::string& path)
{
    std::lock_guard guard(Opened().lock);
    if (Opened().handles.count(key) == 0)
        return false;
    path = reinterpret_cast<const OpenKey*>(key)->path;
    return true;
}

// The root is HKEY_LOCAL_MACHINE itself, which always exists.
bool KeyExists(const Hive& hive, const std::string& path)
{
    return path.empty() || hive.FindKey(path) != nullptr;
}

}

uintptr_t KeyCreate(const char* path)
{
    std::string canonical;
    Hive hive;
    if (!detail::CanonicalKeyPath(path, canonical) || !detail::LoadHive(hive))
        return 0;
    if (!KeyExists(hive, canonical)) {
        bool made = detail::UpdateHive([&](Hive& current) {
            current.CreateKey(canonical);
            return true;
        });
        if (!made)
            return 0;
    }
    return NewHandle(std::move(canonical));
}

uintptr_t KeyOpen(const char* path)
{
    std::string canonical;
    Hive hive;
    if (!detail::CanonicalKeyPath(path, canonical) || !detail::LoadHive(hive)
        || !KeyExists(hive, canonical))
        return 0;
    return NewHandle(std::move(canonical));
}

uint32_t KeyClose(uintptr_t key)
{
    constexpr uint32_t INVALID_HANDLE = 6;
    {
        std::lock_guard guard(Opened().lock);
        if (Opened().handles.erase(key) == 0)
            return INVALID_HANDLE;
    }
    delete reinterpret_cast<OpenKey*>(key);
    return 0;
}

bool ValueQuery(uintptr_t key, const char* name, void* buffer, uint32_t* size)
{
    std::string path;
    Hive hive;
    if (!PathOf(key, path) || !detail::LoadHive(hive))
        return false;
    const detail::HiveKey* found = hive.FindKey(path);
    const detail::HiveValue* value = found != nullptr ? detail::FindValue(*found, name) : nullptr;
    if (value == nullptr || value->data.size() > UINT32_MAX)
        return false;
    auto stored = static_cast<uint32_t>(value->data.size());
    if (buffer != nullptr && stored > *size)
        return false;
    if (buffer != nullptr && stored != 0)
        std::memcpy(buffer, value->data.data(), stored);
    *size = stored;
    return true;
}

bool ValueSet(uintptr_t key, const char* name, uint32_t type, const void* data, uint32_t size)
{
    std::string path;
    if (!PathOf(key, path))
        return false;
    auto bytes = static_cast<const uint8_t*>(data);
    return detail::UpdateHive([&](Hive& hive) {
        return detail::SetValue(hive.CreateKey(path), name, type, bytes, size);
    });
}

}
