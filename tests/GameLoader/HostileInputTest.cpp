// Hostile input at the launcher's boundaries, against the real vrk_main.exe
// with the platform client simulator, the stand-in browser engine and stub
// games: what any process on the desktop can post to the launcher window
// (it is found by its title, the numbers are fixed), what the page and the
// engine can send, and the evidence a launcher leaves when it fails anyway.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/LauncherProcess.h"
#include "tests/support/LauncherWorld.h"
#include "tests/support/LogEntry.h"
#include "tests/support/PlatformSimulator.h"
#include "tests/support/ShellRecorder.h"
#include "tests/support/StubGames.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::EngineScript;
using testsupport::LauncherLogTail;
using testsupport::LauncherProcess;
using testsupport::PlatformSimulator;
using testsupport::StubGames;

constexpr UINT kClose = 1130, kOpenGame = 1131, kUnpackResult = 1134, kDownloadResult = 1135, kProgress = 1136,
               kNetError = 1137;
constexpr UINT kMinimize = 1129;
constexpr UINT kBystanderSentinel = 2047;  // the last number the simulator records

const char kPageLoads[] = "page *\n";
const char kNoQueuedRequest[] = "GameLoaderWnd::OnOpenGameWakeUp|WM_LAUNCHER_OPEN_GAME without a queued request";

using testsupport::WaitFor;

using testsupport::kNoticeBoxTitle;
const wchar_t kMessageBoxTitle[] = L"\u63d0\u793a";  // the network-error box's caption

// A left click at client coordinates, as the mouse gives it.
void ClickAt(HWND window, POINT at)
{
    const LPARAM point = MAKELPARAM(at.x, at.y);
    ::PostMessageW(window, WM_MOUSEMOVE, 0, point);
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::PostMessageW(window, WM_LBUTTONUP, 0, point);
}
constexpr POINT kNoticeOk = {220, 224};  // "btnOk" in "CustomMsgBox.xml"

// Whether a process of that name runs in this prefix (each test program
// has a Wine prefix of its own, so only the games of this test).
bool ProcessRuns(const wchar_t* name)
{
    win32::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return true;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        if (::lstrcmpiW(entry.szExeFile, name) == 0) return true;
    }
    return false;
}

std::string Utf8(const std::wstring& text)
{
    return testsupport::WideToUtf8(text);
}

// One launcher under attack: started as the platform starts it, with the
// engine playing its page.
struct HostileRun {
    HostileRun(const std::wstring& arguments, const std::string& scenario) : engine(scenario), process(arguments) {}

    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        ::PostMessageW(window, message, wParam, lParam);
    }
    DWORD id() const { return process.id(); }
    // The notice box once it has painted its buttons, or null.
    HWND WaitForNoticeBox() const { return testsupport::WaitForNoticeBox(id()); }

    EngineScript engine;
    LauncherProcess process;
    HWND window = nullptr;
};

class HostileInputTest;

// One hostile post: what is posted and what must hold afterwards.
enum class Afterwards {
    AliveAndClosable,  // it handled the posts, stays, and closes with exit code 0 on WM_CLOSE
    EndsByItself,      // it ends with exit code 0 without being closed
};

struct HostilePost {
    const char* what;
    std::wstring arguments;  // "{gone}": the handle of a window that is gone
    const char* scenario;
    // Prepares the world (install folders, entries); runs before the start.
    std::function<void(HostileInputTest&)> prepare;
    std::function<void(HostileRun&)> post;
    Afterwards afterwards;
    std::size_t gameStarts;
    std::size_t bystanderMessages;
    // Further facts of the row, once the launcher has ended.
    std::function<void(const HostileRun&, const std::vector<std::string>& log)> check;
};

// One page or engine scenario and what the player must find afterwards.
enum class PageOutcome {
    Stays,      // shown, alive after everything the page did, closable
    Minimised,  // ... and still minimised
};

struct PageScenarioRow {
    const char* what;
    std::string scenario;
    // Texts that one engine record line holds once the page has done its part.
    std::vector<std::string> pageDid;
    PageOutcome outcome;
    std::vector<std::string> opened;  // what the shell opened, sorted
    std::function<void(const HostileRun&, const std::vector<std::string>& log)> check;
};

class HostileInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testsupport::FileExists(testsupport::BesideTests(L"vrk_main.exe")));
        testsupport::CloseStrayLaunchers();
        ASSERT_TRUE(m_bystander.ready());
    }

    std::vector<std::string> LogLines() const
    {
        return testsupport::FunctionAndMessage(testsupport::ParseLogEntries(m_log.NewLines()));
    }
    std::size_t LogCount(const std::string& line) const
    {
        const auto lines = LogLines();
        return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
    }

    // True once the launcher has handled every message posted to it before:
    // posted messages are taken in order, and a forged open-game wake-up,
    // posted last, finds no request and says so in the log.
    bool HandledEverythingPosted(const HostileRun& run) const
    {
        const std::size_t before = LogCount(kNoQueuedRequest);
        run.Post(kOpenGame, 0, 0);
        return WaitFor([&] { return LogCount(kNoQueuedRequest) > before; }, 20000);
    }

    // The games started so far, once every started game has recorded itself
    // (the stub records its command line and ends).
    std::size_t GameStarts() const
    {
        EXPECT_TRUE(WaitFor([] { return !ProcessRuns(L"vrk.exe"); }, 20000)) << "a game still runs";
        return m_games.CommandLines().size();
    }

    // What reached the bystander window: messages 1024..2047 and WM_COPYDATA.
    // The launcher has ended; a sentinel posted now arrives after anything
    // it posted there.
    std::size_t BystanderMessages() const
    {
        ::PostMessageW(m_bystander.window(), kBystanderSentinel, 0, 0);
        EXPECT_TRUE(m_bystander.WaitForLine("message " + std::to_string(kBystanderSentinel), 10000));
        std::size_t count = m_bystander.CopyData().size();
        for (const auto& message : m_bystander.Messages()) {
            if (message.message != kBystanderSentinel) ++count;
        }
        return count;
    }

    // One row each; a failed assertion ends its row only.
    void RunHostilePost(const HostilePost& row, const std::wstring& goneText);
    void RunPageRow(const PageScenarioRow& row);

    testsupport::SettingsFileBackup m_settings;
    testsupport::UninstallEntryBackup m_entry;  // no entry: vrk.exe beside the launcher is the game
    StubGames m_games;
    LauncherLogTail m_log;
    PlatformSimulator m_bystander;  // another program's window on the same desktop
};

// ------------------------------------------------------------ hostile posts

std::wstring Replace(std::wstring text, const std::wstring& from, const std::wstring& to)
{
    for (std::size_t at = 0; (at = text.find(from, at)) != std::wstring::npos; at += to.size()) text.replace(at, from.size(), to);
    return text;
}

