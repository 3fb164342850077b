// Text in a window's fonts: GDI by default, GDI+ for layered windows and
// "gdiplustext", and the inline-formatted text of "showhtml" labels.
#pragma once

#include <windows.h>

#include <string_view>

#include "toolkit/render/RenderResourcesUI.h"

namespace SkinUI {

// Text in the font at the index (the default font outside the list). With
// DT_CALCRECT it measures into rect instead of drawing.
void DrawTextIn(HDC hdc, IRenderResourcesUI* resources, RECT& rect, std::wstring_view text, DWORD argb, int font,
                UINT style);
// Text with inline formatting ("showhtml").
void DrawFormattedText(HDC hdc, IRenderResourcesUI* resources, RECT& rect, std::wstring_view text, DWORD argb,
                       int font, UINT style);

// A DC that only the toolkit paints into (a window's off-screen surface)
// lets text leave its font, colour and background mode selected from one
// text to the next, paint after paint: each is changed only when a text
// needs another. Any other DC gets them back after each text. A DC is
// registered while it lives; UI thread only.
void RetainTextStateIn(HDC hdc) noexcept;
// Puts the DC's own font back and forgets it; before the DC goes (or a font
// it may hold is deleted).
void ReleaseTextStateIn(HDC hdc) noexcept;

}  // namespace SkinUI
