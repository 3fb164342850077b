#include "toolkit/skinwindow/FrameHitTest.h"

#include <gtest/gtest.h>

namespace {

using SkinUI::DragsWindow;
using SkinUI::FrameHit;
using SkinUI::FrameRect;
using SkinUI::HitTestFrame;

struct HitCase {
    int x, y;
    bool maximised;
    FrameHit expected;
};

// The launcher window: 960 x 620, "sizebox" 6,6,6,6, "caption" 0,0,0,340.
TEST(FrameHitTestTest, LauncherWindowBordersAndCaption)
{
    const FrameRect client = {0, 0, 960, 620};
    const FrameRect sizeBox = {6, 6, 6, 6};
    const FrameRect caption = {0, 0, 0, 340};
    const HitCase cases[] = {
        {480, 0, false, FrameHit::Top},  // the top 6 pixels resize, though inside the caption
        {480, 5, false, FrameHit::Top},
        {480, 6, false, FrameHit::CaptionArea},
        {5, 3, false, FrameHit::TopLeft},
        {955, 3, false, FrameHit::TopRight},
        {954, 3, false, FrameHit::Top},
        {0, 300, false, FrameHit::Left},
        {959, 300, false, FrameHit::Right},
        {480, 619, false, FrameHit::Bottom},
        {2, 617, false, FrameHit::BottomLeft},
        {958, 617, false, FrameHit::BottomRight},
        {480, 339, false, FrameHit::CaptionArea},
        {480, 340, false, FrameHit::Client},  // the caption ends before y = 340
        {480, 500, false, FrameHit::Client},
        {480, 0, true, FrameHit::CaptionArea},  // maximised: no resize borders
        {0, 300, true, FrameHit::CaptionArea},
        {0, 619, true, FrameHit::Client},
    };
    for (const HitCase& c : cases)
        EXPECT_EQ(HitTestFrame(client, sizeBox, caption, c.x, c.y, c.maximised), c.expected)
            << c.x << "," << c.y << (c.maximised ? " maximised" : "");
}

// The notice box: 440 x 260, no "sizebox", "caption" 0,0,0,260.
TEST(FrameHitTestTest, NoticeBoxIsCaptionEverywhere)
{
    const FrameRect client = {0, 0, 440, 260};
    const HitCase cases[] = {
        {0, 0, false, FrameHit::CaptionArea},
        {439, 259, false, FrameHit::CaptionArea},
        {440, 100, false, FrameHit::Client},
        {100, 260, false, FrameHit::Client},
    };
    for (const HitCase& c : cases)
        EXPECT_EQ(HitTestFrame(client, {}, {0, 0, 0, 260}, c.x, c.y, false), c.expected) << c.x << "," << c.y;
}

TEST(FrameHitTestTest, CaptionInsetsAndHugeSkinValues)
{
    const FrameRect client = {0, 0, 400, 300};
    const FrameRect caption = {10, 20, 30, 40};
    EXPECT_EQ(HitTestFrame(client, {}, caption, 9, 25, false), FrameHit::Client);
    EXPECT_EQ(HitTestFrame(client, {}, caption, 10, 25, false), FrameHit::CaptionArea);
    EXPECT_EQ(HitTestFrame(client, {}, caption, 369, 25, false), FrameHit::CaptionArea);
    EXPECT_EQ(HitTestFrame(client, {}, caption, 370, 25, false), FrameHit::Client);
    EXPECT_EQ(HitTestFrame(client, {}, caption, 100, 19, false), FrameHit::Client);
    // Sums that overflow 32 bits must not wrap into a border or the caption.
    const int big = 0x7FFFFFFF;
    EXPECT_EQ(HitTestFrame(client, {0, 0, -big, 0}, {}, 200, 100, false), FrameHit::Client);
    EXPECT_EQ(HitTestFrame(client, {}, {-big, 0, -big, big}, 200, 100, false), FrameHit::CaptionArea);
}

TEST(FrameHitTestTest, ControlsThatTakeClicksKeepTheirClicks)
{
    const struct {
        const wchar_t* className;
        bool drags;
    } cases[] = {
        {L"LabelUI", true},       {L"VerticalLayoutUI", true}, {L"ProgressUI", true}, {L"ControlUI", true},
        {L"ButtonUI", false},     {L"buttonui", false},        {L"OptionUI", false},  {L"TextUI", false},
        {L"SliderUI", false},     {L"RichEditUI", false},      {L"CheckBoxUI", false}, {L"EditUI", false},
        {L"SCROLLBARUI", false},  {L"ButtonUIx", true},
    };
    for (const auto& c : cases) EXPECT_EQ(DragsWindow(c.className), c.drags) << c.className;
}

// Maximised on any monitor: the client area is the work area where it lies,
// and the placement the system gets agrees with it.
TEST(FrameHitTestTest, MaximisedFrameFollowsTheMonitorsWorkArea)
{
    const struct {
        const char* name;
        FrameRect monitor;
        FrameRect work;
        FrameRect client;
        int maxLeft, maxTop, maxWidth, maxHeight;
    } cases[] = {
        {"primary, taskbar at the bottom", {0, 0, 1920, 1080}, {0, 0, 1920, 1040}, {0, 0, 1920, 1040}, 0, 0, 1920, 1040},
        {"second monitor on the right", {1920, 0, 3840, 1080}, {1920, 0, 3840, 1040}, {1920, 0, 3840, 1040}, 0, 0, 1920, 1040},
        {"taskbar on the left", {0, 0, 1920, 1080}, {62, 0, 1920, 1080}, {62, 0, 1920, 1080}, 62, 0, 1858, 1080},
        {"taskbar at the top", {0, 0, 1920, 1080}, {0, 40, 1920, 1080}, {0, 40, 1920, 1080}, 0, 40, 1920, 1040},
        {"monitor left of the primary, taskbar on its left", {-1280, 0, 0, 1024}, {-1232, 0, 0, 1024},
         {-1232, 0, 0, 1024}, 48, 0, 1232, 1024},
    };
    for (const auto& c : cases) {
        const SkinUI::MaximisedFrame frame = SkinUI::MaximisedGeometry(c.monitor, c.work);
        EXPECT_EQ(frame.client.left, c.client.left) << c.name;
        EXPECT_EQ(frame.client.top, c.client.top) << c.name;
        EXPECT_EQ(frame.client.right, c.client.right) << c.name;
        EXPECT_EQ(frame.client.bottom, c.client.bottom) << c.name;
        EXPECT_EQ(frame.maxLeft, c.maxLeft) << c.name;
        EXPECT_EQ(frame.maxTop, c.maxTop) << c.name;
        EXPECT_EQ(frame.maxWidth, c.maxWidth) << c.name;
        EXPECT_EQ(frame.maxHeight, c.maxHeight) << c.name;
        // The maximised window's client area starts where the system puts it.
        EXPECT_EQ(frame.client.left, c.monitor.left + frame.maxLeft) << c.name;
        EXPECT_EQ(frame.client.top, c.monitor.top + frame.maxTop) << c.name;
    }
}

}  // namespace