TEST_F(HostileInputTest, PostsFromAnyProcessLeaveTheLauncherWorkingAndStartTheGameOnce)
{
    const std::wstring installDir = testsupport::SpecialFolder(CSIDL_PROGRAM_FILESX86) + L"\\vrk";
    ::CreateDirectoryW(installDir.c_str(), nullptr);
    testsupport::FileBackup installedGame(installDir + L"\\vrk.exe");
    testsupport::FileBackup shortcut(testsupport::SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Vorkan.lnk");
    ASSERT_TRUE(::CopyFileW(testsupport::BesideTests(L"vrk.exe").c_str(), installedGame.path().c_str(), FALSE));
    testsupport::TempDir emptyInstall;  // a recorded install folder without the game

    const std::wstring shown = L"--source=web --token=T0k --tokenLogin=0";
    const auto none = [](HostileInputTest&) {};
    const auto nothing = [](const HostileRun&, const std::vector<std::string>&) {};
    const auto has = [](const std::vector<std::string>& log, const std::string& line) {
        return std::find(log.begin(), log.end(), line) != log.end();
    };
    const std::vector<HostilePost> rows = {
        {"1131 with a wParam the launcher never allocated (0x41414141)", shown, kPageLoads, none,
         [](HostileRun& run) { run.Post(kOpenGame, 0x41414141); }, Afterwards::AliveAndClosable, 0, 0,
         [&](const HostileRun&, const std::vector<std::string>& log) {
             EXPECT_TRUE(has(log, kNoQueuedRequest)) << "logged at level 0, nothing done";
         }},
        {"3000 download failures (1135, 1): one notice box, closed with OK", shown, kPageLoads, none,
         [&](HostileRun& run) {
             for (int i = 0; i < 3000; ++i) run.Post(kDownloadResult, 1);
             ASSERT_TRUE(HandledEverythingPosted(run)) << "a nested box per failure hangs the launcher";
             EXPECT_EQ(testsupport::ShownWindows(run.id(), kNoticeBoxTitle).size(), 1u) << "one notice at a time";
             EXPECT_FALSE(::IsWindowEnabled(run.window)) << "the box is modal";
             const HWND box = run.WaitForNoticeBox();
             ASSERT_NE(box, nullptr);
             ClickAt(box, kNoticeOk);
         },
         Afterwards::EndsByItself, 0, 0,
         [&](const HostileRun&, const std::vector<std::string>& log) {
             EXPECT_EQ(std::count(log.begin(), log.end(),
                                  "GameLoaderWnd::NoticeAlreadyOpen|notice open, dropped message:1135 wParam:1"),
                       2999);
         }},
        {"a network error (1137) with 1135/1, 1134/1 and 1137 behind it: one box", shown, kPageLoads, none,
         [&](HostileRun& run) {
             run.Post(kNetError);
             run.Post(kDownloadResult, 1);
             run.Post(kUnpackResult, 1);
             run.Post(kNetError);
             ASSERT_TRUE(HandledEverythingPosted(run));
             const auto boxes = testsupport::ShownWindows(run.id(), kMessageBoxTitle);
             ASSERT_EQ(boxes.size(), 1u);
             EXPECT_TRUE(testsupport::ShownWindows(run.id(), kNoticeBoxTitle).empty());
             ::PostMessageW(boxes.front(), WM_COMMAND, IDOK, 0);  // the close procedure follows
         },
         Afterwards::EndsByItself, 0, 0, nothing},
        {"three unpack results (1134, 0) in a row", shown, kPageLoads, none,
         [](HostileRun& run) {
             for (int i = 0; i < 3; ++i) run.Post(kUnpackResult, 0);
         },
         Afterwards::EndsByItself, 1, 0,
         [&](const HostileRun&, const std::vector<std::string>& log) {
             EXPECT_EQ(std::count(log.begin(), log.end(),
                                  "GameLoaderWnd::GameAlreadyStarting|game already starting, ignored:unpack result"),
                       2)
                 << "neither registered nor started again";
         }},
        {"--tokenLogin=1 without a token: the portal page instead", L"--source=web --tokenLogin=1", kPageLoads, none,
         [](HostileRun& run) {
             EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(run.window) != FALSE; })) << "the page shows";
         },
         Afterwards::AliveAndClosable, 0, 0,
         [&](const HostileRun& run, const std::vector<std::string>& log) {
             EXPECT_TRUE(has(log, "GameLoaderWnd::InitWindow|tokenLogin 1 without a token, the portal page instead"));
             EXPECT_EQ(run.engine.LinesStartingWith("Navigate2 url=").size(), 1u);
         }},
        {"gameMgrId 65535 (HWND_BROADCAST), typeMode 1, the game missing: 1348 and 1347 go nowhere",
         L"--source=QX --tokenLogin=1 --token=T0k --typeMode=1 --gameMgrId=65535", kPageLoads,
         [&](HostileInputTest&) {
             ASSERT_TRUE(testsupport::UninstallEntryBackup::SetDisplayIcon(emptyInstall.path()));
         },
         nullptr, Afterwards::EndsByItself, 0, 0,
         [&](const HostileRun&, const std::vector<std::string>& log) {
             // Windows hands a post to HWND_BROADCAST to every top-level
             // window; Wine posts it to no other process's window, so here
             // the two refusals in the log show that nothing was posted.
             EXPECT_EQ(std::count(log.begin(), log.end(), "GameLoaderWnd::PostToGameManager|gameMgrId is no window:65535"),
                       2);
         }},
        {"a bystander window: gameMgrId names a window that is gone, the platform's winid 65535",
         L"--source=QX --winid=65535 --token=T0k --tokenLogin=0 --typeMode=1 --gameMgrId={gone}", kPageLoads, none,
         [](HostileRun& run) { run.Post(kClose); }, Afterwards::EndsByItself, 0, 0, nothing},
        {"WM_QUIT from outside (wParam 7)", shown, kPageLoads, none,
         [](HostileRun& run) { run.Post(WM_QUIT, 7); }, Afterwards::EndsByItself, 0, 0,
         [](const HostileRun& run, const std::vector<std::string>&) {
             // The window and its browser went while COM was still there.
             EXPECT_EQ(run.engine.LinesStartingWith("destroy").size(), 1u);
             EXPECT_EQ(run.engine.LinesStartingWith("destroy apartment=sta").size(), 1u);
         }},
        {"WM_QUIT from outside while a notice box is open", shown, kPageLoads, none,
         [](HostileRun& run) {
             run.Post(kDownloadResult, 1);
             ASSERT_NE(run.WaitForNoticeBox(), nullptr);
             run.Post(WM_QUIT, 0);
         },
         Afterwards::EndsByItself, 0, 0,
         [](const HostileRun& run, const std::vector<std::string>&) {
             EXPECT_EQ(run.engine.LinesStartingWith("destroy apartment=sta").size(), 1u);
         }},
        {"an unpack failure's notice box closed with -1", shown, kPageLoads, none,
         [](HostileRun& run) {
             run.Post(kUnpackResult, 1);
             const HWND box = run.WaitForNoticeBox();
             ASSERT_NE(box, nullptr);
             ::PostMessageW(box, WM_CLOSE, static_cast<WPARAM>(-1), 0);
         },
         Afterwards::EndsByItself, 0, 0, nothing},
        {"a download failure's notice box closed with -1: the launcher stays", shown, kPageLoads, none,
         [&](HostileRun& run) {
             run.Post(kDownloadResult, 1);
             const HWND box = run.WaitForNoticeBox();
             ASSERT_NE(box, nullptr);
             ::PostMessageW(box, WM_CLOSE, static_cast<WPARAM>(-1), 0);
             EXPECT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
             EXPECT_TRUE(WaitFor([&] { return ::IsWindowEnabled(run.window) != FALSE; }));
         },
         Afterwards::AliveAndClosable, 0, 0, nothing},
        {"WM_DPICHANGED posted from outside: numbers that point at nothing, two DPIs", shown, kPageLoads, none,
         [&](HostileRun& run) {
             constexpr UINT kDpiChanged = 0x02E0;
             RECT before{};
             ::GetWindowRect(run.window, &before);
             run.Post(kDpiChanged, MAKEWPARAM(144, 144), 0x10);
             run.Post(kDpiChanged, MAKEWPARAM(192, 192), static_cast<LPARAM>(-16));  // runs past the address space
             run.Post(kDpiChanged, MAKEWPARAM(120, 168), 0x10);
             EXPECT_TRUE(HandledEverythingPosted(run));
             ::ShowWindow(run.window, SW_RESTORE);
             ASSERT_TRUE(WaitFor([&] { return ::IsIconic(run.window) == FALSE; }));
             RECT after{};
             ::GetWindowRect(run.window, &after);
             // Scaled in place to 200 %: no rectangle was read.
             EXPECT_EQ(after.left, before.left);
             EXPECT_EQ(after.top, before.top);
             EXPECT_EQ(after.right - after.left, 2 * (before.right - before.left));
         },
         Afterwards::AliveAndClosable, 0, 0, nothing},
        {"1136 with 0xFFFFFFFF and -5", shown, kPageLoads, none,
         [](HostileRun& run) {
             run.Post(kProgress, 0xFFFFFFFFu);
             run.Post(kProgress, static_cast<WPARAM>(-5));
             run.Post(kProgress, 100);
             run.Post(kProgress, static_cast<WPARAM>(-5));
         },
         Afterwards::AliveAndClosable, 0, 0, nothing},
    };

    // A window that existed and is gone: its handle names nothing.
    const HWND gone = ::CreateWindowExW(0, L"STATIC", L"gone", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const std::wstring goneText = std::to_wstring(reinterpret_cast<LONG_PTR>(gone));
    ::DestroyWindow(gone);

    for (const HostilePost& row : rows) {
        SCOPED_TRACE(row.what);
        RunHostilePost(row, goneText);
        ::SHDeleteKeyW(HKEY_CURRENT_USER, testsupport::kGameUninstallKey);
    }
}

