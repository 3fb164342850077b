// The game-shutdown task: its bound, the worker it runs on, and real stub
// games ended by it.
#include "GameLoader/GameLoaderWnd/GameShutdownTask.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "GameLoader/GameLoader/ProcessControl.h"
#include "tests/support/InProcessLog.h"
#include "tests/support/StubGames.h"

namespace {

// A game that keeps running for a given number of checks.
struct FakeGame {
    static inline std::atomic<int> runsFor{0};
    static inline std::atomic<int> checks{0}, kills{0}, pauses{0};
    static inline std::atomic<DWORD> thread{0};
    static inline std::atomic<DWORD> pausedMs{0};
    static void Reset(int runningChecks)
    {
        runsFor = runningChecks;
        checks = kills = pauses = 0;
        thread = 0;
        pausedMs = 0;
    }
    static GameShutdownSteps Steps()
    {
        return {[] {
                    thread = ::GetCurrentThreadId();
                    return checks++ < runsFor;
                },
                [] { ++kills; },
                [](DWORD ms) {
                    ++pauses;
                    pausedMs += ms;
                }};
    }
};

TEST(GameShutdownTaskTest, EndsTheGameUntilItIsGoneAtMostThirtyTimes)
{
    struct Case {
        int runningChecks;
        int attempts;
    } cases[] = {{0, 0}, {1, 1}, {3, 3}, {29, 29}, {30, 30}, {1000, 30}};
    for (const Case& c : cases) {
        FakeGame::Reset(c.runningChecks);
        EXPECT_EQ(KillGameProcessesTask(FakeGame::Steps()), c.attempts) << c.runningChecks;
        EXPECT_EQ(FakeGame::kills.load(), c.attempts);
        EXPECT_EQ(FakeGame::pauses.load(), c.attempts) << "one second after every attempt";
        EXPECT_EQ(FakeGame::pausedMs.load(), static_cast<DWORD>(c.attempts) * 1000u);
    }
}

TEST(GameShutdownTaskTest, RunsOnAWorkerAndTheCallerWaitsForIt)
{
    FakeGame::Reset(5);
    RunGameShutdownAndWait(FakeGame::Steps());
    EXPECT_EQ(FakeGame::kills.load(), 5) << "finished before the caller goes on";
    EXPECT_NE(FakeGame::thread.load(), 0u);
    EXPECT_NE(FakeGame::thread.load(), ::GetCurrentThreadId());
}

// The pool's callback is a boundary: a step that throws neither ends the
// process nor leaves the window thread waiting for ever.
TEST(GameShutdownTaskTest, AStepThatThrowsEndsTheTaskAndTheCallerGoesOn)
{
    FakeGame::Reset(5);
    GameShutdownSteps steps = FakeGame::Steps();
    steps.endGame = [] {
        ++FakeGame::kills;
        throw std::runtime_error("process list unavailable");
    };
    RunGameShutdownAndWait(steps);
    EXPECT_EQ(FakeGame::kills.load(), 1) << "the task ended at the exception";
    EXPECT_NE(FakeGame::thread.load(), ::GetCurrentThreadId()) << "on the worker";
}

TEST(GameShutdownTaskTest, EndsTwoRunningStubGames)
{
    testsupport::InProcessLog log;  // the process control lines go to a test folder
    ASSERT_EQ(GetProcessIdByName(L"vrk.exe"), -1) << "a game process from elsewhere is running";
    testsupport::StubGames games;
    HANDLE first = games.StartStaying();
    HANDLE second = games.StartStaying();
    ASSERT_TRUE(first && second);
    const DWORD start = ::GetTickCount();
    RunGameShutdownAndWait(RealGameShutdownSteps());
    EXPECT_EQ(::WaitForSingleObject(first, 0), WAIT_OBJECT_0);
    EXPECT_EQ(::WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    EXPECT_FALSE(GeneralProcessExist());
    EXPECT_LT(::GetTickCount() - start, 10000u);
}

}  // namespace
