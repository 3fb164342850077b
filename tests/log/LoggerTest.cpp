#include "log/Logger.h"

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <map>
#include <regex>
#include <thread>

#include "tests/support/TestSupport.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::SplitLines;
using testsupport::TempDir;

std::string Narrow(const std::wstring& w)
{
    std::string s;
    for (wchar_t c : w) s += static_cast<char>(c);  // test folders are ASCII
    return s;
}

std::string ExeBaseName()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return Narrow(p.substr(p.find_last_of(L"\\/") + 1));
}

std::wstring TodaysFile(const TempDir& dir)
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const std::string base = ExeBaseName();
    return dir.path() + L"\\" + std::wstring(base.begin(), base.end()) + L"_" +
           std::to_wstring(now.wYear) + L"_" + std::to_wstring(now.wMonth) + L"_" + std::to_wstring(now.wDay) +
           L".log";
}

const std::regex kLineShape(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.[ \d]{2}\d \[[^<]+<\d+>[^\]]+\] : .*)");

TEST(LoggerTest, OpensTheDailyFileAndLeavesNoProbe)
{
    TempDir dir;
    Logger logger(Narrow(dir.path()) + "\\");
    ASSERT_TRUE(logger.initialised());
    EXPECT_EQ(logger.sinkMask(), unsigned(LOG_SINK_FILE | LOG_SINK_STDERR | LOG_SINK_DEBUGGER));
    EXPECT_EQ(logger.fileName(), Narrow(TodaysFile(dir)));
    EXPECT_FALSE(testsupport::FileExists(dir.file(L"debug.txt")));

    logger.log(LOG_LEVEL_INFO, "c:\\src\\log\\Main.cpp", 42, "wWinMain", L"Logger::initializePathDir:C:\\x\\");
    logger.log(3, "Main.cpp", 43, "wWinMain", L"level three reaches no sink");
    logger.log(LOG_LEVEL_ERROR, "Main.cpp", 44, "GameLoaderWnd::LoadGame", L"CreateProcess false");

    const std::string bytes = ReadFileBytes(TodaysFile(dir));
    const std::vector<std::string> lines = SplitLines(bytes);
    ASSERT_EQ(lines.size(), 2u) << bytes;
    EXPECT_NE(bytes.find(" [Main.cpp<42>wWinMain] : Logger::initializePathDir:C:\\x\\\r\n"), std::string::npos);
    EXPECT_NE(bytes.find(" [Main.cpp<44>GameLoaderWnd::LoadGame] : CreateProcess false\r\n"), std::string::npos);
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, kLineShape)) << line;
    EXPECT_EQ(bytes.find("level three"), std::string::npos);
}

TEST(LoggerTest, WritesTheMessageInTheAnsiCodePageWithTheTokenMasked)
{
    ASSERT_EQ(::GetACP(), 936u) << "the tests expect a Chinese locale (LANG=zh_CN.UTF-8)";
    TempDir dir;
    Logger logger(Narrow(dir.path()) + "\\");
    logger.log(LOG_LEVEL_INFO, "Main.cpp", 1, "f", L"path:\x4E2D\x6587 arg:--token=s3cret");
    const std::string bytes = ReadFileBytes(TodaysFile(dir));
    EXPECT_NE(bytes.find("path:\xD6\xD0\xCE\xC4 arg:--token=***\r\n"), std::string::npos) << bytes;
    EXPECT_EQ(bytes.find("s3cret"), std::string::npos);
}

TEST(LoggerTest, AppendsToAnExistingFileOfTheDay)
{
    TempDir dir;
    ASSERT_TRUE(testsupport::WriteFileBytes(TodaysFile(dir), "earlier line\r\n"));
    Logger logger(Narrow(dir.path()) + "\\");
    logger.log(LOG_LEVEL_INFO, "a.cpp", 1, "f", L"later line");
    const std::vector<std::string> lines = SplitLines(ReadFileBytes(TodaysFile(dir)));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "earlier line");
    EXPECT_THAT(lines[1], ::testing::EndsWith("] : later line"));
}

