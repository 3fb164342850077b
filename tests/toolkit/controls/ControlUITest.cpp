#include "toolkit/controls/ControlUI.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/toolkit/controls/ControlTestDoubles.h"
#include "tests/toolkit/SkinTestCanvas.h"
#include "toolkit/controls/ButtonUI.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

using namespace SkinUI;
using namespace skintest;

using Attributes = std::vector<std::pair<const wchar_t*, const wchar_t*>>;

void Apply(CControlUI& control, const Attributes& attributes)
{
    for (const auto& a : attributes) control.ApplyAttribute(a.first, a.second);
}

TEST(ControlUITest, PosSetsFloatOffsetAndFixedSize)
{
    struct Case {
        Attributes attributes;
        SIZE offset;
        SIZE size;
    } cases[] = {
        // The launcher's progress bar: the negative size from "pos" is ignored.
        {{{L"pos", L"320,320,0,0"}, {L"height", L"13"}, {L"width", L"530"}}, {320, 320}, {530, 13}},
        // Anchored 30 to 6 pixels left of the parent's right edge.
        {{{L"pos", L"-30,4,-6,28"}}, {-6, 4}, {24, 24}},
        {{{L"pos", L"0,-20,10,-2"}}, {0, -2}, {10, 18}},
        {{{L"width", L"50"}, {L"pos", L"10,20,5,5"}}, {10, 20}, {50, 0}},
        {{{L"width", L"50"}, {L"width", L"-3"}, {L"height", L"x"}}, {0, 0}, {50, 0}},
        {{{L"pos", L"-2147483648,0,2147483647,1"}}, {2147483647, 0}, {0, 1}},  // a width beyond 32 bits is ignored
    };
    for (const Case& c : cases) {
        CControlUI control;
        Apply(control, c.attributes);
        EXPECT_EQ(control.FloatOffset().cx, c.offset.cx) << c.attributes[0].second;
        EXPECT_EQ(control.FloatOffset().cy, c.offset.cy) << c.attributes[0].second;
        EXPECT_EQ(control.FixedWidth(), c.size.cx) << c.attributes[0].second;
        EXPECT_EQ(control.FixedHeight(), c.size.cy) << c.attributes[0].second;
    }
}

TEST(ControlUITest, AttributesReachTheirSettings)
{
    CControlUI c;
    Apply(c, {{L"bkcolor1", L"#FF112233"}, {L"bkcolor2", L"#10"}, {L"bordercolor", L"FF0000FF"},
              {L"focusbordercolor", L"#FFFFFFFF"}, {L"bordersize", L"1,2,3,4"}, {L"tooltip", L"one<n>two<n>"},
              {L"shortcut", L"xy"}, {L"menu", L"true"}, {L"minwidth", L"-5"}, {L"maxheight", L"40"},
              {L"name", L"n"}, {L"text", L"t"}, {L"userdata", L"u"}, {L"virtualwnd", L"v"},
              {L"colorhsl", L"true"}, {L"mouse", L"false"}, {L"keyboard", L"false"}, {L"enabled", L"false"},
              {L"borderround", L"4,6"}, {L"padding", L"1,2,3,4"}, {L"nonsense", L"1"}});
    EXPECT_EQ(c.BackgroundColour(), 0xFF112233u);
    EXPECT_EQ(c.BackgroundColour2(), 0x10u);
    EXPECT_EQ(c.BorderColour(), 0xFF0000FFu);
    EXPECT_EQ(c.BorderSides().top, 2);
    EXPECT_EQ(c.BorderSides().bottom, 4);
    EXPECT_EQ(c.BorderSize(), 0);
    EXPECT_EQ(c.ToolTip().View(), L"one\r\ntwo\r\n");
    EXPECT_EQ(c.Shortcut(), L'x');
    EXPECT_TRUE(c.IsContextMenuEnabled());
    EXPECT_EQ(c.MinWidth(), 0);
    EXPECT_EQ(c.MaxHeight(), 40);
    EXPECT_EQ(c.MaxWidth(), 9999);
    EXPECT_EQ(c.Name().View(), L"n");
    EXPECT_EQ(c.Text().View(), L"t");
    EXPECT_EQ(c.UserData().View(), L"u");
    EXPECT_EQ(c.VirtualWindow().View(), L"v");
    EXPECT_TRUE(c.IsColourHsl());
    EXPECT_FALSE(c.IsMouseEnabled());
    EXPECT_FALSE(c.IsKeyboardEnabled());
    EXPECT_FALSE(c.IsEnabled());
    EXPECT_EQ(c.BorderRound().cy, 6);
    EXPECT_EQ(c.Padding().right, 3);

    // One integer: a uniform size, the sides reset.
    c.ApplyAttribute(L"bordersize", L"2");
    EXPECT_EQ(c.BorderSize(), 2);
    EXPECT_EQ(c.BorderSides().top, 0);
    c.ApplyAttribute(L"rightbordersize", L"7");
    EXPECT_EQ(c.BorderSides().right, 7);
    EXPECT_EQ(c.BorderSize(), 2);
}

