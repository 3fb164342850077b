// Both layouts at the display scale of the test's Wine prefix: the program
// runs once per system DPI (96, 120, 144 and 192: 100, 125, 150 and 200 %;
// WINE_DPI in CMakeLists.txt), so the windows take the scale from the
// system as they would on a laptop. Each run saves the launcher's download
// page and the notice box with their shadows under
// screenshots\dpi<percent>\, checks pixels against the packed image set of
// that scale (the background 1:1, the progress bar's rounded corners, the
// shadow), text that is neither clipped nor stretched, and the hit tests of
// the scaled caption, resize border and buttons. A window then moves through
// the other scales (WM_DPICHANGED) and back, and ends where it began.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/ScreenPixels.h"
#include "tests/toolkit/skinwindow/ShadowedShot.h"
#include "tests/toolkit/skinwindow/SkinTestWindows.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/layout/ContainerUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/package/SkinResources.h"
#include "toolkit/render/ImageScaleSet.h"
#include "toolkit/window/WindowDpi.h"

namespace {

using namespace SkinUI;
using skintest::PackedImage;
using skintest::PackedSkinWindow;
using skintest::ShadowedShot;
using skintest::ShotWithShadow;
using testsupport::Luminance;
using testsupport::Near;
using testsupport::Over;
using testsupport::Rgba;
using testsupport::RgbaPixels;

// The DPI the harness gave this run's prefix.
int PrefixDpi()
{
    wchar_t text[16] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"VRK_WINE_DPI", text, 16);
    return length > 0 && length < 16 ? _wtoi(text) : 0;
}

LRESULT HitTest(HWND hwnd, POINT client)
{
    return ::SendMessageW(hwnd, WM_NCHITTEST, 0, skintest::ScreenPointParam(hwnd, client));
}

