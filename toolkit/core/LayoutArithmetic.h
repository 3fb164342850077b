// Helpers of the layout containers' integer arithmetic.
#pragma once

#include <windows.h>

#include <algorithm>
#include <climits>

namespace SkinUI {

// Sums of child sizes are kept in 64 bits; results return to 32.
inline LONG ClampLayoutValue(long long v)
{
    return static_cast<LONG>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v)));
}

// Limits a size to a control's minimum..maximum (the maximum wins a conflict).
inline long long ClampToLimits(long long v, int minimum, int maximum)
{
    if (v < minimum) v = minimum;
    if (v > maximum) v = maximum;
    return v;
}

}  // namespace SkinUI
