// The launcher window and the notice box in this process, built from the
// real skin archive (resource "ZIPRES" 130 of this test program), where
// the controls can be read back: download texts, progress, notice box
// close codes.
#include "GameLoader/GameLoaderWnd/GameLoaderWnd.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "GameLoader/GameLoaderWnd/CustomMsgBox.h"
#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "tests/GameLoader/NoticeBoxOwner.h"
#include "tests/support/InProcessLog.h"
#include "tests/support/LauncherProcess.h"
#include "tests/support/LauncherWorld.h"
#include "tests/support/LogEntry.h"
#include "toolkit/controls/ControlUI.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

const std::wstring kOneDot = L"\u6b63\u5728\u4e0b\u8f7d\u6e38\u620f\u6587\u4ef6\uff0c\u8bf7\u8010\u5fc3\u7b49\u5f85.";
const std::wstring kUnpacking = L"\u6b63\u5728\u91ca\u653e\u6587\u4ef6";

SkinUI::CWindowManagerUI* ManagerOf(HWND window)
{
    const SkinUI::CUiPtrArray& managers = SkinUI::CWindowManagerUI::AllManagers();
    for (int i = 0; i < managers.Count(); ++i) {
        auto* manager = static_cast<SkinUI::CWindowManagerUI*>(managers.At(i));
        if (manager->WindowHandle() == window) return manager;
    }
    return nullptr;
}

std::wstring TextOf(HWND window, const wchar_t* control)
{
    SkinUI::CWindowManagerUI* manager = ManagerOf(window);
    SkinUI::CControlUI* found = manager ? manager->FindByName(control) : nullptr;
    return found ? std::wstring(found->Text().View()) : L"<missing>";
}

// Runs the thread's messages until a quit arrives or the time is up.
bool PumpUntilQuit(DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetTickCount() - start < timeoutMs) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return true;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
    return false;
}

class GameLoaderWndTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        SkinUI::CWindowManagerUI::StartUp(::GetModuleHandleW(nullptr));
    }
    void SetUp() override { testsupport::InProcessLog::File(); }
    void TearDown() override
    {
        if (::IsWindow(m_window)) ::DestroyWindow(m_window);
        if (m_window) {
            EXPECT_TRUE(PumpUntilQuit(5000)) << "the window's destruction ends the loop";
        }
    }

    // token "1" keeps the window hidden when the page has loaded.
    HWND Create(const wchar_t* cmdJson = L"{\"token\":\"1\",\"tokenLogin\":\"0\",\"source\":\"test\"}")
    {
        auto* window = new GameLoaderWnd(cmdJson);
        m_window = window->Create(nullptr, L"VorkanTest", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, 0);  // hidden, as the launcher
        if (m_window) ::ShowWindow(m_window, SW_HIDE);
        return m_window;
    }

    testsupport::SettingsFileBackup m_settings;
    testsupport::UninstallEntryBackup m_entry;
    HWND m_window = nullptr;
};

// The counter is process-wide: a tick gives the text after the one the
// previous tick gave, in whatever window and whichever test ran before.
TEST_F(GameLoaderWndTest, DownloadTextTicksCycleThroughOneTwoAndThreeDots)
{
    ASSERT_NE(Create(), nullptr);
    const std::wstring cycle[] = {kOneDot, kOneDot + L".", kOneDot + L".."};
    ::SendMessageW(m_window, WM_TIMER, TIMER_DOWNLOAD_TEXT, 0);
    const std::wstring first = TextOf(m_window, L"progTip");
    const auto at = std::find(std::begin(cycle), std::end(cycle), first);
    ASSERT_NE(at, std::end(cycle)) << "a download text";
    const std::size_t start = static_cast<std::size_t>(at - std::begin(cycle));
    for (std::size_t tick = 1; tick <= 4; ++tick) {
        ::SendMessageW(m_window, WM_TIMER, TIMER_DOWNLOAD_TEXT, 0);
        EXPECT_EQ(TextOf(m_window, L"progTip"), cycle[(start + tick) % 3]) << tick;
    }
    const std::wstring last = TextOf(m_window, L"progTip");
    ::SendMessageW(m_window, WM_TIMER, TIMER_DOWNLOAD_TEXT + 1, 0);
    EXPECT_EQ(TextOf(m_window, L"progTip"), last) << "other timers leave the text";
}