POINT Centre(const RECT& r)
{
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

::testing::AssertionResult SameRect(const RECT& actual, const RECT& expected)
{
    if (::EqualRect(&actual, &expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << actual.left << "," << actual.top << "," << actual.right << ","
                                         << actual.bottom << " want " << expected.left << "," << expected.top << ","
                                         << expected.right << "," << expected.bottom;
}

RECT ClientRect(HWND hwnd)
{
    RECT r{};
    ::GetClientRect(hwnd, &r);
    return r;
}

// A window of the packed skin that records the buttons it hears clicked.
class ClickRecordingWindow : public PackedSkinWindow {
public:
    using PackedSkinWindow::PackedSkinWindow;
    std::vector<std::wstring> clicks;
    void OnClickNotify(TNotifyRecord& record) override
    {
        if (record.pSender) clicks.emplace_back(record.pSender->Name().View());
    }
};

// A click as the mouse gives it, at client coordinates.
void ClickAt(HWND hwnd, POINT pt)
{
    const LPARAM at = MAKELPARAM(pt.x, pt.y);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, at);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

// What the text in an area looks like against what lies under it: how much
// of each pixel is ink, and where the ink is.
struct InkMap {
    int width = 0, height = 0;
    std::vector<float> ink;  // 0 = the background, 1 = the text colour
    float At(int x, int y) const { return ink[static_cast<std::size_t>(y) * width + x]; }
};

InkMap MeasureInk(const RgbaPixels& shot, const RECT& area, Rgba text,
                  const std::function<Rgba(int x, int y)>& backgroundAt)
{
    InkMap map;
    map.width = area.right - area.left;
    map.height = area.bottom - area.top;
    map.ink.resize(static_cast<std::size_t>(map.width) * map.height);
    for (int y = 0; y < map.height; ++y) {
        for (int x = 0; x < map.width; ++x) {
            const int under = Luminance(backgroundAt(area.left + x, area.top + y));
            const int shown = Luminance(shot.At(area.left + x, area.top + y));
            const float span = static_cast<float>(Luminance(text) - under);
            const float f = std::abs(span) < 1 ? 0.0f : static_cast<float>(shown - under) / span;
            map.ink[static_cast<std::size_t>(y) * map.width + x] = std::clamp(f, 0.0f, 1.0f);
        }
    }
    return map;
}

struct InkBox {
    int left = 0, top = 0, right = 0, bottom = 0;  // in the area; right and bottom exclusive
    int pixels = 0;
};

InkBox BoundsOfInk(const InkMap& map, float threshold = 0.5f)
{
    InkBox box{map.width, map.height, 0, 0, 0};
    for (int y = 0; y < map.height; ++y)
        for (int x = 0; x < map.width; ++x)
            if (map.At(x, y) >= threshold) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
                ++box.pixels;
            }
    return box;
}

// Glyph edges along the rows: each rise from background (ink below 0.2) to
// ink (above 0.8), and each fall back, with the pixels in between counted.
// Text drawn for the display steps in at most one pixel; text drawn small
// and stretched takes two or more.
struct EdgeCount {
    int edges = 0;
    int sharp = 0;  // at most one pixel in between
    double SharpShare() const { return edges ? static_cast<double>(sharp) / edges : 0.0; }
};

EdgeCount CountEdges(const InkMap& map)
{
    EdgeCount count;
    for (int y = 0; y < map.height; ++y) {
        int lastLow = -1, lastHigh = -1;
        for (int x = 0; x < map.width; ++x) {
            const float f = map.At(x, y);
            if (f <= 0.2f) {
                if (lastHigh >= 0 && lastHigh > lastLow) {
                    ++count.edges;
                    count.sharp += (x - lastHigh - 1) <= 1;
                }
                lastLow = x;
            } else if (f >= 0.8f) {
                if (lastLow >= 0 && lastLow > lastHigh) {
                    ++count.edges;
                    count.sharp += (x - lastLow - 1) <= 1;
                }
                lastHigh = x;
            }
        }
    }
    return count;
}

// The share of 2 x 2 blocks with ink that are one flat colour, at the
// better of the two pixel phases: text drawn at half size and doubled is
// all flat blocks at one phase.
double FlatBlockShare(const InkMap& map)
{
    double best = 0;
    for (int phase = 0; phase < 2; ++phase) {
        int blocks = 0, flat = 0;
        for (int y = phase; y + 1 < map.height; y += 2) {
            for (int x = phase; x + 1 < map.width; x += 2) {
                const float a = map.At(x, y), b = map.At(x + 1, y), c = map.At(x, y + 1), d = map.At(x + 1, y + 1);
                if (std::max({a, b, c, d}) < 0.5f) continue;
                ++blocks;
                flat += std::max({a, b, c, d}) - std::min({a, b, c, d}) < 0.1f;
            }
        }
        if (blocks) best = std::max(best, static_cast<double>(flat) / blocks);
    }
    return best;
}

// The same ink drawn at half the size and stretched back (each 2 x 2 block
// averaged, then spread bilinearly): what a window scaled by the system as a
// bitmap shows.
InkMap Stretched(const InkMap& map)
{
    const int w = map.width / 2, h = map.height / 2;
    InkMap half;
    half.width = w;
    half.height = h;
    half.ink.resize(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            half.ink[static_cast<std::size_t>(y) * w + x] =
                (map.At(2 * x, 2 * y) + map.At(2 * x + 1, 2 * y) + map.At(2 * x, 2 * y + 1) + map.At(2 * x + 1, 2 * y + 1)) / 4;
    InkMap out;
    out.width = w * 2;
    out.height = h * 2;
    out.ink.resize(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const float sx = std::clamp((x + 0.5f) / 2 - 0.5f, 0.0f, static_cast<float>(w - 1));
            const float sy = std::clamp((y + 0.5f) / 2 - 0.5f, 0.0f, static_cast<float>(h - 1));
            const int x0 = static_cast<int>(sx), y0 = static_cast<int>(sy);
            const int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
            const float fx = sx - x0, fy = sy - y0;
            const float top = half.At(x0, y0) * (1 - fx) + half.At(x1, y0) * fx;
            const float bottom = half.At(x0, y1) * (1 - fx) + half.At(x1, y1) * fx;
            out.ink[static_cast<std::size_t>(y) * out.width + x] = top * (1 - fy) + bottom * fy;
        }
    }
    return out;
}

// Glyph edges of text drawn for the display step in a pixel: at 150 % and
// more nearly all of them (below, the font's own small sizes have more
// ramps); at 200 % the glyphs are not doubled, and the same text stretched
// from half its size would have failed.
void ExpectCrispText(const InkMap& ink, const CDisplayScale& scale, const char* what)
{
    const EdgeCount edges = CountEdges(ink);
    const double flat = FlatBlockShare(ink);
    std::printf("%s at %d %%: %d edges, %.0f %% within a pixel; %.0f %% flat 2x2 blocks\n", what, scale.Percent(),
                edges.edges, edges.SharpShare() * 100, flat * 100);
    EXPECT_GT(edges.edges, 20) << what;
    EXPECT_GE(edges.SharpShare(), scale.Percent() >= 150 ? 0.9 : 0.7) << what << ": glyph edges step in a pixel";
    if (scale.Percent() >= 200) {
        EXPECT_LT(flat, 0.5) << what << ": drawn at 200 %, not doubled";
        const EdgeCount stretched = CountEdges(Stretched(ink));
        EXPECT_LT(stretched.SharpShare(), edges.SharpShare() - 0.2) << what << ": the check tells stretched text";
    }
}

class SkinDisplayScaleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        skintest::StartToolkit();
        ASSERT_TRUE(OpenSkinSource(SkinSource::ZipResource, L"", L"", L"130"));
    }

    // The scale this run is at: the prefix's DPI.
    static CDisplayScale Scale() { return CDisplayScale(PrefixDpi() > 0 ? PrefixDpi() : SystemDpi()); }
    static int S(int logical) { return Scale().Scale(logical); }
    static int K(int logicalCorner) { return Scale().ScaleCorner(logicalCorner); }
    static RECT S(const RECT& r) { return {S(r.left), S(r.top), S(r.right), S(r.bottom)}; }
    // A box of the skin: offset and size scaled each on its own.
    static RECT Box(int left, int top, int width, int height)
    {
        return {S(left), S(top), S(left) + S(width), S(top) + S(height)};
    }
    static std::wstring Folder() { return L"dpi" + std::to_wstring(Scale().Percent()); }
    // The packed image of this scale's set.
    static RgbaPixels SetImage(const wchar_t* name) { return PackedImage(ImageSetName(name, Scale().Percent()).c_str()); }
};

