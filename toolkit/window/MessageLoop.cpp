#include "toolkit/window/MessageLoop.h"

#include "toolkit/window/WindowManagerUI.h"

namespace SkinUI {

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
    if (!msg->hwnd) return false;  // thread messages belong to no window manager
    const CUiPtrArray& managers = CWindowManagerUI::AllManagers();
    const LONG_PTR style = ::GetWindowLongPtrW(msg->hwnd, GWL_STYLE);
    if ((style & WS_CHILD) != 0) {
        // A child window (the browser's): every manager whose window is one of
        // its ancestors may translate it; pre-handling cannot swallow it.
        const HWND parent = ::GetParent(msg->hwnd);
        for (int i = 0; i < managers.Count(); ++i) {
            auto* manager = static_cast<CWindowManagerUI*>(managers.At(i));
            for (HWND ancestor = parent; ancestor; ancestor = ::GetParent(ancestor)) {
                const HWND own = manager->WindowHandle();
                if (own != msg->hwnd && own != ancestor) continue;
                if (manager->TranslateAccelerator(msg)) return true;
                manager->PreHandleMessage(msg->message, msg->wParam, msg->lParam);
            }
        }
        return false;
    }
    for (int i = 0; i < managers.Count(); ++i) {
        auto* manager = static_cast<CWindowManagerUI*>(managers.At(i));
        if (manager->WindowHandle() != msg->hwnd) continue;
        if (manager->TranslateAccelerator(msg)) return true;
        return manager->PreHandleMessage(msg->message, msg->wParam, msg->lParam);
    }
    return false;
}

}  // namespace SkinUI
