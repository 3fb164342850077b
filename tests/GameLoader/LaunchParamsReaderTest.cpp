#include "GameLoader/GameLoader/LaunchParamsReader.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

// Stands in for the ANSI code page: one byte per character.
std::wstring Widen(const std::string& s)
{
    std::wstring w;
    for (char c : s) w += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return w;
}

struct ReadOutcome {
    LaunchJsonResult result;
    LaunchParams params;
    std::vector<std::wstring> savedWinIds;
};

ReadOutcome Read(const std::string& json, LaunchParams start = {})
{
    ReadOutcome outcome{LaunchJsonResult::NotJson, std::move(start), {}};
    const LaunchJsonCallbacks callbacks{Widen, [&](const std::wstring& winid) { outcome.savedWinIds.push_back(winid); }};
    outcome.result = ReadLaunchParams(json, callbacks, outcome.params);
    return outcome;
}

bool SameParams(const LaunchParams& a, const LaunchParams& b)
{
    return a.winid == b.winid && a.source == b.source && a.tokenLogin == b.tokenLogin && a.token == b.token &&
           a.qxext == b.qxext && a.m_nGameInstalled == b.m_nGameInstalled && a.gameMgrId == b.gameMgrId &&
           a.typeMode == b.typeMode && a.instGamePath == b.instGamePath && a.cacheGamePath == b.cacheGamePath;
}

TEST(LaunchParamsReaderTest, TakesEveryStringMemberOfAPlatformCommand)
{
    const ReadOutcome outcome = Read(
        R"({"cacheGamePath":"D:\\c","gameMgrId":"5678","installed":"1","instGamePath":"D:\\Games\\vrk",)"
        R"("qxext":"ext","source":"QX","token":"t0k","tokenLogin":"0","typeMode":"1","winid":"1234"})"
        "\n");
    EXPECT_EQ(outcome.result, LaunchJsonResult::Taken);
    LaunchParams expected;
    expected.winid = L"1234";
    expected.source = L"QX";
    expected.tokenLogin = L"0";
    expected.token = L"t0k";
    expected.qxext = L"ext";
    expected.m_nGameInstalled = 1;
    expected.gameMgrId = L"5678";
    expected.typeMode = L"1";
    expected.instGamePath = L"D:\\Games\\vrk";
    expected.cacheGamePath = L"D:\\c";
    EXPECT_TRUE(SameParams(outcome.params, expected));
    EXPECT_EQ(outcome.savedWinIds, std::vector<std::wstring>{L"1234"});
}

TEST(LaunchParamsReaderTest, OnlyStringMembersOfExactKeysAreTaken)
{
    struct Case {
        const char* json;
        LaunchJsonResult result;
        const wchar_t* token;   // expected token (start value "old")
        int installed;          // expected m_nGameInstalled (start value 7)
        const wchar_t* winid;   // expected winid (start value "w0")
        std::size_t winIdSaves;
    } cases[] = {
        {"null\n", LaunchJsonResult::Taken, L"old", 7, L"w0", 0},
        {"{}", LaunchJsonResult::Taken, L"old", 7, L"w0", 0},
        {R"({"installed":1})", LaunchJsonResult::Taken, L"old", 7, L"w0", 0},
        {R"({"installed":"1"})", LaunchJsonResult::Taken, L"old", 1, L"w0", 0},
        {R"({"installed":"2abc"})", LaunchJsonResult::Taken, L"old", 2, L"w0", 0},
        {R"({"installed":"abc"})", LaunchJsonResult::Taken, L"old", 0, L"w0", 0},
        {R"({"installed":" -3"})", LaunchJsonResult::Taken, L"old", -3, L"w0", 0},
        {R"({"installed":""})", LaunchJsonResult::Taken, L"old", 0, L"w0", 0},
        {R"({"winid":"123"})", LaunchJsonResult::Taken, L"old", 7, L"123", 1},
        {R"({"winid":123})", LaunchJsonResult::Taken, L"old", 7, L"w0", 0},
        {R"({"winid":""})", LaunchJsonResult::Taken, L"old", 7, L"", 1},
        {R"({"Token":"x","TOKEN":"y"})", LaunchJsonResult::Taken, L"old", 7, L"w0", 0},
        {R"({"token":""})", LaunchJsonResult::Taken, L"", 7, L"w0", 0},
        {R"({"token":"a","token":"b"})", LaunchJsonResult::Taken, L"b", 7, L"w0", 0},
        {R"({"token":null,"winid":true,"installed":[1]})", LaunchJsonResult::Taken, L"old", 7, L"w0", 0},
        {R"({"token":{"token":"x"}})", LaunchJsonResult::Taken, L"old", 7, L"w0", 0},
        {"// platform\n{\"token\":\"c\"} /* end */", LaunchJsonResult::Taken, L"c", 7, L"w0", 0},
        {"[1]", LaunchJsonResult::Interrupted, L"old", 7, L"w0", 0},
        {"\"text\"", LaunchJsonResult::Interrupted, L"old", 7, L"w0", 0},
        {"42", LaunchJsonResult::Interrupted, L"old", 7, L"w0", 0},
        {"C:\\Games\\vrk_main.exe", LaunchJsonResult::NotJson, L"old", 7, L"w0", 0},
        {"{type:1}", LaunchJsonResult::NotJson, L"old", 7, L"w0", 0},
        {R"({"token":"a")", LaunchJsonResult::NotJson, L"old", 7, L"w0", 0},
        {"", LaunchJsonResult::NotJson, L"old", 7, L"w0", 0},
    };
    for (const Case& c : cases) {
        LaunchParams start;
        start.token = L"old";
        start.m_nGameInstalled = 7;
        start.winid = L"w0";
        const ReadOutcome outcome = Read(c.json, start);
        EXPECT_EQ(outcome.result, c.result) << c.json;
        EXPECT_EQ(outcome.params.token, c.token) << c.json;
        EXPECT_EQ(outcome.params.m_nGameInstalled, c.installed) << c.json;
        EXPECT_EQ(outcome.params.winid, c.winid) << c.json;
        EXPECT_EQ(outcome.savedWinIds.size(), c.winIdSaves) << c.json;
    }
}

TEST(LaunchParamsReaderTest, AnsiBytesReachTheCodecUnchanged)
{
    // "中文" in code page 936, as ParseCmdParam writes it into the JSON text.
    const ReadOutcome outcome = Read("{\"instGamePath\":\"D:\\\\\xD6\xD0\xCE\xC4\"}");
    EXPECT_EQ(outcome.params.instGamePath, Widen("D:\\\xD6\xD0\xCE\xC4"));
}

TEST(LaunchParamsReaderTest, LeadingIntFollowsTheCLibraryRulesWithoutOverflow)
{
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"1", 1},           {"2abc", 2},          {"abc", 0},          {" -3", -3},        {"\t\n+15x", 15},
        {"--1", 0},         {"- 1", 0},           {"", 0},             {"007", 7},         {"2147483647", INT_MAX},
        {"2147483648", INT_MAX}, {"99999999999999999999", INT_MAX}, {"-2147483648", INT_MIN},
        {"-99999999999999999999", INT_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseLeadingInt(c.text), c.value) << c.text;
}

}  // namespace
