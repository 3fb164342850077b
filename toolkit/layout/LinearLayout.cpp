#include "toolkit/layout/LinearLayout.h"

#include <algorithm>

#include "toolkit/layout/ContainerUI.h"
#include "toolkit/core/LayoutArithmetic.h"

namespace SkinUI {
namespace {

// The layout is written once, for a row. A column is the same row with x and
// y swapped: sizes and rectangles pass through Turn on the way in and out
// (swapping is its own inverse), and a child's limits are read across.
class RowFrame {
public:
    explicit RowFrame(LayoutAxis axis) : m_swap(axis == LayoutAxis::Vertical) {}

    SIZE Turn(SIZE s) const { return m_swap ? SIZE{s.cy, s.cx} : s; }
    RECT Turn(const RECT& r) const { return m_swap ? RECT{r.top, r.left, r.bottom, r.right} : r; }

    SIZE Measure(CControlUI* child, SIZE available) const { return Turn(child->MeasureSize(Turn(available))); }
    RECT Padding(const CControlUI* child) const { return Turn(child->Padding()); }
    int MinWidth(const CControlUI* child) const { return m_swap ? child->MinHeight() : child->MinWidth(); }
    int MaxWidth(const CControlUI* child) const { return m_swap ? child->MaxHeight() : child->MaxWidth(); }
    int MinHeight(const CControlUI* child) const { return m_swap ? child->MinWidth() : child->MinHeight(); }
    int MaxHeight(const CControlUI* child) const { return m_swap ? child->MaxWidth() : child->MaxHeight(); }
    int FixedHeight(const CControlUI* child) const { return m_swap ? child->FixedWidth() : child->FixedHeight(); }

private:
    bool m_swap;
};

}  // namespace

void PlaceLinearChildren(CContainerUI& container, const RECT& contentRect, int childPadding, LayoutAxis axis)
{
    const RowFrame row(axis);
    const RECT content = row.Turn(contentRect);
    const SIZE available = {content.right - content.left, content.bottom - content.top};

    // First pass: what the fixed children and all paddings take.
    int adjustables = 0;
    int laidOut = 0;
    long long fixedTotal = 0;
    for (int i = 0; i < container.ChildCount(); ++i) {
        CControlUI* child = container.ChildAt(i);
        if (!child->IsVisible() || child->IsFloat()) continue;
        const SIZE size = row.Measure(child, available);
        if (size.cx == 0)
            ++adjustables;
        else
            fixedTotal += ClampToLimits(size.cx, row.MinWidth(child), row.MaxWidth(child));
        const RECT padding = row.Padding(child);
        fixedTotal += static_cast<long long>(padding.left) + padding.right;
        ++laidOut;
    }
    if (laidOut > 0) fixedTotal += static_cast<long long>(laidOut - 1) * childPadding;

    // Adjustable children share the rest; the remainder is not handed out.
    long long expand = 0;
    if (adjustables > 0) expand = std::max<long long>(0, (available.cx - fixedTotal) / adjustables);

    // Second pass: place them.
    long long x = content.left;
    long long remaining = available.cx;
    for (int i = 0; i < container.ChildCount(); ++i) {
        CControlUI* child = container.ChildAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            container.PlaceFloatChild(child);
            continue;
        }
        const RECT padding = row.Padding(child);
        remaining -= padding.left;
        const SIZE size = row.Measure(child, {ClampLayoutValue(remaining), available.cy});
        long long width = size.cx == 0 ? expand : size.cx;
        width = ClampToLimits(width, row.MinWidth(child), row.MaxWidth(child));
        // The cross size is the fixed one: a label's text height does not
        // keep it from filling a row.
        long long height = row.FixedHeight(child);
        if (height == 0)
            height = std::max<long long>(0, static_cast<long long>(available.cy) - padding.top - padding.bottom);
        height = ClampToLimits(height, row.MinHeight(child), row.MaxHeight(child));
        const long long left = x + padding.left;
        const long long top = static_cast<long long>(content.top) + padding.top;
        child->Place(row.Turn(RECT{ClampLayoutValue(left), ClampLayoutValue(top), ClampLayoutValue(left + width),
                                   ClampLayoutValue(top + height)}));
        x += padding.left + width + padding.right + childPadding;
        remaining -= width + padding.right + childPadding;
    }
}

}  // namespace SkinUI
