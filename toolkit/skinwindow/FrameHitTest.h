// Where a point of a frameless skinned window lands: a resize border, the
// caption (drag) area or the client area. Plain arithmetic on the skin's
// "sizebox" and "caption" rectangles, free of the platform.
#pragma once

#include <string_view>

namespace SkinUI {

struct FrameRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

enum class FrameHit {
    Client,
    CaptionArea,  // a caption unless a control that takes clicks lies there
    Left,
    Right,
    Top,
    TopLeft,
    TopRight,
    Bottom,
    BottomLeft,
    BottomRight,
};

// `sizeBox` holds border widths inside the client edges; `caption` holds
// left and right insets from the client edges and absolute top and bottom
// y values. A maximised window has no resize borders.
FrameHit HitTestFrame(const FrameRect& client, const FrameRect& sizeBox, const FrameRect& caption, int x, int y,
                      bool maximised);

// Where a frameless window lies maximised on a monitor (both rectangles in
// screen coordinates): the client area is the monitor's work area, which
// may lie anywhere on the virtual screen (a second monitor, a taskbar on the
// left or top); the system takes the maximised position relative to the
// monitor and the largest size.
struct MaximisedFrame {
    FrameRect client;   // WM_NCCALCSIZE: screen coordinates
    int maxLeft = 0;    // WM_GETMINMAXINFO ptMaxPosition: relative to the monitor
    int maxTop = 0;
    int maxWidth = 0;   // ptMaxTrackSize
    int maxHeight = 0;
};
MaximisedFrame MaximisedGeometry(const FrameRect& monitor, const FrameRect& work);

// Whether a control of this class under the caption area drags the window:
// anything but the controls that take clicks or text (compared without
// regard to case).
bool DragsWindow(std::wstring_view controlClass);

}  // namespace SkinUI
