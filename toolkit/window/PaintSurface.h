// The off-screen surface a window paints its tree into: a 32-bit top-down
// DIB of the client size, kept between paints and made again only when the
// size changes. A plain window gets the painted part copied; once the
// surface holds the whole client area, only what was invalidated since the
// last paint is painted again, and a paint the system asks for (the window
// uncovered) is a copy of what the surface holds. A background-transparent
// ("bktrans") window gets its pixels through UpdateLayeredWindow with
// per-pixel alpha. The surface also remembers what was invalidated since
// the last paint.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "base/Win32Handles.h"

namespace SkinUI {

// Paints the tree into a DC for a rectangle.
using PaintTreeProc = std::function<void(HDC hdc, const RECT& paint)>;

class CPaintSurface {
public:
    CPaintSurface() = default;
    CPaintSurface(const CPaintSurface&) = delete;
    CPaintSurface& operator=(const CPaintSurface&) = delete;
    ~CPaintSurface() { Drop(); }

    // Brings the area up to date off-screen and copies it to the window:
    // paints the tree where `stale` (what was invalidated since the last
    // paint) meets the area, or the whole area while the surface does not
    // hold the whole client area yet. Straight into the window when the
    // surface cannot be made.
    void PaintOffscreen(HDC windowDc, const RECT& client, const RECT& paint, const RECT& stale,
                        const PaintTreeProc& paintTree);
    // Paints the area and `stale` (the whole client area after a restore) on
    // cleared pixels, makes what GDI drew opaque and updates the layered
    // window.
    void PaintLayered(HWND hwnd, HDC windowDc, const RECT& client, const RECT& paint, const RECT& stale,
                      const PaintTreeProc& paintTree);
    // Forgets the surface; the next paint makes it again.
    void Drop() noexcept;
    // What the surface holds no longer counts (a new tree): the next paint
    // paints all it copies.
    void MarkStale() noexcept { m_bComplete = false; }
    SIZE Size() const noexcept { return m_size; }
    // Whether the surface holds the whole client area.
    bool IsComplete() const noexcept { return m_bComplete; }
    // The surface's DC while there is one: the tree is painted into it.
    HDC Dc() const noexcept { return m_dc.get(); }

    // --- what was invalidated since the last paint
    void RecordInvalid(const RECT& rect) noexcept;
    const RECT& InvalidSinceLastPaint() const noexcept { return m_rcInvalid; }
    void ClearInvalid() noexcept { m_rcInvalid = {0, 0, 0, 0}; }
    // What was invalidated since the last paint, forgotten: a paint takes it
    // first, so that what is invalidated while it paints waits for the next.
    RECT TakeInvalid() noexcept
    {
        const RECT taken = m_rcInvalid;
        ClearInvalid();
        return taken;
    }
    // After a restore a layered window repaints whole.
    void MarkRestored() noexcept { m_bRestored = true; }

private:
    // The surface's DC at the size, or none.
    HDC Prepare(HDC windowDc, SIZE size) noexcept;

    win32::UniqueMemoryDc m_dc;
    win32::UniqueBitmap m_bitmap;
    HGDIOBJ m_previousBitmap = nullptr;
    SIZE m_size = {0, 0};
    std::uint32_t* m_pixels = nullptr;
    RECT m_rcInvalid = {0, 0, 0, 0};
    bool m_bRestored = true;
    bool m_bComplete = false;  // the whole client area has been painted since the surface was made
};

// --- the pixel work of layered painting, on a top-down BGRA buffer of
// `size`; the area is clipped to the buffer.
// Sets the area's pixels to 0 (transparent black).
void ClearPixels(std::uint32_t* pixels, SIZE size, const RECT& area) noexcept;
// GDI drawing leaves alpha 0: every pixel of the area with alpha 0 that is
// not black becomes opaque.
void OpaqueDrawnPixels(std::uint32_t* pixels, SIZE size, const RECT& area) noexcept;

}  // namespace SkinUI
