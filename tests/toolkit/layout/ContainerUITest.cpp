#include "toolkit/layout/ContainerUI.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/toolkit/layout/LayoutTestTree.h"
#include "tests/toolkit/SkinTestCanvas.h"
#include "toolkit/render/SkinRenderer.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

using namespace SkinUI;
using namespace skintest;

CControlUI* Named(const wchar_t* name, CControlUI* control = nullptr)
{
    if (!control) control = new CControlUI;
    control->SetName(name);
    return control;
}

TEST(ContainerUITest, ClassAndInterfaceNames)
{
    CControlUI control;
    CLabelUI label;
    CButtonUI button;
    CProgressUI progress;
    CContainerUI container;
    CVerticalLayoutUI vertical;
    CHorizontalLayoutUI horizontal;
    CTabLayoutUI tab;
    struct Case {
        CControlUI* control;
        const wchar_t* className;
        std::vector<const wchar_t*> answersItself;
        std::vector<const wchar_t*> answersNone;
    } cases[] = {
        {&control, L"ControlUI", {L"Control"}, {L"Label", L"IContainer"}},
        {&label, L"LabelUI", {L"Label", L"Control"}, {L"Button"}},
        {&button, L"ButtonUI", {L"Button", L"Label", L"Control"}, {L"Progress"}},
        {&progress, L"ProgressUI", {L"Progress", L"Label", L"Control"}, {L"Button"}},
        {&container, L"ContainerUI", {L"Container", L"Control"}, {L"VerticalLayout"}},
        {&vertical, L"VerticalLayoutUI", {L"VerticalLayout", L"Container", L"Control"}, {L"TabLayout"}},
        {&horizontal, L"HorizontalLayoutUI", {L"HorizontalLayout", L"Container"}, {L"VerticalLayout"}},
        {&tab, L"TabLayoutUI", {L"TabLayout", L"Container"}, {L"control", L""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.control->ClassName(), c.className);
        for (const wchar_t* name : c.answersItself) EXPECT_EQ(c.control->InterfaceFor(name), c.control) << name;
        for (const wchar_t* name : c.answersNone) EXPECT_EQ(c.control->InterfaceFor(name), nullptr) << name;
    }
    EXPECT_EQ(tab.InterfaceFor(L"IContainer"), static_cast<IContainerUI*>(&tab));
}

TEST(ContainerUITest, ChildManagement)
{
    CContainerUI container;
    auto* a = Named(L"a");
    auto* b = Named(L"b");
    auto* c = Named(L"c");
    EXPECT_FALSE(container.Add(nullptr));
    EXPECT_TRUE(container.Add(a));
    EXPECT_FALSE(container.AddAt(b, 2));
    EXPECT_FALSE(container.AddAt(b, -1));
    EXPECT_TRUE(container.AddAt(b, 0));
    EXPECT_TRUE(container.AddAt(c, 2));
    EXPECT_EQ(container.ChildCount(), 3);
    EXPECT_EQ(container.IndexOf(b), 0);
    EXPECT_EQ(container.IndexOf(c), 2);
    EXPECT_EQ(a->Parent(), &container);
    EXPECT_TRUE(container.MoveChildTo(c, 0));
    EXPECT_EQ(container.ChildAt(0), c);
    EXPECT_EQ(container.ChildAt(1), b);
    EXPECT_FALSE(container.MoveChildTo(c, 3));

    CControlUI stranger;
    EXPECT_FALSE(container.Remove(&stranger));
    EXPECT_FALSE(container.RemoveAt(3));
    // Destruction flags: touching a deleted control proves nothing.
    std::vector<std::wstring> destroyed;
    for (CControlUI* child : {a, b, c})
        child->OnDestroyed.Add([&destroyed](CControlUI* control) {
            destroyed.push_back(std::wstring(control->Name().View()));
            return true;
        });
    container.SetAutoDestroy(false);
    EXPECT_TRUE(container.Remove(b));  // not deleted: still ours
    EXPECT_TRUE(destroyed.empty());
    delete b;
    EXPECT_EQ(destroyed, std::vector<std::wstring>{L"b"});
    container.SetAutoDestroy(true);
    container.RemoveAll();  // without a window the children go at once
    EXPECT_EQ(container.ChildCount(), 0);
    EXPECT_EQ(destroyed, (std::vector<std::wstring>{L"b", L"c", L"a"}));
}

TEST(ContainerUITest, VisibilityAndEnablingReachTheChildren)
{
    CVerticalLayoutUI outer;
    auto* inner = new CVerticalLayoutUI;
    auto* leaf = new CControlUI;
    auto* hiddenLeaf = new CControlUI;
    hiddenLeaf->SetVisible(false);
    inner->Add(leaf);
    inner->Add(hiddenLeaf);
    outer.Add(inner);
    outer.SetVisible(false);
    EXPECT_FALSE(leaf->IsVisible());
    outer.SetVisible(true);
    EXPECT_TRUE(leaf->IsVisible());
    EXPECT_FALSE(hiddenLeaf->IsVisible());  // its own flag still hides it

    // A child added to a hidden container is hidden by it.
    inner->SetVisible(false);
    auto* late = new CControlUI;
    inner->Add(late);
    EXPECT_FALSE(late->IsVisible());

    outer.SetEnabled(false);
    EXPECT_FALSE(leaf->IsEnabled());
    outer.SetEnabled(true);
    EXPECT_TRUE(leaf->IsEnabled());
}

TEST(ContainerUITest, FloatChildrenAnchorToTheirEdges)
{
    auto* root = new CVerticalLayoutUI;
    auto* nearCorner = new CControlUI;
    ApplyAll(nearCorner, {{L"float", L"true"}, {L"pos", L"20,30,60,40"}});
    auto* farCorner = new CControlUI;
    ApplyAll(farCorner, {{L"float", L"true"}, {L"pos", L"-30,-20,-6,-4"}});
    root->Add(nearCorner);
    root->Add(farCorner);
    CWindowManagerUI manager;
    manager.AttachTree(root);

    struct Case {
        RECT container;
        RECT nearRect, farRect;
    } cases[] = {
        {{0, 0, 440, 260}, {20, 30, 60, 40}, {410, 240, 434, 256}},
        {{0, 0, 500, 300}, {20, 30, 60, 40}, {470, 280, 494, 296}},  // resized: still anchored
        {{100, 50, 300, 150}, {120, 80, 160, 90}, {270, 130, 294, 146}},
    };
    for (const Case& c : cases) {
        root->Place(c.container);
        const RECT& n = nearCorner->Rect();
        const RECT& f = farCorner->Rect();
        EXPECT_TRUE(n.left == c.nearRect.left && n.top == c.nearRect.top && n.right == c.nearRect.right &&
                    n.bottom == c.nearRect.bottom)
            << n.left << "," << n.top << "," << n.right << "," << n.bottom;
        EXPECT_TRUE(f.left == c.farRect.left && f.top == c.farRect.top && f.right == c.farRect.right &&
                    f.bottom == c.farRect.bottom)
            << f.left << "," << f.top << "," << f.right << "," << f.bottom;
        EXPECT_EQ(farCorner->FloatOffset().cx, -6);
        EXPECT_EQ(farCorner->FloatOffset().cy, -4);
    }
}

// Skin numbers are clamped to 32 bits, but their sums are not: an inset or
// a page's padding at the limits must not wrap an edge to the far side.
TEST(ContainerUITest, InsetsAndPaddingsAtTheLimitsNeverWrapAnEdge)
{
    const wchar_t* const kMax = L"2147483647,2147483647,2147483647,2147483647";
    const wchar_t* const kMin = L"-2147483648,-2147483648,-2147483648,-2147483648";
    struct Case {
        const char* name;
        CContainerUI* container;
        const wchar_t* inset;
        const wchar_t* childPadding;  // the child's "padding"
    };
    const Case cases[] = {
        {"container, largest inset", new CContainerUI, kMax, L"0,0,0,0"},
        {"container, smallest inset", new CContainerUI, kMin, L"0,0,0,0"},
        {"vertical, largest inset", new CVerticalLayoutUI, kMax, L"0,0,0,0"},
        {"horizontal, smallest inset", new CHorizontalLayoutUI, kMin, L"0,0,0,0"},
        {"tab page, largest padding", new CTabLayoutUI, L"0,0,0,0", kMax},
        {"tab page, smallest padding", new CTabLayoutUI, L"0,0,0,0", kMin},
    };
    const RECT outer = {10, 10, 110, 110};
    for (const Case& c : cases) {
        auto* root = new CVerticalLayoutUI;
        c.container->ApplyAttribute(L"inset", c.inset);
        auto* child = new CControlUI;
        child->ApplyAttribute(L"padding", c.childPadding);
        c.container->Add(child);
        root->Add(c.container);
        CWindowManagerUI manager;
        manager.AttachTree(root);
        c.container->Place(outer);
        const RECT r = child->Rect();
        // Shrinking pushes the near edges inwards (never past the
        // container's); growing leaves at least the container's size (a
        // layout then limits the child to its maximum, 9999).
        if (c.inset == kMax || c.childPadding == kMax) {
            EXPECT_GE(r.left, outer.left) << c.name;
            EXPECT_GE(r.top, outer.top) << c.name;
        } else {
            EXPECT_LE(r.left, outer.left) << c.name;
            EXPECT_GE(static_cast<long long>(r.right) - r.left, outer.right - outer.left) << c.name;
            EXPECT_GE(static_cast<long long>(r.bottom) - r.top, outer.bottom - outer.top) << c.name;
        }
        EXPECT_GE(r.right, r.left) << c.name;
        EXPECT_GE(r.bottom, r.top) << c.name;
    }
}

TEST(ContainerUITest, BaseContainerStacksChildrenInItsContent)
{
    auto* container = new CContainerUI;
    container->SetInset({1, 2, 3, 4});
    auto* a = new CControlUI;
    auto* b = new CControlUI;
    b->SetFixedHeight(5);  // ignored: every child gets the whole content
    container->Add(a);
    container->Add(b);
    CWindowManagerUI manager;
    manager.AttachTree(container);
    container->Place({0, 0, 50, 50});
    for (CControlUI* c : {a, b}) {
        EXPECT_EQ(c->Rect().left, 1);
        EXPECT_EQ(c->Rect().top, 2);
        EXPECT_EQ(c->Rect().right, 47);
        EXPECT_EQ(c->Rect().bottom, 46);
    }
}

class ContainerPaintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = new CVerticalLayoutUI;
        box = new CVerticalLayoutUI;
        ApplyAll(box, {{L"float", L"true"}, {L"pos", L"10,10,30,30"}, {L"inset", L"5,5,5,5"}});
        wide = new CControlUI;
        ApplyAll(wide, {{L"width", L"100"}, {L"bkcolor", L"#FFFF0000"}});  // wider than the content
        corner = new CControlUI;
        ApplyAll(corner, {{L"float", L"true"}, {L"pos", L"0,0,4,4"}, {L"bkcolor", L"#FF0000FF"}});
        outside = new CControlUI;
        ApplyAll(outside, {{L"float", L"true"}, {L"pos", L"18,0,40,4"}, {L"bkcolor", L"#FF00FF00"}});
        box->Add(wide);
        box->Add(corner);
        box->Add(outside);
        root->Add(box);
        manager.AttachTree(root);
        manager.UpdateLayout({0, 0, 50, 50});
    }
    CWindowManagerUI manager;
    CVerticalLayoutUI* root = nullptr;
    CVerticalLayoutUI* box = nullptr;
    CControlUI* wide = nullptr;
    CControlUI* corner = nullptr;
    CControlUI* outside = nullptr;
};

