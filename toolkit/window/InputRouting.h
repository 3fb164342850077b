// Mouse and keyboard input of a window turned into events for its controls:
// the hover control (enter and leave), the click control (the one pressed,
// holding the mouse capture until the release), the key-press control, the
// last mouse position and the mouse tracking. Every event can run foreign
// code (listeners, notifications, modal loops): what the router holds is
// read again after each, never trusted from before it.
#pragma once

#include <windows.h>

namespace SkinUI {

class CControlUI;
class CWindowManagerUI;

class CInputRouter {
public:
    explicit CInputRouter(CWindowManagerUI& manager) noexcept : m_manager(manager) {}
    CInputRouter(const CInputRouter&) = delete;
    CInputRouter& operator=(const CInputRouter&) = delete;

    // WM_MOUSEMOVE, WM_MOUSELEAVE, WM_MOUSEHOVER, WM_LBUTTONDOWN, WM_LBUTTONUP,
    // WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_CONTEXTMENU, WM_MOUSEWHEEL and
    // WM_SETCURSOR; true when handled, with the answer in `result`.
    bool OnMouseMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // WM_KEYDOWN to the focused control, which becomes the key-press control;
    // WM_KEYUP to the key-press control; WM_CHAR to the focused control.
    void OnKeyMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_SYSKEYDOWN (pre-translation) to the focused control.
    void OnSysKeyDown(WPARAM wParam, LPARAM lParam);
    // WM_CLOSE: the hover control gets its leave, and a held press lets go
    // without a click.
    void ReleaseForClose();
    // Someone else took the mouse: the press is over without a release.
    void OnCaptureChanged(HWND newOwner) noexcept;

    // The control is leaving the window: no reference to it stays, and a
    // press it held gives the mouse back.
    void Forget(const CControlUI* control) noexcept;
    // A new tree: hover, press and key press are forgotten (no events).
    void Reset() noexcept;
    // The window is going away: capture and tracking end, references go.
    void Detach() noexcept;

    CControlUI* Hover() const noexcept { return m_pHover; }
    CControlUI* Click() const noexcept { return m_pClick; }
    CControlUI* KeyPress() const noexcept { return m_pKey; }
    bool IsMouseCaptured() const noexcept { return m_bCaptured; }
    POINT LastMousePosition() const noexcept { return m_ptLastMouse; }
    void SetLastMousePosition(POINT pt) noexcept { m_ptLastMouse = pt; }

private:
    bool IsOurs(const CControlUI* control) const noexcept;
    // The topmost control at a client point, when it belongs to this window.
    CControlUI* OursAt(POINT pt) const;
    void Send(CControlUI* control, int type, WPARAM wParam, LPARAM lParam, WORD key, WORD keyState,
              bool cancelled = false);
    void OnMouseMove(LPARAM lParam);
    bool OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam);
    void ReleaseMouseCapture() noexcept;

    CWindowManagerUI& m_manager;
    CControlUI* m_pHover = nullptr;
    CControlUI* m_pClick = nullptr;
    CControlUI* m_pKey = nullptr;
    POINT m_ptLastMouse = {-1, -1};
    bool m_bTracking = false;
    bool m_bCaptured = false;
};

}  // namespace SkinUI
