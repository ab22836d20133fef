// The registry on POSIX: keys are opened on the hive file of registry_file.h. A key handle is
// the address of a record holding the key's path; every query re-reads the file, since another
// process may have changed it, and every change goes through the file's locked update. Writes
// in a batch wait in the key's record and go into the file in one update.
#include "platform/os_registry.h"
#include "platform/posix/registry_file.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform::os {

namespace {

using detail::Hive;

// Aligned so that, like a kernel handle, a key never has bit 0 or bit 1 set.
struct alignas(16) OpenKey {
    std::string path;
    bool batching = false;
    detail::HiveKey held; // the batch's values, by name; a later write replaces an earlier one
};

// The keys now open, by handle (the record's address): the table owns each record from
// KeyOpen to KeyClose, and a stale or made-up handle is refused instead of followed.
struct OpenKeys {
    std::mutex lock;
    std::unordered_map<uintptr_t, std::unique_ptr<OpenKey>> handles;
};

OpenKeys& Opened()
{
    static OpenKeys opened;
    return opened;
}

uintptr_t NewHandle(std::string path)
{
    auto key = std::make_unique<OpenKey>(OpenKey { std::move(path) });
    auto handle = reinterpret_cast<uintptr_t>(key.get());
    std::lock_guard guard(Opened().lock);
    Opened().handles.emplace(handle, std::move(key));
    return handle;
}

// Calls use with the record of an open key, under the lock of the handle table; false for a
// handle that is not open.
template <typename Use> bool WithKey(uintptr_t key, Use use)
{
    std::lock_guard guard(Opened().lock);
    auto open = Opened().handles.find(key);
    if (open == Opened().handles.end())
        return false;
    use(*open->second);
    return true;
}

// The path of an open key; false for a handle that is not open.
bool PathOf(uintptr_t key, std::string& path)
{
    return WithKey(key, [&](const OpenKey& open) { path = open.path; });
}

// Stores every value of from in the key at path of the hive.
bool SetValues(Hive& hive, const std::string& path, const detail::HiveKey& from)
{
    detail::HiveKey& key = hive.CreateKey(path);
    for (const auto& [lowerName, value] : from.values)
        if (!detail::SetValue(key, value.name, value.type, value.data.data(), value.data.size()))
            return false;
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
    std::unique_ptr<OpenKey> closed;
    {
        std::lock_guard guard(Opened().lock);
        auto open = Opened().handles.find(key);
        if (open == Opened().handles.end())
            return INVALID_HANDLE;
        closed = std::move(open->second); // destroyed after the lock is let go
        Opened().handles.erase(open);
    }
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
    auto bytes = static_cast<const uint8_t*>(data);
    std::string path;
    bool held = false;
    bool stored = false;
    if (!WithKey(key, [&](OpenKey& open) {
            path = open.path;
            held = open.batching;
            stored = held && detail::SetValue(open.held, name, type, bytes, size);
        }))
        return false;
    if (held)
        return stored;
    return detail::UpdateHive([&](Hive& hive) {
        return detail::SetValue(hive.CreateKey(path), name, type, bytes, size);
    });
}

bool BatchBegin(uintptr_t key)
{
    return WithKey(key, [](OpenKey& open) {
        open.batching = true;
        open.held.values.clear();
    });
}

bool BatchCommit(uintptr_t key)
{
    detail::HiveKey held;
    bool batching = false;
    std::string path;
    if (!WithKey(key, [&](OpenKey& open) {
            batching = open.batching;
            path = open.path;
            held.values.swap(open.held.values);
            open.batching = false;
        }))
        return false;
    return !batching || detail::UpdateHive([&](Hive& hive) { return SetValues(hive, path, held); });
}

}