TEST_F(ContainerPaintTest, ChildrenAreClippedToTheContentAndFloatsToTheContainer)
{
    TestCanvas canvas(50, 50);
    manager.PaintTree(canvas.dc(), {0, 0, 50, 50});
    EXPECT_TRUE(canvas.AllOf(kRed, {15, 15, 25, 25}));  // the content only
    EXPECT_EQ(canvas.Count(kRed, {0, 0, 50, 50}), 100);
    EXPECT_TRUE(canvas.AllOf(kBlue, {10, 10, 14, 14}));  // a float child in the inset
    EXPECT_TRUE(canvas.AllOf(kGreen, {28, 10, 30, 14}));  // cut at the container's edge
    EXPECT_EQ(canvas.Count(kGreen, {0, 0, 50, 50}), 8);
}

TEST_F(ContainerPaintTest, PaintingOnlyTheInsetStillPaintsFloats)
{
    TestCanvas canvas(50, 50);
    manager.PaintTree(canvas.dc(), {10, 10, 14, 14});
    EXPECT_TRUE(canvas.AllOf(kBlue, {10, 10, 14, 14}));
    EXPECT_EQ(canvas.Count(kRed, {0, 0, 50, 50}), 0);
    EXPECT_EQ(canvas.Count(kBlue, {0, 0, 50, 50}), 16);
}

