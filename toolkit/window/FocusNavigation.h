// Keyboard focus among a window's controls: the focused control, focus
// changes with their events and notifications, Tab and Shift+Tab through
// the tab stops, and Alt+letter shortcuts. A control found before a call
// that runs foreign code (an event, a notification, the native focus
// change) is checked again after it.
#pragma once

#include <windows.h>

#include <vector>

namespace SkinUI {

class CControlUI;
class CWindowManagerUI;

// The tab stop after (forward) or before the focused control in a walk of
// the tree, wrapping at either end; the first (or last) one when nothing is
// focused or the focused control is not in the walk. None without tab stops.
CControlUI* FindNextTabStop(const std::vector<CControlUI*>& walk, const CControlUI* focused, bool forward);

// The control an Alt+letter activates in a walk (containers before their
// children, later children first): the first whose shortcut matches in any
// case, or for a matching label the next control in the walk that is no label.
CControlUI* FindShortcutTarget(const std::vector<CControlUI*>& walk, wchar_t typed);

class CFocusNavigator {
public:
    explicit CFocusNavigator(CWindowManagerUI& manager) noexcept : m_manager(manager) {}
    CFocusNavigator(const CFocusNavigator&) = delete;
    CFocusNavigator& operator=(const CFocusNavigator&) = delete;

    CControlUI* Focused() const noexcept { return m_pFocus; }
    // The first tab stop takes the focus at the next paint.
    bool IsFocusNeeded() const noexcept { return m_bFocusNeeded; }
    void RequestFirstTabStop() noexcept { m_bFocusNeeded = true; }

    // Gives the window the native focus, takes it from the focused control
    // ("killfocus") and gives it to the control ("setfocus") when it belongs
    // to the window, is visible and enabled; none clears the focus.
    void FocusControl(CControlUI* control);
    // While a layout is pending only remembers the request for the next paint.
    void FocusNextTabStop(bool forward);
    // Focuses and activates the control of an Alt+letter; false when none matches.
    bool ActivateShortcut(wchar_t typed);

    // The control is leaving: it is no longer focused (no events).
    void Forget(const CControlUI* control) noexcept;

private:
    bool IsOurs(const CControlUI* control) const noexcept;

    CWindowManagerUI& m_manager;
    CControlUI* m_pFocus = nullptr;
    bool m_bFocusNeeded = false;
};

}  // namespace SkinUI
