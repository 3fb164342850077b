// The launcher window end to end: the real vrk_main.exe started by the
// platform client simulator (or directly), the stand-in browser engine
// playing the portal page, and stub games.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/GameExitRecord.h"
#include "tests/support/LauncherProcess.h"
#include "tests/support/LauncherWorld.h"
#include "tests/support/LogEntry.h"
#include "tests/support/PlatformSimulator.h"
#include "tests/support/StubGames.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::EngineScript;
using testsupport::LauncherLogTail;
using testsupport::LauncherProcess;
using testsupport::PlatformSimulator;
using testsupport::StubGames;

constexpr UINT kProgress = 1136, kDownloadResult = 1135, kUnpackResult = 1134;
constexpr UINT kMinimize = 1129;
constexpr UINT kStartFailed = 1347, kLauncherStarted = 1348;

// The portal page completes; the player presses start after a moment.
const char kPlayerStarts[] = "page *\non timer 300 click start\n";
const char kPageLoads[] = "page *\n";
const char kNoNetwork[] = "page *\nerror i4 0x800C0005\n";

using testsupport::WaitFor;

std::vector<std::wstring> SplitArguments(const std::wstring& commandLine)
{
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine.c_str(), &count);
    win32::UniqueLocalMemory owner(reinterpret_cast<HLOCAL>(argv));
    std::vector<std::wstring> out;
    for (int i = 1; argv && i < count; ++i) out.emplace_back(argv[i]);  // without the program
    return out;
}

std::string Ansi(const std::wstring& text)
{
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

std::wstring LauncherExe()
{
    return L"\"" + testsupport::BesideTests(L"vrk_main.exe") + L"\"";
}

// The text of the first static control of a system message box.
BOOL CALLBACK TakeStaticText(HWND child, LPARAM lParam)
{
    wchar_t className[32] = {};
    ::GetClassNameW(child, className, 32);
    if (lstrcmpiW(className, L"Static") != 0) return TRUE;
    wchar_t buffer[256] = {};
    ::GetWindowTextW(child, buffer, 256);
    if (!buffer[0]) return TRUE;
    *reinterpret_cast<std::wstring*>(lParam) = buffer;
    return FALSE;
}

std::wstring MessageBoxText(HWND box)
{
    std::wstring text;
    ::EnumChildWindows(box, TakeStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

// A left click at client coordinates, as the mouse gives it.
void ClickAt(HWND window, int x, int y)
{
    const LPARAM point = MAKELPARAM(x, y);
    ::PostMessageW(window, WM_MOUSEMOVE, 0, point);
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::PostMessageW(window, WM_LBUTTONUP, 0, point);
}

// The notice box's buttons in "CustomMsgBox.xml": OK at (172,208)-(268,240),
// the close button at the top right.
constexpr POINT kNoticeOk = {220, 224};
constexpr POINT kNoticeClose = {416, 20};

class LauncherWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testsupport::FileExists(testsupport::BesideTests(L"vrk_main.exe")));
        testsupport::CloseStrayLaunchers();
    }

    // Posts a platform message to the launcher window, as the platform does.
    static void Post(HWND launcher, UINT message, WPARAM wParam = 0) { ::PostMessageW(launcher, message, wParam, 0); }

    // True once the launcher has handled every message posted to it before:
    // posted messages are taken in order, and the page's minimise request
    // posted last shows when it is done. A launcher that was closing is
    // gone before it could be minimised.
    static bool HandledEverythingPosted(HWND launcher)
    {
        Post(launcher, kMinimize);
        return WaitFor([&] { return ::IsIconic(launcher) != FALSE; });
    }

    static bool Exited(LauncherProcess& launcher, DWORD timeoutMs = 20000)
    {
        DWORD code = 1;
        return launcher.WaitForExit(timeoutMs, code) && code == 0;
    }

    testsupport::SettingsFileBackup m_settings;
    testsupport::UninstallEntryBackup m_entry;  // no entry: vrk.exe beside the launcher is the game
    StubGames m_games;
    LauncherLogTail m_log;
};

