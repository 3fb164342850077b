#include "log/Logger.h"

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <chrono>
#include <future>
#include <map>
#include <regex>
#include <set>
#include <thread>

#include "tests/support/InProcessLog.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::FolderEntries;
using testsupport::ReadFileBytes;
using testsupport::SplitLines;
using testsupport::TempDir;

std::wstring ExeBaseName()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring p(path);
    return p.substr(p.find_last_of(L"\\/") + 1);
}

// Written out independently of the logger: folder, module name and today.
std::wstring TodaysFile(const std::wstring& dir)
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return dir + L"\\" + ExeBaseName() + L"_" + std::to_wstring(now.wYear) + L"_" + std::to_wstring(now.wMonth) +
           L"_" + std::to_wstring(now.wDay) + L".log";
}

const std::regex kLineShape(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.[ \d]{2}\d \[[^<]+<\d+>[^\]]+\] : .*)");

TEST(LoggerTest, OpensTheDailyFileAndLeavesNoProbe)
{
    TempDir dir;
    Logger logger(dir.path() + L"\\");
    ASSERT_TRUE(logger.initialised());
    EXPECT_EQ(logger.sinkMask(), unsigned(LOG_SINK_FILE | LOG_SINK_STDERR | LOG_SINK_DEBUGGER));
    EXPECT_EQ(logger.fileName(), TodaysFile(dir.path()));

    logger.log(LOG_LEVEL_INFO, "c:\\src\\log\\Main.cpp", 42, "wWinMain", L"Logger::initializePathDir:C:\\x\\");
    logger.log(3, "Main.cpp", 43, "wWinMain", L"level three reaches no sink");
    logger.log(LOG_LEVEL_ERROR, "Main.cpp", 44, "GameLoaderWnd::LoadGame", L"CreateProcess false");

    const std::string bytes = ReadFileBytes(TodaysFile(dir.path()));
    const std::vector<std::string> lines = SplitLines(bytes);
    ASSERT_EQ(lines.size(), 2u) << bytes;
    EXPECT_NE(bytes.find(" [Main.cpp<42>wWinMain] : Logger::initializePathDir:C:\\x\\\r\n"), std::string::npos);
    EXPECT_NE(bytes.find(" [Main.cpp<44>GameLoaderWnd::LoadGame] : CreateProcess false\r\n"), std::string::npos);
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, kLineShape)) << line;
    EXPECT_EQ(bytes.find("level three"), std::string::npos);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::wstring>{TodaysFile(L"").substr(1)})
        << "no probe file stays behind";
}