TEST_F(SkinDisplayScaleTest, TheWindowsTakeThePrefixDpi)
{
    ASSERT_GT(PrefixDpi(), 0) << "run through ctest: the harness sets the prefix's DPI";
    EXPECT_EQ(SystemDpi(), PrefixDpi());
    PackedSkinWindow window(L"ScaleLauncherWindow", L"GameLoader.xml");
    const HWND hwnd = window.CreateShown(nullptr, 20, 20);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(DpiForWindow(hwnd), PrefixDpi());
    CWindowManagerUI& manager = window.Manager();
    EXPECT_EQ(manager.DisplayScale().Dpi(), PrefixDpi());
    EXPECT_TRUE(SameRect(ClientRect(hwnd), {0, 0, S(960), S(620)}));
    EXPECT_EQ(manager.MinInfo().cx, S(960));
    EXPECT_EQ(manager.MaxInfo().cy, S(620));
    MINMAXINFO info{};
    ::SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, S(960));
    EXPECT_EQ(info.ptMaxTrackSize.y, S(620));
    // The skin's fonts are character heights in logical pixels.
    EXPECT_EQ(manager.FontInfoAt(6).logFont.lfHeight, -S(28));
    EXPECT_EQ(manager.FontInfoAt(0).logFont.lfHeight, -S(12));
}

