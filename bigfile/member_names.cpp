// The rule that keeps an archive member inside the folder it is installed to. Member names are
// outside data: a "..", a drive, a root, a stream (":"), a control character or a device name
// in one would let a patch write anywhere the installer may write. The installer refuses an
// archive with such a name whole, and patchkit refuses, marks or fails it by the same rule.
#include "bigfile/bigfile.h"

namespace {

constexpr const char* DEVICE_NAMES[] = { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$" };
constexpr const char* NUMBERED_DEVICE_NAMES[] = { "COM", "LPT" };

// The byte forms of the superscript digits one to three, which Windows also takes as device
// numbers ("COM\u00B9"). An archive does not record the code page its names were written in,
// and the installer's system decides how they are read, so every form a file-function code
// page gives is refused: Windows-1252 and its relatives, OEM 437/850, UTF-8 and code page 949.
constexpr const char* SUPERSCRIPT_DIGITS[] = { "\xB9", "\xB2", "\xB3", "\xFB", "\xFD", "\xFC",
    "\xC2\xB9", "\xC2\xB2", "\xC2\xB3", "\xA9\xF6", "\xA9\xF7", "\xA9\xF8" };

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte > 0 && byte < 0x20) || byte == 0x7F;
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

bool IsDeviceNumber(const char* text, size_t length)
{
    if (length == 1 && text[0] >= '1' && text[0] <= '9')
        return true;
    for (const char* digit : SUPERSCRIPT_DIGITS)
        if (SameLetters(text, length, digit))
            return true;
    return false;
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
    if (stem < 4)
        return false;
    for (const char* device : NUMBERED_DEVICE_NAMES)
        if (SameLetters(component, 3, device) && IsDeviceNumber(component + 3, stem - 3))
            return true;
    return false;
}

// Why a component (between separators) is refused, or null.
const char* ComponentFault(const char* component, size_t length)
{
    if (length == 0)
        return "empty path component";
    if (SameLetters(component, length, ".") || SameLetters(component, length, ".."))
        return "'.' or '..' path component";
    const char last = component[length - 1];
    if (last == '.' || last == ' ')
        return "path component ending in a dot or a blank";
    return IsDeviceName(component, length) ? "device name" : nullptr;
}

}

const char* BF_MemberNameFault(const char* name)
{
    if (name == nullptr || name[0] == 0)
        return "empty name";
    if (IsSeparator(name[0]))
        return "absolute path";
    const char* component = name;
    for (const char* at = name;; ++at) {
        if (*at == ':')
            return "drive or stream name (':')";
        if (IsControl(*at))
            return "control character";
        if (*at != 0 && !IsSeparator(*at))
            continue;
        if (const char* fault = ComponentFault(component, static_cast<size_t>(at - component)))
            return fault;
        if (*at == 0)
            return nullptr;
        component = at + 1;
    }
}
