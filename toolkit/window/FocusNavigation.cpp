#include "toolkit/window/FocusNavigation.h"

#include <algorithm>
#include <cwctype>
#include <iterator>

#include "toolkit/controls/ControlUI.h"
#include "toolkit/window/ControlEvents.h"
#include "toolkit/window/ControlRegistry.h"
#include "toolkit/window/WindowManagerUI.h"

namespace SkinUI {

CControlUI* FindNextTabStop(const std::vector<CControlUI*>& walk, const CControlUI* focused, bool forward)
{
    const auto isStop = [](const CControlUI* control) { return (control->ControlFlags() & FLAG_TABSTOP) != 0; };
    // The walk holds every visible, enabled control, so a focused control
    // that is no tab stop (a page focused by SelectPage) still has a place
    // to start from.
    const auto at = focused ? std::find(walk.begin(), walk.end(), focused) : walk.end();
    if (forward) {
        const auto after = at == walk.end() ? walk.begin() : at + 1;
        auto found = std::find_if(after, walk.end(), isStop);
        if (found == walk.end()) found = std::find_if(walk.begin(), walk.end(), isStop);
        return found != walk.end() ? *found : nullptr;
    }
    const auto before = std::make_reverse_iterator(at);  // the controls before the focused one, nearest first
    auto found = std::find_if(before, walk.rend(), isStop);
    if (found == walk.rend()) found = std::find_if(walk.rbegin(), walk.rend(), isStop);
    return found != walk.rend() ? *found : nullptr;
}

CControlUI* FindShortcutTarget(const std::vector<CControlUI*>& walk, wchar_t typed)
{
    const auto upper = [](wchar_t ch) { return static_cast<wchar_t>(std::towupper(ch)); };
    const wchar_t wanted = upper(typed);
    bool found = false;
    for (CControlUI* control : walk) {
        if (control->Shortcut() != 0 && upper(control->Shortcut()) == wanted) found = true;
        if (found && control->ClassName().find(L"LabelUI") == std::wstring_view::npos) return control;
    }
    return nullptr;
}

bool CFocusNavigator::IsOurs(const CControlUI* control) const noexcept
{
    return control && control->Manager() == static_cast<const IControlHostUI*>(&m_manager);
}

void CFocusNavigator::FocusControl(CControlUI* control)
{
    const CControlAlive wanted(control);
    const HWND hwnd = m_manager.WindowHandle();
    // The native focus change runs other windows' code.
    if (hwnd && ::GetFocus() != hwnd && control != m_pFocus) ::SetFocus(hwnd);
    if (control && !wanted) return;
    if (control == m_pFocus) return;
    if (CControlUI* previous = m_pFocus) {
        m_pFocus = nullptr;
        const CControlAlive previousAlive(previous);
        // The sender of the kill-focus is the control taking the focus, if any.
        TEventRecord event = MakeControlEvent(EV_KILLFOCUS, control, m_manager.LastMousePosition());
        previous->DispatchEvent(event);
        if (previousAlive && IsOurs(previous)) m_manager.RaiseNotify(previous, L"killfocus");
    }
    // A handler may have removed the control, or focused another one: the
    // latest request stands.
    if (!control || !wanted || m_pFocus) return;
    if (!IsOurs(control) || !control->IsVisible() || !control->IsEnabled()) return;
    m_pFocus = control;
    TEventRecord event = MakeControlEvent(EV_SETFOCUS, control, m_manager.LastMousePosition());
    control->DispatchEvent(event);
    if (wanted && m_pFocus == control) m_manager.RaiseNotify(control, L"setfocus");
}

void CFocusNavigator::FocusNextTabStop(bool forward)
{
    if (m_manager.IsUpdateNeeded()) {
        // Layout first: remember the request for the next paint.
        m_bFocusNeeded = true;
        if (const HWND hwnd = m_manager.WindowHandle()) ::InvalidateRect(hwnd, nullptr, FALSE);
        return;
    }
    m_bFocusNeeded = false;
    const std::vector<CControlUI*> walk = SubtreeOf(m_manager.Root(), FIND_VISIBLE | FIND_ENABLED | FIND_ME_FIRST);
    if (CControlUI* next = FindNextTabStop(walk, m_pFocus, forward)) FocusControl(next);
}

bool CFocusNavigator::ActivateShortcut(wchar_t typed)
{
    const std::vector<CControlUI*> walk =
        SubtreeOf(m_manager.Root(), FIND_VISIBLE | FIND_ENABLED | FIND_ME_FIRST | FIND_TOP_FIRST);
    CControlUI* target = FindShortcutTarget(walk, typed);
    if (!target) return false;
    const CControlAlive alive(target);
    FocusControl(target);
    if (alive && IsOurs(target)) target->Activate();
    return true;
}

void CFocusNavigator::Forget(const CControlUI* control) noexcept
{
    if (control && m_pFocus == control) m_pFocus = nullptr;
}

}  // namespace SkinUI
