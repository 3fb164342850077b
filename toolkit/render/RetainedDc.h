// The DCs only the toolkit paints into (a window's off-screen surface): text
// may leave its font, colour and mode selected in them, and is kept with
// the pixels it was drawn over, so that the same text over the same pixels
// is a copy. A DC is registered while it lives; UI thread only. The tree
// never moves a retained DC's origin.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "toolkit/render/DrawMemo.h"
#include "toolkit/render/SkinPixels.h"

namespace SkinUI {

struct RetainedDc {
    HDC dc = nullptr;
    HGDIOBJ originalFont = nullptr;  // the DC's own, while another is selected
    CDrawMemo* memo = nullptr;       // made on first use
    PixelBuffer pixels;              // its 32-bit DIB section's, once looked up
    bool pixelsLooked = false;
};

RetainedDc* RetainedStateOf(HDC hdc) noexcept;
// False when the table is full: the DC is then painted like any other.
bool AddRetainedDc(HDC hdc) noexcept;
// Forgets the DC and what it kept (its font is the caller's to restore).
void RemoveRetainedDc(HDC hdc) noexcept;
// Forgets what its drawings left.
void ForgetKeptDrawings(HDC hdc) noexcept;

// One drawing into a DC, replayed from what it left before when the DC is
// retained and the same drawing (`key`: everything its pixels depend on
// but those below) comes over the same pixels; `slot` names the drawing
// site (see CDrawMemo):
//     CKeptDrawing kept(hdc, area);
//     if (kept.Keeps() && kept.Replay(slot, KeyOfTheDrawing())) return;
//     ... draw ...
//     kept.Drawn();
// `area` holds every pixel the drawing may write; the DC's clip must hold
// its part inside the bitmap whole, or nothing is kept.
class CKeptDrawing {
public:
    CKeptDrawing(HDC hdc, const RECT& area);
    CKeptDrawing(const CKeptDrawing&) = delete;
    CKeptDrawing& operator=(const CKeptDrawing&) = delete;
    // Whether the drawing can be kept (ask before making its key).
    bool Keeps() const { return m_memo != nullptr; }
    // True when it was replayed; otherwise the pixels below are kept for Drawn.
    bool Replay(std::uint64_t slot, const std::wstring& key);
    void Drawn();

private:
    CDrawMemo* m_memo = nullptr;
    const PixelBuffer* m_pixels = nullptr;
    SkinRect m_area;
    bool m_before = false;
};

}  // namespace SkinUI
