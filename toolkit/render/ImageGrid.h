// The geometry of drawing an image part: the nine-grid of corners, edges and
// centre, the hole, and tiling of the centre. Only parts that meet the paint
// rectangle are produced; parts of zero or negative size never are.
#pragma once

#include "toolkit/core/SkinValue.h"

namespace SkinUI {

struct ImageGridPart {
    SkinRect dest;
    SkinRect source;
};

struct ImageGridRequest {
    SkinRect dest;
    SkinRect paint;
    SkinRect source;
    SkinRect corner;  // negative widths count as 0
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
};

class IImageGridSink {
public:
    virtual void DrawPart(const ImageGridPart& part) = 0;

protected:
    ~IImageGridSink() = default;
};

// Gives the parts in drawing order: centre (or its tiles), edges, corners.
// Returns the number of parts given.
int ForEachImageGridPart(const ImageGridRequest& request, IImageGridSink& sink);

// The middle of the nine-grid: destination and source without the corners.
// False when either is empty or a coordinate does not fit in an int.
bool ImageGridCentre(const ImageGridRequest& request, SkinRect& dest, SkinRect& source);

// How many tiles of `tile` pixels one pre-tiled block holds along an axis:
// enough to reach `target` pixels, never more than a run of `run` pixels
// needs, at least 1. Tiling from such blocks keeps the pattern (the block
// is whole tiles) while the number of blits falls by this factor.
int TilesPerBlock(long long tile, long long run, int target);

}  // namespace SkinUI
