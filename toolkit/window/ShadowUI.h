// The drop shadow of a skinned window: four click-through layered popups
// owned by the window, one per side, together covering the shadow's
// rectangle less the window's own, kept in step with its moves, sizes and
// visibility by a hook on the owner's window procedure. Side windows hold
// only the pixels that show: no window-sized layer lies over the owner.
// They are made when the owner is first shown (a window that never shows
// never has them), once its first frame is out; their pixels are drawn again
// only when the size, the attributes or the owner's display scale change,
// a move only moves them. The attributes are the skin's, in logical pixels.
#pragma once

#include <windows.h>

#include <array>
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

    enum Side { kTop, kBottom, kLeft, kRight, kSideCount };
    using SideRects = std::array<RECT, kSideCount>;
    // The side windows (none before the first show); a side with nothing to
    // show has its window hidden.
    const std::array<HWND, kSideCount>& SideWindows() const { return m_sides; }
    bool HasWindows() const { return m_sides[kTop] != nullptr; }
    bool IsShown() const { return (m_status & kShown) != 0; }
    // Where the shadow goes for an owner window rectangle.
    RECT ShadowRectFor(const RECT& owner) const;
    // The shadow's rectangle less the owner's, as four bands: top and bottom
    // across the shadow's width, left and right between them. Empty where
    // the owner reaches the shadow's edge or beyond.
    static SideRects SidesOf(const RECT& shadow, const RECT& owner);

private:
    enum : BYTE { kCreated = 1, kShown = 2, kOwnerVisible = 4 };

    static LRESULT CALLBACK OwnerHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void OnOwnerMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Makes the side windows when there are none yet.
    bool EnsureWindows();
    void DestroyWindows();
    // Each side window in its band of the shadow's rectangle.
    void MoveSides(const SideRects& sides);
    void Show();
    // Makes the window when needed, draws it and then shows it.
    void ShowDrawn();
    void OnFirstShowDue();
    void Hide();
    // The attributes changed: the pixels are drawn again at the next redraw.
    void MarkPixelsStale() { m_bPixelsStale = true; }
    void Unhook();
    void RedrawIfShown();
    bool PaintImage(HDC dc, const RECT& side, int width, int height);
    // Draws the band `side` (in the shadow's coordinates) of a shadow of
    // this size into `bits`, the band's own top-down pixels.
    void PaintComputed(void* bits, const RECT& band, const RECT& owner);
    bool DrawSide(HWND window, const RECT& side, const RECT& owner, const RECT& shadow);

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
    SIZE m_drawnSize = {0, 0};        // the shadow size the sides' pixels were drawn for
    SideRects m_placedSides{};        // where the side windows are, on the screen

    std::array<HWND, kSideCount> m_sides{};  // destroyed with the owner or this object
    HWND m_hOwner = nullptr;
    WNDPROC m_pPreviousProc = nullptr;
    IRenderResourcesUI* m_pResources = nullptr;
};

}  // namespace SkinUI
