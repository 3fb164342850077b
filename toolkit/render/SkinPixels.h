// Skin image pixels: decoding PNG, JPEG, BMP, GIF (first frame), ... into
// premultiplied 32-bit blue-green-red-alpha pixels, and the blend of such
// pixels that AlphaBlend performs (for systems without it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/core/SkinValue.h"

namespace SkinUI {

struct SkinPixels {
    int width = 0;
    int height = 0;
    // Top-down rows; each pixel read as a 32-bit value is 0xAARRGGBB.
    std::vector<std::uint32_t> pixels;
    // Some pixel was not fully opaque or matched the mask.
    bool hasAlpha = false;
};

// Pixels with alpha below 255 are stored premultiplied (channel * alpha / 255);
// a stored pixel equal to the mask becomes fully transparent. False for bytes
// that do not decode.
bool DecodeSkinPixels(const unsigned char* bytes, std::size_t size, std::uint32_t mask, SkinPixels& out);

struct PixelBuffer {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // pixels per row
};

// AlphaBlend's AC_SRC_OVER on premultiplied pixels: the source part is scaled
// to the destination part (nearest pixel), multiplied by the constant alpha,
// and laid over the destination by its own alpha (useSourceAlpha) or by the
// constant alpha alone. Parts are clipped to both buffers and to clip.
void BlendPixels(const PixelBuffer& dest, const SkinRect& destPart, const PixelBuffer& source,
                 const SkinRect& sourcePart, std::uint8_t constantAlpha, bool useSourceAlpha, const SkinRect& clip);

}  // namespace SkinUI
