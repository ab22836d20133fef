// The POSIX registry's contents in memory: keys by path, values by name, both found through
// their lower-case form so that letter case never makes a second key or value.
#include "platform/posix/registry_hive.h"

namespace platform::detail {

namespace {

std::string Folded(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

// The text form keeps one key or value per line, so names must not break a line.
bool HoldsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

HiveKey& AddKey(std::map<std::string, HiveKey>& keys, std::string_view path)
{
    auto [place, added] = keys.try_emplace(Folded(path));
    if (added)
        place->second.path = path;
    return place->second;
}

}

const HiveKey* Hive::FindKey(std::string_view canonicalPath) const
{
    auto place = m_keys.find(Folded(canonicalPath));
    return place != m_keys.end() ? &place->second : nullptr;
}

HiveKey& Hive::CreateKey(std::string_view canonicalPath)
{
    for (size_t end = canonicalPath.find('\\'); end != std::string_view::npos;
         end = canonicalPath.find('\\', end + 1))
        AddKey(m_keys, canonicalPath.substr(0, end));
    return AddKey(m_keys, canonicalPath);
}

bool CanonicalKeyPath(std::string_view path, std::string& canonical)
{
    std::string joined;
    while (!path.empty()) {
        size_t end = path.find('\\');
        std::string_view component = path.substr(0, end);
        path.remove_prefix(end == std::string_view::npos ? path.size() : end + 1);
        if (component.empty())
            continue;
        if (!joined.empty())
            joined += '\\';
        joined += component;
    }
    if (HoldsLineBreak(joined))
        return false;
    canonical = std::move(joined);
    return true;
}

const HiveValue* FindValue(const HiveKey& key, std::string_view name)
{
    auto place = key.values.find(Folded(name));
    return place != key.values.end() ? &place->second : nullptr;
}

bool SetValue(HiveKey& key, std::string_view name, uint32_t type, const uint8_t* data, size_t size)
{
    if (HoldsLineBreak(name))
        return false;
    auto [place, added] = key.values.try_emplace(Folded(name));
    HiveValue& value = place->second;
    if (added)
        value.name = name;
    value.type = type;
    value.data.assign(data, data + size);
    return true;
}

}
