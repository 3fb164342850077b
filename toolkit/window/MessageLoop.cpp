#include "toolkit/window/MessageLoop.h"

#include "base/NoThrowBoundary.h"
#include "toolkit/window/DispatchFrame.h"
#include "toolkit/window/WindowManagerUI.h"

namespace SkinUI {
namespace {

// Accelerators run foreign code (the browser's), which may destroy windows.
// Inside the dispatch frame no manager is freed, but one whose window went
// is asked nothing more.
bool StillServes(const CWindowManagerUI* manager)
{
    return CWindowManagerUI::AllManagers().Find(manager) >= 0 && manager->WindowHandle() &&
           ::IsWindow(manager->WindowHandle());
}

bool PreTranslateQueued(MSG* msg)
{
    // The list changes when a window goes: walk a copy, check each entry.
    const CUiPtrArray managers(CWindowManagerUI::AllManagers());
    const LONG_PTR style = ::GetWindowLongPtrW(msg->hwnd, GWL_STYLE);
    if ((style & WS_CHILD) != 0) {
        // A child window (the browser's): every manager whose window is one of
        // its ancestors may translate it; pre-handling cannot swallow it.
        for (int i = 0; i < managers.Count(); ++i) {
            auto* manager = static_cast<CWindowManagerUI*>(managers.At(i));
            for (HWND ancestor = ::GetParent(msg->hwnd); ancestor; ancestor = ::GetParent(ancestor)) {
                if (!StillServes(manager)) break;
                const HWND own = manager->WindowHandle();
                if (own != msg->hwnd && own != ancestor) continue;
                if (manager->TranslateAccelerator(msg)) return true;
                if (!StillServes(manager)) break;
                manager->PreHandleMessage(msg->message, msg->wParam, msg->lParam);
            }
        }
        return false;
    }
    for (int i = 0; i < managers.Count(); ++i) {
        auto* manager = static_cast<CWindowManagerUI*>(managers.At(i));
        if (!StillServes(manager) || manager->WindowHandle() != msg->hwnd) continue;
        if (manager->TranslateAccelerator(msg)) return true;
        if (!StillServes(manager)) return false;
        return manager->PreHandleMessage(msg->message, msg->wParam, msg->lParam);
    }
    return false;
}

}  // namespace

void RunMessageLoop()
{
    MSG msg{};
    BOOL result;
    while ((result = ::GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        // -1 (an invalid call) leaves msg unfilled: never dispatch it, never spin.
        if (result == -1) break;
        if (PreTranslateAll(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PreTranslateAll(MSG* msg)
{
    if (!msg || !msg->hwnd) return false;  // thread messages belong to no window manager
    CDispatchFrame frame;
    // What throws consumed nothing.
    return win32::CallWithoutThrowing(false, [msg] { return PreTranslateQueued(msg); });
}

}  // namespace SkinUI
