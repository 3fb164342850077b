#include "toolkit/render/DibSection.h"

#include <cstdint>

namespace SkinUI {

win32::UniqueBitmap CreateTopDownDib(HDC hdc, int width, int height, void*& bits)
{
    bits = nullptr;
    if (width <= 0 || height <= 0) return win32::UniqueBitmap();
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    win32::UniqueBitmap bitmap(::CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) bits = nullptr;
    return bitmap;
}

// The header's sign is not trusted for the row order (not every GDI keeps
// it): a probe pixel is written and read back through the DC instead.
bool SelectedDibPixels(HDC hdc, PixelBuffer& buffer)
{
    DIBSECTION dib{};
    auto* bitmap = static_cast<HBITMAP>(::GetCurrentObject(hdc, OBJ_BITMAP));
    if (!bitmap || ::GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib)) return false;
    if (!dib.dsBm.bmBits || dib.dsBm.bmBitsPixel != 32 || dib.dsBm.bmWidth <= 0 || dib.dsBm.bmHeight <= 0)
        return false;
    buffer.pixels = static_cast<std::uint32_t*>(dib.dsBm.bmBits);
    buffer.width = dib.dsBm.bmWidth;
    buffer.height = dib.dsBm.bmHeight;
    buffer.stride = dib.dsBm.bmWidthBytes / 4;
    if (buffer.height == 1) return true;

    ::GdiFlush();
    std::uint32_t* first = buffer.pixels;
    const std::uint32_t saved = *first;
    const std::uint32_t lastRow = buffer.pixels[static_cast<std::size_t>(buffer.height - 1) * buffer.stride];
    const std::uint32_t probe = (~lastRow & 0x00FFFFFFu) | (saved & 0xFF000000u);
    *first = probe;
    const int state = ::SaveDC(hdc);
    ::SelectClipRgn(hdc, nullptr);
    ::SetMapMode(hdc, MM_TEXT);
    ::SetViewportOrgEx(hdc, 0, 0, nullptr);
    ::SetWindowOrgEx(hdc, 0, 0, nullptr);
    const COLORREF seen = ::GetPixel(hdc, 0, 0);
    ::RestoreDC(hdc, state);
    *first = saved;
    const COLORREF expected = RGB((probe >> 16) & 0xFF, (probe >> 8) & 0xFF, probe & 0xFF);
    if (seen == CLR_INVALID) return false;
    if (seen != expected) {
        // Bottom-up: walk the rows backwards.
        buffer.pixels += static_cast<std::size_t>(buffer.height - 1) * buffer.stride;
        buffer.stride = -buffer.stride;
    }
    return true;
}

}  // namespace SkinUI
