#include "toolkit/core/UiPtrArray.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using SkinUI::CUiPtrArray;

void* P(std::size_t n)
{
    return reinterpret_cast<void*>(n * 16 + 16);
}

std::vector<void*> Items(const CUiPtrArray& a)
{
    std::vector<void*> items;
    for (int i = 0; i < a.Count(); ++i) items.push_back(a.At(i));
    return items;
}

TEST(UiPtrArrayTest, InsertsOnlyInsideOrAtTheEnd)
{
    CUiPtrArray a;
    EXPECT_FALSE(a.InsertAt(-1, P(0)));
    EXPECT_FALSE(a.InsertAt(1, P(0)));
    EXPECT_TRUE(a.InsertAt(0, P(1)));
    EXPECT_TRUE(a.InsertAt(1, P(3)));  // equal to the count: appends
    EXPECT_TRUE(a.InsertAt(1, P(2)));
    EXPECT_TRUE(a.InsertAt(0, P(0)));
    EXPECT_EQ(Items(a), (std::vector<void*>{P(0), P(1), P(2), P(3)}));
    EXPECT_EQ(a.At(4), nullptr);
    EXPECT_EQ(a.At(-1), nullptr);
}

TEST(UiPtrArrayTest, RemovesValidRangesOnly)
{
    CUiPtrArray a;
    for (std::size_t i = 0; i < 5; ++i) a.Add(P(i));
    EXPECT_FALSE(a.Remove(-1));
    EXPECT_FALSE(a.Remove(5));
    EXPECT_FALSE(a.Remove(3, 3));  // runs past the end
    EXPECT_FALSE(a.Remove(0, 0));
    EXPECT_EQ(a.Count(), 5);
    EXPECT_TRUE(a.Remove(1, 2));
    EXPECT_EQ(Items(a), (std::vector<void*>{P(0), P(3), P(4)}));
    EXPECT_TRUE(a.Remove(2));
    EXPECT_EQ(Items(a), (std::vector<void*>{P(0), P(3)}));
}

TEST(UiPtrArrayTest, GrowsAndFinds)
{
    CUiPtrArray a;
    for (std::size_t i = 0; i < 1000; ++i) a.Add(P(i));
    EXPECT_EQ(a.Count(), 1000);
    EXPECT_EQ(a.Find(P(0)), 0);
    EXPECT_EQ(a.Find(P(999)), 999);
    EXPECT_EQ(a.Find(P(5000)), -1);
    EXPECT_TRUE(a.SetAt(10, P(4000)));
    EXPECT_FALSE(a.SetAt(1000, P(1)));
    EXPECT_EQ(a.Find(P(4000)), 10);

    CUiPtrArray copy(a);
    copy.Remove(0, 500);
    EXPECT_EQ(a.Count(), 1000);
    EXPECT_EQ(copy.Count(), 500);
    copy = a;
    EXPECT_EQ(Items(copy), Items(a));
}

}  // namespace
