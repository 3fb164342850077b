// Colour fills, gradients, lines and frames. No GDI+: fills are the most
// frequent drawing, and a GDI+ graphics object per fill costs more than the
// fill. Fills of a 32-bit DIB section are written straight into its pixels.
#pragma once

#include <windows.h>

namespace SkinUI {

// The red, green and blue of an ARGB colour in GDI's order (alpha dropped).
COLORREF ArgbToColorRef(DWORD argb);

// Solid ARGB fill; alpha 0 draws nothing, translucent colours blend over
// what is there.
void FillColour(HDC hdc, const RECT& rect, DWORD argb);
// Vertical gradient from colour1 at the top to colour2 at the bottom; the
// average alpha of the two applies to the whole (0 draws nothing).
void DrawGradient(HDC hdc, const RECT& rect, DWORD colour1, DWORD colour2, int steps);
// A line from the rectangle's left-top to its right-bottom (alpha ignored).
void DrawLine(HDC hdc, const RECT& rect, int width, DWORD argb, int penStyle);
void DrawRectOutline(HDC hdc, const RECT& rect, int width, DWORD argb);
void DrawRoundRectOutline(HDC hdc, const RECT& rect, int width, int ellipseWidth, int ellipseHeight, DWORD argb);

}  // namespace SkinUI