TEST_F(SkinDisplayScaleTest, LauncherDownloadPage)
{
    ClickRecordingWindow window(L"ScaleShotLauncherWindow", L"GameLoader.xml");
    const HWND hwnd = window.CreateShown(nullptr, 40, 40);
    ASSERT_NE(hwnd, nullptr);
    CWindowManagerUI& manager = window.Manager();
    auto* tab = static_cast<CTabLayoutUI*>(manager.FindByName(L"wizardTab"));
    auto* page = manager.FindByName(L"vLayoutDownload");
    auto* progress = static_cast<CProgressUI*>(manager.FindByName(L"progress"));
    CControlUI* tip = manager.FindByName(L"progTip");
    CControlUI* close = manager.FindByName(L"btnClose");
    CControlUI* minimise = manager.FindByName(L"btnMin");
    ASSERT_TRUE(tab && page && progress && tip && close && minimise);
    ASSERT_TRUE(tab->SelectPage(1));
    page->ApplyAttribute(L"bkimage", L"tov_download_bk.jpg");
    progress->SetValue(50);
    ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    skintest::PumpFor(300);

    // The skin's boxes, each scaled.
    EXPECT_TRUE(SameRect(minimise->Rect(), Box(902, 6, 24, 24)));
    EXPECT_TRUE(SameRect(close->Rect(), Box(928, 4, 28, 30)));
    EXPECT_TRUE(SameRect(progress->Rect(), Box(320, 320, 530, 13)));
    EXPECT_TRUE(SameRect(tip->Rect(), Box(320, 332, 530, 20)));

    const ShadowedShot shadowed = ShotWithShadow(window);
    EXPECT_TRUE(shadowed.placed);
    EXPECT_EQ(shadowed.mismatches, 0);
    EXPECT_TRUE(SameRect(shadowed.corner, {K(9), K(9), K(9), K(9)}));
    const RgbaPixels& shot = shadowed.picture;
    ASSERT_TRUE(testsupport::SavePng(shot, testsupport::ScreenshotPath(Folder(), L"launcher_download.png")));
    const int ox = shadowed.corner.left, oy = shadowed.corner.top;

    // The background of this scale's set, shown 1:1.
    const RgbaPixels background = SetImage(L"tov_download_bk.jpg");
    ASSERT_EQ(background.width, S(960));
    ASSERT_EQ(background.height, S(620));
    for (const POINT p : {POINT{S(100), S(500)}, POINT{S(700), S(200)}, POINT{S(20), S(600)}, POINT{S(959), S(619)}})
        EXPECT_TRUE(Near(shot.At(ox + p.x, oy + p.y), background.At(p.x, p.y), 3)) << p.x << "," << p.y;

    // The bar's rounded corners are the set's own, unscaled: the track's at
    // the right end, the fill's over the track at the left end.
    const RgbaPixels track = SetImage(L"gprogress_bk.png");
    const RgbaPixels fill = SetImage(L"gprogress_fore.png");
    ASSERT_EQ(track.height, S(13));
    ASSERT_EQ(fill.height, S(13));
    const RECT bar = progress->Rect();
    const int corner = K(3);
    for (int y = 0; y < corner; ++y) {
        for (int x = 0; x < corner; ++x) {
            for (const int row : {y, S(13) - 1 - y}) {
                const int left = bar.left + x, right = bar.right - corner + x, top = bar.top + row;
                EXPECT_TRUE(Near(shot.At(ox + right, oy + top),
                                 Over(track.At(track.width - corner + x, row), background.At(right, top)), 3))
                    << "right corner " << x << "," << row;
                const Rgba underLeft = Over(track.At(x, row), background.At(left, top));
                EXPECT_TRUE(Near(shot.At(ox + left, oy + top), Over(fill.At(x, row), underLeft), 3))
                    << "left corner " << x << "," << row;
            }
        }
    }
    // The close button's glyph is the set's image, 1:1 over the background.
    const RgbaPixels glyph = SetImage(L"gclose_normal.png");
    ASSERT_EQ(glyph.width, S(28));
    const RECT c = close->Rect();
    for (int y = 0; y < glyph.height; y += 3)
        for (int x = 0; x < glyph.width; x += 3)
            EXPECT_TRUE(Near(shot.At(ox + c.left + x, oy + c.top + y),
                             Over(glyph.At(x, y), background.At(c.left + x, c.top + y)), 3))
                << "close glyph " << x << "," << y;

    // The tip is drawn in a font of the display's size, whole inside its
    // label (below the bar, which covers the label's top row), with edges a
    // pixel wide.
    RECT label = tip->Rect();
    label.top = std::max(label.top, bar.bottom);
    const RECT area = {ox + label.left, oy + label.top, ox + label.right, oy + label.bottom};
    const InkMap ink = MeasureInk(shot, area, {0xEE, 0xE8, 0xD9, 255},
                                  [&](int x, int y) { return background.At(x - ox, y - oy); });
    const InkBox box = BoundsOfInk(ink);
    ASSERT_GT(box.pixels, S(12) * 10) << "the tip's text shows";
    EXPECT_GT(box.top, 0) << "not clipped at the top";
    EXPECT_LT(box.bottom, ink.height) << "not clipped at the bottom";
    EXPECT_GT(box.left, 0);
    EXPECT_LT(box.right, ink.width);
    EXPECT_GE(box.bottom - box.top, S(12) * 2 / 3) << "glyphs of the display's size";
    ExpectCrispText(ink, Scale(), "the tip");

    // Hit tests in the window's pixels: the resize border, the caption and
    // the buttons.
    const RECT client = ClientRect(hwnd);
    const struct {
        POINT pt;
        LRESULT expected;
    } hits[] = {
        {{S(480), S(6) - 1}, HTTOP},
        {{S(480), S(6)}, HTCAPTION},
        {{S(6) - 1, S(300)}, HTLEFT},
        {{S(6), S(300)}, HTCAPTION},
        {{client.right - S(6) + 1, S(300)}, HTRIGHT},
        {{client.right - S(6), S(300)}, HTCAPTION},
        {{1, 1}, HTTOPLEFT},
        {{client.right - 1, client.bottom - 1}, HTBOTTOMRIGHT},
        {{S(480), client.bottom - S(6)}, HTCLIENT},
        {{S(480), client.bottom - S(6) + 1}, HTBOTTOM},
        {{S(400), S(340) - 1}, HTCAPTION},
        {{S(400), S(340)}, HTCLIENT},
        {Centre(minimise->Rect()), HTCLIENT},
        {Centre(close->Rect()), HTCLIENT},
        {{close->Rect().left - 1, Centre(close->Rect()).y}, HTCAPTION},
    };
    for (const auto& h : hits) EXPECT_EQ(HitTest(hwnd, h.pt), h.expected) << h.pt.x << "," << h.pt.y;
    EXPECT_EQ(manager.FindAt(Centre(close->Rect())), close);
    ClickAt(hwnd, Centre(close->Rect()));
    EXPECT_EQ(window.clicks, std::vector<std::wstring>{L"btnClose"});
}

