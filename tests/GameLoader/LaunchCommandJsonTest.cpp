#include "GameLoader/GameLoader/LaunchCommandJson.h"

#include <gtest/gtest.h>

#include <tinyxml.h>

#include "GameLoader/Common/TextConvert.h"
#include "tests/support/InProcessLog.h"
#include "tests/support/LogEntry.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::InProcessLog;
using testsupport::ParseLogEntries;
using testsupport::TempDir;

// Calls it the way the launcher window's operation does, so the lines
// carry that operation's name.
class GameLoaderWnd {
public:
    GameLoaderWnd(std::wstring cmdJson, std::wstring settingFilePath)
        : m_strCmdJson(std::move(cmdJson)), m_settingFilePath(std::move(settingFilePath))
    {
    }
    bool ParseCmdJson()
    {
        return ParseLaunchCommandJson(m_strCmdJson, m_params, m_settingFilePath,
                                      [](unsigned level, const std::wstring& line) { LOG_W(level, line); });
    }
    const LaunchParams& params() const { return m_params; }

private:
    std::wstring m_strCmdJson;
    std::wstring m_settingFilePath;
    LaunchParams m_params;
};

std::string SettingText(const std::wstring& path, const char* name)
{
    TiXmlDocument document;
    const std::string xml = testsupport::ReadFileBytes(path);
    document.Parse(xml.c_str());
    const TiXmlElement* root = document.RootElement();
    const TiXmlElement* element = root ? root->FirstChildElement(name) : nullptr;
    if (!element) return "<missing>";
    return element->GetText() ? element->GetText() : "";
}

std::string Narrow(const std::wstring& w)
{
    return WideToMultiByte(w, CP_ACP);
}

TEST(LaunchCommandJsonTest, LinesNameTheCallingOperation)
{
    struct Case {
        const wchar_t* command;
        bool result;
        std::vector<std::string> lines;  // "function|message"
    } cases[] = {
        {L"", false, {"GameLoaderWnd::ParseCmdJson|m_strCmdJson is empty"}},
        {L"{\"source\":\"QX\"}\n", true, {"GameLoaderWnd::ParseCmdJson|m_strCmdJson is:{\"source\":\"QX\"}"}},
        {L"null\n", true, {"GameLoaderWnd::ParseCmdJson|m_strCmdJson is:null"}},
        {L"[1]", true, {"GameLoaderWnd::ParseCmdJson|m_strCmdJson is:[1]"}},
        {L"C:\\Games\\vrk_main.exe", false,
         {"GameLoaderWnd::ParseCmdJson|m_strCmdJson is:C:\\Games\\vrk_main.exe",
          "GameLoaderWnd::ParseCmdJson|reader.parse:C:\\Games\\vrk_main.exe false"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        InProcessLog log;
        GameLoaderWnd window(c.command, dir.file(L"setting.xml"));
        EXPECT_EQ(window.ParseCmdJson(), c.result) << Narrow(c.command);
        const auto entries = ParseLogEntries(log.NewLines());
        EXPECT_EQ(testsupport::FunctionAndMessage(entries), c.lines) << Narrow(c.command);
        for (const auto& entry : entries) EXPECT_EQ(entry.file, "LaunchCommandJsonTest.cpp");
    }
}

TEST(LaunchCommandJsonTest, TakesTheParametersAndRecordsTheWindowId)
{
    TempDir dir;
    const std::wstring settings = dir.file(L"setting.xml");
    ASSERT_TRUE(testsupport::WriteFileBytes(settings, "<settings><loginsource>QX</loginsource></settings>"));
    GameLoaderWnd window(L"{\"gameMgrId\":\"99\",\"installed\":\"1\",\"instGamePath\":\"D:\\\\\x4E2D\",\"source\":"
                         L"\"QX\",\"token\":\"t\",\"winid\":\"131844\"}\n",
                         settings);
    ASSERT_TRUE(window.ParseCmdJson());
    EXPECT_EQ(window.params().winid, L"131844");
    EXPECT_EQ(window.params().source, L"QX");
    EXPECT_EQ(window.params().token, L"t");
    EXPECT_EQ(window.params().gameMgrId, L"99");
    EXPECT_EQ(window.params().m_nGameInstalled, 1);
    EXPECT_EQ(window.params().instGamePath, L"D:\\\x4E2D");  // through code page 936 and back
    EXPECT_EQ(SettingText(settings, "qxwindowid"), "131844");
    EXPECT_EQ(SettingText(settings, "loginsource"), "QX") << "the other setting stays";
}

TEST(LaunchCommandJsonTest, OnlyAStringWinIdIsRecorded)
{
    const wchar_t* commands[] = {L"{\"winid\":131844}", L"{\"source\":\"QX\"}", L"not json", L"[\"winid\"]"};
    for (const wchar_t* command : commands) {
        TempDir dir;
        GameLoaderWnd window(command, dir.file(L"setting.xml"));
        window.ParseCmdJson();
        EXPECT_FALSE(testsupport::FileExists(dir.file(L"setting.xml"))) << Narrow(command);
        EXPECT_EQ(window.params().winid, L"") << Narrow(command);
    }
}

TEST(LaunchCommandJsonTest, TokenValuesNeverReachTheLog)
{
    const wchar_t* commands[] = {
        L"{\"token\":\"S3cr3tT0k\",\"tokenLogin\":\"1\"}\n",
        L"{\"token\" : \"S3cr3tT0k\"",  // not JSON: logged twice
        L"--token=S3cr3tT0k",
        L"{token:S3cr3tT0k}",
    };
    InProcessLog log;
    for (const wchar_t* command : commands) {
        TempDir dir;
        GameLoaderWnd(command, dir.file(L"setting.xml")).ParseCmdJson();
    }
    const std::string text = log.NewText();
    EXPECT_NE(text.find("m_strCmdJson is:{\"token\":\"***\",\"tokenLogin\":\"1\"}"), std::string::npos) << text;
    EXPECT_EQ(text.find("S3cr3tT0k"), std::string::npos) << text;
}

}  // namespace
