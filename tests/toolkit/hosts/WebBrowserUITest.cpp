// The browser host control: creation order of its attributes, its event
// dispatch, the document host answers, the command target, the download
// service and key translation, checked from the stand-in engine's record.
#include <gtest/gtest.h>

#include <exdispid.h>

#include <string>
#include <vector>

#include "tests/toolkit/hosts/HostTestWindow.h"
#include "toolkit/hosts/WebBrowserUI.h"
#include "toolkit/window/MessageLoop.h"

namespace {

using hosttest::EngineSession;
using hosttest::HostTestWindow;
using SkinUI::CWebBrowserUI;

constexpr wchar_t kPortal[] = L"https://portal.vorkan.test/client/index/vrk";

// Counts what reaches the handler.
class CountingHandler : public SkinUI::CWebBrowserEventHandler {
public:
    void DocumentComplete(IDispatch*, VARIANT*& url) override
    {
        ++documents;
        if (url != nullptr && url->vt == VT_BSTR) lastUrl = url->bstrVal;
    }
    void NavigateComplete2(IDispatch*, VARIANT*&) override { ++navigations; }
    HRESULT Download(IMoniker*, IBindCtx*, DWORD, LONG, BINDINFO*, LPCOLESTR, LPCOLESTR, UINT) override
    {
        ++downloads;
        return S_OK;
    }
    int documents = 0;
    int navigations = 0;
    int downloads = 0;
    std::wstring lastUrl;
};

class WebBrowserUITest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EngineSession::EngineRegistered()) << "run scripts/wine-register first"; }

    // A browser control in the test window, with its markup attributes.
    CWebBrowserUI* Browser(const wchar_t* attributes, const std::string& scenario = "")
    {
        m_engine.reset();
        m_engine = std::make_unique<EngineSession>(scenario);
        auto* browser = new CWebBrowserUI;
        m_window.AttachRoot(browser);
        browser->ApplyAttributes(attributes);
        browser->Place(RECT{0, 0, 640, 480});
        return browser;
    }

    // Navigates and waits until the top document has completed.
    void Load(CWebBrowserUI* browser, const std::wstring& url = kPortal)
    {
        ASSERT_EQ(browser->NavigateTo(url.c_str()), S_OK);
        ASSERT_TRUE(m_engine->WaitFor("event DocumentComplete")) << "the page did not complete";
        hosttest::PumpFor(50);
    }

    hosttest::OleApartment m_ole;
    std::unique_ptr<EngineSession> m_engine;
    HostTestWindow m_window;
};

TEST_F(WebBrowserUITest, HomePageOpensOnlyWhenAutonaviComesBeforeDelaycreate)
{
    const struct {
        const wchar_t* attributes;
        bool opened;
    } cases[] = {
        {L"homepage=\"https://home.test/\" delaycreate=\"false\" autonavi=\"true\"", false},
        {L"homepage=\"https://home.test/\" autonavi=\"true\" delaycreate=\"false\"", true},
        {L"autonavi=\"true\" delaycreate=\"false\"", false},
        {L"homepage=\"https://home.test/\" autonavi=\"True\" delaycreate=\"false\"", false},
    };
    for (const auto& c : cases) {
        m_engine.reset();  // the old session unsets the engine's variables
        m_engine = std::make_unique<EngineSession>("");
        HostTestWindow window;
        auto* browser = new CWebBrowserUI;
        window.AttachRoot(browser);
        browser->ApplyAttributes(c.attributes);
        ASSERT_NE(browser->WebBrowser(), nullptr) << c.attributes;
        hosttest::PumpFor(50);
        EXPECT_EQ(m_engine->Has("Navigate2 url=https://home.test/"), c.opened) << c.attributes << m_engine->Text();
        EXPECT_EQ(browser->ClassName(), L"WebBrowserUI");
        EXPECT_EQ(browser->InterfaceFor(L"WebBrowser"), static_cast<CWebBrowserUI*>(browser));
        EXPECT_EQ(browser->InterfaceFor(L"ActiveX"), static_cast<SkinUI::CActiveXUI*>(browser));
    }
}

