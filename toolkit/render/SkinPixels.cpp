#include "toolkit/render/SkinPixels.h"

#include <algorithm>
#include <climits>
#include <cmath>
// Four pixels at a time with SSE2: always where the compiler may assume it,
// after a check of the processor where it may not (a 32-bit x86 build).
#if defined(__SSE2__)
#define VRK_SKIN_SSE2 1
#elif defined(__i386__) && (defined(__GNUC__) || defined(__clang__))
#define VRK_SKIN_SSE2 1
#define VRK_SKIN_SSE2_CHECKED 1
#endif
#if defined(VRK_SKIN_SSE2)
#include <emmintrin.h>
#endif
#include <new>
#include <utility>

// The one place stb_image's code is compiled. Images only come from memory.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS SkinUI::kMaxSkinImageSide
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

namespace {

// stb's RGBA copy of an image, freed however the conversion ends.
struct RgbaImage {
    RgbaImage() = default;
    RgbaImage(const RgbaImage&) = delete;
    RgbaImage& operator=(const RgbaImage&) = delete;
    ~RgbaImage() { stbi_image_free(pixels); }
    stbi_uc* pixels = nullptr;
};

class VectorPixelStore final : public ISkinPixelStore {
public:
    explicit VectorPixelStore(SkinPixels& out) : m_out(out) {}
    std::uint32_t* Allocate(int width, int height, std::ptrdiff_t& stride) override
    {
        try {
            m_out.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        m_out.width = width;
        m_out.height = height;
        stride = width;
        return m_out.pixels.data();
    }

private:
    SkinPixels& m_out;
};

}  // namespace

bool DecodeSkinImage(const unsigned char* bytes, std::size_t size, std::uint32_t mask, ISkinPixelStore& store,
                     bool& hasAlpha)
{
    hasAlpha = false;
    if (!bytes || size == 0 || size > static_cast<std::size_t>(INT_MAX)) return false;
    const int length = static_cast<int>(size);
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels)) return false;
    if (width <= 0 || height <= 0 || width > kMaxSkinImageSide || height > kMaxSkinImageSide ||
        static_cast<long long>(width) * height > kMaxSkinImagePixels)
        return false;

    RgbaImage rgba;
    rgba.pixels = stbi_load_from_memory(bytes, length, &width, &height, &channels, 4);
    if (!rgba.pixels || width <= 0 || height <= 0 || width > kMaxSkinImageSide || height > kMaxSkinImageSide ||
        static_cast<long long>(width) * height > kMaxSkinImagePixels)
        return false;

    std::ptrdiff_t stride = 0;
    std::uint32_t* target = store.Allocate(width, height, stride);
    if (!target || stride < width) return false;
    bool translucent = false;
    const stbi_uc* in = rgba.pixels;
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = target + y * stride;
        for (int x = 0; x < width; ++x, in += 4) {
            const std::uint32_t r = in[0];
            const std::uint32_t g = in[1];
            const std::uint32_t b = in[2];
            const std::uint32_t a = in[3];
            std::uint32_t pixel;
            if (a == 255) {
                pixel = 0xFF000000u | (r << 16) | (g << 8) | b;
            } else {
                pixel = (a << 24) | ((r * a / 255) << 16) | ((g * a / 255) << 8) | (b * a / 255);
                translucent = true;
            }
            if (pixel == mask) {
                pixel = 0;
                translucent = true;
            }
            row[x] = pixel;
        }
    }
    hasAlpha = translucent;
    return true;
}

bool DecodeSkinPixels(const unsigned char* bytes, std::size_t size, std::uint32_t mask, SkinPixels& out)
{
    out = SkinPixels();
    SkinPixels decoded;
    VectorPixelStore store(decoded);
    if (!DecodeSkinImage(bytes, size, mask, store, decoded.hasAlpha)) return false;
    out = std::move(decoded);
    return true;
}

namespace {

std::uint32_t Channel(std::uint32_t pixel, int shift)
{
    return (pixel >> shift) & 0xFFu;
}

}  // namespace

