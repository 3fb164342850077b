#include "tests/toolkit/skinwindow/ShadowedShot.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/Win32Handles.h"
#include "toolkit/package/SkinResources.h"
#include "toolkit/render/DibSection.h"
#include "toolkit/render/SkinRenderer.h"

namespace skintest {

using testsupport::Rgba;
using testsupport::RgbaPixels;

RgbaPixels PackedImage(const wchar_t* name)
{
    std::vector<unsigned char> bytes;
    if (!SkinUI::ReadSkinFile(name, 16u << 20, bytes)) return RgbaPixels();
    return testsupport::DecodeImage(bytes);
}

ShadowedShot ShotWithShadow(PackedSkinWindow& window)
{
    ShadowedShot result;
    SkinUI::CWindowManagerUI& manager = window.Manager();
    const HWND hwnd = window.Handle();
    const RECT corner = manager.Shadow().ScaledCorner();
    result.corner = corner;
    RECT area{};
    ::GetWindowRect(hwnd, &area);
    area = {area.left - corner.left, area.top - corner.top, area.right + corner.right, area.bottom + corner.bottom};
    // The side windows together span the area, each in its band of it.
    const SkinUI::CShadowUI::SideRects bands = SkinUI::CShadowUI::SidesOf(area, [&] {
        RECT owner{};
        ::GetWindowRect(hwnd, &owner);
        return owner;
    }());
    result.placed = manager.Shadow().IsShown() && manager.Shadow().HasWindows();
    for (int i = 0; i < SkinUI::CShadowUI::kSideCount; ++i) {
        RECT side{};
        ::GetWindowRect(manager.Shadow().SideWindows()[static_cast<std::size_t>(i)], &side);
        if (!::EqualRect(&side, &bands[static_cast<std::size_t>(i)])) result.placed = false;
    }

    const RgbaPixels screen = testsupport::CaptureScreen(area);
    const SkinUI::TImageInfo* image = manager.ImageFor(manager.Shadow().Image().View());
    if (!image || screen.empty()) return result;
    void* bits = nullptr;
    win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    win32::UniqueBitmap layer = SkinUI::CreateTopDownDib(dc.get(), screen.width, screen.height, bits);
    if (!dc || !layer) return result;
    {
        win32::SelectedObject selected(dc.get(), layer.get());
        const RECT whole = {0, 0, screen.width, screen.height};
        const RECT source = {0, 0, image->nWidth, image->nHeight};
        SkinUI::CSkinRenderer::DrawImagePart(dc.get(), image->hBitmap.get(), whole, whole, source, corner, true, 255,
                                             true, false, false);
        ::GdiFlush();
    }

    result.picture = screen;
    const auto* bgra = static_cast<const std::uint8_t*>(bits);
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            const bool inWindow = x >= corner.left && x < screen.width - corner.right && y >= corner.top &&
                                  y < screen.height - corner.bottom;
            if (inWindow) continue;
            const std::uint8_t* l = bgra + (static_cast<std::size_t>(y) * screen.width + x) * 4;
            const Rgba premultiplied = {l[2], l[1], l[0], l[3]};
            const Rgba shown = screen.At(x, y);
            if (std::abs(shown.r - premultiplied.r) > 2 || std::abs(shown.g - premultiplied.g) > 2 ||
                std::abs(shown.b - premultiplied.b) > 2)
                ++result.mismatches;
            std::uint8_t* out = &result.picture.rgba[(static_cast<std::size_t>(y) * screen.width + x) * 4];
            const auto blend = [&](int layerValue, int desktop) {
                return static_cast<std::uint8_t>(layerValue + (desktop * (255 - premultiplied.a) + 127) / 255);
            };
            out[0] = blend(premultiplied.r, kDesktop.r);
            out[1] = blend(premultiplied.g, kDesktop.g);
            out[2] = blend(premultiplied.b, kDesktop.b);
        }
    }
    return result;
}

}  // namespace skintest
