// The resources of the built vrk_main.exe, read back from the file itself:
// the skin archive "ZIPRES" 130 with every image at the size its layout box
// needs, the icon groups 107 and 108, the version 3.8.3.4, and the pixels of
// the art where the look depends on them (shadow falloff, progress caps,
// crisp glyphs with a visible hover, text contrast on the backgrounds).
#include <windows.h>

#include <gtest/gtest.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "GameLoader/Main/resource.h"
#include "base/Win32Handles.h"
#include "tests/support/TestSupport.h"
#include "tests/toolkit/SkinTestCanvas.h"
#include "toolkit/package/SkinArchive.h"
#include "toolkit/package/SkinFileReader.h"
#include "toolkit/render/ImageDrawing.h"
#include "toolkit/render/ImageScaleSet.h"
#include "toolkit/render/SkinImageLoader.h"

namespace {

struct ModuleTraits {
    static HMODULE Invalid() noexcept { return nullptr; }
    static bool Valid(HMODULE h) noexcept { return h != nullptr; }
    static void Close(HMODULE h) noexcept { ::FreeLibrary(h); }
};
using UniqueModule = win32::UniqueResource<HMODULE, ModuleTraits>;

std::wstring ProductPath()
{
    return testsupport::BesideTests(L"vrk_main.exe");
}

// A resource's bytes inside the loaded image; empty when it is missing.
struct ResourceBytes {
    const unsigned char* data = nullptr;
    DWORD size = 0;
};

ResourceBytes FindBytes(HMODULE module, LPCWSTR name, LPCWSTR type)
{
    const HRSRC found = ::FindResourceW(module, name, type);
    if (found == nullptr) return {};
    const HGLOBAL loaded = ::LoadResource(module, found);
    if (loaded == nullptr) return {};
    return {static_cast<const unsigned char*>(::LockResource(loaded)), ::SizeofResource(module, found)};
}

// Straight (not premultiplied) RGBA pixels as stb_image gives them.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;

    const unsigned char* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    int Alpha(int x, int y) const { return At(x, y)[3]; }
};

Image Decode(const std::vector<unsigned char>& bytes)
{
    Image image;
    int channels = 0;
    unsigned char* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &image.width,
                                                  &image.height, &channels, 4);
    if (pixels == nullptr) return {};
    image.rgba.assign(pixels, pixels + static_cast<size_t>(image.width) * image.height * 4);
    stbi_image_free(pixels);
    return image;
}

// Relative luminance and contrast ratio as used for text legibility.
double Luminance(double r, double g, double b)
{
    auto linear = [](double c) {
        c /= 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}

double Contrast(double l1, double l2)
{
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

// A pixel drawn over an opaque background colour, as the window shows it.
struct Rgb {
    double r, g, b;
};

Rgb Over(const unsigned char* px, Rgb under)
{
    const double a = px[3] / 255.0;
    return {px[0] * a + under.r * (1 - a), px[1] * a + under.g * (1 - a), px[2] * a + under.b * (1 - a)};
}

bool Differs(Rgb a, Rgb b, double by)
{
    return std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b) > by;
}

class ProductResourcesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_module = new UniqueModule(::LoadLibraryExW(ProductPath().c_str(), nullptr,
                                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        const ResourceBytes zip = FindBytes(s_module->get(), MAKEINTRESOURCEW(IDR_SKIN_ZIP), L"ZIPRES");
        if (zip.data != nullptr) s_archive = SkinUI::SkinArchive::OpenMemory(zip.data, zip.size).release();
    }
    static void TearDownTestSuite()
    {
        delete s_archive;
        s_archive = nullptr;
        delete s_module;
        s_module = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_module->valid()) << "cannot load " << testsupport::WideToUtf8(ProductPath());
        ASSERT_NE(s_archive, nullptr) << "ZIPRES 130 missing or not a zip archive";
    }

    static std::vector<unsigned char> Entry(const char* name)
    {
        std::vector<unsigned char> bytes;
        EXPECT_TRUE(s_archive->ReadEntry(name, 4u << 20, bytes)) << name;
        return bytes;
    }
    static Image ImageEntry(const char* name)
    {
        Image image = Decode(Entry(name));
        EXPECT_GT(image.width, 0) << name << " does not decode";
        return image;
    }

    static UniqueModule* s_module;
    static SkinUI::SkinArchive* s_archive;
};
UniqueModule* ProductResourcesTest::s_module = nullptr;
SkinUI::SkinArchive* ProductResourcesTest::s_archive = nullptr;

