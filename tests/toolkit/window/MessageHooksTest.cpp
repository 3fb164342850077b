// Message hooks without a window: order, removal during a run, and hooks
// that go with the control that registered them.
#include "toolkit/window/MessageHooks.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/controls/ControlUI.h"

namespace {

using namespace SkinUI;

struct Trace {
    std::vector<std::string> calls;
};

struct Filter : IMessageFilterUI {
    Filter(Trace& trace, std::string name) : trace(trace), name(std::move(name)) {}
    Trace& trace;
    std::string name;
    bool consume = false;
    std::function<void()> whileAsked;
    LRESULT FilterMessage(UINT, WPARAM, LPARAM, bool& handled) override
    {
        trace.calls.push_back(name);
        if (whileAsked) whileAsked();
        handled = consume;
        return 7;
    }
};

struct Accelerator : ITranslateAccelerator {
    int asked = 0;
    LRESULT PreTranslate(MSG*) override
    {
        ++asked;
        return 1;
    }
};

TEST(MessageHooksTest, FiltersRunInOrderUntilOneHandles)
{
    Trace trace;
    Filter first(trace, "first"), second(trace, "second"), third(trace, "third");
    second.consume = true;
    CMessageHooks hooks;
    EXPECT_TRUE(hooks.HandlerFilters().Add(&first, nullptr));
    EXPECT_FALSE(hooks.HandlerFilters().Add(&first, nullptr));  // once
    EXPECT_FALSE(hooks.HandlerFilters().Add(nullptr, nullptr));
    hooks.HandlerFilters().Add(&second, nullptr);
    hooks.HandlerFilters().Add(&third, nullptr);
    LRESULT result = 0;
    EXPECT_TRUE(hooks.RunHandlerFilters(WM_USER, 0, 0, result));
    EXPECT_EQ(result, 7);
    EXPECT_EQ(trace.calls, (std::vector<std::string>{"first", "second"}));
}

TEST(MessageHooksTest, AHookRemovedDuringARunIsNotAsked)
{
    Trace trace;
    Filter first(trace, "first"), second(trace, "second"), third(trace, "third");
    CMessageHooks hooks;
    for (Filter* f : {&first, &second, &third}) hooks.PreFilters().Add(f, nullptr);
    Filter late(trace, "late");
    first.whileAsked = [&] {
        hooks.PreFilters().Remove(&second);
        hooks.PreFilters().Add(&late, nullptr);  // waits for the next run
    };
    EXPECT_FALSE(hooks.RunPreFilters(WM_USER, 0, 0));
    EXPECT_EQ(trace.calls, (std::vector<std::string>{"first", "third"}));
}

TEST(MessageHooksTest, ForgettingAControlRemovesEveryHookItRegistered)
{
    Trace trace;
    CControlUI owner, other;
    Filter ownFilter(trace, "own"), otherFilter(trace, "other"), windowFilter(trace, "window");
    Accelerator ownAccelerator, windowAccelerator;
    CMessageHooks hooks;
    hooks.HandlerFilters().Add(&ownFilter, &owner);
    hooks.PreFilters().Add(&otherFilter, &other);
    hooks.HandlerFilters().Add(&windowFilter, nullptr);
    hooks.Accelerators().Add(&ownAccelerator, &owner);
    hooks.Accelerators().Add(&windowAccelerator, nullptr);

    hooks.ForgetOwner(&owner);
    LRESULT result = 0;
    hooks.RunHandlerFilters(WM_USER, 0, 0, result);
    hooks.RunPreFilters(WM_USER, 0, 0);
    MSG msg{};
    EXPECT_FALSE(hooks.Translate(&msg));
    EXPECT_EQ(trace.calls, (std::vector<std::string>{"window", "other"}));
    EXPECT_EQ(ownAccelerator.asked, 0);
    EXPECT_EQ(windowAccelerator.asked, 1);
    hooks.ForgetOwner(nullptr);  // the window's own hooks have no owner to forget
    EXPECT_EQ(hooks.HandlerFilters().Count(), 1u);
}

}  // namespace
