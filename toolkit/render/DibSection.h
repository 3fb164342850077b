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

}  // namespace SkinUI