void HostileInputTest::RunHostilePost(const HostilePost& row, const std::wstring& goneText)
{
    const std::size_t gamesBefore = m_games.CommandLines().size();
    const std::size_t bystanderBefore = BystanderMessages();
    const LauncherLogTail rowLog;
    row.prepare(*this);
    HostileRun run(Replace(row.arguments, L"{gone}", goneText), row.scenario);
    ASSERT_TRUE(run.process.started());
    run.window = run.process.WaitForWindow();
    if (row.post) {
        ASSERT_NE(run.window, nullptr);
        if (std::wstring(row.arguments).find(L"--token=T0k") != std::wstring::npos) {
            ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(run.window) != FALSE; })) << "the page shows";
        }
        row.post(run);
    }
    DWORD code = 1;
    if (row.afterwards == Afterwards::AliveAndClosable) {
        ASSERT_TRUE(HandledEverythingPosted(run)) << "alive";
        EXPECT_FALSE(run.process.WaitForExit(0, code)) << "alive";
        EXPECT_TRUE(run.process.Close()) << "closable, exit code 0";
    } else {
        EXPECT_TRUE(run.process.WaitForExit(30000, code)) << "ends by itself";
        EXPECT_EQ(code, 0u);
    }
    EXPECT_EQ(GameStarts() - gamesBefore, row.gameStarts);
    EXPECT_EQ(BystanderMessages() - bystanderBefore, row.bystanderMessages);
    row.check(run, testsupport::FunctionAndMessage(testsupport::ParseLogEntries(rowLog.NewLines())));
}

