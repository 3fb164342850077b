// Long runs of the launcher window in this process, built from the real
// skin: progress messages, page switches, show and hide cycles and notice
// boxes, each repeated many times, must leave the process's GDI objects,
// USER objects and kernel handles where they were. A few cycles run first,
// so that caches filled once (fonts, images, the shadow's bitmaps, the
// browser host) are in the figure before the count.
#include "GameLoader/GameLoaderWnd/GameLoaderWnd.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <functional>
#include <string>

#include "GameLoader/GameLoaderWnd/CustomMsgBox.h"
#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "tests/support/InProcessLog.h"
#include "tests/support/LauncherProcess.h"
#include "tests/support/LauncherWorld.h"
#include "tests/support/ResourceCounts.h"
#include "toolkit/layout/TabLayoutUI.h"

namespace {

using testsupport::CountResources;
using testsupport::ResourceCounts;

// What a cache may still take after the warm-up cycles.
constexpr long kGdiAllowance = 4, kUserAllowance = 2, kHandleAllowance = 4;

void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;  // a window's destruction; nothing waits on it here
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

class LauncherBalanceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        SkinUI::CWindowManagerUI::StartUp(::GetModuleHandleW(nullptr));
    }
    void SetUp() override
    {
        testsupport::InProcessLog::File();
        // token "1" keeps the window hidden when the page has loaded.
        m_launcher = new GameLoaderWnd(L"{\"token\":\"1\",\"tokenLogin\":\"0\",\"source\":\"test\"}");
        m_window = m_launcher->Create(nullptr, L"VorkanBalance", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, 0);
        ASSERT_NE(m_window, nullptr);
        PumpPending();
    }
    void TearDown() override
    {
        if (::IsWindow(m_window)) ::DestroyWindow(m_window);
        PumpPending();
    }

    // Runs cycle warmUp times, counts, runs it cycles times, counts again.
    void ExpectFlat(const char* what, int warmUp, int cycles, const std::function<void(int)>& cycle)
    {
        for (int i = 0; i < warmUp; ++i) cycle(i);
        PumpPending();
        const ResourceCounts before = CountResources();
        for (int i = 0; i < cycles; ++i) cycle(i);
        PumpPending();
        const ResourceCounts after = CountResources();
        std::printf("%s, %d cycles: before %s; after %s\n", what, cycles, testsupport::Describe(before).c_str(),
                    testsupport::Describe(after).c_str());
        std::fflush(stdout);
        EXPECT_LE(after.gdi - before.gdi, kGdiAllowance) << what;
        EXPECT_LE(after.user - before.user, kUserAllowance) << what;
        EXPECT_LE(after.handles - before.handles, kHandleAllowance) << what;
        EXPECT_GT(before.gdi, 0) << "the counts see the window's objects";
        EXPECT_GT(before.user, 0);
        EXPECT_GT(before.handles, 0);
    }

    void Paint() { ::UpdateWindow(m_window); }

    GameLoaderWnd* m_launcher = nullptr;  // owned by its window
    HWND m_window = nullptr;
    testsupport::SettingsFileBackup m_settings;
    testsupport::UninstallEntryBackup m_entry;
};

// The counters themselves: each sees one more object of its kind, and one
// less again, or a leak could never show.
TEST(ResourceCountsTest, EachCounterSeesOneObjectComeAndGo)
{
    const ResourceCounts start = CountResources();
    const HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    const HMENU menu = ::CreateMenu();
    const HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const ResourceCounts held = CountResources();
    ::DeleteObject(brush);
    ::DestroyMenu(menu);
    ::CloseHandle(event);
    const ResourceCounts end = CountResources();
    EXPECT_EQ(held.gdi - start.gdi, 1);
    EXPECT_EQ(held.user - start.user, 1);
    EXPECT_EQ(held.handles - start.handles, 1);
    EXPECT_EQ(end.gdi, start.gdi);
    EXPECT_EQ(end.user, start.user);
    EXPECT_EQ(end.handles, start.handles);
}

TEST_F(LauncherBalanceTest, TenThousandProgressMessages)
{
    ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
    ExpectFlat("progress messages", 200, 10000, [&](int i) {
        ::SendMessageW(m_window, WM_LAUNCHER_PROGRESS, static_cast<WPARAM>(i % 101), 0);
        Paint();
    });
}

TEST_F(LauncherBalanceTest, AThousandPageSwitches)
{
    auto* tab = dynamic_cast<SkinUI::CTabLayoutUI*>(m_launcher->Manager().FindByName(L"wizardTab"));
    ASSERT_NE(tab, nullptr);
    ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
    ExpectFlat("page switches", 20, 1000, [&](int i) {
        tab->SelectPage((i + 1) % 2);
        Paint();
        PumpPending();
    });
}

TEST_F(LauncherBalanceTest, AThousandShowAndHideCycles)
{
    ExpectFlat("show and hide cycles", 20, 1000, [&](int) {
        ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
        Paint();
        ::ShowWindow(m_window, SW_HIDE);
        PumpPending();
    });
}

// The box closes itself from a thread timer of its own modal loop.
void CALLBACK CloseTheBox(HWND, UINT, UINT_PTR id, DWORD) noexcept
{
    const HWND box = ::FindWindowW(L"CustomMsgBoxClass", nullptr);
    if (!box) return;
    ::KillTimer(nullptr, id);
    ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
}

TEST_F(LauncherBalanceTest, FiveHundredNoticeBoxes)
{
    ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
    int closed = 0;
    ExpectFlat("notice boxes", 10, 500, [&](int) {
        const UINT_PTR timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, CloseTheBox);
        if (ShowNoticeBox(m_window, L"\u91ca\u653e\u6587\u4ef6\u51fa\u9519") == 0) ++closed;  // system close
        ::KillTimer(nullptr, timer);
    });
    EXPECT_EQ(closed, 510) << "every box showed and closed by its system close";
    EXPECT_EQ(::FindWindowW(L"CustomMsgBoxClass", nullptr), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(m_window));
}

}  // namespace
