#include "toolkit/layout/RowArithmetic.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

using namespace SkinUI;

// A child of the table: the width it asks for (0: share the rest) and its
// limits along and across the row.
struct Child {
    int width = 0;
    SkinRect padding{};
    int minWidth = 0;
    int maxWidth = 9999;
    int fixedHeight = 0;
};

struct Row {
    std::vector<Child> children;
    std::vector<SkinSize> offered;  // what each measure call offered, in order
};

SkinSize MeasureFromTable(void* context, int index, SkinSize available)
{
    auto* row = static_cast<Row*>(context);
    row->offered.push_back(available);
    return {row->children[static_cast<std::size_t>(index)].width, 0};
}

std::vector<SkinRect> Arrange(Row& row, SkinRect content, int childPadding)
{
    std::vector<RowChild> described;
    for (const Child& c : row.children) {
        RowChild d;
        d.padding = c.padding;
        d.minWidth = c.minWidth;
        d.maxWidth = c.maxWidth;
        d.fixedHeight = c.fixedHeight;
        described.push_back(d);
    }
    std::vector<SkinRect> placed(described.size());
    ArrangeRow(described.data(), static_cast<int>(described.size()), MeasureFromTable, &row, content, childPadding,
               placed.data());
    return placed;
}

struct Case {
    const char* name;
    std::vector<Child> children;
    SkinRect content;
    int childPadding;
    std::vector<SkinRect> expected;
};

TEST(RowArithmeticTest, PlacesChildrenAsTheLayoutsSpecify)
{
    const Case cases[] = {
        // The notice box's message row: two 10-pixel spacers, the label takes the rest.
        {"message row", {{10}, {0}, {10}}, {0, 0, 440, 28}, 0, {{0, 0, 10, 28}, {10, 0, 430, 28}, {430, 0, 440, 28}}},
        // The notice box's rows seen along the column: 134, 28 and what is left of 260.
        {"notice rows", {{134}, {28}, {0}}, {0, 0, 260, 440}, 0,
         {{0, 0, 134, 440}, {134, 0, 162, 440}, {162, 0, 260, 440}}},
        // Three adjustables share 100: 33 each, the last pixel stays empty.
        {"remainder kept", {{0}, {0}, {0}}, {0, 0, 100, 10}, 0, {{0, 0, 33, 10}, {33, 0, 66, 10}, {66, 0, 99, 10}}},
        // Fixed sizes beyond the space leave adjustables nothing.
        {"no room", {{80}, {0}, {40}}, {0, 0, 100, 10}, 0, {{0, 0, 80, 10}, {80, 0, 80, 10}, {80, 0, 120, 10}}},
        // A measured width above the maximum is clamped, and below the minimum raised.
        {"limits", {{50, {}, 0, 20}, {5, {}, 15}}, {0, 0, 100, 10}, 0, {{0, 0, 20, 10}, {20, 0, 35, 10}}},
        // Paddings and child padding count against the shared space.
        {"paddings", {{0, {2, 1, 3, 1}}, {0}}, {10, 0, 110, 20}, 5, {{12, 1, 57, 19}, {65, 0, 110, 20}}},
        // A fixed cross size wins over filling the row.
        {"cross size", {{30, {}, 0, 9999, 12}}, {0, 0, 100, 40}, 0, {{0, 0, 30, 12}}},
    };
    for (const Case& c : cases) {
        Row row{c.children, {}};
        const std::vector<SkinRect> placed = Arrange(row, c.content, c.childPadding);
        ASSERT_EQ(placed.size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < placed.size(); ++i) {
            EXPECT_EQ(placed[i].left, c.expected[i].left) << c.name << " child " << i;
            EXPECT_EQ(placed[i].top, c.expected[i].top) << c.name << " child " << i;
            EXPECT_EQ(placed[i].right, c.expected[i].right) << c.name << " child " << i;
            EXPECT_EQ(placed[i].bottom, c.expected[i].bottom) << c.name << " child " << i;
        }
    }
}

TEST(RowArithmeticTest, SecondMeasureIsOfferedWhatIsLeft)
{
    Row row{{{30, {4, 0, 6, 0}}, {0}}, {}};
    Arrange(row, {0, 0, 100, 10}, 2);
    // First pass: the whole row to each; second pass: what the earlier
    // children, their paddings and the child padding left.
    ASSERT_EQ(row.offered.size(), 4u);
    EXPECT_EQ(row.offered[0].cx, 100);
    EXPECT_EQ(row.offered[1].cx, 100);
    EXPECT_EQ(row.offered[2].cx, 96);
    EXPECT_EQ(row.offered[3].cx, 100 - 4 - 30 - 6 - 2);
}

TEST(RowArithmeticTest, ExtremeSizesClampInsteadOfOverflowing)
{
    // Sums of these overflow 32 bits; every edge stays within int and in order.
    Row row{{{INT_MAX, {INT_MAX, 0, INT_MAX, 0}, 0, INT_MAX}, {0, {INT_MIN, INT_MIN, 0, 0}}, {INT_MAX, {}, 0, INT_MAX}},
            {}};
    const std::vector<SkinRect> placed = Arrange(row, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, INT_MAX);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[0].left, -1);  // INT_MIN + INT_MAX of padding
    EXPECT_EQ(placed[0].right, INT_MAX - 1);
    EXPECT_EQ(placed[0].top, INT_MIN);
    EXPECT_EQ(placed[0].bottom, INT_MIN + 9999);  // the default maximum height
    // Past the end of int the edges stay at its limit, in order; the
    // adjustable child gets nothing, its top padding clamps at INT_MIN.
    EXPECT_EQ(placed[1].left, INT_MAX);
    EXPECT_EQ(placed[1].right, INT_MAX);
    EXPECT_EQ(placed[1].top, INT_MIN);
    EXPECT_EQ(placed[2].left, INT_MAX);
    EXPECT_EQ(placed[2].right, INT_MAX);
}

}  // namespace
