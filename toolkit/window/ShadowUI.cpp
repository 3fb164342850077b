#include "toolkit/window/ShadowUI.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>

#include "base/NoThrowBoundary.h"
#include "base/ProcedurePointers.h"
#include "base/Win32Handles.h"
#include "toolkit/core/LayoutArithmetic.h"
#include "toolkit/render/DibSection.h"
#include "toolkit/render/RenderResourcesUI.h"
#include "toolkit/render/SkinRenderer.h"
#include "toolkit/window/DispatchFrame.h"

namespace SkinUI {
namespace {

HINSTANCE g_shadowInstance = nullptr;
bool g_shadowClassRegistered = false;

// The hooked owner procedure finds its shadow and the procedure it replaced
// here. The entry outlives a shadow destroyed before its owner while another
// hook sits above ours, so the owner's chain stays whole.
struct OwnerEntry {
    CShadowUI* shadow;
    WNDPROC previous;
};

std::map<HWND, OwnerEntry>& Owners()
{
    static std::map<HWND, OwnerEntry> owners;
    return owners;
}

bool InRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

// Posted to the owner after its first paint: the shadow follows once the
// owner's first frame is on the screen, not before it.
UINT FirstShowMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"SkinUI.ShadowFirstShow");
    return message;
}

// A shadow larger than any screen is not drawn (nor its pixels allocated).
bool DrawableSize(const RECT& place)
{
    constexpr long long kLargestSide = 1 << 15;
    const long long width = static_cast<long long>(place.right) - place.left;
    const long long height = static_cast<long long>(place.bottom) - place.top;
    return width > 0 && height > 0 && width <= kLargestSide && height <= kLargestSide;
}

}  // namespace

CShadowUI::~CShadowUI()
{
    Unhook();
    DestroyWindows();
}

void CShadowUI::DestroyWindows()
{
    for (HWND& side : m_sides) {
        if (side && ::IsWindow(side)) ::DestroyWindow(side);
        side = nullptr;
    }
}

bool CShadowUI::RegisterWindowClass(HINSTANCE instance)
{
    if (g_shadowClassRegistered) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kWindowClassName;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    g_shadowInstance = instance;
    g_shadowClassRegistered = true;
    return true;
}

CShadowUI* CShadowUI::ForOwner(HWND owner)
{
    const auto found = Owners().find(owner);
    return found == Owners().end() ? nullptr : found->second.shadow;
}

// ---------------------------------------------------------------- attributes

bool CShadowUI::SetSize(int size)
{
    if (!InRange(size, -20, 20)) return false;
    m_nSize = size;
    MarkPixelsStale();
    RedrawIfShown();
    return true;
}

bool CShadowUI::SetSharpness(int sharpness)
{
    if (!InRange(sharpness, 0, 20)) return false;
    m_nSharpness = sharpness;
    MarkPixelsStale();
    RedrawIfShown();
    return true;
}

bool CShadowUI::SetDarkness(int darkness)
{
    if (!InRange(darkness, 0, 255)) return false;
    m_nDarkness = darkness;
    MarkPixelsStale();
    RedrawIfShown();
    return true;
}

bool CShadowUI::SetPosition(int x, int y)
{
    if (!InRange(x, -20, 20) || !InRange(y, -20, 20)) return false;
    m_nxOffset = static_cast<signed char>(x);
    m_nyOffset = static_cast<signed char>(y);
    MarkPixelsStale();
    RedrawIfShown();
    return true;
}

void CShadowUI::SetColour(DWORD colour)
{
    m_dwColour = colour;
    MarkPixelsStale();
}

void CShadowUI::SetImage(std::wstring_view name)
{
    m_sImage = name;
    MarkPixelsStale();
}

bool CShadowUI::SetCorner(const RECT& corner)
{
    if (corner.left < 0 || corner.top < 0 || corner.right < 0 || corner.bottom < 0) return false;
    m_rcCorner = corner;
    MarkPixelsStale();
    RedrawIfShown();
    return true;
}

RECT CShadowUI::ScaledCorner() const
{
    return {m_scale.ScaleCorner(m_rcCorner.left), m_scale.ScaleCorner(m_rcCorner.top),
            m_scale.ScaleCorner(m_rcCorner.right), m_scale.ScaleCorner(m_rcCorner.bottom)};
}

