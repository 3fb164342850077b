// The stand-in browser engine under a minimal container: created by the
// WebBrowser class id (scripts/wine-register), it must speak the contract of
// the system engine and record what the host answered.
#include "tests/support/TestSupport.h"
#include "tests/tools/EngineTestHost.h"
#include "tools/BrowserEngine/EngineIds.h"
#include "tools/BrowserEngine/PortalPageModel.h"

#include <gtest/gtest.h>

#include <exdispid.h>
#include <olectl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using enginetest::EventSink;
using enginetest::SeenValue;
using enginetest::TestContainer;
using testsupport::TempDir;

constexpr VARTYPE kRefVariant = VT_BYREF | VT_VARIANT;
constexpr VARTYPE kRefBool = VT_BYREF | VT_BOOL;
constexpr int kViewWidth = 800;
constexpr int kViewHeight = 520;
const wchar_t kPortal[] = L"https://portal.vorkan.test/client/index/vrk?fileparam=&token=tok42&source=QX&qxext=ext7&tokenLogin=0";

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateHostWindow()
{
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"EngineTestHost";
        return ::RegisterClassW(&wc) != 0;
    }();
    if (!registered) return nullptr;
    // Shown without taking the foreground from whatever else runs in the session.
    const HWND window = ::CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, L"EngineTestHost", L"engine test host",
                                          WS_POPUP | WS_CLIPCHILDREN, 0, 0, kViewWidth, kViewHeight, nullptr, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr);
    if (window) ::ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

class BrowserEngineTest : public ::testing::Test {
protected:
    // One host window per suite: destroying a shown top-level window costs
    // Wine on Xvfb about two seconds.
    static void SetUpTestSuite() { s_window = CreateHostWindow(); }
    static void TearDownTestSuite()
    {
        if (s_window) ::DestroyWindow(s_window);
        s_window = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        m_record = m_dir.file(L"record.txt");
        m_scenario = m_dir.file(L"scenario.txt");
        ::SetEnvironmentVariableW(L"VRK_ENGINE_RECORD", m_record.c_str());
        ::SetEnvironmentVariableW(L"VRK_ENGINE_SCENARIO", nullptr);
        m_window = s_window;
        ASSERT_NE(m_window, nullptr);
        container = std::make_unique<TestContainer>(m_window);
    }

    void TearDown() override
    {
        if (m_cookie && m_point) m_point->Unadvise(m_cookie);
        m_point.reset();
        if (object) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
            // Closed and without a site, the engine keeps nothing of the
            // host, though the object itself lives on.
            if (container) {
                container->activeObject.reset();
                EXPECT_EQ(container->Refs(), 0);
            }
        }
        browser.reset();
        object.reset();
        if (container) container->activeObject.reset();
        // The engine gives back every reference it took on the host's objects.
        if (container) {
            EXPECT_EQ(container->Refs(), 0);
            EXPECT_EQ(container->external.Refs(), 0);
            EXPECT_EQ(container->downloads.Refs(), 0);
        }
        EXPECT_EQ(sink.Refs(), 0);
        ::SetEnvironmentVariableW(L"VRK_ENGINE_RECORD", nullptr);
        ::SetEnvironmentVariableW(L"VRK_ENGINE_SCENARIO", nullptr);
        ::OleUninitialize();
    }

    void UseScenario(const std::string& text)
    {
        ASSERT_TRUE(testsupport::WriteFileBytes(m_scenario, text));
        ::SetEnvironmentVariableW(L"VRK_ENGINE_SCENARIO", m_scenario.c_str());
    }

    // Creates the control the way the toolkit's host does: by class id,
    // asking for IOleControl first.
    void Create()
    {
        win32::ComPtr<IOleControl> control;
        const HRESULT hr = ::CoCreateInstance(engine::kClsidWebBrowser, nullptr, CLSCTX_ALL, IID_IOleControl,
                                              control.put_void());
        ASSERT_EQ(hr, S_OK) << "is the engine registered? scripts/wine-register <wine state dir>";
        ASSERT_EQ(control.As(IID_IOleObject, object), S_OK);
        ASSERT_EQ(control.As(IID_IWebBrowser2, browser), S_OK);
    }

    void Embed()
    {
        Create();
        ASSERT_EQ(object->SetClientSite(container->Site()), S_OK);
        win32::ComPtr<IPersistStreamInit> persist;
        ASSERT_EQ(object.As(IID_IPersistStreamInit, persist), S_OK);
        ASSERT_EQ(persist->InitNew(), S_OK);
        RECT rect{0, 0, kViewWidth, kViewHeight};
        ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, container->Site(), 0, m_window, &rect), S_OK);
    }

    void Connect()
    {
        win32::ComPtr<IConnectionPointContainer> points;
        ASSERT_EQ(object.As(IID_IConnectionPointContainer, points), S_OK);
        ASSERT_EQ(points->FindConnectionPoint(engine::kDiidWebBrowserEvents2, m_point.put()), S_OK);
        ASSERT_EQ(m_point->Advise(static_cast<IDispatch*>(&sink), &m_cookie), S_OK);
        sink.browser = browser.get();
        sink.installHandler = container->Handler();
    }

    HRESULT Navigate(const std::wstring& url)
    {
        VARIANT address;
        ::VariantInit(&address);
        address.vt = VT_BSTR;
        address.bstrVal = ::SysAllocString(url.c_str());
        VARIANT empty;
        ::VariantInit(&empty);
        const HRESULT hr = browser->Navigate2(&address, &empty, &empty, &empty, &empty);
        ::VariantClear(&address);
        return hr;
    }

    HWND View()
    {
        win32::ComPtr<engine::IStandInEngine> standIn;
        HWND view = nullptr;
        if (SUCCEEDED(object.As(engine::kIidStandInEngine, standIn))) standIn->GetViewWindow(&view);
        return view;
    }

    static bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000)
    {
        const DWORD start = ::GetTickCount();
        for (;;) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            if (done()) return true;
            if (::GetTickCount() - start > timeoutMs) return false;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }

    // Lets every posted step run: waits for a quiet moment after done().
    static void Settle(DWORD ms = 150)
    {
        const DWORD start = ::GetTickCount();
        PumpUntil([&] { return ::GetTickCount() - start > ms; }, ms + 1000);
    }

    bool Completed(const std::wstring& url) const
    {
        for (const EventSink::Event& e : sink.events)
            if (e.id == DISPID_DOCUMENTCOMPLETE && e.frame == TopFrame() && e.url == url) return true;
        return false;
    }

    HWND HostWindow() const { return m_window; }
    IDispatch* TopFrame() const { return static_cast<IDispatch*>(browser.get()); }

    std::vector<std::string> Record() const { return testsupport::SplitLines(testsupport::ReadFileBytes(m_record)); }

    // The record lines that start with prefix.
    std::vector<std::string> Lines(const std::string& prefix) const
    {
        std::vector<std::string> found;
        for (const std::string& line : Record())
            if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
        return found;
    }

    bool Recorded(const std::string& prefix) const { return !Lines(prefix).empty(); }

    // Position of the first record line starting with prefix; -1 when none.
    int FirstAt(const std::string& prefix) const
    {
        const std::vector<std::string> lines = Record();
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
        return -1;
    }

    std::unique_ptr<TestContainer> container;
    EventSink sink;
    win32::ComPtr<IOleObject> object;
    win32::ComPtr<IWebBrowser2> browser;

