// Runs real stub games (vrk.exe beside the tests) and ends them by name.
#include "GameLoader/GameLoader/ProcessControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "tests/support/InProcessLog.h"
#include "tests/support/LogEntry.h"
#include "tests/support/TestSupport.h"
#include "base/Win32Handles.h"

namespace {

using testsupport::InProcessLog;
using testsupport::ParseLogEntries;

// A stub game that stays until it is ended; ended by the fixture at the
// latest.
struct StubGame {
    win32::UniqueHandle process;
    DWORD id = 0;
    bool Ended(DWORD waitMs) const { return ::WaitForSingleObject(process.get(), waitMs) == WAIT_OBJECT_0; }
};

class ProcessControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetProcessIdByName(L"vrk.exe"), -1) << "a game process from elsewhere is running";
        m_record = m_dir.file(L"games.txt");
        ::SetEnvironmentVariableW(L"VRK_STUB_GAME_RECORD", m_record.c_str());
    }
    void TearDown() override
    {
        for (auto& game : m_games) {
            if (!game->Ended(0)) ::TerminateProcess(game->process.get(), 99);
            game->Ended(5000);
        }
        ::SetEnvironmentVariableW(L"VRK_STUB_GAME_RECORD", nullptr);
    }

    // Starts a stub game and waits until it has recorded itself (running).
    // The same program under another name is a process that is not the game.
    StubGame& Start(const std::wstring& program = testsupport::BesideTests(L"vrk.exe"))
    {
        auto game = std::make_unique<StubGame>();
        game->process.reset(testsupport::StartProcess(L"\"" + program + L"\" --stub-stay"));
        game->id = ::GetProcessId(game->process.get());
        const std::string prefix = std::to_string(game->id) + " ";
        for (int i = 0; i < 600; ++i) {
            const auto lines = testsupport::SplitLines(testsupport::ReadFileBytes(m_record));
            if (std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }))
                break;
            ::Sleep(50);
        }
        m_games.push_back(std::move(game));
        return *m_games.back();
    }

    testsupport::TempDir m_dir;
    std::wstring m_record;
    std::vector<std::unique_ptr<StubGame>> m_games;
};

TEST_F(ProcessControlTest, NamesAreMatchedExactlyAndCaseSensitively)
{
    StubGame& game = Start();
    ASSERT_TRUE(game.process);
    const auto records = testsupport::SplitLines(testsupport::ReadFileBytes(m_record));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], std::to_string(game.id) + " \"" + testsupport::WideToUtf8(testsupport::BesideTests(L"vrk.exe")) +
                              "\" --stub-stay")
        << "the stub records its command line";
    EXPECT_EQ(GetProcessIdByName(L"vrk.exe"), static_cast<int>(game.id));
    EXPECT_EQ(GetProcessIdByName(L"VRK.EXE"), -1);
    EXPECT_EQ(GetProcessIdByName(L"vrk"), -1);
    EXPECT_EQ(GetProcessIdByName(L""), -1);
}

TEST_F(ProcessControlTest, ShutdownEndsOneGameProcessPerCallUntilNoneRuns)
{
    StubGame& first = Start();
    StubGame& second = Start();
    ASSERT_TRUE(first.process && second.process);

    InProcessLog log;
    ASSERT_TRUE(GeneralProcessExist());
    KillGeneralProcess();
    for (int i = 0; i < 100 && !first.Ended(0) && !second.Ended(0); ++i) ::Sleep(50);
    EXPECT_NE(first.Ended(0), second.Ended(0)) << "exactly one of the two has gone";
    EXPECT_TRUE(GeneralProcessExist()) << "the other game still runs";

    KillGeneralProcess();
    EXPECT_TRUE(first.Ended(5000));
    EXPECT_TRUE(second.Ended(5000));
    EXPECT_FALSE(GeneralProcessExist());
    DWORD code = 99;
    ::GetExitCodeProcess(first.process.get(), &code);
    EXPECT_EQ(code, 0u) << "terminated with exit code 0";

    const auto entries = ParseLogEntries(log.NewLines());
    const std::string found = "GeneralProcessExist,GetProcessIdByName vrk.exe idProcess:";
    int foundLines = 0, snapshotLines = 0;
    for (const auto& e : entries) {
        if (e.function == "GeneralProcessExist" && e.message.rfind(found, 0) == 0) ++foundLines;
        if (e.function == "GetProcessIdByName" && e.message == "Process32Next processName:vrk.exe") ++snapshotLines;
    }
    EXPECT_EQ(foundLines, 2);
    EXPECT_GE(snapshotLines, 4);
}

