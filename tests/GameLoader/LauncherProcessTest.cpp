// Starts the real vrk_main.exe and reads what it wrote to its daily log.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/LauncherProcess.h"
#include "tests/support/StubGames.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::SplitLines;

class LauncherProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_exe = testsupport::BesideTests(L"vrk_main.exe");
        ASSERT_TRUE(testsupport::FileExists(m_exe)) << "build vrk_main.exe first";
        testsupport::CloseStrayLaunchers();
        m_log = testsupport::TodaysLauncherLog();
        m_logStart = ReadFileBytes(m_log).size();
    }
    // Runs the launcher with arguments, closes its window once it waits
    // for messages, and returns the log lines it added.
    std::vector<std::string> Run(const std::wstring& arguments)
    {
        testsupport::LauncherProcess launcher(arguments);
        EXPECT_TRUE(launcher.started());
        if (launcher.WaitForWindow()) {
            EXPECT_TRUE(launcher.Close());
        }
        DWORD code = 1;
        EXPECT_TRUE(launcher.WaitForExit(15000, code));
        EXPECT_EQ(code, 0u);
        return SplitLines(ReadFileBytes(m_log).substr(m_logStart));
    }

    testsupport::SettingsFileBackup m_settings;  // the runs write qxwindowid and loginsource
    std::wstring m_exe;
    std::wstring m_log;
    std::size_t m_logStart = 0;
};

TEST_F(LauncherProcessTest, PlatformStartLogsEveryArgumentInTheLineFormat)
{
    const std::vector<std::string> lines =
        Run(L"--winid=1234 --source=QX --token=T0pS3cret --tokenLogin=0 --qxext=ext --installed=1 "
            L"--gameMgrId=5678 --typeMode=1 \"--instGamePath=C:\\Program Files\\vrk\" --cacheGamePath=C:\\cache");
    ASSERT_GE(lines.size(), 13u);
    const std::regex shape(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.[ \d]{2}\d \[Main\.cpp<\d+>wWinMain\] : (.*))");
    std::smatch first;
    ASSERT_TRUE(std::regex_match(lines[0], first, shape)) << lines[0];
    EXPECT_EQ(first[1].str().rfind("Logger::initializePathDir:", 0), 0u);
    EXPECT_EQ(first[1].str().back(), '\\');
    EXPECT_NE(first[1].str().find("\\Qixel\\Log\\"), std::string::npos);
    EXPECT_NE(lines[1].find("[Main.cpp<"), std::string::npos);
    EXPECT_NE(lines[1].find(">wWinMain] : CreateMutex not ERROR_ALREADY_EXISTS:vrk_main.exe"), std::string::npos)
        << lines[1];

    const char* tokens[] = {"--winid=1234", "--source=QX", "--token=***", "--tokenLogin=0", "--qxext=ext",
                            "--installed=1", "--gameMgrId=5678", "--typeMode=1",
                            "--instGamePath=C:\\Program Files\\vrk", "--cacheGamePath=C:\\cache"};
    const std::regex tokenLine(
        R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.[ \d]{2}\d \[CommandLine\.cpp<\d+>ParseCmdParam\] : CommandLineToArgvW argCount:(\d+) szArgList:(.*))");
    for (std::size_t i = 0; i <= 10; ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[2 + i], m, tokenLine)) << lines[2 + i];
        EXPECT_EQ(m[1].str(), std::to_string(i));
        if (i == 0) {
            EXPECT_NE(m[2].str().find("vrk_main.exe"), std::string::npos);
        } else {
            EXPECT_EQ(m[2].str(), tokens[i - 1]);
        }
    }
    EXPECT_EQ(ReadFileBytes(m_log).find("T0pS3cret"), std::string::npos);
    EXPECT_FALSE(testsupport::FileExists(testsupport::LauncherDataDir() + L"\\Log\\debug.txt"));
}