// The platform window may call back into the launcher while it handles the
// close notice; the launcher handles no sent message inside that wait.
TEST_F(HostileInputTest, APlatformThatCallsBackDuringTheCloseNoticeIsNotAnsweredInsideIt)
{
    PlatformSimulator::Options options;
    options.replyTitle = testsupport::kLauncherTitle;
    options.replyMessage = WM_NULL;
    PlatformSimulator platform(options);
    ASSERT_TRUE(platform.ready());
    HostileRun run(L"--source=QX --winid=" + platform.windowText() + L" --token=T0k --tokenLogin=0", kPageLoads);
    run.window = run.process.WaitForWindow();
    ASSERT_NE(run.window, nullptr);
    run.Post(kClose);  // the page's close_wnd, as any process can post it
    DWORD code = 1;
    EXPECT_TRUE(run.process.WaitForExit(30000, code));
    EXPECT_EQ(code, 0u);
    ASSERT_TRUE(platform.WaitForLine("reentry ", 10000));
    EXPECT_EQ(platform.CopyData().size(), 1u);
    const auto lines = platform.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "reentry message=0 answered=0"), lines.end())
        << "the launcher answered a sent message while it waited for the notice";
}

// ------------------------------------------------------------ page and engine

TEST_F(HostileInputTest, WhatThePageAndItsFramesSendLeavesTheLauncherAsThePlayerHasIt)
{
    const std::string openGame = "{\"funcation_name\":\"open_game\",\"token\":\"P4ge\"}";
    // Opened last by the player's click, after the case's own requests: once
    // the shell has it, everything before it has been handled.
    const std::string marker = "https://news.vorkan.test/marker";
    const std::string markerClick = "on timer 400 newwindow " + marker + " 0x6\n";
    const auto none = [](const HostileRun&, const std::vector<std::string>&) {};
    const std::vector<PageScenarioRow> rows = {
        {"a third-party frame that cannot be reached (0x800C0005)", "page *\nframeerror i4 0x800C0005\n" + markerClick,
         {"event NavigateError ", " frame=child "}, PageOutcome::Stays, {marker},
         [](const HostileRun& run, const std::vector<std::string>&) {
             EXPECT_TRUE(testsupport::ShownWindows(run.id(), kMessageBoxTitle).empty()) << "no network-error box";
         }},
        {"a frame that completes after the player minimised the launcher",
         "page *\nlateframe 1500\non timer 200 click min\n",
         {"event DocumentComplete ", " frame=child ", "#late"}, PageOutcome::Minimised, {},
         none},
        {"a new window the player asked for, quotes and control characters in it",
         "page *\non complete newwindow https://news.vorkan.test/a\"b\x01?q=\"c\" 0x6\n" + markerClick,
         {"event NewWindow3 "}, PageOutcome::Stays, {"https://news.vorkan.test/a%22b%01?q=%22c%22", marker}, none},
        {"new windows a script asks for in a loop (no NWMF_USERINITED)",
         "page *\non complete newwindow https://ads.vorkan.test/1 0x4\non complete newwindow https://ads.vorkan.test/2 0x0\n"
         "on complete newwindow https://ads.vorkan.test/3 0x4\non complete newwindow https://ads.vorkan.test/4 0x4\n"
         "on complete newwindow https://ads.vorkan.test/5 0x4\n" + markerClick,
         {"event NewWindow3 "}, PageOutcome::Stays, {marker},
         [](const HostileRun&, const std::vector<std::string>& log) {
             EXPECT_EQ(std::count_if(log.begin(), log.end(),
                                     [](const std::string& l) {
                                         return l.rfind("CWebBrowserEvent::NewWindow3|NewWindow3 not started by the user", 0) == 0;
                                     }),
                       5);
         }},
        {"new windows for other schemes and a malformed address",
         "page *\non complete newwindow file:///C:/windows/system32/calc.exe 0x6\n"
         "on complete newwindow javascript:alert(1) 0x6\non complete newwindow https://\"evil 0x6\n"
         "on complete newwindow http:calc.exe 0x6\n" + markerClick,
         {"event NewWindow3 "}, PageOutcome::Stays, {marker}, none},
        {"a call with a 1 MB argument: E_OUTOFMEMORY, no command",
         "page *\non complete external g_callCppFunc\narg fill 1048576 {\"funcation_name\":\"open_game\",\"token\":\"*\"}\n"
         "on timer 100 external g_callCppFunc\narg str {\"funcation_name\":\"min_wnd\"}\n",
         {"Invoke dispid=1000 argc=1 hr=0x8007000E "}, PageOutcome::Minimised, {},
         [](const HostileRun&, const std::vector<std::string>& log) {
             for (const std::string& line : log) EXPECT_EQ(line.find("open_game call"), std::string::npos) << line;
         }},
        {"an object argument whose conversion would run page code",
         "page *\non complete external g_callCppFunc\narg object " + openGame +
             "\non timer 100 external g_callCppFunc\narg str {\"funcation_name\":\"min_wnd\"}\n",
         {"Invoke dispid=1000 argc=1 hr=0x80020005 "}, PageOutcome::Minimised, {},
         [](const HostileRun& run, const std::vector<std::string>& log) {
             EXPECT_TRUE(run.engine.LinesStartingWith("page code ran").empty()) << "the page's code ran inside the call";
             for (const std::string& line : log) EXPECT_EQ(line.find("open_game call"), std::string::npos) << line;
         }},
    };
    for (const PageScenarioRow& row : rows) {
        SCOPED_TRACE(row.what);
        RunPageRow(row);
    }
}

