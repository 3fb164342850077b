#include "toolkit/HorizontalLayoutUI.h"

#include "toolkit/LayoutArithmetic.h"

namespace SkinUI {

std::wstring_view CHorizontalLayoutUI::ClassName() const
{
    return L"HorizontalLayoutUI";
}

void* CHorizontalLayoutUI::InterfaceFor(std::wstring_view name)
{
    if (name == L"HorizontalLayout") return this;
    return CContainerUI::InterfaceFor(name);
}

void CHorizontalLayoutUI::Place(const RECT& rect)
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
        if (size.cx == 0)
            ++adjustables;
        else
            fixedTotal += ClampToLimits(size.cx, child->MinWidth(), child->MaxWidth());
        const RECT padding = child->Padding();
        fixedTotal += static_cast<long long>(padding.left) + padding.right;
        ++laidOut;
    }
    if (laidOut > 0) fixedTotal += static_cast<long long>(laidOut - 1) * m_iChildPadding;

    // Adjustable children share the rest; the remainder is not handed out.
    long long expand = 0;
    if (adjustables > 0) expand = std::max<long long>(0, (available.cx - fixedTotal) / adjustables);

    long long x = content.left;
    long long remaining = available.cx;
    for (int i = 0; i < m_items.Count(); ++i) {
        CControlUI* child = ChildAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            PlaceFloatChild(child);
            continue;
        }
        const RECT padding = child->Padding();
        remaining -= padding.left;
        const SIZE size = child->MeasureSize({ClampLayoutValue(remaining), available.cy});
        long long width = size.cx == 0 ? expand : size.cx;
        width = ClampToLimits(width, child->MinWidth(), child->MaxWidth());
        // The cross size is the fixed height: a label's text height does not
        // keep it from filling the row.
        long long height = child->FixedHeight();
        if (height == 0)
            height = std::max<long long>(0, static_cast<long long>(available.cy) - padding.top - padding.bottom);
        height = ClampToLimits(height, child->MinHeight(), child->MaxHeight());
        const long long left = x + padding.left;
        const long long top = static_cast<long long>(content.top) + padding.top;
        child->Place({ClampLayoutValue(left), ClampLayoutValue(top), ClampLayoutValue(left + width),
                      ClampLayoutValue(top + height)});
        x += padding.left + width + padding.right + m_iChildPadding;
        remaining -= width + padding.right + m_iChildPadding;
    }
}

}  // namespace SkinUI