TEST_F(ProcessControlTest, NoGameRunningMeansOneSnapshotLinePerProcessAndNothingEnded)
{
    InProcessLog log;
    EXPECT_FALSE(GeneralProcessExist());
    const auto entries = ParseLogEntries(log.NewLines());
    ASSERT_FALSE(entries.empty());
    bool sawSelf = false;
    for (const auto& e : entries) {
        EXPECT_EQ(e.function, "GetProcessIdByName");
        EXPECT_EQ(e.message.rfind("Process32Next processName:", 0), 0u) << e.message;
        sawSelf = sawSelf || e.message == "Process32Next processName:process_control_tests.exe";
    }
    EXPECT_TRUE(sawSelf);
    KillGeneralProcess();  // nothing to end, no taskkill
}

TEST_F(ProcessControlTest, KillProcessOfAMissingProcessRetriesWithTheDebugPrivilege)
{
    InProcessLog log;
    const DWORD missing = 0x7FFFFFF3;  // ids are multiples of four
    EXPECT_FALSE(KillProcess(missing, L"vrk.exe"));
    const auto lines = testsupport::FunctionAndMessage(ParseLogEntries(log.NewLines()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("KillProcess|OpenProcess1 2147483635 falsed code:", 0), 0u) << lines[0];
    EXPECT_TRUE(lines[1] == "KillProcess|EnableDebugPrivilege 2147483635 true" ||
                lines[1].rfind("KillProcess|EnableDebugPrivilege 2147483635 falsed code:", 0) == 0)
        << lines[1];
    EXPECT_EQ(lines[2].rfind("KillProcess|OpenProcess2 2147483635 falsed code:", 0), 0u) << lines[2];

    StubGame& game = Start();
    EXPECT_TRUE(KillProcess(game.id, L"vrk.exe"));
    EXPECT_TRUE(game.Ended(5000));
}

TEST_F(ProcessControlTest, AProcessThatIsNotTheGameIsNeverEnded)
{
    // The game's id, taken from a snapshot, now belongs to another program.
    const std::wstring other = m_dir.file(L"other.exe");
    ASSERT_TRUE(::CopyFileW(testsupport::BesideTests(L"vrk.exe").c_str(), other.c_str(), FALSE));
    StubGame& notTheGame = Start(other);
    ASSERT_TRUE(notTheGame.process);

    InProcessLog log;
    EXPECT_FALSE(KillProcess(notTheGame.id, L"vrk.exe"));
    EXPECT_FALSE(notTheGame.Ended(500)) << "a process that is not the game was ended";
    const auto lines = testsupport::FunctionAndMessage(ParseLogEntries(log.NewLines()));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "KillProcess|QueryFullProcessImageName " + std::to_string(notTheGame.id) +
                            " imageName:other.exe false");

    EXPECT_TRUE(KillProcess(notTheGame.id, L"other.exe")) << "the same process by its own name";
    EXPECT_TRUE(notTheGame.Ended(5000));
}

TEST_F(ProcessControlTest, TaskkillComesFromTheSystemFolderNotTheCurrentFolder)
{
    // A program named taskkill.exe in the current folder, which a bare name
    // would find first; it only records that it ran.
    ASSERT_TRUE(::CopyFileW(testsupport::BesideTests(L"vrk.exe").c_str(), m_dir.file(L"taskkill.exe").c_str(), FALSE));
    StubGame& game = Start();
    ASSERT_TRUE(game.process);

    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(m_dir.path().c_str()));
    const bool started = StartTaskkill(L"vrk.exe");
    ::SetCurrentDirectoryW(previous);
    ASSERT_TRUE(started);

    EXPECT_TRUE(game.Ended(15000)) << "the system's taskkill ends the game";
    for (const std::string& line : testsupport::SplitLines(testsupport::ReadFileBytes(m_record)))
        EXPECT_EQ(line.find("taskkill"), std::string::npos) << "the program in the current folder ran: " << line;
}

}  // namespace
