#include "GameLoader/Common/TextConvert.h"

#include <gtest/gtest.h>

namespace {

class TextConvertTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::GetACP(), 936u) << "run with LANG=zh_CN.UTF-8"; }
};

TEST_F(TextConvertTest, ConvertsChineseBothWaysInCodePage936)
{
    const std::wstring wide = L"D:\\\x6E38\x620F\\vrk";  // D:\游戏\vrk
    const std::string ansi = "D:\\\xD3\xCE\xCF\xB7\\vrk";
    EXPECT_EQ(WideToMultiByte(wide, CP_ACP), ansi);
    EXPECT_EQ(AnsiToWide(ansi), wide);
    EXPECT_EQ(WideToMultiByte(wide, CP_UTF8), "D:\\\xE6\xB8\xB8\xE6\x88\x8F\\vrk");
}

TEST_F(TextConvertTest, EmptyAndUnrepresentableText)
{
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(WideToMultiByte(L"", CP_ACP), "");
    EXPECT_EQ(WideToMultiByte(L"a\x0E01" L"b", CP_ACP), "a?b");  // Thai is not in code page 936
}

// The conversions switch from a stack to a heap buffer at 260 characters;
// the switch must not show in the result.
TEST_F(TextConvertTest, LengthsAroundTheBufferSizeConvertAlike)
{
    for (std::size_t length : {1u, 129u, 130u, 258u, 259u, 260u, 261u, 519u, 520u, 4000u}) {
        std::wstring ascii(length, L'x');
        EXPECT_EQ(AnsiToWide(WideToMultiByte(ascii, CP_ACP)), ascii) << length;
        EXPECT_EQ(WideToMultiByte(ascii, CP_ACP).size(), length);

        std::wstring chinese(length, L'\x4E2D');  // two bytes each in 936, three in UTF-8
        const std::string ansi = WideToMultiByte(chinese, CP_ACP);
        ASSERT_EQ(ansi.size(), 2 * length) << length;
        EXPECT_EQ(AnsiToWide(ansi), chinese) << length;
        EXPECT_EQ(WideToMultiByte(chinese, CP_UTF8).size(), 3 * length);
    }
}

TEST_F(TextConvertTest, StopsAtAnEmbeddedNul)
{
    EXPECT_EQ(AnsiToWide(std::string("ab\0cd", 5)), L"ab");
    EXPECT_EQ(WideToMultiByte(std::wstring(L"ab\0cd", 5), CP_ACP), "ab");
}

}  // namespace
