// Both layouts built from the program's skin resource and shown under the
// test display: the launcher window on its download page and the notice box
// with a message, each saved with its shadow as a PNG file in the
// "screenshots" folder beside the program. A few pixels are checked against
// the packed images themselves, so the test holds whatever the art looks like.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/Win32Handles.h"
#include "tests/toolkit/skinwindow/SkinTestWindows.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/package/SkinResources.h"
#include "toolkit/render/DibSection.h"
#include "toolkit/render/SkinRenderer.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#include <stb_image.h>

namespace {

using namespace SkinUI;
using skintest::PackedSkinWindow;

struct Rgba {
    int r, g, b, a;
};

// Top-down RGBA rows: a screen area or a packed image.
struct RgbaPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    Rgba At(int x, int y) const
    {
        const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
};

RgbaPixels CaptureScreen(const RECT& area)
{
    RgbaPixels capture;
    capture.width = area.right - area.left;
    capture.height = area.bottom - area.top;
    void* bits = nullptr;
    win32::WindowDc screen(nullptr);
    win32::UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
    win32::UniqueBitmap bitmap = CreateTopDownDib(screen.get(), capture.width, capture.height, bits);
    if (!memory || !bitmap) return capture;
    {
        win32::SelectedObject selected(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, capture.width, capture.height, screen.get(), area.left, area.top,
                 SRCCOPY | CAPTUREBLT);
        ::GdiFlush();
    }
    capture.rgba.resize(static_cast<std::size_t>(capture.width) * capture.height * 4);
    const auto* bgra = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0; i < capture.rgba.size(); i += 4) {
        capture.rgba[i] = bgra[i + 2];
        capture.rgba[i + 1] = bgra[i + 1];
        capture.rgba[i + 2] = bgra[i];
        capture.rgba[i + 3] = 255;
    }
    return capture;
}

std::wstring ScreenshotFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"screenshots\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

bool SavePng(const RgbaPixels& capture, const wchar_t* name)
{
    const std::wstring path = ScreenshotFolder() + name;
    std::vector<std::uint8_t> png;
    const auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(context);
        out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
    };
    if (!stbi_write_png_to_func(append, &png, capture.width, capture.height, 4, capture.rgba.data(),
                                capture.width * 4))
        return false;
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    const bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
    return fclose(file) == 0 && written;
}

// A packed image decoded as straight RGBA.
RgbaPixels PackedImage(const wchar_t* name)
{
    RgbaPixels image;
    std::vector<unsigned char> bytes;
    if (!ReadSkinFile(name, 16u << 20, bytes)) return image;
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &image.width,
                                            &image.height, &channels, 4);
    if (!pixels) return image;
    image.rgba.assign(pixels, pixels + static_cast<std::size_t>(image.width) * image.height * 4);
    stbi_image_free(pixels);
    return image;
}

Rgba Over(Rgba top, Rgba under)
{
    const auto mix = [&](int t, int u) { return (t * top.a + u * (255 - top.a) + 127) / 255; };
    return {mix(top.r, under.r), mix(top.g, under.g), mix(top.b, under.b), 255};
}

::testing::AssertionResult Near(Rgba actual, Rgba expected, int tolerance)
{
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << actual.r << "," << actual.g << "," << actual.b << " want "
                                         << expected.r << "," << expected.g << "," << expected.b;
}

int Luminance(Rgba c)
{
    return (c.r * 299 + c.g * 587 + c.b * 114) / 1000;
}

// The window's rectangle grown by the shadow's corners.
RECT ShadowedArea(HWND hwnd, const RECT& corner)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return {r.left - corner.left, r.top - corner.top, r.right + corner.right, r.bottom + corner.bottom};
}

// The desktop the saved pictures show around the windows.
constexpr Rgba kDesktop = {0xE4, 0xE8, 0xEE, 255};

// What a window with its shadow looks like on a light desktop. The test
// display has no compositor: it shows a layered window's premultiplied
// pixels as they are, over black. So the window comes from the screen, the
// shadow window is checked against its nine-grid drawn by the renderer as the
// shadow draws it, and that layer is then blended over the desktop here.
struct ShadowedShot {
    RgbaPixels picture;
    int mismatches = 0;  // shadow pixels on screen that differ from the layer
    bool placed = false; // the shadow window surrounds the window by its corners
};