TEST_F(LauncherWindowTest, TypicalRunShowsThePortalAndStartsTheGameFromIt)
{
    EngineScript engine(kPlayerStarts);
    PlatformSimulator::Options options;
    options.launch = LauncherExe() + L" --winid={hwnd} --source=QX --token=T0pS3cret --tokenLogin=0 --qxext=ext "
                                     L"--installed=1 --gameMgrId=0 --typeMode=0";
    PlatformSimulator platform(options);
    ASSERT_TRUE(platform.ready());
    ASSERT_TRUE(platform.WaitForLine("launched pid=", 10000));

    const DWORD launcherId = platform.LaunchedProcessId();
    ASSERT_NE(launcherId, 0u);
    HWND window = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (window = testsupport::FindLauncherWindow(launcherId)) != nullptr; }));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) != FALSE; })) << "shown once the page has loaded";
    ASSERT_TRUE(m_games.WaitForCount(1, 20000)) << "the page's start button starts the game";
    EXPECT_EQ(SplitArguments(m_games.CommandLines()[0]),
              (std::vector<std::wstring>{L"--source=QX", L"--tokenLogin=0", L"--token=T0pS3cret", L"--qxext=ext",
                                         L"--winid=0", L"--typeMode=0"}));
    ASSERT_TRUE(platform.WaitForLine("launcher-exit code=0", 15000));
    EXPECT_TRUE(platform.CopyData().empty()) << "a game start closes without the platform notice";

    const auto navigations = engine.LinesStartingWith("Navigate2 url=");
    ASSERT_EQ(navigations.size(), 1u);
    EXPECT_NE(navigations[0].find("/client/index/vrk?fileparam=&token=T0pS3cret&source=QX&qxext=ext&tokenLogin=0"),
              std::string::npos)
        << navigations[0];
    EXPECT_EQ(engine.LinesStartingWith("put_Silent value=-1").size(), 1u);

    const std::string log = m_log.NewText();
    EXPECT_EQ(log.find("T0pS3cret"), std::string::npos) << "the token never reaches the log";
    const auto entries = testsupport::FunctionAndMessage(testsupport::ParseLogEntries(m_log.NewLines()));
    const auto has = [&](const std::string& line) {
        return std::find(entries.begin(), entries.end(), line) != entries.end();
    };
    EXPECT_TRUE(has("GameLoaderWnd::InitWindow|m_nGameInstalled is 1"));
    EXPECT_TRUE(has("GameLoaderWnd::InitWindow|GetBagFileParam fileparam="));
    EXPECT_TRUE(has("GameLoaderWnd::LoadWeb|GameLoaderWnd LoadWeb"));
    EXPECT_TRUE(has("GameLoaderWnd::LoadWeb|fileparam="));
    EXPECT_TRUE(has("GameLoaderWnd::LoadGame|GameLoaderWnd LoadGame start"));
    EXPECT_TRUE(has("GameLoaderWnd::TopMainWnd|OnShowMainWnd enter"));
}

TEST_F(LauncherWindowTest, ParseCmdJsonLinesComeFromTheWindowWithTheTokenMasked)
{
    EngineScript engine(kPageLoads);
    LauncherProcess launcher(L"--source=QX --token=T0pS3cret --tokenLogin=0");
    ASSERT_NE(launcher.WaitForWindow(), nullptr);
    EXPECT_TRUE(launcher.Close());
    const auto entries = testsupport::ParseLogEntries(m_log.NewLines());
    const auto line = std::find_if(entries.begin(), entries.end(), [](const testsupport::LogEntry& e) {
        return e.function == "GameLoaderWnd::ParseCmdJson";
    });
    ASSERT_NE(line, entries.end());
    EXPECT_EQ(line->file, "GameLoaderWnd.cpp");
    EXPECT_EQ(line->message, "m_strCmdJson is:{\"source\":\"QX\",\"token\":\"***\",\"tokenLogin\":\"0\"}");
    EXPECT_EQ(m_log.NewText().find("T0pS3cret"), std::string::npos);
}

