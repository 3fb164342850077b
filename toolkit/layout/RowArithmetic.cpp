#include "toolkit/layout/RowArithmetic.h"

#include <algorithm>

#include "toolkit/core/LayoutArithmetic.h"

namespace SkinUI {

void ArrangeRow(const RowChild* children, int count, RowMeasure measure, void* context, const SkinRect& content,
                int childPadding, SkinRect* placed)
{
    if (count <= 0) return;
    const long long availableWidth = static_cast<long long>(content.right) - content.left;
    const long long availableHeight = static_cast<long long>(content.bottom) - content.top;
    const SkinSize available = {ClampLayoutValue(availableWidth), ClampLayoutValue(availableHeight)};

    // First pass: what the fixed children and all paddings take.
    int adjustables = 0;
    long long fixedTotal = 0;
    for (int i = 0; i < count; ++i) {
        const RowChild& child = children[i];
        const SkinSize size = measure(context, i, available);
        if (size.cx == 0)
            ++adjustables;
        else
            fixedTotal += ClampToLimits(size.cx, child.minWidth, child.maxWidth);
        fixedTotal += static_cast<long long>(child.padding.left) + child.padding.right;
    }
    fixedTotal += static_cast<long long>(count - 1) * childPadding;

    // Adjustable children share the rest; the remainder is not handed out.
    long long expand = 0;
    if (adjustables > 0) expand = std::max<long long>(0, (availableWidth - fixedTotal) / adjustables);

    // Second pass: place them, each offered what is left of the row.
    long long x = content.left;
    long long remaining = availableWidth;
    for (int i = 0; i < count; ++i) {
        const RowChild& child = children[i];
        remaining -= child.padding.left;
        const SkinSize size = measure(context, i, {ClampLayoutValue(remaining), available.cy});
        long long width = size.cx == 0 ? expand : size.cx;
        width = ClampToLimits(width, child.minWidth, child.maxWidth);
        // The cross size is the fixed one: a label's text height does not
        // keep it from filling a row.
        long long height = child.fixedHeight;
        if (height == 0)
            height = std::max<long long>(0, availableHeight - child.padding.top - child.padding.bottom);
        height = ClampToLimits(height, child.minHeight, child.maxHeight);
        const long long left = x + child.padding.left;
        const long long top = static_cast<long long>(content.top) + child.padding.top;
        placed[i] = {ClampLayoutValue(left), ClampLayoutValue(top), ClampLayoutValue(left + width),
                     ClampLayoutValue(top + height)};
        x += static_cast<long long>(child.padding.left) + width + child.padding.right + childPadding;
        remaining -= width + child.padding.right + childPadding;
    }
}

}  // namespace SkinUI