TEST_F(WebBrowserUITest, NavigateToNeedsAnAddressAndABrowser)
{
    CWebBrowserUI unplaced;
    EXPECT_EQ(unplaced.NavigateTo(kPortal), S_FALSE);
    CWebBrowserUI* browser = Browser(L"");
    EXPECT_EQ(browser->NavigateTo(nullptr), S_FALSE);
    EXPECT_EQ(browser->NavigateTo(kPortal), S_OK);
    EXPECT_TRUE(m_engine->Has("Navigate2 url=https://portal.vorkan.test/client/index/vrk"));
}

TEST_F(WebBrowserUITest, EventsReachTheHandlerAndTheDocumentGetsItsHost)
{
    CWebBrowserUI* browser = Browser(L"", "page *\nframes 2\n");
    CountingHandler handler;
    browser->SetEventHandler(&handler);
    browser->SetEventHandler(nullptr);  // none is ignored
    EXPECT_EQ(browser->EventHandler(), &handler);
    Load(browser);
    EXPECT_EQ(handler.documents, 3);
    EXPECT_EQ(handler.navigations, 3);
    EXPECT_EQ(handler.lastUrl, kPortal);
    EXPECT_TRUE(m_engine->Has("Advise sink="));
    EXPECT_TRUE(m_engine->Has("SetUIHandler handler=1"));
    // The events the host does not handle are answered as unknown members.
    for (const std::string& line : m_engine->LinesStartingWith("event DocumentComplete"))
        EXPECT_NE(line.find("hr=0x00000000"), std::string::npos) << line;
}