private:
    static HWND s_window;
    TempDir m_dir;
    std::wstring m_record;
    std::wstring m_scenario;
    HWND m_window = nullptr;
    win32::ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

TEST_F(BrowserEngineTest, TheClassIdCreatesTheStandInWithTheControlInterfaces)
{
    Create();
    win32::ComPtr<engine::IStandInEngine> standIn;
    EXPECT_EQ(object.As(engine::kIidStandInEngine, standIn), S_OK) << "Wine's own engine answered the class id";
    for (const IID& iid : {IID_IOleInPlaceObject, IID_IOleInPlaceActiveObject, IID_IViewObject, IID_IViewObject2,
                           IID_IPersistStreamInit, IID_IObjectWithSite, IID_IOleControl, IID_IConnectionPointContainer}) {
        win32::ComPtr<IUnknown> answer;
        EXPECT_EQ(object.As(iid, answer), S_OK);
    }
    DWORD status = 0;
    ASSERT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_TRUE(status & OLEMISC_SETCLIENTSITEFIRST);
    EXPECT_FALSE(status & OLEMISC_INVISIBLEATRUNTIME);

    win32::ComPtr<IConnectionPointContainer> points;
    ASSERT_EQ(object.As(IID_IConnectionPointContainer, points), S_OK);
    win32::ComPtr<IConnectionPoint> other;
    EXPECT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, other.put()), CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(other);
    EXPECT_TRUE(Recorded("create"));
}

