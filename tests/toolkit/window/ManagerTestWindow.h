// A real native window around a CWindowManagerUI for the manager and shadow
// tests: its procedure hands every message to the manager first, and Pump
// runs the queue the way the message loop does (pre-translation first).
#pragma once

#include <windows.h>

#include <functional>

#include "toolkit/controls/ControlUI.h"
#include "toolkit/window/WindowManagerUI.h"

namespace skintest {

class ManagerTestWindow {
public:
    ManagerTestWindow(RECT rect, DWORD style = WS_POPUP | WS_VISIBLE, HWND owner = nullptr)
    {
        static const ATOM registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = &ManagerTestWindow::Procedure;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            wc.lpszClassName = L"ManagerTestWindow";
            return ::RegisterClassExW(&wc);
        }();
        (void)registered;
        m_hwnd = ::CreateWindowExW(0, L"ManagerTestWindow", L"manager test", style, rect.left, rect.top,
                                   rect.right - rect.left, rect.bottom - rect.top, owner, nullptr,
                                   ::GetModuleHandleW(nullptr), this);
        if (m_hwnd) manager.Attach(m_hwnd);
    }
    ~ManagerTestWindow()
    {
        if (m_hwnd && ::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
        Pump();
    }
    ManagerTestWindow(const ManagerTestWindow&) = delete;
    ManagerTestWindow& operator=(const ManagerTestWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }

    // Runs the queued messages (and the paints they cause).
    void Pump()
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == m_hwnd && manager.PreHandleMessage(msg.message, msg.wParam, msg.lParam)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    // Pumps until the condition holds or the time is up; answers the condition.
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000)
    {
        const DWORD start = ::GetTickCount();
        while (!done()) {
            if (::GetTickCount() - start > timeoutMs) return false;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            Pump();
        }
        return true;
    }

    void Post(UINT message, WPARAM wParam, POINT pt)
    {
        ::PostMessageW(m_hwnd, message, wParam, MAKELPARAM(pt.x, pt.y));
    }

    SkinUI::CWindowManagerUI manager;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<ManagerTestWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        LRESULT result = 0;
        if (self && self->manager.HandleWindowMessage(message, wParam, lParam, result)) return result;
        if (message == WM_NCDESTROY && self) {
            self->manager.ForgetControl(self->manager.Root());
            self->m_hwnd = nullptr;
        }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND m_hwnd = nullptr;
};

}  // namespace skintest