TEST_F(SkinDisplayScaleTest, NoticeBox)
{
    ClickRecordingWindow box(L"ScaleShotNoticeWindow", L"CustomMsgBox.xml");
    const HWND hwnd = box.CreateShown(nullptr, 60, 60);
    ASSERT_NE(hwnd, nullptr);
    CWindowManagerUI& manager = box.Manager();
    CControlUI* message = manager.FindByName(L"labelTip");
    CControlUI* ok = manager.FindByName(L"btnOk");
    CControlUI* close = manager.FindByName(L"btnClose");
    CControlUI* icon = manager.FindByName(L"labelIcon");
    ASSERT_TRUE(message && ok && close && icon && message->Parent());
    message->SetText(L"释放文件出错");
    ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    skintest::PumpFor(300);

    EXPECT_TRUE(SameRect(ClientRect(hwnd), {0, 0, S(440), S(260)}));
    // Rows of 134 and 28 and the rest, each scaled; the button floats in
    // the third.
    const int third = S(134) + S(28);
    EXPECT_TRUE(SameRect(message->Parent()->Rect(), {0, S(134), S(440), third}));
    EXPECT_TRUE(SameRect(ok->Rect(), {S(172), third + S(46), S(172) + S(96), third + S(46) + S(32)}));
    EXPECT_TRUE(SameRect(close->Rect(), Box(408, 8, 24, 24)));
    EXPECT_TRUE(SameRect(icon->Rect(), Box(190, 50, 60, 60)));

    const ShadowedShot shadowed = ShotWithShadow(box);
    EXPECT_TRUE(shadowed.placed);
    EXPECT_EQ(shadowed.mismatches, 0);
    const RgbaPixels& shot = shadowed.picture;
    ASSERT_TRUE(testsupport::SavePng(shot, testsupport::ScreenshotPath(Folder(), L"notice_box.png")));
    const int ox = shadowed.corner.left, oy = shadowed.corner.top;

    // The shadow follows its set's image along each side.
    const RgbaPixels shadow = SetImage(L"shadow.png");
    ASSERT_EQ(shadow.width, S(24));
    const int mid = shadow.width / 2;
    const RECT k = shadowed.corner;
    const struct {
        int x, y, sx, sy;
    } samples[] = {
        {ox + S(220), oy - 1, mid, static_cast<int>(k.top) - 1},
        {ox + S(220), 0, mid, 0},
        {ox - 1, oy + S(130), static_cast<int>(k.left) - 1, mid},
        {shot.width - 1, oy + S(130), shadow.width - 1, mid},
        {ox + S(220), shot.height - static_cast<int>(k.bottom), mid, shadow.height - static_cast<int>(k.bottom)},
    };
    for (const auto& s : samples)
        EXPECT_TRUE(Near(shot.At(s.x, s.y), Over(shadow.At(s.sx, s.sy), skintest::kDesktop), 3)) << s.x << "," << s.y;
    EXPECT_LT(Luminance(shot.At(ox + S(220), oy - 1)), Luminance(skintest::kDesktop) - 10);

    // The warning icon is its set's image 1:1 on white.
    const RgbaPixels warning = SetImage(L"icon_warning.png");
    ASSERT_EQ(warning.width, S(60));
    const RECT i = icon->Rect();
    for (int y = 0; y < warning.height; y += 4)
        for (int x = 0; x < warning.width; x += 4)
            EXPECT_TRUE(Near(shot.At(ox + i.left + x, oy + i.top + y), Over(warning.At(x, y), {255, 255, 255, 255}), 3))
                << "icon " << x << "," << y;

    // The title and the message are whole inside their labels.
    const Rgba grey = {0x44, 0x44, 0x44, 255};
    const auto white = [](int, int) { return Rgba{255, 255, 255, 255}; };
    // The title is the first control of the upper row.
    ASSERT_NE(close->Parent(), nullptr);
    auto* upper = static_cast<IContainerUI*>(close->Parent()->InterfaceFor(L"IContainer"));
    ASSERT_NE(upper, nullptr);
    CControlUI* title = upper->ChildAt(0);
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(SameRect(title->Rect(), Box(14, 11, 100, 28)));
    for (CControlUI* label : {title, message}) {
        const RECT r = label->Rect();
        const InkMap ink = MeasureInk(shot, {ox + r.left, oy + r.top, ox + r.right, oy + r.bottom}, grey, white);
        const InkBox inkBox = BoundsOfInk(ink);
        EXPECT_GT(inkBox.pixels, S(14) * 4) << label->Text().View().data();
        EXPECT_GT(inkBox.top, 0) << "not clipped at the top";
        EXPECT_LT(inkBox.bottom, ink.height) << "not clipped at the bottom";
        EXPECT_GE(inkBox.bottom - inkBox.top, S(14) * 2 / 3) << "glyphs of the display's size";
        ExpectCrispText(ink, Scale(), label == title ? "the title" : "the message");
    }

    // The whole box drags except on its buttons; OK takes a click at its
    // scaled place.
    const struct {
        POINT pt;
        LRESULT expected;
    } hits[] = {
        {{0, 0}, HTCAPTION},
        {Centre(icon->Rect()), HTCAPTION},
        {{S(439), S(259)}, HTCAPTION},
        {Centre(ok->Rect()), HTCLIENT},
        {{ok->Rect().left, ok->Rect().top}, HTCLIENT},
        {{ok->Rect().left - 1, ok->Rect().top}, HTCAPTION},
        {{ok->Rect().left, ok->Rect().top - 1}, HTCAPTION},
        {Centre(close->Rect()), HTCLIENT},
    };
    for (const auto& h : hits) EXPECT_EQ(HitTest(hwnd, h.pt), h.expected) << h.pt.x << "," << h.pt.y;
    ClickAt(hwnd, Centre(ok->Rect()));
    EXPECT_EQ(box.clicks, std::vector<std::wstring>{L"btnOk"});
}

