// Draws the stand-in portal page with GDI: what the demo's screenshot shows.
#pragma once

#include "tools/BrowserEngine/PortalPageModel.h"

#include <windows.h>

#include <string>

namespace engine {

struct PortalView {
    enum class State { Blank, Loading, Page, ErrorPage };
    State state = State::Blank;
    std::wstring url;
    PagePart hot = PagePart::None;
    PagePart pressed = PagePart::None;
    bool border3d = true;  // until the host asks for DOCHOSTUIFLAG_NO3DBORDER
    int zoom = 100;        // the optical zoom the host gave, in percent
};

// Paints the page into bounds of dc (off-screen first, so a window does not
// flicker), at the view's zoom: drawn in the page's own pixels through a
// world transform, so text and shapes are drawn at the device's size, not
// stretched.
void PaintPortalPage(HDC dc, const RECT& bounds, const PortalView& view);

}  // namespace engine
