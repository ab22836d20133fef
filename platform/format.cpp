// 8-bit printf-style formatting into a bounded destination, and the byte-count formatter
// ("1.00 KB") that the disk space check shows.
#include "platform/platform.h"

#include <cstdio>

int SYS_Format(char* destination, size_t capacity, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int length = SYS_FormatV(destination, capacity, format, arguments);
    va_end(arguments);
    return length;
}

int SYS_FormatV(char* destination, size_t capacity, const char* format, va_list arguments)
{
    if (!destination)
        return 0;
    if (!format)
        return static_cast<int>(SYS_StrCopy(destination, capacity, ""));
    int length = std::vsnprintf(destination, capacity, format, arguments);
    if (length < 0 && capacity > 0)
        destination[0] = 0; // the C library's partial output on failure is not defined
    return length;
}

size_t SYS_FormatSize(char16_t* destination, size_t capacity, uint64_t byteCount)
{
    static const char* const UNITS[] = { "B", "KB", "MB", "GB", "TB" };
    constexpr size_t LAST_UNIT = 4;
    // Below 1024 of a unit: whole in that unit. From 1024 to 102399: two decimals in the next
    // unit. From 102400 on: shifted into the next unit and tested again. TB is the last unit.
    char text[40];
    size_t unit = 0;
    uint64_t value = byteCount;
    for (; unit < LAST_UNIT && value >= 1024; ++unit, value >>= 10) {
        if (value < 102400) {
            double inNext = static_cast<double>(value) * 0.0009765625;
            (void)SYS_Format(text, sizeof text, "%0.2f %s", inNext, UNITS[unit + 1]);
            return SYS_StrToWStr(destination, capacity, text);
        }
    }
    (void)SYS_Format(text, sizeof text, "%d %s", static_cast<int>(value), UNITS[unit]);
    return SYS_StrToWStr(destination, capacity, text);
}
