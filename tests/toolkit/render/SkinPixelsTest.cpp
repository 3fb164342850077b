#include "toolkit/render/SkinPixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>
#include <string>

#include "tests/toolkit/TestImages.h"

namespace {

using namespace SkinUI;

SkinPixels Decode(const std::string& bytes, std::uint32_t mask = 0)
{
    SkinPixels pixels;
    EXPECT_TRUE(DecodeSkinPixels(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), mask, pixels));
    return pixels;
}

TEST(SkinPixelsTest, PremultipliesTranslucentPixels)
{
    // 0xAARRGGBB in, premultiplied 0xAARRGGBB out (blue, green, red, alpha bytes).
    struct Case {
        std::uint32_t in, out;
    } cases[] = {
        {0xFFFF0000u, 0xFFFF0000u},  // opaque: copied
        {0x80FF0000u, 0x80800000u},  // 255 * 128 / 255
        {0x64C8C8C8u, 0x644E4E4Eu},  // 200 * 100 / 255 = 78.4: integer division
        {0x00FFFFFFu, 0x00000000u},  // fully transparent
        {0x01FFFFFFu, 0x01010101u},
    };
    std::vector<std::uint32_t> in;
    for (const Case& c : cases) in.push_back(c.in);
    const SkinPixels pixels = Decode(testimages::EncodePng(static_cast<int>(in.size()), 1, in));
    ASSERT_EQ(pixels.width, static_cast<int>(in.size()));
    ASSERT_EQ(pixels.height, 1);
    for (std::size_t i = 0; i < in.size(); ++i) EXPECT_EQ(pixels.pixels[i], cases[i].out) << std::hex << cases[i].in;
    EXPECT_TRUE(pixels.hasAlpha);
}

TEST(SkinPixelsTest, OpaqueImageHasNoAlphaUntilTheMaskMatches)
{
    const std::vector<std::uint32_t> in = {0xFFFF00FFu, 0xFF00FF00u, 0xFFFF00FFu, 0xFF0000FFu};
    const std::string png = testimages::EncodePng(2, 2, in);

    const SkinPixels plain = Decode(png);
    EXPECT_FALSE(plain.hasAlpha);
    EXPECT_EQ(plain.pixels, in);

    // The mask compares the stored pixel, alpha included.
    const SkinPixels masked = Decode(png, 0xFFFF00FFu);
    EXPECT_TRUE(masked.hasAlpha);
    EXPECT_EQ(masked.pixels, (std::vector<std::uint32_t>{0, 0xFF00FF00u, 0, 0xFF0000FFu}));

    const SkinPixels noAlphaMask = Decode(png, 0x00FF00FFu);  // "#FF00FF" reads as alpha 0
    EXPECT_FALSE(noAlphaMask.hasAlpha);
    EXPECT_EQ(noAlphaMask.pixels, in);
}

TEST(SkinPixelsTest, DecodesJpegAsOpaque)
{
    const SkinPixels pixels = Decode(testimages::EncodeJpeg(8, 8, testimages::Solid(8, 8, 0xFF2040C0u)));
    ASSERT_EQ(pixels.width, 8);
    EXPECT_FALSE(pixels.hasAlpha);
    const std::uint32_t p = pixels.pixels[27];
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 0x20, 6);
    EXPECT_NEAR(static_cast<int>(p & 0xFF), 0xC0, 6);
}

TEST(SkinPixelsTest, UndecodableBytesFailCleanly)
{
    const std::string png = testimages::EncodePng(4, 4, testimages::Solid(4, 4, 0xFF000000u));
    const std::string inputs[] = {
        "", "not an image", png.substr(0, png.size() / 2), png.substr(0, 8),
        std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, '\xff'),
    };
    for (const std::string& bytes : inputs) {
        SkinPixels pixels;
        pixels.width = 99;
        EXPECT_FALSE(DecodeSkinPixels(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 0, pixels))
            << bytes.size();
        EXPECT_EQ(pixels.width, 0);
        EXPECT_TRUE(pixels.pixels.empty());
    }
    SkinPixels pixels;
    EXPECT_FALSE(DecodeSkinPixels(nullptr, 10, 0, pixels));
}

