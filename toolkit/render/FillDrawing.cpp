#include "toolkit/render/FillDrawing.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "toolkit/render/DibSection.h"
#include "toolkit/render/Msimg32Exports.h"
#include "toolkit/render/SkinPixels.h"
#include "base/Win32Handles.h"

namespace SkinUI {
namespace {

std::uint32_t Premultiplied(DWORD argb)
{
    const std::uint32_t a = argb >> 24;
    return (a << 24) | ((((argb >> 16) & 0xFF) * a / 255) << 16) | ((((argb >> 8) & 0xFF) * a / 255) << 8) |
           ((argb & 0xFF) * a / 255);
}

// A translucent colour: one premultiplied pixel blended over the rectangle.
void BlendColourByGdi(HDC hdc, const RECT& rect, DWORD argb)
{
    void* bits = nullptr;
    win32::UniqueBitmap pixel = CreateTopDownDib(hdc, 1, 1, bits);
    win32::UniqueMemoryDc memory(::CreateCompatibleDC(hdc));
    if (!pixel || !memory) return;
    *static_cast<std::uint32_t*>(bits) = Premultiplied(argb);
    win32::SelectedObject selected(memory.get(), pixel.get());
    const BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    Msimg32().alphaBlend(hdc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, memory.get(), 0,
                         0, 1, 1, bf);
}

}  // namespace

COLORREF ArgbToColorRef(DWORD argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

void FillColour(HDC hdc, const RECT& rect, DWORD argb)
{
    if (!hdc || (argb >> 24) == 0 || rect.right <= rect.left || rect.bottom <= rect.top) return;
    if ((argb >> 24) == 255) {
        // Like all GDI drawing this leaves alpha 0 on a 32-bit DIB section;
        // layered painting makes such pixels opaque.
        win32::UniqueBrush brush(::CreateSolidBrush(ArgbToColorRef(argb)));
        if (brush) ::FillRect(hdc, &rect, brush.get());
        return;
    }
    if (Msimg32().alphaBlend) {
        BlendColourByGdi(hdc, rect, argb);
        return;
    }
    CDibTarget target;
    if (!target.Attach(hdc)) return;
    std::uint32_t pixel = Premultiplied(argb);
    const PixelBuffer colour = {&pixel, 1, 1, 1};
    const SkinRect device = target.ToDevice(rect);
    for (int i = 0; i < target.ClipCount(); ++i)
        BlendPixels(target.Pixels(), device, colour, {0, 0, 1, 1}, 255, true, target.ClipAt(i));
}

void DrawGradient(HDC hdc, const RECT& rect, DWORD colour1, DWORD colour2, int steps)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (!hdc || width <= 0 || height <= 0) return;
    const BYTE alpha = static_cast<BYTE>(((colour1 >> 24) + (colour2 >> 24)) / 2);
    if (alpha == 0) return;

    // Translucent gradients are drawn off-screen and blended in.
    HDC target = hdc;
    RECT area = rect;
    win32::UniqueMemoryDc memory;
    win32::UniqueBitmap bitmap;
    std::unique_ptr<win32::SelectedObject> selected;
    if (alpha < 255) {
        memory.reset(::CreateCompatibleDC(hdc));
        void* bits = nullptr;
        bitmap = CreateTopDownDib(hdc, width, height, bits);
        if (!memory || !bitmap) return;
        selected = std::make_unique<win32::SelectedObject>(memory.get(), bitmap.get());
        target = memory.get();
        area = {0, 0, width, height};
    }

    if (Msimg32().gradientFill) {
        TRIVERTEX v[2] = {};
        v[0].x = area.left;
        v[0].y = area.top;
        v[0].Red = static_cast<COLOR16>(((colour1 >> 16) & 0xFF) << 8);
        v[0].Green = static_cast<COLOR16>(((colour1 >> 8) & 0xFF) << 8);
        v[0].Blue = static_cast<COLOR16>((colour1 & 0xFF) << 8);
        v[1].x = area.right;
        v[1].y = area.bottom;
        v[1].Red = static_cast<COLOR16>(((colour2 >> 16) & 0xFF) << 8);
        v[1].Green = static_cast<COLOR16>(((colour2 >> 8) & 0xFF) << 8);
        v[1].Blue = static_cast<COLOR16>((colour2 & 0xFF) << 8);
        GRADIENT_RECT r = {0, 1};
        Msimg32().gradientFill(target, v, 2, &r, 1, GRADIENT_FILL_RECT_V);
    } else {
        const int bands = std::max(1, std::min(steps > 0 ? steps : height, height));
        for (int i = 0; i < bands; ++i) {
            auto mix = [&](int shift) {
                const int a = (colour1 >> shift) & 0xFF, b = (colour2 >> shift) & 0xFF;
                return a + (b - a) * i / std::max(1, bands - 1);
            };
            win32::UniqueBrush brush(::CreateSolidBrush(RGB(mix(16), mix(8), mix(0))));
            RECT band = {area.left, area.top + height * i / bands, area.right, area.top + height * (i + 1) / bands};
            ::FillRect(target, &band, brush.get());
        }
    }

    if (alpha < 255) {
        const BLENDFUNCTION bf = {AC_SRC_OVER, 0, alpha, 0};
        if (Msimg32().alphaBlend)
            Msimg32().alphaBlend(hdc, rect.left, rect.top, width, height, memory.get(), 0, 0, width, height, bf);
    }
}

void DrawLine(HDC hdc, const RECT& rect, int width, DWORD argb, int penStyle)
{
    if (!hdc) return;
    // Wide pens get flat ends: a border line must not reach past its edge.
    win32::UniquePen pen;
    if (width > 1) {
        LOGBRUSH brush = {BS_SOLID, ArgbToColorRef(argb), 0};
        pen.reset(::ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | (penStyle & PS_STYLE_MASK), static_cast<DWORD>(width),
                                 &brush, 0, nullptr));
    }
    if (!pen) pen.reset(::CreatePen(penStyle, width, ArgbToColorRef(argb)));
    if (!pen) return;
    win32::SelectedObject selected(hdc, pen.get());
    POINT old;
    ::MoveToEx(hdc, rect.left, rect.top, &old);
    ::LineTo(hdc, rect.right, rect.bottom);
    ::MoveToEx(hdc, old.x, old.y, nullptr);
}

void DrawRectOutline(HDC hdc, const RECT& rect, int width, DWORD argb)
{
    if (!hdc || width <= 0) return;
    win32::UniquePen pen(::CreatePen(PS_SOLID | PS_INSIDEFRAME, width, ArgbToColorRef(argb)));
    if (!pen) return;
    win32::SelectedObject selectedPen(hdc, pen.get());
    win32::SelectedObject selectedBrush(hdc, ::GetStockObject(HOLLOW_BRUSH));
    ::Rectangle(hdc, rect.left, rect.top, rect.right, rect.bottom);
}

void DrawRoundRectOutline(HDC hdc, const RECT& rect, int width, int ellipseWidth, int ellipseHeight, DWORD argb)
{
    if (!hdc || width <= 0) return;
    win32::UniquePen pen(::CreatePen(PS_SOLID | PS_INSIDEFRAME, width, ArgbToColorRef(argb)));
    if (!pen) return;
    win32::SelectedObject selectedPen(hdc, pen.get());
    win32::SelectedObject selectedBrush(hdc, ::GetStockObject(HOLLOW_BRUSH));
    ::RoundRect(hdc, rect.left, rect.top, rect.right, rect.bottom, ellipseWidth, ellipseHeight);
}

}  // namespace SkinUI