TEST_F(BrowserEngineTest, InPlaceActivationPaintsInAChildOfTheSiteWindowThatFollowsTheRects)
{
    Embed();
    EXPECT_EQ(container->canActivateCalls, 1);
    EXPECT_EQ(container->activateExCalls, 1);
    const HWND view = View();
    ASSERT_TRUE(::IsWindow(view));
    EXPECT_EQ(::GetParent(view), HostWindow());
    EXPECT_TRUE(::GetWindowLongW(view, GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(Recorded("site GetWindowContext hr=0x00000000"));
    EXPECT_EQ(container->showObjectCalls, 1);
    EXPECT_TRUE(Recorded("DoVerb verb=-5 hr=0x00000000 rect=0,0,800,520"));

    const RECT moved{10, 20, 410, 320};
    win32::ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(object.As(IID_IOleInPlaceObject, inPlace), S_OK);
    ASSERT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
    RECT client{};
    ::GetClientRect(view, &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 300);
    HWND window = nullptr;
    EXPECT_EQ(inPlace->GetWindow(&window), S_OK);
    EXPECT_EQ(window, view);
    EXPECT_TRUE(Recorded("SetObjectRects pos=10,20,410,320 clip=10,20,410,320"));

    EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(::IsWindow(view));
    EXPECT_EQ(container->deactivateCalls, 1);
}

TEST_F(BrowserEngineTest, UiActivationMakesTheEngineTheFramesActiveObject)
{
    Embed();
    RECT rect{0, 0, kViewWidth, kViewHeight};
    ASSERT_EQ(object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, container->Site(), 0, nullptr, &rect), S_OK);
    EXPECT_EQ(container->uiActivateCalls, 1);
    ASSERT_TRUE(container->activeObject);
    win32::ComPtr<IOleInPlaceActiveObject> own;
    ASSERT_EQ(object.As(IID_IOleInPlaceActiveObject, own), S_OK);
    EXPECT_EQ(container->activeObject.get(), own.get());
}

TEST_F(BrowserEngineTest, Navigate2FiresBeforeNavigateAtOnceThenCompletesWithTheRealArgumentLayout)
{
    Embed();
    Connect();
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_EQ(sink.Ids({DISPID_BEFORENAVIGATE2}).size(), 1u) << "BeforeNavigate2 belongs inside Navigate2";
    ASSERT_TRUE(PumpUntil([&] { return Completed(kPortal); }));

    EXPECT_EQ(sink.Ids({DISPID_BEFORENAVIGATE2, DISPID_NAVIGATECOMPLETE2, DISPID_DOCUMENTCOMPLETE}),
              (std::vector<DISPID>{DISPID_BEFORENAVIGATE2, DISPID_NAVIGATECOMPLETE2, DISPID_DOCUMENTCOMPLETE}));
    for (const EventSink::Event& e : sink.events) {
        SCOPED_TRACE(e.id);
        if (e.id == DISPID_BEFORENAVIGATE2) {
            EXPECT_EQ(e.types, (std::vector<VARTYPE>{kRefBool, kRefVariant, kRefVariant, kRefVariant, kRefVariant,
                                                     kRefVariant, VT_DISPATCH}));
        } else if (e.id == DISPID_NAVIGATECOMPLETE2 || e.id == DISPID_DOCUMENTCOMPLETE) {
            EXPECT_EQ(e.types, (std::vector<VARTYPE>{kRefVariant, VT_DISPATCH}));
        } else {
            continue;
        }
        EXPECT_EQ(e.url, kPortal);
        EXPECT_EQ(e.frame, TopFrame());
    }

    BSTR location = nullptr;
    ASSERT_EQ(browser->get_LocationURL(&location), S_OK);
    EXPECT_STREQ(location, kPortal);
    ::SysFreeString(location);
    READYSTATE state = READYSTATE_UNINITIALIZED;
    EXPECT_EQ(browser->get_ReadyState(&state), S_OK);
    EXPECT_EQ(state, READYSTATE_COMPLETE);
    win32::ComPtr<IDispatch> document;
    ASSERT_EQ(browser->get_Document(document.put()), S_OK);
    win32::ComPtr<ICustomDoc> custom;
    EXPECT_EQ(document.As(__uuidof(ICustomDoc), custom), S_OK);
}

// How each scenario shapes the events of one navigation.
struct NavigationCase {
    const char* name;
    const char* scenario;
    VARIANT_BOOL cancelBefore;
    VARIANT_BOOL cancelError;
    std::vector<DISPID> events;   // BeforeNavigate2, NavigateError, NavigateComplete2, DocumentComplete
    int childDocuments;           // DocumentComplete of frames
    VARTYPE statusType;           // NavigateError's status variant, VT_ILLEGAL: none
    const wchar_t* statusText;
    const char* recorded;         // a record line that must be there
};

HWND BrowserEngineTest::s_window = nullptr;

constexpr DISPID B = DISPID_BEFORENAVIGATE2, E = DISPID_NAVIGATEERROR, N = DISPID_NAVIGATECOMPLETE2,
                 D = DISPID_DOCUMENTCOMPLETE;

void PrintTo(const NavigationCase& c, std::ostream* os)
{
    *os << c.name;
}

class NavigationScenarioTest : public BrowserEngineTest, public ::testing::WithParamInterface<NavigationCase> {};

TEST_P(NavigationScenarioTest, EventsFollowTheScenario)
{
    const NavigationCase& c = GetParam();
    UseScenario(c.scenario);
    Embed();
    Connect();
    sink.cancelBeforeNavigate = c.cancelBefore;
    sink.cancelNavigateError = c.cancelError;
    ASSERT_EQ(Navigate(kPortal), S_OK);
    Settle(400);

    EXPECT_EQ(sink.Ids({B, E, N, D}), c.events);
    int children = 0;
    for (const EventSink::Event& e : sink.events) {
        if (e.id == D && e.frame != TopFrame()) ++children;
        if (e.id == B && e.frame != TopFrame()) {
            EXPECT_EQ(e.url.find(std::wstring(kPortal) + L"#frame"), 0u);
        }
        if (e.id == E) {
            EXPECT_EQ(e.types, (std::vector<VARTYPE>{kRefBool, kRefVariant, kRefVariant, kRefVariant, VT_DISPATCH}));
            EXPECT_EQ(e.status.vt, c.statusType);
            EXPECT_EQ(e.status.text, c.statusText);
            EXPECT_EQ(e.url, kPortal);
        }
    }
    EXPECT_EQ(children, c.childDocuments);
    // The top document completes last, after every frame.
    const EventSink::Event* lastComplete = nullptr;
    for (const EventSink::Event& e : sink.events)
        if (e.id == D) lastComplete = &e;
    if (lastComplete) {
        EXPECT_EQ(lastComplete->frame, TopFrame());
    }
    EXPECT_TRUE(Recorded(c.recorded)) << c.recorded;
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, NavigationScenarioTest,
    ::testing::Values(
        NavigationCase{"PlainPage", "", VARIANT_FALSE, VARIANT_FALSE, {B, N, D}, 0, VT_ILLEGAL, L"",
                       "event DocumentComplete dispid=259 sink=1 hr=0x00000000 frame=top"},
        NavigationCase{"TwoFramesCompleteBeforeTheTop", "page *\nframes 2\n", VARIANT_FALSE, VARIANT_FALSE,
                       {B, N, B, N, D, B, N, D, D}, 2, VT_ILLEGAL, L"", "event BeforeNavigate2 dispid=250 sink=1 hr=0x00000000 frame=frame2"},
        NavigationCase{"NetworkErrorThenTheErrorPage", "page https://portal.vorkan.test/\nerror i4 0x800C0005\n",
                       VARIANT_FALSE, VARIANT_FALSE, {B, E, N, D}, 0, VT_I4, L"-2146697211",
                       "event DocumentComplete dispid=259 sink=1 hr=0x00000000 frame=top url=res://ieframe.dll/"},
        NavigationCase{"ErrorStatusOfAnotherType", "page *\nerror i2 5\n", VARIANT_FALSE, VARIANT_FALSE, {B, E, N, D}, 0,
                       VT_I2, L"5", "event NavigateError dispid=271 sink=1 hr=0x00000000 cancel=0 status=VT_I2:5"},
        NavigationCase{"ErrorCancelledByTheHost", "page *\nerror ui4 404\n", VARIANT_FALSE, VARIANT_TRUE, {B, E}, 0,
                       VT_UI4, L"404", "navigation cancelled url=https://portal.vorkan.test/"},
        NavigationCase{"CancelledBeforeNavigating", "page *\nframes 1\n", VARIANT_TRUE, VARIANT_FALSE, {B}, 0, VT_ILLEGAL,
                       L"", "event BeforeNavigate2 dispid=250 sink=1 hr=0x00000000 frame=top cancel=-1"},
        NavigationCase{"StalledPage", "page https://other.test/\nframes 3\npage *\nstall\n", VARIANT_FALSE, VARIANT_FALSE,
                       {B}, 0, VT_ILLEGAL, L"", "navigation stalled url=https://portal.vorkan.test/"},
        NavigationCase{"FirstMatchingBlockWins", "page https://other.test/\nstall\npage https://portal.vorkan.test/\nframes 1\n",
                       VARIANT_FALSE, VARIANT_FALSE, {B, N, B, N, D, D}, 1, VT_ILLEGAL, L"",
                       "event DocumentComplete dispid=259 sink=1 hr=0x00000000 frame=child"},
        NavigationCase{"UnreadableScenarioFallsBackToThePlainPage", "page *\nframes many\n", VARIANT_FALSE, VARIANT_FALSE,
                       {B, N, D}, 0, VT_ILLEGAL, L"", "scenario error line 2: frames needs a count"}),
    [](const ::testing::TestParamInfo<NavigationCase>& info) { return std::string(info.param.name); });

TEST_F(BrowserEngineTest, ATitledPageAnnouncesItsTitleAfterNavigateComplete)
{
    UseScenario("page *\ntitle Vorkan \xE2\x80\x94 Portal\n");
    Embed();
    Connect();
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Completed(kPortal); }));
    EXPECT_EQ(sink.Ids({N, DISPID_TITLECHANGE, D}), (std::vector<DISPID>{N, DISPID_TITLECHANGE, D}));
    for (const EventSink::Event& e : sink.events) {
        if (e.id == DISPID_TITLECHANGE) {
            EXPECT_EQ(e.types, std::vector<VARTYPE>{VT_BSTR});
        }
    }
    BSTR name = nullptr;
    ASSERT_EQ(browser->get_LocationName(&name), S_OK);
    EXPECT_STREQ(name, L"Vorkan \x2014 Portal");
    ::SysFreeString(name);
}

TEST_F(BrowserEngineTest, ClosingDuringANavigationEndsItWithoutFurtherEvents)
{
    Embed();
    Connect();
    const HWND view = View();
    ASSERT_TRUE(::IsWindow(view));
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
    Settle(300);
    EXPECT_EQ(sink.Ids({B, N, D}), std::vector<DISPID>{B});
    EXPECT_EQ(container->deactivateCalls, 1);
    EXPECT_FALSE(::IsWindow(view));
}

// Who answers for the host: the client site while the document is created,
// the handler installed on NavigateComplete2 from then on.
struct DocumentHostCase {
    const char* name;
    bool handlerOnSite;
    bool installOnNavigateComplete;
    const char* documentHost;  // the record of what the site answered
    const char* hostInfo;      // GetHostInfo, asked before NavigateComplete2
    const char* contextMenu;   // a later question of the page
    int hostInfoCalls;
};

void PrintTo(const DocumentHostCase& c, std::ostream* os)
{
    *os << c.name;
}

class DocumentHostTest : public BrowserEngineTest, public ::testing::WithParamInterface<DocumentHostCase> {};

