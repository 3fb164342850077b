// The real vrk_main.exe at the display scale of the test's Wine prefix (run
// once per system DPI: 150 and 200 %, WINE_DPI in CMakeLists.txt), with the
// stand-in browser engine and its portal page: the window takes its size
// and hit areas at the scale, the page takes the matching optical zoom
// before the window shows, and the notice box of an unpacking failure comes
// up at the scale and closes on a click at its scaled OK button. The portal
// window and the product's notice box are saved under
// screenshots\dpi<percent>\.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/LauncherProcess.h"
#include "tests/support/LauncherWorld.h"
#include "tests/support/ScreenPixels.h"
#include "tests/support/TestSupport.h"
#include "tools/BrowserEngine/PortalPageModel.h"
#include "toolkit/core/DisplayScale.h"

namespace {

using testsupport::EngineScript;
using testsupport::LauncherProcess;
using testsupport::Rgba;
using testsupport::RgbaPixels;

constexpr UINT kUnpackResult = 1134;

int PrefixDpi()
{
    wchar_t text[16] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"VRK_WINE_DPI", text, 16);
    return length > 0 && length < 16 ? _wtoi(text) : 0;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 15000)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start >= timeoutMs) return false;
        ::Sleep(50);
    }
    return true;
}

RECT ScreenRect(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r;
}

LRESULT HitTest(HWND hwnd, POINT client)
{
    ::ClientToScreen(hwnd, &client);
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(client.x, client.y), SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

// The last record line that starts with the prefix, or empty.
std::string Last(const EngineScript& engine, const std::string& prefix)
{
    const std::vector<std::string> lines = engine.LinesStartingWith(prefix);
    return lines.empty() ? std::string() : lines.back();
}

int IndexOf(const std::vector<std::string>& lines, const std::function<bool(const std::string&)>& match)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (match(lines[i])) return static_cast<int>(i);
    return -1;
}

std::string Hex8(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

class LauncherDisplayScaleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_GT(PrefixDpi(), 0) << "run through ctest: the harness sets the prefix's DPI";
        ASSERT_TRUE(testsupport::FileExists(testsupport::BesideTests(L"vrk_main.exe")));
        testsupport::CloseStrayLaunchers();
    }
    static SkinUI::CDisplayScale Scale() { return SkinUI::CDisplayScale(PrefixDpi()); }
    static int S(int logical) { return Scale().Scale(logical); }
    static std::wstring Folder() { return L"dpi" + std::to_wstring(Scale().Percent()); }

    testsupport::SettingsFileBackup m_settings;
    testsupport::UninstallEntryBackup m_entry;
};