TEST_F(LauncherWindowTest, ANonJsonCommandIsLoggedAsAParseFailureOfTheWindow)
{
    EngineScript engine(kPageLoads);
    LauncherProcess launcher(L"not-json");
    ASSERT_NE(launcher.WaitForWindow(), nullptr);
    EXPECT_TRUE(launcher.Close());
    const auto entries = testsupport::FunctionAndMessage(testsupport::ParseLogEntries(m_log.NewLines()));
    EXPECT_NE(std::find(entries.begin(), entries.end(), "GameLoaderWnd::ParseCmdJson|reader.parse:not-json false"),
              entries.end());
}

TEST_F(LauncherWindowTest, TokenLoginStartsTheGameWithoutThePageOnlyWithAToken)
{
    struct Case {
        const wchar_t* arguments;
        bool gameStarts;
    } cases[] = {
        {L"--source=web --tokenLogin=1 --token=T0k", true},
        {L"--source=web --tokenLogin=1", false},
    };
    for (const Case& c : cases) {
        EngineScript engine(kPageLoads);
        StubGames games;
        LauncherProcess launcher(c.arguments);
        ASSERT_TRUE(launcher.started());
        if (c.gameStarts) {
            EXPECT_TRUE(Exited(launcher)) << c.arguments;
            ASSERT_TRUE(games.WaitForCount(1, 5000));
            EXPECT_EQ(SplitArguments(games.CommandLines()[0]),
                      (std::vector<std::wstring>{L"--source=web", L"--tokenLogin=1", L"--token=T0k"}));
            EXPECT_TRUE(engine.LinesStartingWith("Navigate2").empty()) << "no page requested";
            EXPECT_TRUE(engine.LinesStartingWith("create").empty()) << "the browser is not even made";
        } else {
            // Without a token there is no game to start: the portal page
            // shows instead, so the player can go on (a hidden launcher
            // would hold the instance mutex for ever).
            const HWND window = launcher.WaitForWindow();
            ASSERT_NE(window, nullptr);
            EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) != FALSE; })) << "the page shows";
            EXPECT_EQ(engine.LinesStartingWith("Navigate2").size(), 1u);
            const auto entries = testsupport::FunctionAndMessage(testsupport::ParseLogEntries(m_log.NewLines()));
            EXPECT_NE(std::find(entries.begin(), entries.end(),
                                "GameLoaderWnd::InitWindow|tokenLogin 1 without a token, the portal page instead"),
                      entries.end());
            EXPECT_TRUE(games.CommandLines().empty());
            EXPECT_TRUE(launcher.Close());
        }
    }
}

TEST_F(LauncherWindowTest, GameManagerHearsOfTheStartAndOfAMissingGame)
{
    // A recorded install folder without vrk.exe: the game is missing.
    testsupport::TempDir emptyInstall;
    ASSERT_TRUE(testsupport::UninstallEntryBackup::SetDisplayIcon(emptyInstall.path()));
    PlatformSimulator gameManager;
    ASSERT_TRUE(gameManager.ready());
    EngineScript engine(kPageLoads);
    LauncherProcess launcher(L"--source=QX --tokenLogin=1 --token=T0k --typeMode=1 --gameMgrId=" +
                             gameManager.windowText());
    EXPECT_TRUE(Exited(launcher)) << "the launcher closes when the game is missing";
    ASSERT_TRUE(gameManager.WaitForLine("message 1347", 5000));
    const auto messages = gameManager.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].message, kLauncherStarted);
    EXPECT_EQ(messages[1].message, kStartFailed);
    for (const auto& m : messages) EXPECT_EQ(m.wParam + static_cast<unsigned long long>(m.lParam), 0u);
    EXPECT_TRUE(m_games.CommandLines().empty());
    const auto entries = testsupport::FunctionAndMessage(testsupport::ParseLogEntries(m_log.NewLines()));
    const std::string missing = "GameLoaderWnd::LoadGame|PathFileExists " +
                                testsupport::WideToUtf8(emptyInstall.path()) + "\\vrk.exe not exists";
    EXPECT_NE(std::find(entries.begin(), entries.end(), missing), entries.end());
}

