// The launcher's contract with the platform client, held against the real
// vrk_main.exe and the platform client simulator, each in its own process.
#include <gtest/gtest.h>

#include <tinyxml.h>

#include <algorithm>

#include "tests/support/GameExitRecord.h"
#include "tests/support/LauncherProcess.h"
#include "tests/support/LauncherWorld.h"
#include "tests/support/LogEntry.h"
#include "tests/support/PlatformSimulator.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::ExpectedGameExitRecord;
using testsupport::LauncherLogTail;
using testsupport::LauncherProcess;
using testsupport::PlatformSimulator;

std::string Narrow(const std::wstring& w)
{
    return std::string(w.begin(), w.end());
}

std::wstring LauncherExe()
{
    return L"\"" + testsupport::BesideTests(L"vrk_main.exe") + L"\"";
}

const wchar_t kGameExitArgument[] = L"{\\\"type\\\":1}";  // {"type":1} on the command line

class PlatformContractTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testsupport::FileExists(testsupport::BesideTests(L"vrk_main.exe")));
        testsupport::CloseStrayLaunchers();
    }

    // Runs a launcher that must end by itself with exit code 0.
    void RunToExit(const std::wstring& arguments, DWORD timeoutMs = 30000)
    {
        const testsupport::ProcessResult result = testsupport::RunProcess(LauncherExe() + L" " + arguments, timeoutMs);
        EXPECT_TRUE(result.started);
        EXPECT_TRUE(result.finished) << "still running after " << timeoutMs << " ms";
        EXPECT_EQ(result.exitCode, 0u);
    }

    std::string Setting(const char* name) const
    {
        TiXmlDocument document;
        const std::string xml = testsupport::ReadFileBytes(m_settings.path());
        document.Parse(xml.c_str());
        const TiXmlElement* root = document.RootElement();
        const TiXmlElement* element = root ? root->FirstChildElement(name) : nullptr;
        if (!element) return "<missing>";
        return element->GetText() ? element->GetText() : "";
    }

    static bool HasMessage(const std::vector<testsupport::LogEntry>& entries, const std::string& message)
    {
        for (const auto& e : entries) {
            if (e.message == message) return true;
        }
        return false;
    }
    // Waits for a line the running launcher writes on its own thread.
    static bool WaitForMessage(const LauncherLogTail& log, const std::string& message, DWORD timeoutMs = 10000)
    {
        const DWORD start = ::GetTickCount();
        while (!HasMessage(testsupport::ParseLogEntries(log.NewLines()), message)) {
            if (::GetTickCount() - start >= timeoutMs) return false;
            ::Sleep(50);
        }
        return true;
    }

    testsupport::SettingsFileBackup m_settings;
};

TEST_F(PlatformContractTest, GameExitAfterAPlatformLaunchDeliversExactlyOneNotice)
{
    LauncherLogTail log;
    // The page never completes: the launcher waits hidden while it loads.
    testsupport::EngineScript engine("page *\nstall\n");
    PlatformSimulator::Options options;
    options.launch = LauncherExe() + L" --source=QX --winid={hwnd} --token=S3cr3tT0k --tokenLogin=0";
    PlatformSimulator platform(options);
    ASSERT_TRUE(platform.ready());
    ASSERT_TRUE(platform.WaitForLine("launched pid=", 10000));
    const DWORD launcherId = platform.LaunchedProcessId();
    ASSERT_NE(launcherId, 0u);

    // The launcher records the platform window for later processes, then
    // waits hidden for its page; closing it sends nothing.
    HWND launcherWindow = nullptr;
    for (int i = 0; i < 600 && !(launcherWindow = testsupport::FindLauncherWindow(launcherId)); ++i) ::Sleep(50);
    ASSERT_NE(launcherWindow, nullptr);
    ASSERT_TRUE(testsupport::WaitUntilIdle(launcherWindow));
    for (int i = 0; i < 600 && engine.LinesStartingWith("Navigate2 ").empty(); ++i) ::Sleep(50);
    ASSERT_FALSE(engine.LinesStartingWith("Navigate2 ").empty()) << "the page is requested";
    EXPECT_FALSE(::IsWindowVisible(launcherWindow));
    EXPECT_EQ(Setting("qxwindowid"), Narrow(platform.windowText()));
    EXPECT_EQ(Setting("loginsource"), "QX");
    ::PostMessageW(launcherWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(platform.WaitForLine("launcher-exit code=0", 15000));

    RunToExit(kGameExitArgument);

    const auto notices = platform.CopyData();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].dwData, 1u);
    EXPECT_EQ(notices[0].cbData, 528u);
    EXPECT_EQ(notices[0].bytes, ExpectedGameExitRecord());
    EXPECT_TRUE(platform.Messages().empty());

    const auto entries = testsupport::ParseLogEntries(log.NewLines());
    EXPECT_TRUE(HasMessage(entries, "game exit notify:{\"type\":1}"));
    EXPECT_TRUE(HasMessage(entries, "Qixel wnd get"));
    EXPECT_EQ(log.NewText().find("S3cr3tT0k"), std::string::npos);
}