TEST_F(LauncherDisplayScaleTest, ThePortalWindowAndTheNoticeBoxAtTheDisplaysScale)
{
    EngineScript engine("page *\n");
    LauncherProcess launcher(L"--source=web --token=T0k --tokenLogin=0");
    const HWND window = launcher.WaitForWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) != FALSE; })) << "shown once the page has loaded";
    ASSERT_TRUE(testsupport::WaitUntilIdle(window));

    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, S(960));
    EXPECT_EQ(client.bottom, S(620));

    // The page took the zoom of the display before the launcher heard that
    // it was there (and showed its window).
    const int percent = Scale().Percent();
    const std::vector<std::string> lines = engine.Lines();
    const int zoom = IndexOf(lines, [](const std::string& l) { return l.rfind("ExecWB OLECMDID_OPTICAL_ZOOM", 0) == 0; });
    const int top = IndexOf(lines, [](const std::string& l) {
        return l.rfind("event DocumentComplete", 0) == 0 && l.find("frame=top") != std::string::npos;
    });
    ASSERT_GE(zoom, 0) << engine.Lines().size();
    EXPECT_EQ(lines[static_cast<std::size_t>(zoom)],
              "ExecWB OLECMDID_OPTICAL_ZOOM option=2 in=VT_I4:" + Hex8(percent) + " hr=0x00000000 zoom=" +
                  std::to_string(percent));
    EXPECT_LT(zoom, top);
    // The page fills the window (once the shown window has laid itself out)
    // and is laid out zoomed.
    const std::string filled = "layout width=" + std::to_string(S(960)) + " height=" + std::to_string(S(620));
    EXPECT_TRUE(WaitFor([&] { return Last(engine, "layout ").rfind(filled, 0) == 0; }));
    const std::string layout = Last(engine, "layout ");
    const engine::PortalLayout parts = engine::ComputePortalLayout(S(960), S(620), percent);
    EXPECT_EQ(layout.rfind("layout width=" + std::to_string(S(960)) + " height=" + std::to_string(S(620)) + " start=" +
                               std::to_string(parts.start.left) + "," + std::to_string(parts.start.top),
                           0),
              0u)
        << layout << "\n" << [&] {
               std::string all;
               for (const std::string& line : engine.Lines()) all += line + "\n";
               return all;
           }();

    // The caption and the resize border in the window's pixels.
    EXPECT_EQ(HitTest(window, {S(480), S(6) - 1}), HTTOP);
    EXPECT_EQ(HitTest(window, {S(6) - 1, S(300)}), HTLEFT);
    EXPECT_EQ(HitTest(window, {S(480), S(340) - 1}), HTCAPTION);
    EXPECT_EQ(HitTest(window, {S(480), S(340)}), HTCLIENT);

    // What the player sees: the zoomed page's red start button, its dark bar
    // and its gold title, drawn at the display's size.
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(300);
    RECT area = ScreenRect(window);
    const RgbaPixels page = testsupport::CaptureScreen(area);
    ASSERT_EQ(page.width, S(960));
    ASSERT_TRUE(testsupport::SavePng(page, testsupport::ScreenshotPath(Folder(), L"launcher_portal.png")));
    const Rgba button = page.At(parts.start.CenterX(), parts.start.top + S(6));
    EXPECT_GT(button.r, 2 * button.g) << button.r << "," << button.g << "," << button.b;
    const Rgba bar = page.At(parts.drag.CenterX(), parts.drag.top + S(4));
    EXPECT_LT(bar.r + bar.g + bar.b, 120);
    int gold = 0;
    for (int x = parts.title.left; x < parts.title.right; ++x) {
        const Rgba p = page.At(x, parts.title.CenterY());
        gold += p.r > 0xC0 && p.g > 0x90 && p.b < 0x90;
    }
    EXPECT_GT(gold, S(20)) << "the title, in letters of the zoomed size";

    // An unpacking failure: the product's notice box at the scale.
    ::PostMessageW(window, kUnpackResult, 1, 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = testsupport::FindShownWindow(launcher.id(), testsupport::kNoticeBoxTitle)) != nullptr; }));
    ASSERT_TRUE(testsupport::WaitUntilIdle(box));
    ::UpdateWindow(box);
    ::GetClientRect(box, &client);
    EXPECT_EQ(client.right, S(440));
    EXPECT_EQ(client.bottom, S(260));
    const RECT ok = {S(172), S(134) + S(28) + S(46), S(172) + S(96), S(134) + S(28) + S(46) + S(32)};
    const POINT okCentre = {(ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2};
    EXPECT_EQ(HitTest(box, okCentre), HTCLIENT);
    EXPECT_EQ(HitTest(box, {okCentre.x, ok.top - 1}), HTCAPTION);
    ::SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ::Sleep(300);
    const RgbaPixels notice = testsupport::CaptureScreen(ScreenRect(box));
    ASSERT_EQ(notice.width, S(440));
    ASSERT_TRUE(testsupport::SavePng(notice, testsupport::ScreenshotPath(Folder(), L"launcher_notice_box.png")));
    for (const POINT p : {POINT{S(5), S(150)}, POINT{S(430), S(250)}, POINT{S(60), S(100)}})
        EXPECT_TRUE(testsupport::Near(notice.At(p.x, p.y), {255, 255, 255, 255}, 0)) << p.x << "," << p.y;
    int ink = 0;
    for (int y = S(134); y < S(162); ++y)
        for (int x = S(10); x < S(430); ++x) ink += testsupport::Luminance(notice.At(x, y)) < 160;
    EXPECT_GT(ink, S(20)) << "the message line";

    // OK, clicked where it is at this scale, closes the box and the launcher.
    const LPARAM at = MAKELPARAM(okCentre.x, okCentre.y);
    ::PostMessageW(box, WM_MOUSEMOVE, 0, at);
    ::PostMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(box, WM_LBUTTONUP, 0, at);
    DWORD code = 1;
    EXPECT_TRUE(launcher.WaitForExit(20000, code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
