#include "toolkit/core/SkinValue.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using namespace SkinUI;

TEST(SkinValueTest, IntegersUseLeadingNumberSemantics)
{
    struct Case {
        const wchar_t* text;
        int expected;
    } cases[] = {
        {L"12", 12},        {L"12px", 12},   {L"  -7", -7},          {L"+5", 5},
        {L"", 0},           {L"abc", 0},     {L"2147483647", INT_MAX}, {L"99999999999", INT_MAX},
        {L"-99999999999", INT_MIN}, {L"0x10", 0}, {L"- 3", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseSkinInt(c.text), c.expected) << c.text;
}

TEST(SkinValueTest, ListsTakeOneSeparatorOfAnyKind)
{
    struct Case {
        const wchar_t* text;
        SkinRect expected;
    } cases[] = {
        {L"0,0,0,340", {0, 0, 0, 340}},
        {L"1;2x3|4", {1, 2, 3, 4}},
        {L"1, 2,3,4", {1, 2, 3, 4}},     // white space before a number is the number's own
        {L"1,,3,4", {1, 0, 3, 4}},       // an empty number reads 0
        {L"5,6", {5, 6, 0, 0}},          // the text ends: missing numbers are 0
        {L"", {0, 0, 0, 0}},
        {L"-1,-2,-3,-4", {-1, -2, -3, -4}},
    };
    for (const Case& c : cases) {
        const SkinRect r = ParseSkinRect(c.text);
        EXPECT_EQ(r.left, c.expected.left) << c.text;
        EXPECT_EQ(r.top, c.expected.top) << c.text;
        EXPECT_EQ(r.right, c.expected.right) << c.text;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.text;
    }
    const SkinSize size = ParseSkinSize(L"960,620");
    EXPECT_EQ(size.cx, 960);
    EXPECT_EQ(size.cy, 620);
    const SkinPoint point = ParseSkinPoint(L"7");
    EXPECT_EQ(point.x, 7);
    EXPECT_EQ(point.y, 0);
}

TEST(SkinValueTest, ColoursAreHexWithAlphaOnTop)
{
    struct Case {
        const wchar_t* text;
        std::uint32_t expected;
    } cases[] = {
        {L"#FFFFFFFF", 0xFFFFFFFFu}, {L"#444444", 0x00444444u}, {L"FF112233", 0xFF112233u},
        {L"#ff0000ff", 0xFF0000FFu}, {L"#", 0u},                {L"", 0u},
        {L"#0x10", 0x10u},           {L"#FFFFFFFFF", 0xFFFFFFFFu}, {L"#12zz", 0x12u},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseSkinColour(c.text), c.expected) << c.text;
}

TEST(SkinValueTest, OnlyExactTrueIsTrue)
{
    EXPECT_TRUE(ParseSkinBool(L"true"));
    for (const wchar_t* text : {L"True", L"TRUE", L"1", L"true ", L"", L"yes"}) EXPECT_FALSE(ParseSkinBool(text)) << text;
}

}  // namespace
