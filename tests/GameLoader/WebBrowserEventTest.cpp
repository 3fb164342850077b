// The launcher's browser events: the show request of the completed top
// document, the network error of the top document, and new windows queued
// for the default browser, from the stand-in engine's pages and from direct
// calls of the handler.
#include <gtest/gtest.h>

#include <shobjidl.h>

#include <algorithm>
#include <optional>
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
const DWORD kUserStarted = static_cast<DWORD>(NWMF_USERINITED) | static_cast<DWORD>(NWMF_FIRST);

// The launcher window's browser with its event handler, in a test window,
// wired as the launcher wires it.
class LauncherBrowser {
public:
    explicit LauncherBrowser(HWND target) : m_events(target)
    {
        m_browser = new CIeBrowserUI(target, nullptr);
        m_window.AttachRoot(m_browser);
        m_browser->Place(RECT{0, 0, 640, 480});
        m_browser->SetEventHandler(&m_events);
        m_events.SetTopBrowser(m_browser->WebBrowser());
    }
    ~LauncherBrowser() { m_window.Close(); }  // the control goes before its handler

    CIeBrowserUI& Browser() { return *m_browser; }
    CWebBrowserEvent& Events() { return m_events; }

private:
    CWebBrowserEvent m_events;
    hosttest::HostTestWindow m_window;
    CIeBrowserUI* m_browser;
};

// A browser object as events name it: the top browser or a frame's.
class BrowserStandIn final : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
};

class WebBrowserEventTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EngineSession::EngineRegistered()) << "run scripts/wine-register first"; }

    // Loads each address in turn; every one must reach its last DocumentComplete.
    std::vector<UINT> Load(const std::string& scenario, const std::vector<std::wstring>& addresses,
                           std::vector<std::wstring>* queued = nullptr)
    {
        m_engine.reset();  // the old session unsets the engine's variables
        m_engine = std::make_unique<EngineSession>(scenario);
        hosttest::MessageRecorder launcher;
        {
            LauncherBrowser browser(launcher.Handle());
            EXPECT_NE(browser.Browser().WebBrowser(), nullptr);
            for (std::size_t i = 0; i < addresses.size(); ++i) {
                EXPECT_EQ(browser.Browser().NavigateTo(addresses[i].c_str()), S_OK);
                EXPECT_TRUE(hosttest::PumpUntil([&] {
                    return m_engine->LinesStartingWith("event DownloadComplete").size() > i;
                })) << m_engine->Text();
            }
            hosttest::PumpFor(100);
            if (queued) {
                while (const std::optional<std::wstring> address = browser.Events().TakeNewWindowAddress())
                    queued->push_back(*address);
            }
        }
        return launcher.Numbers();
    }

    hosttest::OleApartment m_ole;
    std::unique_ptr<EngineSession> m_engine;
};

TEST_F(WebBrowserEventTest, OnlyTheTopDocumentAsksToShowAndOnlyItsFailureIsANetworkError)
{
    const struct {
        const char* scenario;
        std::vector<UINT> expected;
    } cases[] = {
        {"page *\n", {WM_LAUNCHER_SHOW}},
        // frames complete before the top document: one show
        {"page *\nframes 2\n", {WM_LAUNCHER_SHOW}},
        // a third party's frame that cannot be reached: the page still shows
        {"page *\nframes 2\nframeerror i4 0x800C0005\n", {WM_LAUNCHER_SHOW}},
        // a frame that completes after the top document shows nothing again
        {"page *\nlateframe 50\n", {WM_LAUNCHER_SHOW}},
        // no network: the error page completes without showing anything
        {"page *\nerror i4 0x800C0005\n", {WM_LAUNCHER_NET_ERROR}},
        // the same value in another type, or another status: the error page is shown
        {"page *\nerror ui4 0x800C0005\n", {WM_LAUNCHER_SHOW}},
        {"page *\nerror i2 5\n", {WM_LAUNCHER_SHOW}},
        {"page *\nerror i4 404\n", {WM_LAUNCHER_SHOW}},
        {"page *\nerror i4 0x800C0007\n", {WM_LAUNCHER_SHOW}},
        {"page *\nerror bstr 0x800C0005\n", {WM_LAUNCHER_SHOW}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load(c.scenario, {kPortal}), c.expected) << c.scenario;
        if (std::string(c.scenario).find("lateframe") != std::string::npos) {
            EXPECT_TRUE(m_engine->WaitFor("event DocumentComplete dispid=259 sink=1 hr=0x00000000 frame=child"))
                << "the late frame did complete: " << m_engine->Text();
        }
    }
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
              (std::vector<UINT>{WM_LAUNCHER_SHOW, WM_LAUNCHER_NET_ERROR}));
}

