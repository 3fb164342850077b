// The scales a skin's art is drawn at. The build rasterises every vector
// image at 100, 125, 150 and 200 % and packs the sets side by side: the
// 100 % image under its own name ("gmin_normal.png") and the others with
// the scale before the extension ("gmin_normal@150.png"). Each set's pixel
// size is the logical size scaled as CDisplayScale does, so an image of a
// set lines up with the layout at that scale pixel for pixel. Portable.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "toolkit/core/DisplayScale.h"

namespace SkinUI {

constexpr std::array<int, 4> kImageSetPercents = {100, 125, 150, 200};

// The DPI a set was drawn at: 150 % is 144.
constexpr int ImageSetDpi(int percent)
{
    return percent * kLogicalDpi / 100;
}

// The sets to try for a display, best first: its own; then the larger ones,
// nearest first (scaled down: nothing is lost); then the smaller ones,
// nearest first (scaled up). Returns the number written (always all sets).
std::size_t ImageSetOrder(const CDisplayScale& display, std::array<int, kImageSetPercents.size()>& order);

// The name of an image in a set: "@<percent>" before the extension of the
// last path part; the 100 % set is the name itself.
std::wstring ImageSetName(std::wstring_view name, int percent);

// The side of an image from a set as a display shows it: through the
// logical size the set was drawn from.
int ImageSideAt(int side, int setPercent, const CDisplayScale& display);

}  // namespace SkinUI
