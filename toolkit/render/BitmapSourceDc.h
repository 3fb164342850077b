// A memory DC that keeps one bitmap selected for as long as it lives.
// Selecting a bitmap into a DC costs several microseconds under Wine, more
// than drawing a small image, and every draw of an image part needs its
// bitmap selected somewhere: an image drawn paint after paint keeps a DC of
// its own. Drawing by bitmap handle finds that DC (FindBitmapSourceDc), so
// the bitmap never has to be selected into a second DC while it is kept.
#pragma once

#include <windows.h>

#include "base/Win32Handles.h"

namespace SkinUI {

class CBitmapSourceDc {
public:
    CBitmapSourceDc() = default;
    CBitmapSourceDc(const CBitmapSourceDc&) = delete;
    CBitmapSourceDc& operator=(const CBitmapSourceDc&) = delete;
    // Deleting the DC deselects the bitmap; the bitmap's owner deletes it
    // after this (declare this after the bitmap).
    ~CBitmapSourceDc();

    // The DC with the bitmap selected, made on the first call; none when it
    // cannot be made (the caller then selects the bitmap for one draw).
    HDC For(HBITMAP bitmap) noexcept;

private:
    win32::UniqueMemoryDc m_dc;
    HBITMAP m_bitmap = nullptr;
    bool m_failed = false;
};

// The DC a bitmap is kept selected in on this thread, or none.
HDC FindBitmapSourceDc(HBITMAP bitmap) noexcept;

}  // namespace SkinUI
