// The version record's registry encoding: ten values of the "Version Info" key, two texts and
// eight 4-byte numbers. A value that is missing or unreadable reads as 0 or null; a null name
// is left out of a write so that the registry keeps what it holds under that name.
#include "patcher/patcher_internal.h"

namespace {

using namespace patcher::detail;

// The 4-byte fields after each name, in registry order.
struct NumberValue {
    const char* name;
    uint32_t VersionInfo::*field;
};

constexpr NumberValue MAIN_NUMBERS[] = {
    { "Main version", &VersionInfo::mainVersion },
    { "Main version time", &VersionInfo::mainVersionTime },
};

constexpr NumberValue PATCH_NUMBERS[] = {
    { "Patch version", &VersionInfo::patchVersion },
    { "Patch version time", &VersionInfo::patchVersionTime },
    { "Marketing line", &VersionInfo::marketingLine },
    { "Distribution", &VersionInfo::distribution },
    { "Language", &VersionInfo::language },
    { "Editor version", &VersionInfo::editorVersion },
};

// A text value in a name block of its own size + 1 bytes, always terminated; null when it is
// missing, too long or unreadable.
const char* ReadName(SYS_RegKey key, const char* name)
{
    uint32_t size = 0;
    if (Sys().querySize(key, name, &size) != SYS_OK)
        return nullptr;
    char* text = AllocRecordName(size);
    if (text == nullptr)
        return nullptr;
    uint32_t bytesRead = 0;
    if (Sys().queryValue(key, name, text, size, &bytesRead) != SYS_OK) {
        FreeRecordName(text);
        return nullptr;
    }
    text[bytesRead < size ? bytesRead : size] = 0;
    return text;
}

template <size_t N>
void ReadNumbers(SYS_RegKey key, const NumberValue (&values)[N], VersionInfo& record)
{
    for (const NumberValue& value : values) {
        uint32_t number = 0;
        if (ReadRegistryDword(key, value.name, &number))
            record.*value.field = number;
    }
}

// Writes a name when it is set. False when the write failed.
bool WriteName(SYS_RegKey key, const char* name, const char* text)
{
    return text == nullptr || Sys().setString(key, name, text) == SYS_OK;
}

template <size_t N>
bool WriteNumbers(SYS_RegKey key, const NumberValue (&values)[N], const VersionInfo& record)
{
    bool written = true;
    for (const NumberValue& value : values)
        written = Sys().setDword(key, value.name, record.*value.field) == SYS_OK && written;
    return written;
}

}

int VI_Load()
{
    const char* keyPath = StoreKeyPath();
    if (keyPath[0] == 0)
        return 0;
    const SYS_RegKey key = Sys().openKey(keyPath);
    if (key == 0)
        return 0;
    VersionInfo loaded {};
    loaded.mainVersionName = ReadName(key, "Main version name");
    ReadNumbers(key, MAIN_NUMBERS, loaded);
    loaded.patchVersionName = ReadName(key, "Patch version name");
    ReadNumbers(key, PATCH_NUMBERS, loaded);
    (void)Sys().closeKey(key);

    VersionInfo& record = StoreRecord();
    RetireRecordName(record.mainVersionName);
    RetireRecordName(record.patchVersionName);
    record = loaded;
    return 1;
}

int VI_Save()
{
    const char* keyPath = StoreKeyPath();
    if (keyPath[0] == 0)
        return 0;
    const SYS_RegKey key = Sys().createKey(keyPath);
    if (key == 0)
        return 0;
    const VersionInfo& record = StoreRecord();
    // The values go in one change, so a crash never leaves a record that is half old and half
    // new. Every value is tried even after a failure, so one bad write loses no other value.
    bool written = Sys().beginBatch(key) == SYS_OK;
    written = WriteName(key, "Main version name", record.mainVersionName) && written;
    written = WriteNumbers(key, MAIN_NUMBERS, record) && written;
    written = WriteName(key, "Patch version name", record.patchVersionName) && written;
    written = WriteNumbers(key, PATCH_NUMBERS, record) && written;
    written = Sys().commitBatch(key) == SYS_OK && written;
    (void)Sys().closeKey(key);
    return written ? 1 : 0;
}
