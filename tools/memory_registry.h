// A registry held in memory for installer runs that must neither see nor change the system's:
// while an object lives, the installer module's registry calls go to it. Key paths and value
// names compare without regard to ASCII letter case, as the system's do.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace patchkit {

class MemoryRegistry {
public:
    MemoryRegistry();
    ~MemoryRegistry();
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    void SetString(const std::string& key, const std::string& name, const std::string& text);
    void SetDword(const std::string& key, const std::string& name, uint32_t value);

    struct Value {
        uint32_t type;
        std::vector<uint8_t> bytes;
    };
    using Key = std::map<std::string, Value>;
    // The keys by upper-cased path; for the registry calls.
    std::map<std::string, Key>& Keys() { return m_keys; }

private:
    std::map<std::string, Key> m_keys;
};

}