TEST_F(GameLoaderWndTest, ProgressMovesTheBarAndTheTextChangesOnTheMessageAfterAHundred)
{
    ASSERT_NE(Create(), nullptr);
    auto* progress = dynamic_cast<SkinUI::CProgressUI*>(ManagerOf(m_window)->FindByName(L"progress"));
    ASSERT_NE(progress, nullptr);
    const std::wstring initialTip = TextOf(m_window, L"progTip");
    struct Step {
        WPARAM percent;
        int value;
        bool unpacking;
    } steps[] = {{150, 0, false}, {10, 10, false}, {50, 50, false}, {100, 100, false},
                 {100, 100, true}, {150, 100, true}, {static_cast<WPARAM>(-5), 100, true}};
    for (const Step& step : steps) {
        ::SendMessageW(m_window, WM_LAUNCHER_PROGRESS, step.percent, 0);
        EXPECT_EQ(progress->Value(), step.value) << step.percent;
        EXPECT_EQ(TextOf(m_window, L"progTip"), step.unpacking ? kUnpacking : initialTip) << step.percent;
    }
}

TEST_F(GameLoaderWndTest, MessagesBetweenTheTableNumbersAndATrayLeftClickDoNothing)
{
    ASSERT_NE(Create(), nullptr);
    // The page completes first: its show message has been handled once the
    // browser control is visible, so nothing still to come could show the window.
    SkinUI::CWindowManagerUI* manager = ManagerOf(m_window);
    ASSERT_NE(manager, nullptr);
    SkinUI::CControlUI* browser = manager->FindByName(L"ie");
    ASSERT_NE(browser, nullptr);
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (!browser->IsVisible() && ::GetTickCount() - start < 15000) {
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) continue;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    ASSERT_TRUE(browser->IsVisible()) << "the page completed";
    EXPECT_FALSE(::IsWindowVisible(m_window)) << "token 1 keeps the window hidden";
    for (UINT message : {1125u, 1127u}) ::SendMessageW(m_window, message, 0, 0);
    ::SendMessageW(m_window, WM_LAUNCHER_TRAY_NOTIFY, 0, WM_LBUTTONDOWN);
    EXPECT_TRUE(::IsWindow(m_window));
    EXPECT_FALSE(::IsWindowVisible(m_window));
    ::SendMessageW(m_window, WM_LAUNCHER_ACTIVATE, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(m_window)) << "activation does not show a hidden window";
}

TEST_F(GameLoaderWndTest, AnOpenGameRequestThatIsNotJsonIsLoggedMaskedAndStartsNothing)
{
    ASSERT_NE(Create(), nullptr);
    testsupport::InProcessLog log;
    auto* window = reinterpret_cast<GameLoaderWnd*>(::GetWindowLongPtrW(m_window, GWLP_USERDATA));
    ASSERT_NE(window, nullptr);
    window->OnOpenGame("{\"funcation_name\":\"open_game\",\"token\":\"S3cr3tT0k\" broken");
    EXPECT_TRUE(::IsWindow(m_window)) << "no start, the window stays";
    const auto lines = testsupport::FunctionAndMessage(testsupport::ParseLogEntries(log.NewLines()));
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "GameLoaderWnd::OnOpenGame|reader.parse:{\"funcation_name\":\"open_game\",\"token\":\"***\" "
                        "broken false"),
              lines.end());
    EXPECT_EQ(log.NewText().find("S3cr3tT0k"), std::string::npos);
}

// Any process can post 1131; its parameters are never read, and without a
// request of the page's own bridge it does nothing.
TEST_F(GameLoaderWndTest, AnOpenGameWakeUpFromElsewhereFindsNoRequestAndDoesNothing)
{
    ASSERT_NE(Create(), nullptr);
    testsupport::InProcessLog log;
    for (const WPARAM wParam : {WPARAM{0x41414141}, WPARAM{0}, static_cast<WPARAM>(-1)})
        ::SendMessageW(m_window, WM_LAUNCHER_OPEN_GAME, wParam, 0x41414141);
    EXPECT_TRUE(::IsWindow(m_window));
    const auto lines = testsupport::FunctionAndMessage(testsupport::ParseLogEntries(log.NewLines()));
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "GameLoaderWnd::OnOpenGameWakeUp|WM_LAUNCHER_OPEN_GAME without a queued request"),
              3);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("LoadGame") != std::string::npos; }),
              0);
}