// Every image the layouts and the launcher code name, at the size of the box
// it is drawn into (buttons are stretched over their "pos" boxes, so any other
// size would blur their glyphs; the progress images match the bar's height).
struct SkinImage {
    const char* name;
    int width;
    int height;
    bool jpeg;
};
const SkinImage kSkinImages[] = {
    {"shadow.png", 24, 24, false},
    {"gmin_normal.png", 24, 24, false},
    {"gmin_hover.png", 24, 24, false},
    {"gclose_normal.png", 28, 30, false},
    {"gclose_hover.png", 28, 30, false},
    {"gprogress_bk.png", 24, 13, false},
    {"gprogress_fore.png", 24, 13, false},
    {"btn_close.png", 24, 24, false},
    {"btn_close_hover.png", 24, 24, false},
    {"icon_warning.png", 60, 60, false},
    {"confirm.png", 96, 32, false},
    {"tov_download_bk.jpg", 960, 620, true},
    {"melk_download_bk.jpg", 960, 620, true},
    {"pirn_download_bk.jpg", 960, 620, true},
};

// Buttons: the normal glyphs are whole pixels (no antialiased fringe), and
// hovering visibly changes both the glyph and its surroundings.
struct ButtonArt {
    const char* normal;
    const char* hover;
    int glyphX, glyphY;  // a pixel of the glyph
    int plateX, plateY;  // a pixel beside the glyph, inside the hover plate
    Rgb under;           // what the button is drawn on
};
const ButtonArt kButtons[] = {
    {"gmin_normal.png", "gmin_hover.png", 12, 12, 4, 12, {24, 32, 60}},
    {"gclose_normal.png", "gclose_hover.png", 14, 15, 4, 15, {24, 32, 60}},
    {"btn_close.png", "btn_close_hover.png", 12, 12, 4, 12, {255, 255, 255}},
};

// The name of an image in a set ("shadow@150.png").
std::string SetName(const char* name, int percent)
{
    return testsupport::WideToUtf8(SkinUI::ImageSetName(testsupport::Utf8ToWide(name), percent));
}

// A length of the 100 % art in a set, as the build draws it and the layout
// scales it.
int AtSet(int length, int percent)
{
    return SkinUI::CDisplayScale(SkinUI::ImageSetDpi(percent)).Scale(length);
}

