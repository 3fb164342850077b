#include "toolkit/render/SkinRenderer.h"

#include <gtest/gtest.h>

#include "tests/toolkit/SkinTestCanvas.h"
#include "tests/toolkit/TestImages.h"
#include "tests/toolkit/render/TestRenderResources.h"
#include "toolkit/render/Msimg32Exports.h"
#include "toolkit/render/TextDrawing.h"

namespace {

using namespace SkinUI;
using namespace skintest;

constexpr DWORD kCyan = 0x00FFFF, kMagenta = 0xFF00FF, kYellow = 0xFFFF00, kGrey = 0x808080, kOrange = 0xFF8000;

// 9 x 9: 3 x 3 blocks, each corner, edge and the centre in its own colour.
std::vector<std::uint32_t> GridImage()
{
    const DWORD blocks[3][3] = {{kRed, kCyan, kGreen}, {kGrey, kBlack, kOrange}, {kBlue, kMagenta, kYellow}};
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) pixels.push_back(0xFF000000u | blocks[y / 3][x / 3]);
    return pixels;
}

class SkinRendererTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.AddPng(L"grid.png", 9, 9, GridImage());
        folder.AddSolidPng(L"red.png", 2, 2, 0xFFFF0000u);
        folder.AddSolidPng(L"blue.png", 2, 2, 0xFF0000FFu);
        // 4 x 3: two red columns, then two blue ones.
        std::vector<std::uint32_t> stripes;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) stripes.push_back(x < 2 ? 0xFFFF0000u : 0xFF0000FFu);
        folder.AddPng(L"stripes.png", 4, 3, stripes);
    }

    const TImageInfo* Image(const wchar_t* name) { return resources.LoadImageEntry(name, L"", 0); }

    TestSkinFolder folder;
    TestRenderResources resources{&folder.reader()};
};

TEST_F(SkinRendererTest, LoadsPremultipliedTopDownBitmapsWithTheMask)
{
    folder.AddPng(L"mixed.png", 2, 2, {0xFFFF0000u, 0x80FF0000u, 0xFFFF00FFu, 0x00FFFFFFu});
    const auto image = CSkinRenderer::LoadSkinImage(L"mixed.png", L"", 0xFFFF00FFu, &folder.reader(), nullptr);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->nWidth, 2);
    EXPECT_EQ(image->nHeight, 2);
    EXPECT_TRUE(image->bAlpha);
    EXPECT_EQ(image->dwMask, 0xFFFF00FFu);
    DIBSECTION dib{};
    ASSERT_EQ(::GetObjectW(image->hBitmap.get(), sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);
    // Top-down: the first pixel in memory is the image's top-left one.
    const auto* px = static_cast<const std::uint32_t*>(image->pBits);
    EXPECT_EQ(px[0], 0xFFFF0000u);
    EXPECT_EQ(px[1], 0x80800000u);
    EXPECT_EQ(px[2], 0u);  // masked
    EXPECT_EQ(px[3], 0u);

    const auto opaque = CSkinRenderer::LoadSkinImage(L"red.png", L"", 0, &folder.reader(), nullptr);
    ASSERT_NE(opaque, nullptr);
    EXPECT_FALSE(opaque->bAlpha);
}

TEST_F(SkinRendererTest, FailsCleanlyForMissingOrUndecodableImages)
{
    folder.AddFile(L"broken.png", "\x89PNG\r\n\x1a\n not really");
    folder.AddFile(L"empty.png", "");
    EXPECT_EQ(CSkinRenderer::LoadSkinImage(L"missing.png", L"", 0, &folder.reader(), nullptr), nullptr);
    EXPECT_EQ(CSkinRenderer::LoadSkinImage(L"broken.png", L"", 0, &folder.reader(), nullptr), nullptr);
    EXPECT_EQ(CSkinRenderer::LoadSkinImage(L"empty.png", L"", 0, &folder.reader(), nullptr), nullptr);
    EXPECT_EQ(CSkinRenderer::LoadSkinImage(L"", L"", 0, &folder.reader(), nullptr), nullptr);
    // A resource that the module does not have, and no file of that name.
    EXPECT_EQ(CSkinRenderer::LoadSkinImage(L"130", L"PNG", 0, &folder.reader(), nullptr), nullptr);
    // Without a reader the name is a path of its own.
    EXPECT_NE(CSkinRenderer::LoadSkinImage(folder.path(L"red.png"), L"", 0, nullptr, nullptr), nullptr);
}

// A 32-bit BMP header claiming 16000 x 16000 pixels and no pixel data: a
// decoder that trusts it wants a gigabyte.
std::string HugeBmpHeader()
{
    std::string bmp = "BM";
    auto put = [&bmp](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) bmp.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    put(54, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(16000, 4);
    put(16000, 4);
    put(1, 2);
    put(32, 2);
    for (int i = 0; i < 6; ++i) put(0, 4);
    return bmp;
}

TEST_F(SkinRendererTest, ImageTooLargeToLoadFailsAndPaintingGoesOn)
{
    folder.AddFile(L"huge.bmp", HugeBmpHeader());
    std::unique_ptr<TImageInfo> image;
    EXPECT_NO_THROW(image = CSkinRenderer::LoadSkinImage(L"huge.bmp", L"", 0, &folder.reader(), nullptr));
    EXPECT_EQ(image, nullptr);

    // Layered with a good image: the huge one fails the descriptor, the next one is still drawn.
    TestCanvas canvas(20, 20);
    bool drawn = true;
    EXPECT_NO_THROW(drawn = CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, {0, 0, 20, 20}, {0, 0, 20, 20},
                                                               L"file='huge.bmp' file='red.png' dest='0,0,10,10'"));
    EXPECT_FALSE(drawn);
    EXPECT_TRUE(canvas.AllOf(kRed, {0, 0, 10, 10}));
    EXPECT_EQ(resources.ImageFor(L"huge.bmp"), nullptr);
}

