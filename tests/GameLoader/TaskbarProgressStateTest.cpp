#include "GameLoader/GameLoaderWnd/TaskbarProgressState.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "GameLoader/GameLoaderWnd/LauncherMessages.h"

// Found by argument-dependent lookup beside the type.
void PrintTo(const TaskbarProgressView& view, std::ostream* out)
{
    static const char* const names[] = {"None", "Normal", "Indeterminate", "Error"};
    *out << names[static_cast<int>(view.kind)] << " " << view.percent;
}

namespace {

using Kind = TaskbarProgressKind;

TEST(TaskbarProgressStateTest, APercentIsTheSigned32BitNumberClampedToTheBar)
{
    struct Case {
        std::uint64_t wParam;
        int percent;
    } cases[] = {
        {0, 0},
        {1, 1},
        {57, 57},
        {100, 100},
        {101, 100},
        {150, 100},
        {0x7FFFFFFF, 100},
        {0xFFFFFFFF, 0},                    // -1 from a 32-bit sender
        {0xFFFFFFFFFFFFFFFBull, 0},         // -5, sign-extended
        {0xFFFFFFFBull, 0},                 // -5, zero-extended
        {0x80000000, 0},                    // the most negative
        {0x0000000100000032ull, 50},        // high bits beyond the platform's 32 are not read
        {0xFFFFFFFF00000064ull, 100},
    };
    for (const Case& c : cases) EXPECT_EQ(ClampedPercent(c.wParam), c.percent) << std::hex << c.wParam;
}

TEST(TaskbarProgressStateTest, TheViewFollowsTheDownloadAndTheUnpack)
{
    struct Step {
        unsigned message;
        std::uint64_t wParam;
        TaskbarProgressView view;
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
    } runs[] = {
        {"download and unpack",
         {{WM_LAUNCHER_PROGRESS, 10, {Kind::Normal, 10}},
          {WM_LAUNCHER_PROGRESS, 100, {Kind::Normal, 100}},
          {WM_LAUNCHER_PROGRESS, 100, {Kind::Normal, 100}},
          {WM_LAUNCHER_DOWNLOAD_RESULT, 0, {Kind::Indeterminate, 100}},
          {WM_LAUNCHER_PROGRESS, 100, {Kind::Indeterminate, 100}},  // a late report does not end the unpack
          {WM_LAUNCHER_PROGRESS, 20, {Kind::Indeterminate, 100}},
          {WM_LAUNCHER_UNPACK_RESULT, 0, {Kind::None, 0}}}},
        {"hostile percentages",
         {{WM_LAUNCHER_PROGRESS, 0xFFFFFFFF, {Kind::Normal, 0}},
          {WM_LAUNCHER_PROGRESS, static_cast<std::uint64_t>(-5), {Kind::Normal, 0}},
          {WM_LAUNCHER_PROGRESS, 150, {Kind::Normal, 100}},
          {WM_LAUNCHER_PROGRESS, 40, {Kind::Normal, 40}}}},
        {"download failure keeps the part downloaded",
         {{WM_LAUNCHER_PROGRESS, 40, {Kind::Normal, 40}},
          {WM_LAUNCHER_DOWNLOAD_RESULT, 7, {Kind::Error, 40}},
          {WM_LAUNCHER_PROGRESS, 45, {Kind::Normal, 45}}}},  // the platform downloads again
        {"a failure before any progress fills the bar",
         {{WM_LAUNCHER_DOWNLOAD_RESULT, 1, {Kind::Error, 100}}}},
        {"unpack failure",
         {{WM_LAUNCHER_PROGRESS, 100, {Kind::Normal, 100}},
          {WM_LAUNCHER_DOWNLOAD_RESULT, 0, {Kind::Indeterminate, 100}},
          {WM_LAUNCHER_UNPACK_RESULT, static_cast<std::uint64_t>(-1), {Kind::Error, 100}}}},
        {"other messages leave it",
         {{WM_LAUNCHER_PROGRESS, 30, {Kind::Normal, 30}},
          {WM_LAUNCHER_NET_ERROR, 0, {Kind::Normal, 30}},
          {WM_LAUNCHER_SHOW, 99, {Kind::Normal, 30}},
          {1137 + 1, 0, {Kind::Normal, 30}},
          {0, 5, {Kind::Normal, 30}}}},
    };
    for (const auto& run : runs) {
        TaskbarProgressView view;
        int step = 0;
        for (const Step& s : run.steps) {
            view = NextTaskbarView(view, s.message, s.wParam);
            EXPECT_EQ(view, s.view) << run.name << ", step " << step;
            EXPECT_GE(view.percent, 0);
            EXPECT_LE(view.percent, 100);
            ++step;
        }
    }
}

}  // namespace
