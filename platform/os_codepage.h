// The system side of code-page conversions between wide text and 8-bit text; the Win32 and
// POSIX backends both define these. Capacity rules and the code-page override live in
// sys_codepage.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::os {

inline constexpr uint32_t CODE_PAGE_UTF8 = 65001;

// The code page of the system's 8-bit file functions: on Win32 the ANSI code page when
// AreFileApisANSI() is true and the OEM code page otherwise; on POSIX UTF-8.
[[nodiscard]] uint32_t FileApiCodePage();

// Convert all count units (bytes) of source, NULs included. With capacity 0 nothing is
// written and *written receives the size the result needs; otherwise up to capacity bytes
// (units) are written and *written receives their number. False when the code page is
// unknown, when source holds a character the code page has no exact code for or a sequence
// that is not valid text, or when the result does not fit; the destination may then hold part
// of the result, and *written is not set.
[[nodiscard]] bool WideToMultiByte(uint32_t codePage, const char16_t* source, size_t count,
    char* destination, uint32_t capacity, uint32_t* written);
[[nodiscard]] bool MultiByteToWide(uint32_t codePage, const char* source, size_t count,
    char16_t* destination, uint32_t capacity, uint32_t* written);

}
