// Screenshots of skinned windows built from the packed skin, with their
// drop shadows as a desktop would show them.
#pragma once

#include <windows.h>

#include "tests/support/ScreenPixels.h"
#include "tests/toolkit/skinwindow/SkinTestWindows.h"

namespace skintest {

// The desktop the saved pictures show around the windows.
constexpr testsupport::Rgba kDesktop = {0xE4, 0xE8, 0xEE, 255};

// A packed image (from the opened skin source) decoded as straight RGBA.
testsupport::RgbaPixels PackedImage(const wchar_t* name);

// What a window with its shadow looks like on a light desktop. The test
// display has no compositor: it shows a layered window's premultiplied
// pixels as they are, over black. So the window comes from the screen, the
// shadow window is checked against its nine-grid drawn by the renderer as the
// shadow draws it (at the window's scale), and that layer is then blended
// over the desktop here.
struct ShadowedShot {
    testsupport::RgbaPixels picture;
    RECT corner{};        // the shadow's reach past the window, on each side
    int mismatches = 0;   // shadow pixels on screen that differ from the layer
    bool placed = false;  // the shadow window surrounds the window by its corners
};
ShadowedShot ShotWithShadow(PackedSkinWindow& window);

}  // namespace skintest
