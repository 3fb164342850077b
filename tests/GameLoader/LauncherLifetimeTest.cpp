// Who closes the real vrk_main.exe, and from where: a WM_CLOSE taken by each
// nested loop the launcher window runs (the exit menu, the move loop the
// page's drag request starts, the notice box, the message box), and a
// platform client that closes the launcher from inside the close notice.
// Each row ends the process with exit code 0; a call that reached the freed
// window object ends it with an access violation instead (0xC0000005).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "tests/support/LauncherProcess.h"
#include "tests/support/LauncherWorld.h"
#include "tests/support/PlatformSimulator.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::EngineScript;
using testsupport::LauncherProcess;
using testsupport::PlatformSimulator;

constexpr UINT kTrayNotify = 1126, kClose = 1130, kDownloadResult = 1135;

using testsupport::WaitFor;

// A visible top-level window of the process, by class name and title
// (either may be none).
HWND FindProcessWindow(DWORD processId, const wchar_t* className, const wchar_t* title)
{
    for (HWND window = ::FindWindowExW(nullptr, nullptr, className, title); window;
         window = ::FindWindowExW(nullptr, window, className, title)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId && ::IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// The flags of the launcher thread's modal state (menu, move or size loop).
DWORD GuiFlags(HWND launcher)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(launcher, nullptr), &info)) return 0;
    return info.flags;
}

class LauncherLifetimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testsupport::FileExists(testsupport::BesideTests(L"vrk_main.exe")));
        testsupport::CloseStrayLaunchers();
    }

    testsupport::SettingsFileBackup m_settings;
    testsupport::UninstallEntryBackup m_entry;
};

TEST_F(LauncherLifetimeTest, WhoeverClosesTheLauncherFromWhereverTheRunEndsWithExitCodeZero)
{
    struct Row {
        const char* who;
        const char* scenario;  // the portal page
        // Brings the launcher into its nested loop and closes it there;
        // false when the loop did not come.
        std::function<bool(LauncherProcess& process, HWND launcher)> close;
    };
    const Row rows[] = {
        {"WM_CLOSE while the exit menu is open", "page *\n",
         [](LauncherProcess& process, HWND launcher) {
             ::PostMessageW(launcher, kTrayNotify, 0, WM_RBUTTONDOWN);
             if (!WaitFor([&] { return FindProcessWindow(process.id(), L"#32768", nullptr) != nullptr; })) return false;
             ::PostMessageW(launcher, WM_CLOSE, 0, 0);
             return true;
         }},
        {"WM_CLOSE during the move loop the page's drag request starts", "page *\non timer 300 click drag\n",
         [](LauncherProcess&, HWND launcher) {
             if (!WaitFor([&] { return (GuiFlags(launcher) & GUI_INMOVESIZE) != 0; })) return false;
             const DWORD thread = ::GetWindowThreadProcessId(launcher, nullptr);
             ::PostMessageW(launcher, WM_CLOSE, 0, 0);
             // The player lets go of the mouse: the loop ends after the close.
             EXPECT_TRUE(WaitFor([&] { return !::IsWindow(launcher); }, 5000)) << "closed inside the move loop";
             ::PostThreadMessageW(thread, WM_LBUTTONUP, 0, 0);
             return true;
         }},
        {"WM_CLOSE while the notice box shows", "page *\n",
         [](LauncherProcess& process, HWND launcher) {
             ::PostMessageW(launcher, kDownloadResult, 1, 0);  // the network notice
             if (!WaitFor([&] { return FindProcessWindow(process.id(), nullptr, L"CustomMsgBox") != nullptr; }))
                 return false;
             ::PostMessageW(launcher, WM_CLOSE, 0, 0);
             return true;
         }},
        {"WM_CLOSE while the message box shows", "page *\nerror i4 0x800C0005\n",
         [](LauncherProcess& process, HWND launcher) {
             if (!WaitFor([&] { return FindProcessWindow(process.id(), nullptr, L"\u63d0\u793a") != nullptr; }))
                 return false;
             ::PostMessageW(launcher, WM_CLOSE, 0, 0);
             return true;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.who);
        EngineScript engine(row.scenario);
        LauncherProcess process(L"--source=web --token=T0k --tokenLogin=0");
        ASSERT_TRUE(process.started());
        const HWND launcher = process.WaitForWindow();
        ASSERT_NE(launcher, nullptr);
        ASSERT_TRUE(row.close(process, launcher)) << "the nested loop never came";
        DWORD code = 1;
        EXPECT_TRUE(process.WaitForExit(20000, code)) << "the launcher ends";
        EXPECT_EQ(code, 0u) << "0xC0000005 (3221225477) is an access violation";
    }
}

// The platform answers the close notice by closing the launcher at once,
// while the launcher still waits inside SendMessage for that answer.
TEST_F(LauncherLifetimeTest, APlatformThatClosesTheLauncherInsideTheCloseNoticeEndsTheRunCleanly)
{
    PlatformSimulator::Options options;
    options.replyTitle = testsupport::kLauncherTitle;
    options.replyMessage = WM_CLOSE;
    PlatformSimulator platform(options);
    ASSERT_TRUE(platform.ready());
    EngineScript engine("page *\n");
    LauncherProcess process(L"--source=QX --winid=" + platform.windowText() + L" --token=T0k --tokenLogin=0");
    const HWND launcher = process.WaitForWindow();
    ASSERT_NE(launcher, nullptr);
    ::PostMessageW(launcher, kClose, 0, 0);  // the page's close request: the close procedure
    DWORD code = 1;
    EXPECT_TRUE(process.WaitForExit(20000, code));
    EXPECT_EQ(code, 0u) << "0xC0000005 (3221225477) is an access violation";
    // The notice is sent so that nothing sent to the launcher meanwhile is
    // handled inside it: the platform's WM_CLOSE waits for the notice to end.
    EXPECT_TRUE(platform.WaitForLine("reentry message=16 answered=0", 5000)) << "the platform closed the launcher";
    EXPECT_EQ(platform.CopyData().size(), 1u) << "one notice";
}

}  // namespace
