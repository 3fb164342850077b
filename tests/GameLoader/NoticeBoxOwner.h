// The launcher's notice box over a plain owner window that records the
// WM_CLOSE the box posts it, acted on from a thread timer of the box's
// modal loop once it shows. One owner at a time per thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "GameLoader/GameLoaderWnd/CustomMsgBox.h"

namespace testsupport {

class NoticeBoxOwner {
public:
    NoticeBoxOwner()
    {
        static const ATOM registered = [] {
            WNDCLASSW ownerClass{};
            ownerClass.lpfnWndProc = OwnerProc;
            ownerClass.hInstance = ::GetModuleHandleW(nullptr);
            ownerClass.lpszClassName = L"NoticeOwner";
            return ::RegisterClassW(&ownerClass);
        }();
        (void)registered;
        m_hwnd = ::CreateWindowExW(0, L"NoticeOwner", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 960, 620,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        s_current = this;
    }
    ~NoticeBoxOwner()
    {
        if (m_hwnd) ::DestroyWindow(m_hwnd);
        if (s_current == this) s_current = nullptr;
    }
    NoticeBoxOwner(const NoticeBoxOwner&) = delete;
    NoticeBoxOwner& operator=(const NoticeBoxOwner&) = delete;

    HWND hwnd() const { return m_hwnd; }

    // Shows the box with the message; `act` runs on the box once it shows,
    // checked for every `delayMs`. What was posted meanwhile (the owner's
    // WM_CLOSE comes after the box's) is handled once the box has returned,
    // and a quit among it is recorded.
    int Show(const std::wstring& message, std::function<void(HWND box)> act, UINT delayMs)
    {
        m_returned = false;
        s_act = std::move(act);
        const UINT_PTR timer = ::SetTimer(nullptr, 0, delayMs, ActOnBox);
        const int code = ShowNoticeBox(m_hwnd, message);
        ::KillTimer(nullptr, timer);
        m_returned = true;
        quitCode = -1;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) quitCode = static_cast<int>(msg.wParam);
            ::DispatchMessageW(&msg);
        }
        return code;
    }

    int closesBeforeReturn = 0;
    int closesAfterReturn = 0;
    int quitCode = -1;  // a quit found after the box returned

private:
    static LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        if (message == WM_CLOSE && s_current && hwnd == s_current->m_hwnd) {
            ++(s_current->m_returned ? s_current->closesAfterReturn : s_current->closesBeforeReturn);
            return 0;  // the owner stays for the next case
        }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    static void CALLBACK ActOnBox(HWND, UINT, UINT_PTR id, DWORD) noexcept
    {
        const HWND box = ::FindWindowW(L"CustomMsgBoxClass", nullptr);
        if (!box) return;
        ::KillTimer(nullptr, id);
        if (s_act) s_act(box);
    }

    static inline NoticeBoxOwner* s_current = nullptr;
    static inline std::function<void(HWND box)> s_act;
    HWND m_hwnd = nullptr;
    bool m_returned = false;
};

}  // namespace testsupport