// The window moves to displays of every other scale and back: each time it
// takes the suggested rectangle and lays itself out, draws with that scale's
// fonts and images (175 % from the 200 % set, scaled down), and ends exactly
// where it began.
TEST_F(SkinDisplayScaleTest, MovingBetweenDisplaysRescalesEverythingAndComesBackWhole)
{
    PackedSkinWindow window(L"ScaleMovingWindow", L"GameLoader.xml");
    const HWND hwnd = window.CreateShown(nullptr, 30, 30);
    ASSERT_NE(hwnd, nullptr);
    CWindowManagerUI& manager = window.Manager();
    auto* tab = static_cast<CTabLayoutUI*>(manager.FindByName(L"wizardTab"));
    ASSERT_TRUE(tab && tab->SelectPage(1));
    CControlUI* close = manager.FindByName(L"btnClose");
    CControlUI* progress = manager.FindByName(L"progress");
    ASSERT_TRUE(close && progress);
    ::UpdateWindow(hwnd);
    skintest::PumpPending();
    const RECT startWindow = [&] {
        RECT r{};
        ::GetWindowRect(hwnd, &r);
        return r;
    }();
    const RECT startClose = close->Rect();
    const LONG startFont = manager.TextMetricsAt(0).tmHeight;

    const int home = Scale().Dpi();
    std::vector<int> tour;
    for (const int dpi : {96, 120, 144, 168, 192})
        if (dpi != home) tour.push_back(dpi);
    tour.push_back(home);
    for (const int dpi : tour) {
        SCOPED_TRACE(dpi);
        const CDisplayScale to(dpi);
        const auto T = [&](int logical) { return to.Scale(logical); };
        RECT suggested = {startWindow.left + 7, startWindow.top + 5, startWindow.left + 7 + T(960),
                          startWindow.top + 5 + T(620)};
        ::SendMessageW(hwnd, kWmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        ::UpdateWindow(hwnd);
        skintest::PumpPending();
        EXPECT_EQ(manager.DisplayScale().Dpi(), dpi);
        RECT now{};
        ::GetWindowRect(hwnd, &now);
        EXPECT_TRUE(SameRect(now, suggested)) << "the suggested rectangle";
        EXPECT_TRUE(SameRect(close->Rect(), {T(928), T(4), T(928) + T(28), T(4) + T(30)}));
        EXPECT_TRUE(SameRect(progress->Rect(), {T(320), T(320), T(320) + T(530), T(320) + T(13)}));
        EXPECT_EQ(manager.SizeBox().top, T(6));
        EXPECT_EQ(manager.CaptionRect().bottom, T(340));
        EXPECT_EQ(HitTest(hwnd, {T(400), T(340) - 1}), HTCAPTION);
        EXPECT_EQ(HitTest(hwnd, {T(400), T(340)}), HTCLIENT);
        EXPECT_EQ(manager.FontInfoAt(0).logFont.lfHeight, -T(12));
        // The images are made again for the scale, from its own set or the
        // nearest larger one.
        const TImageInfo* image = manager.ImageFor(L"gclose_normal.png");
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->nWidth, T(28));
        EXPECT_EQ(image->nHeight, T(30));
        const int percent = to.Percent();
        const bool packed = percent == 100 || percent == 125 || percent == 150 || percent == 200;
        EXPECT_EQ(image->nSetPercent, packed ? percent : 200);
        EXPECT_EQ(image->bResampled, !packed);
        // The shadow follows at the scale's reach.
        RECT shadow{};
        for (HWND side : manager.Shadow().SideWindows()) {
            RECT r{};
            ::GetWindowRect(side, &r);
            ::UnionRect(&shadow, &shadow, &r);
        }
        const int k = to.ScaleCorner(9);
        EXPECT_TRUE(SameRect(shadow, {now.left - k, now.top - k, now.right + k, now.bottom + k}));
    }
    RECT end{};
    ::GetWindowRect(hwnd, &end);
    EXPECT_EQ(end.right - end.left, startWindow.right - startWindow.left);
    EXPECT_EQ(end.bottom - end.top, startWindow.bottom - startWindow.top);
    EXPECT_TRUE(SameRect(close->Rect(), startClose)) << "no drift after the tour";
    EXPECT_EQ(manager.TextMetricsAt(0).tmHeight, startFont);
}

