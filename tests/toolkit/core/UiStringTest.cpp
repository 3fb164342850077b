#include "toolkit/core/UiString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using SkinUI::CUiString;

TEST(UiStringTest, KeepsTextsUpTo63CharactersInside)
{
    const std::wstring inlineText(63, L'a');
    const std::wstring heapText(64, L'b');
    CUiString a(inlineText);
    CUiString b(heapText);
    EXPECT_TRUE(a.IsInline());
    EXPECT_FALSE(b.IsInline());
    EXPECT_EQ(a.View(), inlineText);
    EXPECT_EQ(b.View(), heapText);
    EXPECT_EQ(b.Data()[64], L'\0');

    // Growing across the boundary keeps the text.
    CUiString grown(inlineText);
    grown += L'c';
    EXPECT_FALSE(grown.IsInline());
    EXPECT_EQ(grown.View(), inlineText + L"c");
}

TEST(UiStringTest, AssignAndAppendFromItsOwnText)
{
    for (std::size_t length : {10u, 63u, 200u}) {
        const std::wstring text(length, L'x');
        CUiString s(text + L"tail");
        s.Append(s.View());  // the source moves when the buffer grows
        EXPECT_EQ(s.View(), text + L"tail" + text + L"tail") << length;
        s.Assign(s.View().substr(length));
        EXPECT_EQ(s.View(), L"tail" + text + L"tail") << length;
    }
}

TEST(UiStringTest, CopiesAndMovesAreIndependent)
{
    CUiString longText(std::wstring(100, L'z'));
    CUiString copy(longText);
    copy.Assign(L"short");
    EXPECT_EQ(longText.View(), std::wstring(100, L'z'));

    CUiString moved(std::move(longText));
    EXPECT_EQ(moved.View(), std::wstring(100, L'z'));
    EXPECT_TRUE(longText.IsEmpty());
    longText = L"reused";  // a moved-from string is usable
    EXPECT_EQ(longText.View(), L"reused");

    CUiString small(L"abc");
    CUiString target(std::wstring(80, L'q'));
    target = std::move(small);
    EXPECT_EQ(target.View(), L"abc");
}

TEST(UiStringTest, ComparesWithAsciiCaseFolding)
{
    EXPECT_EQ(CUiString(L"ButtonUI").CompareNoCase(L"buttonui"), 0);
    EXPECT_LT(CUiString(L"abc").CompareNoCase(L"ABD"), 0);
    EXPECT_GT(CUiString(L"abcd").CompareNoCase(L"ABC"), 0);
    // Only ASCII letters fold.
    EXPECT_NE(CUiString(L"\u00C4").CompareNoCase(L"\u00E4"), 0);
    EXPECT_EQ(CUiString(L"a").Compare(L"a"), 0);
    EXPECT_NE(CUiString(L"a").Compare(L"A"), 0);
}

TEST(UiStringTest, ReplacesEveryOccurrence)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* from;
        const wchar_t* to;
        const wchar_t* expected;
        int count;
    } cases[] = {
        {L"one<n>two<n>three", L"<n>", L"\r\n", L"one\r\ntwo\r\nthree", 2},
        {L"aaa", L"a", L"aa", L"aaaaaa", 3},  // the replacement is not searched again
        {L"none", L"<n>", L"\r\n", L"none", 0},
        {L"<n><n>", L"<n>", L"", L"", 2},
    };
    for (const Case& c : cases) {
        CUiString s(c.text);
        EXPECT_EQ(s.Replace(c.from, c.to), c.count) << c.text;
        EXPECT_EQ(s.View(), c.expected) << c.text;
    }
}

TEST(UiStringTest, FormatsIntegersAndLongTexts)
{
    EXPECT_EQ(CUiString::Format(L"dest='%d,%d,%d,%d'", 0, 0, 265, -13).View(), L"dest='0,0,265,-13'");
    const std::wstring longText(500, L'w');
    EXPECT_EQ(CUiString::Format(L"<%ls>", longText.c_str()).View(), L"<" + longText + L">");
}

TEST(UiStringTest, FindsAndCutsWithinBounds)
{
    const CUiString s(L"file='a.png'");
    EXPECT_EQ(s.Find(L'\''), 5u);
    EXPECT_EQ(s.Find(L"png"), 8u);
    EXPECT_EQ(s.Find(L"gif"), CUiString::npos);
    EXPECT_EQ(s.Mid(6, 5).View(), L"a.png");
    EXPECT_EQ(s.Mid(100).View(), L"");
    EXPECT_EQ(s.Mid(6).View(), L"a.png'");
    EXPECT_EQ(s.At(100), L'\0');
}

}  // namespace
