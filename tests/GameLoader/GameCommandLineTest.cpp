#include "GameLoader/GameLoaderWnd/GameCommandLine.h"

#include <gtest/gtest.h>

namespace {

LaunchParams Params(std::initializer_list<std::pair<std::wstring LaunchParams::*, const wchar_t*>> values)
{
    LaunchParams p;
    for (const auto& v : values) p.*(v.first) = v.second;
    return p;
}

TEST(GameCommandLineTest, PlainValuesAreWrittenAsTheyAre)
{
    struct Case {
        LaunchParams params;
        const wchar_t* commandLine;
    } cases[] = {
        // The platform's start: winid is the platform's and never passed on;
        // gameMgrId goes out as --winid.
        {Params({{&LaunchParams::source, L"QX"},
                 {&LaunchParams::token, L"T0k"},
                 {&LaunchParams::gameMgrId, L"1234"},
                 {&LaunchParams::winid, L"5678"}}),
         L"--source=QX --token=T0k --winid=1234"},
        {Params({{&LaunchParams::token, L"T0k"}}), L"--source= --token=T0k"},
        {Params({{&LaunchParams::cacheGamePath, L"D:\\c"},
                 {&LaunchParams::instGamePath, L"D:\\i"},
                 {&LaunchParams::typeMode, L"1"},
                 {&LaunchParams::gameMgrId, L"9"},
                 {&LaunchParams::qxext, L"e"},
                 {&LaunchParams::token, L"t"},
                 {&LaunchParams::tokenLogin, L"1"},
                 {&LaunchParams::source, L"s"}}),
         L"--source=s --tokenLogin=1 --token=t --qxext=e --winid=9 --typeMode=1 --instGamePath=D:\\i "
         L"--cacheGamePath=D:\\c"},
        {LaunchParams{}, L"--source="},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildGameCommandLine(c.params), c.commandLine);
}

TEST(GameCommandLineTest, ValuesWithBlanksOrQuotesBecomeOneQuotedArgument)
{
    struct Case {
        std::wstring LaunchParams::*field;
        const wchar_t* value;
        const wchar_t* commandLine;
    } cases[] = {
        {&LaunchParams::instGamePath, L"C:\\Program Files\\vrk", L"--source= \"--instGamePath=C:\\Program Files\\vrk\""},
        // A trailing backslash would escape the closing quote: doubled.
        {&LaunchParams::instGamePath, L"C:\\My Games\\", L"--source= \"--instGamePath=C:\\My Games\\\\\""},
        {&LaunchParams::cacheGamePath, L"a\tb", L"--source= \"--cacheGamePath=a\tb\""},
        // A page value trying to add an argument of its own stays inside one.
        {&LaunchParams::qxext, L"x --token=evil", L"--source= \"--qxext=x --token=evil\""},
        {&LaunchParams::qxext, L"a\"b", L"--source= \"--qxext=a\\\"b\""},
        {&LaunchParams::qxext, L"a\\\"b c", L"--source= \"--qxext=a\\\\\\\"b c\""},
        {&LaunchParams::source, L"Q X", L"\"--source=Q X\""},
        // Backslashes not before a quote stay single.
        {&LaunchParams::instGamePath, L"\\\\srv\\share x\\g", L"--source= \"--instGamePath=\\\\srv\\share x\\g\""},
    };
    for (const Case& c : cases) {
        LaunchParams p;
        p.*(c.field) = c.value;
        EXPECT_EQ(BuildGameCommandLine(p), c.commandLine) << c.value;
    }
}

}  // namespace