TEST_F(WebBrowserEventTest, NavigateErrorActsOnAnI4ResourceNotFoundOfTheTopBrowserOnly)
{
    BrowserStandIn top, frame;
    const struct {
        IDispatch* from;
        VARTYPE type;
        LONG value;
        bool netError;
    } cases[] = {
        {&top, VT_I4, kResourceNotFound, true},
        {&frame, VT_I4, kResourceNotFound, false},
        {nullptr, VT_I4, kResourceNotFound, false},
        {&top, VT_UI4, kResourceNotFound, false},
        {&top, VT_INT, kResourceNotFound, false},
        {&top, VT_I4, 404, false},
        {&top, VT_EMPTY, 0, false},
    };
    for (const auto& c : cases) {
        hosttest::MessageRecorder launcher;
        CWebBrowserEvent events(launcher.Handle());
        events.SetTopBrowser(&top);
        VARIANT status;
        ::VariantInit(&status);
        status.vt = c.type;
        status.lVal = c.value;
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT* url = nullptr;
        VARIANT* frameName = nullptr;
        VARIANT* statusRef = &status;
        VARIANT_BOOL* cancelRef = &cancel;
        events.NavigateError(c.from, url, frameName, statusRef, cancelRef);
        events.DocumentComplete(c.from, url);  // a frame's completion shows nothing either
        hosttest::PumpFor(30);
        EXPECT_EQ(events.HasNetError(), c.netError) << c.type;
        std::vector<UINT> expected;
        if (c.netError) expected = {WM_LAUNCHER_NET_ERROR};
        else if (c.from == &top) expected = {WM_LAUNCHER_SHOW};
        EXPECT_EQ(launcher.Numbers(), expected) << c.type;
        EXPECT_EQ(cancel, VARIANT_FALSE);  // the browser goes on to its error page
    }
    // A missing status is no error either; a handler without a top browser
    // takes nothing for the top one.
    hosttest::MessageRecorder launcher;
    CWebBrowserEvent events(launcher.Handle());
    VARIANT* none = nullptr;
    VARIANT_BOOL* noCancel = nullptr;
    events.NavigateError(&top, none, none, none, noCancel);
    events.DocumentComplete(&top, none);
    hosttest::PumpFor(30);
    EXPECT_FALSE(events.HasNetError());
    EXPECT_TRUE(launcher.Numbers().empty());
}