TEST(ControlUITest, AttributeListsStopAtTheFirstDeviation)
{
    struct Case {
        const wchar_t* list;
        const wchar_t* name;
        const wchar_t* text;
    } cases[] = {
        {L"name=\"a\" text=\"b\"", L"a", L"b"},
        {L"name=\"a\"  text=\"b\"", L"a", L""},   // two spaces
        {L"name=\"a\"text=\"b\"", L"a", L""},     // no space
        {L"name=a text=\"b\"", L"", L""},         // no quote after "="
        {L"name=\"a", L"", L""},                  // no closing quote
        {L"text=\"x y='1'\" name=\"n\"", L"n", L"x y='1'"},
        {L"", L"", L""},
    };
    for (const Case& c : cases) {
        CControlUI control;
        control.ApplyAttributes(c.list);
        EXPECT_EQ(control.Name().View(), c.name) << c.list;
        EXPECT_EQ(control.Text().View(), c.text) << c.list;
    }
}

TEST(ControlUITest, PlaceWithoutManagerOnlyStoresTheRectangle)
{
    CControlUI control;
    control.Place({10, 10, 5, 2});  // right and bottom raised to left and top
    EXPECT_EQ(control.Rect().right, 10);
    EXPECT_EQ(control.Rect().bottom, 10);
    EXPECT_TRUE(control.NeedsLayout());
}

TEST(ControlUITest, FloatControlKeepsOffsetAndSizeInStepWithItsRectangle)
{
    auto* root = new CVerticalLayoutUI;
    auto* left = new CControlUI;
    auto* right = new CControlUI;
    left->ApplyAttribute(L"float", L"true");
    left->ApplyAttribute(L"pos", L"10,10,30,30");
    right->ApplyAttribute(L"float", L"true");
    right->ApplyAttribute(L"pos", L"-30,-30,-10,-10");
    root->Add(left);
    root->Add(right);
    CWindowManagerUI manager;
    manager.AttachTree(root);
    manager.UpdateLayout({0, 0, 100, 100});
    EXPECT_EQ(right->Rect().left, 70);
    EXPECT_EQ(right->Rect().bottom, 90);

    left->Place({20, 25, 60, 30});
    EXPECT_EQ(left->FloatOffset().cx, 20);
    EXPECT_EQ(left->FloatOffset().cy, 25);
    EXPECT_EQ(left->FixedWidth(), 40);
    EXPECT_EQ(left->FixedHeight(), 5);
    // Anchored to the far edges, the offsets are measured from there.
    right->Place({50, 50, 95, 98});
    EXPECT_EQ(right->FloatOffset().cx, -5);
    EXPECT_EQ(right->FloatOffset().cy, -2);
    EXPECT_EQ(right->FixedWidth(), 45);
}

TEST(ControlUITest, ResizingAFloatControlAtRunTimeTakesEffect)
{
    auto* root = new CVerticalLayoutUI;
    auto* bar = new CControlUI;
    bar->ApplyAttribute(L"float", L"true");
    bar->ApplyAttribute(L"pos", L"10,10,30,30");
    root->Add(bar);
    CWindowManagerUI manager;
    manager.AttachTree(root);
    manager.UpdateLayout({0, 0, 200, 100});
    bar->ApplyAttribute(L"width", L"120");
    manager.UpdateLayout({0, 0, 200, 100});
    EXPECT_EQ(bar->Rect().left, 10);
    EXPECT_EQ(bar->Rect().right, 130);
    EXPECT_EQ(bar->FixedWidth(), 120);
}

