// The stand-in portal page without drawing: where its parts sit in a view of
// a given size and the texts its script hands to window.external.
// Portable (no platform headers).
#pragma once

#include <string>
#include <string_view>

namespace engine {

struct PageRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    int CenterX() const { return left + (right - left) / 2; }
    int CenterY() const { return top + (bottom - top) / 2; }
};

enum class PagePart { None, Start, Minimise, Close, Drag, Link };

struct PortalLayout {
    PageRect title;
    PageRect start;
    PageRect minimise;
    PageRect close;
    PageRect drag;  // the top bar left of the two links
    PageRect link;  // the news link, opened in a new window

    PagePart HitTest(int x, int y) const;
    const PageRect* Rect(PagePart part) const;
};

// The parts in a view of width x height device pixels at an optical zoom
// (percent): the page is laid out in its own pixels (the view's size at
// 100 %) and every part scaled to the view, as a browser's zoom does.
PortalLayout ComputePortalLayout(int width, int height, int zoomPercent = 100);

// The zooms a page takes (OLECMDID_OPTICAL_ZOOM's range).
constexpr int kMinZoomPercent = 10;
constexpr int kMaxZoomPercent = 1000;

// A side of the view in the page's own pixels at a zoom, rounded up so the
// page covers the whole view.
int PageSide(int deviceSide, int zoomPercent);

// The part named in a scenario "click" action (start, min, close, drag, link).
PagePart PartFromName(std::string_view name);
const char* PartName(PagePart part);

// The value of a query key in an address, as written (the launcher does not
// escape its parameters, so neither does the page); empty when absent.
std::string QueryValue(std::string_view url, std::string_view key);

// The argument texts of g_callCppFunc for the page's parts.
std::string OpenGameRequest(std::string_view token, std::string_view qxext);
std::string CommandRequest(std::string_view command);

// A JSON string literal (quotes included) of UTF-8 text.
std::string JsonString(std::string_view text);

}  // namespace engine
