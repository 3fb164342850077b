#include "toolkit/window/ShadowUI.h"

#include <gtest/gtest.h>

#include <algorithm>
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

    // The shadow window's rectangle is the owner's grown by the corners.
    static void ExpectAround(HWND shadow, HWND owner, const char* when)
    {
        const RECT s = WindowRect(shadow);
        const RECT o = WindowRect(owner);
        EXPECT_EQ(s.left, o.left - kCorner) << when;
        EXPECT_EQ(s.top, o.top - kCorner) << when;
        EXPECT_EQ(s.right, o.right + kCorner) << when;
        EXPECT_EQ(s.bottom, o.bottom + kCorner) << when;
    }

    TestSkinFolder m_folder;
};

TEST_F(ShadowFixture, IsAClickThroughLayeredWindowOwnedByTheWindow)
{
    auto owner = MakeOwner({100, 100, 400, 300});
    const HWND shadow = owner->manager.Shadow().WindowHandle();
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(CShadowUI::ForOwner(owner->hwnd()), &owner->manager.Shadow());
    wchar_t className[64] = {};
    ::GetClassNameW(shadow, className, 64);
    EXPECT_STREQ(className, L"VelmoShadowWnd");
    const LONG_PTR exStyle = ::GetWindowLongPtrW(shadow, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(exStyle & WS_EX_TRANSPARENT);
    EXPECT_EQ(::GetWindow(shadow, GW_OWNER), owner->hwnd());
    EXPECT_TRUE(::IsWindowVisible(shadow));
    ExpectAround(shadow, owner->hwnd(), "created");
}

TEST_F(ShadowFixture, FollowsMovesAndResizes)
{
    auto owner = MakeOwner({100, 100, 400, 300});
    const HWND shadow = owner->manager.Shadow().WindowHandle();
    ASSERT_NE(shadow, nullptr);

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
        const RECT before = WindowRect(shadow);
        ::SetWindowPos(owner->hwnd(), nullptr, step.to.left, step.to.top, step.to.right - step.to.left,
                       step.to.bottom - step.to.top, SWP_NOZORDER | SWP_NOACTIVATE);
        // Before any paint: the position follows at once, the size as the step says.
        const RECT now = WindowRect(shadow);
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
        ExpectAround(shadow, owner->hwnd(), step.name);
        EXPECT_TRUE(::IsWindowVisible(shadow)) << step.name;
    }
}

TEST_F(ShadowFixture, HidesWithTheOwnerAndComesBack)
{
    auto owner = MakeOwner({100, 100, 400, 300});
    const HWND shadow = owner->manager.Shadow().WindowHandle();
    ASSERT_NE(shadow, nullptr);

    ::ShowWindow(owner->hwnd(), SW_MINIMIZE);
    owner->Pump();
    EXPECT_FALSE(::IsWindowVisible(shadow)) << "minimised";
    ::ShowWindow(owner->hwnd(), SW_RESTORE);
    ::UpdateWindow(owner->hwnd());
    owner->Pump();
    EXPECT_TRUE(::IsWindowVisible(shadow)) << "restored";
    ExpectAround(shadow, owner->hwnd(), "restored");

    ::ShowWindow(owner->hwnd(), SW_HIDE);
    owner->Pump();
    EXPECT_FALSE(::IsWindowVisible(shadow)) << "hidden";
    ::ShowWindow(owner->hwnd(), SW_SHOWNA);
    ::UpdateWindow(owner->hwnd());
    owner->Pump();
    EXPECT_TRUE(::IsWindowVisible(shadow)) << "shown";
}

TEST_F(ShadowFixture, GoesAwayWithTheOwner)
{
    auto owner = MakeOwner({100, 100, 400, 300});
    const HWND ownerWindow = owner->hwnd();
    const HWND shadow = owner->manager.Shadow().WindowHandle();
    ASSERT_TRUE(::IsWindow(shadow));
    ::DestroyWindow(ownerWindow);
    EXPECT_FALSE(::IsWindow(shadow));
    EXPECT_EQ(CShadowUI::ForOwner(ownerWindow), nullptr);
}

// A window that is never shown never makes its shadow window; the first
// show makes it once the owner's first frame is out: after its first paint,
// when the thread comes back to its queue.
TEST_F(ShadowFixture, AHiddenOwnerGetsItsShadowWindowWhenFirstShown)
{
    auto owner = MakeOwner({100, 100, 400, 300}, WS_POPUP);
    EXPECT_EQ(owner->manager.Shadow().WindowHandle(), nullptr) << "hidden: no shadow window yet";
    EXPECT_EQ(CShadowUI::ForOwner(owner->hwnd()), &owner->manager.Shadow()) << "the owner is hooked";
    // The shadow's own message, sent from anywhere while nothing is due, makes nothing.
    const UINT firstShow = ::RegisterWindowMessageW(L"SkinUI.ShadowFirstShow");
    ::PostMessageW(owner->hwnd(), firstShow, 0, 0);
    owner->Pump();
    EXPECT_EQ(owner->manager.Shadow().WindowHandle(), nullptr) << "nothing due: no shadow window";
    ::ShowWindow(owner->hwnd(), SW_SHOWNA);
    EXPECT_EQ(owner->manager.Shadow().WindowHandle(), nullptr) << "made after the owner's first paint";
    ::UpdateWindow(owner->hwnd());
    EXPECT_EQ(owner->manager.Shadow().WindowHandle(), nullptr) << "the owner's first frame goes out first";
    owner->Pump();
    const HWND shadow = owner->manager.Shadow().WindowHandle();
    ASSERT_NE(shadow, nullptr);
    EXPECT_TRUE(::IsWindowVisible(shadow));
    ExpectAround(shadow, owner->hwnd(), "shown");
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
