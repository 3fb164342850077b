#include "toolkit/render/DibSection.h"

#include <algorithm>
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

namespace {

// The row order of the last DIB sections probed, by handle, bits and size:
// painting asks about the same few bitmaps (the off-screen surface, the
// images blended into it) again and again.
struct RowOrderMemo {
    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    int width = 0;
    int height = 0;
    bool bottomUp = false;
};

constexpr int kRowOrderMemos = 8;
thread_local RowOrderMemo t_rowOrder[kRowOrderMemos];
thread_local int t_nextRowOrder = 0;

}  // namespace

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
    for (const RowOrderMemo& memo : t_rowOrder) {
        if (memo.bitmap != bitmap || memo.bits != dib.dsBm.bmBits || memo.width != buffer.width ||
            memo.height != buffer.height)
            continue;
        if (memo.bottomUp) {
            buffer.pixels += static_cast<std::size_t>(buffer.height - 1) * buffer.stride;
            buffer.stride = -buffer.stride;
        }
        return true;
    }

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
    const bool bottomUp = seen != expected;
    if (bottomUp) {
        // Walk the rows backwards.
        buffer.pixels += static_cast<std::size_t>(buffer.height - 1) * buffer.stride;
        buffer.stride = -buffer.stride;
    }
    t_rowOrder[t_nextRowOrder] = {bitmap, dib.dsBm.bmBits, buffer.width, buffer.height, bottomUp};
    t_nextRowOrder = (t_nextRowOrder + 1) % kRowOrderMemos;
    return true;
}

bool CDibTarget::Attach(HDC hdc)
{
    m_clipCount = 0;
    if (!hdc || ::GetMapMode(hdc) != MM_TEXT || ::GetGraphicsMode(hdc) != GM_COMPATIBLE) return false;
    if (!SelectedDibPixels(hdc, m_pixels)) return false;
    m_offset = {0, 0};
    if (!::LPtoDP(hdc, &m_offset, 1)) return false;

    win32::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    if (!region) return false;
    const int clipped = ::GetClipRgn(hdc, region.get());  // device coordinates
    if (clipped < 0) return false;
    if (clipped == 0) {
        m_clip[0] = {0, 0, m_pixels.width, m_pixels.height};
        m_clipCount = 1;
    } else {
        struct {
            RGNDATAHEADER header;
            RECT rects[kMaxClipRects];
        } data;
        const DWORD size = ::GetRegionData(region.get(), 0, nullptr);
        if (size == 0 || size > sizeof(data)) return false;
        if (::GetRegionData(region.get(), sizeof(data), reinterpret_cast<RGNDATA*>(&data)) == 0) return false;
        const DWORD count = std::min<DWORD>(data.header.nCount, kMaxClipRects);
        for (DWORD i = 0; i < count; ++i)
            m_clip[m_clipCount++] = {data.rects[i].left, data.rects[i].top, data.rects[i].right, data.rects[i].bottom};
    }
    ::GdiFlush();  // GDI drawing still queued lands before ours
    return true;
}

SkinRect CDibTarget::ToDevice(const RECT& logical) const
{
    return {logical.left + m_offset.x, logical.top + m_offset.y, logical.right + m_offset.x,
            logical.bottom + m_offset.y};
}

}  // namespace SkinUI
