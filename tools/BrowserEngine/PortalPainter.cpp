#include "tools/BrowserEngine/PortalPainter.h"

#include "base/Win32Handles.h"

#include <algorithm>
#include <iterator>

namespace engine {

namespace {

constexpr COLORREF kGold = RGB(0xE0, 0xB8, 0x60);
constexpr COLORREF kPaleGold = RGB(0xC8, 0xB4, 0x8A);
constexpr COLORREF kAsh = RGB(0xA0, 0x8A, 0x6A);
constexpr COLORREF kBar = RGB(0x12, 0x0A, 0x0E);

RECT ToRect(const PageRect& r)
{
    return RECT{r.left, r.top, r.right, r.bottom};
}

COLOR16 Channel(BYTE value)
{
    return static_cast<COLOR16>(value << 8);
}

void VerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom)
{
    TRIVERTEX vertices[2] = {
        {rect.left, rect.top, Channel(GetRValue(top)), Channel(GetGValue(top)), Channel(GetBValue(top)), 0},
        {rect.right, rect.bottom, Channel(GetRValue(bottom)), Channel(GetGValue(bottom)), Channel(GetBValue(bottom)), 0},
    };
    GRADIENT_RECT index = {0, 1};
    // gdi32's own export: the engine imports no msimg32, so a test can put a
    // decoy msimg32.dll beside the launcher and see who loads it.
    ::GdiGradientFill(dc, vertices, 2, &index, 1, GRADIENT_FILL_RECT_V);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour)
{
    win32::UniqueBrush brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &rect, brush.get());
}

