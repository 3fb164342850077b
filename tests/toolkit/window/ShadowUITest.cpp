#include "toolkit/window/ShadowUI.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "tests/toolkit/SkinTestCanvas.h"
#include "tests/toolkit/window/ManagerTestWindow.h"
#include "toolkit/layout/VerticalLayoutUI.h"

namespace {

using namespace SkinUI;
using namespace skintest;

constexpr int kCorner = 9;

// An owner window with the launcher's shadow: "shadow.png" as a nine-grid
// with 9-pixel corners.
class ShadowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CWindowManagerUI::StartUp(::GetModuleHandleW(nullptr)));
        // Dark at the rim, fading outwards: alpha varies across the image.
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                pixels.push_back((static_cast<std::uint32_t>(40 + 8 * std::min(std::min(x, y), std::min(23 - x, 23 - y)))
                                  << 24));
        m_folder.AddPng(L"shadow.png", 24, 24, pixels);
    }

    std::unique_ptr<ManagerTestWindow> MakeOwner(RECT rect, DWORD style = WS_POPUP | WS_VISIBLE)
    {
        auto window = std::make_unique<ManagerTestWindow>(rect, style);
        window->manager.SetSkinFileReader(&m_folder.reader());
        CShadowUI& shadow = window->manager.Shadow();
        shadow.SetShow(true);
        shadow.SetImage(L"shadow.png");
        EXPECT_TRUE(shadow.SetCorner({kCorner, kCorner, kCorner, kCorner}));
        window->manager.AttachTree(new CVerticalLayoutUI);
        ::UpdateWindow(window->hwnd());
        window->Pump();
        return window;
    }

    static RECT WindowRect(HWND hwnd)
    {
        RECT r{};
        ::GetWindowRect(hwnd, &r);
        return r;
    }

    static const std::array<HWND, CShadowUI::kSideCount>& Sides(ManagerTestWindow& owner)
    {
        return owner.manager.Shadow().SideWindows();
    }

    // The four side windows tile the owner's rectangle grown by the corners,
    // less the owner's own, and are shown.
    static void ExpectAround(ManagerTestWindow& owner, const char* when)
    {
        const RECT o = WindowRect(owner.hwnd());
        const CShadowUI::SideRects bands = {
            RECT{o.left - kCorner, o.top - kCorner, o.right + kCorner, o.top},
            RECT{o.left - kCorner, o.bottom, o.right + kCorner, o.bottom + kCorner},
            RECT{o.left - kCorner, o.top, o.left, o.bottom},
            RECT{o.right, o.top, o.right + kCorner, o.bottom},
        };
        for (int i = 0; i < CShadowUI::kSideCount; ++i) {
            const HWND side = Sides(owner)[static_cast<std::size_t>(i)];
            const RECT r = WindowRect(side);
            const RECT& want = bands[static_cast<std::size_t>(i)];
            EXPECT_TRUE(::EqualRect(&r, &want)) << when << ", side " << i << ": " << r.left << "," << r.top << ","
                                                << r.right << "," << r.bottom;
            EXPECT_TRUE(::IsWindowVisible(side)) << when << ", side " << i;
        }
    }

    static bool AnySideVisible(ManagerTestWindow& owner)
    {
        for (HWND side : Sides(owner))
            if (::IsWindowVisible(side)) return true;
        return false;
    }

    TestSkinFolder m_folder;
};

TEST_F(ShadowFixture, IsMadeOfClickThroughLayeredWindowsOwnedByTheWindow)
{
    auto owner = MakeOwner({100, 100, 400, 300});
    ASSERT_TRUE(owner->manager.Shadow().HasWindows());
    EXPECT_EQ(CShadowUI::ForOwner(owner->hwnd()), &owner->manager.Shadow());
    for (HWND side : Sides(*owner)) {
        wchar_t className[64] = {};
        ::GetClassNameW(side, className, 64);
        EXPECT_STREQ(className, L"VelmoShadowWnd");
        const LONG_PTR exStyle = ::GetWindowLongPtrW(side, GWL_EXSTYLE);
        EXPECT_TRUE(exStyle & WS_EX_LAYERED);
        EXPECT_TRUE(exStyle & WS_EX_TRANSPARENT);
        EXPECT_EQ(::GetWindow(side, GW_OWNER), owner->hwnd());
    }
    ExpectAround(*owner, "created");
}

