// Input events for controls, control notifications, and the flags of control
// searches.
#pragma once

#include <windows.h>

#include "toolkit/core/UiString.h"

namespace SkinUI {

class CControlUI;

enum EventType : int {
    EV_KEYDOWN = 3,
    EV_KEYUP = 4,
    EV_CHAR = 5,
    EV_SYSKEY = 6,
    EV_MOUSEMOVE = 9,
    EV_MOUSELEAVE = 10,
    EV_MOUSEENTER = 11,
    EV_MOUSEHOVER = 12,
    EV_BUTTONDOWN = 13,
    EV_BUTTONUP = 14,
    EV_RBUTTONDOWN = 15,
    EV_DBLCLICK = 16,
    EV_CONTEXTMENU = 17,
    EV_SCROLLWHEEL = 18,
    EV_KILLFOCUS = 20,
    EV_SETFOCUS = 21,
    EV_WINDOWSIZE = 22,
    EV_SETCURSOR = 23,
    EV_TIMER = 24,
};

// Controls test mouse events as a range.
constexpr int EV_MOUSE_FIRST = EV_MOUSEMOVE;
constexpr int EV_MOUSE_LAST = EV_SCROLLWHEEL;

inline bool IsMouseEvent(int type)
{
    return type >= EV_MOUSE_FIRST && type <= EV_MOUSE_LAST;
}

// An input event for a control.
struct TEventRecord {
    int nType = 0;
    CControlUI* pSender = nullptr;  // the control the event is about
    DWORD dwTimestamp = 0;          // GetTickCount
    POINT ptMouse = {0, 0};         // client coordinates
    WORD chKey = 0;
    // Bit 0 right button, bit 1 left button, bit 2 Shift, bit 3 Control,
    // bit 5 Alt; for mouse button events the low word of the message's wParam.
    WORD wKeyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    // EV_BUTTONUP that ends a press without completing it (the window
    // closes while the button is held): the control lets go, nothing activates.
    bool bCancelled = false;
};

// One notification ("click", "tabselect", ...). wParam and lParam are
// pointer-sized: "menu" carries a control in lParam.
struct TNotifyRecord {
    CUiString sType;
    CUiString sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual void OnNotify(TNotifyRecord& record) = 0;

protected:
    ~INotifyUI() = default;
};

// Search flags (tree walks and hit tests); 0 visits every control.
constexpr UINT FIND_VISIBLE = 0x00000001;
constexpr UINT FIND_ENABLED = 0x00000002;
constexpr UINT FIND_HITTEST = 0x00000004;  // the search data is a POINT
constexpr UINT FIND_TOP_FIRST = 0x00000008;
constexpr UINT FIND_ME_FIRST = 0x80000000;

// Control flags.
constexpr UINT FLAG_TABSTOP = 0x00000001;
constexpr UINT FLAG_SETCURSOR = 0x00000002;

// Posted to a window whose manager queued controls for deletion.
constexpr UINT WM_REAP_OLD_TREE = WM_APP + 1;

}  // namespace SkinUI
