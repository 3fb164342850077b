#include "toolkit/window/InputRouting.h"

#include <windowsx.h>

#include "toolkit/controls/ControlUI.h"
#include "toolkit/window/ControlEvents.h"
#include "toolkit/window/WindowManagerUI.h"

namespace SkinUI {
namespace {

POINT PointOf(LPARAM lParam)
{
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

int ButtonEventOf(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        return EV_BUTTONDOWN;
    case WM_RBUTTONDOWN:
        return EV_RBUTTONDOWN;
    default:
        return EV_DBLCLICK;
    }
}

}  // namespace

bool CInputRouter::IsOurs(const CControlUI* control) const noexcept
{
    return control && control->Manager() == static_cast<const IControlHostUI*>(&m_manager);
}

CControlUI* CInputRouter::OursAt(POINT pt) const
{
    // A control of another window (a subtree being moved) gets no input here.
    CControlUI* control = m_manager.FindAt(pt);
    return IsOurs(control) ? control : nullptr;
}

void CInputRouter::Send(CControlUI* control, int type, WPARAM wParam, LPARAM lParam, WORD key, WORD keyState,
                        bool cancelled)
{
    if (!control) return;
    TEventRecord event = MakeControlEvent(type, control, m_ptLastMouse);
    event.chKey = key;
    event.wKeyState = keyState;
    event.wParam = wParam;
    event.lParam = lParam;
    event.bCancelled = cancelled;
    control->DispatchEvent(event);
}

void CInputRouter::ReleaseMouseCapture() noexcept
{
    if (!m_bCaptured) return;
    m_bCaptured = false;
    const HWND hwnd = m_manager.WindowHandle();
    if (hwnd && ::GetCapture() == hwnd) ::ReleaseCapture();
}

bool CInputRouter::OnMouseMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const HWND hwnd = m_manager.WindowHandle();
    if (!hwnd) return false;
    switch (message) {
    case WM_MOUSEMOVE:
        if (!m_bTracking) {
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof(track);
            track.dwFlags = TME_HOVER | TME_LEAVE;
            track.hwndTrack = hwnd;
            track.dwHoverTime = m_manager.ToolTip().HoverTime();
            if (::TrackMouseEvent(&track)) m_bTracking = true;
        }
        OnMouseMove(lParam);
        return false;
    case WM_MOUSELEAVE:
        m_manager.ToolTip().Hide();
        // The move to (-1, -1) gives the hover control its leave; tracking
        // counts as armed during it so the move does not arm it again. A
        // hover disarms our flag but not the system's leave tracking, so a
        // hover control still present gets its leave too.
        if (m_bTracking || m_pHover) {
            m_bTracking = true;
            ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(-1, -1));
        }
        m_bTracking = false;
        return false;
    case WM_MOUSEHOVER: {
        m_bTracking = false;
        CControlUI* found = OursAt(PointOf(lParam));
        if (!found) return true;
        const CControlAlive alive(found);
        if (m_pHover) Send(m_pHover, EV_MOUSEHOVER, 0, 0, 0, CurrentKeyState());
        // The hover's handlers may have removed the control, or closed the window.
        if (alive && IsOurs(found) && !found->ToolTip().IsEmpty())
            m_manager.ToolTip().Show(m_manager.WindowHandle(), found->Rect(), found->ToolTip().View(),
                                     found->ToolTipWidth(), CWindowManagerUI::Instance());
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return OnButtonDown(message, wParam, lParam);
    case WM_LBUTTONUP: {
        m_ptLastMouse = PointOf(lParam);
        CControlUI* click = m_pClick;
        if (!click) return false;
        // Forgotten before the event: a click handler may run a modal loop.
        m_pClick = nullptr;
        const CControlAlive alive(click);
        ReleaseMouseCapture();  // WM_CAPTURECHANGED reaches the window's filters
        if (alive && IsOurs(click)) Send(click, EV_BUTTONUP, wParam, lParam, 0, LOWORD(wParam));
        return false;
    }
    case WM_CONTEXTMENU: {
        POINT pt = PointOf(lParam);
        ::ScreenToClient(hwnd, &pt);
        m_ptLastMouse = pt;
        CControlUI* click = m_pClick;
        if (!click) return false;
        m_pClick = nullptr;
        const CControlAlive alive(click);
        ReleaseMouseCapture();
        if (alive && IsOurs(click))
            Send(click, EV_CONTEXTMENU, 0, reinterpret_cast<LPARAM>(click), 0, CurrentKeyState());
        return false;
    }
    case WM_MOUSEWHEEL: {
        POINT pt = PointOf(lParam);
        ::ScreenToClient(hwnd, &pt);
        m_ptLastMouse = pt;
        CControlUI* found = OursAt(pt);
        if (!found) return false;
        const WPARAM towardsUser = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0;
        Send(found, EV_SCROLLWHEEL, towardsUser, 0, 0, LOWORD(wParam));
        // Hover follows content that scrolled under the cursor.
        if (const HWND still = m_manager.WindowHandle()) ::SendMessageW(still, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
        return false;
    }
    case WM_SETCURSOR: {
        if (LOWORD(lParam) != HTCLIENT) return false;
        if (m_bCaptured) {
            result = TRUE;
            return true;
        }
        POINT pt{};
        ::GetCursorPos(&pt);
        ::ScreenToClient(hwnd, &pt);
        CControlUI* found = OursAt(pt);
        if (!found || !(found->ControlFlags() & FLAG_SETCURSOR)) return false;
        Send(found, EV_SETCURSOR, wParam, lParam, 0, CurrentKeyState());
        result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

void CInputRouter::OnMouseMove(LPARAM lParam)
{
    m_ptLastMouse = PointOf(lParam);
    CControlUI* found = OursAt(m_ptLastMouse);
    if (found != m_pHover) {
        if (CControlUI* previous = m_pHover) {
            m_pHover = nullptr;
            Send(previous, EV_MOUSELEAVE, 0, 0, 0, CurrentKeyState());
            m_manager.ToolTip().Hide();
            // The leave may have changed the tree: what lies under the mouse now.
            found = OursAt(m_ptLastMouse);
        }
        // A move sent by the leave's handlers may have found the hover already.
        if (found && !m_pHover) {
            m_pHover = found;
            Send(found, EV_MOUSEENTER, 0, 0, 0, CurrentKeyState());
        }
    }
    // A pressed control keeps receiving moves while it holds the capture;
    // otherwise the control under the mouse, as it stands after the enter.
    CControlUI* target = m_pClick ? m_pClick : m_pHover;
    Send(target, EV_MOUSEMOVE, 0, 0, 0, CurrentKeyState());
}

bool CInputRouter::OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam)
{
    ::SetFocus(m_manager.WindowHandle());
    m_ptLastMouse = PointOf(lParam);
    // Found after the native focus change, which runs other windows' code.
    CControlUI* found = OursAt(m_ptLastMouse);
    if (!found) return false;
    const CControlAlive alive(found);
    if (message != WM_LBUTTONDBLCLK) m_manager.FocusControl(found);
    // Focus handlers may have removed the control or closed the window.
    const HWND hwnd = m_manager.WindowHandle();
    if (!alive || !IsOurs(found) || !hwnd) return false;
    m_pClick = found;
    ::SetCapture(hwnd);
    m_bCaptured = true;
    if (m_pClick == found) Send(found, ButtonEventOf(message), wParam, lParam, 0, LOWORD(wParam));
    return false;
}

void CInputRouter::OnKeyMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const WORD key = static_cast<WORD>(wParam);
    switch (message) {
    case WM_KEYDOWN:
        if (CControlUI* focus = m_manager.FocusedControl()) {
            m_pKey = focus;
            Send(focus, EV_KEYDOWN, wParam, lParam, key, CurrentKeyState());
        }
        break;
    case WM_KEYUP:
        if (CControlUI* pressed = m_pKey) {
            m_pKey = nullptr;
            Send(pressed, EV_KEYUP, wParam, lParam, key, CurrentKeyState());
        }
        break;
    case WM_CHAR:
        if (CControlUI* focus = m_manager.FocusedControl()) Send(focus, EV_CHAR, wParam, lParam, key, CurrentKeyState());
        break;
    default:
        break;
    }
}

void CInputRouter::OnSysKeyDown(WPARAM wParam, LPARAM lParam)
{
    if (CControlUI* focus = m_manager.FocusedControl())
        Send(focus, EV_SYSKEY, wParam, lParam, static_cast<WORD>(wParam), CurrentKeyState());
}

void CInputRouter::ReleaseForClose()
{
    if (CControlUI* hover = m_pHover) {
        m_pHover = nullptr;
        Send(hover, EV_MOUSELEAVE, 0, 0, 0, CurrentKeyState());
    }
    // Read after the leave, whose handlers may have ended the press.
    if (CControlUI* click = m_pClick) {
        m_pClick = nullptr;
        const CControlAlive alive(click);
        ReleaseMouseCapture();
        // The release of a press the window's closing ends: never a click.
        if (alive && IsOurs(click)) Send(click, EV_BUTTONUP, 0, 0, 0, CurrentKeyState(), true);
    }
}

void CInputRouter::OnCaptureChanged(HWND newOwner) noexcept
{
    if (newOwner != m_manager.WindowHandle()) m_bCaptured = false;
}

void CInputRouter::Forget(const CControlUI* control) noexcept
{
    if (!control) return;
    if (m_pHover == control) m_pHover = nullptr;
    if (m_pClick == control) {
        m_pClick = nullptr;
        ReleaseMouseCapture();
    }
    if (m_pKey == control) m_pKey = nullptr;
}

void CInputRouter::Reset() noexcept
{
    m_pHover = nullptr;
    m_pClick = nullptr;
    m_pKey = nullptr;
}

void CInputRouter::Detach() noexcept
{
    ReleaseMouseCapture();
    Reset();
    m_bTracking = false;
    m_bCaptured = false;
}

}  // namespace SkinUI