TEST_F(ProductResourcesTest, SkinArchiveHoldsBothLayoutsAndEveryImageAtItsSizeInEverySet)
{
    for (const char* layout : {"GameLoader.xml", "CustomMsgBox.xml"}) {
        const std::vector<unsigned char> bytes = Entry(layout);
        const std::string text(bytes.begin(), bytes.end());
        EXPECT_EQ(text.rfind("<?xml", 0), 0u) << layout;
        EXPECT_NE(text.find("<Window"), std::string::npos) << layout;
    }
    for (const SkinImage& expected : kSkinImages) {
        for (const int percent : SkinUI::kImageSetPercents) {
            const std::string name = SetName(expected.name, percent);
            SCOPED_TRACE(name);
            const std::vector<unsigned char> bytes = Entry(name.c_str());
            ASSERT_GE(bytes.size(), 8u);
            // The file format matches the name: the loader does not care, but a
            // PNG saved as .jpg would lose its alpha in every other tool.
            if (expected.jpeg) {
                EXPECT_TRUE(bytes[0] == 0xFF && bytes[1] == 0xD8);
            } else {
                EXPECT_TRUE(bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G');
            }
            // Each set at the layout's size at its scale: drawn 1:1 there.
            const Image image = Decode(bytes);
            EXPECT_EQ(image.width, AtSet(expected.width, percent));
            EXPECT_EQ(image.height, AtSet(expected.height, percent));
        }
    }
    // Nothing else: a stale or misspelt image would be dead weight.
    EXPECT_EQ(s_archive->EntryCount(), 2 + std::size(kSkinImages) * SkinUI::kImageSetPercents.size());
}

// Each set is the art drawn at its scale, not the 100 % pixels stretched:
// the crisp glyphs are whole pixels at every scale (and at 200 % exactly
// the 100 % glyphs doubled), the shadow's contact line lies against the
// window at every scale's corner and its ring fades out, and the progress
// caps stay round with middle columns that stretch without a trace.
TEST_F(ProductResourcesTest, EverySetIsTheArtDrawnAtItsScale)
{
    for (const int percent : SkinUI::kImageSetPercents) {
        SCOPED_TRACE(percent);
        const SkinUI::CDisplayScale scale(SkinUI::ImageSetDpi(percent));
        for (const ButtonArt& button : kButtons) {
            const Image base = ImageEntry(button.normal);
            const Image normal = ImageEntry(SetName(button.normal, percent).c_str());
            std::set<int> alphas;
            for (int y = 0; y < normal.height; ++y)
                for (int x = 0; x < normal.width; ++x) alphas.insert(normal.Alpha(x, y));
            EXPECT_LE(alphas.size(), 3u) << button.normal << ": whole pixels, no antialiased fringe";
            if (percent != 200) continue;
            for (int y = 0; y < normal.height; ++y)
                for (int x = 0; x < normal.width; ++x)
                    ASSERT_EQ(std::memcmp(normal.At(x, y), base.At(x / 2, y / 2), 4), 0)
                        << button.normal << " at " << x << "," << y;
        }

        const Image shadow = ImageEntry(SetName("shadow.png", percent).c_str());
        const int k = scale.ScaleCorner(9);
        const int last = shadow.width - 1, mid = shadow.width / 2;
        struct Walk {
            int x, y, dx, dy;
        };
        for (const Walk& w : {Walk{mid, 0, 0, 1}, Walk{mid, last, 0, -1}, Walk{0, mid, 1, 0}, Walk{last, mid, -1, 0}}) {
            EXPECT_EQ(shadow.Alpha(w.x, w.y), 0) << "fades to nothing at the outer edge";
            int previous = 0;
            for (int step = 0; step < k; ++step) {
                const int alpha = shadow.Alpha(w.x + w.dx * step, w.y + w.dy * step);
                EXPECT_GE(alpha, previous) << "from " << w.x << "," << w.y << " step " << step;
                previous = alpha;
            }
            EXPECT_GE(previous, 96) << "firm against the window, from " << w.x << "," << w.y;
        }

        const int cap = scale.ScaleCorner(3);
        for (const char* name : {"gprogress_bk.png", "gprogress_fore.png"}) {
            const Image image = ImageEntry(SetName(name, percent).c_str());
            const int r = image.width - 1, b = image.height - 1;
            for (auto [x, y] : {std::pair{0, 0}, {r, 0}, {0, b}, {r, b}})
                EXPECT_LT(image.Alpha(x, y), 160) << name << " rounded at " << x << "," << y;
            // Where a cap ends between pixels, the column it cuts is a
            // little lighter: within a few steps of the others.
            for (int y = 0; y <= b; ++y)
                for (int x = cap; x <= r - cap; ++x)
                    for (int c = 0; c < 4; ++c)
                        EXPECT_LE(std::abs(image.At(x, y)[c] - image.At(image.width / 2, y)[c]), 3)
                            << name << " " << x << "," << y;
        }
    }
}

// The size table above is an expectation, not the product's list: the
// images are the ones the packed layouts name, plus the download
// backgrounds the launcher picks by game code (GameLoaderWnd.cpp).
TEST_F(ProductResourcesTest, TheImagesAreExactlyThoseTheLayoutsAndTheLauncherName)
{
    std::set<std::string> named = {"tov_download_bk.jpg", "melk_download_bk.jpg", "pirn_download_bk.jpg"};
    const std::regex attribute("image=\"([^\"]*)\"");
    const std::regex file("file='([^']*)'");
    for (const char* layout : {"GameLoader.xml", "CustomMsgBox.xml"}) {
        const std::vector<unsigned char> bytes = Entry(layout);
        const std::string text(bytes.begin(), bytes.end());
        for (std::sregex_iterator it(text.begin(), text.end(), attribute), end; it != end; ++it) {
            const std::string value = (*it)[1];
            std::smatch quoted;
            named.insert(std::regex_search(value, quoted, file) ? std::string(quoted[1]) : value);
        }
    }
    std::set<std::string> listed;
    for (const SkinImage& image : kSkinImages) listed.insert(image.name);
    EXPECT_EQ(named, listed);
    EXPECT_GE(named.size(), 10u) << "the layouts were read";
}

// The shadow is drawn as a nine-grid with 9-pixel corners around the window:
// its alpha must fade smoothly to nothing at the outer edge, or the shadow
// ends in a visible rim, and be firm where it touches the window.
TEST_F(ProductResourcesTest, ShadowFadesToNothingAtTheOuterEdgeAndIsFirmAtTheWindow)
{
    const Image shadow = ImageEntry("shadow.png");
    ASSERT_EQ(shadow.width, 24);
    const int last = 23;
    for (int i = 0; i <= last; ++i) {
        EXPECT_EQ(shadow.Alpha(i, 0), 0) << "top edge x=" << i;
        EXPECT_EQ(shadow.Alpha(i, last), 0) << "bottom edge x=" << i;
        EXPECT_EQ(shadow.Alpha(0, i), 0) << "left edge y=" << i;
        EXPECT_EQ(shadow.Alpha(last, i), 0) << "right edge y=" << i;
    }
    // Inside the corner cells, next to the window's corner.
    for (auto [x, y] : {std::pair{8, 8}, {15, 8}, {8, 15}, {15, 15}}) {
        EXPECT_GE(shadow.Alpha(x, y), 96) << x << "," << y;
    }
    // Along the middle of each side the alpha only grows towards the window,
    // in steps small enough to read as a soft falloff.
    struct Walk {
        int x, y, dx, dy;
    };
    for (const Walk& w : {Walk{12, 0, 0, 1}, Walk{12, last, 0, -1}, Walk{0, 12, 1, 0}, Walk{last, 12, -1, 0}}) {
        int previous = 0;
        for (int step = 0; step < 9; ++step) {
            const int alpha = shadow.Alpha(w.x + w.dx * step, w.y + w.dy * step);
            EXPECT_GE(alpha, previous) << "side from " << w.x << "," << w.y << " step " << step;
            if (step < 8) {
                EXPECT_LE(alpha - previous, 48) << "hard step at " << step;
            }
            previous = alpha;
        }
    }
    // The edge cells are stretched along the window's sides: every column of
    // the top edge's middle must be alike, or the stretch shows.
    for (int y = 0; y < 9; ++y) {
        for (int x = 10; x < 14; ++x) EXPECT_EQ(shadow.Alpha(x, y), shadow.Alpha(9, y)) << x << "," << y;
    }
}

// The progress bar draws both images with corners 3,3,3,3 over 530 x 13; the
// fill is scaled into the filled part, 5 pixels wide at 1 %.
TEST_F(ProductResourcesTest, ProgressImagesHaveRoundedCapsAndAFillThatReadsOnTheTrack)
{
    const Image track = ImageEntry("gprogress_bk.png");
    const Image fill = ImageEntry("gprogress_fore.png");
    for (const Image* image : {&track, &fill}) {
        ASSERT_EQ(image->height, 13);
        ASSERT_GE(image->width, 7);
        const int r = image->width - 1;
        // Rounded: the outermost corner pixels are transparent or antialiased.
        for (auto [x, y] : {std::pair{0, 0}, {r, 0}, {0, 12}, {r, 12}}) EXPECT_LT(image->Alpha(x, y), 160) << x << "," << y;
        // Only the middle columns are stretched: they must all be alike.
        for (int y = 0; y < 13; ++y) {
            for (int x = 4; x <= r - 3; ++x) {
                for (int c = 0; c < 4; ++c) EXPECT_EQ(image->At(x, y)[c], image->At(3, y)[c]) << x << "," << y;
            }
        }
    }
    // The fill's caps are solid colour right to their straight edge, so a
    // 5-pixel fill is a whole bright pill, clearly lighter than the track.
    const Rgb page{20, 26, 40};
    for (int y = 3; y <= 9; ++y) {
        for (int x = 0; x < 3; ++x) EXPECT_EQ(fill.Alpha(x, y), 255) << x << "," << y;
        const Rgb a = Over(fill.At(1, y), page);
        const Rgb b = Over(track.At(1, y), page);
        EXPECT_GT(Contrast(Luminance(a.r, a.g, a.b), Luminance(b.r, b.g, b.b)), 4.0) << "row " << y;
    }
}

// Skin files served from the product's archive, for the toolkit's own image
// loader.
class ArchiveFiles final : public SkinUI::ISkinFileReader {
public:
    explicit ArchiveFiles(SkinUI::SkinArchive& archive) : m_archive(archive) {}
    bool ReadSkinFile(std::wstring_view name, std::vector<unsigned char>& bytes) const override
    {
        return m_archive.ReadEntry(testsupport::WideToUtf8(std::wstring(name)), 4u << 20, bytes);
    }

private:
    SkinUI::SkinArchive& m_archive;
};

// The art through the toolkit's loader and nine-grid drawing, as the window
// paints it: the progress bar at 1 % (a 5-pixel fill with 3-pixel corners)
// and the shadow ring around a window.
TEST_F(ProductResourcesTest, RendererDrawsAOnePercentFillAndASoftShadowRing)
{
    ArchiveFiles files(*s_archive);
    const auto track = SkinUI::LoadSkinImage(L"gprogress_bk.png", L"", 0, &files, nullptr);
    const auto fill = SkinUI::LoadSkinImage(L"gprogress_fore.png", L"", 0, &files, nullptr);
    const auto shadow = SkinUI::LoadSkinImage(L"shadow.png", L"", 0, &files, nullptr);
    ASSERT_TRUE(track && fill && shadow);
    auto draw = [](HDC dc, const SkinUI::TImageInfo& image, const RECT& dest, const RECT& corners, bool hole) {
        const RECT paint{0, 0, 4096, 4096};
        SkinUI::DrawImagePart(dc, image.hBitmap.get(), dest, paint, RECT{0, 0, image.nWidth, image.nHeight},
                              corners, image.bAlpha, 255, hole, false, false);
    };

    const DWORD page = 0x141A28;
    skintest::TestCanvas bar(560, 33, page);
    const RECT barRect{10, 10, 540, 23};
    draw(bar.dc(), *track, barRect, RECT{3, 3, 3, 3}, false);
    const int filled = 530 * 1 / 100;  // the progress control's arithmetic
    draw(bar.dc(), *fill, RECT{10, 10, 10 + filled, 23}, RECT{3, 3, 3, 3}, false);
    auto isGold = [](DWORD rgb) { return (rgb >> 16) > 200 && ((rgb >> 8) & 0xFF) > 110 && (rgb & 0xFF) < 100; };
    for (int x = 10; x < 10 + filled; ++x) {
        EXPECT_TRUE(isGold(bar.Pixel(x, 16))) << "fill column " << x << ": " << std::hex << bar.Pixel(x, 16);
    }
    for (int x = 10 + filled + 1; x < 539; ++x) EXPECT_FALSE(isGold(bar.Pixel(x, 16))) << x;
    // The track shows beside the page, and its ends are rounded.
    EXPECT_GT(skintest::ColourDistance(bar.Pixel(300, 16), page), 12);
    for (auto [x, y] : {std::pair{10, 10}, {539, 10}, {10, 22}, {539, 22}}) {
        EXPECT_LT(skintest::ColourDistance(bar.Pixel(x, y), page), skintest::ColourDistance(bar.Pixel(300, y), page))
            << x << "," << y;
    }

    // A 62 x 42 window at (19, 19) with its 9-pixel shadow ring on a desktop.
    const DWORD desktop = 0x3A6EA5;
    skintest::TestCanvas ring(80, 60, desktop);
    draw(ring.dc(), *shadow, RECT{10, 10, 90 - 20, 70 - 20}, RECT{9, 9, 9, 9}, true);
    EXPECT_EQ(ring.Pixel(10, 30), desktop);
    EXPECT_EQ(ring.Pixel(40, 10), desktop);
    EXPECT_EQ(ring.Pixel(40, 30), desktop) << "the centre lies under the window";
    int previous = 0;
    for (int x = 10; x < 19; ++x) {
        const int darker = skintest::ColourDistance(ring.Pixel(x, 30), desktop);
        EXPECT_GE(darker, previous) << x;
        previous = darker;
    }
    EXPECT_GT(previous, 60) << "firm where it meets the window";
}

TEST_F(ProductResourcesTest, ButtonGlyphsAreCrispAndTheHoverStateIsVisible)
{
    for (const ButtonArt& button : kButtons) {
        SCOPED_TRACE(button.normal);
        const Image normal = ImageEntry(button.normal);
        const Image hover = ImageEntry(button.hover);
        ASSERT_EQ(normal.width, hover.width);
        ASSERT_EQ(normal.height, hover.height);

        std::set<int> alphas;
        for (int y = 0; y < normal.height; ++y) {
            for (int x = 0; x < normal.width; ++x) alphas.insert(normal.Alpha(x, y));
        }
        // Transparent, the glyph, and at most its one-pixel shade.
        EXPECT_LE(alphas.size(), 3u);
        EXPECT_GT(normal.Alpha(button.glyphX, button.glyphY), 180);

        const Rgb glyphNormal = Over(normal.At(button.glyphX, button.glyphY), button.under);
        const Rgb glyphHover = Over(hover.At(button.glyphX, button.glyphY), button.under);
        EXPECT_TRUE(Differs(glyphNormal, glyphHover, 30));
        EXPECT_EQ(normal.Alpha(button.plateX, button.plateY), 0);
        const Rgb plateHover = Over(hover.At(button.plateX, button.plateY), button.under);
        EXPECT_TRUE(Differs(plateHover, button.under, 30));
    }
}

TEST_F(ProductResourcesTest, WarningIconAndConfirmButtonSitCleanlyOnTheWhiteBox)
{
    const Image icon = ImageEntry("icon_warning.png");
    ASSERT_EQ(icon.width, 60);
    // Free-standing shape: transparent corners, an opaque warm body, and the
    // white exclamation mark in the middle.
    for (auto [x, y] : {std::pair{0, 0}, {59, 0}, {0, 59}, {59, 59}}) EXPECT_EQ(icon.Alpha(x, y), 0);
    const unsigned char* body = icon.At(20, 42);
    EXPECT_EQ(body[3], 255);
    EXPECT_GT(body[0], 200);
    EXPECT_LT(body[2], 120);
    const unsigned char* mark = icon.At(30, 30);
    EXPECT_TRUE(mark[0] > 240 && mark[1] > 240 && mark[2] > 240 && mark[3] == 255);

    // The button draws "确定" in #008AFF over this plate: it must stay light.
    const Image confirm = ImageEntry("confirm.png");
    ASSERT_EQ(confirm.width, 96);
    const Rgb white{255, 255, 255};
    const double text = Luminance(0x00, 0x8A, 0xFF);
    for (int y = 8; y < 24; ++y) {
        for (int x = 20; x < 76; ++x) {
            const Rgb p = Over(confirm.At(x, y), white);
            EXPECT_GT(Contrast(Luminance(p.r, p.g, p.b), text), 3.0) << x << "," << y;
        }
    }
}

// The download page puts the progress bar (y 320..333) and the tip text in
// #EEE8D9 (y 332..352) over x 320..850, and the white window glyphs at the top
// right: the art must stay dark there. The three games must look different.
TEST_F(ProductResourcesTest, DownloadBackgroundsAreDistinctAndCalmBehindTheProgressArea)
{
    const char* names[] = {"tov_download_bk.jpg", "melk_download_bk.jpg", "pirn_download_bk.jpg"};
    std::vector<Image> images;
    const double tip = Luminance(0xEE, 0xE8, 0xD9);
    for (const char* name : names) {
        SCOPED_TRACE(name);
        images.push_back(ImageEntry(name));
        const Image& image = images.back();
        ASSERT_EQ(image.width, 960);
        ASSERT_EQ(image.height, 620);
        double brightest = 0;
        for (int y = 320; y < 352; ++y) {
            for (int x = 320; x < 850; ++x) {
                const unsigned char* p = image.At(x, y);
                brightest = std::max(brightest, Luminance(p[0], p[1], p[2]));
            }
        }
        EXPECT_GT(Contrast(tip, brightest), 7.0) << "tip text would not read";
        for (int y = 4; y < 34; ++y) {
            for (int x = 902; x < 956; ++x) {
                const unsigned char* p = image.At(x, y);
                ASSERT_GT(Contrast(1.0, Luminance(p[0], p[1], p[2])), 4.5) << x << "," << y;
            }
        }
    }
    for (size_t a = 0; a < images.size(); ++a) {
        for (size_t b = a + 1; b < images.size(); ++b) {
            double difference = 0;
            for (size_t i = 0; i < images[a].rgba.size(); ++i) {
                difference += std::abs(int(images[a].rgba[i]) - int(images[b].rgba[i]));
            }
            EXPECT_GT(difference / images[a].rgba.size(), 12.0) << names[a] << " vs " << names[b];
        }
    }
}

// Icon groups: the directory lists the sizes, and each listed image must load
// as an icon of that size (a broken entry would show a blank icon).
#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
#pragma pack(pop)

TEST_F(ProductResourcesTest, IconGroupsHoldEverySizeAndEachLoads)
{
    struct Group {
        int id;
        std::set<int> sizes;
    };
    for (const Group& group : {Group{IDI_VORKAN, {16, 24, 32, 48, 256}}, Group{IDI_VORKAN_SMALL, {16, 24, 32}}}) {
        SCOPED_TRACE(group.id);
        const ResourceBytes dir = FindBytes(s_module->get(), MAKEINTRESOURCEW(group.id), MAKEINTRESOURCEW(14));
        ASSERT_NE(dir.data, nullptr);
        ASSERT_GE(dir.size, sizeof(GroupIconHeader));
        GroupIconHeader header;
        std::memcpy(&header, dir.data, sizeof header);
        EXPECT_EQ(header.type, 1);
        ASSERT_EQ(dir.size, sizeof header + header.count * sizeof(GroupIconEntry));
        std::set<int> sizes;
        for (WORD i = 0; i < header.count; ++i) {
            GroupIconEntry entry;
            std::memcpy(&entry, dir.data + sizeof header + i * sizeof entry, sizeof entry);
            const int size = entry.width == 0 ? 256 : entry.width;
            sizes.insert(size);
            EXPECT_EQ(entry.width, entry.height);
            EXPECT_EQ(entry.bitCount, 32) << size << " px: alpha needs 32 bits";

            const ResourceBytes image = FindBytes(s_module->get(), MAKEINTRESOURCEW(entry.id), MAKEINTRESOURCEW(3));
            ASSERT_NE(image.data, nullptr) << "icon image " << entry.id;
            const HICON icon = ::CreateIconFromResourceEx(const_cast<PBYTE>(image.data), image.size, TRUE, 0x00030000,
                                                          size, size, LR_DEFAULTCOLOR);
            ASSERT_NE(icon, nullptr) << size << " px";
            ICONINFO info{};
            ASSERT_TRUE(::GetIconInfo(icon, &info));
            BITMAP bitmap{};
            ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
            EXPECT_EQ(bitmap.bmWidth, size);
            EXPECT_EQ(bitmap.bmHeight, size);
            if (info.hbmColor != nullptr) ::DeleteObject(info.hbmColor);
            if (info.hbmMask != nullptr) ::DeleteObject(info.hbmMask);
            ::DestroyIcon(icon);
        }
        EXPECT_EQ(sizes, group.sizes);
    }
}

TEST_F(ProductResourcesTest, VersionResourceReads3834WithTheProductStrings)
{
    const std::wstring path = ProductPath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(8, 3));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(4, 3));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(8, 3));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(4, 3));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    // The strings are found through the translation the file declares, as
    // Explorer finds them.
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                                 &length));
    ASSERT_GE(length, sizeof(Translation));
    wchar_t prefix[64];
    swprintf(prefix, 64, L"\\StringFileInfo\\%04x%04x\\", translations[0].language, translations[0].codePage);

    // Simplified Chinese, Unicode; the non-ASCII texts also prove that the
    // resource script's UTF-8 reached the file undamaged.
    EXPECT_EQ(translations[0].language, 0x0804);
    EXPECT_EQ(translations[0].codePage, 1200);
    struct Field {
        const wchar_t* name;
        const wchar_t* value;
    };
    const Field fields[] = {
        {L"CompanyName", L"Vorkan Games"},
        {L"FileDescription", L"Vorkan \u6e38\u620f\u542f\u52a8\u5668"},  // "Vorkan 游戏启动器"
        {L"FileVersion", L"3.8.3.4"},
        {L"InternalName", L"vrk_main"},
        {L"LegalCopyright", L"\u00a9 2026 Vorkan Games. All rights reserved."},
        {L"OriginalFilename", L"vrk_main.exe"},
        {L"ProductName", L"Vorkan"},
        {L"ProductVersion", L"3.8.3.4"},
    };
    for (const Field& field : fields) {
        const std::wstring query = prefix + std::wstring(field.name);
        wchar_t* value = nullptr;
        UINT chars = 0;
        ASSERT_TRUE(::VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars))
            << testsupport::WideToUtf8(field.name);
        EXPECT_EQ(std::wstring(value), field.value) << testsupport::WideToUtf8(field.name);
    }
}