TEST_F(SkinRendererTest, NineGridKeepsCornersAndStretchesTheRest)
{
    const TImageInfo* grid = Image(L"grid.png");
    ASSERT_NE(grid, nullptr);
    struct Probe {
        int x, y;
        DWORD colour;
    } probes[] = {
        {10, 10, kRed},     {12, 12, kRed},     {39, 10, kGreen},  {37, 12, kGreen},  {10, 29, kBlue},
        {39, 29, kYellow},  {25, 10, kCyan},    {25, 29, kMagenta}, {10, 20, kGrey},  {39, 20, kOrange},
        {13, 13, kBlack},   {25, 20, kBlack},   {36, 26, kBlack},   {9, 9, kWhite},   {40, 30, kWhite},
    };
    for (bool useAlpha : {false, true}) {
        TestCanvas canvas(50, 40);
        CSkinRenderer::DrawImagePart(canvas.dc(), grid->hBitmap.get(), {10, 10, 40, 30}, {0, 0, 50, 40},
                                     {0, 0, 9, 9}, {3, 3, 3, 3}, useAlpha, 255, false, false, false);
        for (const Probe& p : probes)
            EXPECT_EQ(canvas.Pixel(p.x, p.y), p.colour) << "alpha " << useAlpha << " at " << p.x << "," << p.y;
        // The corners stay 3 x 3.
        EXPECT_TRUE(canvas.AllOf(kRed, {10, 10, 13, 13}));
        EXPECT_EQ(canvas.Count(kRed, {0, 0, 50, 40}), 9);
        EXPECT_EQ(canvas.Count(kYellow, {0, 0, 50, 40}), 9);
    }
}

TEST_F(SkinRendererTest, HoleLeavesTheCentreUntouched)
{
    const TImageInfo* grid = Image(L"grid.png");
    ASSERT_NE(grid, nullptr);
    for (bool useAlpha : {false, true}) {
        TestCanvas canvas(50, 40);
        CSkinRenderer::DrawImagePart(canvas.dc(), grid->hBitmap.get(), {10, 10, 40, 30}, {0, 0, 50, 40},
                                     {0, 0, 9, 9}, {3, 3, 3, 3}, useAlpha, 255, true, false, false);
        EXPECT_TRUE(canvas.AllOf(kWhite, {13, 13, 37, 27})) << useAlpha;
        EXPECT_EQ(canvas.Pixel(10, 10), kRed);
        EXPECT_EQ(canvas.Pixel(25, 10), kCyan);
    }
    // Without corners an image with a hole is all centre: nothing is drawn.
    TestCanvas canvas(20, 20);
    CSkinRenderer::DrawImagePart(canvas.dc(), grid->hBitmap.get(), {0, 0, 9, 9}, {0, 0, 20, 20}, {0, 0, 9, 9},
                                 {0, 0, 0, 0}, false, 255, true, false, false);
    EXPECT_TRUE(canvas.AllOf(kWhite, {0, 0, 20, 20}));
}

TEST_F(SkinRendererTest, FadeDrawsAnOpaqueImageTranslucent)
{
    const TImageInfo* red = Image(L"red.png");
    ASSERT_NE(red, nullptr);
    ASSERT_FALSE(red->bAlpha);
    TestCanvas canvas(10, 10);
    CSkinRenderer::DrawImagePart(canvas.dc(), red->hBitmap.get(), {0, 0, 10, 10}, {0, 0, 10, 10}, {0, 0, 2, 2},
                                 {0, 0, 0, 0}, false, 128, false, false, false);
    EXPECT_LE(ColourDistance(canvas.Pixel(5, 5), 0xFF7F7F), 2) << std::hex << canvas.Pixel(5, 5);
}

TEST_F(SkinRendererTest, TilesTheCentreAtTheImageScale)
{
    const TImageInfo* stripes = Image(L"stripes.png");
    ASSERT_NE(stripes, nullptr);
    for (bool useAlpha : {false, true}) {
        TestCanvas canvas(12, 9);
        // x-tiled: 10 pixels wide = 2 whole tiles and half of a third.
        CSkinRenderer::DrawImagePart(canvas.dc(), stripes->hBitmap.get(), {0, 0, 10, 9}, {0, 0, 12, 9},
                                     {0, 0, 4, 3}, {0, 0, 0, 0}, useAlpha, 255, false, true, false);
        const DWORD row[] = {kRed, kRed, kBlue, kBlue, kRed, kRed, kBlue, kBlue, kRed, kRed, kWhite, kWhite};
        for (int x = 0; x < 12; ++x) {
            EXPECT_EQ(canvas.Pixel(x, 0), row[x]) << "alpha " << useAlpha << " x " << x;
            EXPECT_EQ(canvas.Pixel(x, 8), row[x]) << "alpha " << useAlpha << " x " << x;  // stretched down
        }
    }
}

