#include "toolkit/core/UiNameMap.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using SkinUI::CUiNameMap;
using SkinUI::CUiString;

// Counts the values alive, so that ownership is seen from outside.
struct Counted {
    explicit Counted(int& alive, int value) : alive(alive), value(value) { ++alive; }
    ~Counted() { --alive; }
    int& alive;
    int value;
};

TEST(UiNameMapTest, OwnsItsValuesAndTheFirstInsertWins)
{
    int alive = 0;
    {
        CUiNameMap<std::unique_ptr<Counted>> map;
        EXPECT_TRUE(map.Insert(L"a.png", std::make_unique<Counted>(alive, 1)));
        EXPECT_FALSE(map.Insert(L"a.png", std::make_unique<Counted>(alive, 2)));  // the second one goes
        EXPECT_EQ(alive, 1);
        ASSERT_NE(map.Find(L"a.png"), nullptr);
        EXPECT_EQ((*map.Find(L"a.png"))->value, 1);
        map.Set(L"a.png", std::make_unique<Counted>(alive, 3));  // replaces, and the old value goes
        EXPECT_EQ(alive, 1);
        EXPECT_EQ((*map.Find(L"a.png"))->value, 3);
        map.Insert(L"b.png", std::make_unique<Counted>(alive, 4));
        EXPECT_EQ(map.Find(L"A.png"), nullptr);  // keys compare exactly
        EXPECT_TRUE(map.Remove(L"b.png"));
        EXPECT_FALSE(map.Remove(L"b.png"));
        EXPECT_EQ(alive, 1);
        EXPECT_EQ(map.Count(), 1);
        map.Insert(L"c.png", std::make_unique<Counted>(alive, 5));
    }
    EXPECT_EQ(alive, 0);  // the map's end takes its values
}

// One bucket: every key shares a chain, which hits reorder.
TEST(UiNameMapTest, ChainsStayWholeWhenHitsMoveToTheFront)
{
    CUiNameMap<CUiString> map(1);
    const std::wstring longKey(100, L'k');
    const std::vector<std::wstring> keys = {L"a", L"b", L"c", longKey, L""};
    for (const std::wstring& key : keys) EXPECT_TRUE(map.Insert(key, CUiString(L"value " + key)));
    // Hits in an order that moves each one (first, middle, last) to the front.
    for (const wchar_t* key : {L"", L"b", L"a", L"c", L"", L"a"})
        ASSERT_NE(map.Find(key), nullptr) << static_cast<const void*>(key);
    for (const std::wstring& key : keys) {
        const CUiString* value = map.Find(key);
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->View(), L"value " + key);
    }
    EXPECT_TRUE(map.Remove(L"c"));
    EXPECT_EQ(map.Find(L"c"), nullptr);
    EXPECT_NE(map.Find(longKey), nullptr);
    int visited = 0;
    map.ForEach([&visited](std::wstring_view, const CUiString&) { ++visited; });
    EXPECT_EQ(visited, 4);
    EXPECT_EQ(map.Count(), 4);
}

}  // namespace