TEST_F(GameLoaderWndTest, TheBrowserElementIsCreatedInAnyLetterCase)
{
    ASSERT_NE(Create(), nullptr);
    auto* callback = static_cast<SkinUI::IDialogBuilderCallback*>(
        reinterpret_cast<GameLoaderWnd*>(::GetWindowLongPtrW(m_window, GWLP_USERDATA)));
    ASSERT_NE(callback, nullptr);
    for (const wchar_t* name : {L"IeBrowser", L"iebrowser", L"IEBROWSER"}) {
        SkinUI::CControlUI* control = callback->CreateCustomControl(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->ClassName(), L"WebBrowserUI") << name;
        delete control;
    }
    for (const wchar_t* name : {L"WebBrowser", L"IeBrowser2", L"Label", L""}) {
        EXPECT_EQ(callback->CreateCustomControl(name), nullptr) << name;
    }
}

// The notice box over a plain owner window that records its WM_CLOSE.
class NoticeBoxTest : public ::testing::Test {
protected:
    static inline std::wstring s_seenText;

    static void SetUpTestSuite()
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        SkinUI::CWindowManagerUI::StartUp(::GetModuleHandleW(nullptr));
    }
    void SetUp() override
    {
        m_box.reset();  // a case's owner goes before the next one's comes
        m_box = std::make_unique<testsupport::NoticeBoxOwner>();
        m_owner = m_box->hwnd();
        ASSERT_NE(m_owner, nullptr);
        s_seenText = L"<not seen>";
    }
    void TearDown() override { m_box.reset(); }

    // Acts on the box once it shows, from a thread timer of the modal loop.
    int Show(const std::wstring& message, void (*act)(HWND box))
    {
        return m_box->Show(
            message,
            [act](HWND box) {
                s_seenText = TextOf(box, L"labelTip");
                act(box);
            },
            300);
    }

    static void Click(HWND box, int x, int y)
    {
        const LPARAM point = MAKELPARAM(x, y);
        ::PostMessageW(box, WM_MOUSEMOVE, 0, point);
        ::PostMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::PostMessageW(box, WM_LBUTTONUP, 0, point);
    }

    std::unique_ptr<testsupport::NoticeBoxOwner> m_box;
    HWND m_owner = nullptr;
};

TEST_F(NoticeBoxTest, CloseCodesAndWhetherTheOwnerIsClosedAfterTheBoxReturns)
{
    struct Case {
        void (*act)(HWND box);
        int code;
        int ownerCloses;
    } cases[] = {
        {[](HWND box) { Click(box, 220, 224); }, 1, 1},                          // OK
        {[](HWND box) { Click(box, 416, 20); }, 8, 1},                           // the close button
        {[](HWND box) { ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); }, 0, 0},  // system close
    };
    for (const Case& c : cases) {
        SetUp();
        EXPECT_EQ(Show(L"\u91ca\u653e\u6587\u4ef6\u51fa\u9519", c.act), c.code);
        EXPECT_EQ(s_seenText, L"\u91ca\u653e\u6587\u4ef6\u51fa\u9519");
        EXPECT_EQ(m_box->closesBeforeReturn, 0) << "the owner's WM_CLOSE waits for the caller's loop";
        EXPECT_EQ(m_box->closesAfterReturn, c.ownerCloses) << c.code;
        EXPECT_TRUE(::IsWindowEnabled(m_owner));
        EXPECT_EQ(::FindWindowW(L"CustomMsgBoxClass", nullptr), nullptr);
        TearDown();
    }
}

TEST_F(NoticeBoxTest, AnEmptyMessageLeavesTheLineEmpty)
{
    EXPECT_EQ(Show(L"", [](HWND box) { ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); }), 0);
    EXPECT_EQ(s_seenText, L"");
}

