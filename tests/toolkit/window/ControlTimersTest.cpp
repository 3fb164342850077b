// Control timers on a recording stand-in for SetTimer and KillTimer: native
// ids, restarts and forgetting, without a window.
#include "toolkit/window/ControlTimers.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "toolkit/controls/ControlUI.h"

namespace {

using namespace SkinUI;

// The native timers of one fake window: which ids run, and every call.
struct FakeTimers : INativeTimers {
    HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    std::set<UINT_PTR> running;
    std::vector<UINT_PTR> set;
    std::vector<UINT_PTR> killed;
    bool refuse = false;
    bool Set(HWND hwnd, UINT_PTR id, UINT) override
    {
        EXPECT_EQ(hwnd, window);
        if (refuse) return false;
        set.push_back(id);
        running.insert(id);
        return true;
    }
    void Kill(HWND hwnd, UINT_PTR id) override
    {
        EXPECT_EQ(hwnd, window);
        killed.push_back(id);
        running.erase(id);
    }
};

class ControlTimersTest : public ::testing::Test {
protected:
    void SetUp() override { timers.SetWindow(native.window); }

    FakeTimers native;
    CControlTimers timers{native};
    CControlUI a, b;
};

TEST_F(ControlTimersTest, NeedAWindow)
{
    CControlTimers windowless(native);
    EXPECT_FALSE(windowless.Start(&a, 1, 10));
    EXPECT_TRUE(native.set.empty());
    EXPECT_FALSE(timers.Start(nullptr, 1, 10));
}

TEST_F(ControlTimersTest, RestartKeepsTheNativeIdAndRunningTwiceFails)
{
    ASSERT_TRUE(timers.Start(&a, 5, 10));
    EXPECT_EQ(timers.NativeId(&a, 5), 17u);  // the counter starts at 4096: (4096 + 1) % 240
    EXPECT_FALSE(timers.Start(&a, 5, 10));
    UINT own = 0;
    EXPECT_EQ(timers.ControlFor(17, &own), &a);
    EXPECT_EQ(own, 5u);

    EXPECT_TRUE(timers.Stop(&a, 5));
    EXPECT_FALSE(timers.Stop(&a, 5));
    EXPECT_EQ(timers.ControlFor(17, nullptr), nullptr);  // a stopped timer does not tick
    EXPECT_EQ(timers.NativeId(&a, 5), 17u);             // ... and keeps its id
    ASSERT_TRUE(timers.Start(&a, 5, 10));
    EXPECT_EQ(native.set, (std::vector<UINT_PTR>{17, 17}));
    EXPECT_EQ(timers.EntryCount(), 1u);  // nothing new allocated for the restart
}

TEST_F(ControlTimersTest, NativeIdsWrapAtTwoHundredFortySkippingZeroAndIdsHeld)
{
    // 17..239 for the first 223 timers, then the count wraps: 0 is no id,
    // and the ids still held (running or stopped) are passed over.
    std::vector<CControlUI> controls(223);
    for (std::size_t i = 0; i < controls.size(); ++i) ASSERT_TRUE(timers.Start(&controls[i], 1, 10)) << i;
    EXPECT_EQ(timers.NativeId(&controls.back(), 1), 239u);
    ASSERT_TRUE(timers.Stop(&controls[0], 1));  // 17 is stopped but still held
    CControlUI more[20];
    for (int i = 0; i < 16; ++i) ASSERT_TRUE(timers.Start(&more[i], 1, 10)) << i;
    EXPECT_EQ(timers.NativeId(&more[0], 1), 1u);
    EXPECT_EQ(timers.NativeId(&more[15], 1), 16u);
    // 17 (held), 18.. (running): the next free id is none.
    EXPECT_FALSE(timers.Start(&more[16], 1, 10));
    // Freed by forgetting its control, 17 is handed out again.
    timers.Forget(&controls[0]);
    ASSERT_TRUE(timers.Start(&more[16], 1, 10));
    EXPECT_EQ(timers.NativeId(&more[16], 1), 17u);
    for (UINT_PTR id : native.set) {
        EXPECT_NE(id, 0u);
        EXPECT_NE(id, CControlTimers::kCaretTimerId);
    }
}

TEST_F(ControlTimersTest, RefusedTimerLeavesNoEntry)
{
    native.refuse = true;
    EXPECT_FALSE(timers.Start(&a, 1, 10));
    EXPECT_EQ(timers.EntryCount(), 0u);
    EXPECT_EQ(timers.NativeId(&a, 1), 0u);
}

TEST_F(ControlTimersTest, ForgettingAControlKillsOnlyItsTimers)
{
    ASSERT_TRUE(timers.Start(&a, 1, 10));
    ASSERT_TRUE(timers.Start(&a, 2, 10));
    ASSERT_TRUE(timers.Start(&b, 1, 10));
    ASSERT_TRUE(timers.Stop(&a, 2));
    native.killed.clear();
    timers.Forget(&a);
    EXPECT_EQ(native.killed, std::vector<UINT_PTR>{17});  // the stopped one was killed already
    EXPECT_EQ(timers.NativeId(&a, 1), 0u);
    EXPECT_EQ(timers.NativeId(&a, 2), 0u);
    EXPECT_EQ(timers.ControlFor(19, nullptr), &b);
    EXPECT_EQ(native.running, std::set<UINT_PTR>{19});
}

TEST_F(ControlTimersTest, LeavingTheWindowKillsEveryTimer)
{
    ASSERT_TRUE(timers.Start(&a, 1, 10));
    ASSERT_TRUE(timers.Start(&b, 1, 10));
    timers.SetWindow(nullptr);
    EXPECT_TRUE(native.running.empty());
    EXPECT_EQ(timers.EntryCount(), 0u);
    EXPECT_EQ(timers.ControlFor(17, nullptr), nullptr);
    EXPECT_FALSE(timers.Start(&a, 1, 10));  // no window: no timers
}

}  // namespace