ShadowedShot ShotWithShadow(PackedSkinWindow& window)
{
    ShadowedShot result;
    CWindowManagerUI& manager = window.Manager();
    const HWND hwnd = window.Handle();
    const RECT corner = manager.Shadow().Corner();
    const RECT area = ShadowedArea(hwnd, corner);
    RECT shadowRect{};
    ::GetWindowRect(manager.Shadow().WindowHandle(), &shadowRect);
    result.placed = ::EqualRect(&shadowRect, &area) != FALSE && manager.Shadow().IsShown();

    const RgbaPixels screen = CaptureScreen(area);
    const TImageInfo* image = manager.ImageFor(manager.Shadow().Image().View());
    if (!image) return result;
    void* bits = nullptr;
    win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    win32::UniqueBitmap layer = CreateTopDownDib(dc.get(), screen.width, screen.height, bits);
    if (!dc || !layer) return result;
    {
        win32::SelectedObject selected(dc.get(), layer.get());
        const RECT whole = {0, 0, screen.width, screen.height};
        const RECT source = {0, 0, image->nWidth, image->nHeight};
        CSkinRenderer::DrawImagePart(dc.get(), image->hBitmap.get(), whole, whole, source, corner, true, 255, true,
                                     false, false);
        ::GdiFlush();
    }

    result.picture = screen;
    const auto* bgra = static_cast<const std::uint8_t*>(bits);
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            const bool inWindow = x >= corner.left && x < screen.width - corner.right && y >= corner.top &&
                                  y < screen.height - corner.bottom;
            if (inWindow) continue;
            const std::uint8_t* l = bgra + (static_cast<std::size_t>(y) * screen.width + x) * 4;
            const Rgba premultiplied = {l[2], l[1], l[0], l[3]};
            const Rgba shown = screen.At(x, y);
            if (std::abs(shown.r - premultiplied.r) > 2 || std::abs(shown.g - premultiplied.g) > 2 ||
                std::abs(shown.b - premultiplied.b) > 2)
                ++result.mismatches;
            std::uint8_t* out = &result.picture.rgba[(static_cast<std::size_t>(y) * screen.width + x) * 4];
            const auto blend = [&](int layerValue, int desktop) {
                return static_cast<std::uint8_t>(layerValue + (desktop * (255 - premultiplied.a) + 127) / 255);
            };
            out[0] = blend(premultiplied.r, kDesktop.r);
            out[1] = blend(premultiplied.g, kDesktop.g);
            out[2] = blend(premultiplied.b, kDesktop.b);
        }
    }
    return result;
}

class SkinScreenshotTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        skintest::StartToolkit();
        ASSERT_TRUE(OpenSkinSource(SkinSource::ZipResource, L"", L"", L"130"));
    }
};

TEST_F(SkinScreenshotTest, LauncherDownloadPage)
{
    PackedSkinWindow window(L"ScreenshotLauncherWindow", L"GameLoader.xml");
    const HWND hwnd = window.CreateShown(nullptr, 40, 40);
    ASSERT_NE(hwnd, nullptr);
    CWindowManagerUI& manager = window.Manager();
    auto* tab = static_cast<CTabLayoutUI*>(manager.FindByName(L"wizardTab"));
    auto* page = manager.FindByName(L"vLayoutDownload");
    auto* progress = static_cast<CProgressUI*>(manager.FindByName(L"progress"));
    ASSERT_TRUE(tab && page && progress);
    ASSERT_TRUE(tab->SelectPage(1));
    page->ApplyAttribute(L"bkimage", L"tov_download_bk.jpg");
    progress->SetValue(50);
    ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    skintest::PumpFor(300);

    const RECT corner = manager.Shadow().Corner();
    const ShadowedShot shadowed = ShotWithShadow(window);
    EXPECT_TRUE(shadowed.placed);
    EXPECT_EQ(shadowed.mismatches, 0);
    const RgbaPixels& shot = shadowed.picture;
    ASSERT_TRUE(SavePng(shot, L"launcher_download.png"));

    // The download page shows the background image 1:1.
    const RgbaPixels background = PackedImage(L"tov_download_bk.jpg");
    ASSERT_EQ(background.width, 960);
    ASSERT_EQ(background.height, 620);
    const int ox = corner.left, oy = corner.top;  // the window inside the shot
    for (const POINT p : {POINT{100, 500}, POINT{700, 200}, POINT{20, 600}})
        EXPECT_TRUE(Near(shot.At(ox + p.x, oy + p.y), Over(background.At(p.x, p.y), {0, 0, 0, 255}), 3))
            << p.x << "," << p.y;

    // The bar's 3-pixel corners are the images' own corners, unscaled: the
    // track's at the right end, the fill's over the track at the left end.
    const RgbaPixels track = PackedImage(L"gprogress_bk.png");
    const RgbaPixels fill = PackedImage(L"gprogress_fore.png");
    ASSERT_EQ(track.height, 13);
    const RECT bar = progress->Rect();
    ASSERT_EQ(bar.right - bar.left, 530);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            for (const int row : {y, 12 - y}) {
                const int left = bar.left + x, right = bar.right - 3 + x, top = bar.top + row;
                const Rgba underRight = background.At(right, top);
                EXPECT_TRUE(Near(shot.At(ox + right, oy + top), Over(track.At(track.width - 3 + x, row), underRight), 3))
                    << "right corner " << x << "," << row;
                const Rgba underLeft = Over(track.At(x, row), background.At(left, top));
                EXPECT_TRUE(Near(shot.At(ox + left, oy + top), Over(fill.At(x, row), underLeft), 3))
                    << "left corner " << x << "," << row;
            }
        }
    }
}