TEST_F(ShadowFixture, FollowsMovesAndResizes)
{
    auto owner = MakeOwner({100, 100, 400, 300});
    ASSERT_TRUE(owner->manager.Shadow().HasWindows());
    const HWND top = Sides(*owner)[CShadowUI::kTop];

    struct Step {
        const char* name;
        RECT to;
        bool sizedAtOnce;  // shrinking redraws at once, growing at the owner's next paint
    };
    const Step steps[] = {
        {"moved", {150, 120, 450, 320}, true},
        {"shrunk", {150, 120, 350, 250}, true},
        {"grown", {150, 120, 500, 400}, false},
        {"moved and grown", {60, 70, 600, 480}, false},
    };
    for (const Step& step : steps) {
        const RECT before = WindowRect(top);
        ::SetWindowPos(owner->hwnd(), nullptr, step.to.left, step.to.top, step.to.right - step.to.left,
                       step.to.bottom - step.to.top, SWP_NOZORDER | SWP_NOACTIVATE);
        // Before any paint: the position follows at once, the size as the step says.
        const RECT now = WindowRect(top);
        EXPECT_EQ(now.left, step.to.left - kCorner) << step.name;
        EXPECT_EQ(now.top, step.to.top - kCorner) << step.name;
        if (step.sizedAtOnce)
            EXPECT_EQ(now.right - now.left, step.to.right - step.to.left + 2 * kCorner) << step.name;
        else
            EXPECT_EQ(now.right - now.left, before.right - before.left) << step.name;
        ::UpdateWindow(owner->hwnd());
        owner->Pump();
        const RECT o = WindowRect(owner->hwnd());
        ASSERT_EQ(o.left, step.to.left) << step.name;
        ASSERT_EQ(o.right, step.to.right) << step.name;
        ExpectAround(*owner, step.name);
    }
}

TEST_F(ShadowFixture, HidesWithTheOwnerAndComesBack)
{
    auto owner = MakeOwner({100, 100, 400, 300});
    ASSERT_TRUE(owner->manager.Shadow().HasWindows());

    ::ShowWindow(owner->hwnd(), SW_MINIMIZE);
    owner->Pump();
    EXPECT_FALSE(AnySideVisible(*owner)) << "minimised";
    ::ShowWindow(owner->hwnd(), SW_RESTORE);
    ::UpdateWindow(owner->hwnd());
    owner->Pump();
    ExpectAround(*owner, "restored");

    ::ShowWindow(owner->hwnd(), SW_HIDE);
    owner->Pump();
    EXPECT_FALSE(AnySideVisible(*owner)) << "hidden";
    ::ShowWindow(owner->hwnd(), SW_SHOWNA);
    ::UpdateWindow(owner->hwnd());
    owner->Pump();
    ExpectAround(*owner, "shown");
}

TEST_F(ShadowFixture, GoesAwayWithTheOwner)
{
    auto owner = MakeOwner({100, 100, 400, 300});
    const HWND ownerWindow = owner->hwnd();
    const std::array<HWND, CShadowUI::kSideCount> sides = Sides(*owner);
    for (HWND side : sides) ASSERT_TRUE(::IsWindow(side));
    ::DestroyWindow(ownerWindow);
    for (HWND side : sides) EXPECT_FALSE(::IsWindow(side));
    EXPECT_EQ(CShadowUI::ForOwner(ownerWindow), nullptr);
}