TEST_F(LauncherWindowTest, AnInstallPathWithASpaceReachesTheGameAsOneArgument)
{
    EngineScript engine(kPageLoads);
    LauncherProcess launcher(L"--source=web --tokenLogin=1 --token=T0k \"--instGamePath=C:\\Program Files\\vrk\" "
                             L"--qxext=a\" --x=1\"");
    EXPECT_TRUE(Exited(launcher));
    ASSERT_TRUE(m_games.WaitForCount(1, 5000));
    EXPECT_EQ(SplitArguments(m_games.CommandLines()[0]),
              (std::vector<std::wstring>{L"--source=web", L"--tokenLogin=1", L"--token=T0k", L"--qxext=a --x=1",
                                         L"--instGamePath=C:\\Program Files\\vrk"}));
}

// A launcher started as the platform starts it, with its page shown.
struct ShownLauncher {
    ShownLauncher(const std::wstring& arguments, const char* scenario)
        : engine(scenario), process(arguments)
    {
        window = process.WaitForWindow();
        if (window) WaitFor([&] { return ::IsWindowVisible(window) != FALSE; });
    }
    bool shown() const { return window && ::IsWindowVisible(window); }
    HWND WaitForNoticeBox() const { return testsupport::WaitForNoticeBox(process.id()); }
    EngineScript engine;
    LauncherProcess process;
    HWND window = nullptr;
};

std::wstring ProgramOf(const std::wstring& commandLine)
{
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine.c_str(), &count);
    win32::UniqueLocalMemory owner(reinterpret_cast<HLOCAL>(argv));
    return argv && count > 0 ? std::wstring(argv[0]) : std::wstring();
}

TEST_F(LauncherWindowTest, AfterDownloadAndUnpackTheInstallIsRegisteredAndTheGameStartsFromIt)
{
    const std::wstring installDir = testsupport::SpecialFolder(CSIDL_PROGRAM_FILESX86) + L"\\vrk";
    ::CreateDirectoryW(installDir.c_str(), nullptr);
    testsupport::FileBackup installedGame(installDir + L"\\vrk.exe");
    ASSERT_TRUE(::CopyFileW(testsupport::BesideTests(L"vrk.exe").c_str(), installedGame.path().c_str(), FALSE));
    testsupport::FileBackup shortcut(testsupport::SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Vorkan.lnk");

    ShownLauncher launcher(L"--source=web --token=T0k --tokenLogin=0", kPageLoads);
    ASSERT_TRUE(launcher.shown());
    for (WPARAM percent : {10, 50, 100, 100}) Post(launcher.window, kProgress, percent);
    Post(launcher.window, kDownloadResult, 0);
    Post(launcher.window, kUnpackResult, 0);
    EXPECT_TRUE(Exited(launcher.process));
    ASSERT_TRUE(m_games.WaitForCount(1, 5000));
    EXPECT_EQ(ProgramOf(m_games.CommandLines()[0]), installedGame.path()) << "started from the new install";

    win32::UniqueKey key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, testsupport::kGameUninstallKey, 0, KEY_READ, key.put()),
              ERROR_SUCCESS);
    DWORD values = 0;
    ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
    EXPECT_EQ(values, 5u);
    const struct {
        const wchar_t* name;
        std::wstring data;
    } expected[] = {
        {L"DisplayVersion", L"3.8.3.4"},
        {L"DisplayIcon", installDir + L"\\vrk_main.exe"},
        {L"DisplayName", L"Vorkan"},
        {L"Publisher", L""},
        {L"UninstallString", installDir + L"\\VrkGameLauncherUninst.exe"},
    };
    for (const auto& value : expected) {
        wchar_t data[MAX_PATH] = {};
        DWORD bytes = sizeof data, type = 0;
        ASSERT_EQ(::RegQueryValueExW(key.get(), value.name, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes),
                  ERROR_SUCCESS)
            << value.name;
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(std::wstring(data), value.data) << value.name;
    }

    win32::ComPtr<IShellLinkW> link;
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                             link.put_void())));
    win32::ComPtr<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(link.As(IID_IPersistFile, file)));
    ASSERT_TRUE(SUCCEEDED(file->Load(shortcut.path().c_str(), STGM_READ)));
    wchar_t target[MAX_PATH] = {}, icon[MAX_PATH] = {}, workingDir[MAX_PATH] = {};
    int iconIndex = -1;
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetIconLocation(icon, MAX_PATH, &iconIndex);
    link->GetWorkingDirectory(workingDir, MAX_PATH);
    EXPECT_EQ(std::wstring(target), installDir + L"\\vrk_main.exe");
    EXPECT_EQ(std::wstring(icon), installDir + L"\\vrk_main.exe");
    EXPECT_EQ(iconIndex, 0);
    EXPECT_EQ(std::wstring(workingDir), installDir);
    file.reset();
    link.reset();
    ::CoUninitialize();
}