TEST_P(DocumentHostTest, TheClientSiteIsAskedWhileTheDocumentIsCreated)
{
    const DocumentHostCase& c = GetParam();
    UseScenario("page *\non complete contextmenu\n");
    container->handlerOnSite = c.handlerOnSite;
    container->hostFlags = 0x200005;
    Embed();
    Connect();
    if (!c.installOnNavigateComplete) sink.installHandler = nullptr;
    ASSERT_EQ(browser->put_Silent(VARIANT_TRUE), S_OK);
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Recorded("ShowContextMenu"); }));

    EXPECT_TRUE(Recorded(c.documentHost)) << c.documentHost;
    EXPECT_TRUE(Recorded(c.hostInfo)) << c.hostInfo;
    EXPECT_TRUE(Recorded(c.contextMenu)) << c.contextMenu;
    EXPECT_EQ(container->hostInfoCalls, c.hostInfoCalls);
    // The order the system engine asks in: the site, the handler's settings,
    // then the event a host may install its own handler in (the event's
    // line follows what its sink did).
    const int site = FirstAt("document host"), info = FirstAt("GetHostInfo"),
              navigated = FirstAt("event NavigateComplete2");
    EXPECT_LT(site, info);
    EXPECT_LT(info, navigated);
    if (c.installOnNavigateComplete) {
        EXPECT_LT(info, FirstAt("SetUIHandler handler=1"));
    }
    EXPECT_TRUE(Recorded("put_Silent value=-1"));
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, DocumentHostTest,
    ::testing::Values(
        DocumentHostCase{"SiteThenInstalledHandler", true, true, "document host handler=1 commandtarget=1 services=1 url=https://portal",
                         "GetHostInfo source=clientsite hr=0x00000000 flags=0x00200005 dblclk=0",
                         "ShowContextMenu source=uihandler", 1},
        DocumentHostCase{"SiteOnly", true, false, "document host handler=1", "GetHostInfo source=clientsite",
                         "ShowContextMenu source=clientsite", 1},
        // A handler that only SetUIHandler installs comes too late for the
        // document's settings.
        DocumentHostCase{"InstalledHandlerOnly", false, true, "document host handler=0 commandtarget=1 services=1",
                         "GetHostInfo source=none", "ShowContextMenu source=uihandler", 0},
        DocumentHostCase{"NoHandler", false, false, "document host handler=0", "GetHostInfo source=none",
                         "ShowContextMenu source=none", 0}),
    [](const ::testing::TestParamInfo<DocumentHostCase>& info) { return std::string(info.param.name); });

TEST_F(BrowserEngineTest, TheDocumentAsksForTheOptionKeyAndSeesWhetherItWasWritten)
{
    container->handlerOnSite = true;
    Embed();
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Recorded("GetHostInfo"); }));
    // The test host clears the key and answers E_NOTIMPL.
    EXPECT_TRUE(Recorded("GetOptionKeyPath source=clientsite hr=0x80004001 key=none"));
    EXPECT_LT(FirstAt("GetOptionKeyPath"), FirstAt("GetHostInfo"));
}

// window.external calls: the name as written, the arguments in script order.
struct ExternalCase {
    const char* name;
    const char* lines;  // the action and its arguments
    const wchar_t* lookedUp;
    std::vector<SeenValue> args;
    const char* recorded;
};

void PrintTo(const ExternalCase& c, std::ostream* os)
{
    *os << c.name;
}

class ExternalCallTest : public BrowserEngineTest, public ::testing::WithParamInterface<ExternalCase> {};

TEST_P(ExternalCallTest, ReachesTheExternalObjectAsWritten)
{
    const ExternalCase& c = GetParam();
    UseScenario(std::string("page *\n") + c.lines);
    Embed();
    Connect();
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Recorded("Invoke ") || Recorded("GetIDsOfNames hr=0x80020006"); }));

    ASSERT_EQ(container->external.names, std::vector<std::wstring>{c.lookedUp});
    const bool known = std::wstring(c.lookedUp) == L"g_callCppFunc";
    ASSERT_EQ(container->external.calls.size(), 1u);
    const auto& call = container->external.calls[0];
    EXPECT_EQ(call.id, known ? 1000 : DISPID_UNKNOWN);
    ASSERT_EQ(call.args.size(), c.args.size());
    for (size_t i = 0; i < c.args.size(); ++i) {
        EXPECT_EQ(call.args[i].vt, c.args[i].vt) << i;
        EXPECT_EQ(call.args[i].text, c.args[i].text) << i;
    }
    EXPECT_TRUE(Recorded(std::string("GetIDsOfNames hr=0x00000000 dispid=") + (known ? "1000" : "-1")));
    EXPECT_TRUE(Recorded(c.recorded)) << c.recorded;
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ExternalCallTest,
    ::testing::Values(
        ExternalCase{"OneString", "on complete external g_callCppFunc\narg str {\"funcation_name\":\"min_wnd\"}\n",
                     L"g_callCppFunc", {{VT_BSTR, L"{\"funcation_name\":\"min_wnd\"}"}},
                     "Invoke dispid=1000 argc=1 hr=0x80020003 result=VT_EMPTY name=g_callCppFunc args=VT_BSTR:{\"funcation_name\":\"min_wnd\"}"},
        ExternalCase{"ANumber", "on complete external g_callCppFunc\narg i4 42\n", L"g_callCppFunc", {{VT_I4, L"42"}},
                     "Invoke dispid=1000 argc=1 hr=0x80020003"},
        ExternalCase{"ScriptNull", "on complete external g_callCppFunc\narg null\n", L"g_callCppFunc", {{VT_NULL, L""}},
                     "Invoke dispid=1000 argc=1 hr=0x80020003 result=VT_EMPTY name=g_callCppFunc args=VT_NULL"},
        ExternalCase{"TwoArgumentsInScriptOrder",
                     "on complete external g_callCppFunc\narg str {\"funcation_name\":\"close_wnd\"}\narg r8 2.5\n",
                     L"g_callCppFunc", {{VT_BSTR, L"{\"funcation_name\":\"close_wnd\"}"}, {VT_R8, L"2.500000"}},
                     "Invoke dispid=1000 argc=2"},
        ExternalCase{"EmptyStringAndBool", "on timer 10 external g_callCppFunc\narg str\narg bool true\n", L"g_callCppFunc",
                     {{VT_BSTR, L""}, {VT_BOOL, L"-1"}}, "Invoke dispid=1000 argc=2"},
        ExternalCase{"NameInOtherLetterCase", "on complete external G_CALLCPPFUNC\narg str {}\n", L"G_CALLCPPFUNC",
                     {{VT_BSTR, L"{}"}}, "Invoke dispid=-1 argc=1"},
        ExternalCase{"AFilledString", "on complete external g_callCppFunc\narg fill 5 {\"t\":\"*\"}\n", L"g_callCppFunc",
                     {{VT_BSTR, L"{\"t\":\"xxxxx\"}"}}, "Invoke dispid=1000 argc=1 hr=0x80020003 result=VT_EMPTY name=g_callCppFunc args=VT_BSTR:{\"t\":\"xxxxx\"}"},
        ExternalCase{"AHugeStringIsRecordedByItsStartAndSize", "on complete external g_callCppFunc\narg fill 1048576 *\n",
                     L"g_callCppFunc", {{VT_BSTR, std::wstring(1048576, L'x')}},
                     "Invoke dispid=1000 argc=1 hr=0x80020003 result=VT_EMPTY name=g_callCppFunc args=VT_BSTR:xxxxxxxx"},
        ExternalCase{"AScriptObject", "on complete external g_callCppFunc\narg object {\"funcation_name\":\"min_wnd\"}\n",
                     L"g_callCppFunc", {{VT_DISPATCH, L""}},
                     "Invoke dispid=1000 argc=1 hr=0x80020003 result=VT_EMPTY name=g_callCppFunc args=VT_DISPATCH:object"}),
    [](const ::testing::TestParamInfo<ExternalCase>& info) { return std::string(info.param.name); });

