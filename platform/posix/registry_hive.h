// The POSIX registry's contents in memory, and their text form: a REGEDIT4 registry export that
// a person can read and import on Windows. Keys are found by path below HKEY_LOCAL_MACHINE and
// values by name, both without regard to ASCII letter case; names keep the case they were
// made with.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform::detail {

struct HiveValue {
    std::string name; // "" is the key's default value, written "@"
    uint32_t type = 0;
    std::vector<uint8_t> data;

    bool operator==(const HiveValue&) const = default;
};

struct HiveKey {
    std::string path; // components joined by "\\"; "" is the root, HKEY_LOCAL_MACHINE itself
    std::map<std::string, HiveValue> values; // by the name in lower case

    bool operator==(const HiveKey&) const = default;
};

class Hive {
public:
    // The key, or null. canonicalPath comes from CanonicalKeyPath.
    const HiveKey* FindKey(std::string_view canonicalPath) const;
    // The key, made first when missing, together with its missing parents.
    HiveKey& CreateKey(std::string_view canonicalPath);

    const std::map<std::string, HiveKey>& Keys() const { return m_keys; }
    bool operator==(const Hive&) const = default;

private:
    std::map<std::string, HiveKey> m_keys; // by the path in lower case
};

// A key path as the hive stores it: the components between "\\" separators with empty ones
// dropped. False for a path that the text form cannot hold (a line break in a name).
bool CanonicalKeyPath(std::string_view path, std::string& canonical);
// The value in key called name, or null.
const HiveValue* FindValue(const HiveKey& key, std::string_view name);
// Replaces the value of that name (keeping the case of its name) or adds it. False for a name
// that the text form cannot hold (a line break); the key is unchanged then.
bool SetValue(HiveKey& key, std::string_view name, uint32_t type, const uint8_t* data, size_t size);

// Whether text begins with the REGEDIT4 header line (after an optional UTF-8 byte order mark).
bool HasHiveHeader(std::string_view text);
// Reads the registry export text. Reading is lenient and safe for any bytes: CRLF or LF line
// ends, "\\" line continuations, comments and lines it does not understand are skipped, as are
// keys outside HKEY_LOCAL_MACHINE; a later value of the same name replaces an earlier one.
Hive ParseHive(std::string_view text);
// The export text of the hive: "REGEDIT4", a blank line, then per key its section line, its
// values and a blank line, all with CRLF line ends. ParseHive of it gives the hive back.
std::string WriteHive(const Hive& hive);

}