void CShadowUI::SetDisplayScale(const CDisplayScale& scale)
{
    if (scale == m_scale) return;
    m_scale = scale;
    MarkPixelsStale();
    RedrawIfShown();
}

void CShadowUI::RedrawIfShown()
{
    if (HasWindows() && (m_status & kShown)) Redraw();
}

// ---------------------------------------------------------------- window

bool CShadowUI::Create(IRenderResourcesUI* resources, HWND owner)
{
    if (m_status & kCreated) return true;
    if (!owner || !::IsWindow(owner)) return false;
    // Start-up registers the class; a window made without it still gets one.
    if (!RegisterWindowClass(g_shadowInstance ? g_shadowInstance : ::GetModuleHandleW(nullptr))) return false;

    m_pResources = resources;
    m_hOwner = owner;
    m_status = kCreated;

    RECT rc{};
    ::GetWindowRect(owner, &rc);
    m_wOwnerWidth = static_cast<WORD>(rc.right - rc.left);
    m_wOwnerHeight = static_cast<WORD>(rc.bottom - rc.top);
    if (::IsWindowVisible(owner)) {
        m_status |= kOwnerVisible;
        if (!::IsIconic(owner) && !::IsZoomed(owner)) ShowDrawn();
    }

    m_pPreviousProc = win32::ReplaceWindowProcedure(owner, &CShadowUI::OwnerHook);
    // Without a procedure to forward to there is no hook: the shadow then
    // stays where it was drawn.
    if (!m_pPreviousProc) return true;
    Owners()[owner] = OwnerEntry{this, m_pPreviousProc};
    return true;
}

bool CShadowUI::EnsureWindows()
{
    if (HasWindows()) return true;
    if (!m_hOwner || !::IsWindow(m_hOwner)) return false;
    const DWORD dlgFrame = static_cast<DWORD>(::GetWindowLongPtrW(m_hOwner, GWL_STYLE)) & WS_DLGFRAME;
    // Made in their places and at their sizes: drawing them moves nothing.
    RECT owner{};
    ::GetWindowRect(m_hOwner, &owner);
    const RECT place = ShadowRectFor(owner);
    const SideRects sides = DrawableSize(place) ? SidesOf(place, owner) : SideRects{};
    for (int i = 0; i < kSideCount; ++i) {
        const RECT& at = sides[static_cast<std::size_t>(i)];
        m_sides[static_cast<std::size_t>(i)] = ::CreateWindowExW(
            WS_EX_LAYERED | WS_EX_TRANSPARENT, kWindowClassName, nullptr,
            WS_POPUP | WS_BORDER | WS_SYSMENU | dlgFrame, at.left, at.top, at.right - at.left, at.bottom - at.top,
            m_hOwner, nullptr, g_shadowInstance, nullptr);
        if (!m_sides[static_cast<std::size_t>(i)]) {
            DestroyWindows();
            return false;
        }
    }
    m_placedSides = sides;
    m_drawnSize = {0, 0};
    return true;
}

void CShadowUI::Show()
{
    if (!EnsureWindows()) return;
    // A side with nothing to show stays hidden.
    for (int i = 0; i < kSideCount; ++i) {
        if (!::IsRectEmpty(&m_placedSides[static_cast<std::size_t>(i)]))
            ::ShowWindow(m_sides[static_cast<std::size_t>(i)], SW_SHOWNA);
    }
    m_status |= kShown;
}

void CShadowUI::ShowDrawn()
{
    // Drawn before they are shown: the windows appear with their pixels.
    if (!EnsureWindows()) return;
    Redraw();
    Show();
}

void CShadowUI::OnFirstShowDue()
{
    m_bFirstShowPosted = false;
    if (!m_bRedrawPending || !(m_status & kOwnerVisible) || !m_hOwner) return;
    if (::IsIconic(m_hOwner) || ::IsZoomed(m_hOwner)) return;
    ShowDrawn();
}

