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

}  // namespace SkinUI
