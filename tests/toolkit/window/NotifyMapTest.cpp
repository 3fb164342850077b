#include "toolkit/window/NotifyMap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/controls/ControlUI.h"

namespace {

using namespace SkinUI;

// A pump with two tables: the base's and a derived one linked to it.
class BasePump : public CNotifyPump {
public:
    std::vector<std::wstring> calls;
    void A(TNotifyRecord&) { calls.push_back(L"A"); }
    void B(TNotifyRecord&) { calls.push_back(L"B"); }
    void C(WPARAM wParam, LPARAM lParam)
    {
        calls.push_back(L"C " + std::to_wstring(wParam) + L"," + std::to_wstring(lParam));
    }

    static const TNotifyMap* ClassNotifyMap()
    {
        static const TNotifyMapEntry entries[] = {
            NotifyOnRecord<BasePump>(L"click", L"", &BasePump::A),
            NotifyOnRecord<BasePump>(L"click", L"btnOk", &BasePump::B),
            NotifyOnArgs<BasePump>(L"timer", L"", &BasePump::C),
            kNotifyMapEnd,
        };
        static const TNotifyMap map = {nullptr, entries};
        return &map;
    }

protected:
    const TNotifyMap* NotifyMap() const override { return ClassNotifyMap(); }
};

class DerivedPump : public BasePump {
public:
    void D(TNotifyRecord&) { calls.push_back(L"D"); }
    void E(TNotifyRecord&) { calls.push_back(L"E"); }
    void F(TNotifyRecord&) { calls.push_back(L"F"); }

    static const TNotifyMap* ClassNotifyMap()
    {
        static const TNotifyMapEntry entries[] = {
            NotifyOnRecord<DerivedPump>(L"click", L"", &DerivedPump::E),
            NotifyOnRecord<DerivedPump>(L"click", L"btnClose", &DerivedPump::D),
            NotifyOnRecord<DerivedPump>(L"click", L"", &DerivedPump::F),  // the last any-control entry is used
            NotifyOnRecord<DerivedPump>(L"Click", L"btnOk", &DerivedPump::D),  // types compare exactly
            kNotifyMapEnd,
        };
        static const TNotifyMap map = {BasePump::ClassNotifyMap(), entries};
        return &map;
    }

protected:
    const TNotifyMap* NotifyMap() const override { return ClassNotifyMap(); }
};

TNotifyRecord Record(const wchar_t* type, CControlUI* sender, WPARAM wParam = 0, LPARAM lParam = 0)
{
    TNotifyRecord record;
    record.sType = type;
    record.pSender = sender;
    record.wParam = wParam;
    record.lParam = lParam;
    return record;
}

TEST(NotifyMapTest, MostDerivedMatchWinsAndExactNamesBeatAnyControl)
{
    CControlUI ok, close, other;
    ok.SetName(L"btnOk");
    close.SetName(L"btnClose");
    other.SetName(L"other");
    const struct {
        bool derived;
        const wchar_t* type;
        CControlUI* sender;
        std::vector<std::wstring> expected;
    } cases[] = {
        {false, L"click", &ok, {L"B"}},       // exact name in the same map
        {false, L"click", &other, {L"A"}},
        {false, L"click", nullptr, {L"A"}},
        {true, L"click", &close, {L"D"}},
        {true, L"click", &ok, {L"F"}},        // the derived map hides the base's "btnOk"
        {true, L"click", &other, {L"F"}},
        {true, L"timer", &other, {L"C 5,6"}},  // not in the derived map: the base's
        {true, L"Click", &other, {}},
        {true, L"windowinit", &ok, {}},
    };
    for (const auto& c : cases) {
        BasePump base;
        DerivedPump derived;
        BasePump& pump = c.derived ? static_cast<BasePump&>(derived) : base;
        TNotifyRecord record = Record(c.type, c.sender, 5, 6);
        EXPECT_EQ(pump.DispatchNotify(record), !c.expected.empty());
        EXPECT_EQ(pump.calls, c.expected) << (c.derived ? "derived " : "base ") << std::wstring(c.type).size();
    }
}

TEST(NotifyMapTest, VirtualWindowsTakeTheirRecordsFirst)
{
    DerivedPump window;
    BasePump page;
    ASSERT_TRUE(window.AddVirtualWindow(L"Page", &page));
    EXPECT_FALSE(window.AddVirtualWindow(L"Page", &page));
    CControlUI ok;
    ok.SetName(L"btnOk");

    TNotifyRecord record = Record(L"click", &ok);
    record.sVirtualWnd = L"PAGE";  // names compare without regard to case
    EXPECT_TRUE(window.DispatchNotify(record));
    EXPECT_EQ(page.calls, std::vector<std::wstring>{L"B"});
    EXPECT_TRUE(window.calls.empty());

    // The virtual window has no entry: the window's own map takes it.
    record = Record(L"selectchanged", &ok);
    record.sVirtualWnd = L"page";
    EXPECT_FALSE(window.DispatchNotify(record));
    record.sType = L"click";
    record.sVirtualWnd = L"elsewhere";
    EXPECT_TRUE(window.DispatchNotify(record));
    EXPECT_EQ(window.calls, std::vector<std::wstring>{L"F"});

    EXPECT_TRUE(window.RemoveVirtualWindow(L"Page"));
    record.sVirtualWnd = L"Page";
    window.DispatchNotify(record);
    EXPECT_EQ(page.calls.size(), 1u);
}

}  // namespace