// Converting a script object argument to text runs the page's code, which
// the record shows, and answers the object's text.
TEST_F(BrowserEngineTest, ConvertingAScriptObjectRunsThePagesCode)
{
    UseScenario("page *\non complete external g_callCppFunc\narg object {\"funcation_name\":\"min_wnd\"}\n");
    Embed();
    Connect();
    container->external.convertObjects = true;
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Recorded("Invoke "); }));
    ASSERT_EQ(container->external.calls.size(), 1u);
    ASSERT_EQ(container->external.calls[0].args.size(), 1u);
    EXPECT_EQ(container->external.calls[0].args[0].vt, VT_DISPATCH);
    EXPECT_EQ(container->external.calls[0].args[0].text, L"{\"funcation_name\":\"min_wnd\"}");
    EXPECT_TRUE(Recorded("page code ran text={\"funcation_name\":\"min_wnd\"}"));
    EXPECT_LT(FirstAt("page code ran"), FirstAt("Invoke ")) << "inside the host's call";
}

// A third party's frame that cannot be reached names its own dispatch; a
// frame that completes late does so after the top document.
TEST_F(BrowserEngineTest, AFailingFrameAndALateFrameAreTheirOwnDocuments)
{
    UseScenario("page *\nframes 2\nframeerror i4 0x800C0005\nlateframe 100\n");
    Embed();
    Connect();
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Recorded("event DocumentComplete dispid=259 sink=1 hr=0x00000000 frame=child url=" +
                                                testsupport::WideToUtf8(kPortal) + "#late"); }))
        << "the late frame completes";
    std::vector<const EventSink::Event*> errors, completions;
    for (const EventSink::Event& e : sink.events) {
        if (e.id == E) errors.push_back(&e);
        if (e.id == D) completions.push_back(&e);
    }
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0]->frame, TopFrame());
    EXPECT_EQ(errors[0]->url, std::wstring(kPortal) + L"#frame1");
    EXPECT_EQ(errors[0]->status.vt, VT_I4);
    EXPECT_TRUE(Recorded("event NavigateError dispid=271 sink=1 hr=0x00000000 frame=child cancel=0 status=VT_I4:0x800C0005"));
    // frame 1's error page, frame 2, the top document, then the late frame
    ASSERT_EQ(completions.size(), 4u);
    EXPECT_EQ(completions[0]->url.rfind(L"res://ieframe.dll/", 0), 0u) << "the failed frame's error page";
    EXPECT_EQ(completions[1]->url, std::wstring(kPortal) + L"#frame2");
    EXPECT_EQ(completions[2]->frame, TopFrame());
    EXPECT_NE(completions[3]->frame, TopFrame());
    EXPECT_EQ(completions[3]->url, std::wstring(kPortal) + L"#late");
}

// A failed call of window.external is an exception nothing on the page
// catches: the engine reports it through the host's command target.
struct FailedCallCase {
    const char* name;
    HRESULT externalAnswer;
    HRESULT namesAnswer;
    HRESULT invokeAnswer;
    size_t invokes;
    size_t scriptErrors;
    const char* message;  // the recorded error's text, when there is one
};

void PrintTo(const FailedCallCase& c, std::ostream* os)
{
    *os << c.name;
}

class FailedCallTest : public BrowserEngineTest, public ::testing::WithParamInterface<FailedCallCase> {};

TEST_P(FailedCallTest, EveryFailedCallIsAScriptError)
{
    const FailedCallCase& c = GetParam();
    UseScenario("page *\non complete external g_callCppFunc\narg str {}\non timer 50 external g_callCppFunc\narg str {}\n");
    Embed();
    Connect();
    container->externalAnswer = c.externalAnswer;
    container->external.namesAnswer = c.namesAnswer;
    container->external.invokeAnswer = c.invokeAnswer;
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Lines("GetExternal").size() == 2; }));
    Settle();
    EXPECT_EQ(container->external.calls.size(), c.invokes);
    EXPECT_EQ(container->execs.size(), c.scriptErrors);
    const std::vector<std::string> errors = Lines("Exec OLECMDID_SHOWSCRIPTERROR");
    ASSERT_EQ(errors.size(), c.scriptErrors);
    for (const std::string& line : errors) {
        EXPECT_NE(line.find("source=clientsite hr=0x00000000 out=VT_BOOL:true dialog=host scripts=continue"),
                  std::string::npos)
            << line;
        EXPECT_NE(line.find(std::string("message=") + c.message), std::string::npos) << line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FailedCallTest,
    ::testing::Values(
        FailedCallCase{"MemberNotFound", S_OK, S_OK, DISP_E_MEMBERNOTFOUND, 2, 2, "Object doesn't support"},
        FailedCallCase{"Succeeded", S_OK, S_OK, S_OK, 2, 0, ""},
        FailedCallCase{"UnknownName", S_OK, DISP_E_UNKNOWNNAME, S_OK, 0, 2, "Object doesn't support property or method 'g_callCppFunc'"},
        FailedCallCase{"NoExternalObject", E_NOTIMPL, S_OK, S_OK, 0, 2, "'window.external' is null"}),
    [](const ::testing::TestParamInfo<FailedCallCase>& info) { return std::string(info.param.name); });

// Script errors: the host's command target decides whether scripts go on.
struct ScriptErrorCase {
    const char* name;
    bool commandTargetOnSite;
    HRESULT execAnswer;
    VARIANT_BOOL proceed;
    bool laterActionRuns;
    const char* recorded;
};

void PrintTo(const ScriptErrorCase& c, std::ostream* os)
{
    *os << c.name;
}

class ScriptErrorTest : public BrowserEngineTest, public ::testing::WithParamInterface<ScriptErrorCase> {};

