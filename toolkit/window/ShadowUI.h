// The drop shadow of a skinned window: a click-through layered popup owned
// by the window, drawn around it and kept in step with its moves, sizes and
// visibility by a hook on the owner's window procedure. The popup is made
// when the owner is first shown (a window that never shows never has one),
// after the owner's paint; its pixels are drawn again only when its size,
// its attributes or the owner's display scale change, a move only moves it.
// Its attributes are the skin's, in logical pixels.
#pragma once

#include <windows.h>

#include <string_view>

#include "toolkit/core/DisplayScale.h"
#include "toolkit/core/UiString.h"

namespace SkinUI {

class IRenderResourcesUI;

class CShadowUI {
public:
    static constexpr const wchar_t* kWindowClassName = L"VelmoShadowWnd";

    CShadowUI() = default;
    CShadowUI(const CShadowUI&) = delete;
    CShadowUI& operator=(const CShadowUI&) = delete;
    // Gives the owner its window procedure back and destroys the shadow
    // window, so a hook never outlives the object it calls.
    ~CShadowUI();

    // Registers the shadow window class once per process.
    static bool RegisterWindowClass(HINSTANCE instance);
    // The shadow of an owner window, or none.
    static CShadowUI* ForOwner(HWND owner);

    // --- attributes; the range-checked ones answer false and change nothing
    // outside their range, and redraw a shown shadow when they change it.
    void SetShow(bool show) { m_bShow = show; }
    bool IsShowEnabled() const { return m_bShow; }
    bool SetSize(int size);               // -20..20
    int Size() const { return m_nSize; }
    bool SetSharpness(int sharpness);     // 0..20
    int Sharpness() const { return m_nSharpness; }
    bool SetDarkness(int darkness);       // 0..255
    int Darkness() const { return m_nDarkness; }
    bool SetPosition(int x, int y);       // each -20..20
    POINT Position() const { return {m_nxOffset, m_nyOffset}; }
    void SetColour(DWORD colour);
    DWORD Colour() const { return m_dwColour; }
    // Draws the shadow from this image (nine-grid, centre left out) instead
    // of computing it.
    void SetImage(std::wstring_view name);
    const CUiString& Image() const { return m_sImage; }
    bool SetCorner(const RECT& corner);  // all 0 or more
    RECT Corner() const { return m_rcCorner; }
    // The corners at the display scale: the image's corners (the image is
    // kept at that scale) and how far the shadow reaches past the owner.
    RECT ScaledCorner() const;
    // The owner's display scale; a shown shadow is drawn again at the new one.
    void SetDisplayScale(const CDisplayScale& scale);

    // Hooks the owner's window procedure; the shadow window is made when
    // the owner is shown (at once when it is shown already). Images come
    // from the resources (the owner's image cache).
    bool Create(IRenderResourcesUI* resources, HWND owner);
    // Places the shadow around the owner's current window rectangle,
    // drawing its pixels when they are not drawn for that size yet.
    void Redraw();

    HWND WindowHandle() const { return m_hWnd; }
    bool IsShown() const { return (m_status & kShown) != 0; }
    // Where the shadow window goes for an owner window rectangle.
    RECT ShadowRectFor(const RECT& owner) const;

private:
    enum : BYTE { kCreated = 1, kShown = 2, kOwnerVisible = 4 };

    static LRESULT CALLBACK OwnerHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void OnOwnerMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Makes the shadow window when there is none yet.
    bool EnsureWindow();
    void Show();
    // Makes the window when needed, draws it and then shows it.
    void ShowDrawn();
    void OnFirstShowDue();
    void Hide();
    // The attributes changed: the pixels are drawn again at the next redraw.
    void MarkPixelsStale() { m_bPixelsStale = true; }
    void Unhook();
    void RedrawIfShown();
    bool PaintImage(HDC dc, int width, int height);
    void PaintComputed(void* bits, int width, int height, const RECT& owner);

    BYTE m_status = 0;
    bool m_bShow = false;
    int m_nDarkness = 150;
    int m_nSharpness = 5;
    int m_nSize = 0;
    signed char m_nxOffset = 0;
    signed char m_nyOffset = 0;
    DWORD m_dwColour = 0;
    CUiString m_sImage;
    RECT m_rcCorner = {0, 0, 0, 0};
    CDisplayScale m_scale;
    WORD m_wOwnerWidth = 0;
    WORD m_wOwnerHeight = 0;
    bool m_bRedrawPending = false;
    bool m_bFirstShowPosted = false;  // the first show waits in the owner's queue
    bool m_bPixelsStale = true;       // the window's pixels are not those of the attributes
    SIZE m_drawnSize = {0, 0};        // the size the window's pixels were drawn for

    HWND m_hWnd = nullptr;    // the shadow window; destroyed with the owner or this object
    HWND m_hOwner = nullptr;
    WNDPROC m_pPreviousProc = nullptr;
    IRenderResourcesUI* m_pResources = nullptr;
};

}  // namespace SkinUI