TEST_F(LauncherWindowTest, ASuccessfulDownloadEndsRunningGamesBeforeTheNextMessage)
{
    const HANDLE games[] = {m_games.StartStaying(), m_games.StartStaying()};
    ASSERT_TRUE(games[0] && games[1]);
    ShownLauncher launcher(L"--source=web --token=T0k --tokenLogin=0", kPageLoads);
    ASSERT_TRUE(launcher.shown());
    Post(launcher.window, kDownloadResult, 0);
    Post(launcher.window, kUnpackResult, 1);  // handled only after the games are gone
    const HWND box = launcher.WaitForNoticeBox();
    ASSERT_NE(box, nullptr);
    for (HANDLE game : games) EXPECT_EQ(::WaitForSingleObject(game, 0), WAIT_OBJECT_0) << "ended before the box";
    ClickAt(box, kNoticeOk.x, kNoticeOk.y);
    EXPECT_TRUE(Exited(launcher.process));
}

TEST_F(LauncherWindowTest, NoticeBoxButtonsCloseTheLauncherAndTheSystemCloseDoesNot)
{
    enum Action { Ok, CloseButton, SystemClose };
    struct Case {
        Action action;
        bool launcherCloses;
    } cases[] = {{Ok, true}, {CloseButton, true}, {SystemClose, false}};
    for (const Case& c : cases) {
        ShownLauncher launcher(L"--source=web --token=T0k --tokenLogin=0", kPageLoads);
        ASSERT_TRUE(launcher.shown());
        Post(launcher.window, kDownloadResult, 1);  // the network error notice
        const HWND box = launcher.WaitForNoticeBox();
        ASSERT_NE(box, nullptr) << c.action;
        EXPECT_FALSE(::IsWindowEnabled(launcher.window)) << "the owner is disabled while the box shows";
        RECT boxRect{};
        ::GetClientRect(box, &boxRect);
        EXPECT_EQ(boxRect.right, 440);
        EXPECT_EQ(boxRect.bottom, 260);
        switch (c.action) {
        case Ok:
            ClickAt(box, kNoticeOk.x, kNoticeOk.y);
            break;
        case CloseButton:
            ClickAt(box, kNoticeClose.x, kNoticeClose.y);
            break;
        case SystemClose:
            ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        }
        if (c.launcherCloses) {
            EXPECT_TRUE(Exited(launcher.process)) << c.action;
        } else {
            EXPECT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
            EXPECT_TRUE(HandledEverythingPosted(launcher.window)) << "the owner stays";
            EXPECT_TRUE(::IsWindow(launcher.window));
            EXPECT_TRUE(::IsWindowEnabled(launcher.window));
            EXPECT_TRUE(launcher.process.Close());
        }
    }
}

TEST_F(LauncherWindowTest, AnUnpackFailureShowsTheNoticeAndClosesTheLauncherHowEverTheBoxCloses)
{
    ShownLauncher launcher(L"--source=web --token=T0k --tokenLogin=0", kPageLoads);
    ASSERT_TRUE(launcher.shown());
    Post(launcher.window, kUnpackResult, 1);
    const HWND box = launcher.WaitForNoticeBox();
    ASSERT_NE(box, nullptr);
    ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(Exited(launcher.process));
    EXPECT_TRUE(m_games.CommandLines().empty());
}

