// Drawing skin images: descriptors, and image parts with nine-grid corners,
// hole, fade and tiling, opaque or blended.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

#include "toolkit/render/ImageDescriptor.h"
#include "toolkit/render/RenderResourcesUI.h"

namespace SkinUI {

// Draws every image of a descriptor (then the modifier) into the control
// rectangle. False only when a named image cannot be obtained.
bool DrawImageDescriptor(HDC hdc, IRenderResourcesUI* resources, const RECT& control, const RECT& paint,
                         std::wstring_view descriptor, std::wstring_view modifier);
// The same from texts or pairs read before.
bool DrawImageDescriptor(HDC hdc, IRenderResourcesUI* resources, const RECT& control, const RECT& paint,
                         const ImageDescriptorInput& descriptor, const ImageDescriptorInput& modifier);

// Whether drawing the descriptor fills the whole control with opaque pixels:
// an image already loaded, without alpha, copied or stretched over the
// control. An image not loaded yet counts as not known, so false.
bool ImageDescriptorCoversControl(IRenderResourcesUI* resources, const RECT& control,
                                  const CImageDescriptorPairs& descriptor);

// Draws part `source` of a bitmap into `dest`, only where it meets `paint`.
// A small tiled centre is first repeated into a block of whole tiles, so a
// 1 x 1 tile over a window costs a handful of blits, not one per pixel.
// Returns the number of blits made.
int DrawImagePart(HDC hdc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                  const RECT& corners, bool useAlpha, BYTE fade, bool hole, bool xtiled, bool ytiled);

// The same, knowing the coverage of the bitmap's pixels (none: unknown).
int DrawCoveredImagePart(HDC hdc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                         const RECT& corners, bool useAlpha, BYTE fade, bool hole, bool xtiled, bool ytiled,
                         const PixelCoverage* coverage);

// AlphaBlend's blend done on the pixels, for systems whose msimg32 lacks
// it. Both DCs need a 32-bit DIB section selected; false when one has not.
bool SoftwareAlphaBlend(HDC hdc, HDC source, const RECT& dest, const RECT& sourcePart, BYTE fade);

}  // namespace SkinUI
