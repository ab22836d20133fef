// The packed date of the version record's time fields and of the patch's own date: the year
// since 1950 in the low byte, then the month in 4 bits and the day in 5.
#include "patcher/patcher.h"

uint32_t VI_PackDate(uint32_t year, uint32_t month, uint32_t day)
{
    return ((year + 98) & 0xFF) | (month & 0xF) << 8 | (day & 0x1F) << 12;
}

void VI_UnpackDate(uint32_t packed, uint32_t* year, uint32_t* month, uint32_t* day)
{
    if (year != nullptr)
        *year = (packed & 0xFF) + 1950;
    if (month != nullptr)
        *month = packed >> 8 & 0xF;
    if (day != nullptr)
        *day = packed >> 12 & 0x1F;
}