namespace {

// One destination pixel under one source pixel: the source scaled by the
// constant alpha, then laid "over" by its alpha.
std::uint32_t Over(std::uint32_t s, std::uint32_t d, std::uint32_t ca, bool useSourceAlpha)
{
    const std::uint32_t sa = useSourceAlpha ? Channel(s, 24) * ca / 255 : ca;
    std::uint32_t result = 0;
    for (int shift = 0; shift <= 24; shift += 8) {
        const std::uint32_t sc = Channel(s, shift) * ca / 255;
        const std::uint32_t dc = Channel(d, shift);
        std::uint32_t v = sc + dc * (255 - sa) / 255;
        if (v > 255) v = 255;
        result |= v << shift;
    }
    return result;
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
    if (dw == sw && dh == sh) {
        // Unscaled, the common case: no per-pixel division for the source
        // position, and opaque or empty source pixels need no arithmetic.
        for (long long y = y0; y < y1; ++y) {
            const std::uint32_t* srcRow = source.pixels + (sourcePart.top + (y - destPart.top)) * source.stride;
            const long long shift = sourcePart.left - static_cast<long long>(destPart.left);
            std::uint32_t* dstRow = dest.pixels + y * dest.stride;
            for (long long x = x0; x < x1; ++x) {
                const std::uint32_t s = srcRow[x + shift];
                if (ca == 255 && useSourceAlpha) {
                    if ((s >> 24) == 255) {
                        dstRow[x] = s;
                        continue;
                    }
                    if (s == 0) continue;
                }
                dstRow[x] = Over(s, dstRow[x], ca, useSourceAlpha);
            }
        }
        return;
    }
    for (long long y = y0; y < y1; ++y) {
        const long long sy = sourcePart.top + (y - destPart.top) * sh / dh;
        const std::uint32_t* srcRow = source.pixels + sy * source.stride;
        std::uint32_t* dstRow = dest.pixels + y * dest.stride;
        if (sw == 1) {
            // One source column (a colour fill): one source pixel per row.
            const std::uint32_t s = srcRow[sourcePart.left];
            for (long long x = x0; x < x1; ++x) dstRow[x] = Over(s, dstRow[x], ca, useSourceAlpha);
            continue;
        }
        for (long long x = x0; x < x1; ++x) {
            const long long sx = sourcePart.left + (x - destPart.left) * sw / dw;
            dstRow[x] = Over(srcRow[sx], dstRow[x], ca, useSourceAlpha);
        }
    }
}

namespace {

// One pixel: each channel source + (destination * (255 - alpha) + 127) / 255,
// two channels at a time in 16-bit lanes ((t + (t >> 8)) >> 8 with t = x +
// 128 is x / 255 rounded, exactly, for every x up to 255 * 255).
inline std::uint32_t OverPremultiplied(std::uint32_t s, std::uint32_t d) noexcept
{
    const std::uint32_t inverse = 255u - (s >> 24);
    std::uint32_t rb = (d & 0x00FF00FFu) * inverse + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    std::uint32_t ag = ((d >> 8) & 0x00FF00FFu) * inverse + 0x00800080u;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    // A premultiplied channel is at most its alpha, so no sum passes 255;
    // a malformed one saturates instead of spilling into its neighbour.
    std::uint32_t sumRb = (s & 0x00FF00FFu) + rb;
    std::uint32_t sumAg = ((s >> 8) & 0x00FF00FFu) + (ag >> 8);
    sumRb = (sumRb | ((sumRb & 0x01000100u) >> 8) * 0xFFu) & 0x00FF00FFu;
    sumAg = (sumAg | ((sumAg & 0x01000100u) >> 8) * 0xFFu) & 0x00FF00FFu;
    return sumRb | (sumAg << 8);
}

#if defined(VRK_SKIN_SSE2)
#if defined(VRK_SKIN_SSE2_CHECKED)
__attribute__((target("sse2")))
#endif
// The pixels of the row in whole groups of four; how many it did.
long long BlendRowSse2(std::uint32_t* dst, const std::uint32_t* src, long long count) noexcept
{
    long long x = 0;
    const __m128i zero = _mm_setzero_si128();
    const __m128i lanes255 = _mm_set1_epi16(255);
    const __m128i lanes128 = _mm_set1_epi16(128);
    for (; x + 4 <= count; x += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + x));
        // Each pixel's alpha in the four 16-bit lanes of its channels.
        __m128i alpha = _mm_srli_epi32(s, 24);
        alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
        const __m128i inverseLow = _mm_sub_epi16(lanes255, _mm_unpacklo_epi32(alpha, alpha));
        const __m128i inverseHigh = _mm_sub_epi16(lanes255, _mm_unpackhi_epi32(alpha, alpha));
        __m128i low = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), inverseLow), lanes128);
        __m128i high = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), inverseHigh), lanes128);
        low = _mm_srli_epi16(_mm_add_epi16(low, _mm_srli_epi16(low, 8)), 8);
        high = _mm_srli_epi16(_mm_add_epi16(high, _mm_srli_epi16(high, 8)), 8);
        const __m128i blended = _mm_adds_epu8(_mm_packus_epi16(low, high), s);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), blended);
    }
    return x;
}
#endif