TEST_F(LauncherProcessTest, OneArgumentStartWritesNoTokenLines)
{
    const std::vector<std::string> lines = Run(L"{\\\"type\\\":1}");
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines) EXPECT_EQ(line.find("CommandLineToArgvW"), std::string::npos) << line;
}

// The file names (lower case) of the DLLs a process loads from its start to
// its end, seen as its debugger.
std::vector<std::wstring> LoadedLibraries(const std::wstring& commandLine)
{
    std::vector<std::wstring> names;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine;
    if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr,
                          &startup, &info)) {
        ADD_FAILURE() << "cannot start " << std::string(commandLine.begin(), commandLine.end());
        return names;
    }
    win32::UniqueHandle process(info.hProcess), thread(info.hThread);
    const ULONGLONG deadline = ::GetTickCount64() + 30000;
    for (bool ended = false; !ended && ::GetTickCount64() < deadline;) {
        DEBUG_EVENT event{};
        if (!::WaitForDebugEvent(&event, 1000)) continue;
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case LOAD_DLL_DEBUG_EVENT: {
            win32::UniqueHandle file(event.u.LoadDll.hFile);
            wchar_t path[MAX_PATH] = {};
            if (file && ::GetFinalPathNameByHandleW(file.get(), path, MAX_PATH, 0) > 0) {
                std::wstring name(path);
                name = name.substr(name.find_last_of(L"\\/") + 1);
                std::transform(name.begin(), name.end(), name.begin(),
                               [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
                names.push_back(name);
            }
            break;
        }
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) ::CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case EXCEPTION_DEBUG_EVENT:
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                status = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            ended = true;
            break;
        default:
            break;
        }
        ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    ::DebugActiveProcessStop(info.dwProcessId);
    if (::WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 1);
        ADD_FAILURE() << "the launcher did not end";
    }
    return names;
}

// The game-exit path sends its notice and ends: COM, the common controls,
// GDI+ and the log's fallback lookup are delay-loaded and never called, so
// none of their DLLs is loaded (each costs milliseconds at start).
TEST_F(LauncherProcessTest, GameExitPathLoadsNoDelayLoadedLibrary)
{
    const std::vector<std::wstring> loaded = LoadedLibraries(L"\"" + m_exe + L"\" {\\\"type\\\":1}");
    auto has = [&](const wchar_t* name) { return std::find(loaded.begin(), loaded.end(), name) != loaded.end(); };
    ASSERT_TRUE(has(L"user32.dll") && has(L"shell32.dll")) << "no library loads were seen";
    for (const wchar_t* late : {L"ole32.dll", L"oleaut32.dll", L"comctl32.dll", L"gdiplus.dll", L"wtsapi32.dll"})
        EXPECT_FALSE(has(late)) << std::wstring(late).c_str() << " loaded by the game-exit path";
}

// Starting the game at once (tokenLogin 1) never shows the window: the
// browser is never made, nothing is drawn, and neither the common controls
// nor GDI+ are started.
TEST_F(LauncherProcessTest, TokenLoginPathLoadsNoBrowserAndNoDrawingLibrary)
{
    testsupport::StubGames games;
    const std::vector<std::wstring> loaded =
        LoadedLibraries(L"\"" + m_exe + L"\" --source=web --tokenLogin=1 --token=T0k");
    auto has = [&](const wchar_t* name) { return std::find(loaded.begin(), loaded.end(), name) != loaded.end(); };
    ASSERT_TRUE(has(L"user32.dll") && has(L"ole32.dll")) << "no library loads were seen";
    for (const wchar_t* late :
         {L"vrk_browser_engine.dll", L"comctl32.dll", L"gdiplus.dll", L"msimg32.dll", L"wtsapi32.dll"})
        EXPECT_FALSE(has(late)) << std::wstring(late).c_str() << " loaded by the tokenLogin 1 path";
    EXPECT_TRUE(games.WaitForCount(1, 5000)) << "the game started";
}

}  // namespace