TEST_F(LauncherWindowTest, APlatformMessageThatClosesTheLauncherWhileTheNoticeShowsEndsTheRunCleanly)
{
    const std::wstring installDir = testsupport::SpecialFolder(CSIDL_PROGRAM_FILESX86) + L"\\vrk";
    ::CreateDirectoryW(installDir.c_str(), nullptr);
    testsupport::FileBackup installedGame(installDir + L"\\vrk.exe");
    ASSERT_TRUE(::CopyFileW(testsupport::BesideTests(L"vrk.exe").c_str(), installedGame.path().c_str(), FALSE));

    ShownLauncher launcher(L"--source=QX --token=T0k --tokenLogin=0", kPageLoads);  // QX: no desktop shortcut
    ASSERT_TRUE(launcher.shown());
    Post(launcher.window, kDownloadResult, 1);
    ASSERT_NE(launcher.WaitForNoticeBox(), nullptr);
    Post(launcher.window, kUnpackResult, 0);  // the game starts and the launcher closes under the box
    EXPECT_TRUE(Exited(launcher.process)) << "exit code 0, no crash";
    ASSERT_TRUE(m_games.WaitForCount(1, 5000));
    EXPECT_EQ(ProgramOf(m_games.CommandLines()[0]), installedGame.path());
}

TEST_F(LauncherWindowTest, ANetworkErrorShowsTheMessageBoxThenTellsThePlatform)
{
    PlatformSimulator::Options options;
    EngineScript engine(kNoNetwork);
    options.launch = LauncherExe() + L" --winid={hwnd} --source=QX --token=T0k --tokenLogin=0";
    PlatformSimulator platform(options);
    ASSERT_TRUE(platform.ready());
    ASSERT_TRUE(platform.WaitForLine("launched pid=", 10000));
    const DWORD launcherId = platform.LaunchedProcessId();
    ASSERT_NE(launcherId, 0u);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = testsupport::FindShownWindow(launcherId, L"\u63d0\u793a")) != nullptr; }));
    EXPECT_EQ(MessageBoxText(box), L"\u7f51\u7edc\u8fde\u63a5\u5f02\u5e38");
    EXPECT_TRUE(platform.CopyData().empty()) << "the notice follows the box";
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(platform.WaitForLine("launcher-exit code=0", 15000));
    const auto notices = platform.CopyData();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].bytes, testsupport::ExpectedGameExitRecord());
    HWND launcherWindow = testsupport::FindLauncherWindow(launcherId);
    EXPECT_EQ(launcherWindow, nullptr);
    const auto entries = testsupport::FunctionAndMessage(testsupport::ParseLogEntries(m_log.NewLines()));
    EXPECT_NE(std::find(entries.begin(), entries.end(), "GameLoaderWnd::OnBtnCloseClick|GameLoaderWnd close wnd"),
              entries.end());
}

