// The check that keeps a patch's files inside their destination folder. Archive member names
// are outside data: a "..", a drive, a root, a stream (":") or a device name in one would let a
// patch write anywhere the installer may write, so such a name refuses the whole archive.
#include "patcher/patcher.h"

namespace {

constexpr const char* DEVICE_NAMES[] = { "CON", "PRN", "AUX", "NUL" };
constexpr const char* NUMBERED_DEVICE_NAMES[] = { "COM", "LPT" };

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool SameLetters(const char* text, size_t length, const char* upper)
{
    for (size_t i = 0; i < length; ++i) {
        const char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 32) : text[i];
        if (upper[i] == 0 || c != upper[i])
            return false;
    }
    return upper[length] == 0;
}

// Whether the component names a device whatever its extension ("nul.txt" is the device too).
bool IsDeviceName(const char* component, size_t length)
{
    size_t stem = 0;
    while (stem < length && component[stem] != '.')
        ++stem;
    while (stem > 0 && component[stem - 1] == ' ')
        --stem;
    for (const char* device : DEVICE_NAMES)
        if (SameLetters(component, stem, device))
            return true;
    if (stem != 4 || component[3] < '1' || component[3] > '9')
        return false;
    for (const char* device : NUMBERED_DEVICE_NAMES)
        if (SameLetters(component, 3, device))
            return true;
    return false;
}

// A component that is empty, "." or "..", or that ends in "." or a blank (which the system
// strips, so ".. " would name the parent folder), or a device.
bool IsSafeComponent(const char* component, size_t length)
{
    if (length == 0)
        return false;
    const char last = component[length - 1];
    return last != '.' && last != ' ' && !IsDeviceName(component, length);
}

}

bool PTCH_IsSafeRelativePath(const char* path)
{
    if (path == nullptr || path[0] == 0)
        return false;
    const char* component = path;
    for (const char* at = path;; ++at) {
        if (*at == ':')
            return false;
        if (*at != 0 && !IsSeparator(*at))
            continue;
        if (!IsSafeComponent(component, static_cast<size_t>(at - component)))
            return false;
        if (*at == 0)
            return true;
        component = at + 1;
    }
}