TEST_F(SkinRendererTest, SmallTilesKeepThePatternWithAHandfulOfBlits)
{
    // 3 x 2 tile, every pixel its own colour, so a tile out of phase shows.
    const std::vector<std::uint32_t> tile = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu,
                                             0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF00FFu};
    folder.AddPng(L"tile.png", 3, 2, tile);
    folder.AddSolidPng(L"dot.png", 1, 1, 0xFF2040C0u);
    folder.AddSolidPng(L"halfred.png", 1, 1, 0x80FF0000u);
    const std::vector<DWORD> tileSeen = {kRed, kGreen, kBlue, kYellow, kCyan, kMagenta};
    struct Case {
        const wchar_t* image;
        std::vector<DWORD> seen;  // the tile's pixels as they look over white, row by row
        RECT dest, paint;
        bool xtiled, ytiled;
        int maxBlits;
    } cases[] = {
        // A 1 x 1 source over the whole launcher window: 595200 tiles, one blit each, before.
        {L"dot.png", {0x2040C0}, {0, 0, 960, 620}, {0, 0, 960, 620}, true, true, 40},
        {L"halfred.png", {0xFF7F7F}, {0, 0, 960, 620}, {0, 0, 960, 620}, true, true, 40},  // alpha kept in the block
        {L"tile.png", tileSeen, {5, 7, 405, 307}, {0, 0, 960, 620}, true, true, 40},
        {L"tile.png", tileSeen, {5, 7, 405, 307}, {100, 50, 180, 90}, true, true, 40},  // only the paint area
        {L"tile.png", tileSeen, {5, 7, 905, 9}, {0, 0, 960, 620}, true, false, 20},     // one row, no stretch
        {L"tile.png", tileSeen, {5, 7, 8, 607}, {0, 0, 960, 620}, false, true, 20},     // one column
    };
    for (const Case& c : cases) {
        const TImageInfo* image = Image(c.image);
        ASSERT_NE(image, nullptr);
        const int tw = image->nWidth, th = image->nHeight;
        RECT drawn;
        ::IntersectRect(&drawn, &c.dest, &c.paint);
        for (bool useAlpha : {false, true}) {
            if (image->bAlpha && !useAlpha) continue;  // translucent images always blend
            TestCanvas canvas(960, 620);
            const int blits =
                CSkinRenderer::DrawImagePart(canvas.dc(), image->hBitmap.get(), c.dest, c.paint, {0, 0, tw, th},
                                             {0, 0, 0, 0}, useAlpha, 255, false, c.xtiled, c.ytiled);
            EXPECT_GT(blits, 0) << c.image;
            EXPECT_LE(blits, c.maxBlits) << c.image << " alpha " << useAlpha;
            int wrong = 0;
            for (int y = 0; y < canvas.height(); ++y)
                for (int x = 0; x < canvas.width(); ++x) {
                    const bool inside = x >= drawn.left && x < drawn.right && y >= drawn.top && y < drawn.bottom;
                    const DWORD want =
                        inside ? c.seen[static_cast<std::size_t>(((y - c.dest.top) % th) * tw + (x - c.dest.left) % tw)]
                               : kWhite;
                    if (ColourDistance(canvas.Pixel(x, y), want) > 1 && ++wrong <= 3)
                        ADD_FAILURE() << c.image << " alpha " << useAlpha << " at " << x << "," << y << std::hex
                                      << " got " << canvas.Pixel(x, y) << " want " << want;
                }
            EXPECT_EQ(wrong, 0) << c.image << " alpha " << useAlpha;
        }
    }
}

TEST_F(SkinRendererTest, DescriptorDrawsIntoItsDestination)
{
    struct Case {
        const wchar_t* descriptor;
        const wchar_t* modifier;
        RECT red;  // where red must be; the rest of the canvas stays white
    } cases[] = {
        {L"red.png", L"", {20, 10, 60, 30}},                               // whole control, stretched
        {L"file='red.png'", L"dest='0,0,10,20'", {20, 10, 30, 30}},
        {L"file='red.png'", L"dest='30,5,100,100'", {50, 15, 60, 30}},    // cut at the control's edges
        {L"file='stripes.png' source='0,0,2,3'", L"", {20, 10, 60, 30}},  // the red part of the image
        {L"file='red.png' dest='0,0,5,5'", L"dest='100,100,110,110'", {0, 0, 0, 0}},  // misses the control
    };
    for (const Case& c : cases) {
        TestCanvas canvas(80, 40);
        EXPECT_TRUE(CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, {20, 10, 60, 30}, {0, 0, 80, 40},
                                                       c.descriptor, c.modifier))
            << c.descriptor;
        const int area = (c.red.right - c.red.left) * (c.red.bottom - c.red.top);
        EXPECT_EQ(canvas.Count(kRed, c.red), area) << c.descriptor << " " << c.modifier;
        EXPECT_EQ(canvas.Count(kWhite, {0, 0, 80, 40}), 80 * 40 - area) << c.descriptor << " " << c.modifier;
    }
}