void BlendRow(std::uint32_t* dst, const std::uint32_t* src, long long count) noexcept
{
    long long x = 0;
#if defined(VRK_SKIN_SSE2_CHECKED)
    static const bool sse2 = __builtin_cpu_supports("sse2");
    if (sse2) x = BlendRowSse2(dst, src, count);
#elif defined(VRK_SKIN_SSE2)
    x = BlendRowSse2(dst, src, count);
#endif
    for (; x < count; ++x) dst[x] = OverPremultiplied(src[x], dst[x]);
}

}  // namespace

void BlendPremultipliedOver(const PixelBuffer& dest, int destLeft, int destTop, const PixelBuffer& source,
                            const SkinRect& sourcePart, const SkinRect& clip)
{
    if (!dest.pixels || !source.pixels) return;
    // The source part inside the source buffer, then its place inside the
    // destination and the clip.
    const long long sl = std::max(sourcePart.left, 0), st = std::max(sourcePart.top, 0);
    const long long sr = std::min(sourcePart.right, source.width), sb = std::min(sourcePart.bottom, source.height);
    if (sl >= sr || st >= sb) return;
    const long long dx = static_cast<long long>(destLeft) - sourcePart.left;
    const long long dy = static_cast<long long>(destTop) - sourcePart.top;
    const long long x0 = std::max<long long>({sl + dx, clip.left, 0});
    const long long y0 = std::max<long long>({st + dy, clip.top, 0});
    const long long x1 = std::min<long long>({sr + dx, clip.right, dest.width});
    const long long y1 = std::min<long long>({sb + dy, clip.bottom, dest.height});
    if (x0 >= x1 || y0 >= y1) return;
    for (long long y = y0; y < y1; ++y) {
        std::uint32_t* dstRow = dest.pixels + y * dest.stride + x0;
        const std::uint32_t* srcRow = source.pixels + (y - dy) * source.stride + (x0 - dx);
        BlendRow(dstRow, srcRow, x1 - x0);
    }
}

namespace {

// The longest run of indexes 0..count-1 for which `on` holds: [from, to).
template <typename Test>
void LongestRun(int count, Test on, int& from, int& to)
{
    from = to = 0;
    int start = -1;
    for (int i = 0; i <= count; ++i) {
        if (i < count && on(i)) {
            if (start < 0) start = i;
            continue;
        }
        if (start >= 0 && i - start > to - from) {
            from = start;
            to = i;
        }
        start = -1;
    }
}

}  // namespace

PixelCoverage MeasurePixelCoverage(const PixelBuffer& buffer)
{
    PixelCoverage coverage;
    const int w = buffer.width, h = buffer.height;
    if (!buffer.pixels || w <= 0 || h <= 0 || buffer.stride < w) return coverage;
    auto at = [&](int x, int y) { return buffer.pixels[static_cast<std::ptrdiff_t>(y) * buffer.stride + x]; };
    int left = w, top = h, right = 0, bottom = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (at(x, y) != 0) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
    if (left < right) coverage.visible = {left, top, right, bottom};
    // Painting calls this: no allocation, so no failure.
    auto opaqueColumn = [&](int x) {
        for (int y = 0; y < h; ++y)
            if ((at(x, y) >> 24) != 0xFF) return false;
        return true;
    };
    auto opaqueRow = [&](int y) {
        for (int x = 0; x < w; ++x)
            if ((at(x, y) >> 24) != 0xFF) return false;
        return true;
    };
    int c0, c1, r0, r1;
    LongestRun(w, opaqueColumn, c0, c1);
    LongestRun(h, opaqueRow, r0, r1);
    const long long columnArea = static_cast<long long>(c1 - c0) * h;
    const long long rowArea = static_cast<long long>(r1 - r0) * w;
    if (columnArea >= rowArea && columnArea > 0)
        coverage.opaque = {c0, 0, c1, h};
    else if (rowArea > 0)
        coverage.opaque = {0, r0, w, r1};
    return coverage;
}