TEST(LoggerTest, LineFeedsInTheMessageReachTheFileAsTextModeWritesThem)
{
    struct Case {
        const wchar_t* message;
        const char* bytesAfterTheColon;
    } cases[] = {
        {L"m_strCmdJson is:{\"source\":\"QX\"}\n", "m_strCmdJson is:{\"source\":\"QX\"}\r\n\r\n"},
        {L"first\nsecond", "first\r\nsecond\r\n"},
        {L"kept\r\nas is", "kept\r\r\nas is\r\n"},
        {L"plain", "plain\r\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        Logger logger(dir.path() + L"\\");
        logger.log(LOG_LEVEL_INFO, "Main.cpp", 7, "f", c.message);
        const std::string bytes = ReadFileBytes(TodaysFile(dir.path()));
        const std::size_t colon = bytes.find("] : ");
        ASSERT_NE(colon, std::string::npos) << bytes;
        EXPECT_EQ(bytes.substr(colon + 4), c.bytesAfterTheColon);
    }
}

TEST(LoggerTest, WritesTheMessageInTheAnsiCodePageWithTheTokenMasked)
{
    ASSERT_EQ(::GetACP(), 936u) << "the tests expect a Chinese locale (LANG=zh_CN.UTF-8)";
    TempDir dir;
    Logger logger(dir.path() + L"\\");
    logger.log(LOG_LEVEL_INFO, "Main.cpp", 1, "f", L"path:\x4E2D\x6587 arg:--token=s3cret");
    const std::string bytes = ReadFileBytes(TodaysFile(dir.path()));
    EXPECT_NE(bytes.find("path:\xD6\xD0\xCE\xC4 arg:--token=***\r\n"), std::string::npos) << bytes;
    EXPECT_EQ(bytes.find("s3cret"), std::string::npos);
}

TEST(LoggerTest, AKnownTokenIsMaskedInEveryLineWhateverSurroundsIt)
{
    TempDir dir;
    Logger logger(dir.path() + L"\\");
    const std::wstring token = L"Ab\"c d#e&f\\g";
    logger.addLoginToken(token);
    const wchar_t* messages[] = {
        L"m_strCmdJson is:{\"token\":\"Ab\\\"c d#e&f\\\\g\",\"source\":\"QX\"}\n",
        L"url:https://h/client/index/vrk?fileparam=&token=Ab\"c d#e&f\\g&source=QX",
        L"ShellExecuteEx:vrk.exe --source=QX --token=Ab\"c d#e&f\\g --qxext=",
        L"the value alone: Ab\"c d#e&f\\g",
    };
    for (const wchar_t* message : messages) logger.log(LOG_LEVEL_INFO, "a.cpp", 1, "f", message);
    const std::string bytes = ReadFileBytes(TodaysFile(dir.path()));
    ASSERT_EQ(SplitLines(bytes).size(), 5u) << bytes;  // the first message ends with a line feed
    for (const char* part : {"Ab", "d#e", "f\\g", "&f"}) EXPECT_EQ(bytes.find(part), std::string::npos) << part << "\n" << bytes;
    EXPECT_NE(bytes.find("?fileparam=&token=***&source=QX"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("--token=*** --qxext="), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("{\"token\":\"***\",\"source\":\"QX\"}"), std::string::npos) << bytes;
}

TEST(LoggerTest, AppendsToAnExistingFileOfTheDay)
{
    TempDir dir;
    ASSERT_TRUE(testsupport::WriteFileBytes(TodaysFile(dir.path()), "earlier line\r\n"));
    Logger logger(dir.path() + L"\\");
    logger.log(LOG_LEVEL_INFO, "a.cpp", 1, "f", L"later line");
    const std::vector<std::string> lines = SplitLines(ReadFileBytes(TodaysFile(dir.path())));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "earlier line");
    EXPECT_THAT(lines[1], ::testing::EndsWith("] : later line"));
}

TEST(LoggerTest, AFolderNameOutsideTheAnsiCodePageKeepsItsLog)
{
    TempDir dir;
    const std::wstring folder = dir.file(L"\x00E9\x0416\x0E01");  // not all in code page 936
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    Logger logger(folder + L"\\");
    EXPECT_EQ(logger.directory(), folder + L"\\");
    ASSERT_TRUE(logger.sinkMask() & LOG_SINK_FILE);
    logger.log(LOG_LEVEL_INFO, "a.cpp", 1, "f", L"in a wide folder");
    EXPECT_THAT(ReadFileBytes(TodaysFile(folder)), ::testing::EndsWith("] : in a wide folder\r\n"));
}

// Answers from a table instead of the machine.
class FakeProbe final : public LogFolderProbe {
public:
    std::set<std::wstring> writable;
    std::wstring documents;
    bool drive = false;

    bool CanCreateFile(const std::wstring& dir) const override { return writable.count(dir) != 0; }
    std::wstring ConsoleUserDocumentsDir() const override { return documents; }
    bool FallbackDriveExists() const override { return drive; }
};

TEST(LoggerTest, TheFolderIsTheDataFolderTheFallbackOrNone)
{
    enum class Folder { Data, Documents, None };
    struct Case {
        const char* name;
        bool dataWritable;
        bool haveDocuments;
        bool documentsWritable;
        bool drive;
        bool initialised;
        unsigned mask;
        Folder fileIn;
    } cases[] = {
        {"data folder", true, true, true, true, true, LOG_SINK_FILE | LOG_SINK_STDERR | LOG_SINK_DEBUGGER, Folder::Data},
        {"console user's Documents", false, true, true, false, true,
         LOG_SINK_FILE | LOG_SINK_STDERR | LOG_SINK_DEBUGGER, Folder::Documents},
        {"no writable folder, D:", false, true, false, true, true, LOG_SINK_STDERR | LOG_SINK_DEBUGGER, Folder::None},
        {"no user token, D:", false, false, false, true, true, LOG_SINK_STDERR | LOG_SINK_DEBUGGER, Folder::None},
        {"nothing at all", false, false, false, false, false, 0, Folder::None},
    };
    for (const Case& c : cases) {
        TempDir data, documents;
        FakeProbe probe;
        if (c.dataWritable) probe.writable.insert(data.path() + L"\\");
        if (c.documentsWritable) probe.writable.insert(documents.path() + L"\\");
        if (c.haveDocuments) probe.documents = documents.path() + L"\\";
        probe.drive = c.drive;

        Logger logger(data.path() + L"\\", probe);
        EXPECT_EQ(logger.initialised(), c.initialised) << c.name;
        EXPECT_EQ(logger.sinkMask(), c.mask) << c.name;
        logger.log(LOG_LEVEL_ERROR, "a.cpp", 1, "f", L"one line");
        const std::wstring dataFile = TodaysFile(data.path()), documentsFile = TodaysFile(documents.path());
        EXPECT_EQ(SplitLines(ReadFileBytes(dataFile)).size(), c.fileIn == Folder::Data ? 1u : 0u) << c.name;
        EXPECT_EQ(SplitLines(ReadFileBytes(documentsFile)).size(), c.fileIn == Folder::Documents ? 1u : 0u) << c.name;
    }
}

TEST(LogFolderProbeTest, AnotherLaunchersProbeOrAUsersFileChangesNothing)
{
    const LogFolderProbe& probe = SystemLogFolderProbe();
    TempDir dir;
    const std::wstring folder = dir.path() + L"\\";
    {
        // What a launcher starting at the same moment holds: "debug.txt",
        // shared for reading only.
        win32::UniqueHandle other(::CreateFileW(dir.file(L"debug.txt").c_str(), GENERIC_READ | GENERIC_WRITE,
                                                FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(other);
        EXPECT_TRUE(probe.CanCreateFile(folder));
        Logger logger(folder);
        EXPECT_EQ(logger.directory(), folder);
        EXPECT_TRUE(logger.sinkMask() & LOG_SINK_FILE);
    }
    ASSERT_TRUE(::DeleteFileW(dir.file(L"debug.txt").c_str()));

    // A file of the user's with the probe's old name keeps its bytes.
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.file(L"debug.txt"), "the user's notes"));
    EXPECT_TRUE(probe.CanCreateFile(folder));
    EXPECT_EQ(ReadFileBytes(dir.file(L"debug.txt")), "the user's notes");
    EXPECT_EQ(FolderEntries(dir.path()).size(), 2u) << "the log file of the logger above and debug.txt";

    EXPECT_FALSE(probe.CanCreateFile(dir.path() + L"\\missing\\"));
}

TEST(LoggerTest, AHeldFileLockDelaysALineButDoesNotStopIt)
{
    TempDir dir;
    Logger logger(dir.path() + L"\\");
    // Another launcher that holds the append lock and does not let go.
    win32::UniqueHandle other(::CreateFileW(logger.fileName().c_str(), GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(other);
    OVERLAPPED range{};
    range.Offset = 0xFFFFFFFF;
    ASSERT_TRUE(::LockFileEx(other.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &range));

    auto logged = std::async(std::launch::async,
                             [&] { logger.log(LOG_LEVEL_INFO, "a.cpp", 1, "f", L"written in the end"); });
    const bool returned = logged.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    ::UnlockFileEx(other.get(), 0, 1, 0, &range);
    logged.wait();
    EXPECT_TRUE(returned) << "log waited for the lock without limit";
    EXPECT_THAT(ReadFileBytes(logger.fileName()), ::testing::EndsWith("] : written in the end\r\n"));
}

TEST(LoggerTest, AStandardErrorPipeThatNobodyReadsDoesNotStopLogging)
{
    TempDir dir;
    Logger logger(dir.path() + L"\\");
    ASSERT_TRUE(logger.sinkMask() & LOG_SINK_STDERR);
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 4096));
    const HANDLE saved = ::GetStdHandle(STD_ERROR_HANDLE);
    ::SetStdHandle(STD_ERROR_HANDLE, writeEnd);

    constexpr int kLines = 200;  // far more than the pipe holds
    auto logged = std::async(std::launch::async, [&] {
        for (int i = 0; i < kLines; ++i) logger.log(LOG_LEVEL_INFO, "a.cpp", i, "f", std::wstring(1000, L'x'));
    });
    const bool returned = logged.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    // A closed reading end fails every write, so a blocked writer goes on.
    ::SetStdHandle(STD_ERROR_HANDLE, saved);
    ::CloseHandle(readEnd);
    logged.wait();
    // writeEnd stays open: a writer may still be about to use it.
    EXPECT_TRUE(returned) << "log blocked on standard error";
    EXPECT_EQ(SplitLines(ReadFileBytes(logger.fileName())).size(), std::size_t(kLines)) << "the file has every line";
}

TEST(LoggerTest, StandardErrorGetsEveryLineWhenSomebodyReads)
{
    TempDir dir;
    Logger logger(dir.path() + L"\\");
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    win32::UniqueHandle reader(readEnd);
    const HANDLE saved = ::GetStdHandle(STD_ERROR_HANDLE);
    ::SetStdHandle(STD_ERROR_HANDLE, writeEnd);
    logger.log(LOG_LEVEL_INFO, "a.cpp", 1, "f", L"first\nhalf");
    logger.log(LOG_LEVEL_ERROR, "a.cpp", 2, "f", L"second");
    logger.log(3, "a.cpp", 3, "f", L"level three reaches no sink");

    const std::string expected = " [a.cpp<2>f] : second\r\n";
    std::string received;
    const ULONGLONG deadline = ::GetTickCount64() + 10000;
    while (received.find(expected) == std::string::npos && ::GetTickCount64() < deadline) {
        DWORD available = 0;
        if (!::PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &available, nullptr)) break;
        if (available == 0) {
            ::Sleep(10);
            continue;
        }
        std::string chunk(available, '\0');
        DWORD read = 0;
        if (!::ReadFile(reader.get(), &chunk[0], available, &read, nullptr)) break;
        received.append(chunk, 0, read);
    }
    ::SetStdHandle(STD_ERROR_HANDLE, saved);
    // writeEnd stays open: the logger's writer may still be about to use it.
    const std::vector<std::string> lines = SplitLines(received);
    ASSERT_EQ(lines.size(), 3u) << received;
    EXPECT_THAT(lines[0], ::testing::EndsWith(" [a.cpp<1>f] : first"));
    EXPECT_EQ(lines[1], "half");
    EXPECT_THAT(received, ::testing::EndsWith(expected));
    EXPECT_EQ(received.find("level three"), std::string::npos);
}