TEST_F(SkinRendererTest, RepaintedGridIsComposedOnceAndLooksTheSame)
{
    folder.AddPng(L"translucent_grid.png", 9, 9, [] {
        std::vector<std::uint32_t> pixels = GridImage();
        for (std::uint32_t& p : pixels) p = (p & 0x00FFFFFFu) | 0x80000000u;
        return pixels;
    }());
    folder.AddPng(L"stripes_alpha.png", 4, 3, std::vector<std::uint32_t>(12, 0xC00000FFu));
    struct Case {
        const wchar_t* descriptor;
        const wchar_t* modifier;
        RECT corners;
        BYTE fade;
        bool hole, xtiled;
        int width;  // of the destination
    } cases[] = {
        {L"file='grid.png' corner='3,3,3,3'", L"", {3, 3, 3, 3}, 255, false, false, 40},
        {L"file='grid.png' corner='3,3,3,3' hole='true'", L"", {3, 3, 3, 3}, 255, true, false, 40},
        {L"file='translucent_grid.png' corner='3,3,3,3'", L"", {3, 3, 3, 3}, 255, false, false, 40},
        {L"file='translucent_grid.png' corner='3,3,3,3' hole='true'", L"", {3, 3, 3, 3}, 255, true, false, 40},
        {L"file='grid.png' corner='3,3,3,3' fade='128'", L"", {3, 3, 3, 3}, 128, false, false, 40},
        {L"file='stripes.png' xtiled='true'", L"", {0, 0, 0, 0}, 255, false, true, 40},
        {L"file='stripes_alpha.png' xtiled='true'", L"", {0, 0, 0, 0}, 255, false, true, 40},
        // The progress bar's fill: the modifier's destination changes with the value.
        {L"file='grid.png' corner='3,3,3,3'", L"dest='0,0,17,9'", {3, 3, 3, 3}, 255, false, false, 17},
        {L"file='grid.png' corner='3,3,3,3'", L"dest='0,0,31,9'", {3, 3, 3, 3}, 255, false, false, 31},
    };
    const RECT control = {5, 4, 45, 13};  // 40 x 9
    for (const Case& c : cases) {
        const std::wstring text = c.descriptor;
        const std::wstring name = text.substr(6, text.find(L'\'', 6) - 6);
        const TImageInfo* image = Image(name.c_str());
        ASSERT_NE(image, nullptr);
        const RECT dest = {control.left, control.top, control.left + c.width, control.bottom};
        TestCanvas expected(50, 20, 0x204060);
        CSkinRenderer::DrawImagePart(expected.dc(), image->hBitmap.get(), dest, {0, 0, 50, 20},
                                     {0, 0, image->nWidth, image->nHeight}, c.corners, image->bAlpha, c.fade, c.hole,
                                     c.xtiled, false);
        for (int round = 0; round < 3; ++round) {  // part by part, composed, from the composition
            TestCanvas canvas(50, 20, 0x204060);
            EXPECT_TRUE(CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, control, {0, 0, 50, 20},
                                                           c.descriptor, c.modifier));
            int wrong = 0;
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 50; ++x)
                    if (ColourDistance(canvas.Pixel(x, y), expected.Pixel(x, y)) > 2 && ++wrong <= 3)
                        ADD_FAILURE() << c.descriptor << " " << c.modifier << " round " << round << " at " << x << ","
                                      << y << std::hex << " got " << canvas.Pixel(x, y) << " want "
                                      << expected.Pixel(x, y);
            EXPECT_EQ(wrong, 0) << c.descriptor << " " << c.modifier << " round " << round;
            // A copied composition cannot be blended: opaque images with a hole or fade are drawn part by part.
            if (image->bAlpha || (!c.hole && c.fade == 255)) {
                ASSERT_NE(image->pComposed, nullptr) << c.descriptor;
                EXPECT_EQ(image->pComposed->nWidth, c.width) << c.descriptor << " " << c.modifier;
                EXPECT_EQ(static_cast<bool>(image->pComposed->hBitmap), round > 0) << c.descriptor << " " << round;
            }
        }
    }
    // A geometry drawn once is only remembered; drawn again it is composed, and the composition is kept.
    const TImageInfo* grid = Image(L"grid.png");
    TestCanvas canvas(50, 20);
    const wchar_t* descriptor = L"file='grid.png' corner='3,3,3,3'";
    CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, {5, 4, 25, 13}, {0, 0, 50, 20}, descriptor);
    ASSERT_NE(grid->pComposed, nullptr);
    EXPECT_EQ(grid->pComposed->nWidth, 20);
    EXPECT_FALSE(grid->pComposed->hBitmap);
    CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, {5, 4, 25, 13}, {0, 0, 50, 20}, descriptor);
    ASSERT_TRUE(grid->pComposed->hBitmap);
    const HBITMAP composed = grid->pComposed->hBitmap.get();
    CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, {5, 4, 25, 13}, {0, 0, 50, 20}, descriptor);
    EXPECT_EQ(grid->pComposed->hBitmap.get(), composed);
}

