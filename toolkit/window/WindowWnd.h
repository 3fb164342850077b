// One native window and its window procedure: class registration (own class
// or a superclass), the binding of the object to its handle, centring, and
// closing with a result code.
#pragma once

#include <windows.h>

namespace SkinUI {

// Where a window of the given size goes to be centred on `centre` while
// staying inside the work area (a window larger than the work area keeps
// its left and top edges on it).
POINT CenteredPosition(const RECT& centre, const RECT& work, SIZE size);

class CWindowWnd {
public:
    CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;
    virtual ~CWindowWnd() = default;

    // The native handle, or none; none when registration or creation fails.
    HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int width, int height);
    HWND Handle() const { return m_hWnd; }

    // Centres the window on its owner (or the work area without one) inside
    // the work area of the owner's monitor, keeping its size.
    void CenterOnOwner();
    // Posts WM_CLOSE with the code as wParam while the window exists.
    void CloseWithCode(UINT code);

protected:
    virtual const wchar_t* WindowClassName() const = 0;
    // A system class to superclass, or none to register a class of our own.
    virtual const wchar_t* SuperclassName() const { return nullptr; }
    virtual UINT WindowClassStyle() const { return 0; }
    virtual LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs after WM_NCDESTROY with the handle already detached.
    virtual void OnWindowDestroyed(HWND hwnd);

    LRESULT CallPreviousProc(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    WNDPROC m_pfnPreviousProc = ::DefWindowProcW;
    bool m_bSubclassed = false;

private:
    bool RegisterOwnClass();
    bool RegisterSuperclass();
    static LRESULT CALLBACK StandardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK SuperclassWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT Route(CWindowWnd* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool superclass);
};

}  // namespace SkinUI