TEST(LoggerTest, UnwritableDirectoryFallsBackWithoutAFile)
{
    Logger logger("Q:\\no\\such\\folder\\");
    const DWORD d = ::GetFileAttributesW(L"D:");
    const bool haveD = d != INVALID_FILE_ATTRIBUTES && (d & FILE_ATTRIBUTE_DIRECTORY);
    if (logger.directory() != "Q:\\no\\such\\folder\\") {
        // The console user's Documents folder took over.
        EXPECT_TRUE(logger.sinkMask() & LOG_SINK_FILE);
    } else if (haveD) {
        EXPECT_TRUE(logger.initialised());
        EXPECT_EQ(logger.sinkMask(), unsigned(LOG_SINK_STDERR | LOG_SINK_DEBUGGER));
    } else {
        EXPECT_FALSE(logger.initialised());
        logger.log(LOG_LEVEL_ERROR, "a.cpp", 1, "f", L"goes nowhere");  // must not crash
    }
}

// Child side of the two-process test: writes lines from two threads.
TEST(LoggerChild, WritesLines)
{
    char dir[MAX_PATH] = {};
    if (!::GetEnvironmentVariableA("VRK_LOG_CHILD_DIR", dir, MAX_PATH)) GTEST_SKIP() << "child only";
    Logger logger(dir);
    const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
    auto writer = [&](wchar_t thread) {
        for (int i = 0; i < 300; ++i)
            logger.log(LOG_LEVEL_INFO, "Child.cpp", i, "LoggerChild::WritesLines",
                       L"pid:" + pid + L" thread:" + thread + L" n:" + std::to_wstring(i) + L" " +
                           std::wstring(200, thread));
    };
    std::thread a(writer, L'a'), b(writer, L'b');
    a.join();
    b.join();
}

TEST(LoggerTest, TwoProcessesAppendWholeLinesToOneFile)
{
    TempDir dir;
    const std::string dirText = Narrow(dir.path()) + "\\";
    ::SetEnvironmentVariableA("VRK_LOG_CHILD_DIR", dirText.c_str());
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=LoggerChild.WritesLines";
    win32::UniqueHandle first(testsupport::StartProcess(command));
    win32::UniqueHandle second(testsupport::StartProcess(command));
    ::SetEnvironmentVariableA("VRK_LOG_CHILD_DIR", nullptr);
    ASSERT_TRUE(first && second);
    ASSERT_EQ(::WaitForSingleObject(first.get(), 60000), WAIT_OBJECT_0);
    ASSERT_EQ(::WaitForSingleObject(second.get(), 60000), WAIT_OBJECT_0);

    const std::string bytes = ReadFileBytes(TodaysFile(dir));
    const std::vector<std::string> lines = SplitLines(bytes);
    ASSERT_EQ(lines.size(), 1200u);
    const std::regex childLine(
        R"(.* \[Child\.cpp<(\d+)>LoggerChild::WritesLines\] : pid:\d+ thread:([ab]) n:\1 ([ab]){200})");
    std::map<std::string, int> perWriter;
    for (const std::string& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, childLine)) << line;
        ASSERT_EQ(line.substr(line.size() - 200), std::string(200, m[2].str()[0])) << line;
        ++perWriter[line.substr(line.find("pid:"), line.find(" n:") - line.find("pid:"))];
    }
    EXPECT_EQ(perWriter.size(), 4u);
    for (const auto& entry : perWriter) EXPECT_EQ(entry.second, 300) << entry.first;
    EXPECT_EQ(bytes.find("\n\n"), std::string::npos);
}

TEST(LoggerTest, MacroLogsTheCallSite)
{
    TempDir dir;
    Logger::initializePathDir(Narrow(dir.path()) + "\\");
    const int line = __LINE__ + 1;
    LOG_W(LOG_LEVEL_INFO, L"label:" << 42 << " narrow " << std::wstring(L"wide"));
    const std::string bytes = ReadFileBytes(TodaysFile(dir));
    EXPECT_NE(bytes.find(" [LoggerTest.cpp<" + std::to_string(line) +
                         ">LoggerTest_MacroLogsTheCallSite_Test::TestBody] : label:42 narrow wide\r\n"),
              std::string::npos)
        << bytes;
}

}  // namespace
