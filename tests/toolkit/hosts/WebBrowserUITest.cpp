// The browser host control: creation order of its attributes, its event
// dispatch, the document host answers, the command target, the download
// service and key translation, checked from the stand-in engine's record.
#include <gtest/gtest.h>

#include <exdispid.h>

#include <string>
#include <vector>

#include "tests/toolkit/hosts/HostTestWindow.h"
#include "toolkit/hosts/ActiveXCtrl.h"
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
    CWebBrowserUI* Browser(const wchar_t* attributes, const std::string& scenario = "",
                           const RECT& place = RECT{0, 0, 640, 480})
    {
        m_engine.reset();
        m_engine = std::make_unique<EngineSession>(scenario);
        auto* browser = new CWebBrowserUI;
        m_window.AttachRoot(browser);
        browser->ApplyAttributes(attributes);
        browser->Place(place);
        return browser;
    }

    // Position of the first record line starting with prefix; -1 when none.
    int FirstAt(const std::string& prefix) const
    {
        const std::vector<std::string> lines = m_engine->Lines();
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
        return -1;
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
    EXPECT_NE(info.front().find("source=clientsite hr=0x00000000 flags=0x00200005 dblclk=0"), std::string::npos)
        << info.front();
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
    EXPECT_NE(exec.find("source=clientsite hr=0x00000000"), std::string::npos) << exec;
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
        if (c.status == S_OK) {
            EXPECT_EQ(out.boolVal, VARIANT_TRUE);
        }
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
    // The browser's event is not one the host handles: nothing cancels it,
    // and the download reaches the service the client site offered.
    EXPECT_TRUE(m_engine->Has("event FileDownload dispid=270 sink=1 hr=0x80020003 document=0 cancel=0"))
        << m_engine->Text();
    EXPECT_TRUE(m_engine->Has(
        "QueryService source=clientsite hr=0x00000000 service=SID_SDownloadManager iid=IID_IDownloadManager out=set"));
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

// The browser registered its accelerator as its own: when its window takes
// another tree, the accelerator leaves with it, before the browser is
// deleted, and no key reaches it afterwards.
TEST_F(WebBrowserUITest, ABrowserLeavingItsWindowTakesItsAcceleratorAlong)
{
    CWebBrowserUI* browser = Browser(L"");
    Load(browser);
    const HWND view = ::GetWindow(browser->HostWindow(), GW_CHILD);
    ASSERT_NE(view, nullptr);
    bool destroyed = false;
    browser->OnDestroyed.Add([&destroyed](SkinUI::CControlUI*) {
        destroyed = true;
        return true;
    });
    MSG key = {view, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    ::SetFocus(view);
    ASSERT_TRUE(SkinUI::PreTranslateAll(&key));  // registered: the page takes Tab

    m_window.Manager().AttachTree(new SkinUI::CControlUI);
    ASSERT_FALSE(destroyed);  // queued: deleted once the window's reap message comes
    ::SetFocus(view);
    const std::size_t asked = m_engine->LinesStartingWith("TranslateAccelerator").size();
    EXPECT_FALSE(SkinUI::PreTranslateAll(&key));
    EXPECT_EQ(m_engine->LinesStartingWith("TranslateAccelerator").size(), asked);
    m_window.Manager().ReapQueuedControls();  // this test window hands the manager no messages
    EXPECT_TRUE(destroyed);
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

TEST_F(WebBrowserUITest, TheClientSiteSpeaksForTheBrowserWhileEachDocumentIsCreated)
{
    CWebBrowserUI* browser =
        Browser(L"", "page https://portal.vorkan.test/client\non complete navigate https://portal.vorkan.test/second\n");
    Load(browser);
    ASSERT_TRUE(m_engine->WaitFor("event DocumentComplete dispid=259 sink=1 hr=0x00000000 frame=top url=https://portal.vorkan.test/second"))
        << m_engine->Text();
    // Both documents: the site answers all three before anyone hears of the
    // document, so the host flags apply from the first question on.
    const std::vector<std::string> hosts = m_engine->LinesStartingWith("document host");
    ASSERT_EQ(hosts.size(), 2u) << m_engine->Text();
    for (const std::string& line : hosts)
        EXPECT_EQ(line.find("document host handler=1 commandtarget=1 services=1"), 0u) << line;
    const std::vector<std::string> infos = m_engine->LinesStartingWith("GetHostInfo");
    ASSERT_EQ(infos.size(), 2u);
    for (const std::string& line : infos)
        EXPECT_EQ(line.find("GetHostInfo source=clientsite hr=0x00000000 flags=0x00200005 dblclk=0"), 0u) << line;
    EXPECT_LT(FirstAt("GetHostInfo"), FirstAt("event NavigateComplete2"));
    // SetUIHandler is kept: either order of the two works.
    EXPECT_LT(FirstAt("GetHostInfo"), FirstAt("SetUIHandler handler=1"));

    // The site's answers are the control's own interfaces.
    SkinUI::CActiveXCtrl* site = browser->Site();
    ASSERT_NE(site, nullptr);
    const struct {
        const IID* iid;
        void* expected;
    } cases[] = {
        {&IID_IDocHostUIHandler, static_cast<IDocHostUIHandler*>(browser)},
        {&IID_IOleCommandTarget, static_cast<IOleCommandTarget*>(browser)},
        {&IID_IServiceProvider, static_cast<IServiceProvider*>(browser)},
        {&IID_IDispatch, nullptr},  // the page's external object is not the site's
    };
    for (const auto& c : cases) {
        void* out = reinterpret_cast<void*>(static_cast<INT_PTR>(1));
        const HRESULT hr = static_cast<IOleClientSite*>(site)->QueryInterface(*c.iid, &out);
        EXPECT_EQ(out, c.expected);
        EXPECT_EQ(SUCCEEDED(hr), c.expected != nullptr);
        if (out != nullptr) static_cast<IUnknown*>(out)->Release();
    }
}

// The handler's defaults say "nothing of ours" where a success would claim
// an answer they do not give.
TEST_F(WebBrowserUITest, HandlerDefaultsLeaveAddressesDataAndSettingsToTheBrowser)
{
    CWebBrowserUI* browser = Browser(L"",
                                     "page https://portal.vorkan.test/client\n"
                                     "on complete copy Vorkan\n"
                                     "on complete link https://portal.vorkan.test/news\n");
    SkinUI::CWebBrowserEventHandler defaults;
    browser->SetEventHandler(&defaults);
    Load(browser);
    ASSERT_TRUE(m_engine->WaitFor("event DocumentComplete dispid=259 sink=1 hr=0x00000000 frame=top url=https://portal.vorkan.test/news"))
        << m_engine->Text();
    EXPECT_TRUE(m_engine->Has("GetOptionKeyPath source=clientsite hr=0x00000001 key=none")) << m_engine->Text();
    EXPECT_TRUE(m_engine->Has("FilterDataObject source=uihandler hr=0x00000001 replacement=none clipboard=engine"));
    EXPECT_TRUE(m_engine->Has(
        "TranslateUrl source=uihandler hr=0x00000001 out=none followed=yes url=https://portal.vorkan.test/news"));

    // Without a handler the host answers E_NOTIMPL; with one, the handler's
    // answer; the out value is cleared in every case.
    for (SkinUI::CWebBrowserEventHandler* handler : {static_cast<SkinUI::CWebBrowserEventHandler*>(nullptr), &defaults}) {
        CWebBrowserUI bare;
        if (handler != nullptr) bare.SetEventHandler(handler);
        const HRESULT expected = handler != nullptr ? S_FALSE : E_NOTIMPL;
        wchar_t in[] = L"https://portal.vorkan.test/";
        LPWSTR url = reinterpret_cast<LPWSTR>(static_cast<INT_PTR>(1));
        EXPECT_EQ(bare.TranslateUrl(0, in, &url), expected);
        EXPECT_EQ(url, nullptr);
        IDataObject* data = reinterpret_cast<IDataObject*>(static_cast<INT_PTR>(1));
        EXPECT_EQ(bare.FilterDataObject(nullptr, &data), expected);
        EXPECT_EQ(data, nullptr);
        LPOLESTR key = reinterpret_cast<LPOLESTR>(static_cast<INT_PTR>(1));
        EXPECT_EQ(bare.GetOptionKeyPath(&key, 0), expected);
        if (handler != nullptr) {
            EXPECT_EQ(key, nullptr);
        }
    }
}

// A browser away from the window's origin: what the host window hands the
// browser is in the host window's own coordinates.
TEST_F(WebBrowserUITest, ABrowserAtFiftyFiftyIsShownAndActivatedInItsHostWindowsCoordinates)
{
    CWebBrowserUI* browser = Browser(L"", "", RECT{50, 50, 690, 530});
    const HWND host = browser->HostWindow();
    ASSERT_NE(host, nullptr);
    RECT placed{};
    ::GetWindowRect(host, &placed);
    ::MapWindowPoints(nullptr, m_window.Handle(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 50);
    EXPECT_EQ(placed.top, 50);
    // Created in the window manager's window at the control's rectangle...
    EXPECT_TRUE(m_engine->Has("DoVerb verb=-5 hr=0x00000000 rect=50,50,690,530")) << m_engine->Text();
    // ... then shown and placed inside its host window.
    EXPECT_TRUE(m_engine->Has("site ShowObject hr=0x00000000"));
    EXPECT_TRUE(m_engine->Has("Draw bounds=0,0,640,480")) << m_engine->Text();
    EXPECT_FALSE(m_engine->Has("Draw bounds=50,50"));
    EXPECT_TRUE(m_engine->Has("SetObjectRects pos=0,0,640,480 clip=0,0,640,480"));

    // Focus on the host window asks for UI activation with the host's rectangle.
    ASSERT_FALSE(browser->Site()->IsUIActive());
    ::SendMessageW(host, WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(m_engine->Has("DoVerb verb=-4 hr=0x00000000 rect=0,0,640,480")) << m_engine->Text();
    const HWND view = ::GetWindow(host, GW_CHILD);
    ASSERT_NE(view, nullptr);
    RECT inside{};
    ::GetWindowRect(view, &inside);
    ::MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&inside), 2);
    EXPECT_EQ(inside.left, 0);
    EXPECT_EQ(inside.top, 0);
    EXPECT_EQ(inside.right, 640);
    EXPECT_EQ(inside.bottom, 480);
}

// The browser holds the control's own interfaces through the site: it is
// closed and loses its site when the control goes. (Whether that happens
// before or after the control's own part is destroyed cannot be seen here:
// the memory stays until the whole destructor has run.)
TEST_F(WebBrowserUITest, DestroyingTheControlClosesAndReleasesItsBrowser)
{
    {
        CWebBrowserUI* browser = Browser(L"");
        Load(browser);
        ASSERT_TRUE(m_engine->Has("document host handler=1"));
        m_window.Close();  // deletes the tree: the control with its browser
    }
    const int close = FirstAt("Close save=1"), unsite = FirstAt("SetClientSite site=0");
    EXPECT_GE(close, 0) << m_engine->Text();
    EXPECT_LT(close, unsite);
    EXPECT_TRUE(m_engine->Has("destroy"));
}

}  // namespace