TEST(ControlUITest, BaseEventsRaiseNotificationsOrGoToTheParent)
{
    auto* root = new RecordingLayout;
    auto* control = new CControlUI;
    root->Add(control);
    CWindowManagerUI manager;
    NotifyLog log;
    manager.AddNotifyTarget(&log);
    manager.AttachTree(root);
    manager.UpdateLayout({0, 0, 50, 50});
    log.types.clear();
    log.records.clear();

    auto send = [&](int type, WPARAM wParam = 0, LPARAM lParam = 0) {
        TEventRecord e;
        e.nType = type;
        e.wParam = wParam;
        e.lParam = lParam;
        control->DispatchEvent(e);
    };
    send(EV_TIMER, 42, 0);
    send(EV_CONTEXTMENU, 0, 7);  // no "menu": the parent gets it
    control->SetContextMenuEnabled(true);
    send(EV_CONTEXTMENU, 0, 7);
    send(EV_MOUSEHOVER);
    send(EV_MOUSELEAVE);
    send(EV_BUTTONDOWN);
    send(EV_SETFOCUS);
    EXPECT_TRUE(control->IsFocused());
    send(EV_KILLFOCUS);
    EXPECT_FALSE(control->IsFocused());

    EXPECT_EQ(log.types, (std::vector<std::wstring>{L"timer", L"menu", L"mouseenter", L"mouseleave"}));
    EXPECT_EQ(log.records[0].wParam, 42u);
    EXPECT_EQ(log.records[1].lParam, 7);
    EXPECT_EQ(root->events, (std::vector<int>{EV_CONTEXTMENU, EV_MOUSEHOVER, EV_MOUSELEAVE, EV_BUTTONDOWN}));

    // An event listener that answers false keeps the event from the control.
    control->OnEvent.Add([](TEventRecord& e) { return e.nType != EV_TIMER; });
    send(EV_TIMER, 1, 0);
    EXPECT_EQ(log.types.size(), 4u);
}

class ControlPaintTest : public ::testing::Test {
protected:
    void Paint(CControlUI* control, const RECT& rect)
    {
        control->AttachManager(&manager, nullptr, true);
        control->Place(rect);
        control->Paint(canvas.dc(), {0, 0, 40, 40});
    }
    CWindowManagerUI manager;
    TestCanvas canvas{40, 40};
};

TEST_F(ControlPaintTest, BackgroundThenBorder)
{
    CControlUI control;
    Apply(control, {{L"bkcolor", L"#FFFF0000"}, {L"bordercolor", L"#FF0000FF"}, {L"bordersize", L"1"}});
    Paint(&control, {10, 10, 30, 30});
    EXPECT_EQ(canvas.Pixel(10, 10), kBlue);
    EXPECT_EQ(canvas.Pixel(29, 29), kBlue);
    EXPECT_TRUE(canvas.AllOf(kRed, {11, 11, 29, 29}));
    EXPECT_EQ(canvas.Pixel(9, 9), kWhite);
    EXPECT_EQ(canvas.Pixel(30, 30), kWhite);
}

TEST_F(ControlPaintTest, PerSideBordersDrawOnlyTheirSides)
{
    CControlUI control;
    Apply(control, {{L"bordercolor", L"#FF0000FF"}, {L"bordersize", L"0,2,0,0"}});
    Paint(&control, {10, 10, 30, 30});
    EXPECT_TRUE(canvas.AllOf(kBlue, {10, 10, 30, 12}));
    EXPECT_TRUE(canvas.AllOf(kWhite, {10, 12, 30, 30}));
    EXPECT_EQ(canvas.Pixel(9, 10), kWhite);  // nothing past the control's edges
    EXPECT_EQ(canvas.Pixel(30, 11), kWhite);
}

TEST_F(ControlPaintTest, FocusBorderShowsOnlyWithTheFocus)
{
    CControlUI control;
    Apply(control, {{L"focusbordercolor", L"#FF0000FF"}, {L"bordersize", L"1"}});
    Paint(&control, {10, 10, 30, 30});
    EXPECT_TRUE(canvas.AllOf(kWhite, {0, 0, 40, 40}));  // no border colour: nothing, not black
    TEventRecord focus;
    focus.nType = EV_SETFOCUS;
    control.DispatchEvent(focus);
    control.Paint(canvas.dc(), {0, 0, 40, 40});
    EXPECT_EQ(canvas.Pixel(10, 10), kBlue);
    EXPECT_EQ(canvas.Pixel(20, 20), kWhite);
}

