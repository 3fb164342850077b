#include "toolkit/window/PaintSurface.h"

#include <algorithm>
#include <cstddef>

#include "toolkit/render/DibSection.h"
#include "toolkit/render/TextDrawing.h"

namespace SkinUI {
namespace {

// The area inside a buffer of the size, or an empty rectangle.
RECT ClipToBuffer(SIZE size, const RECT& area) noexcept
{
    RECT clipped = {std::max<LONG>(area.left, 0), std::max<LONG>(area.top, 0), std::min<LONG>(area.right, size.cx),
                    std::min<LONG>(area.bottom, size.cy)};
    if (clipped.right <= clipped.left || clipped.bottom <= clipped.top) return {0, 0, 0, 0};
    return clipped;
}

}  // namespace

void ClearPixels(std::uint32_t* pixels, SIZE size, const RECT& area) noexcept
{
    if (!pixels) return;
    const RECT r = ClipToBuffer(size, area);
    const auto stride = static_cast<std::size_t>(size.cx);
    for (LONG y = r.top; y < r.bottom; ++y) {
        std::uint32_t* row = pixels + static_cast<std::size_t>(y) * stride;
        std::fill(row + r.left, row + r.right, 0u);
    }
}

void OpaqueDrawnPixels(std::uint32_t* pixels, SIZE size, const RECT& area) noexcept
{
    if (!pixels) return;
    const RECT r = ClipToBuffer(size, area);
    const auto stride = static_cast<std::size_t>(size.cx);
    for (LONG y = r.top; y < r.bottom; ++y) {
        std::uint32_t* row = pixels + static_cast<std::size_t>(y) * stride;
        for (LONG x = r.left; x < r.right; ++x)
            if ((row[x] & 0xFF000000u) == 0 && (row[x] & 0x00FFFFFFu) != 0) row[x] |= 0xFF000000u;
    }
}

void CPaintSurface::Drop() noexcept
{
    if (m_dc) ReleaseTextStateIn(m_dc.get());
    if (m_dc && m_previousBitmap) ::SelectObject(m_dc.get(), m_previousBitmap);
    m_previousBitmap = nullptr;
    m_bitmap.reset();
    m_dc.reset();
    m_pixels = nullptr;
    m_size = {0, 0};
    m_bComplete = false;
}

HDC CPaintSurface::Prepare(HDC windowDc, SIZE size) noexcept
{
    if (m_dc && m_size.cx == size.cx && m_size.cy == size.cy) return m_dc.get();
    Drop();
    if (size.cx <= 0 || size.cy <= 0) return nullptr;
    // A 32-bit top-down DIB: the renderer blends on its pixels, and layered
    // painting hands them to UpdateLayeredWindow.
    void* bits = nullptr;
    win32::UniqueMemoryDc dc(::CreateCompatibleDC(windowDc));
    win32::UniqueBitmap bitmap = CreateTopDownDib(windowDc, size.cx, size.cy, bits);
    if (!dc || !bitmap || !bits) return nullptr;
    m_previousBitmap = ::SelectObject(dc.get(), bitmap.get());
    // Only the tree paints here: text may leave its font selected.
    RetainTextStateIn(dc.get());
    m_dc = std::move(dc);
    m_bitmap = std::move(bitmap);
    m_pixels = static_cast<std::uint32_t*>(bits);
    m_size = size;
    return m_dc.get();
}

void CPaintSurface::PaintOffscreen(HDC windowDc, const RECT& client, const RECT& paint, const RECT& stale,
                                   const PaintTreeProc& paintTree)
{
    HDC dc = Prepare(windowDc, {client.right - client.left, client.bottom - client.top});
    if (!dc) {
        paintTree(windowDc, paint);
        return;
    }
    // A complete surface is up to date but for what was invalidated: the
    // rest of the area is copied as it is.
    RECT update = paint;
    if (m_bComplete && !::IntersectRect(&update, &paint, &stale)) update = {0, 0, 0, 0};
    if (!::IsRectEmpty(&update)) paintTree(dc, update);
    RECT covered;
    if (!m_bComplete && ::IntersectRect(&covered, &update, &client) && ::EqualRect(&covered, &client))
        m_bComplete = true;
    ::BitBlt(windowDc, paint.left, paint.top, paint.right - paint.left, paint.bottom - paint.top, dc, paint.left,
             paint.top, SRCCOPY);
}

void CPaintSurface::PaintLayered(HWND hwnd, HDC windowDc, const RECT& client, const RECT& paint, const RECT& stale,
                                 const PaintTreeProc& paintTree)
{
    const LONG_PTR exStyle = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED)) ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    const SIZE size = {client.right - client.left, client.bottom - client.top};
    HDC dc = Prepare(windowDc, size);
    if (!dc) return;

    RECT area = paint;
    ::UnionRect(&area, &area, &stale);
    if (m_bRestored) area = client;
    m_bRestored = false;
    ::IntersectRect(&area, &area, &client);
    if (::IsRectEmpty(&area)) return;

    ClearPixels(m_pixels, size, area);
    paintTree(dc, area);
    ::GdiFlush();
    OpaqueDrawnPixels(m_pixels, size, area);

    RECT window{};
    ::GetWindowRect(hwnd, &window);
    POINT destination = {window.left, window.top};
    SIZE layered = size;
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(hwnd, nullptr, &destination, &layered, dc, &source, 0, &blend, ULW_ALPHA);
}

void CPaintSurface::RecordInvalid(const RECT& rect) noexcept
{
    ::UnionRect(&m_rcInvalid, &m_rcInvalid, &rect);
}

}  // namespace SkinUI
