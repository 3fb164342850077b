// The browser host control: creation order of its attributes, its event
// dispatch, the document host answers, the command target, the download
// service and key translation, checked from the stand-in engine's record.
#include <gtest/gtest.h>


#include <exdispid.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Win32Handles.h"
#include "tests/toolkit/LifetimeProbe.h"
#include "tests/toolkit/hosts/HostTestWindow.h"
#include "toolkit/hosts/ActiveXCtrl.h"
#include "toolkit/hosts/WebBrowserUI.h"
#include "toolkit/skinwindow/WindowImplBase.h"
#include "toolkit/window/MessageLoop.h"

namespace {

using hosttest::EngineSession;
using hosttest::HostTestWindow;
using SkinUI::CDisplayScale;
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

// Created on first use, the browser waits for EnsureHostedControl (or its
// layout): nothing of the engine is loaded before, and the home page counts
// as the markup had it when "delaycreate" asked, not as it is later.
TEST_F(WebBrowserUITest, CreationOnFirstUseWaitsAndKeepsTheMarkupOfItsRequest)
{
    const struct {
        const wchar_t* attributes;
        bool opened;
    } cases[] = {
        {L"homepage=\"https://home.test/\" delaycreate=\"false\" autonavi=\"true\"", false},
        {L"homepage=\"https://home.test/\" autonavi=\"true\" delaycreate=\"false\" homepage=\"https://late.test/\"",
         true},
    };
    for (const auto& c : cases) {
        m_engine.reset();
        m_engine = std::make_unique<EngineSession>("");
        HostTestWindow window;
        auto* browser = new CWebBrowserUI;
        window.AttachRoot(browser);
        browser->SetCreationOnFirstUse(true);
        browser->ApplyAttributes(c.attributes);
        hosttest::PumpFor(50);
        EXPECT_TRUE(browser->IsCreationWaiting()) << c.attributes;
        EXPECT_EQ(browser->WebBrowser(), nullptr);
        EXPECT_FALSE(m_engine->Has("create")) << "nothing of the engine before the first use";
        EXPECT_EQ(browser->NavigateTo(kPortal), S_FALSE) << "no browser to navigate yet";

        ASSERT_TRUE(browser->EnsureHostedControl()) << c.attributes;
        EXPECT_FALSE(browser->IsCreationWaiting());
        ASSERT_NE(browser->WebBrowser(), nullptr);
        hosttest::PumpFor(50);
        EXPECT_TRUE(m_engine->Has("create"));
        EXPECT_EQ(m_engine->Has("Navigate2 url=https://home.test/"), c.opened) << c.attributes << m_engine->Text();
        EXPECT_FALSE(m_engine->Has("Navigate2 url=https://late.test/")) << m_engine->Text();
        EXPECT_TRUE(browser->EnsureHostedControl()) << "made once";
    }

    // Laid out, a waiting browser is made as a delayed one is.
    m_engine.reset();
    m_engine = std::make_unique<EngineSession>("");
    HostTestWindow window;
    auto* browser = new CWebBrowserUI;
    window.AttachRoot(browser);
    browser->SetCreationOnFirstUse(true);
    browser->ApplyAttributes(L"delaycreate=\"false\"");
    EXPECT_EQ(browser->WebBrowser(), nullptr);
    browser->Place({0, 0, 320, 200});
    EXPECT_NE(browser->WebBrowser(), nullptr);
    // Released for good, a waiting creation never happens.
    auto* released = new CWebBrowserUI;
    released->SetCreationOnFirstUse(true);
    released->ApplyAttributes(L"delaycreate=\"false\"");
    released->ReleaseHostedControlForGood();
    EXPECT_FALSE(released->EnsureHostedControl());
    delete released;
}

// The engine lays pages out at 96 DPI: the page takes its window's display
// scale as the optical zoom, before anyone hears of the document, again for
// each new top document away from 100 %, and at once when the window moves
// to a display of another scale. At 100 % the browser is never asked.
TEST_F(WebBrowserUITest, ThePageTakesTheZoomOfItsWindowsScale)
{
    struct ZoomAtCompletion : CountingHandler {
        CWebBrowserUI* browser = nullptr;
        std::vector<int> zooms;
        void DocumentComplete(IDispatch* frame, VARIANT*& url) override
        {
            CountingHandler::DocumentComplete(frame, url);
            zooms.push_back(browser->GivenZoom());
        }
    };
    CWebBrowserUI* browser = Browser(L"", "page *\nframes 2\n");
    ZoomAtCompletion handler;
    handler.browser = browser;
    browser->SetEventHandler(&handler);
    Load(browser);
    EXPECT_FALSE(m_engine->Has("ExecWB")) << "100 %: nothing asked";
    EXPECT_EQ(browser->GivenZoom(), 100);

    m_window.Manager().ChangeDisplayScale(CDisplayScale(144));
    browser->Place({0, 0, 960, 720});
    ASSERT_EQ(m_engine->LinesStartingWith("ExecWB").size(), 1u) << m_engine->Text();
    EXPECT_TRUE(m_engine->Has("ExecWB OLECMDID_OPTICAL_ZOOM option=2 in=VT_I4:0x00000096 hr=0x00000000 zoom=150"))
        << m_engine->Text();
    EXPECT_EQ(browser->GivenZoom(), 150);
    browser->Place({0, 0, 960, 720});
    EXPECT_EQ(m_engine->LinesStartingWith("ExecWB").size(), 1u) << "given once";

    // A new page gets the zoom again, before the handler hears of it; its
    // frames do not ask for it.
    handler.zooms.clear();
    const auto topDocuments = [&] {
        int n = 0;
        for (const std::string& line : m_engine->LinesStartingWith("event DocumentComplete"))
            n += line.find("frame=top") != std::string::npos;
        return n;
    };
    const int completed = topDocuments();
    ASSERT_EQ(browser->NavigateTo(L"https://portal.vorkan.test/next"), S_OK);
    ASSERT_TRUE(hosttest::PumpUntil([&] { return topDocuments() > completed; })) << m_engine->Text();
    EXPECT_EQ(m_engine->LinesStartingWith("ExecWB").size(), 2u) << m_engine->Text();
    const int zoomed = FirstAt("ExecWB");
    ASSERT_EQ(handler.zooms.size(), 3u);
    EXPECT_EQ(handler.zooms.back(), 150) << "the top document completes zoomed";

    m_window.Manager().ChangeDisplayScale(CDisplayScale(96));
    browser->Place({0, 0, 640, 480});
    EXPECT_TRUE(m_engine->Has("ExecWB OLECMDID_OPTICAL_ZOOM option=2 in=VT_I4:0x00000064 hr=0x00000000 zoom=100"));
    EXPECT_EQ(browser->GivenZoom(), 100);
    const std::size_t before = m_engine->LinesStartingWith("ExecWB").size();
    const int completedAt100 = topDocuments();
    ASSERT_EQ(browser->NavigateTo(kPortal), S_OK);
    ASSERT_TRUE(hosttest::PumpUntil([&] { return topDocuments() > completedAt100; }));
    EXPECT_EQ(m_engine->LinesStartingWith("ExecWB").size(), before) << "back at 100 %: not asked again";
    EXPECT_GE(zoomed, 0);
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

TEST_F(WebBrowserUITest, TheHostObjectAnswersTheHostInterfaces)
{
    CWebBrowserUI* browser = Browser(L"");
    SkinUI::CWebBrowserHost* host = browser->HostObject();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->Owner(), browser);
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
        EXPECT_EQ(SUCCEEDED(host->QueryInterface(*c.iid, &out)), c.offered);
        EXPECT_EQ(out != nullptr, c.offered);
        if (out != nullptr) static_cast<IUnknown*>(out)->Release();
    }
    // The page's external object and the download manager are the host object's.
    win32::ComPtr<IDispatch> external;
    ASSERT_EQ(browser->GetExternal(external.put()), S_OK);
    EXPECT_EQ(external.get(), static_cast<IDispatch*>(host));
    void* manager = nullptr;
    ASSERT_EQ(browser->QueryService(SkinUI::SID_DownloadManagerService, SkinUI::SID_DownloadManagerService, &manager),
              S_OK);
    EXPECT_EQ(manager, static_cast<IDownloadManager*>(host));
    static_cast<IUnknown*>(manager)->Release();
}