void HostileInputTest::RunPageRow(const PageScenarioRow& row)
{
    const testsupport::ShellRecorder shell;
    const std::size_t gamesBefore = m_games.CommandLines().size();
    const LauncherLogTail rowLog;
    {
        HostileRun run(L"--source=web --token=T0k --tokenLogin=0", row.scenario);
        run.window = run.process.WaitForWindow();
        ASSERT_NE(run.window, nullptr);
        ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(run.window) != FALSE; })) << "the top document shows it";
        const auto pageDid = [&] {
            for (const std::string& line : run.engine.Lines()) {
                if (std::all_of(row.pageDid.begin(), row.pageDid.end(),
                                [&](const std::string& part) { return line.find(part) != std::string::npos; }))
                    return true;
            }
            return false;
        };
        ASSERT_TRUE(WaitFor(pageDid)) << "the page did its part: " << row.pageDid.front();
        if (row.outcome == PageOutcome::Minimised) {
            ASSERT_TRUE(WaitFor([&] { return ::IsIconic(run.window) != FALSE; }));
        }
        for (const std::string& address : row.opened) {
            EXPECT_TRUE(shell.WaitForOpened(address, 20000)) << "opened: " << address;
        }
        ASSERT_TRUE(HandledEverythingPosted(run));
        EXPECT_TRUE(::IsWindowVisible(run.window));
        EXPECT_EQ(::IsIconic(run.window) != FALSE, row.outcome == PageOutcome::Minimised)
            << "a frame does not restore and raise the launcher";
        EXPECT_EQ(shell.Opened(), row.opened);
        EXPECT_TRUE(run.process.Close()) << "alive and closable, exit code 0";
        row.check(run, testsupport::FunctionAndMessage(testsupport::ParseLogEntries(rowLog.NewLines())));
    }
    EXPECT_EQ(GameStarts() - gamesBefore, 0u);
}