void CShadowUI::Hide()
{
    if (!HasWindows()) return;
    for (HWND side : m_sides) ::ShowWindow(side, SW_HIDE);
    m_status &= static_cast<BYTE>(~kShown);
}

void CShadowUI::Unhook()
{
    if (!m_hOwner) return;
    const auto found = Owners().find(m_hOwner);
    if (found != Owners().end() && found->second.shadow == this) {
        // Only when nobody hooked the owner after us; otherwise our hook
        // stays in their chain and just forwards.
        if (::IsWindow(m_hOwner) && win32::WindowProcedure(m_hOwner) == &CShadowUI::OwnerHook) {
            win32::ReplaceWindowProcedure(m_hOwner, m_pPreviousProc);
            Owners().erase(found);
        } else {
            found->second.shadow = nullptr;
        }
    }
    m_hOwner = nullptr;
}

LRESULT CALLBACK CShadowUI::OwnerHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    CDispatchFrame frame;
    const auto found = Owners().find(hwnd);
    if (found == Owners().end()) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    const OwnerEntry entry = found->second;
    if (message != 0 && message == FirstShowMessage()) {
        // Ours alone: the owner never sees it. From elsewhere it draws at
        // most what was due anyway.
        if (entry.shadow) win32::CallWithoutThrowing([&] { entry.shadow->OnFirstShowDue(); });
        return 0;
    }
    if (message == WM_PAINT) {
        // The owner paints first; a pending shadow follows it. The owner's
        // paint may have destroyed the shadow or the owner: looked up again.
        const LRESULT result = ::CallWindowProcW(entry.previous, hwnd, message, wParam, lParam);
        const auto after = Owners().find(hwnd);
        if (after != Owners().end() && after->second.shadow) {
            CShadowUI* shadow = after->second.shadow;
            win32::CallWithoutThrowing([&] { shadow->OnOwnerMessage(message, wParam, lParam); });
        }
        return result;
    }
    // The owner's own procedure runs whatever the shadow's handling did.
    if (entry.shadow) win32::CallWithoutThrowing([&] { entry.shadow->OnOwnerMessage(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        // The owner is gone after this message: forget it first.
        Owners().erase(hwnd);
        if (entry.shadow) entry.shadow->m_hOwner = nullptr;
    }
    return ::CallWindowProcW(entry.previous, hwnd, message, wParam, lParam);
}

void CShadowUI::OnOwnerMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        DestroyWindows();
        m_status = 0;
        m_bFirstShowPosted = false;
        break;
    case WM_MOVE:
        if (m_status & kShown) {
            RECT owner{};
            ::GetWindowRect(m_hOwner, &owner);
            // Only a move: the sides keep their sizes until the next redraw.
            MoveSides(SidesOf(ShadowRectFor(owner), owner));
        }
        break;
    case WM_SIZE: {
        const WORD width = LOWORD(lParam);
        const WORD height = HIWORD(lParam);
        if (wParam == SIZE_MINIMIZED || wParam == SIZE_MAXIMIZED) {
            Hide();
            if (wParam == SIZE_MAXIMIZED) Redraw();
        } else if ((m_status & kOwnerVisible) && !HasWindows()) {
            m_bRedrawPending = true;  // the first show: after the owner's first paint
        } else if (m_status & kOwnerVisible) {
            // Shrinking uncovers nothing of the owner: draw now. Growing
            // waits for the owner's paint so the shadow does not run ahead.
            if (width <= m_wOwnerWidth && height <= m_wOwnerHeight)
                Redraw();
            else
                m_bRedrawPending = true;
            if (!(m_status & kShown)) Show();
        }
        m_wOwnerWidth = width;
        m_wOwnerHeight = height;
        break;
    }
    case WM_PAINT:
        if (!m_bRedrawPending) break;
        if (!HasWindows() && (m_status & kOwnerVisible)) {
            // The first show waits until the owner's frame is out.
            if (!m_bFirstShowPosted && ::PostMessageW(m_hOwner, FirstShowMessage(), 0, 0)) m_bFirstShowPosted = true;
            if (!m_bFirstShowPosted) ShowDrawn();
        } else if (!(m_status & kShown) && (m_status & kOwnerVisible)) {
            ShowDrawn();
        } else {
            Redraw();
        }
        break;
    case WM_SHOWWINDOW:
        if (wParam) {
            // Made and drawn after the owner's first paint, shown again
            // at once when it was made before.
            m_status |= kOwnerVisible;
            if (HasWindows()) Show();
            m_bRedrawPending = true;
        } else {
            m_status &= static_cast<BYTE>(~kOwnerVisible);
            Hide();
        }
        break;
    case WM_EXITSIZEMOVE:
        RedrawIfShown();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- drawing

RECT CShadowUI::ShadowRectFor(const RECT& owner) const
{
    // Sums in 64 bits: no corner wraps an edge around.
    if (!m_sImage.IsEmpty()) {
        const RECT corner = ScaledCorner();
        return {ClampLayoutValue(static_cast<long long>(owner.left) - corner.left),
                ClampLayoutValue(static_cast<long long>(owner.top) - corner.top),
                ClampLayoutValue(static_cast<long long>(owner.right) + corner.right),
                ClampLayoutValue(static_cast<long long>(owner.bottom) + corner.bottom)};
    }
    const int size = m_scale.Scale(std::abs(m_nSize));
    const int x = m_scale.Scale(m_nxOffset), y = m_scale.Scale(m_nyOffset);
    return {owner.left + x - size, owner.top + y - size, owner.right + x + size, owner.bottom + y + size};
}

CShadowUI::SideRects CShadowUI::SidesOf(const RECT& shadow, const RECT& owner)
{
    SideRects sides{};
    const LONG middleTop = std::max(shadow.top, owner.top);
    const LONG middleBottom = std::min(shadow.bottom, owner.bottom);
    if (owner.top > shadow.top) sides[kTop] = {shadow.left, shadow.top, shadow.right, std::min(shadow.bottom, owner.top)};
    if (shadow.bottom > owner.bottom)
        sides[kBottom] = {shadow.left, std::max(shadow.top, owner.bottom), shadow.right, shadow.bottom};
    if (owner.left > shadow.left && middleBottom > middleTop)
        sides[kLeft] = {shadow.left, middleTop, std::min(shadow.right, owner.left), middleBottom};
    if (shadow.right > owner.right && middleBottom > middleTop)
        sides[kRight] = {std::max(shadow.left, owner.right), middleTop, shadow.right, middleBottom};
    for (RECT& side : sides)
        if (side.right <= side.left || side.bottom <= side.top) side = {0, 0, 0, 0};
    return sides;
}

void CShadowUI::MoveSides(const SideRects& sides)
{
    HDWP moves = ::BeginDeferWindowPos(kSideCount);
    for (int i = 0; i < kSideCount; ++i) {
        const RECT& at = sides[static_cast<std::size_t>(i)];
        const HWND window = m_sides[static_cast<std::size_t>(i)];
        if (!window || ::IsRectEmpty(&at)) continue;
        const UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
        if (moves) moves = ::DeferWindowPos(moves, window, nullptr, at.left, at.top, 0, 0, flags);
        if (!moves) ::SetWindowPos(window, nullptr, at.left, at.top, 0, 0, flags);
    }
    if (moves) ::EndDeferWindowPos(moves);
    m_placedSides = sides;
}

void CShadowUI::Redraw()
{
    if (!HasWindows() || !m_hOwner) return;
    m_bRedrawPending = false;
    RECT owner{};
    if (!::GetWindowRect(m_hOwner, &owner)) return;
    const RECT place = ShadowRectFor(owner);
    if (!DrawableSize(place)) return;
    const SIZE size = {place.right - place.left, place.bottom - place.top};
    const SideRects sides = SidesOf(place, owner);

    // The windows hold the pixels of this size already: they only move.
    if (!m_bPixelsStale && m_drawnSize.cx == size.cx && m_drawnSize.cy == size.cy) {
        MoveSides(sides);
        return;
    }

    bool drawn = true;
    for (int i = 0; i < kSideCount; ++i) {
        const HWND window = m_sides[static_cast<std::size_t>(i)];
        const RECT& side = sides[static_cast<std::size_t>(i)];
        if (::IsRectEmpty(&side)) {
            ::ShowWindow(window, SW_HIDE);
            continue;
        }
        drawn = DrawSide(window, side, owner, place) && drawn;
        if (m_status & kShown) ::ShowWindow(window, SW_SHOWNA);
    }
    m_placedSides = sides;
    if (drawn) {
        m_bPixelsStale = false;
        m_drawnSize = size;
    }
}

bool CShadowUI::DrawSide(HWND window, const RECT& side, const RECT& owner, const RECT& shadow)
{
    const int width = side.right - side.left;
    const int height = side.bottom - side.top;
    // A new DIB section is all zero (transparent): only the shadow's own
    // pixels are written.
    void* bits = nullptr;
    win32::UniqueBitmap bitmap = CreateTopDownDib(nullptr, width, height, bits);
    win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!bitmap || !dc || !bits) return false;
    win32::SelectedObject selected(dc.get(), bitmap.get());
    // The band in the shadow's own coordinates.
    RECT band = side;
    ::OffsetRect(&band, -shadow.left, -shadow.top);
    if (!m_sImage.IsEmpty()) {
        if (!PaintImage(dc.get(), band, shadow.right - shadow.left, shadow.bottom - shadow.top)) return false;
    } else {
        PaintComputed(bits, band, owner);
    }
    ::GdiFlush();

    ::SetWindowPos(window, nullptr, side.left, side.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    POINT destination = {side.left, side.top};
    SIZE size = {width, height};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return ::UpdateLayeredWindow(window, nullptr, &destination, &size, dc.get(), &source, 0, &blend, ULW_ALPHA) !=
           FALSE;
}

bool CShadowUI::PaintImage(HDC dc, const RECT& band, int width, int height)
{
    if (!m_pResources) return false;
    const TImageInfo* image = m_pResources->ImageFor(m_sImage.View());
    if (!image) image = m_pResources->LoadImageEntry(m_sImage.View(), L"", 0);
    if (!image) return false;
    // The whole nine-grid, as for one window, seen through the band: the
    // bitmap's bounds clip it, so each band has the pixels the whole has.
    POINT previous{};
    ::SetViewportOrgEx(dc, -band.left, -band.top, &previous);
    const RECT whole = {0, 0, width, height};
    const RECT source = {0, 0, image->nWidth, image->nHeight};
    // The image keeps its own alpha; the centre, under the owner, stays empty.
    CSkinRenderer::DrawImagePart(dc, image->hBitmap.get(), whole, whole, source, ScaledCorner(), true, 255, true, false,
                                 false);
    ::SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
    return true;
}

void CShadowUI::PaintComputed(void* bits, const RECT& band, const RECT& owner)
{
    // A soft edge |size| pixels wide around the owner's rectangle, darkest
    // next to it; sharpness steepens the fall-off.
    const int size = m_scale.Scale(std::abs(m_nSize));
    if (size == 0) return;
    const int ownerWidth = owner.right - owner.left;
    const int ownerHeight = owner.bottom - owner.top;
    const double exponent = 1.0 + m_nSharpness / 5.0;
    const BYTE red = GetRValue(m_dwColour), green = GetGValue(m_dwColour), blue = GetBValue(m_dwColour);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    const int width = band.right - band.left;
    for (int y = band.top; y < band.bottom; ++y) {
        const int dy = y < size ? size - y : (y >= size + ownerHeight ? y - (size + ownerHeight) + 1 : 0);
        for (int x = band.left; x < band.right; ++x) {
            const int dx = x < size ? size - x : (x >= size + ownerWidth ? x - (size + ownerWidth) + 1 : 0);
            const double distance = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
            const double strength = std::max(0.0, 1.0 - distance / (size + 1));
            const auto alpha = static_cast<std::uint32_t>(m_nDarkness * std::pow(strength, exponent));
            const std::uint32_t r = red * alpha / 255, g = green * alpha / 255, b = blue * alpha / 255;
            pixels[static_cast<std::size_t>(y - band.top) * static_cast<std::size_t>(width) +
                   static_cast<std::size_t>(x - band.left)] = (alpha << 24) | (r << 16) | (g << 8) | b;
        }
    }
}

}  // namespace SkinUI
