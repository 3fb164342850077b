#include "GameLoader/GameLoader/LaunchCommand.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include "GameLoader/Common/TextReplace.h"

namespace {

// Stands in for the ANSI code page: one byte per character below 256.
LaunchTextCodec Latin1Codec()
{
    return {[](const std::wstring& w) {
                std::string s;
                for (wchar_t c : w) s += c < 256 ? static_cast<char>(c) : '?';
                return s;
            },
            [](const std::string& s) {
                std::wstring w;
                for (char c : s) w += static_cast<wchar_t>(static_cast<unsigned char>(c));
                return w;
            }};
}

std::wstring Build(const std::vector<std::wstring>& tokens, std::vector<std::wstring>* seen = nullptr)
{
    return BuildLaunchCommand(tokens, Latin1Codec(), [&](std::size_t index, const std::wstring& token) {
        if (seen) seen->push_back(std::to_wstring(index) + L":" + token);
    });
}

TEST(LaunchCommandTest, OneOrTwoTokensGiveTheRawArgument)
{
    struct Case {
        std::vector<std::wstring> tokens;
        const wchar_t* expected;
    } cases[] = {
        {{L"C:\\Games\\vrk_main.exe"}, L"C:\\Games\\vrk_main.exe"},
        {{L"vrk_main.exe", L"{\"type\":1}"}, L"{\"type\":1}"},
        {{L"vrk_main.exe", L"{type:1}"}, L"{type:1}"},
        {{L"vrk_main.exe", L"--token=abc"}, L"--token=abc"},
        {{L"vrk_main.exe", L""}, L""},
        {{L"vrk_main.exe", L"--installed=1"}, L"{\"installed\":\"1\"}\n"},
        {{L"vrk_main.exe", L"x--installed=2--token=t"}, L"{\"installed\":\"2--token=t\"}\n"},
        {{L"--installed="}, L"{\"installed\":\"\"}\n"},
        {{}, L""},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> seen;
        EXPECT_EQ(Build(c.tokens, &seen), c.expected);
        EXPECT_TRUE(seen.empty()) << "no per-token lines in the one-argument form";
    }
}

TEST(LaunchCommandTest, ListFormMatchesTheFirstKeyInFixedOrder)
{
    struct Case {
        std::vector<std::wstring> tokens;
        const wchar_t* expected;
    } cases[] = {
        {{L"p", L"--token=a", L"--token=b"}, L"{\"token\":\"b\"}\n"},
        {{L"p", L"--token=", L"x"}, L"{\"token\":\"\"}\n"},
        {{L"p", L"--tokenLogin=1", L"x"}, L"{\"tokenLogin\":\"1\"}\n"},
        {{L"p", L"--source=--winid=7", L"x"}, L"{\"winid\":\"7\"}\n"},
        {{L"p", L"a", L"b"}, L"null\n"},
        {{L"p", L"prefix--qxext=v=w", L"x"}, L"{\"qxext\":\"v=w\"}\n"},
        {{L"--winid=1", L"x", L"y"}, L"{\"winid\":\"1\"}\n"},  // the program path is a token too
        {{L"p", L"--installed=1", L"--typeMode=1", L"--gameMgrId=99"},
         L"{\"gameMgrId\":\"99\",\"installed\":\"1\",\"typeMode\":\"1\"}\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Build(c.tokens), c.expected);
}

TEST(LaunchCommandTest, ListFormReportsEveryTokenWithItsIndex)
{
    std::vector<std::wstring> seen;
    Build({L"C:\\vrk_main.exe", L"--winid=5", L"junk"}, &seen);
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"0:C:\\vrk_main.exe", L"1:--winid=5", L"2:junk"}));
}

TEST(LaunchCommandTest, AllTenKeysRoundTripThroughTheJsonReader)
{
    const std::wstring text = Build({L"vrk_main.exe", L"--winid=1234", L"--source=QX", L"--tokenLogin=0",
                                     L"--token=t0k", L"--qxext=e \"q\"", L"--installed=1", L"--gameMgrId=5678",
                                     L"--typeMode=1", L"--instGamePath=D:\\Games\\vrk", L"--cacheGamePath=E:/c"});
    const std::string narrow = Latin1Codec().narrow(text);
    Json::Value root;
    ASSERT_TRUE(Json::Reader().parse(narrow, root));
    EXPECT_EQ(root.size(), 10u);
    EXPECT_EQ(root["winid"].asString(), "1234");
    EXPECT_EQ(root["source"].asString(), "QX");
    EXPECT_EQ(root["tokenLogin"].asString(), "0");
    EXPECT_EQ(root["token"].asString(), "t0k");
    EXPECT_EQ(root["qxext"].asString(), "e \"q\"");
    EXPECT_EQ(root["installed"].asString(), "1");
    EXPECT_EQ(root["gameMgrId"].asString(), "5678");
    EXPECT_EQ(root["typeMode"].asString(), "1");
    EXPECT_EQ(root["instGamePath"].asString(), "D:\\Games\\vrk");
    EXPECT_EQ(root["cacheGamePath"].asString(), "E:/c");
}

TEST(CompactJsonTest, MatchesTheCompactWriterOnAsciiText)
{
    Json::Value object;
    object["winid"] = "1";
    object["path"] = "C:\\a \"b\"\t/c";
    Json::Value emptyObject(Json::objectValue);
    for (const Json::Value& v : {Json::Value(), object, emptyObject})
        EXPECT_EQ(WriteCompactJson(v), Json::FastWriter().write(v));
}

TEST(CompactJsonTest, KeepsDoubleByteTextByteForByte)
{
    // Code page 936 text whose trail byte is a backslash ("\x95\x5c") and a
    // plain Chinese path: both must read back unchanged.
    const std::string gbk = "D:\\\xD3\xCE\xCF\xB7\\\x95\x5c";
    Json::Value root;
    root["instGamePath"] = gbk;
    const std::string text = WriteCompactJson(root);
    EXPECT_EQ(text.find("\\u"), std::string::npos) << text;
    Json::Value back;
    ASSERT_TRUE(Json::Reader().parse(text, back));
    EXPECT_EQ(back["instGamePath"].asString(), gbk);
}

TEST(ReplaceAllTest, ReplacesWithoutRescanningInsertedText)
{
    struct Case {
        std::wstring text;
        const wchar_t* find;
        const wchar_t* with;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\Games\\vrk", L"/", L"\\", L"C:\\Games\\vrk"},
        {L"D:/a//b", L"/", L"\\", L"D:\\a\\\\b"},
        {L"aaa", L"a", L"aa", L"aaaaaa"},
        {L"abab", L"ab", L"", L""},
        {L"", L"/", L"\\", L""},
        {L"x", L"", L"y", L"x"},
    };
    for (Case& c : cases) {
        ReplaceAll(c.text, c.find, c.with);
        EXPECT_EQ(c.text, c.expected);
    }
}

}  // namespace
