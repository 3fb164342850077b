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

// The largest image a skin may hold. A few bytes of header can claim any
// size, so larger images are refused before pixel memory is taken.
constexpr int kMaxSkinImageSide = 16384;
constexpr long long kMaxSkinImagePixels = 4096LL * 4096LL;

// Where decoded pixels go: the caller owns the storage (a DIB section's
// bits), so an image is converted straight into its final place.
class ISkinPixelStore {
public:
    // Storage for `height` rows of `width` pixels, row starts `stride`
    // pixels apart (stride >= width), top row first. None when it cannot be
    // had.
    virtual std::uint32_t* Allocate(int width, int height, std::ptrdiff_t& stride) = 0;

protected:
    ~ISkinPixelStore() = default;
};

// Decodes into the store's pixels in one pass: pixels with alpha below 255
// are stored premultiplied (channel * alpha / 255); a stored pixel equal to
// the mask becomes fully transparent. False (and nothing left allocated by
// the decoder) for bytes that do not decode, an image above the limits, or
// a store without storage.
bool DecodeSkinImage(const unsigned char* bytes, std::size_t size, std::uint32_t mask, ISkinPixelStore& store,
                     bool& hasAlpha);

// DecodeSkinImage into a vector; also false when the vector cannot grow.
bool DecodeSkinPixels(const unsigned char* bytes, std::size_t size, std::uint32_t mask, SkinPixels& out);

struct PixelBuffer {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // pixels per row
};

// Where premultiplied pixels show and where they hide what lies beneath:
// the bounds of the pixels that are not zero (blending a zero pixel leaves
// the destination as it is) and one rectangle of opaque pixels (blending
// those is copying them): the widest band of whole opaque columns or rows.
// Empty rectangles when there are none.
struct PixelCoverage {
    SkinRect visible;
    SkinRect opaque;
};
PixelCoverage MeasurePixelCoverage(const PixelBuffer& pixels);

// Resamples premultiplied pixels to the destination's size with a tent
// filter as wide as one destination pixel (area-weighted when shrinking,
// bilinear when growing), so an image of a larger set shrinks to a display's
// scale without dropping lines. Edges repeat their outermost pixels.
// `hasAlpha` tells whether some pixel came out not opaque. False when a
// buffer is empty or the weights cannot be had.
bool ResamplePixels(const PixelBuffer& source, const PixelBuffer& dest, bool& hasAlpha);

// AlphaBlend's AC_SRC_OVER on premultiplied pixels: the source part is scaled
// to the destination part (nearest pixel), multiplied by the constant alpha,
// and laid over the destination by its own alpha (useSourceAlpha) or by the
// constant alpha alone. Parts are clipped to both buffers and to clip.
void BlendPixels(const PixelBuffer& dest, const SkinRect& destPart, const PixelBuffer& source,
                 const SkinRect& sourcePart, std::uint8_t constantAlpha, bool useSourceAlpha, const SkinRect& clip);

// The most common blend, unscaled premultiplied pixels over the destination
// at full opacity, with the arithmetic of the system's AlphaBlend (the same
// bytes as Wine's: each channel, alpha included, becomes source +
// (destination × (255 − source alpha) + 127) / 255) at a fraction of its
// cost (four pixels at a time where the processor can). The source part
// goes to (destLeft, destTop); everything is clipped to both buffers and to
// clip.
void BlendPremultipliedOver(const PixelBuffer& dest, int destLeft, int destTop, const PixelBuffer& source,
                            const SkinRect& sourcePart, const SkinRect& clip);

}  // namespace SkinUI