// Child side of the two-process test: writes lines from two threads.
TEST(LoggerChild, WritesLines)
{
    wchar_t dir[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"VRK_LOG_CHILD_DIR", dir, MAX_PATH)) GTEST_SKIP() << "child only";
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
    ::SetEnvironmentVariableW(L"VRK_LOG_CHILD_DIR", (dir.path() + L"\\").c_str());
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=LoggerChild.WritesLines";
    win32::UniqueHandle first(testsupport::StartProcess(command));
    win32::UniqueHandle second(testsupport::StartProcess(command));
    ::SetEnvironmentVariableW(L"VRK_LOG_CHILD_DIR", nullptr);
    ASSERT_TRUE(first && second);
    ASSERT_EQ(::WaitForSingleObject(first.get(), 60000), WAIT_OBJECT_0);
    ASSERT_EQ(::WaitForSingleObject(second.get(), 60000), WAIT_OBJECT_0);

    const std::string bytes = ReadFileBytes(TodaysFile(dir.path()));
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
    testsupport::InProcessLog log;
    const int line = __LINE__ + 1;
    LOG_W(LOG_LEVEL_INFO, L"label:" << 42 << " narrow " << std::wstring(L"wide"));
    EXPECT_EQ(log.NewText(), log.NewText().substr(0, 23) + " [LoggerTest.cpp<" + std::to_string(line) +
                                 ">LoggerTest_MacroLogsTheCallSite_Test::TestBody] : label:42 narrow wide\r\n");
}

}  // namespace
