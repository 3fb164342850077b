#include "GameLoader/GameLoader/CommandLine.h"

#include <gtest/gtest.h>
#include <gmock/gmock.h>
#include <json/json.h>

#include "GameLoader/Common/TextConvert.h"
#include "log/Logger.h"
#include "tests/support/InProcessLog.h"
#include "tests/support/TestSupport.h"

namespace {

// Each test reads the log lines it added.
class CommandLineTest : public ::testing::Test {
protected:
    std::string NewLogText() const { return m_log.NewText(); }

    testsupport::InProcessLog m_log;
};

TEST_F(CommandLineTest, RawCommandLinesGiveTheirLaunchCommandText)
{
    struct Case {
        const wchar_t* commandLine;
        const wchar_t* expected;
    } cases[] = {
        {L"\"C:\\Program Files (x86)\\vrk\\vrk_main.exe\"", L"C:\\Program Files (x86)\\vrk\\vrk_main.exe"},
        {L"vrk_main.exe {\\\"type\\\":1}", L"{\"type\":1}"},
        {L"vrk_main.exe {\"type\":1}", L"{type:1}"},
        {L"vrk_main.exe \"{\\\"token\\\":\\\"a b\\\"}\"", L"{\"token\":\"a b\"}"},
        {L"vrk_main.exe --token=abc", L"--token=abc"},
        {L"vrk_main.exe --installed=1", L"{\"installed\":\"1\"}\n"},
        {L"vrk_main.exe --token=a --source=QX --token=b", L"{\"source\":\"QX\",\"token\":\"b\"}\n"},
        {L"vrk_main.exe --token= x", L"{\"token\":\"\"}\n"},
        {L"vrk_main.exe --tokenLogin=1 x", L"{\"tokenLogin\":\"1\"}\n"},
        {L"vrk_main.exe --source=--winid=7 x", L"{\"winid\":\"7\"}\n"},
        {L"vrk_main.exe a b", L"null\n"},
        {L"vrk_main.exe \"--instGamePath=D:\\My Games\\vrk\" x",
         L"{\"instGamePath\":\"D:\\\\My Games\\\\vrk\"}\n"},
        {L"vrk_main.exe   --winid=12\t--source=QX  ", L"{\"source\":\"QX\",\"winid\":\"12\"}\n"},
    };
    for (const Case& c : cases) {
        std::wstring text = L"unchanged";
        ASSERT_TRUE(ParseCmdParam(c.commandLine, text)) << c.commandLine;
        EXPECT_EQ(text, c.expected) << c.commandLine;
    }
}

TEST_F(CommandLineTest, ChineseValuesSurviveTheAnsiCodePage)
{
    ASSERT_EQ(::GetACP(), 936u);
    std::wstring text;
    ASSERT_TRUE(ParseCmdParam(L"vrk_main.exe \"--instGamePath=D:\\\x6E38\x620F\\vrk\" --source=QX", text));
    Json::Value root;
    ASSERT_TRUE(Json::Reader().parse(WideToMultiByte(text, CP_ACP), root));
    EXPECT_EQ(AnsiToWide(root["instGamePath"].asString()), L"D:\\\x6E38\x620F\\vrk");
}

TEST_F(CommandLineTest, ListFormLogsEveryTokenWithTheTokenMasked)
{
    std::wstring text;
    ASSERT_TRUE(ParseCmdParam(L"C:\\vrk\\vrk_main.exe --winid=99 --token=s3cretT0ken --tokenLogin=1", text));
    const std::vector<std::string> lines = testsupport::SplitLines(NewLogText());
    ASSERT_EQ(lines.size(), 4u);
    const char* expected[] = {
        "CommandLineToArgvW argCount:0 szArgList:C:\\vrk\\vrk_main.exe",
        "CommandLineToArgvW argCount:1 szArgList:--winid=99",
        "CommandLineToArgvW argCount:2 szArgList:--token=***",
        "CommandLineToArgvW argCount:3 szArgList:--tokenLogin=1",
    };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NE(lines[i].find("<"), std::string::npos);
        EXPECT_NE(lines[i].find(">ParseCmdParam] : " + std::string(expected[i])), std::string::npos) << lines[i];
    }
    EXPECT_NE(text.find(L"s3cretT0ken"), std::wstring::npos) << "only the log is masked";
}

TEST_F(CommandLineTest, ArgumentLinesMaskTheWholeTokenArgumentInAnyLetterCase)
{
    struct Case {
        const wchar_t* argument;  // as the platform passes it
        const char* logged;
    } cases[] = {
        {L"\"--token=with space\"", "szArgList:--token=***"},
        {L"--token=a\\\"quote", "szArgList:--token=***"},
        {L"--Token=misspelt", "szArgList:--Token=***"},
        {L"\"--TOKEN=UP per\"", "szArgList:--TOKEN=***"},
    };
    for (const Case& c : cases) {
        testsupport::InProcessLog log;
        std::wstring text;
        ASSERT_TRUE(ParseCmdParam((std::wstring(L"vrk_main.exe --source=QX ") + c.argument).c_str(), text));
        const std::vector<std::string> lines = testsupport::SplitLines(log.NewText());
        ASSERT_EQ(lines.size(), 3u) << log.NewText();
        EXPECT_THAT(lines[2], ::testing::EndsWith("] : CommandLineToArgvW argCount:2 " + std::string(c.logged)));
    }
}

// The value in its command-line form and in the launch command JSON the
// launcher logs later ("m_strCmdJson is:"), written by the JSON library.
TEST_F(CommandLineTest, OnceParsedTheTokenIsMaskedInEveryLaterLine)
{
    const std::wstring token = L"Zq\"7 #&x\\y";
    std::wstring text;
    ASSERT_TRUE(ParseCmdParam(L"vrk_main.exe --source=QX \"--token=Zq\\\"7 #&x\\y\"", text));
    Json::Value root;
    ASSERT_TRUE(Json::Reader().parse(WideToMultiByte(text, CP_ACP), root));
    ASSERT_EQ(AnsiToWide(root["token"].asString()), token) << text;

    testsupport::InProcessLog log;
    LOG_W(LOG_LEVEL_INFO, L"m_strCmdJson is:" << text);
    LOG_W(LOG_LEVEL_INFO, L"url:https://h/client/index/vrk?fileparam=&token=" << token << L"&source=QX");
    LOG_W(LOG_LEVEL_INFO, L"game:vrk.exe --source=QX --token=" << token << L" --qxext=");
    const std::string logged = log.NewText();
    for (const char* part : {"Zq", "7 #", "&x", "x\\y"}) EXPECT_EQ(logged.find(part), std::string::npos) << part << "\n" << logged;
    EXPECT_NE(logged.find("\"token\":\"***\""), std::string::npos) << logged;
    EXPECT_NE(logged.find("&token=***&source=QX"), std::string::npos) << logged;
    EXPECT_NE(logged.find("--token=*** --qxext="), std::string::npos) << logged;
}

TEST_F(CommandLineTest, OneArgumentFormWritesNoTokenLines)
{
    std::wstring text;
    ASSERT_TRUE(ParseCmdParam(L"vrk_main.exe --installed=1", text));
    EXPECT_EQ(NewLogText(), "");
}

}  // namespace