TEST_F(LauncherWindowTest, TheTaskbarCloseRunsTheCloseProcedure)
{
    struct Case {
        const wchar_t* source;
        std::size_t notices;
    } cases[] = {{L"QX", 1}, {L"qx", 0}};
    for (const Case& c : cases) {
        PlatformSimulator platform;
        ASSERT_TRUE(platform.ready());
        LauncherLogTail log;
        ShownLauncher launcher(std::wstring(L"--source=") + c.source + L" --winid=" + platform.windowText() +
                                   L" --token=T0k --tokenLogin=0",
                               kPageLoads);
        ASSERT_TRUE(launcher.shown());
        ::PostMessageW(launcher.window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(Exited(launcher.process)) << c.source;
        EXPECT_EQ(platform.CopyData().size(), c.notices) << c.source;
        const auto entries = testsupport::FunctionAndMessage(testsupport::ParseLogEntries(log.NewLines()));
        // The log is written in the ANSI code page.
        EXPECT_NE(std::find(entries.begin(), entries.end(),
                            "GameLoaderWnd::OnSysCommand|" + Ansi(L"\u70b9\u51fb\u4efb\u52a1\u680f\u5173\u95ed\u7a97\u53e3")),
                  entries.end())
            << c.source;
    }
}

TEST_F(LauncherWindowTest, ASecondStartBringsAMinimisedLauncherBack)
{
    ShownLauncher launcher(L"--source=web --token=T0k --tokenLogin=0", kPageLoads);
    ASSERT_TRUE(launcher.shown());
    Post(launcher.window, kMinimize);
    ASSERT_TRUE(WaitFor([&] { return ::IsIconic(launcher.window) != FALSE; }));
    const auto second = testsupport::RunProcess(LauncherExe() + L" --source=web --token=T0k --tokenLogin=0");
    EXPECT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_TRUE(WaitFor([&] { return !::IsIconic(launcher.window); })) << "restored by the activation message";
    EXPECT_TRUE(::IsWindowVisible(launcher.window));
    EXPECT_TRUE(launcher.process.Close());
}

TEST_F(LauncherWindowTest, ADoubleClickOnTheCaptionDoesNotMaximise)
{
    ShownLauncher launcher(L"--source=web --token=T0k --tokenLogin=0", kPageLoads);
    ASSERT_TRUE(launcher.shown());
    RECT before{};
    ::GetWindowRect(launcher.window, &before);
    ::SendMessageW(launcher.window, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(before.left + 100, before.top + 10));
    testsupport::WaitUntilIdle(launcher.window);
    EXPECT_FALSE(::IsZoomed(launcher.window));
    RECT after{};
    ::GetWindowRect(launcher.window, &after);
    EXPECT_EQ(after.right - after.left, 960);
    EXPECT_EQ(after.bottom - after.top, 620);
    EXPECT_TRUE(launcher.process.Close());
}

TEST_F(LauncherWindowTest, ThePagesRequestsReachTheWindow)
{
    enum Effect { Minimised, ClosedWithNotice, GameStarted, Stays };
    struct Case {
        const char* scenario;
        const wchar_t* token;  // of the launch command
        Effect effect;
        const wchar_t* gameToken;
    } cases[] = {
        {"page *\non timer 300 click min\n", L"T0k", Minimised, nullptr},
        {"page *\non timer 300 click close\n", L"T0k", ClosedWithNotice, nullptr},
        // The page's token replaces the missing one of the launch command.
        {"page *\non timer 300 external g_callCppFunc\narg str {\"funcation_name\":\"open_game\",\"token\":\"P4ge\","
         "\"qxext\":\"px\"}\n",
         L"", GameStarted, L"--token=P4ge"},
        // A token that is no string keeps the command's, here none: nothing starts.
        {"page *\non timer 300 external g_callCppFunc\narg str {\"funcation_name\":\"open_game\",\"token\":5}\n", L"",
         Stays, nullptr},
    };
    for (const Case& c : cases) {
        PlatformSimulator platform;
        ASSERT_TRUE(platform.ready());
        StubGames games;
        std::wstring arguments = L"--source=QX --winid=" + platform.windowText() + L" --tokenLogin=0";
        if (*c.token) arguments += std::wstring(L" --token=") + c.token;
        ShownLauncher launcher(arguments, c.scenario);
        ASSERT_NE(launcher.window, nullptr) << c.scenario;
        switch (c.effect) {
        case Minimised:
            EXPECT_TRUE(WaitFor([&] { return ::IsIconic(launcher.window) != FALSE; })) << c.scenario;
            EXPECT_TRUE(launcher.process.Close());
            break;
        case ClosedWithNotice:
            EXPECT_TRUE(Exited(launcher.process)) << c.scenario;
            EXPECT_EQ(platform.CopyData().size(), 1u) << "the close procedure tells the platform";
            break;
        case GameStarted: {
            EXPECT_TRUE(Exited(launcher.process)) << c.scenario;
            ASSERT_TRUE(games.WaitForCount(1, 5000));
            const auto arguments = SplitArguments(games.CommandLines()[0]);
            EXPECT_NE(std::find(arguments.begin(), arguments.end(), c.gameToken), arguments.end());
            EXPECT_NE(std::find(arguments.begin(), arguments.end(), L"--qxext=px"), arguments.end());
            EXPECT_TRUE(platform.CopyData().empty());
            break;
        }
        case Stays:
            // The page's call has returned; the request it posted is handled
            // before the minimise posted now. A game start would have closed
            // the launcher first.
            ASSERT_TRUE(WaitFor([&] { return !launcher.engine.LinesStartingWith("Invoke ").empty(); })) << c.scenario;
            EXPECT_TRUE(HandledEverythingPosted(launcher.window)) << c.scenario;
            EXPECT_TRUE(::IsWindow(launcher.window)) << c.scenario;
            EXPECT_TRUE(games.CommandLines().empty());
            EXPECT_TRUE(launcher.process.Close());
            break;
        }
    }
}

TEST_F(LauncherWindowTest, AClickOnTheDisabledLauncherShakesTheNoticeBox)
{
    ShownLauncher launcher(L"--source=web --token=T0k --tokenLogin=0", kPageLoads);
    ASSERT_TRUE(launcher.shown());
    Post(launcher.window, kDownloadResult, 1);
    const HWND box = launcher.WaitForNoticeBox();
    ASSERT_NE(box, nullptr);
    RECT start{};
    ::GetWindowRect(box, &start);
    // What the system sends a disabled window the user clicks on.
    ::PostMessageW(launcher.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(launcher.window),
                   MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    bool moved = false;
    const DWORD begin = ::GetTickCount();
    while (::GetTickCount() - begin < 2000) {
        RECT now{};
        ::GetWindowRect(box, &now);
        moved = moved || now.left != start.left || now.top != start.top;
        ::Sleep(10);
    }
    EXPECT_TRUE(moved) << "the box shakes";
    RECT end{};
    ::GetWindowRect(box, &end);
    EXPECT_EQ(end.left, start.left) << "and ends where it started";
    EXPECT_EQ(end.top, start.top);
    ClickAt(box, kNoticeOk.x, kNoticeOk.y);
    EXPECT_TRUE(Exited(launcher.process));
}

// The popup menu of the thread that shows one, or null.
HWND FindPopupMenu(DWORD processId)
{
    for (HWND menu = ::FindWindowW(L"#32768", nullptr); menu; menu = ::FindWindowExW(nullptr, menu, L"#32768", nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(menu, &owner);
        if (owner == processId && ::IsWindowVisible(menu)) return menu;
    }
    return nullptr;
}

TEST_F(LauncherWindowTest, TheExitMenuRunsTheCloseProcedureOnlyWhenChosen)
{
    constexpr UINT kTrayNotify = 1126;
    struct Case {
        UINT key;  // pressed in the open menu
        bool closes;
    } cases[] = {{VK_ESCAPE, false}, {VK_RETURN, true}};
    for (const Case& c : cases) {
        PlatformSimulator platform;
        ASSERT_TRUE(platform.ready());
        ShownLauncher launcher(L"--source=QX --winid=" + platform.windowText() + L" --token=T0k --tokenLogin=0",
                               kPageLoads);
        ASSERT_TRUE(launcher.shown());
        ::PostMessageW(launcher.window, kTrayNotify, 0, WM_LBUTTONDOWN);
        ::PostMessageW(launcher.window, kTrayNotify, 0, WM_RBUTTONDOWN);
        HWND menu = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (menu = FindPopupMenu(launcher.process.id())) != nullptr; }, 10000))
            << "a right click opens the menu, a left click nothing";
        if (c.key == VK_RETURN) ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);  // select its one item
        ::PostMessageW(menu, WM_KEYDOWN, c.key, 0);
        EXPECT_TRUE(WaitFor([&] { return FindPopupMenu(launcher.process.id()) == nullptr; })) << "the menu is gone";
        if (c.closes) {
            EXPECT_TRUE(Exited(launcher.process));
            EXPECT_EQ(platform.CopyData().size(), 1u) << "the close procedure tells the platform";
        } else {
            EXPECT_TRUE(HandledEverythingPosted(launcher.window)) << "the launcher stays";
            EXPECT_TRUE(::IsWindow(launcher.window));
            EXPECT_TRUE(platform.CopyData().empty());
            EXPECT_TRUE(launcher.process.Close());
        }
    }
}

}  // namespace
