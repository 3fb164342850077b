#include "toolkit/render/DrawMemo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using SkinUI::CDrawMemo;
using SkinUI::SkinRect;
using SkinUI::PixelBuffer;

// A small surface with rows wider than its width, as a DIB's may be.
struct Surface {
    static constexpr int kWidth = 16, kHeight = 8, kStride = 20;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kStride * kHeight, 0xFF000000u);
    PixelBuffer view() { return {pixels.data(), kWidth, kHeight, kStride}; }
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * kStride + x]; }
    // A stand-in for a drawing: each pixel of the area depends on what was there.
    void draw(const SkinRect& area, std::uint32_t ink)
    {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) at(x, y) = (at(x, y) ^ ink) + 1;
    }
};

// Draws through the memo as the text path does: replayed or drawn and kept.
bool DrawKept(CDrawMemo& memo, Surface& surface, const SkinRect& area, const std::wstring& key, std::uint32_t ink,
              std::uint64_t slot = 1)
{
    if (memo.Replay(surface.view(), area, slot, key)) return true;
    memo.Before(surface.view(), area, slot, key);
    surface.draw(area, ink);
    memo.After(surface.view());
    return false;
}

// Replayed only for the same call over the same pixels, and then exactly
// what drawing would have left.
TEST(DrawMemoTest, ReplaysOnlyTheSameCallOverTheSamePixels)
{
    const SkinRect area = {2, 1, 10, 5};
    struct Case {
        const char* name;
        void (*change)(Surface&);  // between the kept drawing and the next one
        std::wstring key;
        SkinRect area;
        bool replayed;
    };
    const Case cases[] = {
        {"same", [](Surface&) {}, L"text", area, true},
        {"pixel under it changed", [](Surface& s) { s.at(9, 4) = 0xFF123456u; }, L"text", area, false},
        {"pixel beside it changed", [](Surface& s) { s.at(10, 4) = 0xFF123456u; }, L"text", area, true},
        {"other call", [](Surface&) {}, L"texT", area, false},
        {"other area", [](Surface&) {}, L"text", SkinRect{2, 1, 10, 6}, false},
    };
    Surface start;
    for (int i = 0; i < Surface::kWidth; ++i) start.at(i, i % Surface::kHeight) = 0xFF000000u | (i * 0x10204u);
    for (const Case& c : cases) {
        CDrawMemo memo;
        Surface first = start;
        EXPECT_FALSE(DrawKept(memo, first, area, L"text", 0x00AA00u)) << c.name << ": nothing kept yet";
        // A repaint: the pixels below are made again (here with the change),
        // then the call comes again; `plain` draws it without the memo.
        Surface kept = start;
        c.change(kept);
        Surface plain = kept;
        EXPECT_EQ(DrawKept(memo, kept, c.area, c.key, 0x00AA00u), c.replayed) << c.name;
        plain.draw(c.area, 0x00AA00u);
        EXPECT_EQ(kept.pixels, plain.pixels) << c.name << ": the pixels drawing leaves";
    }
}

// Areas outside the surface or larger than the memo keeps are drawn, never
// kept; the least recently used entry makes room for a new one.
TEST(DrawMemoTest, KeepsOnlyWhatFitsAndDropsTheLeastRecentlyUsed)
{
    CDrawMemo memo;
    Surface surface;
    for (const SkinRect& outside : {SkinRect{-1, 0, 4, 4}, SkinRect{0, 0, 17, 4}, SkinRect{4, 4, 4, 8}}) {
        memo.Before(surface.view(), outside, 1, L"x");
        memo.After(surface.view());
        EXPECT_EQ(memo.EntryCount(), 0u);
        EXPECT_FALSE(memo.Replay(surface.view(), outside, 1, L"x"));
    }
    for (std::size_t i = 0; i < CDrawMemo::kMaxEntries; ++i)
        DrawKept(memo, surface, {0, 0, 1, 1}, L"k" + std::to_wstring(i), 1, 100 + i);
    ASSERT_EQ(memo.EntryCount(), CDrawMemo::kMaxEntries);
    // k0 is used again: k1 is now the oldest and goes for a new one.
    surface.pixels.assign(surface.pixels.size(), 0xFF000000u);
    EXPECT_TRUE(DrawKept(memo, surface, {0, 0, 1, 1}, L"k0", 1, 100));
    surface.pixels.assign(surface.pixels.size(), 0xFF000000u);
    DrawKept(memo, surface, {0, 0, 1, 1}, L"new", 1, 200);
    EXPECT_EQ(memo.EntryCount(), CDrawMemo::kMaxEntries);
    surface.pixels.assign(surface.pixels.size(), 0xFF000000u);
    EXPECT_TRUE(DrawKept(memo, surface, {0, 0, 1, 1}, L"k0", 1, 100));
    surface.pixels.assign(surface.pixels.size(), 0xFF000000u);
    EXPECT_FALSE(DrawKept(memo, surface, {0, 0, 1, 1}, L"k1", 1, 101)) << "dropped";
}

// A site that draws something new each time (a moving progress bar) keeps
// its last drawing only: the other sites' drawings stay replayable.
TEST(DrawMemoTest, ASiteThatDrawsSomethingNewEachTimeTakesOneEntry)
{
    CDrawMemo memo;
    const Surface start;
    Surface surface = start;
    DrawKept(memo, surface, {0, 0, 4, 2}, L"steady", 3, 1);
    for (int step = 0; step < 40; ++step) {
        surface = start;
        DrawKept(memo, surface, {0, 4, 2 + step % 10, 6}, L"step " + std::to_wstring(step), 5, 2);
    }
    EXPECT_EQ(memo.EntryCount(), 2u);
    surface = start;
    EXPECT_TRUE(DrawKept(memo, surface, {0, 0, 4, 2}, L"steady", 3, 1));
    surface = start;
    EXPECT_TRUE(DrawKept(memo, surface, {0, 4, 2 + 39 % 10, 6}, L"step 39", 5, 2)) << "its last drawing";
}

// A bottom-up DIB: row 0 is the last in memory, the stride negative.
TEST(DrawMemoTest, RowsRunningUpwardsInMemoryAreKeptToo)
{
    const SkinRect area = {1, 0, 5, 3};
    auto upwards = [](Surface& s) {
        return PixelBuffer{s.pixels.data() + (Surface::kHeight - 1) * Surface::kStride, Surface::kWidth,
                           Surface::kHeight, -Surface::kStride};
    };
    CDrawMemo memo;
    Surface first;
    first.at(2, Surface::kHeight - 1) = 0xFF445566u;  // row 0 seen upwards
    const Surface start = first;
    memo.Before(upwards(first), area, 1, L"x");
    for (int x = area.left; x < area.right; ++x) first.at(x, Surface::kHeight - 1) += 3;  // "draws" row 0
    memo.After(upwards(first));
    Surface again = start;
    ASSERT_TRUE(memo.Replay(upwards(again), area, 1, L"x"));
    EXPECT_EQ(again.pixels, first.pixels);
}

// A Before without its After (the drawing threw) leaves nothing to replay.
TEST(DrawMemoTest, AnUnfinishedDrawingIsNotReplayed)
{
    CDrawMemo memo;
    Surface surface;
    const SkinRect area = {0, 0, 4, 4};
    memo.Before(surface.view(), area, 1, L"x");
    surface.draw(area, 7);
    Surface again;
    EXPECT_FALSE(memo.Replay(again.view(), area, 1, L"x"));
}

}  // namespace