TEST_F(PlatformContractTest, ASecondStartActivatesTheRunningLauncherAndEnds)
{
    LauncherProcess first(L"--source=QX --token=S3cr3tT0k --tokenLogin=0");
    ASSERT_TRUE(first.started());
    ASSERT_NE(first.WaitForWindow(), nullptr);

    LauncherLogTail log;
    RunToExit(L"--source=QX --token=S3cr3tT0k --tokenLogin=0");
    EXPECT_TRUE(WaitForMessage(log, "OnShowMainWnd enter")) << "the first launcher received 1133";
    const auto lines = testsupport::FunctionAndMessage(testsupport::ParseLogEntries(log.NewLines()));
    const std::vector<std::string> secondInstance = {
        "wWinMain|CreateMutex ERROR_ALREADY_EXISTS:vrk_main.exe", "wWinMain|FindWindow:Vorkan"};
    EXPECT_NE(std::search(lines.begin(), lines.end(), secondInstance.begin(), secondInstance.end()), lines.end());
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("ParseCmdParam"), std::string::npos) << "the second start parses nothing: " << line;
    }
    EXPECT_NE(std::find(lines.begin(), lines.end(), "GameLoaderWnd::TopMainWnd|OnShowMainWnd enter"), lines.end());

    DWORD code = 1;
    EXPECT_FALSE(first.WaitForExit(0, code)) << "the first launcher keeps running";
    EXPECT_TRUE(first.Close());
}

TEST_F(PlatformContractTest, StartsAtTheSameMomentLeaveOneLauncher)
{
    LauncherProcess a(L"--source=QX --tokenLogin=0 x");
    LauncherProcess b(L"--source=QX --tokenLogin=0 x");
    ASSERT_TRUE(a.started() && b.started());
    DWORD code = 1;
    const DWORD start = ::GetTickCount();
    bool aEnded = false, bEnded = false;
    while (!aEnded && !bEnded && ::GetTickCount() - start < 30000) {
        aEnded = a.WaitForExit(0, code);
        bEnded = !aEnded && b.WaitForExit(0, code);
        ::Sleep(50);
    }
    ASSERT_NE(aEnded, bEnded) << "exactly one of the two ends";
    EXPECT_EQ(code, 0u);
    LauncherProcess& survivor = aEnded ? b : a;
    ASSERT_NE(survivor.WaitForWindow(), nullptr);
    EXPECT_TRUE(survivor.Close());
}

TEST_F(PlatformContractTest, AGameExitStartWhileALauncherRunsTakesTheSecondInstancePath)
{
    PlatformSimulator platform;
    ASSERT_TRUE(platform.ready());
    LauncherProcess running(L"--source=QX --winid=" + platform.windowText() + L" --tokenLogin=0");
    ASSERT_NE(running.WaitForWindow(), nullptr);
    ASSERT_EQ(Setting("qxwindowid"), Narrow(platform.windowText()));

    LauncherLogTail log;
    RunToExit(kGameExitArgument);
    EXPECT_TRUE(WaitForMessage(log, "OnShowMainWnd enter"));
    const auto entries = testsupport::ParseLogEntries(log.NewLines());
    EXPECT_TRUE(HasMessage(entries, "CreateMutex ERROR_ALREADY_EXISTS:vrk_main.exe"));
    for (const auto& e : entries) EXPECT_NE(e.function, "IsGameExit") << e.message;
    EXPECT_TRUE(platform.CopyData().empty()) << "no notice from a second instance";
    EXPECT_TRUE(running.Close());
}

