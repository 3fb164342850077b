#include "toolkit/render/SkinPixels.h"

#include <algorithm>
#include <climits>

// The one place stb_image's code is compiled. Images only come from memory.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif
#include "stb_image.h"
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace SkinUI {

bool DecodeSkinPixels(const unsigned char* bytes, std::size_t size, std::uint32_t mask, SkinPixels& out)
{
    out = SkinPixels();
    if (!bytes || size == 0 || size > static_cast<std::size_t>(INT_MAX)) return false;
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(bytes, static_cast<int>(size), &width, &height, &channels, 4);
    if (!rgba) return false;
    if (width <= 0 || height <= 0) {
        stbi_image_free(rgba);
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    out.pixels.resize(count);
    bool hasAlpha = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t r = rgba[i * 4 + 0];
        const std::uint32_t g = rgba[i * 4 + 1];
        const std::uint32_t b = rgba[i * 4 + 2];
        const std::uint32_t a = rgba[i * 4 + 3];
        std::uint32_t pixel;
        if (a == 255) {
            pixel = 0xFF000000u | (r << 16) | (g << 8) | b;
        } else {
            pixel = (a << 24) | ((r * a / 255) << 16) | ((g * a / 255) << 8) | (b * a / 255);
            hasAlpha = true;
        }
        if (pixel == mask) {
            pixel = 0;
            hasAlpha = true;
        }
        out.pixels[i] = pixel;
    }
    stbi_image_free(rgba);
    out.width = width;
    out.height = height;
    out.hasAlpha = hasAlpha;
    return true;
}

namespace {

std::uint32_t Channel(std::uint32_t pixel, int shift)
{
    return (pixel >> shift) & 0xFFu;
}

}  // namespace

void BlendPixels(const PixelBuffer& dest, const SkinRect& destPart, const PixelBuffer& source,
                 const SkinRect& sourcePart, std::uint8_t constantAlpha, bool useSourceAlpha, const SkinRect& clip)
{
    if (!dest.pixels || !source.pixels) return;
    const long long dw = static_cast<long long>(destPart.right) - destPart.left;
    const long long dh = static_cast<long long>(destPart.bottom) - destPart.top;
    const long long sw = static_cast<long long>(sourcePart.right) - sourcePart.left;
    const long long sh = static_cast<long long>(sourcePart.bottom) - sourcePart.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    // The source part must lie inside the source buffer.
    if (sourcePart.left < 0 || sourcePart.top < 0 || sourcePart.right > source.width ||
        sourcePart.bottom > source.height)
        return;
    const long long x0 = std::max<long long>({destPart.left, clip.left, 0});
    const long long y0 = std::max<long long>({destPart.top, clip.top, 0});
    const long long x1 = std::min<long long>({destPart.right, clip.right, dest.width});
    const long long y1 = std::min<long long>({destPart.bottom, clip.bottom, dest.height});
    const std::uint32_t ca = constantAlpha;
    for (long long y = y0; y < y1; ++y) {
        const long long sy = sourcePart.top + (y - destPart.top) * sh / dh;
        const std::uint32_t* srcRow = source.pixels + sy * source.stride;
        std::uint32_t* dstRow = dest.pixels + y * dest.stride;
        for (long long x = x0; x < x1; ++x) {
            const long long sx = sourcePart.left + (x - destPart.left) * sw / dw;
            const std::uint32_t s = srcRow[sx];
            const std::uint32_t d = dstRow[x];
            // Source scaled by the constant alpha, then "over" by its alpha.
            const std::uint32_t sa = useSourceAlpha ? Channel(s, 24) * ca / 255 : ca;
            std::uint32_t result = 0;
            for (int shift = 0; shift <= 24; shift += 8) {
                const std::uint32_t sc = Channel(s, shift) * ca / 255;
                const std::uint32_t dc = Channel(d, shift);
                std::uint32_t v = sc + dc * (255 - sa) / 255;
                if (v > 255) v = 255;
                result |= v << shift;
            }
            dstRow[x] = result;
        }
    }
}

}  // namespace SkinUI