// A window that is never shown never makes its shadow windows; the first
// show makes them once the owner's first frame is out: after its first
// paint, when the thread comes back to its queue.
TEST_F(ShadowFixture, AHiddenOwnerGetsItsShadowWindowsWhenFirstShown)
{
    auto owner = MakeOwner({100, 100, 400, 300}, WS_POPUP);
    const CShadowUI& shadow = owner->manager.Shadow();
    EXPECT_FALSE(shadow.HasWindows()) << "hidden: no shadow windows yet";
    EXPECT_EQ(CShadowUI::ForOwner(owner->hwnd()), &owner->manager.Shadow()) << "the owner is hooked";
    // The shadow's own message, sent from anywhere while nothing is due, makes nothing.
    const UINT firstShow = ::RegisterWindowMessageW(L"SkinUI.ShadowFirstShow");
    ::PostMessageW(owner->hwnd(), firstShow, 0, 0);
    owner->Pump();
    EXPECT_FALSE(shadow.HasWindows()) << "nothing due: no shadow windows";
    ::ShowWindow(owner->hwnd(), SW_SHOWNA);
    EXPECT_FALSE(shadow.HasWindows()) << "made after the owner's first paint";
    ::UpdateWindow(owner->hwnd());
    EXPECT_FALSE(shadow.HasWindows()) << "the owner's first frame goes out first";
    owner->Pump();
    ASSERT_TRUE(shadow.HasWindows());
    ExpectAround(*owner, "shown");
}

// The computed shadow, moved by its offset: its windows cover what shows of
// it and nothing of the owner, which keeps its own pixels.
TEST_F(ShadowFixture, AComputedShadowLeavesTheOwnerUncovered)
{
    auto owner = std::make_unique<ManagerTestWindow>(RECT{100, 100, 400, 300});
    CShadowUI& shadow = owner->manager.Shadow();
    shadow.SetShow(true);
    ASSERT_TRUE(shadow.SetSize(6));
    ASSERT_TRUE(shadow.SetPosition(4, 3));
    ASSERT_TRUE(shadow.SetDarkness(255));
    auto* root = new CVerticalLayoutUI;
    root->ApplyAttribute(L"bkcolor", L"#FFFFFFFF");
    owner->manager.AttachTree(root);
    ::UpdateWindow(owner->hwnd());
    owner->Pump();
    ASSERT_TRUE(shadow.HasWindows());

    const RECT o = WindowRect(owner->hwnd());
    const RECT whole = shadow.ShadowRectFor(o);
    EXPECT_EQ(whole.left, o.left - 2);
    EXPECT_EQ(whole.bottom, o.bottom + 9);
    long long covered = 0;
    for (HWND side : shadow.SideWindows()) {
        if (!::IsWindowVisible(side)) continue;
        const RECT r = WindowRect(side);
        RECT overlap{};
        EXPECT_FALSE(::IntersectRect(&overlap, &r, &o)) << "over the owner";
        covered += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
    }
    const long long shadowArea = static_cast<long long>(whole.right - whole.left) * (whole.bottom - whole.top);
    const long long ownerArea = static_cast<long long>(o.right - o.left) * (o.bottom - o.top);
    EXPECT_EQ(covered, shadowArea - ownerArea) << "the sides tile the shadow less the owner";

    // Inside the owner next to its shadowed corner: the owner's white.
    const HDC screen = ::GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    for (int y = o.bottom - 3; y < o.bottom; ++y)
        for (int x = o.right - 3; x < o.right; ++x)
            EXPECT_EQ(::GetPixel(screen, x, y) & 0xFFFFFF, RGB(255, 255, 255)) << x << "," << y;
    ::ReleaseDC(nullptr, screen);
}

