// Drawing when memory runs out (TestAllocator). Loading and painting
// must turn that into results, never let it escape: painting runs inside a
// window procedure.
#include <gtest/gtest.h>

#include "tests/toolkit/SkinTestCanvas.h"
#include "tests/support/TestAllocator.h"
#include "tests/toolkit/render/TestRenderResources.h"
#include "toolkit/render/SkinRenderer.h"
#include "toolkit/render/TextDrawing.h"

namespace {

using namespace SkinUI;
using namespace skintest;

class SkinRendererAllocTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.AddSolidPng(L"red_square.png", 4, 4, 0xFFFF0000u);
        // 9 x 9, translucent: drawn with corners it is composed, which allocates.
        folder.AddSolidPng(L"translucent_grid.png", 9, 9, 0x800000FFu);
    }

    TestSkinFolder folder;
    TestRenderResources resources{&folder.reader()};
};

TEST_F(SkinRendererAllocTest, ImageThatCannotBeAllocatedIsAFailedLoad)
{
    std::unique_ptr<TImageInfo> image;
    {
        testsupport::OutOfMemory noMemory;
        EXPECT_NO_THROW(image = CSkinRenderer::LoadSkinImage(L"red_square.png", L"", 0, &folder.reader(), nullptr));
    }
    EXPECT_EQ(image, nullptr);
    // The same image loads once memory is there again.
    image = CSkinRenderer::LoadSkinImage(L"red_square.png", L"", 0, &folder.reader(), nullptr);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->nWidth, 4);
}

TEST_F(SkinRendererAllocTest, PaintingWithoutMemoryGoesOn)
{
    ASSERT_NE(resources.LoadImageEntry(L"red_square.png", L"", 0), nullptr);
    ASSERT_NE(resources.LoadImageEntry(L"translucent_grid.png", L"", 0), nullptr);
    TestCanvas canvas(40, 20);
    TestCanvas expected(40, 20);
    const TImageInfo* grid = resources.ImageFor(L"translucent_grid.png");
    CSkinRenderer::DrawImagePart(expected.dc(), grid->hBitmap.get(), {20, 0, 40, 20}, {0, 0, 40, 20}, {0, 0, 9, 9},
                                 {3, 3, 3, 3}, true, 255, false, false, false);
    auto paint = [&] {
        CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, {0, 0, 20, 20}, {0, 0, 40, 20},
                                           L"red_square.png");
        // No memory for its composition: drawn part by part.
        CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, {20, 0, 40, 20}, {0, 0, 40, 20},
                                           L"file='translucent_grid.png' corner='3,3,3,3'");
        RECT text = {0, 0, 40, 20};
        CSkinRenderer::DrawFormattedText(canvas.dc(), &resources, text, L"<b>bold</b> text", 0xFF000000u, -1,
                                         DT_SINGLELINE);
        CSkinRenderer::FillColour(canvas.dc(), {0, 19, 40, 20}, 0x8000FF00u);
    };
    {
        testsupport::OutOfMemory noMemory;
        EXPECT_NO_THROW(paint());
    }
    EXPECT_TRUE(canvas.AllOf(kRed, {0, 0, 20, 19}));  // the formatted text, without memory for its runs, is not drawn
    EXPECT_EQ(grid->pComposed, nullptr);
    for (int y = 0; y < 19; ++y)
        for (int x = 20; x < 40; ++x)
            EXPECT_LE(ColourDistance(canvas.Pixel(x, y), expected.Pixel(x, y)), 2) << x << "," << y;
    EXPECT_LE(ColourDistance(canvas.Pixel(5, 19), 0x7F7F00), 2) << std::hex << canvas.Pixel(5, 19);
}

// Text into the toolkit's own surface, which keeps what texts leave: without
// memory for that, the text is drawn all the same, and nothing escapes.
TEST_F(SkinRendererAllocTest, KeptTextWithoutMemoryIsStillDrawn)
{
    TestCanvas canvas(60, 20);
    TestCanvas expected(60, 20);
    RECT rc = {0, 0, 60, 20};
    CSkinRenderer::DrawTextIn(expected.dc(), &resources, rc, L"WWW", 0xFF000000u, -1, DT_SINGLELINE);
    RetainTextStateIn(canvas.dc());
    rc = {0, 0, 60, 20};
    CSkinRenderer::DrawTextIn(canvas.dc(), &resources, rc, L"xyz", 0xFF000000u, -1, DT_SINGLELINE);  // one kept
    canvas.Fill(kWhite);
    {
        testsupport::OutOfMemory noMemory;
        rc = {0, 0, 60, 20};
        EXPECT_NO_THROW(CSkinRenderer::DrawTextIn(canvas.dc(), &resources, rc, L"WWW", 0xFF000000u, -1,
                                                  DT_SINGLELINE));
    }
    ReleaseTextStateIn(canvas.dc());
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) EXPECT_EQ(canvas.Pixel(x, y), expected.Pixel(x, y)) << x << "," << y;
}

}  // namespace