TEST_P(ScriptErrorTest, ExecShowScriptErrorOnTheCommandTarget)
{
    const ScriptErrorCase& c = GetParam();
    UseScenario("page *\non complete scripterror 'x' is undefined\non timer 50 external after_error\n");
    Embed();
    Connect();
    container->commandTargetOnSite = c.commandTargetOnSite;
    container->execAnswer = c.execAnswer;
    container->continueScripts = c.proceed;
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Recorded("Exec OLECMDID_SHOWSCRIPTERROR"); }));
    Settle(300);
    // Scripts that go on meet the failing call of after_error: a second error.
    ASSERT_EQ(container->execs.size(), c.commandTargetOnSite ? (c.laterActionRuns ? 2u : 1u) : 0u);
    if (c.commandTargetOnSite) {
        EXPECT_TRUE(container->execs[0].scriptErrorGroup);
        EXPECT_EQ(container->execs[0].command, static_cast<DWORD>(OLECMDID_SHOWSCRIPTERROR));
        EXPECT_EQ(container->execs[0].inType, VT_UNKNOWN);
    }
    EXPECT_EQ(!container->external.names.empty(), c.laterActionRuns);
    EXPECT_TRUE(Recorded(c.recorded)) << c.recorded;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ScriptErrorTest,
    ::testing::Values(
        ScriptErrorCase{"HostKeepsScriptsRunning", true, S_OK, VARIANT_TRUE, true,
                        "Exec OLECMDID_SHOWSCRIPTERROR source=clientsite hr=0x00000000 out=VT_BOOL:true dialog=host scripts=continue message='x' is undefined"},
        ScriptErrorCase{"HostStopsScripts", true, S_OK, VARIANT_FALSE, false,
                        "Exec OLECMDID_SHOWSCRIPTERROR source=clientsite hr=0x00000000 out=VT_BOOL:false dialog=host scripts=stopped"},
        ScriptErrorCase{"HostRefusesTheCommand", true, OLECMDERR_E_NOTSUPPORTED, VARIANT_TRUE, false,
                        "Exec OLECMDID_SHOWSCRIPTERROR source=clientsite hr=0x80040100 out=VT_EMPTY dialog=engine scripts=stopped"},
        // The installed handler is the same object, but only the site is asked.
        ScriptErrorCase{"SiteWithoutCommandTarget", false, S_OK, VARIANT_TRUE, false,
                        "Exec OLECMDID_SHOWSCRIPTERROR source=none dialog=engine scripts=stopped message='x' is undefined"}),
    [](const ::testing::TestParamInfo<ScriptErrorCase>& info) { return std::string(info.param.name); });

TEST_F(BrowserEngineTest, DownloadsGoToTheHostsDownloadManagerService)
{
    UseScenario("page *\non complete download https://cdn.vorkan.test/patch.zip\n");
    Embed();
    Connect();
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Recorded("Download "); }));
    // The browser's own event comes first, with a cancel flag.
    for (const EventSink::Event& e : sink.events) {
        if (e.id == DISPID_FILEDOWNLOAD) {
            EXPECT_EQ(e.types, (std::vector<VARTYPE>{kRefBool, VT_BOOL}));
        }
    }
    EXPECT_EQ(sink.Ids({DISPID_FILEDOWNLOAD}).size(), 1u);
    EXPECT_LT(FirstAt("event FileDownload dispid=270 sink=1 hr=0x00000000 document=0 cancel=0"), FirstAt("QueryService"));
    EXPECT_EQ(container->services, std::vector<std::wstring>{L"download"});
    EXPECT_EQ(container->downloads.urls, std::vector<std::wstring>{L"https://cdn.vorkan.test/patch.zip"});
    EXPECT_TRUE(Recorded("QueryService source=clientsite hr=0x00000000 service=SID_SDownloadManager iid=IID_IDownloadManager out=set"));
    EXPECT_TRUE(Recorded("Download hr=0x00000000 handled=host url=https://cdn.vorkan.test/patch.zip"));
}

TEST_F(BrowserEngineTest, ARefusedDownloadServiceLeavesTheDownloadToTheEngine)
{
    UseScenario("page *\non complete download https://cdn.vorkan.test/patch.zip\n");
    Embed();
    Connect();
    container->offerDownloads = false;
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Recorded("Download "); }));
    EXPECT_TRUE(container->downloads.urls.empty());
    EXPECT_TRUE(Recorded("QueryService source=clientsite hr=0x80004002 service=SID_SDownloadManager iid=IID_IDownloadManager out=cleared"));
    EXPECT_TRUE(Recorded("Download handled=engine url=https://cdn.vorkan.test/patch.zip"));
}

TEST_F(BrowserEngineTest, ACancelledFileDownloadAsksNoDownloadManager)
{
    UseScenario("page *\non complete download https://cdn.vorkan.test/patch.zip\n");
    Embed();
    Connect();
    sink.cancelFileDownload = VARIANT_TRUE;
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Recorded("download cancelled"); }));
    Settle();
    EXPECT_TRUE(container->services.empty());
    EXPECT_TRUE(container->downloads.urls.empty());
    EXPECT_FALSE(Recorded("Download "));
}

// A followed link: the host may translate the address; "translated" without
// an address leaves nothing to follow.
struct LinkCase {
    const char* name;
    HRESULT answer;
    TestContainer::Out out;
    const wchar_t* to;
    const wchar_t* followed;  // the next page's address; null: none
    const char* recorded;
};

void PrintTo(const LinkCase& c, std::ostream* os)
{
    *os << c.name;
}

