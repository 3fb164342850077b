// The arithmetic of a line of children, written once for a row (the
// horizontal layout; the vertical one passes its column turned on its side):
// fixed sizes and paddings first, children without a size sharing the rest
// equally. Portable, so it runs natively under the sanitizers and the fuzzer.
#pragma once

#include "toolkit/core/SkinValue.h"

namespace SkinUI {

// One laid-out child, seen along the row: widths run along it, heights across.
struct RowChild {
    SkinRect padding;
    int minWidth = 0;
    int maxWidth = 9999;
    int minHeight = 0;
    int maxHeight = 9999;
    int fixedHeight = 0;  // 0: the child fills the row's height
};

// The child's desired size for the space offered; a width of 0 makes it
// share what the others leave.
using RowMeasure = SkinSize (*)(void* context, int index, SkinSize available);

// Places count children inside content, childPadding apart, into placed[i].
// Sums run in 64 bits and every edge is clamped to 32, so no input overflows.
void ArrangeRow(const RowChild* children, int count, RowMeasure measure, void* context, const SkinRect& content,
                int childPadding, SkinRect* placed);

}  // namespace SkinUI
