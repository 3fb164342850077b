// Helpers of the layout containers' integer arithmetic. Portable: built
// natively under the sanitizers with the row arithmetic that uses them.
#pragma once

#include <algorithm>
#include <cstdint>

namespace SkinUI {

// Sums of child sizes are kept in 64 bits; results return to 32.
inline std::int32_t ClampLayoutValue(long long v)
{
    return static_cast<std::int32_t>(
        std::max<long long>(INT32_MIN, std::min<long long>(INT32_MAX, v)));
}

// Limits a size to a control's minimum..maximum (the maximum wins a conflict).
inline long long ClampToLimits(long long v, int minimum, int maximum)
{
    if (v < minimum) v = minimum;
    if (v > maximum) v = maximum;
    return v;
}

}  // namespace SkinUI