// ------------------------------------------------------------ evidence

std::vector<std::wstring> DumpFiles()
{
    std::vector<std::wstring> dumps;
    for (const std::wstring& name : testsupport::FolderEntries(testsupport::LauncherDataDir() + L"\\Log")) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, L".dmp") == 0) dumps.push_back(name);
    }
    return dumps;
}

TEST_F(HostileInputTest, AFaultInsideAnEngineCallbackLeavesADumpALogLineAndAnExitCode)
{
    const std::vector<std::wstring> dumpsBefore = DumpFiles();
    HostileRun run(L"--source=web --token=T0k --tokenLogin=0", "page *\non timer 300 fault\n");
    ASSERT_TRUE(run.process.started());
    DWORD code = 0;
    ASSERT_TRUE(run.process.WaitForExit(60000, code)) << "the process ends";
    EXPECT_TRUE(run.engine.LinesStartingWith("fault").size() == 1u) << "the engine faulted";
    EXPECT_NE(code, 0u) << "the platform sees the failure";
    EXPECT_EQ(code, 0xC0000005u) << "the access violation's code";

    std::vector<std::wstring> dumps = DumpFiles();
    std::vector<std::wstring> added;
    for (const std::wstring& name : dumps) {
        if (std::find(dumpsBefore.begin(), dumpsBefore.end(), name) == dumpsBefore.end()) added.push_back(name);
    }
    ASSERT_EQ(added.size(), 1u) << "one minidump beside the log";
    const std::wstring dump = testsupport::LauncherDataDir() + L"\\Log\\" + added[0];
    const std::string bytes = testsupport::ReadFileBytes(dump);
    EXPECT_EQ(bytes.substr(0, 4), "MDMP") << "a minidump";
    EXPECT_GT(bytes.size(), 1024u);
    ::DeleteFileW(dump.c_str());

    const auto entries = testsupport::ParseLogEntries(m_log.NewLines());
    std::vector<std::string> crashLines;
    for (const auto& entry : entries) {
        if (entry.message.rfind("unhandled exception", 0) == 0) crashLines.push_back(entry.message);
    }
    ASSERT_EQ(crashLines.size(), 1u) << "one line";
    // The log writes in the ANSI code page; the prefix folder is ASCII.
    EXPECT_EQ(crashLines[0], "unhandled exception 0xC0000005, minidump:" + Utf8(dump));
}

}  // namespace
