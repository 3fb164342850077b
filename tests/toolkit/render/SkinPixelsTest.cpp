#include "toolkit/render/SkinPixels.h"

#include <gtest/gtest.h>

#include <cstdlib>
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

}  // namespace