// The bands of a shadow rectangle around an owner, for shadows that reach
// out evenly, are moved off the owner, or lie within it.
TEST(ShadowUITest, SidesTileTheShadowLessTheOwner)
{
    const RECT owner = {100, 100, 300, 200};
    const RECT none = {0, 0, 0, 0};
    struct Case {
        const char* name;
        RECT shadow;
        CShadowUI::SideRects sides;
    };
    const Case cases[] = {
        {"even", {91, 91, 309, 209}, {RECT{91, 91, 309, 100}, RECT{91, 200, 309, 209}, RECT{91, 100, 100, 200}, RECT{300, 100, 309, 200}}},
        {"moved right and down", {104, 103, 316, 215},
         {none, RECT{104, 200, 316, 215}, none, RECT{300, 103, 316, 200}}},
        {"beside the owner", {320, 100, 520, 200}, {none, none, none, RECT{320, 100, 520, 200}}},
        {"within the owner", {110, 110, 290, 190}, {none, none, none, none}},
    };
    for (const Case& c : cases) {
        const CShadowUI::SideRects got = CShadowUI::SidesOf(c.shadow, owner);
        for (int i = 0; i < CShadowUI::kSideCount; ++i) {
            const RECT& g = got[static_cast<std::size_t>(i)];
            const RECT& w = c.sides[static_cast<std::size_t>(i)];
            EXPECT_TRUE(::EqualRect(&g, &w) || (::IsRectEmpty(&g) && ::IsRectEmpty(&w)))
                << c.name << ", side " << i << ": " << g.left << "," << g.top << "," << g.right << "," << g.bottom;
        }
    }
}

TEST(ShadowUITest, AttributesOutsideTheirRangesAreIgnored)
{
    CShadowUI shadow;
    struct Case {
        const char* name;
        bool accepted;
    };
    const Case cases[] = {
        {"size 20", shadow.SetSize(20)},           {"size 21", !shadow.SetSize(21)},
        {"size -20", shadow.SetSize(-20)},         {"sharpness 21", !shadow.SetSharpness(21)},
        {"darkness 255", shadow.SetDarkness(255)}, {"darkness 256", !shadow.SetDarkness(256)},
        {"position -20,20", shadow.SetPosition(-20, 20)}, {"position 0,21", !shadow.SetPosition(0, 21)},
        {"corner negative", !shadow.SetCorner({0, -1, 0, 0})},
    };
    for (const Case& c : cases) EXPECT_TRUE(c.accepted) << c.name;
    EXPECT_EQ(shadow.Size(), -20);
    EXPECT_EQ(shadow.Darkness(), 255);
    EXPECT_EQ(shadow.Position().x, -20);
    EXPECT_EQ(shadow.Position().y, 20);
    EXPECT_EQ(shadow.Sharpness(), 5);
    // Computed form: |size| around the owner, moved by the offset.
    EXPECT_EQ(shadow.ShadowRectFor({100, 100, 200, 200}).left, 100 - 20 - 20);
    EXPECT_EQ(shadow.ShadowRectFor({100, 100, 200, 200}).bottom, 200 + 20 + 20);
}

// Corners at the limits: the shadow's rectangle saturates around the owner
// instead of wrapping an edge to the far side.
TEST(ShadowUITest, CornersAtTheLimitsNeverWrapAnEdge)
{
    CShadowUI shadow;
    shadow.SetImage(L"shadow.png");
    ASSERT_TRUE(shadow.SetCorner({INT_MAX, INT_MAX, INT_MAX, INT_MAX}));
    const RECT owner = {100, 100, 400, 300};
    const RECT r = shadow.ShadowRectFor(owner);
    EXPECT_LE(r.left, owner.left);
    EXPECT_LE(r.top, owner.top);
    EXPECT_EQ(r.right, INT_MAX);
    EXPECT_EQ(r.bottom, INT_MAX);
    const RECT huge = shadow.ShadowRectFor({-2000000000, -2000000000, 2000000000, 2000000000});
    EXPECT_EQ(huge.left, INT_MIN);
    EXPECT_EQ(huge.top, INT_MIN);
}

}  // namespace
