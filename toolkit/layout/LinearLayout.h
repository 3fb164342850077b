// The arithmetic the horizontal and vertical layouts share: a line of
// children, fixed sizes first, children without a size sharing the rest.
#pragma once

#include <windows.h>

namespace SkinUI {

class CContainerUI;

enum class LayoutAxis { Horizontal, Vertical };

// Places the container's visible children inside content, one after the
// other along the axis and childPadding apart; each fills the content
// across the axis unless it has a fixed size there. Float children are
// placed by their offset instead.
void PlaceLinearChildren(CContainerUI& container, const RECT& content, int childPadding, LayoutAxis axis);

}  // namespace SkinUI
