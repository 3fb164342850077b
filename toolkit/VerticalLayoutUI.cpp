#include "toolkit/VerticalLayoutUI.h"

#include "toolkit/LayoutArithmetic.h"

namespace SkinUI {

std::wstring_view CVerticalLayoutUI::ClassName() const
{
    return L"VerticalLayoutUI";
}

void* CVerticalLayoutUI::InterfaceFor(std::wstring_view name)
{
    if (name == L"VerticalLayout") return this;
    return CContainerUI::InterfaceFor(name);
}

void CVerticalLayoutUI::Place(const RECT& rect)
{
    CControlUI::Place(rect);
    const RECT content = ContentRect();
    if (m_items.Count() == 0) return;
    const SIZE available = {content.right - content.left, content.bottom - content.top};

    // First pass: what the fixed children and all paddings take.
    int adjustables = 0;
    int laidOut = 0;
    long long fixedTotal = 0;
    for (int i = 0; i < m_items.Count(); ++i) {
        CControlUI* child = ChildAt(i);
        if (!child->IsVisible() || child->IsFloat()) continue;
        const SIZE size = child->MeasureSize(available);
        if (size.cy == 0)
            ++adjustables;
        else
            fixedTotal += ClampToLimits(size.cy, child->MinHeight(), child->MaxHeight());
        const RECT padding = child->Padding();
        fixedTotal += static_cast<long long>(padding.top) + padding.bottom;
        ++laidOut;
    }
    if (laidOut > 0) fixedTotal += static_cast<long long>(laidOut - 1) * m_iChildPadding;

    // Adjustable children share the rest; the remainder is not handed out.
    long long expand = 0;
    if (adjustables > 0) expand = std::max<long long>(0, (available.cy - fixedTotal) / adjustables);

    // Second pass: place them.
    long long y = content.top;
    const long long x = content.left;
    long long remaining = available.cy;
    for (int i = 0; i < m_items.Count(); ++i) {
        CControlUI* child = ChildAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            PlaceFloatChild(child);
            continue;
        }
        const RECT padding = child->Padding();
        remaining -= padding.top;
        const SIZE size = child->MeasureSize({available.cx, ClampLayoutValue(remaining)});
        long long height = size.cy == 0 ? expand : size.cy;
        height = ClampToLimits(height, child->MinHeight(), child->MaxHeight());
        long long width = child->FixedWidth();
        if (width == 0) width = std::max<long long>(0, static_cast<long long>(available.cx) - padding.left - padding.right);
        width = ClampToLimits(width, child->MinWidth(), child->MaxWidth());
        const long long left = x + padding.left;
        const long long top = y + padding.top;
        child->Place({ClampLayoutValue(left), ClampLayoutValue(top), ClampLayoutValue(left + width),
                      ClampLayoutValue(top + height)});
        y += padding.top + height + padding.bottom + m_iChildPadding;
        remaining -= height + padding.bottom + m_iChildPadding;
    }
}

}  // namespace SkinUI