// The browser and the page may keep the host object longer than the
// control lives. What they call then fails cleanly instead of reaching a
// freed control.
TEST_F(WebBrowserUITest, TheHostObjectOutlivesItsControlAndThenFailsCleanly)
{
    enum How { Released, Destroyed };
    for (How how : {Released, Destroyed}) {
        CWebBrowserUI* browser = Browser(L"");
        Load(browser);
        CountingHandler handler;
        browser->SetEventHandler(&handler);
        win32::ComPtr<IDispatch> external;
        ASSERT_EQ(browser->GetExternal(external.put()), S_OK);
        win32::ComPtr<IDocHostUIHandler> documentHost;
        ASSERT_EQ(external->QueryInterface(IID_IDocHostUIHandler, documentHost.put_void()), S_OK);
        if (how == Released)
            browser->ReleaseHostedControl();
        else
            m_window.Close();  // deletes the tree and the control with it

        VARIANT url;
        ::VariantInit(&url);
        VARIANTARG args[2];
        args[0].vt = VT_VARIANT | VT_BYREF;
        args[0].pvarVal = &url;
        args[1].vt = VT_DISPATCH;
        args[1].pdispVal = nullptr;
        DISPPARAMS params = {args, nullptr, 2, 0};
        EXPECT_EQ(external->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                                   nullptr),
                  E_UNEXPECTED)
            << how;
        EXPECT_EQ(handler.documents, 0) << "no event reaches the handler of a control that let go";
        LPOLESTR name = const_cast<LPOLESTR>(L"g_callCppFunc");
        DISPID id = 0;
        EXPECT_EQ(external->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), E_UNEXPECTED);
        DOCHOSTUIINFO info = {};
        EXPECT_EQ(documentHost->GetHostInfo(&info), E_UNEXPECTED);
        IDispatch* again = reinterpret_cast<IDispatch*>(static_cast<INT_PTR>(1));
        EXPECT_EQ(documentHost->GetExternal(&again), E_UNEXPECTED);
        EXPECT_EQ(again, nullptr) << "out values are cleared";
        win32::ComPtr<IServiceProvider> services;
        ASSERT_EQ(external->QueryInterface(IID_IServiceProvider, services.put_void()), S_OK);
        void* download = reinterpret_cast<void*>(static_cast<INT_PTR>(1));
        EXPECT_EQ(services->QueryService(SkinUI::SID_DownloadManagerService, SkinUI::SID_DownloadManagerService,
                                         &download),
                  E_UNEXPECTED);
        EXPECT_EQ(download, nullptr);
        // The last references free it: one each is left.
        EXPECT_EQ(services.detach()->Release(), 2u);
        EXPECT_EQ(documentHost.detach()->Release(), 1u);
        EXPECT_EQ(external.detach()->Release(), 0u);
        if (how == Released) {
            // A new browser gets a host object of its own.
            ASSERT_TRUE(browser->CreateHostedControl());
            ASSERT_NE(browser->HostObject(), nullptr);
            EXPECT_EQ(browser->HostObject()->Owner(), browser);
        }
    }
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

    // The site's answers are the control's host object's interfaces.
    SkinUI::CActiveXCtrl* site = browser->Site();
    ASSERT_NE(site, nullptr);
    const struct {
        const IID* iid;
        void* expected;
    } cases[] = {
        {&IID_IDocHostUIHandler, static_cast<IDocHostUIHandler*>(browser->HostObject())},
        {&IID_IOleCommandTarget, static_cast<IOleCommandTarget*>(browser->HostObject())},
        {&IID_IServiceProvider, static_cast<IServiceProvider*>(browser->HostObject())},
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

// A second browser in the same control, after ReleaseHostedControl or a
// later "clsid": the first browser object and its site are gone before the
// second is made, and a site the first browser may still hold speaks for no
// control any more.
TEST_F(WebBrowserUITest, ASecondBrowserComesOnlyAfterTheFirstIsFullyReleased)
{
    const struct {
        const char* how;
        void (*again)(CWebBrowserUI* browser);
    } rows[] = {
        {"ReleaseHostedControl, then creation",
         [](CWebBrowserUI* browser) {
             browser->ReleaseHostedControl();
             browser->CreateHostedControl();
         }},
        {"a later clsid",
         [](CWebBrowserUI* browser) {
             browser->ApplyAttribute(L"delaycreate", L"false");
             browser->ApplyAttribute(L"clsid", L"{8856F961-340A-11D0-A96B-00C04FD705A2}");
         }},
    };
    for (const auto& row : rows) {
        CWebBrowserUI* browser = Browser(L"");
        ASSERT_NE(browser->Site(), nullptr) << row.how;
        const win32::ComPtr<SkinUI::CActiveXCtrl> firstSite(browser->Site());
        const HWND firstHost = browser->HostWindow();
        row.again(browser);
        ASSERT_NE(browser->WebBrowser(), nullptr) << row.how;
        EXPECT_NE(browser->Site(), firstSite.get()) << row.how;
        EXPECT_EQ(m_engine->LinesStartingWith("create").size(), 2u) << row.how;
        EXPECT_EQ(m_engine->LinesStartingWith("destroy").size(), 1u) << "the first object is freed: " << row.how;
        const std::vector<std::string> lines = m_engine->Lines();
        int secondCreate = -1;
        for (int i = static_cast<int>(lines.size()) - 1; i >= 0 && secondCreate < 0; --i)
            if (lines[static_cast<std::size_t>(i)] == "create") secondCreate = i;
        EXPECT_LT(FirstAt("destroy"), secondCreate) << "freed before the second was made: " << row.how;
        EXPECT_FALSE(::IsWindow(firstHost)) << row.how;
        // The first site answers as an orphan instead of reaching the control.
        EXPECT_EQ(firstSite->Owner(), nullptr) << row.how;
        HWND window = nullptr;
        EXPECT_EQ(static_cast<IOleInPlaceSiteWindowless*>(firstSite.get())->GetWindow(&window), E_UNEXPECTED)
            << row.how;
        EXPECT_EQ(static_cast<IOleClientSite*>(firstSite.get())->ShowObject(), E_UNEXPECTED) << row.how;
    }
}

// A skinned window whose layout holds a browser, created with its skin.
class BrowserSkinWindow : public SkinUI::WindowImplBase {
public:
    CWebBrowserUI* Browser() { return static_cast<CWebBrowserUI*>(m_pm.FindByName(L"ie")); }

protected:
    const wchar_t* WindowClassName() const override { return L"BrowserSkinTestWindow"; }
    const wchar_t* SkinFolder() const override { return L""; }
    const wchar_t* SkinFile() const override
    {
        return L"<Window size=\"640,480\"><WebBrowser name=\"ie\" delaycreate=\"false\"/></Window>";
    }
};

// The browser goes while its window is destroyed, its own windows still
// there, not when the manager deletes the tree after the fact; what the
// page keeps of the host fails cleanly from then on.
TEST_F(WebBrowserUITest, TheBrowserIsReleasedWhenItsWindowIsDestroyed)
{
    m_engine = std::make_unique<EngineSession>("page *\n");
    BrowserSkinWindow window;
    const HWND hwnd = window.Create(nullptr, L"browser window", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, 0);
    ASSERT_NE(hwnd, nullptr);
    CWebBrowserUI* browser = window.Browser();
    ASSERT_NE(browser, nullptr);
    ASSERT_NE(browser->WebBrowser(), nullptr);
    ASSERT_EQ(browser->NavigateTo(kPortal), S_OK);
    ASSERT_TRUE(m_engine->WaitFor("event DocumentComplete")) << m_engine->Text();
    win32::ComPtr<IDispatch> external;
    ASSERT_EQ(browser->GetExternal(external.put()), S_OK);

    ::DestroyWindow(hwnd);
    const std::vector<std::string> closes = m_engine->LinesStartingWith("Close save=1");
    ASSERT_EQ(closes.size(), 1u) << "closed with its window, not later\n" << m_engine->Text();
    EXPECT_EQ(closes[0], "Close save=1 window=live") << "its window was still there";
    EXPECT_TRUE(m_engine->Has("destroy")) << "nothing keeps the browser object";
    EXPECT_EQ(browser->WebBrowser(), nullptr);
    EXPECT_EQ(browser->HostWindow(), nullptr);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(external->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              E_UNEXPECTED);
    // Nothing lays the released control out into a new browser.
    browser->Place(RECT{0, 0, 320, 240});
    EXPECT_EQ(browser->WebBrowser(), nullptr);
    EXPECT_EQ(m_engine->LinesStartingWith("create").size(), 1u);
}

// A browser control whose deletion joins the dead set, and whose accelerator
// counts the keys that reach it afterwards.
class ProbeBrowser : public CWebBrowserUI {
public:
    ProbeBrowser() { lifetimetest::DeadSet().erase(this); }
    ~ProbeBrowser() override { lifetimetest::DeadSet().insert(this); }
    LRESULT PreTranslate(MSG* msg) override
    {
        const lifetimetest::ProbeCall call(this, &m_record);
        return call.late() ? S_FALSE : CWebBrowserUI::PreTranslate(msg);
    }

private:
    lifetimetest::ProbeRecord m_record;
};

// A new tree replaces the one holding the browser: the old tree is deleted
// with the browser, and a later key must not reach its accelerator.
TEST_F(WebBrowserUITest, ANewTreeLeavesNoAcceleratorOfTheOldBrowserBehind)
{
    lifetimetest::ResetOracles();
    m_engine = std::make_unique<EngineSession>("page *\n");
    auto* browser = new ProbeBrowser;
    m_window.AttachRoot(browser);
    browser->Place(RECT{0, 0, 640, 480});
    Load(browser);
    m_window.Manager().AttachTree(new SkinUI::CControlUI);
    m_window.Manager().ReapQueuedControls();  // what WM_REAP_OLD_TREE does in a skinned window
    ASSERT_EQ(lifetimetest::DeadSet().count(browser), 1u);
    MSG key = {m_window.Handle(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    SkinUI::PreTranslateAll(&key);
    EXPECT_EQ(lifetimetest::LateCalls(), 0) << "a key reached the deleted browser's accelerator";
}

// A handler that throws while the browser calls the host: the call fails
// with a status the browser understands, and nothing reaches the browser's
// own frames (through a noexcept COM method it would end the process).
TEST_F(WebBrowserUITest, AHandlerThatThrowsFailsTheBrowsersCallNotTheProcess)
{
    struct ThrowingHandler : SkinUI::CWebBrowserEventHandler {
        void DocumentComplete(IDispatch*, VARIANT*&) override { throw std::bad_alloc(); }
        void NavigateComplete2(IDispatch*, VARIANT*&) override { throw std::runtime_error("handler fails"); }
    } handler;
    CWebBrowserUI* browser = Browser(L"");
    browser->SetEventHandler(&handler);
    SkinUI::CWebBrowserHost* host = browser->HostObject();
    ASSERT_NE(host, nullptr);
    VARIANT url;
    ::VariantInit(&url);
    VARIANTARG args[2];
    args[0].vt = VT_VARIANT | VT_BYREF;
    args[0].pvarVal = &url;
    args[1].vt = VT_DISPATCH;
    args[1].pdispVal = nullptr;
    DISPPARAMS params = {args, nullptr, 2, 0};
    EXPECT_EQ(host->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              E_OUTOFMEMORY);
    EXPECT_EQ(host->Invoke(DISPID_NAVIGATECOMPLETE2, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              E_UNEXPECTED);
    // The page's own events still go through the engine and come back failed.
    Load(browser);
    for (const std::string& line : m_engine->LinesStartingWith("event DocumentComplete"))
        EXPECT_NE(line.find("hr=0x8007000E"), std::string::npos) << line;
}

}  // namespace