// Drawn by descriptor, a blended image leaves out its zero pixels and
// copies its opaque band instead of blending it: the pixels must be those of
// one plain blend of the whole part, to the bit. Drawn by descriptor, an
// image also keeps its bitmap selected in a DC of its own; drawing the same
// bitmap by handle must still work.
TEST_F(SkinRendererTest, BlendingByCoverageGivesThePixelsOfOneBlend)
{
    // 10 x 7: a zero margin, translucent rounded corners, opaque columns between.
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool margin = x == 0 || x == 9 || y == 0 || y == 6;
            const bool corner = (x == 1 || x == 8) && (y == 1 || y == 5);
            pixels.push_back(margin ? 0u : corner ? 0x80C08040u : (x == 1 || x == 8) ? 0xC0206080u : 0xFF3070B0u);
        }
    folder.AddPng(L"band.png", 10, 7, pixels);
    // 6 x 6 translucent with corners, stretched and composed into a grid.
    std::vector<std::uint32_t> frame(36, 0x90FF8000u);
    for (int i = 0; i < 6; ++i) frame[static_cast<std::size_t>(i * 6 + i)] = 0xFF00A0FFu;
    folder.AddPng(L"frame.png", 6, 6, frame);
    const TImageInfo* band = Image(L"band.png");
    const TImageInfo* framed = Image(L"frame.png");
    ASSERT_TRUE(band && framed);

    struct Case {
        const wchar_t* descriptor;
        RECT control, paint;
        const TImageInfo* image;
        RECT corners;
    } cases[] = {
        {L"band.png", {3, 2, 13, 9}, {0, 0, 30, 20}, band, {0, 0, 0, 0}},
        {L"band.png", {3, 2, 13, 9}, {5, 0, 9, 6}, band, {0, 0, 0, 0}},  // a paint cutting the band
        {L"file='frame.png' corner='2,2,2,2'", {1, 1, 25, 15}, {0, 0, 30, 20}, framed, {2, 2, 2, 2}},
        {L"file='frame.png' corner='2,2,2,2'", {1, 1, 25, 15}, {4, 3, 20, 12}, framed, {2, 2, 2, 2}},
    };
    for (const Case& c : cases) {
        for (int round = 0; round < 3; ++round) {  // part by part, composed, from the composition
            TestCanvas canvas(30, 20, 0x204060);
            ASSERT_TRUE(
                CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, c.control, c.paint, c.descriptor));
            TestCanvas expected(30, 20, 0x204060);
            ASSERT_GT(CSkinRenderer::DrawImagePart(expected.dc(), c.image->hBitmap.get(), c.control, c.paint,
                                                   {0, 0, c.image->nWidth, c.image->nHeight}, c.corners, true, 255,
                                                   false, false, false),
                      0);
            // Inside the paint rectangle: outside it a stretched part may or may not be drawn.
            int wrong = 0;
            for (int y = c.paint.top; y < c.paint.bottom; ++y)
                for (int x = c.paint.left; x < c.paint.right; ++x)
                    if (canvas.RawPixel(x, y) != expected.RawPixel(x, y) && ++wrong <= 3)
                        ADD_FAILURE() << c.descriptor << " round " << round << " at " << x << "," << y << std::hex
                                      << " got " << canvas.RawPixel(x, y) << " want " << expected.RawPixel(x, y);
            EXPECT_EQ(wrong, 0) << c.descriptor << " round " << round;
        }
    }
    // The band's zero margin drew nothing, its opaque band covered the ground.
    TestCanvas canvas(30, 20, 0x204060);
    CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, {3, 2, 13, 9}, {0, 0, 30, 20}, L"band.png");
    EXPECT_TRUE(canvas.AllOf(0x204060, {3, 2, 13, 3}));
    EXPECT_TRUE(canvas.AllOf(0x3070B0, {5, 3, 11, 8}));
}

TEST_F(SkinRendererTest, LayeredDescriptorDrawsEachImage)
{
    TestCanvas canvas(40, 40);
    EXPECT_TRUE(CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, {0, 0, 40, 40}, {0, 0, 40, 40},
                                                   L"file='red.png' file='blue.png' dest='0,0,10,10'"));
    EXPECT_TRUE(canvas.AllOf(kBlue, {0, 0, 10, 10}));
    EXPECT_TRUE(canvas.AllOf(kRed, {10, 10, 40, 40}));
}

TEST_F(SkinRendererTest, DescriptorFailsOnlyWithoutItsImage)
{
    TestCanvas canvas(20, 20);
    EXPECT_FALSE(CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, {0, 0, 20, 20}, {0, 0, 20, 20},
                                                    L"missing.png"));
    EXPECT_FALSE(CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, {0, 0, 20, 20}, {0, 0, 20, 20}, L""));
    EXPECT_FALSE(CSkinRenderer::DrawImageDescriptor(canvas.dc(), nullptr, {0, 0, 20, 20}, {0, 0, 20, 20},
                                                    L"red.png"));
    // Outside the paint rectangle: nothing drawn, still a success.
    EXPECT_TRUE(CSkinRenderer::DrawImageDescriptor(canvas.dc(), &resources, {0, 0, 20, 20}, {30, 30, 40, 40},
                                                   L"red.png"));
    EXPECT_TRUE(canvas.AllOf(kWhite, {0, 0, 20, 20}));
    EXPECT_EQ(resources.ImageFor(L"missing.png"), nullptr);
}