TEST_F(SkinScreenshotTest, NoticeBoxWithAMessage)
{
    PackedSkinWindow box(L"ScreenshotNoticeWindow", L"CustomMsgBox.xml");
    const HWND hwnd = box.CreateShown(nullptr, 760, 700);
    ASSERT_NE(hwnd, nullptr);
    CControlUI* message = box.Manager().FindByName(L"labelTip");
    ASSERT_NE(message, nullptr);
    message->SetText(L"释放文件出错");
    ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    skintest::PumpFor(300);

    const RECT corner = box.Manager().Shadow().Corner();
    const ShadowedShot shadowed = ShotWithShadow(box);
    EXPECT_TRUE(shadowed.placed);
    EXPECT_EQ(shadowed.mismatches, 0);
    const RgbaPixels& shot = shadowed.picture;
    ASSERT_TRUE(SavePng(shot, L"notice_box.png"));

    const int ox = corner.left, oy = corner.top;
    // White where nothing is drawn over the background.
    for (const POINT p : {POINT{5, 150}, POINT{430, 250}, POINT{60, 100}, POINT{400, 190}})
        EXPECT_TRUE(Near(shot.At(ox + p.x, oy + p.y), {255, 255, 255, 255}, 0)) << p.x << "," << p.y;
    // The message line holds text: some of its pixels are dark.
    int dark = 0;
    for (int y = 134; y < 162; ++y)
        for (int x = 10; x < 430; ++x) dark += Luminance(shot.At(ox + x, oy + y)) < 160;
    EXPECT_GT(dark, 20);

    // The shadow darkens the desktop next to the box and fades outwards; it
    // follows the image's own alpha along each side.
    const Rgba desktop = kDesktop;
    const RgbaPixels shadow = PackedImage(L"shadow.png");
    ASSERT_EQ(shadow.width, 24);
    const struct {
        int x, y;      // in the shot
        int sx, sy;    // in the shadow image
    } samples[] = {
        {ox + 220, oy - 1, 12, corner.top - 1},               // above the box, next to it
        {ox + 220, 0, 12, 0},                                  // above the box, outermost
        {ox - 1, oy + 130, corner.left - 1, 12},               // left
        {shot.width - 1, oy + 130, shadow.width - 1, 12},      // right, outermost
        {ox + 220, shot.height - corner.bottom, 12, shadow.height - corner.bottom},  // below, next to it
    };
    for (const auto& s : samples) {
        const Rgba pixel = shot.At(s.x, s.y);
        EXPECT_TRUE(Near(pixel, Over(shadow.At(s.sx, s.sy), desktop), 3)) << s.x << "," << s.y;
    }
    EXPECT_LT(Luminance(shot.At(ox + 220, oy - 1)), Luminance(desktop) - 10);
    EXPECT_LT(Luminance(shot.At(ox + 220, oy - 1)), Luminance(shot.At(ox + 220, 0)));
}

}  // namespace