// A click on the disabled owner shakes the notice box by a pixel at 100 %,
// and by as much at the display's scale; the shake ends where it began.
TEST_F(SkinDisplayScaleTest, TheNoticeBoxShakesByAPixelOfTheDisplay)
{
    PackedSkinWindow owner(L"ScaleShakeOwner", L"GameLoader.xml");
    const HWND ownerWnd = owner.CreateShown(nullptr, 10, 10);
    PackedSkinWindow box(L"ScaleShakeBox", L"CustomMsgBox.xml");
    const HWND boxWnd = box.CreateShown(ownerWnd, 300, 200);
    ASSERT_TRUE(ownerWnd && boxWnd);
    ::SendMessageW(ownerWnd, WM_MODAL_CHILD_SET, 0, reinterpret_cast<LPARAM>(boxWnd));
    ::EnableWindow(ownerWnd, FALSE);
    const auto origin = [&] {
        RECT r{};
        ::GetWindowRect(boxWnd, &r);
        return POINT{r.left, r.top};
    };
    const POINT start = origin();
    ::SendMessageW(ownerWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(ownerWnd), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    int farthest = 0;
    const DWORD began = ::GetTickCount();
    while (::GetTickCount() - began < kShakeIntervalMs * 12) {
        skintest::PumpFor(10);
        const POINT now = origin();
        farthest = std::max({farthest, static_cast<int>(std::abs(now.x - start.x)), static_cast<int>(std::abs(now.y - start.y))});
    }
    EXPECT_EQ(farthest, S(1));
    EXPECT_EQ(origin().x, start.x);
    EXPECT_EQ(origin().y, start.y);
    ::EnableWindow(ownerWnd, TRUE);
}

}  // namespace