TEST_F(SkinRendererTest, FillsArgbColours)
{
    TestCanvas canvas(10, 10);
    CSkinRenderer::FillColour(canvas.dc(), {0, 0, 10, 10}, 0x00FF0000u);  // alpha 0: nothing
    EXPECT_TRUE(canvas.AllOf(kWhite, {0, 0, 10, 10}));
    CSkinRenderer::FillColour(canvas.dc(), {0, 0, 5, 10}, 0xFFFF0000u);
    EXPECT_TRUE(canvas.AllOf(kRed, {0, 0, 5, 10}));
    EXPECT_TRUE(canvas.AllOf(kWhite, {5, 0, 10, 10}));
    CSkinRenderer::FillColour(canvas.dc(), {5, 0, 10, 10}, 0x80FF0000u);  // translucent red over white
    EXPECT_LE(ColourDistance(canvas.Pixel(7, 5), 0xFF7F7F), 2) << std::hex << canvas.Pixel(7, 5);

    // Over transparent pixels a translucent fill leaves a premultiplied translucent pixel, as layered windows
    // read it; nothing outside the rectangle changes.
    TestCanvas clear(3, 1, kBlack);
    for (int x = 0; x < 3; ++x) ::SetPixelV(clear.dc(), x, 0, RGB(0, 0, 0));  // GDI: alpha 0
    CSkinRenderer::FillColour(clear.dc(), {0, 0, 1, 1}, 0xFF3060C0u);
    CSkinRenderer::FillColour(clear.dc(), {1, 0, 2, 1}, 0x80FF0000u);
    EXPECT_EQ(clear.Pixel(0, 0), 0x3060C0u);
    EXPECT_EQ(clear.RawPixel(1, 0) >> 24, 0x80u);
    EXPECT_LE(ColourDistance(clear.Pixel(1, 0), 0x800000), 1) << std::hex << clear.RawPixel(1, 0);
    EXPECT_EQ(clear.RawPixel(2, 0), 0u);
}

TEST_F(SkinRendererTest, ClipLimitsDrawingAndIsRestored)
{
    TestCanvas canvas(10, 10);
    {
        CRenderClip clip(canvas.dc(), {2, 2, 5, 5});
        {
            CRenderClip inner(canvas.dc(), {4, 4, 8, 8});  // combined with the outer clip
            CSkinRenderer::FillColour(canvas.dc(), {0, 0, 10, 10}, 0xFF0000FFu);
        }
        CSkinRenderer::FillColour(canvas.dc(), {0, 0, 10, 10}, 0xFFFF0000u);
    }
    CSkinRenderer::FillColour(canvas.dc(), {9, 9, 10, 10}, 0xFF00FF00u);
    EXPECT_EQ(canvas.Count(kRed, {0, 0, 10, 10}), 9);
    EXPECT_TRUE(canvas.AllOf(kRed, {2, 2, 5, 5}));
    EXPECT_EQ(canvas.Count(kBlue, {0, 0, 10, 10}), 0);  // painted over by the red
    EXPECT_EQ(canvas.Pixel(9, 9), kGreen);               // no clip left behind
}

TEST_F(SkinRendererTest, GradientRunsTopToBottom)
{
    TestCanvas canvas(4, 64);
    CSkinRenderer::DrawGradient(canvas.dc(), {0, 0, 4, 64}, 0xFF000000u, 0xFFFFFFFFu, 16);
    EXPECT_LE(ColourDistance(canvas.Pixel(1, 0), kBlack), 8);
    EXPECT_LE(ColourDistance(canvas.Pixel(1, 63), kWhite), 8);
    EXPECT_LT(canvas.Pixel(1, 16) & 0xFF, canvas.Pixel(1, 48) & 0xFF);

    TestCanvas untouched(4, 4);
    CSkinRenderer::DrawGradient(untouched.dc(), {0, 0, 4, 4}, 0x00000000u, 0x00FFFFFFu, 16);  // average alpha 0
    EXPECT_TRUE(untouched.AllOf(kWhite, {0, 0, 4, 4}));
}

TEST_F(SkinRendererTest, LineGoesFromLeftTopToRightBottom)
{
    TestCanvas canvas(10, 10);
    CSkinRenderer::DrawLine(canvas.dc(), {0, 5, 10, 5}, 1, 0x00FF0000u);  // alpha ignored
    EXPECT_EQ(canvas.Count(kRed, {0, 5, 10, 6}), 10);
    EXPECT_EQ(canvas.Count(kRed, {0, 0, 10, 5}), 0);
}

TEST_F(SkinRendererTest, TextShowsAmpersandsOnBothPaths)
{
    for (bool gdiplus : {false, true}) {
        resources.SetGdiplusText(gdiplus);
        RECT withAmpersand = {0, 0, 400, 100};
        RECT without = {0, 0, 400, 100};
        CSkinRenderer::DrawTextIn(resources.MeasureDc(), &resources, withAmpersand, L"A&&B", 0, -1,
                                  DT_SINGLELINE | DT_CALCRECT);
        CSkinRenderer::DrawTextIn(resources.MeasureDc(), &resources, without, L"AB", 0, -1, DT_SINGLELINE | DT_CALCRECT);
        EXPECT_GT(withAmpersand.right, without.right) << "gdiplus " << gdiplus;
        EXPECT_GT(without.right, 0);

        TestCanvas canvas(100, 30);
        RECT rc = {0, 0, 100, 30};
        CSkinRenderer::DrawTextIn(canvas.dc(), &resources, rc, L"WWW", 0xFF000000u, -1, DT_SINGLELINE | DT_VCENTER);
        EXPECT_LT(canvas.Count(kWhite, {0, 0, 100, 30}), 100 * 30) << "gdiplus " << gdiplus;
    }
}

