// Hooks into a window's messages: filters of window messages and of queued
// messages, and accelerators of queued keys. Hosted objects register them
// through their window (IControlHostUI); the window keeps each with the
// control that registered it.
#pragma once

#include <windows.h>

namespace SkinUI {

// A window's message filter: pre-translation ("pre filters") or window
// message handling ("handler filters"). Setting bHandled consumes the message
// with the returned result.
class IMessageFilterUI {
public:
    virtual LRESULT FilterMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

class ITranslateAccelerator {
public:
    // 0 when it consumed the queued message.
    virtual LRESULT PreTranslate(MSG* pMsg) = 0;

protected:
    ~ITranslateAccelerator() = default;
};

}  // namespace SkinUI
