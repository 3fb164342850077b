// Delivery of notifications to the targets of a window, when targets come
// and go, and when a target deletes the sender.
#include "toolkit/window/NotifyTargets.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/controls/ControlUI.h"

namespace {

using namespace SkinUI;

struct Target : INotifyUI {
    Target(std::vector<std::string>& trace, std::string name) : trace(trace), name(std::move(name)) {}
    std::vector<std::string>& trace;
    std::string name;
    std::function<void(TNotifyRecord&)> react;
    void OnNotify(TNotifyRecord& record) override
    {
        trace.push_back(name);
        if (react) react(record);
    }
};

TEST(NotifyTargetsTest, TargetsInOrderAndTheSendersListenersFirst)
{
    std::vector<std::string> trace;
    Target a(trace, "a"), b(trace, "b");
    CNotifyTargets targets;
    EXPECT_TRUE(targets.Add(&a));
    EXPECT_FALSE(targets.Add(&a));
    EXPECT_FALSE(targets.Add(nullptr));
    EXPECT_TRUE(targets.Add(&b));
    CControlUI sender;
    sender.OnNotify.Add([&trace](TNotifyRecord&) {
        trace.push_back("listener");
        return true;
    });
    TNotifyRecord record;
    record.pSender = &sender;
    targets.Deliver(record);
    EXPECT_EQ(trace, (std::vector<std::string>{"listener", "a", "b"}));

    // A listener answering false stops the delivery.
    trace.clear();
    sender.OnNotify.Add([](TNotifyRecord&) { return false; });
    targets.Deliver(record);
    EXPECT_EQ(trace, std::vector<std::string>{"listener"});
}

TEST(NotifyTargetsTest, ATargetRemovedMeanwhileGetsNothing)
{
    std::vector<std::string> trace;
    Target a(trace, "a"), b(trace, "b"), c(trace, "c"), late(trace, "late");
    CNotifyTargets targets;
    for (Target* t : {&a, &b, &c}) targets.Add(t);
    a.react = [&](TNotifyRecord&) {
        targets.Remove(&b);
        targets.Add(&late);
    };
    TNotifyRecord record;
    targets.Deliver(record);  // no sender: every target still gets it
    EXPECT_EQ(trace, (std::vector<std::string>{"a", "c"}));
}

TEST(NotifyTargetsTest, ASenderDeletedByATargetGoesNoFurther)
{
    std::vector<std::string> trace;
    Target a(trace, "a"), b(trace, "b");
    CNotifyTargets targets;
    targets.Add(&a);
    targets.Add(&b);
    auto* sender = new CControlUI;
    bool destroyed = false;
    sender->OnDestroyed.Add([&destroyed](CControlUI*) {
        destroyed = true;
        return true;
    });
    a.react = [&](TNotifyRecord& record) { delete record.pSender; };
    b.react = [&](TNotifyRecord&) { ADD_FAILURE() << "a record whose sender is gone reached a target"; };
    TNotifyRecord record;
    record.pSender = sender;
    targets.Deliver(record);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(trace, std::vector<std::string>{"a"});
}

}  // namespace
