#include "toolkit/render/SkinRenderer.h"

#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "toolkit/render/FormattedText.h"
#include "toolkit/render/ImageDescriptor.h"
#include "toolkit/render/ImageGrid.h"
#include "toolkit/package/SkinFileReader.h"
#include "toolkit/render/SkinPixels.h"

namespace SkinUI {
namespace {

namespace gp = Gdiplus::DllExports;

using AlphaBlendProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using GradientFillProc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// msimg32 is looked up once per process; either export may be missing.
struct Msimg32 {
    AlphaBlendProc alphaBlend = nullptr;
    GradientFillProc gradientFill = nullptr;
    Msimg32()
    {
        if (HMODULE module = ::LoadLibraryW(L"msimg32.dll")) {
            alphaBlend = reinterpret_cast<AlphaBlendProc>(
                reinterpret_cast<void*>(::GetProcAddress(module, "AlphaBlend")));
            gradientFill = reinterpret_cast<GradientFillProc>(
                reinterpret_cast<void*>(::GetProcAddress(module, "GradientFill")));
        }
    }
};

const Msimg32& Msimg()
{
    static const Msimg32 instance;
    return instance;
}

COLORREF ToColorRef(DWORD argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

constexpr std::size_t kMaxImageFileBytes = 64u * 1024u * 1024u;

bool ReadResourceBytes(HINSTANCE instance, int id, const std::wstring& type, std::vector<unsigned char>& bytes)
{
    if (!instance || id <= 0 || id > 0xFFFF) return false;
    HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(id), type.c_str());
    if (!resource) return false;
    HGLOBAL loaded = ::LoadResource(instance, resource);
    const DWORD size = ::SizeofResource(instance, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size == 0) return false;
    const auto* p = static_cast<const unsigned char*>(data);
    bytes.assign(p, p + size);
    return true;
}

// A 32-bit top-down DIB section; bits receives its pixels.
win32::UniqueBitmap CreateTopDownDib(HDC hdc, int width, int height, void*& bits)
{
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bits = nullptr;
    return win32::UniqueBitmap(::CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
}

// A 32-bit top-down DIB section of the pixels.
std::unique_ptr<TImageInfo> MakeImage(const SkinPixels& pixels)
{
    void* bits = nullptr;
    win32::UniqueBitmap bitmap = CreateTopDownDib(nullptr, pixels.width, pixels.height, bits);
    if (!bitmap || !bits) return nullptr;
    std::memcpy(bits, pixels.pixels.data(), pixels.pixels.size() * sizeof(std::uint32_t));
    auto image = std::make_unique<TImageInfo>();
    image->hBitmap = std::move(bitmap);
    image->pBits = bits;
    image->nWidth = pixels.width;
    image->nHeight = pixels.height;
    image->bAlpha = pixels.hasAlpha;
    return image;
}

// The pixels of the 32-bit DIB section selected into a DC, row 0 being the
// top row whichever way the DIB is stored. The header's sign is not trusted
// for that (not every GDI keeps it): a probe pixel is read back instead.
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

class BlitSink final : public IImageGridSink {
public:
    enum class Mode { Opaque, AlphaBlend, Software };
    BlitSink(HDC hdc, HDC source, Mode mode, BYTE fade) : m_hdc(hdc), m_source(source), m_mode(mode), m_fade(fade)
    {
    }

    void DrawPart(const ImageGridPart& part) override
    {
        const RECT d = CSkinRenderer::ToRect(part.dest);
        const RECT s = CSkinRenderer::ToRect(part.source);
        const int dw = d.right - d.left, dh = d.bottom - d.top;
        const int sw = s.right - s.left, sh = s.bottom - s.top;
        switch (m_mode) {
        case Mode::Opaque:
            if (dw == sw && dh == sh)
                ::BitBlt(m_hdc, d.left, d.top, dw, dh, m_source, s.left, s.top, SRCCOPY);
            else
                ::StretchBlt(m_hdc, d.left, d.top, dw, dh, m_source, s.left, s.top, sw, sh, SRCCOPY);
            break;
        case Mode::AlphaBlend: {
            const BLENDFUNCTION bf = {AC_SRC_OVER, 0, m_fade, AC_SRC_ALPHA};
            Msimg().alphaBlend(m_hdc, d.left, d.top, dw, dh, m_source, s.left, s.top, sw, sh, bf);
            break;
        }
        case Mode::Software:
            CSkinRenderer::SoftwareAlphaBlend(m_hdc, m_source, d, s, m_fade);
            break;
        }
    }

private:
    HDC m_hdc;
    HDC m_source;
    Mode m_mode;
    BYTE m_fade;
};

bool DrawOneImage(HDC hdc, IRenderResourcesUI* resources, const RECT& control, const RECT& paint,
                  const ImageDescriptor& image)
{
    if (image.name.empty()) return false;
    const TImageInfo* info = resources->ImageFor(image.name);
    if (!info) info = resources->LoadImageEntry(image.name, image.type, image.mask);
    if (!info) return false;

    RECT source = CSkinRenderer::ToRect(image.source);
    if (source.left == 0 && source.top == 0 && source.right == 0 && source.bottom == 0) {
        source.right = info->nWidth;
        source.bottom = info->nHeight;
    }
    // The part must lie inside the image: a blit never reads outside it.
    source.left = std::max(source.left, 0L);
    source.top = std::max(source.top, 0L);
    source.right = std::min(source.right, static_cast<LONG>(info->nWidth));
    source.bottom = std::min(source.bottom, static_cast<LONG>(info->nHeight));

    const RECT dest = CSkinRenderer::ToRect(image.dest);
    RECT meet;
    if (!::IntersectRect(&meet, &dest, &control) || !::IntersectRect(&meet, &dest, &paint)) return true;
    const RECT corners = CSkinRenderer::ToRect(image.corner);
    CSkinRenderer::DrawImagePart(hdc, info->hBitmap.get(), dest, paint, source, corners,
                                 info->bAlpha || resources->IsBackgroundTransparent(), image.fade, image.hole,
                                 image.xtiled, image.ytiled);
    return true;
}

}  // namespace

// ---------------------------------------------------------------- GDI+ and clip

CGdiplusSession::CGdiplusSession()
{
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok) m_token = 0;
}

CGdiplusSession::~CGdiplusSession()
{
    if (m_token) Gdiplus::GdiplusShutdown(m_token);
}

CRenderClip::CRenderClip(HDC hdc, const RECT& rect) : m_hdc(hdc)
{
    POINT pts[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    ::LPtoDP(hdc, pts, 2);
    Combine(::CreateRectRgn(pts[0].x, pts[0].y, pts[1].x, pts[1].y));
}

CRenderClip::CRenderClip(HDC hdc, const RECT& rect, int ellipseWidth, int ellipseHeight) : m_hdc(hdc)
{
    POINT pts[2] = {{rect.left, rect.top}, {rect.right + 1, rect.bottom + 1}};
    ::LPtoDP(hdc, pts, 2);
    Combine(::CreateRoundRectRgn(pts[0].x, pts[0].y, pts[1].x, pts[1].y, ellipseWidth, ellipseHeight));
}

void CRenderClip::Combine(HRGN region)
{
    m_hRegion.reset(region);
    win32::UniqueRegion old(::CreateRectRgn(0, 0, 0, 0));
    if (old && ::GetClipRgn(m_hdc, old.get()) == 1) {
        if (m_hRegion) ::CombineRgn(m_hRegion.get(), m_hRegion.get(), old.get(), RGN_AND);
        m_hOldRegion = std::move(old);
    }
    Reselect();
}

void CRenderClip::Reselect() const
{
    if (m_hRegion) ::SelectClipRgn(m_hdc, m_hRegion.get());
}

CRenderClip::~CRenderClip()
{
    ::SelectClipRgn(m_hdc, m_hOldRegion.get());
}

// ---------------------------------------------------------------- images

std::unique_ptr<TImageInfo> CSkinRenderer::LoadSkinImage(std::wstring_view name, std::wstring_view type, DWORD mask,
                                                         const ISkinFileReader* files, HINSTANCE resources)
{
    if (name.empty()) return nullptr;
    std::vector<unsigned char> bytes;
    if (!type.empty()) {
        const int id = ParseSkinInt(name);
        const std::wstring typeText(type);
        HINSTANCE exe = ::GetModuleHandleW(nullptr);
        if (!ReadResourceBytes(resources ? resources : exe, id, typeText, bytes) && resources && resources != exe)
            ReadResourceBytes(exe, id, typeText, bytes);
    } else if (files) {
        files->ReadSkinFile(name, bytes);
    }
    if (bytes.empty()) CSkinFolderReader::ReadFileBytes(std::wstring(name), bytes, kMaxImageFileBytes);
    if (bytes.empty()) return nullptr;

    SkinPixels pixels;
    if (!DecodeSkinPixels(bytes.data(), bytes.size(), mask, pixels)) return nullptr;
    std::unique_ptr<TImageInfo> image = MakeImage(pixels);
    if (image) {
        image->sResType = type;
        image->dwMask = mask;
    }
    return image;
}

bool CSkinRenderer::DrawImageDescriptor(HDC hdc, IRenderResourcesUI* resources, const RECT& control, const RECT& paint,
                                        std::wstring_view descriptor, std::wstring_view modifier)
{
    if (!hdc || !resources) return false;
    CImageDescriptorReader reader(descriptor, modifier, ToSkinRect(control));
    ImageDescriptor image;
    bool drawn = true;
    while (reader.Next(image))
        if (!DrawOneImage(hdc, resources, control, paint, image)) drawn = false;
    return drawn;
}

void CSkinRenderer::DrawImagePart(HDC hdc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                                  const RECT& corners, bool useAlpha, BYTE fade, bool hole, bool xtiled, bool ytiled)
{
    if (!hdc || !bitmap) return;
    win32::UniqueMemoryDc memory(::CreateCompatibleDC(hdc));
    if (!memory) return;
    win32::SelectedObject selected(memory.get(), bitmap);
    const int oldMode = ::SetStretchBltMode(hdc, HALFTONE);
    POINT oldOrigin;
    ::SetBrushOrgEx(hdc, 0, 0, &oldOrigin);

    BlitSink::Mode mode = BlitSink::Mode::Opaque;
    if (useAlpha || fade != 255) {
        if (Msimg().alphaBlend) {
            mode = BlitSink::Mode::AlphaBlend;
        } else {
            PixelBuffer target;
            if (SelectedDibPixels(hdc, target)) mode = BlitSink::Mode::Software;
        }
    }

    const bool noCorners = corners.left <= 0 && corners.top <= 0 && corners.right <= 0 && corners.bottom <= 0;
    const bool sameSize = dest.right - dest.left == source.right - source.left &&
                          dest.bottom - dest.top == source.bottom - source.top;
    if (mode == BlitSink::Mode::Opaque && noCorners && sameSize && !hole) {
        // Unscaled opaque image: one blit of the visible part.
        RECT visible;
        if (::IntersectRect(&visible, &dest, &paint))
            ::BitBlt(hdc, visible.left, visible.top, visible.right - visible.left, visible.bottom - visible.top,
                     memory.get(), source.left + (visible.left - dest.left), source.top + (visible.top - dest.top),
                     SRCCOPY);
    } else {
        ImageGridRequest request;
        request.dest = ToSkinRect(dest);
        request.paint = ToSkinRect(paint);
        request.source = ToSkinRect(source);
        request.corner = ToSkinRect(corners);
        request.hole = hole;
        request.xtiled = xtiled;
        request.ytiled = ytiled;
        BlitSink sink(hdc, memory.get(), mode, fade);
        ForEachImageGridPart(request, sink);
    }

    ::SetBrushOrgEx(hdc, oldOrigin.x, oldOrigin.y, nullptr);
    if (oldMode) ::SetStretchBltMode(hdc, oldMode);
}

bool CSkinRenderer::SoftwareAlphaBlend(HDC hdc, HDC source, const RECT& dest, const RECT& sourcePart, BYTE fade)
{
    PixelBuffer target, image;
    if (!SelectedDibPixels(hdc, target) || !SelectedDibPixels(source, image)) return false;
    ::GdiFlush();
    // Logical to device coordinates, and the DC's clip box as the clip.
    POINT pts[2] = {{dest.left, dest.top}, {dest.right, dest.bottom}};
    ::LPtoDP(hdc, pts, 2);
    RECT clip;
    if (::GetClipBox(hdc, &clip) == ERROR) return false;
    POINT clipPts[2] = {{clip.left, clip.top}, {clip.right, clip.bottom}};
    ::LPtoDP(hdc, clipPts, 2);
    BlendPixels(target, {pts[0].x, pts[0].y, pts[1].x, pts[1].y}, image, ToSkinRect(sourcePart), fade, true,
                {clipPts[0].x, clipPts[0].y, clipPts[1].x, clipPts[1].y});
    return true;
}

// ---------------------------------------------------------------- colours

void CSkinRenderer::FillColour(HDC hdc, const RECT& rect, DWORD argb)
{
    if (!hdc || (argb >> 24) == 0 || rect.right <= rect.left || rect.bottom <= rect.top) return;
    Gdiplus::GpGraphics* graphics = nullptr;
    if (gp::GdipCreateFromHDC(hdc, &graphics) != Gdiplus::Ok) return;
    Gdiplus::GpSolidFill* brush = nullptr;
    if (gp::GdipCreateSolidFill(argb, &brush) == Gdiplus::Ok) {
        gp::GdipFillRectangleI(graphics, brush, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        gp::GdipDeleteBrush(brush);
    }
    gp::GdipDeleteGraphics(graphics);
}

void CSkinRenderer::DrawGradient(HDC hdc, const RECT& rect, DWORD colour1, DWORD colour2, int steps)
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

    if (Msimg().gradientFill) {
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
        Msimg().gradientFill(target, v, 2, &r, 1, GRADIENT_FILL_RECT_V);
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
        if (Msimg().alphaBlend)
            Msimg().alphaBlend(hdc, rect.left, rect.top, width, height, memory.get(), 0, 0, width, height, bf);
    }
}

void CSkinRenderer::DrawLine(HDC hdc, const RECT& rect, int width, DWORD argb, int penStyle)
{
    if (!hdc) return;
    // Wide pens get flat ends: a border line must not reach past its edge.
    win32::UniquePen pen;
    if (width > 1) {
        LOGBRUSH brush = {BS_SOLID, ToColorRef(argb), 0};
        pen.reset(::ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | (penStyle & PS_STYLE_MASK), static_cast<DWORD>(width),
                                 &brush, 0, nullptr));
    }
    if (!pen) pen.reset(::CreatePen(penStyle, width, ToColorRef(argb)));
    if (!pen) return;
    win32::SelectedObject selected(hdc, pen.get());
    POINT old;
    ::MoveToEx(hdc, rect.left, rect.top, &old);
    ::LineTo(hdc, rect.right, rect.bottom);
    ::MoveToEx(hdc, old.x, old.y, nullptr);
}

void CSkinRenderer::DrawRectOutline(HDC hdc, const RECT& rect, int width, DWORD argb)
{
    if (!hdc || width <= 0) return;
    win32::UniquePen pen(::CreatePen(PS_SOLID | PS_INSIDEFRAME, width, ToColorRef(argb)));
    if (!pen) return;
    win32::SelectedObject selectedPen(hdc, pen.get());
    win32::SelectedObject selectedBrush(hdc, ::GetStockObject(HOLLOW_BRUSH));
    ::Rectangle(hdc, rect.left, rect.top, rect.right, rect.bottom);
}

void CSkinRenderer::DrawRoundRectOutline(HDC hdc, const RECT& rect, int width, int ellipseWidth, int ellipseHeight,
                                         DWORD argb)
{
    if (!hdc || width <= 0) return;
    win32::UniquePen pen(::CreatePen(PS_SOLID | PS_INSIDEFRAME, width, ToColorRef(argb)));
    if (!pen) return;
    win32::SelectedObject selectedPen(hdc, pen.get());
    win32::SelectedObject selectedBrush(hdc, ::GetStockObject(HOLLOW_BRUSH));
    ::RoundRect(hdc, rect.left, rect.top, rect.right, rect.bottom, ellipseWidth, ellipseHeight);
}

// ---------------------------------------------------------------- text

namespace {

void DrawTextGdiplus(HDC hdc, const TFontInfo& font, RECT& rect, std::wstring_view text, DWORD argb, UINT style)
{
    Gdiplus::GpGraphics* graphics = nullptr;
    if (gp::GdipCreateFromHDC(hdc, &graphics) != Gdiplus::Ok) return;
    gp::GdipSetTextRenderingHint(graphics, Gdiplus::TextRenderingHintAntiAlias);
    Gdiplus::GpFont* gpFont = nullptr;
    if (gp::GdipCreateFontFromLogfontW(hdc, &font.logFont, &gpFont) != Gdiplus::Ok) {
        win32::SelectedObject selected(hdc, font.hFont.get());
        if (gp::GdipCreateFontFromDC(hdc, &gpFont) != Gdiplus::Ok) gpFont = nullptr;
    }
    Gdiplus::GpSolidFill* brush = nullptr;
    gp::GdipCreateSolidFill((argb & 0x00FFFFFFu) | 0xFE000000u, &brush);
    Gdiplus::GpStringFormat* generic = nullptr;
    Gdiplus::GpStringFormat* format = nullptr;
    if (gp::GdipStringFormatGetGenericTypographic(&generic) == Gdiplus::Ok)
        gp::GdipCloneStringFormat(generic, &format);
    if (gpFont && brush && format) {
        INT flags = 0;
        gp::GdipGetStringFormatFlags(format, &flags);
        flags &= ~(Gdiplus::StringFormatFlagsNoClip | Gdiplus::StringFormatFlagsNoWrap);
        if (style & DT_NOCLIP) flags |= Gdiplus::StringFormatFlagsNoClip;
        if (style & DT_SINGLELINE) flags |= Gdiplus::StringFormatFlagsNoWrap;
        gp::GdipSetStringFormatFlags(format, flags);
        gp::GdipSetStringFormatTrimming(format, (style & DT_END_ELLIPSIS) ? Gdiplus::StringTrimmingEllipsisCharacter
                                                                          : Gdiplus::StringTrimmingNone);
        gp::GdipSetStringFormatAlign(format, (style & DT_CENTER)  ? Gdiplus::StringAlignmentCenter
                                             : (style & DT_RIGHT) ? Gdiplus::StringAlignmentFar
                                                                  : Gdiplus::StringAlignmentNear);
        gp::GdipSetStringFormatLineAlign(format, (style & DT_VCENTER)  ? Gdiplus::StringAlignmentCenter
                                                 : (style & DT_BOTTOM) ? Gdiplus::StringAlignmentFar
                                                                       : Gdiplus::StringAlignmentNear);
        Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                              static_cast<Gdiplus::REAL>(rect.right - rect.left),
                              static_cast<Gdiplus::REAL>(rect.bottom - rect.top));
        const INT length = static_cast<INT>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
        if (style & DT_CALCRECT) {
            Gdiplus::RectF bounds;
            if (gp::GdipMeasureString(graphics, text.data(), length, gpFont, &layout, format, &bounds, nullptr,
                                      nullptr) == Gdiplus::Ok) {
                rect.right = rect.left + static_cast<LONG>(bounds.Width) + 1;
                rect.bottom = rect.top + static_cast<LONG>(bounds.Height) + 1;
            }
        } else {
            gp::GdipDrawString(graphics, text.data(), length, gpFont, &layout, format, brush);
        }
    }
    if (format) gp::GdipDeleteStringFormat(format);
    if (generic) gp::GdipDeleteStringFormat(generic);
    if (brush) gp::GdipDeleteBrush(brush);
    if (gpFont) gp::GdipDeleteFont(gpFont);
    gp::GdipDeleteGraphics(graphics);
}

}  // namespace

