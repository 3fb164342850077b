#include "toolkit/core/UiStringMap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

namespace {

using SkinUI::CUiStringMap;

void* P(int n)
{
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(n * 16 + 16));
}

TEST(UiStringMapTest, InsertKeepsTheFirstAndSetReplaces)
{
    CUiStringMap map;
    EXPECT_TRUE(map.Insert(L"Button", P(1)));
    EXPECT_FALSE(map.Insert(L"Button", P(2)));
    EXPECT_EQ(map.Find(L"Button"), P(1));
    EXPECT_EQ(map.Set(L"Button", P(3)), P(1));
    EXPECT_EQ(map.Find(L"Button"), P(3));
    EXPECT_EQ(map.Set(L"Label", P(4)), nullptr);
    EXPECT_EQ(map.Count(), 2);
    EXPECT_EQ(map.Find(L"button"), nullptr);  // names compare exactly
    EXPECT_TRUE(map.Remove(L"Button"));
    EXPECT_FALSE(map.Remove(L"Button"));
    EXPECT_EQ(map.Find(L"Button"), nullptr);
    EXPECT_EQ(map.Count(), 1);
}

// One bucket: every key shares a chain, which hits reorder.
TEST(UiStringMapTest, ChainsStayIntactWhenHitsMoveToTheFront)
{
    CUiStringMap map(1);
    const std::wstring longKey(100, L'k');
    const std::wstring keys[] = {L"a", L"b", L"c", longKey, L""};
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(map.Insert(keys[i], P(i)));
    for (int round = 0; round < 3; ++round)
        for (int i = 4; i >= 0; --i) EXPECT_EQ(map.Find(keys[i]), P(i));
    EXPECT_TRUE(map.Remove(L"c"));
    std::map<std::wstring, void*> seen;
    map.ForEach([&](std::wstring_view key, void* value) { seen[std::wstring(key)] = value; });
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[L"a"], P(0));
    EXPECT_EQ(seen[longKey], P(3));
    EXPECT_EQ(seen.count(L"c"), 0u);
    map.RemoveAll();
    EXPECT_EQ(map.Count(), 0);
    EXPECT_EQ(map.Find(L"a"), nullptr);
}

TEST(UiStringMapTest, ZeroBucketsStillWork)
{
    CUiStringMap map(0);
    EXPECT_TRUE(map.Insert(L"x", P(1)));
    EXPECT_EQ(map.Find(L"x"), P(1));
}

}  // namespace
