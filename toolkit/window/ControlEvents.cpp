#include "toolkit/window/ControlEvents.h"

namespace SkinUI {

WORD CurrentKeyState() noexcept
{
    WORD state = 0;
    if (::GetKeyState(VK_RBUTTON) < 0) state |= 0x01;
    if (::GetKeyState(VK_LBUTTON) < 0) state |= 0x02;
    if (::GetKeyState(VK_SHIFT) < 0) state |= 0x04;
    if (::GetKeyState(VK_CONTROL) < 0) state |= 0x08;
    if (::GetKeyState(VK_MENU) < 0) state |= 0x20;
    return state;
}

TEventRecord MakeControlEvent(int type, CControlUI* sender, POINT mouse) noexcept
{
    TEventRecord event;
    event.nType = type;
    event.pSender = sender;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = mouse;
    return event;
}

}  // namespace SkinUI