// NewWindow3 never opens a window itself: a request the player started for
// a web address is queued (re-encoded) and the window is woken to hand it
// to the default browser after the call; everything else is refused.
TEST_F(WebBrowserEventTest, NewWindowsAreQueuedForTheWindowOnlyForAPlayersRequestToAWebAddress)
{
    const struct {
        const wchar_t* address;
        DWORD flags;
        const wchar_t* queued;  // none: refused
        const char* logged;
    } cases[] = {
        {L"https://news.vorkan.test/item1", kUserStarted, L"https://news.vorkan.test/item1", nullptr},
        {L"http://news.vorkan.test/item2", static_cast<DWORD>(NWMF_USERINITED), L"http://news.vorkan.test/item2", nullptr},
        {L"https://news.vorkan.test/a b\"c", kUserStarted, L"https://news.vorkan.test/a%20b%22c", nullptr},
        {L"https://news.vorkan.test/popup", static_cast<DWORD>(NWMF_FIRST), nullptr, "NewWindow3 not started by the user, flags:4 url:"},
        {L"https://news.vorkan.test/popup", 0, nullptr, "NewWindow3 not started by the user, flags:0 url:"},
        {L"file:///C:/windows/system32/calc.exe", kUserStarted, nullptr, "NewWindow3 url:file:///C:/windows/system32/calc.exe false"},
        {L"C:\\windows\\system32\\calc.exe", kUserStarted, nullptr, "NewWindow3 url:C:\\windows\\system32\\calc.exe false"},
        {L"mailto:player@vorkan.test", kUserStarted, nullptr, "NewWindow3 url:mailto:player@vorkan.test false"},
        {L"javascript:alert(1)", kUserStarted, nullptr, "NewWindow3 url:javascript:alert(1) false"},
        {L"", kUserStarted, nullptr, "NewWindow3 url: false"},
    };
    for (const auto& c : cases) {
        const testsupport::InProcessLog log;
        hosttest::MessageRecorder launcher;
        CWebBrowserEvent events(launcher.Handle());
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT_BOOL* cancelRef = &cancel;
        const BSTR url = ::SysAllocString(c.address);
        events.NewWindow3(nullptr, cancelRef, c.flags, nullptr, url);
        ::SysFreeString(url);
        EXPECT_EQ(cancel, VARIANT_TRUE) << "the embedded browser opens no window of its own";
        hosttest::PumpFor(30);
        const std::optional<std::wstring> queued = events.TakeNewWindowAddress();
        ASSERT_EQ(queued.has_value(), c.queued != nullptr);
        EXPECT_EQ(launcher.Numbers(), c.queued ? std::vector<UINT>{WM_LAUNCHER_OPEN_ADDRESS} : std::vector<UINT>{});
        if (c.queued) {
            EXPECT_EQ(*queued, c.queued);
            EXPECT_EQ(log.NewText().find("NewWindow3"), std::string::npos);
        } else {
            const std::string text = log.NewText();
            EXPECT_NE(text.find(std::string("CWebBrowserEvent::NewWindow3] : ") + c.logged), std::string::npos) << text;
        }
    }
}

TEST_F(WebBrowserEventTest, APageCannotQueueMoreNewWindowsThanTheQueueHolds)
{
    const testsupport::InProcessLog log;
    hosttest::MessageRecorder launcher;
    CWebBrowserEvent events(launcher.Handle());
    const std::size_t requests = CWebBrowserEvent::kMaxPendingAddresses + 2;
    for (std::size_t i = 0; i < requests; ++i) {
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT_BOOL* cancelRef = &cancel;
        const BSTR url = ::SysAllocString((L"https://news.vorkan.test/" + std::to_wstring(i)).c_str());
        events.NewWindow3(nullptr, cancelRef, kUserStarted, nullptr, url);
        ::SysFreeString(url);
        EXPECT_EQ(cancel, VARIANT_TRUE);
    }
    hosttest::PumpFor(30);
    EXPECT_EQ(launcher.Numbers().size(), CWebBrowserEvent::kMaxPendingAddresses);
    std::size_t taken = 0;
    while (events.TakeNewWindowAddress()) ++taken;
    EXPECT_EQ(taken, CWebBrowserEvent::kMaxPendingAddresses);
    EXPECT_NE(log.NewText().find("NewWindow3 queue full, url:https://news.vorkan.test/" +
                                 std::to_string(CWebBrowserEvent::kMaxPendingAddresses)),
              std::string::npos);
}

// From the engine's page: the player's link with a target of its own, the
// address translated as it is (S_FALSE), and a script's popup without the
// player's click.
TEST_F(WebBrowserEventTest, ThePagesNewsLinkIsQueuedAndAScriptsPopupIsNot)
{
    std::vector<std::wstring> queued;
    const std::vector<UINT> messages =
        Load("page *\non complete click link\non complete newwindow https://ads.vorkan.test/ 0x4\n", {kPortal}, &queued);
    ASSERT_TRUE(m_engine->WaitFor("event NewWindow3")) << m_engine->Text();
    EXPECT_TRUE(m_engine->Has("TranslateUrl source=uihandler hr=0x00000001 out=none followed=yes url=https://vorkan.test/news"))
        << m_engine->Text();
    const auto events = m_engine->LinesStartingWith("event NewWindow3");
    ASSERT_EQ(events.size(), 2u);
    for (const std::string& event : events) EXPECT_NE(event.find("cancel=-1"), std::string::npos) << event;
    EXPECT_FALSE(m_engine->Has("newwindow opened=engine"));
    EXPECT_EQ(std::count(messages.begin(), messages.end(), UINT{WM_LAUNCHER_OPEN_ADDRESS}), 1);
    EXPECT_EQ(queued, std::vector<std::wstring>{L"https://vorkan.test/news"});
}

}  // namespace
