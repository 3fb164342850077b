// 32-bit DIB sections: the bitmaps the renderer makes, and the pixels
// behind a device context for blending in software.
#pragma once

#include <windows.h>

#include "toolkit/render/SkinPixels.h"
#include "base/Win32Handles.h"

namespace SkinUI {

// A 32-bit top-down DIB section; bits receives its pixels (none on failure).
win32::UniqueBitmap CreateTopDownDib(HDC hdc, int width, int height, void*& bits);

// The pixels of the 32-bit DIB section selected into a DC, row 0 being the
// top row whichever way the DIB is stored. False when the DC has none.
bool SelectedDibPixels(HDC hdc, PixelBuffer& buffer);

// What drawing straight into a DC's 32-bit DIB section needs: its pixels,
// the offset of logical to device coordinates and the DC's clip as device
// rectangles. Written pixels are what GDI would have drawn, alpha included
// (GDI itself leaves alpha 0), and a small part costs no GDI call per part.
class CDibTarget {
public:
    // False when the DC has no 32-bit DIB section, maps coordinates other
    // than by an offset, or has a clip of more rectangles than are kept.
    bool Attach(HDC hdc);
    const PixelBuffer& Pixels() const { return m_pixels; }
    SkinRect ToDevice(const RECT& logical) const;
    int ClipCount() const { return m_clipCount; }
    const SkinRect& ClipAt(int index) const { return m_clip[index]; }

private:
    static constexpr int kMaxClipRects = 16;
    PixelBuffer m_pixels;
    POINT m_offset{};
    SkinRect m_clip[kMaxClipRects];
    int m_clipCount = 0;
};

}  // namespace SkinUI