TEST_F(PlatformContractTest, AGameExitStartNotifiesOnlyWithLoginSourceAndWindowId)
{
    PlatformSimulator platform;
    ASSERT_TRUE(platform.ready());
    const std::string id = Narrow(platform.windowText());
    struct Case {
        std::string settings;  // empty: no file
        std::size_t notices;
        const char* lastLine;
    } cases[] = {
        {"<settings><qxwindowid>" + id + "</qxwindowid><loginsource>QX</loginsource></settings>", 1, "Qixel wnd get"},
        {"<settings><loginsource>QX</loginsource><qxwindowid>" + id + "</qxwindowid></settings>", 1, "Qixel wnd get"},
        {"<settings><qxwindowid>" + id + "</qxwindowid></settings>", 0, "game exit notify:{type:1}"},
        {"<settings><loginsource>QX</loginsource></settings>", 0, "Qixel wnd not get"},
        {"", 0, "game exit notify:{type:1}"},
    };
    std::size_t total = 0;
    for (const Case& c : cases) {
        ::DeleteFileW(m_settings.path().c_str());
        if (!c.settings.empty()) {
            ASSERT_TRUE(testsupport::WriteFileBytes(m_settings.path(), c.settings));
        }
        LauncherLogTail log;
        RunToExit(L"{type:1}");  // the literal form: unescaped quotes vanish on the command line
        total += c.notices;
        EXPECT_EQ(platform.CopyData().size(), total) << c.settings;
        const auto entries = testsupport::ParseLogEntries(log.NewLines());
        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(entries.back().message, c.lastLine) << c.settings;
        EXPECT_TRUE(HasMessage(entries, "get type:1"));
    }
    for (const auto& notice : platform.CopyData()) EXPECT_EQ(notice.bytes, ExpectedGameExitRecord());
}

TEST_F(PlatformContractTest, AHungPlatformWindowDoesNotHoldTheLauncher)
{
    PlatformSimulator::Options options;
    options.hang = true;
    options.lifetimeMs = 60000;
    PlatformSimulator platform(options);
    ASSERT_TRUE(platform.ready());
    ASSERT_TRUE(testsupport::WriteFileBytes(
        m_settings.path(),
        "<settings><qxwindowid>" + Narrow(platform.windowText()) + "</qxwindowid><loginsource>QX</loginsource></settings>"));
    const DWORD start = ::GetTickCount();
    RunToExit(kGameExitArgument, 40000);
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_LT(elapsed, 15000u) << "the notice gives up after a few seconds";
    EXPECT_TRUE(platform.CopyData().empty());
}

TEST_F(PlatformContractTest, ASettingsFileThatIsNotXmlIsLeftByteForByte)
{
    const std::string garbage = "\xFF\xFE<not xml\r\n\x01\x02 qxwindowid";
    ASSERT_TRUE(testsupport::WriteFileBytes(m_settings.path(), garbage));
    PlatformSimulator platform;
    ASSERT_TRUE(platform.ready());
    {
        LauncherProcess launcher(L"--source=QX --winid=" + platform.windowText() + L" --tokenLogin=0");
        ASSERT_NE(launcher.WaitForWindow(), nullptr);
        EXPECT_TRUE(launcher.Close());
    }
    RunToExit(kGameExitArgument);
    EXPECT_EQ(testsupport::ReadFileBytes(m_settings.path()), garbage);
    EXPECT_TRUE(platform.CopyData().empty());
}

// The simulator's post mode, as later tests drive the launcher window with it.
TEST(PlatformSimulatorTest, PostsPlatformMessagesToAWindowFoundByTitle)
{
    PlatformSimulator receiver;
    ASSERT_TRUE(receiver.ready());
    const std::wstring sim = L"\"" + testsupport::BesideTests(L"platform_client_sim.exe") + L"\"";
    const std::wstring to = L" \"--to-title=" + receiver.title() + L"\"";
    const struct {
        unsigned message;
        unsigned wParam;
    } posts[] = {{1136, 50}, {1135, 0}, {1134, 1}};
    for (const auto& post : posts) {
        const auto result = testsupport::RunProcess(sim + L" --post=" + std::to_wstring(post.message) + to +
                                                    L" --wparam=" + std::to_wstring(post.wParam));
        EXPECT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0u);
    }
    ASSERT_TRUE(receiver.WaitForLine("message 1134", 10000));
    const auto messages = receiver.Messages();
    ASSERT_EQ(messages.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(messages[i].message, posts[i].message);
        EXPECT_EQ(messages[i].wParam, posts[i].wParam);
        EXPECT_EQ(messages[i].lParam, 0);
    }
    const auto missing = testsupport::RunProcess(sim + L" --post=1136 \"--to-title=no such window\"");
    EXPECT_EQ(missing.exitCode, 2u);
}

}  // namespace
