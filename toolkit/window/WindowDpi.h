// The DPI a window is shown at. Per-monitor DPI needs functions newer
// than Windows 7, so each is looked up at run time: GetDpiForWindow
// (Windows 10 1607), then GetDpiForMonitor of shcore (Windows 8.1), then
// the system DPI every window shares on older systems.
#pragma once

#include <windows.h>

namespace SkinUI {

// The DPI of the window's display; the system DPI without a window or
// where the system cannot tell a window's own.
int DpiForWindow(HWND hwnd) noexcept;

// The system DPI (LOGPIXELSY of the screen), 96 when it cannot be read.
int SystemDpi() noexcept;

// WM_DPICHANGED, also where the SDK headers predate it.
constexpr UINT kWmDpiChanged = 0x02E0;

}  // namespace SkinUI