TEST_F(WebBrowserUITest, EventsWithAnInterfaceIdReachNoHandler)
{
    CWebBrowserUI* browser = Browser(L"");
    CountingHandler handler;
    browser->SetEventHandler(&handler);
    VARIANT url;
    ::VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = ::SysAllocString(kPortal);
    VARIANTARG args[2];
    args[0].vt = VT_VARIANT | VT_BYREF;
    args[0].pvarVal = &url;
    args[1].vt = VT_DISPATCH;
    args[1].pdispVal = nullptr;
    DISPPARAMS params = {args, nullptr, 2, 0};
    const struct {
        DISPID id;
        const IID* iid;
        HRESULT status;
        int documents;
    } cases[] = {
        {DISPID_DOCUMENTCOMPLETE, &IID_IDispatch, E_INVALIDARG, 0},
        {DISPID_DOCUMENTCOMPLETE, &IID_NULL, S_OK, 1},
        {DISPID_STATUSTEXTCHANGE, &IID_NULL, S_OK, 1},
        {DISPID_TITLECHANGE, &IID_NULL, DISP_E_MEMBERNOTFOUND, 1},
        {1000, &IID_NULL, DISP_E_MEMBERNOTFOUND, 1},
        {1000, &IID_IUnknown, E_INVALIDARG, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(browser->Invoke(c.id, *c.iid, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), c.status)
            << c.id;
        EXPECT_EQ(handler.documents, c.documents) << c.id;
    }
    // An event whose arguments have another shape reaches no handler either.
    args[0].vt = VT_BSTR;
    args[0].bstrVal = url.bstrVal;
    EXPECT_EQ(browser->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              S_OK);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(browser->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(handler.documents, 1);
    ::VariantClear(&url);
}

TEST_F(WebBrowserUITest, DocumentHostAnswers)
{
    CWebBrowserUI* browser = Browser(L"",
                                     "page *\n"
                                     "on complete contextmenu\n"
                                     "on complete external g_callCppFunc\n"
                                     "arg str {}\n");
    Load(browser);
    // An unknown name ends the script call before any Invoke.
    ASSERT_TRUE(m_engine->WaitFor("GetIDsOfNames")) << m_engine->Text();
    const std::vector<std::string> info = m_engine->LinesStartingWith("GetHostInfo");
    ASSERT_FALSE(info.empty());
    EXPECT_NE(info.front().find("hr=0x00000000 flags=0x00200005 dblclk=0"), std::string::npos) << info.front();
    EXPECT_TRUE(m_engine->Has("ShowContextMenu source=uihandler hr=0x00000001 menu=engine")) << m_engine->Text();
    EXPECT_TRUE(m_engine->Has("GetExternal source=uihandler hr=0x00000000 dispatch=1"));
    // The toolkit control names no members of its own.
    EXPECT_TRUE(m_engine->Has("GetIDsOfNames hr=0x80020006 dispid=-1 name=g_callCppFunc"));

    DOCHOSTUIINFO direct = {};
    direct.dwFlags = 0x10;  // the browser's own flags are kept
    EXPECT_EQ(browser->GetHostInfo(&direct), S_OK);
    EXPECT_EQ(direct.cbSize, sizeof(DOCHOSTUIINFO));
    EXPECT_EQ(direct.dwFlags, 0x200015u);
    EXPECT_EQ(browser->GetHostInfo(nullptr), S_OK);
}

TEST_F(WebBrowserUITest, ScriptErrorsAreSuppressedAndScriptsGoOn)
{
    CWebBrowserUI* browser = Browser(L"", "page *\non complete scripterror boom\n");
    Load(browser);
    ASSERT_TRUE(m_engine->WaitFor("Exec OLECMDID_SHOWSCRIPTERROR"));
    const std::string exec = m_engine->LinesStartingWith("Exec OLECMDID_SHOWSCRIPTERROR").front();
    EXPECT_NE(exec.find("hr=0x00000000"), std::string::npos) << exec;
    EXPECT_NE(exec.find("out=VT_BOOL:true"), std::string::npos) << exec;
    EXPECT_NE(exec.find("scripts=continue"), std::string::npos) << exec;

    const GUID other = IID_IDispatch;
    const struct {
        const GUID* group;
        DWORD command;
        HRESULT status;
    } cases[] = {
        {nullptr, OLECMDID_SHOWSCRIPTERROR, OLECMDERR_E_UNKNOWNGROUP},
        {&other, OLECMDID_SHOWSCRIPTERROR, OLECMDERR_E_UNKNOWNGROUP},
        {&SkinUI::CGID_DocHostCommands, OLECMDID_SHOWMESSAGE, OLECMDERR_E_NOTSUPPORTED},
        {&SkinUI::CGID_DocHostCommands, OLECMDID_SHOWSCRIPTERROR, S_OK},
    };
    for (const auto& c : cases) {
        VARIANT out;
        ::VariantInit(&out);
        EXPECT_EQ(browser->Exec(c.group, c.command, 0, nullptr, &out), c.status) << c.command;
        EXPECT_EQ(out.vt, c.status == S_OK ? VT_BOOL : VT_EMPTY);
        if (c.status == S_OK) EXPECT_EQ(out.boolVal, VARIANT_TRUE);
    }
    EXPECT_EQ(browser->Exec(&SkinUI::CGID_DocHostCommands, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, nullptr), S_OK);
    OLECMD command = {OLECMDID_SHOWSCRIPTERROR, 0};
    EXPECT_EQ(browser->QueryStatus(&SkinUI::CGID_DocHostCommands, 1, &command, nullptr), OLECMDERR_E_NOTSUPPORTED);
}

TEST_F(WebBrowserUITest, OnlyTheDownloadManagerServiceIsOffered)
{
    CWebBrowserUI* browser = Browser(L"", "page *\non complete download https://files.test/setup.exe\n");
    CountingHandler handler;
    browser->SetEventHandler(&handler);
    Load(browser);
    ASSERT_TRUE(m_engine->WaitFor("Download"));
    EXPECT_TRUE(m_engine->Has("Download hr=0x00000000 handled=host url=https://files.test/setup.exe"));
    EXPECT_EQ(handler.downloads, 1);

    const struct {
        const GUID* service;
        const IID* iid;
        HRESULT status;
    } cases[] = {
        {&SkinUI::SID_DownloadManagerService, &SkinUI::SID_DownloadManagerService, S_OK},
        {&SkinUI::SID_DownloadManagerService, &IID_IUnknown, E_NOINTERFACE},
        {&IID_IWebBrowserApp, &IID_IWebBrowser2, E_NOINTERFACE},
        {&IID_IUnknown, &SkinUI::SID_DownloadManagerService, E_NOINTERFACE},
    };
    for (const auto& c : cases) {
        void* out = reinterpret_cast<void*>(static_cast<INT_PTR>(1));  // must be cleared
        EXPECT_EQ(browser->QueryService(*c.service, *c.iid, &out), c.status);
        EXPECT_EQ(out != nullptr, c.status == S_OK);
        if (out != nullptr) static_cast<IUnknown*>(out)->Release();
    }
}

TEST_F(WebBrowserUITest, QueryInterfaceAnswersTheHostInterfacesAndCountsWithoutDeleting)
{
    CWebBrowserUI* browser = Browser(L"");
    const struct {
        const IID* iid;
        bool offered;
    } cases[] = {
        {&IID_IDocHostUIHandler, true}, {&IID_IDispatch, true},      {&IID_IServiceProvider, true},
        {&IID_IOleCommandTarget, true}, {&IID_IOleObject, false},    {&IID_IWebBrowser2, false},
        {&IID_IOleClientSite, false},
        // COM identity: every object answers IUnknown.
        {&IID_IUnknown, true},
    };
    for (const auto& c : cases) {
        void* out = reinterpret_cast<void*>(static_cast<INT_PTR>(1));
        EXPECT_EQ(SUCCEEDED(browser->QueryInterface(*c.iid, &out)), c.offered);
        EXPECT_EQ(out != nullptr, c.offered);
        if (out != nullptr) static_cast<IUnknown*>(out)->Release();
    }
    // The control belongs to the tree: dropping every COM reference keeps it.
    const ULONG before = browser->AddRef();
    EXPECT_EQ(browser->Release(), before - 1);
    EXPECT_EQ(browser->Release(), before - 2);
    EXPECT_EQ(browser->AddRef(), before - 1);
    EXPECT_EQ(browser->ClassName(), L"WebBrowserUI");
}

TEST_F(WebBrowserUITest, KeysAreTranslatedOnlyWhileTheFocusIsInTheBrowser)
{
    CWebBrowserUI* browser = Browser(L"");
    Load(browser);
    const HWND host = browser->HostWindow();
    ASSERT_NE(host, nullptr);
    const HWND view = ::GetWindow(host, GW_CHILD);
    ASSERT_NE(view, nullptr);

    // Through the message loop's pre-translation, as a queued key of the
    // browser's window: Tab is one the page acts on, Q is not.
    const struct {
        bool focusInside;
        UINT message;
        WPARAM key;
        bool consumed;
        bool askedBrowser;
    } cases[] = {
        {false, WM_KEYDOWN, VK_TAB, false, false},
        {true, WM_KEYDOWN, VK_TAB, true, true},
        {true, WM_KEYDOWN, 'Q', false, true},
        {true, WM_LBUTTONDOWN, 0, false, false},
    };
    for (const auto& c : cases) {
        ::SetFocus(c.focusInside ? view : m_window.Handle());
        ASSERT_EQ(::GetFocus() == view, c.focusInside);
        const std::size_t before = m_engine->LinesStartingWith("TranslateAccelerator").size();
        MSG msg = {view, c.message, c.key, 0, 0, {0, 0}};
        EXPECT_EQ(SkinUI::PreTranslateAll(&msg), c.consumed) << c.focusInside << " " << c.key;
        EXPECT_EQ(m_engine->LinesStartingWith("TranslateAccelerator").size() > before, c.askedBrowser) << c.key;
    }

    MSG key = {view, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    ::SetFocus(m_window.Handle());
    EXPECT_EQ(browser->PreTranslate(&key), S_FALSE);
    ::SetFocus(view);
    EXPECT_EQ(browser->PreTranslate(&key), S_OK);
    browser->ReleaseHostedControl();
    // Released: the manager no longer asks the browser.
    EXPECT_FALSE(SkinUI::PreTranslateAll(&key));
}

TEST_F(WebBrowserUITest, ReleaseDisconnectsTheEventsAndTheDocumentHost)
{
    CWebBrowserUI* browser = Browser(L"");
    Load(browser);
    ASSERT_TRUE(m_engine->Has("Advise sink="));
    ASSERT_TRUE(m_engine->Has("SetUIHandler handler=1"));
    browser->ReleaseHostedControl();
    EXPECT_FALSE(browser->IsCreated());
    ASSERT_TRUE(m_engine->Has("Unadvise"));
    EXPECT_NE(m_engine->LinesStartingWith("Unadvise").front().find("hr=0x00000000"), std::string::npos);
    // The document keeps no pointer to a host that may be deleted next.
    EXPECT_TRUE(m_engine->Has("SetUIHandler handler=0")) << m_engine->Text();
}

}  // namespace
