#include "toolkit/window/WindowWnd.h"

#include "base/NoThrowBoundary.h"
#include "base/ProcedurePointers.h"
#include "toolkit/window/DispatchFrame.h"
#include "toolkit/window/WindowManagerUI.h"

namespace SkinUI {
namespace {

constexpr wchar_t kWindowProperty[] = L"WndX";

HINSTANCE ModuleInstance()
{
    return CWindowManagerUI::Instance();
}

bool RegisteredOrExists(ATOM atom)
{
    return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// What a message answers when its handler threw: creation fails, anything
// else gets the neutral 0.
LRESULT FailureAnswer(UINT message)
{
    if (message == WM_NCCREATE) return FALSE;
    if (message == WM_CREATE) return -1;
    return 0;
}

}  // namespace

POINT CenteredPosition(const RECT& centre, const RECT& work, SIZE size)
{
    // Integer division truncating toward zero, as C++ does.
    LONG x = (centre.left + centre.right) / 2 - size.cx / 2;
    LONG y = (centre.top + centre.bottom) / 2 - size.cy / 2;
    if (x < work.left)
        x = work.left;
    else if (x + size.cx > work.right)
        x = work.right - size.cx;
    if (y < work.top)
        y = work.top;
    else if (y + size.cy > work.bottom)
        y = work.bottom - size.cy;
    return {x, y};
}

CWindowWnd::~CWindowWnd()
{
    DestroyBeforeDeletion();
    CDispatchFrame::ForgetRelease(this);
}

void CWindowWnd::DestroyBeforeDeletion() noexcept
{
    if (!m_hWnd || !::IsWindow(m_hWnd)) return;
    m_bDeleting = true;
    ::DestroyWindow(m_hWnd);
}

HWND CWindowWnd::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int width,
                        int height)
{
    // An object that gets a window again is not released for the old one.
    CDispatchFrame::ForgetRelease(this);
    m_bDeleting = false;
    if (SuperclassName() ? !RegisterSuperclass() : !RegisterOwnClass()) return nullptr;
    TCreation creation = {style, exStyle, x, y, width, height};
    PrepareCreation(creation);
    return ::CreateWindowExW(creation.exStyle, WindowClassName(), title, creation.style, creation.x, creation.y,
                             creation.width, creation.height, parent, nullptr, ModuleInstance(), this);
}

bool CWindowWnd::RegisterOwnClass()
{
    WNDCLASSW wc{};
    wc.style = WindowClassStyle();
    wc.lpfnWndProc = StandardWindowProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = WindowClassName();
    return RegisteredOrExists(::RegisterClassW(&wc));
}

bool CWindowWnd::RegisterSuperclass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(nullptr, SuperclassName(), &wc) &&
        !::GetClassInfoExW(ModuleInstance(), SuperclassName(), &wc))
        return false;
    m_pfnPreviousProc = wc.lpfnWndProc;
    wc.lpfnWndProc = SuperclassWindowProc;
    wc.hInstance = ModuleInstance();
    wc.lpszClassName = WindowClassName();
    return RegisteredOrExists(::RegisterClassExW(&wc));
}

LRESULT CALLBACK CWindowWnd::StandardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    CWindowWnd* window = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        window = create ? static_cast<CWindowWnd*>(create->lpCreateParams) : nullptr;
        if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);  // not made by Create
        window->m_hWnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    } else {
        window = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return Route(window, hwnd, message, wParam, lParam, false);
}

LRESULT CALLBACK CWindowWnd::SuperclassWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    CWindowWnd* window = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        window = create ? static_cast<CWindowWnd*>(create->lpCreateParams) : nullptr;
        if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);  // not made by Create
        window->m_hWnd = hwnd;
        ::SetPropW(hwnd, kWindowProperty, window);
    } else {
        window = static_cast<CWindowWnd*>(::GetPropW(hwnd, kWindowProperty));
    }
    if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return Route(window, hwnd, message, wParam, lParam, true);
}

LRESULT CWindowWnd::Route(CWindowWnd* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                          bool superclass) noexcept
{
    // Declared first, so it ends last: releases it runs may delete `window`.
    CDispatchFrame frame;
    if (message != WM_NCDESTROY) {
        return win32::CallWithoutThrowing(FailureAnswer(message),
                                          [&] { return window->ProcessMessage(message, wParam, lParam); });
    }
    const LRESULT result = ::CallWindowProcW(window->m_pfnPreviousProc, hwnd, message, wParam, lParam);
    OnNcDestroy(window, hwnd, superclass);
    return result;
}

void CWindowWnd::OnNcDestroy(CWindowWnd* window, HWND hwnd, bool superclass) noexcept
{
    if (superclass)
        ::RemovePropW(hwnd, kWindowProperty);
    else
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (window->m_bSubclassed) {
        win32::ReplaceWindowProcedure(hwnd, window->m_pfnPreviousProc);
        window->m_pfnPreviousProc = ::DefWindowProcW;
        window->m_bSubclassed = false;
    }
    window->m_hWnd = nullptr;
    win32::CallWithoutThrowing([&] { window->OnWindowDestroyed(hwnd); });
    // Its owner deleting it: nothing is to follow.
    if (!window->m_bDeleting) CDispatchFrame::ReleaseWhenUnwound(window);
}

LRESULT CWindowWnd::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallPreviousProc(message, wParam, lParam);
}

void CWindowWnd::OnWindowDestroyed(HWND) {}

LRESULT CWindowWnd::CallPreviousProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProcW(m_pfnPreviousProc, m_hWnd, message, wParam, lParam);
}

void CWindowWnd::CenterOnOwner()
{
    if (!::IsWindow(m_hWnd)) return;
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT centre = monitor.rcWork;
    if (owner) ::GetWindowRect(owner, &centre);
    const POINT at = CenteredPosition(centre, monitor.rcWork,
                                      {window.right - window.left, window.bottom - window.top});
    ::SetWindowPos(m_hWnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::CloseWithCode(UINT code)
{
    if (::IsWindow(m_hWnd)) ::PostMessageW(m_hWnd, WM_CLOSE, code, 0);
}

}  // namespace SkinUI