class LinkTest : public BrowserEngineTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinkTest, TranslateUrlDecidesWhereALinkGoes)
{
    const LinkCase& c = GetParam();
    // Only the portal links: the followed page is the plain one.
    UseScenario("page https://portal.vorkan.test/client\non complete link https://portal.vorkan.test/news\n");
    Embed();
    Connect();
    container->translateAnswer = c.answer;
    container->translateOut = c.out;
    container->translateTo = c.to;
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Recorded("TranslateUrl"); }));
    if (c.followed) {
        EXPECT_TRUE(PumpUntil([&] { return Completed(c.followed); }));
    } else {
        Settle(300);
        EXPECT_EQ(sink.Ids({B}).size(), 1u) << "only the portal's own navigation";
    }
    EXPECT_EQ(container->translated, std::vector<std::wstring>{L"https://portal.vorkan.test/news"});
    EXPECT_TRUE(Recorded(c.recorded)) << c.recorded;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, LinkTest,
    ::testing::Values(
        LinkCase{"NotTranslated", S_FALSE, TestContainer::Out::Cleared, L"", L"https://portal.vorkan.test/news",
                 "TranslateUrl source=uihandler hr=0x00000001 out=none followed=yes url=https://portal.vorkan.test/news"},
        LinkCase{"Translated", S_OK, TestContainer::Out::Written, L"https://portal.vorkan.test/other",
                 L"https://portal.vorkan.test/other",
                 "TranslateUrl source=uihandler hr=0x00000000 out=https://portal.vorkan.test/other followed=yes"},
        LinkCase{"SuccessWithoutAnAddress", S_OK, TestContainer::Out::Cleared, L"", nullptr,
                 "TranslateUrl source=uihandler hr=0x00000000 out=none followed=no"},
        LinkCase{"SuccessLeavingTheAddressUnwritten", S_OK, TestContainer::Out::Untouched, L"", nullptr,
                 "TranslateUrl source=uihandler hr=0x00000000 out=untouched followed=no"}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

// A copy: the host may replace the engine's data object.
TEST_F(BrowserEngineTest, FilterDataObjectDecidesWhatACopyPuts)
{
    const struct {
        HRESULT answer;
        TestContainer::Out out;
        const char* recorded;
    } cases[] = {
        {S_FALSE, TestContainer::Out::Cleared, "FilterDataObject source=uihandler hr=0x00000001 replacement=none clipboard=engine text=Vorkan"},
        {S_OK, TestContainer::Out::Written, "FilterDataObject source=uihandler hr=0x00000000 replacement=set clipboard=host"},
        {S_OK, TestContainer::Out::Cleared, "FilterDataObject source=uihandler hr=0x00000000 replacement=none clipboard=none"},
        {S_OK, TestContainer::Out::Untouched, "FilterDataObject source=uihandler hr=0x00000000 replacement=untouched clipboard=none"},
    };
    UseScenario("page *\non complete copy Vorkan\n");
    Embed();
    Connect();
    for (const auto& c : cases) {
        container->filterAnswer = c.answer;
        container->filterOut = c.out;
        const size_t before = Lines("FilterDataObject").size();
        ASSERT_EQ(Navigate(kPortal), S_OK);
        ASSERT_TRUE(PumpUntil([&] { return Lines("FilterDataObject").size() > before; }));
        EXPECT_EQ(Lines("FilterDataObject").back().compare(0, std::string(c.recorded).size(), c.recorded), 0)
            << Lines("FilterDataObject").back();
    }
    EXPECT_EQ(container->copied, std::vector<std::wstring>(4, L"Vorkan"));
}

struct NewWindowCase {
    const char* name;
    VARIANT_BOOL cancel;
    const char* recorded;
    bool engineOpens;
};

void PrintTo(const NewWindowCase& c, std::ostream* os)
{
    *os << c.name;
}

class NewWindowTest : public BrowserEngineTest, public ::testing::WithParamInterface<NewWindowCase> {};

TEST_P(NewWindowTest, NewWindow3CarriesTheAddressAndHonoursCancel)
{
    const NewWindowCase& c = GetParam();
    UseScenario("page *\non complete newwindow file:///C:/windows/notepad.exe 0x2\n");
    Embed();
    Connect();
    sink.cancelNewWindow = c.cancel;
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Recorded("event NewWindow3"); }));
    Settle();
    const auto ids = sink.Ids({DISPID_NEWWINDOW3});
    ASSERT_EQ(ids.size(), 1u);
    for (const EventSink::Event& e : sink.events) {
        if (e.id != DISPID_NEWWINDOW3) continue;
        EXPECT_EQ(e.types, (std::vector<VARTYPE>{VT_BSTR, VT_BSTR, VT_I4, kRefBool, VT_BYREF | VT_DISPATCH}));
        EXPECT_EQ(e.url, L"file:///C:/windows/notepad.exe");
        EXPECT_EQ(e.context, kPortal);
        EXPECT_EQ(e.flags, 2);
    }
    EXPECT_TRUE(Recorded(c.recorded)) << c.recorded;
    EXPECT_EQ(Recorded("newwindow opened=engine"), c.engineOpens);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, NewWindowTest,
    ::testing::Values(NewWindowCase{"Cancelled", VARIANT_TRUE, "event NewWindow3 dispid=273 sink=1 hr=0x00000000 cancel=-1 dispatch=0 flags=0x00000002", false},
                      NewWindowCase{"Allowed", VARIANT_FALSE, "event NewWindow3 dispid=273 sink=1 hr=0x00000000 cancel=0", true}),
    [](const ::testing::TestParamInfo<NewWindowCase>& info) { return std::string(info.param.name); });

TEST_F(BrowserEngineTest, ContextMenuAnswerDecidesWhoseMenuShows)
{
    for (const HRESULT answer : {S_FALSE, S_OK}) {
        SCOPED_TRACE(answer);
        container->contextMenuAnswer = answer;
        UseScenario("page *\non complete contextmenu\n");
        if (!object) {
            Embed();
            Connect();
        }
        ASSERT_EQ(Navigate(kPortal), S_OK);
        const std::string expected = answer == S_OK ? "ShowContextMenu source=uihandler hr=0x00000000 menu=host"
                                                    : "ShowContextMenu source=uihandler hr=0x00000001 menu=engine";
        EXPECT_TRUE(PumpUntil([&] { return Recorded(expected); })) << expected;
    }
    EXPECT_EQ(container->contextMenuCalls, 2);
}

TEST_F(BrowserEngineTest, AcceleratorsGoToTheHostFirstThenThePage)
{
    Embed();
    Connect();
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Completed(kPortal); }));
    win32::ComPtr<IOleInPlaceActiveObject> active;
    ASSERT_EQ(object.As(IID_IOleInPlaceActiveObject, active), S_OK);
    const struct {
        HRESULT host;
        WPARAM key;
        HRESULT expected;
    } cases[] = {{S_OK, 'Q', S_OK}, {S_FALSE, VK_TAB, S_OK}, {S_FALSE, 'Q', S_FALSE}};
    for (const auto& c : cases) {
        container->acceleratorAnswer = c.host;
        MSG msg{View(), WM_KEYDOWN, c.key, 0, 0, {0, 0}};
        EXPECT_EQ(active->TranslateAccelerator(&msg), c.expected) << c.key;
    }
    EXPECT_EQ(container->acceleratorCalls, 3);
}

TEST_F(BrowserEngineTest, ANavigationDropsTheTimersOfThePageBefore)
{
    UseScenario("page https://portal.vorkan.test/first\non timer 200 external from_first\n"
                "on complete navigate https://portal.vorkan.test/second\n"
                "page https://portal.vorkan.test/second\non timer 400 external from_second\n");
    Embed();
    Connect();
    ASSERT_EQ(Navigate(L"https://portal.vorkan.test/first"), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !container->external.names.empty(); }));
    Settle(300);
    EXPECT_EQ(container->external.names, std::vector<std::wstring>{L"from_second"});
    EXPECT_TRUE(Completed(L"https://portal.vorkan.test/second"));
}

// The painted page: each part of it asks the host what the portal contract says.
struct ClickCase {
    const char* part;
    const wchar_t* request;  // g_callCppFunc's argument; null: a new window instead
};

void PrintTo(const ClickCase& c, std::ostream* os)
{
    *os << c.part;
}

