#include "toolkit/render/ImageScaleSet.h"

#include <algorithm>

namespace SkinUI {

std::size_t ImageSetOrder(const CDisplayScale& display, std::array<int, kImageSetPercents.size()>& order)
{
    const int percent = display.Percent();
    std::size_t count = 0;
    // Exact or larger, ascending; then smaller, descending.
    for (const int set : kImageSetPercents)
        if (set >= percent) order[count++] = set;
    for (auto it = kImageSetPercents.rbegin(); it != kImageSetPercents.rend(); ++it)
        if (*it < percent) order[count++] = *it;
    return count;
}

std::wstring ImageSetName(std::wstring_view name, int percent)
{
    std::wstring result(name);
    if (percent == 100) return result;
    const std::size_t part = result.find_last_of(L"\\/");
    const std::size_t partStart = part == std::wstring::npos ? 0 : part + 1;
    std::size_t dot = result.find_last_of(L'.');
    // No extension, or a dot only at the start of the part (".hidden"): the
    // scale goes at the end.
    if (dot == std::wstring::npos || dot <= partStart) dot = result.size();
    result.insert(dot, L"@" + std::to_wstring(percent));
    return result;
}

int ImageSideAt(int side, int setPercent, const CDisplayScale& display)
{
    const int logical = CDisplayScale(ImageSetDpi(setPercent)).Unscale(side);
    return std::max(1, display.Scale(logical));
}

}  // namespace SkinUI