// Records what the decoder asks of it; gives rows `stride` pixels apart, or
// nothing at all (the allocation that fails).
class RecordingStore final : public ISkinPixelStore {
public:
    RecordingStore(std::ptrdiff_t padding, bool fail) : m_padding(padding), m_fail(fail) {}
    std::uint32_t* Allocate(int width, int height, std::ptrdiff_t& stride) override
    {
        ++calls;
        if (m_fail) return nullptr;
        stride = width + m_padding;
        this->stride = stride;
        pixels.assign(static_cast<std::size_t>(stride) * height, kUntouched);
        return pixels.data();
    }

    static constexpr std::uint32_t kUntouched = 0xDEADBEEFu;
    int calls = 0;
    std::ptrdiff_t stride = 0;
    std::vector<std::uint32_t> pixels;

private:
    std::ptrdiff_t m_padding;
    bool m_fail;
};

void PutLe(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutBe(std::string& out, std::uint32_t value)
{
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A 32-bit BMP header claiming a size, with no pixel data behind it.
std::string BmpHeader(std::uint32_t width, std::uint32_t height)
{
    std::string bmp = "BM";
    PutLe(bmp, 54, 4);  // file size (not checked)
    PutLe(bmp, 0, 4);
    PutLe(bmp, 54, 4);  // pixel data offset
    PutLe(bmp, 40, 4);
    PutLe(bmp, width, 4);
    PutLe(bmp, height, 4);
    PutLe(bmp, 1, 2);   // planes
    PutLe(bmp, 32, 2);  // bits per pixel
    for (int i = 0; i < 6; ++i) PutLe(bmp, 0, 4);
    return bmp;
}

// A PNG signature and header chunk claiming a size, and no image data.
std::string PngHeader(std::uint32_t width, std::uint32_t height)
{
    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutBe(png, 13);
    png += "IHDR";
    PutBe(png, width);
    PutBe(png, height);
    png += std::string("\x08\x06\x00\x00\x00", 5);  // 8-bit RGBA
    PutBe(png, 0);                                     // CRC (not checked)
    return png;
}

TEST(SkinPixelsTest, DecodesStraightIntoTheStoresRows)
{
    const std::vector<std::uint32_t> in = {0xFFFF0000u, 0x80FF0000u, 0xFF0000FFu,
                                           0xFF00FF00u, 0xFFFFFFFFu, 0x00FFFFFFu};
    const std::string png = testimages::EncodePng(3, 2, in);
    RecordingStore store(2, false);
    bool hasAlpha = false;
    ASSERT_TRUE(DecodeSkinImage(reinterpret_cast<const unsigned char*>(png.data()), png.size(), 0, store, hasAlpha));
    EXPECT_EQ(store.calls, 1);
    EXPECT_TRUE(hasAlpha);
    const std::vector<std::uint32_t> expected = {0xFFFF0000u, 0x80800000u, 0xFF0000FFu, RecordingStore::kUntouched,
                                                 RecordingStore::kUntouched,
                                                 0xFF00FF00u, 0xFFFFFFFFu, 0x00000000u, RecordingStore::kUntouched,
                                                 RecordingStore::kUntouched};
    EXPECT_EQ(store.pixels, expected);  // rows start `stride` apart; the padding is not written
}

TEST(SkinPixelsTest, HugeOrUnstorableImagesFailWithoutThrowing)
{
    const std::string small = testimages::EncodePng(4, 4, testimages::Solid(4, 4, 0xFF102030u));
    struct Case {
        const char* what;
        std::string bytes;
        bool storeFails;
        int allocations;  // how often the store is asked
    } cases[] = {
        {"BMP header claiming 16000 x 16000", BmpHeader(16000, 16000), false, 0},
        {"BMP header claiming 20000 x 1", BmpHeader(20000, 1), false, 0},
        {"PNG header claiming 5000 x 5000", PngHeader(5000, 5000), false, 0},
        {"PNG header claiming 4000000000 x 2", PngHeader(4000000000u, 2), false, 0},
        {"a small image whose storage cannot be had", small, true, 1},
    };
    for (const Case& c : cases) {
        RecordingStore store(0, c.storeFails);
        bool hasAlpha = true;
        bool decoded = true;
        EXPECT_NO_THROW(decoded = DecodeSkinImage(reinterpret_cast<const unsigned char*>(c.bytes.data()),
                                                  c.bytes.size(), 0, store, hasAlpha))
            << c.what;
        EXPECT_FALSE(decoded) << c.what;
        EXPECT_FALSE(hasAlpha) << c.what;
        EXPECT_EQ(store.calls, c.allocations) << c.what;

        if (c.allocations == 0) {  // refused on its header: the vector form refuses it too
            SkinPixels pixels;
            EXPECT_FALSE(DecodeSkinPixels(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size(), 0,
                                          pixels))
                << c.what;
        }
    }
    // The limits themselves still decode.
    const std::string wide =
        testimages::EncodePng(kMaxSkinImageSide, 1, testimages::Solid(kMaxSkinImageSide, 1, 0xFF000000u));
    SkinPixels pixels;
    EXPECT_TRUE(DecodeSkinPixels(reinterpret_cast<const unsigned char*>(wide.data()), wide.size(), 0, pixels));
    EXPECT_EQ(pixels.width, kMaxSkinImageSide);
}

TEST(SkinPixelsTest, BlendsLikeAlphaBlend)
{
    std::vector<std::uint32_t> dst(9, 0xFFFFFFFFu);
    std::uint32_t src = 0x80800000u;  // red at half alpha, premultiplied
    PixelBuffer dest{dst.data(), 3, 3, 3};
    PixelBuffer source{&src, 1, 1, 1};
    const SkinRect everywhere = {0, 0, 3, 3};

    // Source over white: R = 128 + 255 * 127 / 255, G = B = 127, A = 255.
    BlendPixels(dest, {0, 0, 2, 2}, source, {0, 0, 1, 1}, 255, true, everywhere);
    EXPECT_EQ(dst[0], 0xFFFF7F7Fu);
    EXPECT_EQ(dst[4], 0xFFFF7F7Fu);  // stretched over 2 x 2
    EXPECT_EQ(dst[2], 0xFFFFFFFFu);

    // Constant alpha scales the source first.
    std::vector<std::uint32_t> dst2(1, 0xFF000000u);
    std::uint32_t white = 0xFFFFFFFFu;
    BlendPixels({dst2.data(), 1, 1, 1}, {0, 0, 1, 1}, {&white, 1, 1, 1}, {0, 0, 1, 1}, 128, true, everywhere);
    EXPECT_EQ(dst2[0], 0xFF808080u);

    // The clip and the buffer bounds limit the writes; a source part outside the source draws nothing.
    std::vector<std::uint32_t> dst3(9, 0u);
    BlendPixels({dst3.data(), 3, 3, 3}, {-5, -5, 10, 10}, {&white, 1, 1, 1}, {0, 0, 1, 1}, 255, true, {1, 1, 2, 2});
    EXPECT_EQ(dst3, (std::vector<std::uint32_t>{0, 0, 0, 0, 0xFFFFFFFFu, 0, 0, 0, 0}));
    BlendPixels({dst3.data(), 3, 3, 3}, {0, 0, 3, 3}, {&white, 1, 1, 1}, {0, 0, 2, 2}, 255, true, everywhere);
    EXPECT_EQ(dst3[0], 0u);
}

// The system's AlphaBlend (as Wine computes it; the pixel tests compare with
// its results): per channel, alpha included, s + (d * (255 - a) + 127) / 255.
std::uint32_t ReferenceOver(std::uint32_t s, std::uint32_t d)
{
    const std::uint32_t a = s >> 24;
    std::uint32_t result = 0;
    for (int shift = 0; shift <= 24; shift += 8) {
        const std::uint32_t v = ((s >> shift) & 0xFF) + (((d >> shift) & 0xFF) * (255 - a) + 127) / 255;
        result |= v << shift;
    }
    return result;
}

// Every alpha, every destination value, premultiplied channels up to the
// alpha: the fast blend (four pixels at a time and one by one) gives the
// reference's bytes. Rows of 7 pixels take both ways.
TEST(SkinPixelsTest, PremultipliedOverHasTheSystemBlendsBytes)
{
    constexpr int kWidth = 7;
    std::vector<std::uint32_t> src, dst, expected;
    for (std::uint32_t a = 0; a < 256; ++a) {
        for (std::uint32_t c = 0; c <= a; c += (a < 16 ? 1 : 5)) {
            for (std::uint32_t d = 0; d < 256; d += 3) {
                const std::uint32_t s = (a << 24) | (c << 16) | ((c / 2) << 8) | (a - c);
                const std::uint32_t under = ((255 - d) << 24) | (d << 16) | ((d * 7) & 0xFF) << 8 | (d ^ 0x5A);
                src.push_back(s);
                dst.push_back(under);
                expected.push_back(ReferenceOver(s, under));
            }
        }
    }
    while (src.size() % kWidth != 0) {
        src.push_back(0);
        dst.push_back(0x12345678u);
        expected.push_back(0x12345678u);
    }
    const int height = static_cast<int>(src.size() / kWidth);
    BlendPremultipliedOver({dst.data(), kWidth, height, kWidth}, 0, 0, {src.data(), kWidth, height, kWidth},
                           {0, 0, kWidth, height}, {0, 0, kWidth, height});
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < dst.size(); ++i) wrong += dst[i] != expected[i];
    EXPECT_EQ(wrong, 0u) << "of " << dst.size();
}

TEST(SkinPixelsTest, PremultipliedOverKeepsToItsPlaceTheClipAndBothBuffers)
{
    const std::uint32_t white = 0xFFFFFFFFu, half = 0x80808080u;
    // A 2 x 2 source: opaque white, half grey, nothing, opaque white.
    std::vector<std::uint32_t> source = {white, half, 0, white};
    struct Case {
        const char* what;
        int left, top;
        SkinRect part, clip;
        std::vector<std::uint32_t> expected;  // the 3 x 3 destination, all black before
    };
    constexpr std::uint32_t B = 0xFF000000u, G = 0xFF808080u, W = white;
    const Case cases[] = {
        {"at 1,1", 1, 1, {0, 0, 2, 2}, {0, 0, 3, 3}, {B, B, B, B, W, G, B, B, W}},
        {"clipped to one pixel", 1, 1, {0, 0, 2, 2}, {2, 1, 3, 2}, {B, B, B, B, B, G, B, B, B}},
        {"past the buffer's edges", 2, -1, {0, 0, 2, 2}, {0, 0, 3, 3}, {B, B, B, B, B, B, B, B, B}},
        {"part of the source", 0, 0, {1, 0, 2, 2}, {0, 0, 3, 3}, {G, B, B, W, B, B, B, B, B}},
        {"a part reaching out of the source", 0, 0, {-1, -1, 1, 1}, {0, 0, 3, 3}, {B, B, B, B, W, B, B, B, B}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint32_t> dest(9, B);
        BlendPremultipliedOver({dest.data(), 3, 3, 3}, c.left, c.top, {source.data(), 2, 2, 2}, c.part, c.clip);
        EXPECT_EQ(dest, c.expected) << c.what;
    }
}

TEST(SkinPixelsTest, CoverageFindsTheShownPixelsAndAnOpaqueBand)
{
    constexpr std::uint32_t O = 0xFF102030u, T = 0x80402010u, Z = 0;
    struct Case {
        const char* what;
        int width, height;
        std::vector<std::uint32_t> pixels;
        SkinRect visible, opaque;
    } cases[] = {
        {"all zero", 3, 2, {Z, Z, Z, Z, Z, Z}, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"a translucent mark in a zero margin", 4, 3, {Z, Z, Z, Z, Z, T, T, Z, Z, Z, Z, Z}, {1, 1, 3, 2}, {0, 0, 0, 0}},
        // The progress fill's shape: rounded translucent corners, opaque columns between.
        {"opaque columns", 5, 3, {T, O, O, O, T, O, O, O, O, O, T, O, O, O, T}, {0, 0, 5, 3}, {1, 0, 4, 3}},
        {"opaque rows win when larger", 3, 4, {T, T, T, O, O, O, O, O, O, O, O, T}, {0, 0, 3, 4}, {0, 1, 3, 3}},
        {"the longest run", 6, 1, {O, T, O, O, O, T}, {0, 0, 6, 1}, {2, 0, 5, 1}},
        {"zero counts as not opaque", 2, 2, {O, Z, O, O}, {0, 0, 2, 2}, {0, 0, 1, 2}},
    };
    for (Case& c : cases) {
        const PixelCoverage coverage =
            MeasurePixelCoverage({c.pixels.data(), c.width, c.height, c.width});
        const SkinRect& v = coverage.visible;
        const SkinRect& o = coverage.opaque;
        EXPECT_TRUE(v.left == c.visible.left && v.top == c.visible.top && v.right == c.visible.right &&
                    v.bottom == c.visible.bottom)
            << c.what << ": visible " << v.left << "," << v.top << "," << v.right << "," << v.bottom;
        EXPECT_TRUE(o.left == c.opaque.left && o.top == c.opaque.top && o.right == c.opaque.right &&
                    o.bottom == c.opaque.bottom)
            << c.what << ": opaque " << o.left << "," << o.top << "," << o.right << "," << o.bottom;
    }
    // Rows start a stride apart; what lies beyond the width is not looked at.
    std::vector<std::uint32_t> padded = {Z, O, 0xDEADBEEFu, Z, O, 0xDEADBEEFu};
    const PixelCoverage coverage = MeasurePixelCoverage({padded.data(), 2, 2, 3});
    EXPECT_EQ(coverage.visible.left, 1);
    EXPECT_EQ(coverage.visible.right, 2);
    EXPECT_EQ(coverage.opaque.left, 1);
    EXPECT_EQ(coverage.opaque.right, 2);
    EXPECT_EQ(coverage.opaque.bottom, 2);
}

// An image of a larger set shrinks to a display's scale, a smaller one
// grows: colours and alpha stay premultiplied, flat areas stay flat, and
// every source line still shows (area-weighted, not point-sampled).
TEST(SkinPixelsTest, ResamplingKeepsPremultipliedColoursAndEveryLine)
{
    const auto resample = [](const std::vector<std::uint32_t>& in, int w, int h, int dw, int dh, bool& alpha) {
        std::vector<std::uint32_t> source(in), out(static_cast<std::size_t>(dw) * dh, 0xDEADBEEFu);
        const PixelBuffer from{source.data(), w, h, w};
        const PixelBuffer to{out.data(), dw, dh, dw};
        EXPECT_TRUE(ResamplePixels(from, to, alpha));
        return out;
    };
    bool alpha = true;
    // A flat opaque colour, shrunk and grown: the same colour, no alpha.
    const std::vector<std::uint32_t> flat(16 * 8, 0xFF336699u);
    for (const auto& size : {std::pair<int, int>{12, 6}, std::pair<int, int>{24, 12}, std::pair<int, int>{16, 8}}) {
        const auto out = resample(flat, 16, 8, size.first, size.second, alpha);
        for (const std::uint32_t p : out) ASSERT_EQ(p, 0xFF336699u) << size.first;
        EXPECT_FALSE(alpha);
    }
    // The same size is a copy.
    std::vector<std::uint32_t> pattern;
    for (int i = 0; i < 6 * 4; ++i) pattern.push_back(i % 3 == 0 ? 0x80400000u : 0xFF00FF00u);
    EXPECT_EQ(resample(pattern, 6, 4, 6, 4, alpha), pattern);
    EXPECT_TRUE(alpha);
    // A one-pixel line in 200 % art still shows at 150 %: shrunk by area, it
    // is not skipped between two sample points.
    std::vector<std::uint32_t> line(8 * 8, 0u);
    for (int x = 0; x < 8; ++x) line[static_cast<std::size_t>(3) * 8 + x] = 0xFFFFFFFFu;
    const auto shrunk = resample(line, 8, 8, 6, 6, alpha);
    int strongest = 0;
    for (int y = 0; y < 6; ++y) strongest = std::max(strongest, static_cast<int>(shrunk[static_cast<std::size_t>(y) * 6 + 3] >> 24));
    EXPECT_GE(strongest, 128) << "the line keeps most of its weight in one row";
    for (const std::uint32_t p : shrunk) {
        const std::uint32_t a = p >> 24;
        EXPECT_LE((p >> 16) & 0xFF, a);  // premultiplied: no channel above alpha
        EXPECT_LE((p >> 8) & 0xFF, a);
        EXPECT_LE(p & 0xFF, a);
    }
    EXPECT_TRUE(alpha);
    // Two halves average across their border.
    const std::vector<std::uint32_t> halves = {0xFF000000u, 0xFFFFFFFFu};
    const auto one = resample(halves, 2, 1, 1, 1, alpha);
    EXPECT_NEAR(static_cast<int>(one[0] & 0xFF), 128, 1);
    EXPECT_EQ(one[0] >> 24, 0xFFu);
    // Empty buffers fail without writing.
    std::vector<std::uint32_t> untouched(4, 7u);
    EXPECT_FALSE(ResamplePixels({nullptr, 2, 2, 2}, {untouched.data(), 2, 2, 2}, alpha));
    EXPECT_FALSE(ResamplePixels({untouched.data(), 2, 2, 2}, {untouched.data(), 0, 2, 2}, alpha));
    EXPECT_EQ(untouched, std::vector<std::uint32_t>(4, 7u));
}

}  // namespace
