// Both layouts built from the program's skin resource and shown under the
// test display: the launcher window on its download page and the notice box
// with a message, each saved with its shadow as a PNG file in the
// "screenshots" folder beside the program. A few pixels are checked against
// the packed images themselves, so the test holds whatever the art looks like.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/ScreenPixels.h"
#include "tests/toolkit/skinwindow/ShadowedShot.h"
#include "tests/toolkit/skinwindow/SkinTestWindows.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/package/SkinResources.h"

namespace {

using namespace SkinUI;
using skintest::kDesktop;
using skintest::PackedImage;
using skintest::PackedSkinWindow;
using skintest::ShadowedShot;
using skintest::ShotWithShadow;
using testsupport::Luminance;
using testsupport::Near;
using testsupport::Over;
using testsupport::Rgba;
using testsupport::RgbaPixels;

bool SavePng(const RgbaPixels& capture, const wchar_t* name)
{
    return testsupport::SavePng(capture, testsupport::ScreenshotPath(L"", name));
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
