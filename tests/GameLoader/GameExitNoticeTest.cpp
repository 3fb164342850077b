#include "GameLoader/GameLoader/GameExitNotice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/GameExitRecord.h"
#include "tests/support/InProcessLog.h"
#include "tests/support/LogEntry.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::ExpectedGameExitRecord;
using testsupport::FunctionAndMessage;
using testsupport::InProcessLog;
using testsupport::ParseLogEntries;
using testsupport::TempDir;

struct Notice {
    ULONG_PTR dwData;
    DWORD cbData;
    std::string bytes;
};
std::vector<Notice> g_notices;

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        g_notices.push_back({data->dwData, data->cbData,
                             std::string(static_cast<const char*>(data->lpData), data->cbData)});
        return TRUE;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateReceiver()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ReceiverProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"GameExitNoticeReceiver";
    ::RegisterClassW(&windowClass);
    return ::CreateWindowExW(0, windowClass.lpszClassName, L"receiver", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
                             nullptr, windowClass.hInstance, nullptr);
}

std::string Narrow(const std::wstring& w)
{
    return std::string(w.begin(), w.end());
}

class GameExitNoticeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_receiver = CreateReceiver();
        ASSERT_NE(m_receiver, nullptr);
        m_handle = std::to_string(reinterpret_cast<LONG_PTR>(m_receiver));
        g_notices.clear();
    }
    void TearDown() override { ::DestroyWindow(m_receiver); }

    // Runs IsGameExit with a settings file of the given content ("{hwnd}"
    // becomes the receiver's handle; null: no file) and returns the
    // "IsGameExit" log lines it wrote.
    std::vector<std::string> Run(const std::wstring& command, const char* settings, bool& result)
    {
        TempDir dir;
        const std::wstring path = dir.file(L"setting.xml");
        if (settings) {
            std::string xml = settings;
            const std::size_t at = xml.find("{hwnd}");
            if (at != std::string::npos) xml.replace(at, 6, m_handle);
            EXPECT_TRUE(testsupport::WriteFileBytes(path, xml));
        }
        InProcessLog log;
        result = IsGameExit(command, path);
        std::vector<std::string> lines;
        for (const std::string& line : FunctionAndMessage(ParseLogEntries(log.NewLines()))) {
            EXPECT_EQ(line.rfind("IsGameExit|", 0), 0u) << line;
            lines.push_back(line.substr(line.find('|') + 1));
        }
        return lines;
    }

    HWND m_receiver = nullptr;
    std::string m_handle;
};

const char kPlatformSettings[] = "<settings><qxwindowid>{hwnd}</qxwindowid><loginsource>QX</loginsource></settings>";

TEST_F(GameExitNoticeTest, RecognisedCommandsSendOneNoticeWithTheFixedRecord)
{
    struct Case {
        const wchar_t* command;
        bool result;
        std::vector<std::string> lines;
    } cases[] = {
        {L"{\"type\":1}", true,
         {"IsGameExit:{\"type\":1}", "game exit notify:{\"type\":1}", "Qixel wnd get"}},
        {L"{\"type\":1.0,\"source\":\"QX\"}", true,
         {"IsGameExit:{\"type\":1.0,\"source\":\"QX\"}", "game exit notify:{\"type\":1.0,\"source\":\"QX\"}",
          "Qixel wnd get"}},
        {L"{type:1}", true,
         {"IsGameExit:{type:1}", "reader.parse:{type:1} false", "get type:1", "game exit notify:{type:1}",
          "Qixel wnd get"}},
        {L"type:1", true,
         {"IsGameExit:type:1", "reader.parse:type:1 false", "get type:1", "game exit notify:type:1",
          "Qixel wnd get"}},
        {L"{\"type\":\"1\"}", false, {"IsGameExit:{\"type\":\"1\"}"}},
        {L"{\"type\":2}", false, {"IsGameExit:{\"type\":2}"}},
        {L"{\"source\":\"QX\",\"winid\":\"1\"}\n", false, {"IsGameExit:{\"source\":\"QX\",\"winid\":\"1\"}"}},
        {L"[1]", false, {"IsGameExit:[1]"}},
        {L"{type:1} ", false, {"IsGameExit:{type:1} ", "reader.parse:{type:1}  false"}},
        {L"C:\\Games\\vrk_main.exe", false,
         {"IsGameExit:C:\\Games\\vrk_main.exe", "reader.parse:C:\\Games\\vrk_main.exe false"}},
    };
    for (const Case& c : cases) {
        g_notices.clear();
        bool result = !c.result;
        EXPECT_EQ(Run(c.command, kPlatformSettings, result), c.lines) << Narrow(c.command);
        EXPECT_EQ(result, c.result) << Narrow(c.command);
        ASSERT_EQ(g_notices.size(), c.result ? 1u : 0u) << Narrow(c.command);
        if (c.result) {
            EXPECT_EQ(g_notices[0].dwData, 1u);
            EXPECT_EQ(g_notices[0].cbData, 528u);
            EXPECT_EQ(g_notices[0].bytes, ExpectedGameExitRecord());
        }
    }
}

