// Code-page conversions on Win32 with WideCharToMultiByte and MultiByteToWideChar. They are
// strict, as on POSIX: a character the page has no exact code for (no "?" and no look-alike,
// which could name another file) and bytes that are not valid text fail the conversion.
#include "platform/os_codepage.h"

#include <climits>
#include <windows.h>

namespace platform::os {

namespace {

int ClampToInt(size_t count)
{
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

}

uint32_t FileApiCodePage()
{
    return AreFileApisANSI() ? GetACP() : GetOEMCP();
}

bool WideToMultiByte(uint32_t codePage, const char16_t* source, size_t count, char* destination,
    uint32_t capacity, uint32_t* written)
{
    if (count > INT_MAX)
        return false;
    // UTF-8 reports unpaired surrogates through its own flag and takes no default character.
    const bool utf8 = codePage == CP_UTF8;
    BOOL usedDefault = FALSE;
    int bytes = WideCharToMultiByte(codePage, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
        reinterpret_cast<const wchar_t*>(source), static_cast<int>(count), destination,
        ClampToInt(capacity), nullptr, utf8 ? nullptr : &usedDefault);
    if (bytes <= 0 || usedDefault)
        return false;
    *written = static_cast<uint32_t>(bytes);
    return true;
}

bool MultiByteToWide(uint32_t codePage, const char* source, size_t count, char16_t* destination,
    uint32_t capacity, uint32_t* written)
{
    if (count > INT_MAX)
        return false;
    int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, source, static_cast<int>(count),
        reinterpret_cast<wchar_t*>(destination), ClampToInt(capacity));
    if (units <= 0)
        return false;
    *written = static_cast<uint32_t>(units);
    return true;
}

}
