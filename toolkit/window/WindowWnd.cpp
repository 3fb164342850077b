#include "toolkit/window/WindowWnd.h"

#include "base/ProcedurePointers.h"
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

HWND CWindowWnd::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int width,
                        int height)
{
    if (SuperclassName() ? !RegisterSuperclass() : !RegisterOwnClass()) return nullptr;
    return ::CreateWindowExW(exStyle, WindowClassName(), title, style, x, y, width, height, parent, nullptr,
                             ModuleInstance(), this);
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
        window = static_cast<CWindowWnd*>(create->lpCreateParams);
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
        window = static_cast<CWindowWnd*>(create->lpCreateParams);
        window->m_hWnd = hwnd;
        ::SetPropW(hwnd, kWindowProperty, window);
    } else {
        window = static_cast<CWindowWnd*>(::GetPropW(hwnd, kWindowProperty));
    }
    if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return Route(window, hwnd, message, wParam, lParam, true);
}

LRESULT CWindowWnd::Route(CWindowWnd* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool superclass)
{
    if (message != WM_NCDESTROY) return window->ProcessMessage(message, wParam, lParam);

    const LRESULT result = ::CallWindowProcW(window->m_pfnPreviousProc, hwnd, message, wParam, lParam);
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
    // May delete the object (the launcher window deletes itself here).
    window->OnWindowDestroyed(hwnd);
    return result;
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