TEST_F(GameExitNoticeTest, WithoutAUsablePlatformWindowNothingIsSent)
{
    const HWND gone = CreateReceiver();
    const std::string goneHandle = std::to_string(reinterpret_cast<LONG_PTR>(gone));
    ::DestroyWindow(gone);
    const std::string stale = "<settings><qxwindowid>" + goneHandle + "</qxwindowid><loginsource>QX</loginsource></settings>";

    struct Case {
        const char* settings;
        std::vector<std::string> tail;  // lines after "game exit notify:"
    } cases[] = {
        {nullptr, {}},
        {"not xml", {}},
        {"<settings><qxwindowid>{hwnd}</qxwindowid></settings>", {}},
        {"<settings><qxwindowid>{hwnd}</qxwindowid><loginsource></loginsource></settings>", {}},
        {"<settings><loginsource>QX</loginsource></settings>", {"Qixel wnd not get"}},
        {"<settings><qxwindowid></qxwindowid><loginsource>QX</loginsource></settings>", {"Qixel wnd get"}},
        {"<settings><qxwindowid>abc</qxwindowid><loginsource>QX</loginsource></settings>", {"Qixel wnd get"}},
        {stale.c_str(), {"Qixel wnd get"}},
        // HWND_BROADCAST: would reach every top-level window, this test's too.
        {"<settings><qxwindowid>65535</qxwindowid><loginsource>QX</loginsource></settings>", {"Qixel wnd get"}},
    };
    for (const Case& c : cases) {
        g_notices.clear();
        bool result = false;
        std::vector<std::string> expected = {"IsGameExit:{\"type\":1}", "game exit notify:{\"type\":1}"};
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        const char* label = c.settings ? c.settings : "(no file)";
        EXPECT_EQ(Run(L"{\"type\":1}", c.settings, result), expected) << label;
        EXPECT_TRUE(result) << label;
        EXPECT_TRUE(g_notices.empty()) << label;
    }
}

TEST_F(GameExitNoticeTest, WindowIdFollowsTheWcstolRules)
{
    // Leading white space and trailing text around the receiver's handle.
    bool result = false;
    const std::string settings =
        "<settings><qxwindowid> " + m_handle + "xyz</qxwindowid><loginsource>QX</loginsource></settings>";
    Run(L"{\"type\":1}", settings.c_str(), result);
    EXPECT_TRUE(result);
    EXPECT_EQ(g_notices.size(), 1u);
}

TEST_F(GameExitNoticeTest, TokenValuesNeverReachTheLog)
{
    InProcessLog log;
    bool result = false;
    Run(L"{\"token\":\"S3cr3tT0k\",\"type\":1}", kPlatformSettings, result);
    Run(L"{token:S3cr3tT0k}", kPlatformSettings, result);
    Run(L"--token=S3cr3tT0k", kPlatformSettings, result);
    const std::string text = log.NewText();
    EXPECT_NE(text.find("IsGameExit:{\"token\":\"***\",\"type\":1}"), std::string::npos) << text;
    EXPECT_EQ(text.find("S3cr3tT0k"), std::string::npos) << text;
}

}  // namespace