namespace {

// The source pixels under one destination pixel of one axis, with their
// weights (summing to 1).
struct AxisTaps {
    std::vector<int> first;    // per destination index: the first source index
    std::vector<int> count;    // and how many follow
    std::vector<float> weights;  // `width` per destination index
    int width = 0;
};

AxisTaps TapsFor(int sourceSize, int destSize)
{
    AxisTaps taps;
    const double ratio = static_cast<double>(sourceSize) / destSize;
    const double support = std::max(1.0, ratio);  // in source pixels, each side
    taps.width = static_cast<int>(std::ceil(support * 2)) + 1;
    taps.first.resize(static_cast<std::size_t>(destSize));
    taps.count.resize(static_cast<std::size_t>(destSize));
    taps.weights.assign(static_cast<std::size_t>(destSize) * static_cast<std::size_t>(taps.width), 0.0f);
    for (int d = 0; d < destSize; ++d) {
        const double centre = (d + 0.5) * ratio - 0.5;
        const int from = static_cast<int>(std::floor(centre - support)) + 1;
        float* w = &taps.weights[static_cast<std::size_t>(d) * static_cast<std::size_t>(taps.width)];
        double total = 0;
        int n = 0;
        for (int i = from; i < from + taps.width; ++i, ++n) {
            const double weight = std::max(0.0, 1.0 - std::fabs(i - centre) / support);
            w[n] = static_cast<float>(weight);
            total += weight;
        }
        for (int i = 0; i < n; ++i) w[i] = static_cast<float>(w[i] / total);
        taps.first[static_cast<std::size_t>(d)] = from;
        taps.count[static_cast<std::size_t>(d)] = n;
    }
    return taps;
}

}  // namespace

bool ResamplePixels(const PixelBuffer& source, const PixelBuffer& dest, bool& hasAlpha)
{
    hasAlpha = false;
    if (!source.pixels || !dest.pixels || source.width <= 0 || source.height <= 0 || dest.width <= 0 ||
        dest.height <= 0 || source.stride < source.width || dest.stride < dest.width)
        return false;
    bool translucent = false;
    try {
        const AxisTaps columns = TapsFor(source.width, dest.width);
        const AxisTaps rows = TapsFor(source.height, dest.height);
        // One source-wide row of the vertical pass at a time.
        std::vector<float> row(static_cast<std::size_t>(source.width) * 4);
        for (int y = 0; y < dest.height; ++y) {
            std::fill(row.begin(), row.end(), 0.0f);
            const float* wy = &rows.weights[static_cast<std::size_t>(y) * static_cast<std::size_t>(rows.width)];
            for (int t = 0; t < rows.count[static_cast<std::size_t>(y)]; ++t) {
                if (wy[t] == 0.0f) continue;
                const int sy = std::clamp(rows.first[static_cast<std::size_t>(y)] + t, 0, source.height - 1);
                const std::uint32_t* in = source.pixels + static_cast<std::ptrdiff_t>(sy) * source.stride;
                for (int x = 0; x < source.width; ++x) {
                    const std::uint32_t p = in[x];
                    float* out = &row[static_cast<std::size_t>(x) * 4];
                    for (int c = 0; c < 4; ++c) out[c] += wy[t] * static_cast<float>(Channel(p, c * 8));
                }
            }
            std::uint32_t* out = dest.pixels + static_cast<std::ptrdiff_t>(y) * dest.stride;
            for (int x = 0; x < dest.width; ++x) {
                const float* wx =
                    &columns.weights[static_cast<std::size_t>(x) * static_cast<std::size_t>(columns.width)];
                float sum[4] = {0, 0, 0, 0};
                for (int t = 0; t < columns.count[static_cast<std::size_t>(x)]; ++t) {
                    if (wx[t] == 0.0f) continue;
                    const int sx = std::clamp(columns.first[static_cast<std::size_t>(x)] + t, 0, source.width - 1);
                    const float* p = &row[static_cast<std::size_t>(sx) * 4];
                    for (int c = 0; c < 4; ++c) sum[c] += wx[t] * p[c];
                }
                const auto channel = [&](int c, std::uint32_t limit) {
                    const long v = std::lround(sum[c]);
                    return static_cast<std::uint32_t>(std::clamp<long>(v, 0, static_cast<long>(limit)));
                };
                const std::uint32_t a = channel(3, 255);
                // Premultiplied: no colour above its alpha.
                const std::uint32_t pixel = (a << 24) | (channel(2, a) << 16) | (channel(1, a) << 8) | channel(0, a);
                if (a != 255) translucent = true;
                out[x] = pixel;
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    hasAlpha = translucent;
    return true;
}

}  // namespace SkinUI
