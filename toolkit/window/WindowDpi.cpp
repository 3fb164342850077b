#include "toolkit/window/WindowDpi.h"

#include "base/ProcedurePointers.h"
#include "base/SystemLibrary.h"
#include "base/Win32Handles.h"

namespace SkinUI {
namespace {

using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
// GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI = 0, &x, &y).
using GetDpiForMonitorProc = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;

struct DpiFunctions {
    GetDpiForWindowProc forWindow = nullptr;
    GetDpiForMonitorProc forMonitor = nullptr;
};

const DpiFunctions& Functions()
{
    static const DpiFunctions functions = [] {
        DpiFunctions found;
        found.forWindow =
            win32::ExportedFunction<GetDpiForWindowProc>(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
        // shcore exists from Windows 8.1; it stays loaded for the process.
        if (!found.forWindow)
            found.forMonitor =
                win32::ExportedFunction<GetDpiForMonitorProc>(win32::LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
        return found;
    }();
    return functions;
}

}  // namespace

int SystemDpi() noexcept
{
    const win32::WindowDc screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

int DpiForWindow(HWND hwnd) noexcept
{
    if (hwnd && ::IsWindow(hwnd)) {
        const DpiFunctions& functions = Functions();
        if (functions.forWindow) {
            const UINT dpi = functions.forWindow(hwnd);
            if (dpi > 0) return static_cast<int>(dpi);
        } else if (functions.forMonitor) {
            UINT x = 0, y = 0;
            const HMONITOR monitor = ::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
            if (SUCCEEDED(functions.forMonitor(monitor, kEffectiveDpi, &x, &y)) && y > 0) return static_cast<int>(y);
        }
    }
    return SystemDpi();
}

}  // namespace SkinUI
