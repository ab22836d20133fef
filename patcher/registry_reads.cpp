// Reads of single registry values that never leave a text unterminated and never store bytes
// of a read that failed: the registry's values are outside data, whatever wrote them.
#include "patcher/patcher_internal.h"

namespace patcher::detail {

bool ReadRegistryText(SYS_RegKey key, const char* name, char* buffer, size_t capacity)
{
    if (capacity == 0)
        return false;
    const uint32_t room = capacity - 1 < UINT32_MAX ? static_cast<uint32_t>(capacity - 1) : 0;
    uint32_t bytesRead = 0;
    if (room == 0 || Sys().queryValue(key, name, buffer, room, &bytesRead) != SYS_OK) {
        buffer[0] = 0;
        return false;
    }
    buffer[bytesRead < room ? bytesRead : room] = 0;
    return true;
}

bool ReadRegistryDword(SYS_RegKey key, const char* name, uint32_t* value)
{
    uint8_t bytes[4] = {};
    uint32_t bytesRead = 0;
    if (Sys().queryValue(key, name, bytes, sizeof bytes, &bytesRead) != SYS_OK
        || bytesRead > sizeof bytes)
        return false;
    *value = SYS_LoadU32(bytes);
    return true;
}

}
