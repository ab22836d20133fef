// Float helpers: truncation toward zero, and rounding to a 32-bit integer that stays defined
// for every input (the progress and scroll bars may pass NaN or huge ratios).
#include "platform/platform.h"

#include <cmath>

double SYS_Truncate(float value)
{
    return std::trunc(static_cast<double>(value));
}

int32_t SYS_Round(float value)
{
    if (std::isnan(value))
        return 0;
    // In double precision every float plus one half is exact, so floor gives the nearest
    // integer with halves going toward positive infinity (2.5 -> 3, -2.5 -> -2).
    double rounded = std::floor(static_cast<double>(value) + 0.5);
    if (rounded >= 2147483647.0)
        return INT32_MAX;
    if (rounded <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(rounded);
}