void CSkinRenderer::DrawTextIn(HDC hdc, IRenderResourcesUI* resources, RECT& rect, std::wstring_view text, DWORD argb,
                               int font, UINT style)
{
    if (!hdc || !resources || text.empty()) return;
    if (resources->IsBackgroundTransparent() || resources->UsesGdiplusText()) {
        DrawTextGdiplus(hdc, resources->FontInfoAt(font), rect, text, argb, style);
        return;
    }
    const int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(hdc, ToColorRef(argb));
    {
        win32::SelectedObject selected(hdc, resources->FontInfoAt(font).hFont.get());
        const int length = static_cast<int>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
        ::DrawTextW(hdc, text.data(), length, &rect, style | DT_NOPREFIX);
    }
    ::SetTextColor(hdc, oldColour);
    ::SetBkMode(hdc, oldMode);
}

void CSkinRenderer::DrawFormattedText(HDC hdc, IRenderResourcesUI* resources, RECT& rect, std::wstring_view text,
                                      DWORD argb, int font, UINT style)
{
    if (!hdc || !resources || text.empty()) return;
    const std::vector<FormattedRun> runs = ParseFormattedText(text);

    // Styled variants of the fonts, made once per call.
    struct StyledFont {
        int index;
        bool bold, italic, underline;
        win32::UniqueFont font;
    };
    std::vector<StyledFont> styled;
    auto fontFor = [&](const FormattedRun& run) -> HFONT {
        const int index = run.font >= 0 ? run.font : font;
        const TFontInfo& base = resources->FontInfoAt(index);
        if (!run.bold && !run.italic && !run.underline) return base.hFont.get();
        for (const StyledFont& f : styled)
            if (f.index == index && f.bold == run.bold && f.italic == run.italic && f.underline == run.underline)
                return f.font.get();
        LOGFONTW lf = base.logFont;
        if (run.bold) lf.lfWeight = FW_BOLD;
        if (run.italic) lf.lfItalic = TRUE;
        if (run.underline) lf.lfUnderline = TRUE;
        styled.push_back({index, run.bold, run.italic, run.underline, win32::UniqueFont(::CreateFontIndirectW(&lf))});
        return styled.back().font.get() ? styled.back().font.get() : base.hFont.get();
    };

    struct Piece {
        const FormattedRun* run;
        HFONT font;
        SIZE size;
    };
    struct Line {
        std::size_t first, end;
        LONG width, height;
    };
    const LONG emptyLineHeight = resources->TextMetricsAt(font).tmHeight;
    std::vector<Piece> pieces;
    std::vector<Line> lines{{0, 0, 0, 0}};
    for (const FormattedRun& run : runs) {
        if (run.lineBreak) {
            if (lines.back().height == 0) lines.back().height = emptyLineHeight;
            lines.push_back({pieces.size(), pieces.size(), 0, 0});
            continue;
        }
        Piece piece{&run, fontFor(run), {0, 0}};
        win32::SelectedObject selected(hdc, piece.font);
        const int length = static_cast<int>(std::min<std::size_t>(run.text.size(), 0x7FFFFFFF));
        ::GetTextExtentPoint32W(hdc, run.text.data(), length, &piece.size);
        pieces.push_back(piece);
        Line& line = lines.back();
        line.end = pieces.size();
        line.width += piece.size.cx;
        line.height = std::max(line.height, piece.size.cy);
    }
    if (lines.back().height == 0) lines.back().height = emptyLineHeight;
    LONG width = 0, height = 0;
    for (const Line& line : lines) {
        width = std::max(width, line.width);
        height += line.height;
    }
    if (style & DT_CALCRECT) {
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
        return;
    }

    LONG y = rect.top;
    if (style & DT_VCENTER)
        y = rect.top + (rect.bottom - rect.top - height) / 2;
    else if (style & DT_BOTTOM)
        y = rect.bottom - height;
    const int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    const COLORREF oldColour = ::GetTextColor(hdc);
    for (const Line& line : lines) {
        LONG x = rect.left;
        if (style & DT_CENTER)
            x = rect.left + (rect.right - rect.left - line.width) / 2;
        else if (style & DT_RIGHT)
            x = rect.right - line.width;
        for (std::size_t k = line.first; k < line.end; ++k) {
            const Piece& piece = pieces[k];
            ::SetTextColor(hdc, ToColorRef(piece.run->colour ? piece.run->colour : argb));
            win32::SelectedObject selected(hdc, piece.font);
            const int length = static_cast<int>(std::min<std::size_t>(piece.run->text.size(), 0x7FFFFFFF));
            // Pieces of one line share its bottom edge.
            ::ExtTextOutW(hdc, x, y + line.height - piece.size.cy, ETO_CLIPPED, &rect, piece.run->text.data(),
                          static_cast<UINT>(length), nullptr);
            x += piece.size.cx;
        }
        y += line.height;
    }
    ::SetTextColor(hdc, oldColour);
    ::SetBkMode(hdc, oldMode);
}

}  // namespace SkinUI
