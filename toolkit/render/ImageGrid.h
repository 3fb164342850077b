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

}  // namespace SkinUI