class PortalClickTest : public BrowserEngineTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(PortalClickTest, APlayersClickCallsTheBridge)
{
    const ClickCase& c = GetParam();
    UseScenario(std::string("page *\non complete click ") + c.part + "\n");
    Embed();
    Connect();
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Recorded("click part="); }));
    Settle();
    EXPECT_TRUE(Recorded(std::string("click part=") + c.part + " x="));
    if (c.request) {
        ASSERT_EQ(container->external.calls.size(), 1u);
        EXPECT_EQ(container->external.names, std::vector<std::wstring>{L"g_callCppFunc"});
        const auto& call = container->external.calls[0];
        EXPECT_EQ(call.id, 1000);
        ASSERT_EQ(call.args.size(), 1u);
        EXPECT_EQ(call.args[0].vt, VT_BSTR);
        EXPECT_EQ(call.args[0].text, c.request);
    } else {
        // A link like any other: translated first, then a new window.
        EXPECT_TRUE(container->external.calls.empty());
        EXPECT_EQ(container->translated, std::vector<std::wstring>{L"https://vorkan.test/news"});
        EXPECT_EQ(sink.Ids({DISPID_NEWWINDOW3}).size(), 1u);
        EXPECT_LT(FirstAt("TranslateUrl"), FirstAt("event NewWindow3"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Parts, PortalClickTest,
    ::testing::Values(ClickCase{"start", L"{\"funcation_name\":\"open_game\",\"token\":\"tok42\",\"qxext\":\"ext7\"}"},
                      ClickCase{"min", L"{\"funcation_name\":\"min_wnd\"}"},
                      ClickCase{"close", L"{\"funcation_name\":\"close_wnd\"}"},
                      ClickCase{"drag", L"{\"funcation_name\":\"wnd_mousemove\"}"}, ClickCase{"link", nullptr}),
    [](const ::testing::TestParamInfo<ClickCase>& info) { return std::string(info.param.part); });

TEST_F(BrowserEngineTest, APressReleasedOutsideThePartDoesNothing)
{
    Embed();
    Connect();
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Completed(kPortal); }));
    const engine::PortalLayout layout = engine::ComputePortalLayout(kViewWidth, kViewHeight);
    const HWND view = View();
    ::SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(layout.start.CenterX(), layout.start.CenterY()));
    ::SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(layout.start.left - 5, layout.start.top - 5));
    Settle();
    EXPECT_TRUE(container->external.calls.empty());
}

// Pixels of the page drawn through IViewObject::Draw, the way a windowless
// host would ask for them.
TEST_F(BrowserEngineTest, ThePortalPageIsPaintedWithItsButtonAndBar)
{
    Embed();
    Connect();
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Completed(kPortal); }));

    win32::ComPtr<IViewObject> view;
    ASSERT_EQ(object.As(IID_IViewObject, view), S_OK);
    const win32::WindowDc screen(nullptr);
    win32::UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
    win32::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), kViewWidth, kViewHeight));
    win32::SelectedObject selected(dc.get(), bitmap.get());
    const RECTL bounds{0, 0, kViewWidth, kViewHeight};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc.get(), &bounds, nullptr, nullptr, 0), S_OK);

    const engine::PortalLayout layout = engine::ComputePortalLayout(kViewWidth, kViewHeight);
    const COLORREF button = ::GetPixel(dc.get(), layout.start.CenterX(), layout.start.top + 6);
    EXPECT_GT(GetRValue(button), 2 * GetGValue(button)) << std::hex << button;  // the red start button
    const COLORREF bar = ::GetPixel(dc.get(), layout.drag.CenterX(), layout.drag.top + 4);
    EXPECT_LT(GetRValue(bar) + GetGValue(bar) + GetBValue(bar), 120) << std::hex << bar;  // the dark top bar
    // The name is drawn in gold somewhere across the title band.
    bool gold = false;
    for (int x = layout.title.left; x < layout.title.right && !gold; x += 2) {
        const COLORREF p = ::GetPixel(dc.get(), x, layout.title.CenterY());
        gold = GetRValue(p) > 0xC0 && GetGValue(p) > 0x90 && GetBValue(p) < 0x90;
    }
    EXPECT_TRUE(gold);
}

// The optical zoom, as the system engine takes it through IWebBrowser2:
// recorded, laid out anew (the parts where the zoomed page has them), and
// hit there; a zoom outside 10..1000 % or of another type is refused.
TEST_F(BrowserEngineTest, TheOpticalZoomIsRecordedAndZoomsThePage)
{
    UseScenario("page *\n");
    Embed();
    Connect();
    ASSERT_EQ(Navigate(kPortal), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Completed(kPortal); }));

    OLECMDF status = static_cast<OLECMDF>(0);
    EXPECT_EQ(browser->QueryStatusWB(OLECMDID_OPTICAL_ZOOM, &status), S_OK);
    EXPECT_EQ(status, static_cast<OLECMDF>(OLECMDF_SUPPORTED | OLECMDF_ENABLED));
    VARIANT zoom;
    ::VariantInit(&zoom);
    zoom.vt = VT_I4;
    zoom.lVal = 150;
    VARIANT out;
    ::VariantInit(&out);
    ASSERT_EQ(browser->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &zoom, &out), S_OK);
    EXPECT_EQ(out.vt, VT_I4);
    EXPECT_EQ(out.lVal, 150);
    EXPECT_TRUE(Recorded("ExecWB OLECMDID_OPTICAL_ZOOM option=2 in=VT_I4:0x00000096 hr=0x00000000 zoom=150"));
    const engine::PortalLayout layout = engine::ComputePortalLayout(kViewWidth, kViewHeight, 150);
    const auto layouts = Lines("layout ");
    ASSERT_FALSE(layouts.empty());
    EXPECT_NE(layouts.back().find("start=" + std::to_string(layout.start.left) + "," + std::to_string(layout.start.top)),
              std::string::npos)
        << layouts.back();

    // The zoomed start button is hit where the zoomed page has it.
    const HWND view = View();
    const LPARAM at = MAKELPARAM(layout.start.CenterX(), layout.start.CenterY());
    ::SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(view, WM_LBUTTONUP, 0, at);
    Settle();
    EXPECT_TRUE(Recorded("click part=start"));

    for (const auto& bad : {std::pair<VARTYPE, LONG>{VT_I4, 5}, std::pair<VARTYPE, LONG>{VT_I4, 1001},
                            std::pair<VARTYPE, LONG>{VT_BSTR, 0}}) {
        VARIANT wrong;
        ::VariantInit(&wrong);
        wrong.vt = bad.first;
        if (bad.first == VT_BSTR) wrong.bstrVal = ::SysAllocString(L"150");
        else wrong.lVal = bad.second;
        EXPECT_EQ(browser->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &wrong, nullptr), E_INVALIDARG);
        ::VariantClear(&wrong);
    }
    // Asked without a value, it tells the zoom in effect.
    ::VariantInit(&out);
    ASSERT_EQ(browser->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, &out), S_OK);
    EXPECT_EQ(out.lVal, 150);
}

}  // namespace