TEST_F(SkinRendererTest, SoftwareBlendMatchesAlphaBlend)
{
    folder.AddPng(L"translucent.png", 2, 2, {0x80FF0000u, 0x4000FF00u, 0xFF0000FFu, 0xC0808080u});
    const TImageInfo* image = Image(L"translucent.png");
    ASSERT_NE(image, nullptr);
    TestCanvas byGdi(8, 8, 0x204060);
    TestCanvas bySoftware(8, 8, 0x204060);
    CSkinRenderer::DrawImagePart(byGdi.dc(), image->hBitmap.get(), {0, 0, 8, 8}, {0, 0, 8, 8}, {0, 0, 2, 2},
                                 {0, 0, 0, 0}, true, 200, false, false, false);
    win32::UniqueMemoryDc source(::CreateCompatibleDC(nullptr));
    win32::SelectedObject selected(source.get(), image->hBitmap.get());
    ASSERT_TRUE(CSkinRenderer::SoftwareAlphaBlend(bySoftware.dc(), source.get(), {0, 0, 8, 8}, {0, 0, 2, 2}, 200));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_LE(ColourDistance(byGdi.Pixel(x, y), bySoftware.Pixel(x, y)), 2)
                << x << "," << y << std::hex << " " << byGdi.Pixel(x, y) << " " << bySoftware.Pixel(x, y);

    // The blend keeps to every rectangle of the clip, not only to their bounding box.
    TestCanvas clipped(12, 4, kWhite);
    win32::UniqueRegion left(::CreateRectRgn(0, 0, 3, 4));
    win32::UniqueRegion right(::CreateRectRgn(9, 0, 12, 4));
    ::CombineRgn(left.get(), left.get(), right.get(), RGN_OR);
    ::SelectClipRgn(clipped.dc(), left.get());
    ASSERT_TRUE(CSkinRenderer::SoftwareAlphaBlend(clipped.dc(), source.get(), {0, 0, 12, 4}, {0, 1, 1, 2}, 255));
    ::SelectClipRgn(clipped.dc(), nullptr);
    EXPECT_TRUE(clipped.AllOf(kBlue, {0, 0, 3, 4}));
    EXPECT_TRUE(clipped.AllOf(kWhite, {3, 0, 9, 4}));
    EXPECT_TRUE(clipped.AllOf(kBlue, {9, 0, 12, 4}));

    // A bottom-up destination is written the right way up.
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = 2;
    bmi.bmiHeader.biHeight = 2;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    win32::UniqueBitmap bottomUp(::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    win32::UniqueMemoryDc target(::CreateCompatibleDC(nullptr));
    win32::SelectedObject selectedTarget(target.get(), bottomUp.get());
    ASSERT_TRUE(CSkinRenderer::SoftwareAlphaBlend(target.get(), source.get(), {0, 0, 2, 1}, {0, 1, 2, 2}, 255));
    ::GdiFlush();
    const auto* rows = static_cast<const std::uint32_t*>(bits);
    EXPECT_EQ(rows[2] & 0xFFFFFF, 0x0000FFu);  // memory row 1 is the top row: the blue pixel
    EXPECT_EQ(rows[0], 0u);
}

// A large unscaled blend is done on the target's pixels: the bytes must be
// those of AlphaBlend itself, wherever the DC's origin and clip put it.
TEST_F(SkinRendererTest, LargeBlendsOnPixelsGiveAlphaBlendsBytes)
{
    // 64 x 48 (above the size blended on pixels), alpha and colour varying.
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const std::uint32_t a = static_cast<std::uint32_t>((x * 4 + y * 7) % 256);
            const auto red = static_cast<std::uint32_t>(x * 3), green = static_cast<std::uint32_t>(y * 5);
            pixels.push_back((a << 24) | (red << 16) | (green << 8) | 0x40u);
        }
    folder.AddPng(L"large.png", 64, 48, pixels);
    const TImageInfo* image = Image(L"large.png");
    ASSERT_NE(image, nullptr);
    ASSERT_TRUE(image->bAlpha);

    const struct {
        const char* what;
        POINT origin;
        bool clipped;
    } cases[] = {{"plain", {0, 0}, false}, {"moved origin", {-7, 5}, false}, {"two clip rectangles", {3, -2}, true}};
    for (const auto& c : cases) {
        TestCanvas canvas(90, 70, 0x30A050);
        TestCanvas expected(90, 70, 0x30A050);
        for (HDC dc : {canvas.dc(), expected.dc()}) {
            ::SetViewportOrgEx(dc, c.origin.x, c.origin.y, nullptr);
            if (!c.clipped) continue;
            win32::UniqueRegion clip(::CreateRectRgn(0, 0, 30, 70));
            win32::UniqueRegion more(::CreateRectRgn(50, 10, 90, 40));
            ::CombineRgn(clip.get(), clip.get(), more.get(), RGN_OR);
            ::SelectClipRgn(dc, clip.get());
        }
        const RECT dest = {12, 9, 76, 57};
        ASSERT_GT(CSkinRenderer::DrawImagePart(canvas.dc(), image->hBitmap.get(), dest, {0, 0, 90, 70},
                                               {0, 0, 64, 48}, {0, 0, 0, 0}, true, 255, false, false, false),
                  0);
        // Selected only now: a bitmap is selected into one DC at a time.
        win32::UniqueMemoryDc source(::CreateCompatibleDC(nullptr));
        win32::SelectedObject selected(source.get(), image->hBitmap.get());
        const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ASSERT_TRUE(Msimg32().alphaBlend(expected.dc(), 12, 9, 64, 48, source.get(), 0, 0, 64, 48, blend));
        ::GdiFlush();
        int wrong = 0;
        for (int y = 0; y < 70; ++y)
            for (int x = 0; x < 90; ++x)
                if (canvas.RawPixel(x, y) != expected.RawPixel(x, y) && ++wrong <= 3)
                    ADD_FAILURE() << c.what << " at " << x << "," << y << std::hex << " got " << canvas.RawPixel(x, y)
                                  << " want " << expected.RawPixel(x, y);
        EXPECT_EQ(wrong, 0) << c.what;
    }
}

