// The launcher's browser events: show requests per completed document, the
// network error, and new windows handed to the default browser, from the
// stand-in engine's pages and from direct calls of the handler.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GameLoader/CIeBrowserUI/CIeBrowserUI.h"
#include "GameLoader/CIeBrowserUI/WebBrowserEvent.h"
#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "base/Win32Handles.h"
#include "tests/support/InProcessLog.h"
#include "tests/toolkit/hosts/HostTestWindow.h"

namespace {

using hosttest::EngineSession;

constexpr wchar_t kPortal[] = L"https://portal.vorkan.test/client/index/vrk";
constexpr LONG kResourceNotFound = static_cast<LONG>(0x800C0005);

// The launcher window's browser with its event handler, in a test window.
class LauncherBrowser {
public:
    explicit LauncherBrowser(HWND target) : m_events(target)
    {
        m_browser = new CIeBrowserUI(target);
        m_window.AttachRoot(m_browser);
        m_browser->Place(RECT{0, 0, 640, 480});
        m_browser->SetEventHandler(&m_events);
    }
    ~LauncherBrowser() { m_window.Close(); }  // the control goes before its handler

    CIeBrowserUI& Browser() { return *m_browser; }
    CWebBrowserEvent& Events() { return m_events; }

private:
    CWebBrowserEvent m_events;
    hosttest::HostTestWindow m_window;
    CIeBrowserUI* m_browser;
};

class WebBrowserEventTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EngineSession::EngineRegistered()) << "run scripts/wine-register first"; }

    // Loads each address in turn; every one must reach its last DocumentComplete.
    std::vector<UINT> Load(const std::string& scenario, const std::vector<std::wstring>& addresses)
    {
        m_engine.reset();  // the old session unsets the engine's variables
        m_engine = std::make_unique<EngineSession>(scenario);
        hosttest::MessageRecorder launcher;
        {
            LauncherBrowser browser(launcher.Handle());
            for (std::size_t i = 0; i < addresses.size(); ++i) {
                EXPECT_EQ(browser.Browser().NavigateTo(addresses[i].c_str()), S_OK);
                EXPECT_TRUE(hosttest::PumpUntil([&] {
                    return m_engine->LinesStartingWith("event DownloadComplete").size() > i;
                })) << m_engine->Text();
            }
            hosttest::PumpFor(100);
        }
        return launcher.Numbers();
    }

    hosttest::OleApartment m_ole;
    std::unique_ptr<EngineSession> m_engine;
};

TEST_F(WebBrowserEventTest, EveryCompletedDocumentAsksToShowUntilTheNetworkFails)
{
    const struct {
        const char* scenario;
        std::vector<UINT> expected;
    } cases[] = {
        {"page *\n", {WM_LAUNCHER_SHOW}},
        {"page *\nframes 2\n", {WM_LAUNCHER_SHOW, WM_LAUNCHER_SHOW, WM_LAUNCHER_SHOW}},
        // no network: the error page completes without showing anything
        {"page *\nerror i4 0x800C0005\n", {WM_LAUNCHER_NET_ERROR}},
        // the same value in another type, or another status: the error page is shown
        {"page *\nerror ui4 0x800C0005\n", {WM_LAUNCHER_SHOW}},
        {"page *\nerror i2 5\n", {WM_LAUNCHER_SHOW}},
        {"page *\nerror i4 404\n", {WM_LAUNCHER_SHOW}},
        {"page *\nerror i4 0x800C0007\n", {WM_LAUNCHER_SHOW}},
        {"page *\nerror bstr 0x800C0005\n", {WM_LAUNCHER_SHOW}},
    };
    for (const auto& c : cases) EXPECT_EQ(Load(c.scenario, {kPortal}), c.expected) << c.scenario;
}

TEST_F(WebBrowserEventTest, AfterANetworkErrorNoLaterPageShowsTheWindow)
{
    const std::string scenario =
        "page https://down.test/\n"
        "error i4 0x800C0005\n"
        "page *\n"
        "frames 1\n";
    EXPECT_EQ(Load(scenario, {L"https://down.test/", kPortal}), std::vector<UINT>{WM_LAUNCHER_NET_ERROR});
    EXPECT_EQ(Load(scenario, {kPortal, L"https://down.test/", kPortal}),
              (std::vector<UINT>{WM_LAUNCHER_SHOW, WM_LAUNCHER_SHOW, WM_LAUNCHER_NET_ERROR}));
}

TEST_F(WebBrowserEventTest, NavigateErrorActsOnAnI4ResourceNotFoundOnly)
{
    const struct {
        VARTYPE type;
        LONG value;
        bool netError;
    } cases[] = {
        {VT_I4, kResourceNotFound, true},
        {VT_UI4, kResourceNotFound, false},
        {VT_INT, kResourceNotFound, false},
        {VT_I4, 404, false},
        {VT_EMPTY, 0, false},
    };
    for (const auto& c : cases) {
        hosttest::MessageRecorder launcher;
        CWebBrowserEvent events(launcher.Handle());
        VARIANT status;
        ::VariantInit(&status);
        status.vt = c.type;
        status.lVal = c.value;
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT* url = nullptr;
        VARIANT* frame = nullptr;
        VARIANT* statusRef = &status;
        VARIANT_BOOL* cancelRef = &cancel;
        events.NavigateError(nullptr, url, frame, statusRef, cancelRef);
        events.DocumentComplete(nullptr, url);
        hosttest::PumpFor(30);
        EXPECT_EQ(events.HasNetError(), c.netError) << c.type;
        EXPECT_EQ(launcher.Numbers(),
                  std::vector<UINT>{c.netError ? UINT{WM_LAUNCHER_NET_ERROR} : UINT{WM_LAUNCHER_SHOW}})
            << c.type;
        EXPECT_EQ(cancel, VARIANT_FALSE);  // the browser goes on to its error page
    }
    // A missing status is no error either.
    hosttest::MessageRecorder launcher;
    CWebBrowserEvent events(launcher.Handle());
    VARIANT* none = nullptr;
    VARIANT_BOOL* noCancel = nullptr;
    events.NavigateError(nullptr, none, none, none, noCancel);
    EXPECT_FALSE(events.HasNetError());
}