// Every element of a manifest, depth first, by its name as written.
void CollectElements(const TiXmlElement* element, std::vector<const TiXmlElement*>& out)
{
    for (; element != nullptr; element = element->NextSiblingElement()) {
        out.push_back(element);
        CollectElements(element->FirstChildElement(), out);
    }
}

std::string AttributeOf(const TiXmlElement* element, const char* name)
{
    const char* value = element != nullptr ? element->Attribute(name) : nullptr;
    return value != nullptr ? value : "";
}

TEST_F(ProductResourcesTest, ManifestNamesWindows7To11RunsAsInvokerAndDeclaresPerMonitorDpi)
{
    const ResourceBytes bytes = FindBytes(s_module->get(), MAKEINTRESOURCEW(IDR_APP_MANIFEST), MAKEINTRESOURCEW(24));
    ASSERT_NE(bytes.data, nullptr) << "no RT_MANIFEST 1 in vrk_main.exe";
    const std::string text(reinterpret_cast<const char*>(bytes.data), bytes.size);
    TiXmlDocument document;
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
    ASSERT_FALSE(document.Error()) << document.ErrorDesc() << " at row " << document.ErrorRow();

    const TiXmlElement* assembly = document.RootElement();
    ASSERT_NE(assembly, nullptr);
    EXPECT_STREQ(assembly->Value(), "assembly");
    EXPECT_EQ(AttributeOf(assembly, "xmlns"), "urn:schemas-microsoft-com:asm.v1");
    EXPECT_EQ(AttributeOf(assembly, "manifestVersion"), "1.0");

    std::vector<const TiXmlElement*> elements;
    CollectElements(assembly, elements);
    std::set<std::string> supported;
    const TiXmlElement* level = nullptr;
    std::vector<const TiXmlElement*> dpiAware, dpiAwareness;
    for (const TiXmlElement* element : elements) {
        const std::string name = element->Value();
        if (name == "supportedOS") supported.insert(AttributeOf(element, "Id"));
        if (name == "requestedExecutionLevel") level = element;
        if (name == "dpiAware") dpiAware.push_back(element);
        if (name == "dpiAwareness") dpiAwareness.push_back(element);
        // The window draws itself at every scale: nothing asks the system
        // to stretch or to scale its drawing instead.
        EXPECT_TRUE(name != "gdiScaling") << name;
    }
    // Windows 7, 8, 8.1 and 10/11, and no other.
    EXPECT_EQ(supported, (std::set<std::string>{"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                                "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}));
    const TiXmlElement* compatibility = assembly->FirstChildElement("compatibility");
    EXPECT_EQ(AttributeOf(compatibility, "xmlns"), "urn:schemas-microsoft-com:compatibility.v1");
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(AttributeOf(level, "level"), "asInvoker");
    EXPECT_EQ(AttributeOf(level, "uiAccess"), "false");
    EXPECT_EQ(AttributeOf(assembly->FirstChildElement("trustInfo"), "xmlns"), "urn:schemas-microsoft-com:asm.v3");

    // Per-monitor v2 where the system has it, per monitor on 8.1, the
    // system's scale on 7 and 8 ("true" of "true/pm"): each setting once,
    // in the windowsSettings of an asm.v3 application element, in the
    // namespace the system reads it from.
    ASSERT_EQ(dpiAware.size(), 1u);
    ASSERT_EQ(dpiAwareness.size(), 1u);
    EXPECT_STREQ(dpiAware[0]->GetText(), "true/pm");
    EXPECT_EQ(AttributeOf(dpiAware[0], "xmlns"), "http://schemas.microsoft.com/SMI/2005/WindowsSettings");
    EXPECT_STREQ(dpiAwareness[0]->GetText(), "PerMonitorV2,PerMonitor");
    EXPECT_EQ(AttributeOf(dpiAwareness[0], "xmlns"), "http://schemas.microsoft.com/SMI/2016/WindowsSettings");
    for (const TiXmlElement* setting : {dpiAware[0], dpiAwareness[0]}) {
        const TiXmlElement* settings = setting->Parent() ? setting->Parent()->ToElement() : nullptr;
        ASSERT_NE(settings, nullptr);
        EXPECT_STREQ(settings->Value(), "windowsSettings");
        const TiXmlElement* application = settings->Parent() ? settings->Parent()->ToElement() : nullptr;
        ASSERT_NE(application, nullptr);
        EXPECT_STREQ(application->Value(), "application");
        EXPECT_EQ(AttributeOf(application, "xmlns"), "urn:schemas-microsoft-com:asm.v3");
        EXPECT_EQ(application->Parent(), assembly);
    }

    // The system's own reader takes it as the program's activation context.
    ACTCTXW context{};
    context.cbSize = sizeof(context);
    const std::wstring path = ProductPath();
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(IDR_APP_MANIFEST);
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    const HANDLE created = ::CreateActCtxW(&context);
    ASSERT_NE(created, INVALID_HANDLE_VALUE) << ::GetLastError();
    // And reads the DPI settings back as the system's window manager does.
    const auto setting = [&](const wchar_t* space, const wchar_t* name) {
        wchar_t value[64] = {};
        SIZE_T written = 0;
        return ::QueryActCtxSettingsW(0, created, space, name, value, 64, &written) ? std::wstring(value)
                                                                                  : std::wstring(L"(none)");
    };
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2,PerMonitor");
    ::ReleaseActCtx(created);
}

}  // namespace