// Text into a DC that only the toolkit paints (a window's surface) leaves
// its font, colour and mode selected for the next text; any other DC gets
// them back after each text. Released, the surface gets its own font back.
TEST_F(SkinRendererTest, TextStateStaysOnlyInTheToolkitsOwnDc)
{
    TestCanvas own(60, 20);
    TestCanvas other(60, 20);
    const HGDIOBJ ownFont = ::GetCurrentObject(own.dc(), OBJ_FONT);
    const HGDIOBJ otherFont = ::GetCurrentObject(other.dc(), OBJ_FONT);
    const HFONT skinFont = resources.FontInfoAt(0).hFont.get();
    ASSERT_NE(ownFont, skinFont);
    RetainTextStateIn(own.dc());
    for (int round = 0; round < 2; ++round) {
        RECT rc = {0, 0, 60, 20};
        CSkinRenderer::DrawTextIn(own.dc(), &resources, rc, L"WWW", 0xFF102030u, 0, DT_SINGLELINE);
        rc = {0, 0, 60, 20};
        CSkinRenderer::DrawTextIn(other.dc(), &resources, rc, L"WWW", 0xFF102030u, 0, DT_SINGLELINE);
        EXPECT_EQ(::GetCurrentObject(own.dc(), OBJ_FONT), skinFont) << round;
        EXPECT_EQ(::GetTextColor(own.dc()), RGB(0x10, 0x20, 0x30)) << round;
        EXPECT_EQ(::GetBkMode(own.dc()), TRANSPARENT) << round;
        EXPECT_EQ(::GetCurrentObject(other.dc(), OBJ_FONT), otherFont) << round;
        EXPECT_NE(::GetBkMode(other.dc()), TRANSPARENT) << round;
        EXPECT_LT(own.Count(kWhite, {0, 0, 60, 20}), 60 * 20) << "drawn";
        EXPECT_LT(other.Count(kWhite, {0, 0, 60, 20}), 60 * 20) << "drawn";
    }
    ReleaseTextStateIn(own.dc());
    EXPECT_EQ(::GetCurrentObject(own.dc(), OBJ_FONT), ownFont);
    RECT rc = {0, 0, 60, 20};
    CSkinRenderer::DrawTextIn(own.dc(), &resources, rc, L"W", 0xFF000000u, 0, DT_SINGLELINE);
    EXPECT_EQ(::GetCurrentObject(own.dc(), OBJ_FONT), ownFont) << "forgotten: restored after each text again";
}

// A retained DC keeps what a text left with the pixels below it and copies
// it when the same text comes over the same pixels. Whatever changes, its
// pixels stay those of a text drawn afresh on a DC that keeps nothing.
TEST_F(SkinRendererTest, KeptTextAlwaysMatchesTextDrawnAfresh)
{
    TestCanvas own(120, 30);
    TestCanvas fresh(120, 30);
    RetainTextStateIn(own.dc());
    struct Step {
        const char* name;
        DWORD background;     // filled first, as a repaint does
        POINT spot;           // one pixel below the text made different, or (-1, -1)
        const wchar_t* text;
        DWORD argb;
        RECT clip;            // an empty one: none
    };
    const Step steps[] = {
        {"first", kWhite, {-1, -1}, L"Kept text", 0xFF102030u, {}},
        {"the same again", kWhite, {-1, -1}, L"Kept text", 0xFF102030u, {}},
        {"a pixel below it changed", kWhite, {30, 12}, L"Kept text", 0xFF102030u, {}},
        {"another background", 0x336699u, {-1, -1}, L"Kept text", 0xFF102030u, {}},
        {"another colour", 0x336699u, {-1, -1}, L"Kept text", 0xFFE0D000u, {}},
        {"another text", 0x336699u, {-1, -1}, L"Kept texT", 0xFFE0D000u, {}},
        {"clipped narrower than the text", kWhite, {-1, -1}, L"Kept text", 0xFF102030u, {10, 0, 40, 30}},
        {"unclipped after the clip", kWhite, {-1, -1}, L"Kept text", 0xFF102030u, {}},
    };
    for (const Step& step : steps) {
        for (TestCanvas* canvas : {&own, &fresh}) {
            canvas->Fill(step.background);
            if (step.spot.x >= 0) ::SetPixel(canvas->dc(), step.spot.x, step.spot.y, RGB(200, 0, 0));
            if (!::IsRectEmpty(&step.clip))
                ::IntersectClipRect(canvas->dc(), step.clip.left, step.clip.top, step.clip.right, step.clip.bottom);
            RECT rc = {0, 0, 120, 30};
            CSkinRenderer::DrawTextIn(canvas->dc(), &resources, rc, step.text, step.argb, 0,
                                      DT_SINGLELINE | DT_CENTER | DT_VCENTER);
            ::SelectClipRgn(canvas->dc(), nullptr);
        }
        ::GdiFlush();
        int different = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 120; ++x) different += own.RawPixel(x, y) != fresh.RawPixel(x, y);
        EXPECT_EQ(different, 0) << step.name;
        EXPECT_LT(own.Count(step.background, {0, 0, 120, 30}), 120 * 30) << step.name << ": drawn";
    }
    ReleaseTextStateIn(own.dc());
}

}  // namespace
