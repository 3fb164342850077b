// The pixel work of layered painting and the record of what was
// invalidated, on plain buffers.
#include "toolkit/window/PaintSurface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using namespace SkinUI;

TEST(PaintSurfaceTest, ClearsAndMakesDrawnPixelsOpaqueOnlyInsideTheArea)
{
    const SIZE size = {4, 3};
    std::vector<std::uint32_t> pixels(12, 0x00123456u);  // drawn by GDI: colour, alpha 0
    pixels[5] = 0x00000000u;                              // untouched black stays transparent
    pixels[6] = 0x80FFFFFFu;                              // already has alpha
    OpaqueDrawnPixels(pixels.data(), size, {1, 1, 3, 2});
    EXPECT_EQ(pixels[5], 0x00000000u);
    EXPECT_EQ(pixels[6], 0x80FFFFFFu);
    EXPECT_EQ(pixels[4], 0x00123456u);  // outside the area
    EXPECT_EQ(pixels[0], 0x00123456u);

    pixels[7] = 0x00ABCDEFu;
    OpaqueDrawnPixels(pixels.data(), size, {3, 1, 100, 100});  // clipped to the buffer
    EXPECT_EQ(pixels[7], 0xFFABCDEFu);
    EXPECT_EQ(pixels[11], 0xFF123456u);

    ClearPixels(pixels.data(), size, {-5, -5, 2, 1});
    EXPECT_EQ(pixels[0], 0u);
    EXPECT_EQ(pixels[1], 0u);
    EXPECT_EQ(pixels[2], 0x00123456u);
    ClearPixels(pixels.data(), size, {3, 2, 1, 0});  // empty: nothing
    ClearPixels(nullptr, size, {0, 0, 4, 3});
    EXPECT_EQ(pixels[11], 0xFF123456u);
}

TEST(PaintSurfaceTest, RemembersTheUnionOfWhatWasInvalidated)
{
    CPaintSurface surface;
    surface.RecordInvalid({10, 10, 20, 20});
    surface.RecordInvalid({30, 5, 40, 15});
    const RECT& r = surface.InvalidSinceLastPaint();
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 5);
    EXPECT_EQ(r.right, 40);
    EXPECT_EQ(r.bottom, 20);
    surface.ClearInvalid();
    EXPECT_TRUE(::IsRectEmpty(&surface.InvalidSinceLastPaint()));
}

}  // namespace