// A control of an application's own: the toolkit cannot know where it
// paints (this one paints far beyond its rectangle).
struct OverreachingControl : CControlUI {
    void Paint(HDC hdc, const RECT& paint) override
    {
        RECT r;
        if (!::IntersectRect(&r, &paint, &m_rcItem)) return;
        const RECT wide = {m_rcItem.left - 20, m_rcItem.top - 20, m_rcItem.right + 20, m_rcItem.bottom + 20};
        CSkinRenderer::FillColour(hdc, wide, 0xFF00FF00u);
    }
};

// Children of the toolkit inside their parent paint without a clip of their
// own; a child that reaches out (an image placed before its rectangle, an
// application's control) is still held to its parent's content. No clip is
// left behind, and one that was there stays.
TEST_F(ContainerPaintTest, OnlyChildrenThatReachOutAreClipped)
{
    TestSkinFolder folder;
    folder.AddSolidPng(L"red.png", 2, 2, 0xFFFF0000u);
    manager.SetSkinFileReader(&folder.reader());
    wide->SetVisible(false);
    outside->SetVisible(false);
    // At the content's top-left, 4 high; its image starts 3 pixels before it.
    auto* reaching = new CControlUI;
    ApplyAll(reaching, {{L"height", L"4"}, {L"bkimage", L"file='red.png' dest='-3,-3,4,4'"}});
    box->Add(reaching);
    box->AddAt(new OverreachingControl, 0);  // float at (23, 23), painting 20 pixels around
    box->ChildAt(0)->ApplyAttribute(L"float", L"true");
    box->ChildAt(0)->ApplyAttribute(L"pos", L"13,13,15,15");
    manager.UpdateLayout({0, 0, 50, 50});
    ASSERT_EQ(reaching->Rect().left, 15);
    EXPECT_TRUE(reaching->PaintsOutsideRect());

    TestCanvas canvas(50, 50);
    manager.PaintTree(canvas.dc(), {0, 0, 50, 50});
    win32::UniqueRegion none(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(::GetClipRgn(canvas.dc(), none.get()), 0);  // no clip left behind
    EXPECT_TRUE(canvas.AllOf(kRed, {15, 15, 19, 19}));
    EXPECT_EQ(canvas.Count(kRed, {0, 0, 50, 50}), 16);  // cut at the content
    EXPECT_EQ(canvas.Pixel(12, 12), kBlue);              // the corner float, not painted over
    EXPECT_EQ(canvas.Pixel(29, 29), kGreen);
    EXPECT_EQ(canvas.Pixel(9, 9), kWhite);  // the application's control is held to the box
    EXPECT_EQ(canvas.Pixel(30, 30), kWhite);

    // A clip already on the DC is kept, and limits the painting.
    TestCanvas clipped(50, 50);
    win32::UniqueRegion left(::CreateRectRgn(0, 0, 25, 50));
    ::SelectClipRgn(clipped.dc(), left.get());
    manager.PaintTree(clipped.dc(), {0, 0, 50, 50});
    win32::UniqueRegion after(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(::GetClipRgn(clipped.dc(), after.get()), 1);
    EXPECT_TRUE(::EqualRgn(after.get(), left.get()));
    EXPECT_EQ(clipped.Pixel(24, 24), kGreen);
    EXPECT_EQ(clipped.Pixel(26, 26), kWhite);
}

// Remembers whether its own background was painted.
struct BackgroundProbe : CVerticalLayoutUI {
    int backgrounds = 0;
    void PaintBackgroundColour(HDC hdc) override
    {
        ++backgrounds;
        CVerticalLayoutUI::PaintBackgroundColour(hdc);
    }
};

// A background that a child paints over whole, with opaque pixels, is not
// painted (the launcher's white root under the download page's picture).
TEST(ContainerUITest, BackgroundACoveringChildHidesIsNotPainted)
{
    TestSkinFolder folder;
    folder.AddSolidPng(L"opaque.png", 4, 4, 0xFF0000FFu);
    folder.AddSolidPng(L"translucent.png", 4, 4, 0x800000FFu);
    struct Case {
        const char* what;
        std::vector<std::pair<const wchar_t*, const wchar_t*>> page;
        RECT paint;
        int backgrounds;  // after two paints: an image is known to be opaque once it is loaded
    } cases[] = {
        {"opaque colour", {{L"bkcolor", L"#FF0000FF"}}, {0, 0, 40, 30}, 0},
        {"opaque colour, part of the window", {{L"bkcolor", L"#FF0000FF"}}, {5, 5, 10, 10}, 0},
        {"translucent colour", {{L"bkcolor", L"#800000FF"}}, {0, 0, 40, 30}, 2},
        {"gradient", {{L"bkcolor", L"#FF0000FF"}, {L"bkcolor2", L"#FF00FF00"}}, {0, 0, 40, 30}, 2},
        {"rounded corners", {{L"bkcolor", L"#FF0000FF"}, {L"borderround", L"4,4"}}, {0, 0, 40, 30}, 2},
        {"opaque image", {{L"bkimage", L"opaque.png"}}, {0, 0, 40, 30}, 1},
        {"translucent image", {{L"bkimage", L"translucent.png"}}, {0, 0, 40, 30}, 2},
        {"image over a part", {{L"bkimage", L"file='opaque.png' dest='0,0,20,30'"}}, {0, 0, 40, 30}, 2},
        // Only a background over the whole control counts, even where only a part is painted.
        {"image over the painted part", {{L"bkimage", L"file='opaque.png' dest='0,0,20,30'"}}, {0, 0, 20, 30}, 2},
        {"hidden", {{L"bkcolor", L"#FF0000FF"}, {L"visible", L"false"}}, {0, 0, 40, 30}, 2},
    };
    for (const Case& c : cases) {
        CWindowManagerUI manager;
        manager.SetSkinFileReader(&folder.reader());
        auto* root = new BackgroundProbe;
        root->ApplyAttribute(L"bkcolor", L"#FFFF0000");
        auto* tab = new CTabLayoutUI;  // the page lies a level deeper, as in the launcher
        auto* page = new CVerticalLayoutUI;
        for (const auto& a : c.page) page->ApplyAttribute(a.first, a.second);
        tab->Add(page);
        root->Add(tab);
        manager.AttachTree(root);
        manager.UpdateLayout({0, 0, 40, 30});
        TestCanvas first(40, 30), second(40, 30);
        manager.PaintTree(first.dc(), c.paint);
        manager.PaintTree(second.dc(), c.paint);
        EXPECT_EQ(root->backgrounds, c.backgrounds) << c.what;
        // Either way the two paints look alike.
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                if (first.RawPixel(x, y) != second.RawPixel(x, y)) {
                    ADD_FAILURE() << c.what << " at " << x << "," << y;
                    y = 30;
                    break;
                }
    }
}

CControlUI* Record(CControlUI* control, void* data)
{
    static_cast<std::vector<std::wstring>*>(data)->push_back(std::wstring(control->Name().View()));
    return nullptr;
}

CControlUI* First(CControlUI* control, void*)
{
    return control;
}

TEST(ContainerUISearchTest, FlagsChooseTheOrderAndTheControls)
{
    auto* root = static_cast<CVerticalLayoutUI*>(Named(L"root", new CVerticalLayoutUI));
    auto* inner = static_cast<CVerticalLayoutUI*>(Named(L"inner", new CVerticalLayoutUI));
    inner->Add(Named(L"x"));
    inner->Add(Named(L"y"));
    root->Add(inner);
    root->Add(Named(L"z"));
    auto* hidden = Named(L"hidden");
    hidden->SetVisible(false);
    root->Add(hidden);
    auto* disabled = Named(L"disabled");
    disabled->SetEnabled(false);
    root->Add(disabled);
    CWindowManagerUI manager;
    manager.AttachTree(root);

    struct Case {
        UINT flags;
        std::vector<std::wstring> order;
    } cases[] = {
        {0, {L"x", L"y", L"inner", L"z", L"hidden", L"disabled", L"root"}},
        {FIND_ME_FIRST, {L"root", L"inner", L"x", L"y", L"z", L"hidden", L"disabled"}},
        {FIND_TOP_FIRST, {L"disabled", L"hidden", L"z", L"y", L"x", L"inner", L"root"}},
        {FIND_VISIBLE | FIND_ENABLED, {L"x", L"y", L"inner", L"z", L"root"}},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> order;
        root->Search(Record, &order, c.flags);
        EXPECT_EQ(order, c.order) << c.flags;
    }
}

TEST(ContainerUISearchTest, HitTestsRespectContentAndMouseChildren)
{
    auto* root = static_cast<CVerticalLayoutUI*>(Named(L"root", new CVerticalLayoutUI));
    root->SetInset({10, 10, 10, 10});
    auto* wide = Named(L"wide");
    wide->SetFixedWidth(200);  // reaches into the right inset
    root->Add(wide);
    auto* badge = Named(L"badge");
    ApplyAll(badge, {{L"float", L"true"}, {L"pos", L"0,0,10,10"}});
    root->Add(badge);
    CWindowManagerUI manager;
    manager.AttachTree(root);
    manager.UpdateLayout({0, 0, 100, 100});
    const UINT hit = FIND_VISIBLE | FIND_HITTEST | FIND_TOP_FIRST;
    POINT inContent = {50, 50}, inInset = {95, 50}, onBadge = {5, 5}, outside = {150, 50};
    EXPECT_EQ(root->Search(First, &inContent, hit), wide);
    EXPECT_EQ(root->Search(First, &inInset, hit), root);  // a non-float child only counts in the content
    EXPECT_EQ(root->Search(First, &onBadge, hit), badge);
    EXPECT_EQ(root->Search(First, &outside, hit), nullptr);
    root->SetMouseChildEnabled(false);
    EXPECT_EQ(root->Search(First, &inContent, hit), root);
}

}  // namespace
