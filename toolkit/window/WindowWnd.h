// One native window and its window procedure: class registration (own class
// or a superclass), the binding of the object to its handle, the lifetime of
// the object after its window (see DispatchFrame.h), centring, and closing
// with a result code.
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
    // Destroys a native window that is still there, so that it never calls
    // into a destroyed object; no final release follows.
    virtual ~CWindowWnd();

    // The native handle, or none; none when registration or creation fails.
    HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int width, int height);
    HWND Handle() const { return m_hWnd; }

    // Centres the window on its owner (or the work area without one) inside
    // the work area of the owner's monitor, keeping its size.
    void CenterOnOwner();
    // Posts WM_CLOSE with the code as wParam while the window exists.
    void CloseWithCode(UINT code);

protected:
    // What Create asks the system for.
    struct TCreation {
        DWORD style;
        DWORD exStyle;
        int x, y, width, height;
    };

    virtual const wchar_t* WindowClassName() const = 0;
    // A system class to superclass, or none to register a class of our own.
    virtual const wchar_t* SuperclassName() const { return nullptr; }
    virtual UINT WindowClassStyle() const { return 0; }
    virtual LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs before the native window is made: a window may change what is
    // asked for (its final style and size, so that none changes after
    // creation). The default asks for what the caller gave.
    virtual void PrepareCreation(TCreation&) {}
    // Runs at WM_NCDESTROY with the handle already detached. Frames of this
    // object (and of others) may still be on the stack: it must not delete
    // the object.
    virtual void OnWindowDestroyed(HWND hwnd);
    // The final release: runs once after the native window is gone and the
    // thread's outermost dispatch frame has returned, so no code of the
    // object is on the stack any more. A window that owns itself deletes
    // itself here; the default keeps the object for its owner.
    virtual void OnFinalRelease() {}

    LRESULT CallPreviousProc(UINT message, WPARAM wParam, LPARAM lParam);
    // For destructors: destroys the native window while the object still
    // answers its messages, without a final release.
    void DestroyBeforeDeletion() noexcept;

    HWND m_hWnd = nullptr;
    WNDPROC m_pfnPreviousProc = ::DefWindowProcW;
    bool m_bSubclassed = false;

private:
    friend class CDispatchFrame;

    bool RegisterOwnClass();
    bool RegisterSuperclass();
    static LRESULT CALLBACK StandardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK SuperclassWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    // One dispatch frame around the message; no exception leaves it.
    static LRESULT Route(CWindowWnd* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                         bool superclass) noexcept;
    static void OnNcDestroy(CWindowWnd* window, HWND hwnd, bool superclass) noexcept;

    bool m_bDeleting = false;
};

}  // namespace SkinUI
