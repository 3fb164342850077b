#include "tools/BrowserEngine/PortalPageModel.h"

#include <algorithm>
#include <cstdio>

namespace engine {

PagePart PortalLayout::HitTest(int x, int y) const
{
    // Links first: they sit inside the top bar.
    if (minimise.Contains(x, y)) return PagePart::Minimise;
    if (close.Contains(x, y)) return PagePart::Close;
    if (start.Contains(x, y)) return PagePart::Start;
    if (link.Contains(x, y)) return PagePart::Link;
    if (drag.Contains(x, y)) return PagePart::Drag;
    return PagePart::None;
}

const PageRect* PortalLayout::Rect(PagePart part) const
{
    switch (part) {
    case PagePart::Start: return &start;
    case PagePart::Minimise: return &minimise;
    case PagePart::Close: return &close;
    case PagePart::Drag: return &drag;
    case PagePart::Link: return &link;
    case PagePart::None: break;
    }
    return nullptr;
}

namespace {

PortalLayout LayoutInPagePixels(int width, int height)
{
    PortalLayout layout;
    const int bar = 36;
    const int linkWidth = 40;
    layout.close = {width - linkWidth, 0, width, bar};
    layout.minimise = {width - 2 * linkWidth, 0, width - linkWidth, bar};
    layout.drag = {0, 0, std::max(0, width - 2 * linkWidth), bar};

    const int titleHeight = std::max(40, height / 6);
    const int titleTop = bar + std::max(0, (height - bar) / 5);
    layout.title = {0, titleTop, width, titleTop + titleHeight};

    const int buttonWidth = std::min(280, std::max(120, width / 3));
    const int buttonHeight = std::min(72, std::max(36, height / 9));
    const int buttonTop = std::max(layout.title.bottom + 16, height * 3 / 5);
    layout.start = {(width - buttonWidth) / 2, buttonTop, (width + buttonWidth) / 2, buttonTop + buttonHeight};

    const int linkTop = std::max(layout.start.bottom + 8, height - 40);
    layout.link = {width / 2 - 130, linkTop, width / 2 + 130, linkTop + 24};
    return layout;
}

int Zoomed(int value, int zoom)
{
    const long long scaled = static_cast<long long>(value) * zoom;
    return static_cast<int>(scaled >= 0 ? (scaled + 50) / 100 : -((-scaled + 50) / 100));
}

PageRect Zoomed(const PageRect& r, int zoom)
{
    return {Zoomed(r.left, zoom), Zoomed(r.top, zoom), Zoomed(r.right, zoom), Zoomed(r.bottom, zoom)};
}

}  // namespace

int PageSide(int deviceSide, int zoomPercent)
{
    const long long zoom = std::clamp(zoomPercent, kMinZoomPercent, kMaxZoomPercent);
    return static_cast<int>((static_cast<long long>(std::max(deviceSide, 0)) * 100 + zoom - 1) / zoom);
}

PortalLayout ComputePortalLayout(int width, int height, int zoomPercent)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    const int zoom = std::clamp(zoomPercent, kMinZoomPercent, kMaxZoomPercent);
    if (zoom == 100) return LayoutInPagePixels(width, height);
    const PortalLayout page = LayoutInPagePixels(PageSide(width, zoom), PageSide(height, zoom));
    PortalLayout layout;
    layout.title = Zoomed(page.title, zoom);
    layout.start = Zoomed(page.start, zoom);
    layout.minimise = Zoomed(page.minimise, zoom);
    layout.close = Zoomed(page.close, zoom);
    layout.drag = Zoomed(page.drag, zoom);
    layout.link = Zoomed(page.link, zoom);
    return layout;
}

PagePart PartFromName(std::string_view name)
{
    if (name == "start") return PagePart::Start;
    if (name == "min") return PagePart::Minimise;
    if (name == "close") return PagePart::Close;
    if (name == "drag") return PagePart::Drag;
    if (name == "link") return PagePart::Link;
    return PagePart::None;
}

const char* PartName(PagePart part)
{
    switch (part) {
    case PagePart::Start: return "start";
    case PagePart::Minimise: return "min";
    case PagePart::Close: return "close";
    case PagePart::Drag: return "drag";
    case PagePart::Link: return "link";
    case PagePart::None: break;
    }
    return "none";
}

std::string QueryValue(std::string_view url, std::string_view key)
{
    const size_t hash = url.find('#');
    if (hash != std::string_view::npos) url = url.substr(0, hash);
    const size_t question = url.find('?');
    if (question == std::string_view::npos) return {};
    std::string_view query = url.substr(question + 1);
    while (!query.empty()) {
        const size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
        const size_t eq = pair.find('=');
        if (pair.substr(0, eq) == key) return eq == std::string_view::npos ? std::string{} : std::string(pair.substr(eq + 1));
    }
    return {};
}

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string OpenGameRequest(std::string_view token, std::string_view qxext)
{
    return "{\"funcation_name\":\"open_game\",\"token\":" + JsonString(token) + ",\"qxext\":" + JsonString(qxext) + "}";
}

std::string CommandRequest(std::string_view command)
{
    return "{\"funcation_name\":" + JsonString(command) + "}";
}

}  // namespace engine
