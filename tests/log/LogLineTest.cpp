#include "log/LogLine.h"

#include <gtest/gtest.h>

#include "log/FunctionName.h"
#include "log/LogMask.h"

namespace {

using vrklog::LogTime;

TEST(LogLineTest, TimestampPadsMillisecondsWithSpacesAndDateWithZeros)
{
    struct Case {
        LogTime time;
        const char* expected;
    } cases[] = {
        {{2024, 5, 6, 9, 3, 7, 7}, "2024-05-06 09:03:07.  7"},
        {{2024, 5, 6, 9, 3, 7, 45}, "2024-05-06 09:03:07. 45"},
        {{2024, 12, 31, 23, 59, 59, 999}, "2024-12-31 23:59:59.999"},
        {{2026, 1, 1, 0, 0, 0, 0}, "2026-01-01 00:00:00.  0"},
    };
    for (const Case& c : cases) EXPECT_EQ(vrklog::FormatLogTimestamp(c.time), c.expected);
}

TEST(LogLineTest, DailyFileNameHasNoLeadingZeros)
{
    EXPECT_EQ(vrklog::DailyLogFileName("C:\\Log\\vrk_main.exe", 2024, 5, 6), "C:\\Log\\vrk_main.exe_2024_5_6.log");
    EXPECT_EQ(vrklog::DailyLogFileName("vrk_main.exe", 2026, 12, 9), "vrk_main.exe_2026_12_9.log");
}

TEST(LogLineTest, SourceFileNameIsThePartAfterTheLastBackslash)
{
    struct Case {
        const char* path;
        const char* expected;
    } cases[] = {
        {"d:\\src\\GameLoader\\Main.cpp", "Main.cpp"},
        {"Main.cpp", "Main.cpp"},
        {"\\Main.cpp", "\\Main.cpp"},        // the only backslash is the first character
        {"src/GameLoader/Main.cpp", "src/GameLoader/Main.cpp"},  // slashes do not count
        {"a\\b\\", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(vrklog::SourceFileName(c.path), c.expected) << c.path;
}

TEST(LogLineTest, LineCarriesTimestampFileLineFunctionAndMessage)
{
    const LogTime time{2024, 5, 6, 9, 3, 7, 7};
    EXPECT_EQ(vrklog::FormatLogLine(time, "d:\\work\\GameLoaderWnd.cpp", 231, "GameLoaderWnd::InitWindow",
                                    "m_strCmdJson is:{}"),
              "2024-05-06 09:03:07.  7 [GameLoaderWnd.cpp<231>GameLoaderWnd::InitWindow] : m_strCmdJson is:{}");
}

TEST(FunctionNameTest, KeepsClassAndMethodOfDecoratedNames)
{
    struct Case {
        const char* decorated;
        const char* expected;
    } cases[] = {
        {"bool GameLoaderWnd::InitWindow()", "GameLoaderWnd::InitWindow"},
        {"int wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)", "wWinMain"},
        {"static int SkinUI::CWindowManagerUI::MessageLoop()", "CWindowManagerUI::MessageLoop"},
        {"bool ParseCmdParam(const wchar_t*, std::wstring&)::<lambda(std::size_t, const std::wstring&)>",
         "ParseCmdParam"},
        {"void A::f(T) [with T = int]", "A::f"},
        {"A::f<int>(int)::<lambda()>", "A::f<int>"},
        {"std::function<void()> Maker::Make(int)", "Maker::Make"},
        {"int __attribute__((stdcall)) wWinMain(HINSTANCE)", "wWinMain"},
        {"virtual GameLoaderWnd::~GameLoaderWnd()", "GameLoaderWnd::~GameLoaderWnd"},
    };
    for (const Case& c : cases) {
        const vrklog::NameRange r = vrklog::QualifiedNameRange(c.decorated, std::char_traits<char>::length(c.decorated) + 1);
        EXPECT_EQ(std::string(c.decorated + r.begin, c.decorated + r.end), c.expected) << c.decorated;
    }
}

TEST(LogLineTest, TextModeLineWritesEveryLineFeedAsCrLf)
{
    struct Case {
        const char* line;
        const char* bytes;
    } cases[] = {
        {"plain", "plain\r\n"},
        {"launch:{}\n", "launch:{}\r\n\r\n"},
        {"a\nb\n\nc", "a\r\nb\r\n\r\nc\r\n"},
        {"cr\r\nlf", "cr\r\r\nlf\r\n"},  // a CR before the LF stays, as text mode keeps it
        {"", "\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(vrklog::TextModeLine(c.line), c.bytes) << c.line;
}

struct Probe {
    static const char* Name()
    {
        static constexpr auto name = vrklog::MakeFunctionName(__PRETTY_FUNCTION__);
        return name.c_str();
    }
};

TEST(FunctionNameTest, CompilerTextOfAMemberGivesClassAndMethod)
{
    EXPECT_STREQ(Probe::Name(), "Probe::Name");
}

TEST(LogMaskTest, HidesEveryFormOfTheLoginTokenAndNothingElse)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    } cases[] = {
        {L"CommandLineToArgvW argCount:4 szArgList:--token=abc123", L"CommandLineToArgvW argCount:4 szArgList:--token=***"},
        {L"CommandLineToArgvW argCount:3 szArgList:--tokenLogin=1", L"CommandLineToArgvW argCount:3 szArgList:--tokenLogin=1"},
        {L"szArgList:--token=", L"szArgList:--token="},
        {L"m_strCmdJson is:{\"source\":\"QX\",\"token\":\"s3cr\\\"et\",\"tokenLogin\":\"1\"}\n",
         L"m_strCmdJson is:{\"source\":\"QX\",\"token\":\"***\",\"tokenLogin\":\"1\"}\n"},
        {L"{ \"token\" : \"abc\" }", L"{ \"token\" : \"***\" }"},
        {L"{\"token\":12345}", L"{\"token\":***}"},
        {L"{token:abc,type:1}", L"{token:***,type:1}"},
        {L"url:https://h/client/index/vrk?fileparam=&token=abc&source=QX&qxext=&tokenLogin=0",
         L"url:https://h/client/index/vrk?fileparam=&token=***&source=QX&qxext=&tokenLogin=0"},
        {L"?token=abc#top", L"?token=***#top"},
        {L"vrk.exe --source=QX --token=abc --qxext=x", L"vrk.exe --source=QX --token=*** --qxext=x"},
        {L"szArgList:--winid=1--token=abc", L"szArgList:--winid=1--token=***"},
        {L"mytoken=abc notoken:1", L"mytoken=abc notoken:1"},
        {L"\"token\":\"unterminated", L"\"token\":\"***"},
        {L"szArgList:--Token=x", L"szArgList:--Token=***"},
        {L"vrk.exe --TOKEN=abc --qxext=", L"vrk.exe --TOKEN=*** --qxext="},
        {L"vrk.exe --token=a\"b --qxext=", L"vrk.exe --token=*** --qxext="},
        {L"{\"token\": abc def,\"type\":1}", L"{\"token\": ***,\"type\":1}"},
        {L"{token:abc def}", L"{token:***}"},
        {L"no secret here", L"no secret here"},
    };
    for (const Case& c : cases) EXPECT_EQ(vrklog::MaskLoginToken(c.text), c.expected) << c.text;
}

TEST(LogMaskTest, AKnownTokenIsMaskedExactlyAndInItsJsonFormWherever)
{
    const std::vector<std::wstring> known{L"s3c\"r#t&x y\\z"};
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    } cases[] = {
        {L"{\"token\":\"s3c\\\"r#t&x y\\\\z\"}", L"{\"token\":\"***\"}"},
        {L"?fileparam=&token=s3c\"r#t&x y\\z&source=QX", L"?fileparam=&token=***&source=QX"},
        {L"vrk.exe --token=s3c\"r#t&x y\\z --qxext=e", L"vrk.exe --token=*** --qxext=e"},
        {L"echo s3c\"r#t&x y\\z and again s3c\"r#t&x y\\z", L"echo *** and again ***"},
        {L"{\"other\":\"s3c\\\"r#t&x y\\\\z\"}", L"{\"other\":\"***\"}"},
        {L"nothing of it here", L"nothing of it here"},
    };
    for (const Case& c : cases) EXPECT_EQ(vrklog::MaskLoginToken(c.text, known), c.expected) << c.text;

    // Too short to mask everywhere: only the key forms hide it.
    EXPECT_EQ(vrklog::MaskLoginToken(L"abc --token=abc", {L"abc"}), L"abc --token=***");
    // A value that contains another known value leaves no rest of itself.
    EXPECT_EQ(vrklog::MaskLoginToken(L"[abcdef]", {L"abcd", L"abcdef"}), L"[***]");
}

TEST(LogMaskTest, TheArgumentLineMasksAllAfterTheKey)
{
    struct Case {
        const wchar_t* argument;
        const wchar_t* expected;
    } cases[] = {
        {L"--token=a b c", L"--token=***"},
        {L"--token=a\"b", L"--token=***"},
        {L"--Token=x", L"--Token=***"},
        {L"--winid=1--TOKEN=x y", L"--winid=1--TOKEN=***"},
        {L"--tokenLogin=1", L"--tokenLogin=1"},
        {L"--token=", L"--token="},
        {L"C:\\vrk\\vrk_main.exe", L"C:\\vrk\\vrk_main.exe"},
    };
    for (const Case& c : cases) EXPECT_EQ(vrklog::MaskTokenArgument(c.argument), c.expected) << c.argument;
}

TEST(LogMaskTest, JsonEscapedIsTheTextBetweenTheQuotes)
{
    EXPECT_EQ(vrklog::JsonEscaped(L"a\"b\\c/d"), L"a\\\"b\\\\c/d");
    EXPECT_EQ(vrklog::JsonEscaped(L"t\tn\nr\r\x01"), L"t\\tn\\nr\\r\\u0001");
    EXPECT_EQ(vrklog::JsonEscaped(L"\x4E2D"), L"\x4E2D");
}

}  // namespace