TEST_F(NoticeBoxTest, AQuitWhileTheBoxShowsEndsTheBoxAndReachesTheCallersLoop)
{
    EXPECT_EQ(Show(L"x", [](HWND) { ::PostQuitMessage(5); }), 0);
    EXPECT_EQ(::FindWindowW(L"CustomMsgBoxClass", nullptr), nullptr) << "the box window went before its object";
    EXPECT_TRUE(::IsWindowEnabled(m_owner));
    EXPECT_EQ(m_box->quitCode, 5) << "the quit is posted again with its code";
}

// The launch command as the window takes it. The object needs no native
// window for it; its destructor posts the quit, which is taken back here.
class ParseCmdJsonTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::InProcessLog::File(); }
    static void DropQuit()
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    std::string Setting(const char* name) const
    {
        const std::string xml = testsupport::ReadFileBytes(m_settings.path());
        const std::string open = std::string("<") + name + ">";
        const std::size_t at = xml.find(open);
        if (at == std::string::npos) return "<missing>";
        const std::size_t end = xml.find("</", at);
        return xml.substr(at + open.size(), end - at - open.size());
    }

    testsupport::SettingsFileBackup m_settings;
};

TEST_F(ParseCmdJsonTest, LinesNameTheWindowsOperation)
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
        testsupport::InProcessLog log;
        {
            GameLoaderWnd window(c.command);
            EXPECT_EQ(window.ParseCmdJson(), c.result);
        }
        DropQuit();
        const auto entries = testsupport::ParseLogEntries(log.NewLines());
        EXPECT_EQ(testsupport::FunctionAndMessage(entries), c.lines);
        for (const auto& entry : entries) EXPECT_EQ(entry.file, "GameLoaderWnd.cpp");
    }
}

TEST_F(ParseCmdJsonTest, TakesTheParametersAndRecordsTheWindowId)
{
    ASSERT_TRUE(testsupport::WriteFileBytes(m_settings.path(), "<settings><loginsource>QX</loginsource></settings>"));
    {
        GameLoaderWnd window(L"{\"gameMgrId\":\"99\",\"installed\":\"1\",\"instGamePath\":\"D:\\\\\x4E2D\",\"source\":"
                             L"\"QX\",\"token\":\"t\",\"winid\":\"131844\"}\n");
        ASSERT_TRUE(window.ParseCmdJson());
        EXPECT_EQ(window.Params().winid, L"131844");
        EXPECT_EQ(window.Params().source, L"QX");
        EXPECT_EQ(window.Params().token, L"t");
        EXPECT_EQ(window.Params().gameMgrId, L"99");
        EXPECT_EQ(window.Params().m_nGameInstalled, 1);
        EXPECT_EQ(window.Params().instGamePath, L"D:\\\x4E2D");  // through code page 936 and back
    }
    DropQuit();
    EXPECT_EQ(Setting("qxwindowid"), "131844");
    EXPECT_EQ(Setting("loginsource"), "QX") << "the other setting stays";
}

TEST_F(ParseCmdJsonTest, OnlyAStringWinIdIsRecorded)
{
    for (const wchar_t* command : {L"{\"winid\":131844}", L"{\"source\":\"QX\"}", L"not json", L"[\"winid\"]"}) {
        ::DeleteFileW(m_settings.path().c_str());
        {
            GameLoaderWnd window(command);
            window.ParseCmdJson();
            EXPECT_EQ(window.Params().winid, L"");
        }
        DropQuit();
        EXPECT_FALSE(testsupport::FileExists(m_settings.path()));
    }
}

TEST_F(ParseCmdJsonTest, TokenValuesNeverReachTheLog)
{
    const wchar_t* commands[] = {
        L"{\"token\":\"S3cr3tT0k\",\"tokenLogin\":\"1\"}\n",
        L"{\"token\" : \"S3cr3tT0k\"",  // not JSON: logged twice
        L"--token=S3cr3tT0k",
        L"{token:S3cr3tT0k}",
    };
    testsupport::InProcessLog log;
    for (const wchar_t* command : commands) {
        GameLoaderWnd(command).ParseCmdJson();
        DropQuit();
    }
    const std::string text = log.NewText();
    EXPECT_NE(text.find("m_strCmdJson is:{\"token\":\"***\",\"tokenLogin\":\"1\"}"), std::string::npos) << text;
    EXPECT_EQ(text.find("S3cr3tT0k"), std::string::npos) << text;
}

}  // namespace
