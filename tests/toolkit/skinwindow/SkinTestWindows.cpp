#include "tests/toolkit/skinwindow/SkinTestWindows.h"

#include "toolkit/controls/ControlUI.h"

namespace skintest {

void StartToolkit()
{
    static const bool started = SkinUI::CWindowManagerUI::StartUp(::GetModuleHandleW(nullptr));
    (void)started;
}

void PumpPending()
{
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void PumpFor(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds) {
        PumpPending();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    PumpPending();
}

LPARAM ScreenPointParam(HWND hwnd, POINT client)
{
    ::ClientToScreen(hwnd, &client);
    return MAKELPARAM(static_cast<WORD>(client.x), static_cast<WORD>(client.y));
}

SkinUI::CControlUI* PackedSkinWindow::CreateCustomControl(std::wstring_view name)
{
    return name == L"IeBrowser" ? new SkinUI::CControlUI : nullptr;
}

HWND PackedSkinWindow::CreateShown(HWND owner, int x, int y)
{
    StartToolkit();
    const HWND hwnd = Create(owner, m_skinFile.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 0, 0, 0);
    if (!hwnd) return nullptr;
    ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::UpdateWindow(hwnd);
    PumpPending();
    return hwnd;
}

}  // namespace skintest
