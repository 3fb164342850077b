#include "toolkit/skinwindow/FrameHitTest.h"

#include <algorithm>
#include <cwctype>

namespace SkinUI {

FrameHit HitTestFrame(const FrameRect& client, const FrameRect& sizeBox, const FrameRect& caption, int x, int y,
                      bool maximised)
{
    if (!maximised) {
        // 64-bit sums: skin values are arbitrary 32-bit numbers.
        const bool left = x < static_cast<long long>(client.left) + sizeBox.left;
        const bool right = x > static_cast<long long>(client.right) - sizeBox.right;
        if (y < static_cast<long long>(client.top) + sizeBox.top)
            return left ? FrameHit::TopLeft : right ? FrameHit::TopRight : FrameHit::Top;
        if (y > static_cast<long long>(client.bottom) - sizeBox.bottom)
            return left ? FrameHit::BottomLeft : right ? FrameHit::BottomRight : FrameHit::Bottom;
        if (left) return FrameHit::Left;
        if (right) return FrameHit::Right;
    }
    const bool inCaption = x >= static_cast<long long>(client.left) + caption.left &&
                           x < static_cast<long long>(client.right) - caption.right && y >= caption.top &&
                           y < caption.bottom;
    return inCaption ? FrameHit::CaptionArea : FrameHit::Client;
}

MaximisedFrame MaximisedGeometry(const FrameRect& monitor, const FrameRect& work)
{
    MaximisedFrame frame;
    frame.client = work;
    frame.maxLeft = work.left - monitor.left;
    frame.maxTop = work.top - monitor.top;
    frame.maxWidth = work.right - work.left;
    frame.maxHeight = work.bottom - work.top;
    return frame;
}

bool DragsWindow(std::wstring_view controlClass)
{
    static constexpr std::wstring_view kTakesClicks[] = {L"ButtonUI",   L"OptionUI", L"TextUI",   L"SliderUI",
                                                         L"RichEditUI", L"CheckBoxUI", L"EditUI", L"ScrollBarUI"};
    const auto sameNoCase = [](std::wstring_view a, std::wstring_view b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t p, wchar_t q) {
                   return std::towlower(static_cast<wint_t>(p)) == std::towlower(static_cast<wint_t>(q));
               });
    };
    return std::none_of(std::begin(kTakesClicks), std::end(kTakesClicks),
                        [&](std::wstring_view name) { return sameNoCase(name, controlClass); });
}

}  // namespace SkinUI