COLORREF Mix(COLORREF a, COLORREF b, int bPercent)
{
    const auto mix = [bPercent](int x, int y) { return static_cast<BYTE>((x * (100 - bPercent) + y * bPercent) / 100); };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

win32::UniqueFont MakeFont(int height, int weight, const wchar_t* face, bool italic = false, bool underline = false)
{
    return win32::UniqueFont(::CreateFontW(-height, 0, 0, 0, weight, italic, underline, FALSE, DEFAULT_CHARSET,
                                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                           DEFAULT_PITCH | FF_ROMAN, face));
}

void Text(HDC dc, const wchar_t* text, RECT rect, COLORREF colour, UINT format)
{
    ::SetTextColor(dc, colour);
    ::DrawTextW(dc, text, -1, &rect, format | DT_NOPREFIX);
}

// A moon-like glow behind the title: concentric discs fading into the sky.
void Glow(HDC dc, int cx, int cy, int radius, COLORREF sky)
{
    win32::UniquePen none(::CreatePen(PS_NULL, 0, 0));
    win32::SelectedObject pen(dc, none.get());
    constexpr int kSteps = 32;
    for (int step = 0; step < kSteps; ++step) {
        const int r = radius - step * radius / (kSteps + 4);
        win32::UniqueBrush brush(::CreateSolidBrush(Mix(sky, RGB(0x8A, 0x2A, 0x1C), 8 + step * 60 / kSteps)));
        win32::SelectedObject selected(dc, brush.get());
        ::Ellipse(dc, cx - r, cy - r, cx + r, cy + r);
    }
}

void Mountains(HDC dc, int width, int height)
{
    const POINT farRidge[] = {{0, height},
                         {0, height * 78 / 100},
                         {width * 12 / 100, height * 66 / 100},
                         {width * 24 / 100, height * 74 / 100},
                         {width * 38 / 100, height * 60 / 100},
                         {width * 52 / 100, height * 72 / 100},
                         {width * 68 / 100, height * 58 / 100},
                         {width * 84 / 100, height * 70 / 100},
                         {width, height * 62 / 100},
                         {width, height}};
    const POINT nearRidge[] = {{0, height},
                          {0, height * 88 / 100},
                          {width * 18 / 100, height * 80 / 100},
                          {width * 33 / 100, height * 90 / 100},
                          {width * 55 / 100, height * 79 / 100},
                          {width * 76 / 100, height * 89 / 100},
                          {width, height * 82 / 100},
                          {width, height}};
    win32::UniquePen none(::CreatePen(PS_NULL, 0, 0));
    win32::SelectedObject pen(dc, none.get());
    {
        win32::UniqueBrush brush(::CreateSolidBrush(RGB(0x1C, 0x0C, 0x12)));
        win32::SelectedObject selected(dc, brush.get());
        ::Polygon(dc, farRidge, static_cast<int>(std::size(farRidge)));
    }
    win32::UniqueBrush brush(::CreateSolidBrush(RGB(0x0A, 0x05, 0x08)));
    win32::SelectedObject selected(dc, brush.get());
    ::Polygon(dc, nearRidge, static_cast<int>(std::size(nearRidge)));
}

void StartButton(HDC dc, const RECT& rect, bool hot, bool pressed)
{
    const int radius = 14;
    // A clip region is in device pixels whatever the world transform: the
    // button's corners go through it.
    POINT corners[3] = {{rect.left, rect.top}, {rect.right + 1, rect.bottom + 1}, {radius, radius}};
    ::LPtoDP(dc, corners, 2);
    XFORM transform{};
    ::GetWorldTransform(dc, &transform);
    const int deviceRadius = static_cast<int>(radius * transform.eM11 + 0.5f);
    win32::UniqueRegion region(::CreateRoundRectRgn(corners[0].x, corners[0].y, corners[1].x, corners[1].y,
                                                    deviceRadius, deviceRadius));
    ::SelectClipRgn(dc, region.get());
    const COLORREF top = pressed ? RGB(0x6E, 0x14, 0x10) : hot ? RGB(0xD8, 0x44, 0x30) : RGB(0xB8, 0x32, 0x2A);
    const COLORREF bottom = pressed ? RGB(0xB8, 0x32, 0x2A) : RGB(0x5A, 0x10, 0x0C);
    VerticalGradient(dc, rect, top, bottom);
    ::SelectClipRgn(dc, nullptr);
    win32::UniquePen border(::CreatePen(PS_SOLID, 2, hot ? RGB(0xFF, 0xD8, 0x80) : kGold));
    win32::SelectedObject pen(dc, border.get());
    win32::SelectedObject brush(dc, ::GetStockObject(NULL_BRUSH));
    ::RoundRect(dc, rect.left + 1, rect.top + 1, rect.right, rect.bottom, radius, radius);

    win32::UniqueFont font = MakeFont(std::max(14, static_cast<int>(rect.bottom - rect.top) * 2 / 5), FW_BOLD, L"Times New Roman");
    win32::SelectedObject selected(dc, font.get());
    Text(dc, L"START GAME", rect, RGB(0xFF, 0xF0, 0xD0), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void PortalContent(HDC dc, int width, int height, const PortalView& view)
{
    const PortalLayout layout = ComputePortalLayout(width, height);
    const RECT all{0, 0, width, height};
    const COLORREF sky = RGB(0x0B, 0x07, 0x10);
    VerticalGradient(dc, all, sky, RGB(0x3A, 0x0E, 0x14));
    const RECT title = ToRect(layout.title);
    Glow(dc, width / 2, (title.top + title.bottom) / 2, std::max(60, static_cast<int>(title.bottom - title.top) * 2), sky);
    Mountains(dc, width, height);

    // Top bar: the drag area and the two window links.
    RECT bar{0, 0, width, layout.drag.bottom};
    FillSolid(dc, bar, kBar);
    RECT line{0, bar.bottom - 1, width, bar.bottom};
    FillSolid(dc, line, RGB(0x7A, 0x5A, 0x2A));
    {
        win32::UniqueFont small = MakeFont(15, FW_NORMAL, L"Times New Roman");
        win32::SelectedObject selected(dc, small.get());
        RECT caption = ToRect(layout.drag);
        caption.left += 14;
        Text(dc, L"VORKAN \x00B7 Game Portal", caption, kAsh, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        win32::UniqueFont links = MakeFont(18, FW_BOLD, L"Times New Roman");
        win32::SelectedObject linkFont(dc, links.get());
        const RECT minimise = ToRect(layout.minimise);
        const RECT close = ToRect(layout.close);
        if (view.hot == PagePart::Minimise) FillSolid(dc, minimise, RGB(0x2A, 0x18, 0x1E));
        if (view.hot == PagePart::Close) FillSolid(dc, close, RGB(0x80, 0x18, 0x14));
        Text(dc, L"\x2013", minimise, view.hot == PagePart::Minimise ? kGold : kPaleGold, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        Text(dc, L"\x00D7", close, view.hot == PagePart::Close ? RGB(0xFF, 0xF0, 0xD0) : kPaleGold, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }

    // The game's name with a dark-red shadow, and its motto.
    {
        win32::UniqueFont big = MakeFont(std::max(32, static_cast<int>(title.bottom - title.top) * 4 / 5), FW_BOLD, L"Times New Roman");
        win32::SelectedObject selected(dc, big.get());
        RECT shadow = title;
        ::OffsetRect(&shadow, 3, 4);
        Text(dc, L"Vorkan", shadow, RGB(0x50, 0x08, 0x08), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        Text(dc, L"Vorkan", title, kGold, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    {
        win32::UniqueFont motto = MakeFont(std::max(14, height / 32), FW_NORMAL, L"Times New Roman", true);
        win32::SelectedObject selected(dc, motto.get());
        RECT below{0, title.bottom, width, title.bottom + std::max(24, height / 18)};
        Text(dc, L"The Crown of Ash awaits its heir", below, kAsh, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }

    StartButton(dc, ToRect(layout.start), view.hot == PagePart::Start, view.pressed == PagePart::Start);

    win32::UniqueFont news = MakeFont(15, FW_NORMAL, L"Times New Roman", false, view.hot == PagePart::Link);
    win32::SelectedObject selected(dc, news.get());
    Text(dc, L"Realm news and patch notes", ToRect(layout.link), view.hot == PagePart::Link ? kGold : kPaleGold,
         DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void MessagePage(HDC dc, int width, int height, const wchar_t* heading, const std::wstring& detail)
{
    const RECT all{0, 0, width, height};
    FillSolid(dc, all, RGB(0xF4, 0xF4, 0xF4));
    win32::UniqueFont big = MakeFont(24, FW_BOLD, L"Tahoma");
    win32::SelectedObject selected(dc, big.get());
    RECT headingRect{24, 24, width - 24, 64};
    Text(dc, heading, headingRect, RGB(0x20, 0x30, 0x60), DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
    win32::UniqueFont small = MakeFont(14, FW_NORMAL, L"Tahoma");
    win32::SelectedObject smallFont(dc, small.get());
    RECT detailRect{24, 72, width - 24, height - 24};
    Text(dc, detail.c_str(), detailRect, RGB(0x40, 0x40, 0x40), DT_LEFT | DT_WORDBREAK | DT_END_ELLIPSIS);
}

}  // namespace

void PaintPortalPage(HDC dc, const RECT& bounds, const PortalView& view)
{
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0) return;
    win32::UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    win32::UniqueBitmap bitmap(::CreateCompatibleBitmap(dc, width, height));
    if (!memory || !bitmap) return;
    {
        win32::SelectedObject selected(memory.get(), bitmap.get());
        ::SetBkMode(memory.get(), TRANSPARENT);
        // The page in its own pixels; the transform brings it to the device.
        const int zoom = std::clamp(view.zoom, kMinZoomPercent, kMaxZoomPercent);
        const int pageWidth = PageSide(width, zoom);
        const int pageHeight = PageSide(height, zoom);
        if (zoom != 100) {
            ::SetGraphicsMode(memory.get(), GM_ADVANCED);
            const float factor = static_cast<float>(zoom) / 100.0f;
            const XFORM transform = {factor, 0.0f, 0.0f, factor, 0.0f, 0.0f};
            ::SetWorldTransform(memory.get(), &transform);
        }
        switch (view.state) {
        case PortalView::State::Page: PortalContent(memory.get(), pageWidth, pageHeight, view); break;
        case PortalView::State::ErrorPage:
            MessagePage(memory.get(), pageWidth, pageHeight, L"This page can\x2019t be displayed", view.url);
            break;
        case PortalView::State::Loading:
            MessagePage(memory.get(), pageWidth, pageHeight, L"Loading\x2026", view.url);
            break;
        case PortalView::State::Blank:
            FillSolid(memory.get(), RECT{0, 0, pageWidth, pageHeight}, RGB(0xFF, 0xFF, 0xFF));
            break;
        }
        if (view.border3d) {
            RECT edge{0, 0, pageWidth, pageHeight};
            ::DrawEdge(memory.get(), &edge, EDGE_SUNKEN, BF_RECT);
        }
        if (zoom != 100) {
            ::ModifyWorldTransform(memory.get(), nullptr, MWT_IDENTITY);
            ::SetGraphicsMode(memory.get(), GM_COMPATIBLE);
        }
        ::BitBlt(dc, bounds.left, bounds.top, width, height, memory.get(), 0, 0, SRCCOPY);
    }
}

}  // namespace engine