// Points the machine's http and https "open" commands (the registered
// default browser) at a command that writes the address it was given into a
// file, and puts the previous commands back afterwards.
class ShellRecorder {
public:
    ShellRecorder() : m_file(m_dir.file(L"opened.txt"))
    {
        const std::wstring command = L"cmd.exe /c echo %1>\"" + m_file + L"\"";
        for (Scheme& scheme : m_schemes) {
            win32::UniqueKey key;
            if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, scheme.key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                  nullptr) != ERROR_SUCCESS)
                continue;
            wchar_t previous[1024] = {};
            DWORD size = sizeof previous - sizeof(wchar_t);
            DWORD type = 0;
            scheme.hadCommand = ::RegQueryValueExW(key.get(), nullptr, nullptr, &type,
                                                   reinterpret_cast<BYTE*>(previous), &size) == ERROR_SUCCESS;
            scheme.previous = previous;
            ::RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                             static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        }
    }
    ~ShellRecorder()
    {
        for (const Scheme& scheme : m_schemes) {
            win32::UniqueKey key;
            if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, scheme.key, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) continue;
            if (scheme.hadCommand)
                ::RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(scheme.previous.c_str()),
                                 static_cast<DWORD>((scheme.previous.size() + 1) * sizeof(wchar_t)));
            else
                ::RegDeleteValueW(key.get(), nullptr);
        }
    }
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    // What the shell opened, once it has run the command.
    std::string Opened(DWORD timeoutMs) const
    {
        hosttest::PumpUntil([&] { return !testsupport::ReadFileBytes(m_file).empty(); }, timeoutMs);
        return testsupport::ReadFileBytes(m_file);
    }

private:
    struct Scheme {
        const wchar_t* key;
        bool hadCommand = false;
        std::wstring previous;
    };
    testsupport::TempDir m_dir;
    std::wstring m_file;
    Scheme m_schemes[2] = {{L"Software\\Classes\\http\\shell\\open\\command", false, {}},
                           {L"Software\\Classes\\https\\shell\\open\\command", false, {}}};
};

TEST_F(WebBrowserEventTest, NewWindowsOpenInTheDefaultBrowserOnlyForWebAddresses)
{
    const struct {
        const char* address;
        bool toShell;
    } cases[] = {
        {"https://news.vorkan.test/item1", true},
        {"http://news.vorkan.test/item2", true},
        {"file:///C:/windows/system32/calc.exe", false},
        {"C:\\windows\\system32\\calc.exe", false},
        {"mailto:player@vorkan.test", false},
        {"javascript:alert(1)", false},
    };
    for (const auto& c : cases) {
        const ShellRecorder shell;
        const testsupport::InProcessLog log;
        Load(std::string("page *\non complete newwindow ") + c.address + "\n", {kPortal});
        ASSERT_TRUE(m_engine->WaitFor("event NewWindow3")) << m_engine->Text();
        const std::string event = m_engine->LinesStartingWith("event NewWindow3").front();
        // The embedded browser opens no window of its own in every case.
        EXPECT_NE(event.find("cancel=-1"), std::string::npos) << event;
        EXPECT_FALSE(m_engine->Has("newwindow opened=engine"));
        const std::string opened = shell.Opened(c.toShell ? 10000 : 1500);
        if (c.toShell) {
            EXPECT_EQ(opened.substr(0, opened.find_first_of("\r\n")), c.address);
            EXPECT_EQ(log.NewText().find("NewWindow3"), std::string::npos);
        } else {
            EXPECT_TRUE(opened.empty()) << c.address << " reached the shell: " << opened;
            const std::string text = log.NewText();
            EXPECT_NE(text.find(std::string("CWebBrowserEvent::NewWindow3] : NewWindow3 url:") + c.address + " false"),
                      std::string::npos)
                << text;
        }
    }
}

// The player follows the page's news link: the launcher's handler leaves the
// address untranslated (S_FALSE), so the link is followed and ends in the
// default browser.
TEST_F(WebBrowserEventTest, ThePagesNewsLinkIsTranslatedAsItIsAndOpensInTheDefaultBrowser)
{
    const ShellRecorder shell;
    Load("page *\non complete click link\n", {kPortal});
    ASSERT_TRUE(m_engine->WaitFor("event NewWindow3")) << m_engine->Text();
    EXPECT_TRUE(m_engine->Has("TranslateUrl source=uihandler hr=0x00000001 out=none followed=yes url=https://vorkan.test/news"))
        << m_engine->Text();
    EXPECT_NE(m_engine->LinesStartingWith("event NewWindow3").front().find("cancel=-1"), std::string::npos);
    const std::string opened = shell.Opened(10000);
    EXPECT_EQ(opened.substr(0, opened.find_first_of("\r\n")), "https://vorkan.test/news");
}

}  // namespace