TEST_F(ControlPaintTest, ZeroAlphaBackgroundPaintsNothing)
{
    CControlUI control;
    control.ApplyAttribute(L"bkcolor", L"#444444");
    Paint(&control, {0, 0, 40, 40});
    EXPECT_TRUE(canvas.AllOf(kWhite, {0, 0, 40, 40}));
}

TEST_F(ControlPaintTest, GradientBackgroundRunsFromColour1ToColour2)
{
    CControlUI control;
    Apply(control, {{L"bkcolor", L"#FF000000"}, {L"bkcolor2", L"#FFFFFFFF"}});
    Paint(&control, {0, 0, 40, 40});
    EXPECT_LT(canvas.Pixel(5, 2) & 0xFF, 0x20u);
    EXPECT_GT(canvas.Pixel(5, 37) & 0xFF, 0xE0u);
}

TEST_F(ControlPaintTest, RoundedCornersClipThePainting)
{
    CControlUI control;
    Apply(control, {{L"bkcolor", L"#FFFF0000"}, {L"borderround", L"16,16"}});
    Paint(&control, {0, 0, 40, 40});
    EXPECT_EQ(canvas.Pixel(0, 0), kWhite);
    EXPECT_EQ(canvas.Pixel(20, 20), kRed);
    EXPECT_EQ(canvas.Pixel(20, 0), kRed);
}

TEST_F(ControlPaintTest, ImageThatCannotLoadIsClearedAndNotRetried)
{
    CControlUI control;
    Apply(control, {{L"bkimage", L"missing.png"}, {L"bkcolor", L"#FFFF0000"}});
    Paint(&control, {0, 0, 40, 40});
    EXPECT_TRUE(control.BackgroundImage().IsEmpty());
    EXPECT_EQ(canvas.Pixel(20, 20), kRed);  // the rest still paints
}

// What lets a parent paint a control without clipping it: whether the
// control's painting can reach outside its rectangle.
TEST(ControlUITest, KnowsWhenItsPaintingReachesOutsideItsRectangle)
{
    struct Case {
        const char* what;
        CControlUI* control;
        Attributes attributes;
        bool outside;
    };
    CControlUI plain, image, before, border, thin;
    CLabelUI label, padded, unclipped;
    CButtonUI button, state;
    CProgressUI progress;
    Case cases[] = {
        {"plain", &plain, {{L"bkcolor", L"#FF112233"}, {L"bordersize", L"3"}, {L"bordercolor", L"#FF000000"}}, false},
        {"image in the control", &image, {{L"bkimage", L"file='a.png' dest='2,2,900,900'"}}, false},
        {"image before the control", &before, {{L"bkimage", L"file='a.png' dest='-2,0,9,9'"}}, true},
        {"wide border side", &border, {{L"leftbordersize", L"2"}, {L"bordercolor", L"#FF000000"}}, true},
        {"one-pixel border sides", &thin, {{L"bordersize", L"1,1,1,1"}, {L"bordercolor", L"#FF000000"}}, false},
        {"label", &label, {{L"textpadding", L"2,2,2,2"}, {L"align", L"right"}}, false},
        {"label padded outward", &padded, {{L"textpadding", L"0,-1,0,0"}}, true},
        {"button", &button, {{L"normalimage", L"a.png"}, {L"foreimage", L"b.png"}}, false},
        {"button state image before it", &state, {{L"hotimage", L"file='a.png' dest='0,-4,9,9'"}}, true},
        {"progress", &progress, {{L"foreimage", L"file='a.png' corner='3,3,3,3'"}, {L"value", L"40"}}, false},
    };
    for (const Case& c : cases) {
        Apply(*c.control, c.attributes);
        EXPECT_EQ(c.control->PaintsOutsideRect(), c.outside) << c.what;
    }
    unclipped.SetTextStyle(DT_NOCLIP | DT_SINGLELINE);
    EXPECT_TRUE(unclipped.PaintsOutsideRect());
    unclipped.SetTextStyle(DT_SINGLELINE);
    EXPECT_FALSE(unclipped.PaintsOutsideRect());
    // Set back inside, the image no longer reaches out.
    state.SetHotImage(L"a.png");
    EXPECT_FALSE(state.PaintsOutsideRect());
    before.ApplyAttribute(L"bkimage", L"");
    EXPECT_FALSE(before.PaintsOutsideRect());
}

}  // namespace
