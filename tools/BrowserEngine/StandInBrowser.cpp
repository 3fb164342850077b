#include "tools/BrowserEngine/StandInBrowser.h"

#include "base/ProcedurePointers.h"
#include "tools/BrowserEngine/EngineModule.h"
#include "tools/BrowserEngine/EngineRecord.h"

#include <downloadmgr.h>
#include <exdispid.h>
#include <olectl.h>
#include <urlmon.h>
#include <windowsx.h>

#include <new>
#include <utility>

namespace engine {

namespace {

constexpr wchar_t kMessageClass[] = L"VorkanEngineMessages";
constexpr wchar_t kViewClass[] = L"VorkanEngineView";
constexpr UINT kNavigateMessage = WM_APP + 1;
constexpr DWORD kMiscStatus =
    OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
    OLEMISC_RECOMPOSEONRESIZE;
constexpr wchar_t kErrorPagePrefix[] = L"res://ieframe.dll/dnserrordiagoff.htm#";
constexpr wchar_t kNewsAddress[] = L"https://vorkan.test/news";
constexpr size_t kMaxScenarioBytes = 1 << 20;
constexpr uint32_t kUserInitiatedFirst = 0x2 | 0x4;  // NWMF_USERINITED | NWMF_FIRST

struct MenuTraits {
    static HMENU Invalid() noexcept { return nullptr; }
    static bool Valid(HMENU h) noexcept { return h != nullptr; }
    static void Close(HMENU h) noexcept { ::DestroyMenu(h); }
};
using PopupMenu = win32::UniqueResource<HMENU, MenuTraits>;

bool RegisterClasses()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = ModuleInstance();
    if (!::GetClassInfoExW(wc.hInstance, kMessageClass, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.hInstance = ModuleInstance();
        wc.lpszClassName = kMessageClass;
        wc.lpfnWndProc = ::DefWindowProcW;
        if (!::RegisterClassExW(&wc)) return false;
    }
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExW(ModuleInstance(), kViewClass, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.hInstance = ModuleInstance();
        wc.lpszClassName = kViewClass;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        if (!::RegisterClassExW(&wc)) return false;
    }
    return true;
}

// VT_BYREF|VT_VARIANT argument pointing at value, as the system engine passes
// addresses, flags, frame names, post data, headers and statuses.
VARIANTARG ByRef(VARIANT* value)
{
    VARIANTARG arg;
    ::VariantInit(&arg);
    arg.vt = VT_BYREF | VT_VARIANT;
    arg.pvarVal = value;
    return arg;
}

VARIANT StringVariant(const std::wstring& text)
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return v;
}

VARIANTARG DispatchArg(IDispatch* dispatch)
{
    VARIANTARG arg;
    ::VariantInit(&arg);
    arg.vt = VT_DISPATCH;
    arg.pdispVal = dispatch;  // borrowed for the call: never cleared
    return arg;
}

VARIANT ToVariant(const ScenarioValue& value)
{
    VARIANT v;
    ::VariantInit(&v);
    switch (value.type) {
    case ValueType::Empty: break;
    case ValueType::Null: v.vt = VT_NULL; break;
    case ValueType::I4:
        v.vt = VT_I4;
        v.lVal = static_cast<LONG>(value.integer);
        break;
    case ValueType::UI4:
        v.vt = VT_UI4;
        v.ulVal = static_cast<ULONG>(value.integer);
        break;
    case ValueType::I2:
        v.vt = VT_I2;
        v.iVal = static_cast<SHORT>(value.integer);
        break;
    case ValueType::R8:
        v.vt = VT_R8;
        v.dblVal = value.real;
        break;
    case ValueType::Bool:
        v.vt = VT_BOOL;
        v.boolVal = value.integer ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case ValueType::Str: v = StringVariant(Wide(value.text)); break;
    case ValueType::Object:
        v.vt = VT_DISPATCH;
        v.pdispVal = new (std::nothrow) ScriptObject(Wide(value.text));  // the variant holds the one reference
        if (!v.pdispVal) v.vt = VT_EMPTY;
        break;
    }
    return v;
}

std::string Flag(VARIANT_BOOL value)
{
    return std::to_string(static_cast<int>(value));
}

std::wstring TextOf(BSTR text)
{
    return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
}

HRESULT ReturnString(const std::wstring& text, BSTR* out)
{
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReturnFlag(VARIANT_BOOL value, VARIANT_BOOL* out)
{
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

// The address of a navigation: a string, or a reference to one.
bool AddressOf(const VARIANT* url, std::wstring& out)
{
    if (!url) return false;
    if (url->vt == (VT_BYREF | VT_VARIANT)) url = url->pvarVal;
    if (!url) return false;
    if (url->vt == VT_BSTR) {
        out = TextOf(url->bstrVal);
        return true;
    }
    if (url->vt == (VT_BYREF | VT_BSTR) && url->pbstrVal) {
        out = TextOf(*url->pbstrVal);
        return true;
    }
    return false;
}

PageScenario LoadPage(const std::wstring& url)
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"VRK_ENGINE_SCENARIO", path, MAX_PATH);
    if (length == 0) return PageScenario{};
    if (length >= MAX_PATH) {
        Record("scenario error path too long");
        return PageScenario{};
    }
    win32::UniqueHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > static_cast<LONGLONG>(kMaxScenarioBytes)) {
        Record("scenario error cannot read " + Utf8(path));
        return PageScenario{};
    }
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() && (!::ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr) ||
                          read != text.size())) {
        Record("scenario error cannot read " + Utf8(path));
        return PageScenario{};
    }
    Scenario scenario;
    std::string error;
    if (!ParseScenario(text, scenario, error)) {
        Record("scenario error " + error);
        return PageScenario{};
    }
    return scenario.Find(Utf8(url));
}

}  // namespace

void UnregisterEngineClasses()
{
    ::UnregisterClassW(kViewClass, ModuleInstance());
    ::UnregisterClassW(kMessageClass, ModuleInstance());
}

// ---------------------------------------------------------------- lifetime

HRESULT StandInBrowser::Create(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!RegisterClasses()) return E_FAIL;
    StandInBrowser* browser = new (std::nothrow) StandInBrowser();
    if (!browser) return E_OUTOFMEMORY;
    if (!browser->m_messageWindow || !browser->m_events) {
        browser->Release();
        return E_FAIL;
    }
    const HRESULT hr = browser->QueryInterface(iid, out);
    browser->Release();
    return hr;
}

StandInBrowser::StandInBrowser()
{
    ModuleAddRef();
    m_events = win32::ComPtr<EventConnectionPoint>::Attach(new (std::nothrow) EventConnectionPoint(this));
    m_messageWindow.reset(
        ::CreateWindowExW(0, kMessageClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ModuleInstance(), nullptr));
    if (m_messageWindow.get()) {
        ::SetWindowLongPtrW(m_messageWindow.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        win32::ReplaceWindowProcedure(m_messageWindow.get(), &MessageWindowProc);
    }
    ::CreateOleAdviseHolder(m_adviseHolder.put());
    Record("create");
}

StandInBrowser::~StandInBrowser()
{
    m_closed = true;
    // A view the host never deactivated goes without calling the host.
    m_view.reset();
    m_messageWindow.reset();
    if (m_events) m_events->Detach();
    // Whether the host still had COM when it let the browser go.
    APTTYPE apartment = APTTYPE_CURRENT;
    APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
    const bool com = SUCCEEDED(::CoGetApartmentType(&apartment, &qualifier));
    Record(std::string("destroy apartment=") + (!com ? "none" : apartment == APTTYPE_STA || apartment == APTTYPE_MAINSTA ? "sta" : "other"));
    ModuleRelease();
}

HRESULT StandInBrowser::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWebBrowser || iid == IID_IWebBrowserApp ||
        iid == IID_IWebBrowser2)
        *out = static_cast<IWebBrowser2*>(this);
    else if (iid == IID_IOleObject) *out = static_cast<IOleObject*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) *out = static_cast<IOleInPlaceObject*>(this);
    else if (iid == IID_IOleInPlaceActiveObject) *out = static_cast<IOleInPlaceActiveObject*>(this);
    else if (iid == IID_IOleControl) *out = static_cast<IOleControl*>(this);
    else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) *out = static_cast<IPersistStreamInit*>(this);
    else if (iid == IID_IViewObject || iid == IID_IViewObject2) *out = static_cast<IViewObject2*>(this);
    else if (iid == IID_IObjectWithSite) *out = static_cast<IObjectWithSite*>(this);
    else if (iid == IID_IConnectionPointContainer) *out = static_cast<IConnectionPointContainer*>(this);
    else if (iid == IID_IRunnableObject) *out = static_cast<IRunnableObject*>(this);
    else if (iid == kIidStandInEngine) *out = static_cast<IStandInEngine*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG StandInBrowser::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG StandInBrowser::Release()
{
    const LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

// ---------------------------------------------------------------- windows

LRESULT CALLBACK StandInBrowser::MessageWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* self = reinterpret_cast<StandInBrowser*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    // Keep the object alive while a host callback might release it.
    win32::ComPtr<IWebBrowser2> keep(static_cast<IWebBrowser2*>(self));
    if (msg == kNavigateMessage) {
        self->RunNavigation(static_cast<unsigned>(wParam));
        return 0;
    }
    if (msg == WM_TIMER) {
        self->RunTimerAction(static_cast<UINT_PTR>(wParam));
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK StandInBrowser::ViewWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* self = reinterpret_cast<StandInBrowser*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    win32::ComPtr<IWebBrowser2> keep(static_cast<IWebBrowser2*>(self));
    return self->OnViewMessage(hwnd, msg, wParam, lParam);
}

LRESULT StandInBrowser::OnViewMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    RECT client{};
    ::GetClientRect(hwnd, &client);
    const PortalLayout layout = ComputePortalLayout(client.right, client.bottom, m_viewState.zoom);
    const bool page = m_viewState.state == PortalView::State::Page;
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = ::BeginPaint(hwnd, &ps);
        PaintPortalPage(dc, client, m_viewState);
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SIZE:
        // The page is laid out from the client size: a new size repaints all of it.
        RecordLayout();
        ::InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            const bool link = page && m_viewState.hot != PagePart::None && m_viewState.hot != PagePart::Drag;
            ::SetCursor(::LoadCursorW(nullptr, link ? IDC_HAND : IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE: {
        const PagePart hot = page ? layout.HitTest(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)) : PagePart::None;
        if (hot != m_viewState.hot) {
            m_viewState.hot = hot;
            ::InvalidateRect(hwnd, nullptr, FALSE);
        }
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        ::TrackMouseEvent(&track);
        return 0;
    }
    case WM_MOUSELEAVE:
        if (m_viewState.hot != PagePart::None) {
            m_viewState.hot = PagePart::None;
            ::InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONDOWN: {
        if (!m_uiActive) ActivateUi();
        if (::GetFocus() != hwnd) ::SetFocus(hwnd);
        if (!page) return 0;
        const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        const PagePart part = layout.HitTest(x, y);
        if (part == PagePart::Drag) {
            // The page asks for the drag on mouse down, so the host can take
            // over the pressed button.
            ClickPart(part, x, y);
            return 0;
        }
        m_pressed = part;
        m_viewState.pressed = part;
        if (part != PagePart::None) ::SetCapture(hwnd);
        ::InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_LBUTTONUP: {
        const PagePart pressed = std::exchange(m_pressed, PagePart::None);
        m_viewState.pressed = PagePart::None;
        if (::GetCapture() == hwnd) ::ReleaseCapture();
        ::InvalidateRect(hwnd, nullptr, FALSE);
        const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        if (page && pressed != PagePart::None && layout.HitTest(x, y) == pressed) ClickPart(pressed, x, y);
        return 0;
    }
    case WM_CONTEXTMENU: {
        POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (screen.x == -1 && screen.y == -1) {
            screen = POINT{client.right / 2, client.bottom / 2};
            ::ClientToScreen(hwnd, &screen);
        }
        if (ShowContextMenu(screen)) {
            // The host left the menu to us: the page's own small menu.
            const PopupMenu menu(::CreatePopupMenu());
            if (menu) {
                ::AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, 1, L"Back");
                ::AppendMenuW(menu.get(), MF_STRING, 2, L"Refresh");
                ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
                ::AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, 3, L"Properties");
                const UINT command = static_cast<UINT>(::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                                        screen.x, screen.y, 0, hwnd, nullptr));
                if (command == 2) Refresh();
            }
        }
        return 0;
    }
    case WM_MOUSEWHEEL: return 0;
    default: break;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

void StandInBrowser::RecordLayout()
{
    if (!m_view.get()) return;
    RECT client{};
    ::GetClientRect(m_view.get(), &client);
    const PortalLayout l = ComputePortalLayout(client.right, client.bottom, m_viewState.zoom);
    const auto r = [](const PageRect& p) { return RectText(RECT{p.left, p.top, p.right, p.bottom}); };
    Record("layout width=" + std::to_string(client.right) + " height=" + std::to_string(client.bottom) +
           " start=" + r(l.start) + " min=" + r(l.minimise) + " close=" + r(l.close) + " drag=" + r(l.drag) +
           " link=" + r(l.link));
}

void StandInBrowser::Repaint()
{
    if (m_view.get()) ::InvalidateRect(m_view.get(), nullptr, FALSE);
    if (m_viewSink && (m_viewAspects & DVASPECT_CONTENT)) m_viewSink->OnViewChange(DVASPECT_CONTENT, -1);
}

// ---------------------------------------------------------------- navigation

HRESULT StandInBrowser::BeginNavigation(const std::wstring& url)
{
    PageScenario page = LoadPage(url);
    if (FireBeforeNavigate2(static_cast<IWebBrowser2*>(this), url, L"")) {
        Record("navigation cancelled url=" + Utf8(url));
        return S_OK;
    }
    if (m_closed) return S_OK;
    ++m_navigation;
    for (const auto& timer : m_timerActions) ::KillTimer(m_messageWindow.get(), timer.first);
    m_timerActions.clear();
    m_page = std::move(page);
    m_pendingUrl = url;
    m_busy = true;
    m_scriptsStopped = false;
    m_readyState = READYSTATE_LOADING;
    Fire("DownloadBegin", DISPID_DOWNLOADBEGIN, nullptr, 0, nullptr);
    FireCommandStateChange(CSC_NAVIGATEBACK, false);
    ::PostMessageW(m_messageWindow.get(), kNavigateMessage, m_navigation, 0);
    return S_OK;
}

void StandInBrowser::RunNavigation(unsigned navigation)
{
    if (!Current(navigation)) return;
    const PageScenario page = m_page;  // a nested navigation replaces m_page
    std::wstring url = m_pendingUrl;
    bool errorPage = false;
    if (page.fails) {
        const bool cancel = FireNavigateError(static_cast<IWebBrowser2*>(this), url, page.errorStatus);
        if (!Current(navigation)) return;
        if (cancel) {
            m_busy = false;
            m_readyState = READYSTATE_COMPLETE;
            Record("navigation cancelled url=" + Utf8(url));
            return;
        }
        url = kErrorPagePrefix + url;
        errorPage = true;
    }
    if (page.stall && !errorPage) {
        Record("navigation stalled url=" + Utf8(url));
        return;
    }

    m_document = win32::ComPtr<EngineDocument>::Attach(new (std::nothrow) EngineDocument(url));
    m_url = url;
    m_title = !errorPage && !page.title.empty() ? Wide(page.title) : url;
    m_readyState = READYSTATE_INTERACTIVE;
    m_viewState.state = PortalView::State::Loading;
    m_viewState.url = url;
    // The new document asks its host while it is created, before anyone
    // hears of it: a handler installed on NavigateComplete2 comes too late
    // for these questions.
    AttachDocumentHost();
    if (!Current(navigation)) return;
    Repaint();
    IDispatch* top = static_cast<IWebBrowser2*>(this);
    FireNavigateComplete2(top, url);
    if (!Current(navigation)) return;
    if (!errorPage && !page.title.empty()) {
        FireTitleChange(m_title);
        if (!Current(navigation)) return;
    }
    const unsigned frames = page.frameFails && page.frames == 0 ? 1 : page.frames;
    for (unsigned i = 1; !errorPage && i <= frames; ++i) {
        auto frame = win32::ComPtr<FrameDispatch>::Attach(new (std::nothrow) FrameDispatch());
        if (!frame) break;
        std::wstring frameUrl = url + L"#frame" + std::to_wstring(i);
        const bool cancelled = FireBeforeNavigate2(frame.get(), frameUrl, L"frame" + std::to_wstring(i));
        if (!Current(navigation)) return;
        if (cancelled) continue;
        if (i == 1 && page.frameFails) {
            // A third party's frame that cannot be reached: its own error
            // page takes its place.
            const bool cancel = FireNavigateError(frame.get(), frameUrl, page.frameErrorStatus);
            if (!Current(navigation)) return;
            if (cancel) continue;
            frameUrl = kErrorPagePrefix + frameUrl;
        }
        FireNavigateComplete2(frame.get(), frameUrl);
        if (!Current(navigation)) return;
        FireDocumentComplete(frame.get(), frameUrl);
        if (!Current(navigation)) return;
    }
    m_lateFrame.reset();
    if (!errorPage && page.lateFrame) {
        // Starts with the others, completes after the top document.
        m_lateFrame = win32::ComPtr<FrameDispatch>::Attach(new (std::nothrow) FrameDispatch());
        m_lateFrameUrl = url + L"#late";
        if (m_lateFrame && FireBeforeNavigate2(m_lateFrame.get(), m_lateFrameUrl, L"late")) m_lateFrame.reset();
        if (!Current(navigation)) return;
        if (m_lateFrame) FireNavigateComplete2(m_lateFrame.get(), m_lateFrameUrl);
        if (!Current(navigation)) return;
    }
    m_busy = false;
    m_readyState = READYSTATE_COMPLETE;
    m_viewState.state = errorPage ? PortalView::State::ErrorPage : PortalView::State::Page;
    Repaint();
    FireDocumentComplete(top, url);
    if (!Current(navigation)) return;
    Fire("DownloadComplete", DISPID_DOWNLOADCOMPLETE, nullptr, 0, nullptr);
    if (errorPage) return;

    if (m_lateFrame) {
        ScenarioAction complete;
        complete.trigger = Trigger::Timer;
        complete.delayMs = page.lateFrameMs;
        complete.kind = ActionKind::LateFrameComplete;
        const UINT_PTR id = m_nextTimer++;
        m_timerActions[id] = TimerAction{navigation, complete};
        ::SetTimer(m_messageWindow.get(), id, complete.delayMs, nullptr);
    }
    for (const ScenarioAction& action : page.actions) {
        if (!Current(navigation) || m_scriptsStopped) return;
        if (action.trigger == Trigger::Complete) {
            RunAction(action);
        } else {
            const UINT_PTR id = m_nextTimer++;
            m_timerActions[id] = TimerAction{navigation, action};
            ::SetTimer(m_messageWindow.get(), id, action.delayMs, nullptr);
        }
    }
}

void StandInBrowser::RunTimerAction(UINT_PTR timer)
{
    ::KillTimer(m_messageWindow.get(), timer);
    const auto found = m_timerActions.find(timer);
    if (found == m_timerActions.end()) return;
    const TimerAction pending = std::move(found->second);
    m_timerActions.erase(found);
    // A frame completes whatever the page's scripts did.
    const bool scripted = pending.action.kind != ActionKind::LateFrameComplete;
    if (Current(pending.navigation) && !(scripted && m_scriptsStopped)) RunAction(pending.action);
}

void StandInBrowser::RunAction(const ScenarioAction& action)
{
    switch (action.kind) {
    case ActionKind::External: CallExternal(action.text, action.args); break;
    case ActionKind::ScriptError: ReportScriptError(action.text); break;
    case ActionKind::Download: RequestDownload(Wide(action.text)); break;
    case ActionKind::NewWindow: FireNewWindow3(Wide(action.text), action.flags); break;
    case ActionKind::ContextMenu: {
        POINT screen{0, 0};
        if (m_view.get()) ::ClientToScreen(m_view.get(), &screen);
        ShowContextMenu(screen);  // a scripted right-click never opens a modal menu
        break;
    }
    case ActionKind::Navigate: BeginNavigation(Wide(action.text)); break;
    case ActionKind::Link: FollowLink(Wide(action.text)); break;
    case ActionKind::Copy: CopySelection(Wide(action.text)); break;
    case ActionKind::Fault: {
        Record("fault");
        // A real access violation at address 0, inside the engine's callback.
        volatile int* volatile nowhere = nullptr;
        *nowhere = 1;
        break;
    }
    case ActionKind::LateFrameComplete:
        if (m_lateFrame) {
            const win32::ComPtr<FrameDispatch> frame = std::move(m_lateFrame);
            FireDocumentComplete(frame.get(), m_lateFrameUrl);
        }
        break;
    case ActionKind::Click: {
        const PagePart part = PartFromName(action.text);
        if (!m_view.get()) {
            Record(std::string("click part=") + PartName(part) + " window=none");
            break;
        }
        RECT client{};
        ::GetClientRect(m_view.get(), &client);
        const PageRect* rect = ComputePortalLayout(client.right, client.bottom, m_viewState.zoom).Rect(part);
        if (!rect) break;
        // Through the window's own mouse handling, like a player's click.
        const LPARAM at = MAKELPARAM(rect->CenterX(), rect->CenterY());
        ::PostMessageW(m_view.get(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageW(m_view.get(), WM_LBUTTONUP, 0, at);
        break;
    }
    }
}

void StandInBrowser::ClickPart(PagePart part, int x, int y)
{
    Record(std::string("click part=") + PartName(part) + " x=" + std::to_string(x) + " y=" + std::to_string(y));
    const std::string url = Utf8(m_url);
    ScenarioValue request;
    request.type = ValueType::Str;
    switch (part) {
    case PagePart::Start: request.text = OpenGameRequest(QueryValue(url, "token"), QueryValue(url, "qxext")); break;
    case PagePart::Minimise: request.text = CommandRequest("min_wnd"); break;
    case PagePart::Close: request.text = CommandRequest("close_wnd"); break;
    case PagePart::Drag: request.text = CommandRequest("wnd_mousemove"); break;
    case PagePart::Link: {
        // A link with a target of its own: translated like every link, then
        // offered as a new window.
        std::wstring address = kNewsAddress;
        if (TranslateLink(address)) FireNewWindow3(address, kUserInitiatedFirst);
        return;
    }
    case PagePart::None: return;
    }
    CallExternal("g_callCppFunc", {request});
}

// ---------------------------------------------------------------- events

void StandInBrowser::Fire(const char* name, DISPID id, VARIANTARG* args, UINT count,
                          const std::function<std::string()>& describe)
{
    const std::string head = std::string("event ") + name + " dispid=" + std::to_string(id);
    if (!m_events) return;
    const std::vector<EventConnectionPoint::Sink> sinks = m_events->Sinks();
    if (sinks.empty()) {
        Record(head + " sinks=0" + (describe ? describe() : std::string()));
        return;
    }
    for (const EventConnectionPoint::Sink& sink : sinks) {
        DISPPARAMS params{args, nullptr, count, 0};
        const HRESULT hr = sink.dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                                                 nullptr, nullptr);
        Record(head + " sink=" + std::to_string(sink.cookie) + " hr=" + Hr(hr) + (describe ? describe() : std::string()));
    }
}

bool StandInBrowser::FireBeforeNavigate2(IDispatch* frame, const std::wstring& url, const std::wstring& targetFrame)
{
    VARIANT address = StringVariant(url);
    VARIANT flags;
    ::VariantInit(&flags);
    flags.vt = VT_I4;
    flags.lVal = 0;
    VARIANT target = StringVariant(targetFrame);
    VARIANT postData;
    ::VariantInit(&postData);
    VARIANT headers = StringVariant(L"");
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANTARG args[7];
    args[6] = DispatchArg(frame);
    args[5] = ByRef(&address);
    args[4] = ByRef(&flags);
    args[3] = ByRef(&target);
    args[2] = ByRef(&postData);
    args[1] = ByRef(&headers);
    ::VariantInit(&args[0]);
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &cancel;
    const std::string text = Utf8(url);
    const bool topLevel = frame == static_cast<IWebBrowser2*>(this);
    Fire("BeforeNavigate2", DISPID_BEFORENAVIGATE2, args, 7, [&] {
        return std::string(" frame=") + (topLevel ? "top" : Utf8(targetFrame)) + " cancel=" + Flag(cancel) + " url=" + text;
    });
    ::VariantClear(&address);
    ::VariantClear(&flags);
    ::VariantClear(&target);
    ::VariantClear(&postData);
    ::VariantClear(&headers);
    return cancel != VARIANT_FALSE;
}

void StandInBrowser::FireNavigateComplete2(IDispatch* frame, const std::wstring& url)
{
    VARIANT address = StringVariant(url);
    VARIANTARG args[2] = {ByRef(&address), DispatchArg(frame)};
    const std::string text = Utf8(url);
    const bool topLevel = frame == static_cast<IWebBrowser2*>(this);
    Fire("NavigateComplete2", DISPID_NAVIGATECOMPLETE2, args, 2,
         [&] { return std::string(" frame=") + (topLevel ? "top" : "child") + " url=" + text; });
    ::VariantClear(&address);
}

void StandInBrowser::FireDocumentComplete(IDispatch* frame, const std::wstring& url)
{
    VARIANT address = StringVariant(url);
    VARIANTARG args[2] = {ByRef(&address), DispatchArg(frame)};
    const std::string text = Utf8(url);
    const bool topLevel = frame == static_cast<IWebBrowser2*>(this);
    Fire("DocumentComplete", DISPID_DOCUMENTCOMPLETE, args, 2,
         [&] { return std::string(" frame=") + (topLevel ? "top" : "child") + " url=" + text; });
    ::VariantClear(&address);
}

bool StandInBrowser::FireNavigateError(IDispatch* frame, const std::wstring& url, const ScenarioValue& status)
{
    VARIANT address = StringVariant(url);
    VARIANT target = StringVariant(L"");
    VARIANT code = ToVariant(status);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANTARG args[5];
    args[4] = DispatchArg(frame);
    args[3] = ByRef(&address);
    args[2] = ByRef(&target);
    args[1] = ByRef(&code);
    ::VariantInit(&args[0]);
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &cancel;
    const std::string text = Utf8(url);
    const std::string statusText = DescribeValue(status);
    const bool topLevel = frame == static_cast<IWebBrowser2*>(this);
    Fire("NavigateError", DISPID_NAVIGATEERROR, args, 5, [&] {
        return std::string(topLevel ? "" : " frame=child") + " cancel=" + Flag(cancel) + " status=" + statusText +
               " url=" + text;
    });
    ::VariantClear(&address);
    ::VariantClear(&target);
    ::VariantClear(&code);
    return cancel != VARIANT_FALSE;
}

void StandInBrowser::FireNewWindow3(const std::wstring& url, uint32_t flags)
{
    IDispatch* newWindow = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANTARG args[5];
    ::VariantInit(&args[4]);
    args[4].vt = VT_BYREF | VT_DISPATCH;
    args[4].ppdispVal = &newWindow;
    ::VariantInit(&args[3]);
    args[3].vt = VT_BYREF | VT_BOOL;
    args[3].pboolVal = &cancel;
    ::VariantInit(&args[2]);
    args[2].vt = VT_I4;
    args[2].lVal = static_cast<LONG>(flags);
    args[1] = StringVariant(m_url);
    args[0] = StringVariant(url);
    const std::string text = Utf8(url);
    const std::string context = Utf8(m_url);
    Fire("NewWindow3", DISPID_NEWWINDOW3, args, 5, [&] {
        return " cancel=" + Flag(cancel) + " dispatch=" + (newWindow ? "1" : "0") + " flags=" + Hex(flags) +
               " context=" + context + " url=" + text;
    });
    ::VariantClear(&args[1]);
    ::VariantClear(&args[0]);
    if (newWindow) newWindow->Release();
    // Without a cancel the system engine would open a window of its own.
    if (cancel == VARIANT_FALSE) Record("newwindow opened=engine url=" + text);
}

void StandInBrowser::FireTitleChange(const std::wstring& title)
{
    VARIANTARG args[1] = {StringVariant(title)};
    const std::string text = Utf8(title);
    Fire("TitleChange", DISPID_TITLECHANGE, args, 1, [&] { return " title=" + text; });
    ::VariantClear(&args[0]);
}

void StandInBrowser::FireCommandStateChange(long command, bool enable)
{
    VARIANTARG args[2];
    ::VariantInit(&args[1]);
    args[1].vt = VT_I4;
    args[1].lVal = command;
    ::VariantInit(&args[0]);
    args[0].vt = VT_BOOL;
    args[0].boolVal = enable ? VARIANT_TRUE : VARIANT_FALSE;
    Fire("CommandStateChange", DISPID_COMMANDSTATECHANGE, args, 2,
         [&] { return " command=" + std::to_string(command) + " enable=" + (enable ? "1" : "0"); });
}

bool StandInBrowser::FireFileDownload()
{
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANTARG args[2];
    ::VariantInit(&args[1]);
    args[1].vt = VT_BOOL;
    args[1].boolVal = VARIANT_FALSE;  // a file, not a document the engine shows
    ::VariantInit(&args[0]);
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &cancel;
    Fire("FileDownload", DISPID_FILEDOWNLOAD, args, 2, [&] { return " document=0 cancel=" + Flag(cancel); });
    return cancel != VARIANT_FALSE;
}

// ---------------------------------------------------------------- host calls

win32::ComPtr<IDocHostUIHandler> StandInBrowser::HostHandler(const char*& source) const
{
    // The handler installed with SetUIHandler speaks for the host once it is
    // there; before, the one the client site answered for the document.
    if (m_document) {
        if (win32::ComPtr<IDocHostUIHandler> handler = m_document->UiHandler()) {
            source = "uihandler";
            return handler;
        }
        if (win32::ComPtr<IDocHostUIHandler> handler = m_document->Site().handler) {
            source = "clientsite";
            return handler;
        }
    }
    source = "none";
    return {};
}

void StandInBrowser::AttachDocumentHost()
{
    if (!m_document) return;
    SiteHost host;
    if (m_clientSite) {
        m_clientSite.As(host.handler);
        m_clientSite.As(IID_IOleCommandTarget, host.commandTarget);
        m_clientSite.As(IID_IServiceProvider, host.services);
    }
    Record(std::string("document host handler=") + (host.handler ? "1" : "0") +
           " commandtarget=" + (host.commandTarget ? "1" : "0") + " services=" + (host.services ? "1" : "0") +
           " url=" + Utf8(m_document->Url()));
    m_document->SetSite(std::move(host));
    AskOptionKeyPath();
    AskHostInfo();
}

void StandInBrowser::AskOptionKeyPath()
{
    const char* source = "none";
    win32::ComPtr<IDocHostUIHandler> handler = HostHandler(source);
    if (!handler) return;
    // A sentinel shows whether the host wrote the key at all.
    LPOLESTR const untouched = reinterpret_cast<LPOLESTR>(static_cast<INT_PTR>(-1));
    LPOLESTR key = untouched;
    const HRESULT hr = handler->GetOptionKeyPath(&key, 0);
    std::string text = "none";
    if (key == untouched) {
        text = "untouched";
    } else if (key) {
        text = Utf8(key);
        ::CoTaskMemFree(key);
    }
    Record(std::string("GetOptionKeyPath source=") + source + " hr=" + Hr(hr) + " key=" + text);
}

void StandInBrowser::AskHostInfo()
{
    const char* source = "none";
    win32::ComPtr<IDocHostUIHandler> handler = HostHandler(source);
    if (!handler) {
        Record("GetHostInfo source=none");
        return;
    }
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    const HRESULT hr = handler->GetHostInfo(&info);
    Record(std::string("GetHostInfo source=") + source + " hr=" + Hr(hr) + " flags=" + Hex(info.dwFlags) +
           " dblclk=" + std::to_string(info.dwDoubleClick) + " size=" + std::to_string(info.cbSize));
    if (SUCCEEDED(hr)) m_viewState.border3d = (info.dwFlags & DOCHOSTUIFLAG_NO3DBORDER) == 0;
    ::CoTaskMemFree(info.pchHostCss);
    ::CoTaskMemFree(info.pchHostNS);
}

void StandInBrowser::CallExternal(const std::string& name, const std::vector<ScenarioValue>& args)
{
    const char* source = "none";
    win32::ComPtr<IDocHostUIHandler> handler = HostHandler(source);
    win32::ComPtr<IDispatch> external;
    const HRESULT externalHr = handler ? handler->GetExternal(external.put()) : E_NOINTERFACE;
    Record(std::string("GetExternal source=") + source + " hr=" + Hr(externalHr) + " dispatch=" + (external ? "1" : "0"));
    // Every failure of the call is an exception in the page's script, which
    // nothing catches: the engine reports it as a script error.
    if (FAILED(externalHr) || !external) {
        ReportScriptError("'window.external' is null or not an object");
        return;
    }

    std::wstring wideName = Wide(name);
    LPOLESTR names[1] = {wideName.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT namesHr = external->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    Record("GetIDsOfNames hr=" + Hr(namesHr) + " dispid=" + std::to_string(id) + " name=" + name);
    if (FAILED(namesHr)) {
        ReportScriptError("Object doesn't support property or method '" + name + "'");
        return;
    }

    // Script arguments arrive last first.
    std::vector<VARIANTARG> variants(args.size());
    std::string described;
    for (size_t i = 0; i < args.size(); ++i) {
        variants[args.size() - 1 - i] = ToVariant(args[i]);
        described += (i ? "|" : "") + DescribeValue(args[i]);
    }
    DISPPARAMS params{variants.empty() ? nullptr : variants.data(), nullptr, static_cast<UINT>(variants.size()), 0};
    VARIANT result;
    ::VariantInit(&result);
    EXCEPINFO exception{};
    UINT argError = static_cast<UINT>(-1);
    const HRESULT hr = external->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &exception,
                                        &argError);
    Record("Invoke dispid=" + std::to_string(id) + " argc=" + std::to_string(args.size()) + " hr=" + Hr(hr) +
           " result=" + DescribeVariant(result) + " name=" + name + " args=" + described);
    ::VariantClear(&result);
    const std::string description = exception.bstrDescription ? Utf8(exception.bstrDescription) : std::string();
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    for (VARIANTARG& v : variants) ::VariantClear(&v);
    if (FAILED(hr))
        ReportScriptError(!description.empty() ? description
                                               : "Object doesn't support property or method '" + name + "' (" + Hr(hr) + ")");
}

void StandInBrowser::ReportScriptError(const std::string& message)
{
    // The command target the client site answered for the document; the
    // handler installed later is not asked.
    const char* source = "clientsite";
    win32::ComPtr<IOleCommandTarget> target = m_document ? m_document->Site().commandTarget : nullptr;
    if (!target) {
        Record("Exec OLECMDID_SHOWSCRIPTERROR source=none dialog=engine scripts=stopped message=" + message);
        m_scriptsStopped = true;
        return;
    }
    VARIANT in;
    ::VariantInit(&in);
    if (m_document) {
        in.vt = VT_UNKNOWN;
        in.punkVal = static_cast<IDispatch*>(m_document.get());
        in.punkVal->AddRef();
    }
    VARIANT out;
    ::VariantInit(&out);
    const HRESULT hr = target->Exec(&kCgidDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, &in, &out);
    // The host keeps the scripts running only by answering VT_BOOL true;
    // a failed Exec means the engine would show its own dialog.
    const bool proceed = SUCCEEDED(hr) && out.vt == VT_BOOL && out.boolVal != VARIANT_FALSE;
    if (!proceed) m_scriptsStopped = true;
    Record(std::string("Exec OLECMDID_SHOWSCRIPTERROR source=") + source + " hr=" + Hr(hr) + " out=" +
           DescribeVariant(out) + " dialog=" + (SUCCEEDED(hr) ? "host" : "engine") +
           " scripts=" + (proceed ? "continue" : "stopped") + " message=" + message);
    ::VariantClear(&in);
    ::VariantClear(&out);
}

void StandInBrowser::RequestDownload(const std::wstring& url)
{
    // The browser's own event first: a sink may cancel the download.
    if (FireFileDownload()) {
        Record("download cancelled url=" + Utf8(url));
        return;
    }
    if (m_closed) return;
    // The download manager is a service of the client site, asked for it
    // when the document was created.
    const char* source = "clientsite";
    win32::ComPtr<IServiceProvider> provider = m_document ? m_document->Site().services : nullptr;
    win32::ComPtr<IDownloadManager> manager;
    HRESULT hr = E_NOINTERFACE;
    if (provider) {
        void* raw = reinterpret_cast<void*>(static_cast<INT_PTR>(-1));  // shows whether the host cleared it
        hr = provider->QueryService(kSidDownloadManager, kIidDownloadManager, &raw);
        const bool cleared = raw == nullptr;
        if (SUCCEEDED(hr) && raw) *manager.put() = static_cast<IDownloadManager*>(raw);
        Record(std::string("QueryService source=") + source + " hr=" + Hr(hr) +
               " service=SID_SDownloadManager iid=IID_IDownloadManager out=" +
               (manager ? "set" : cleared ? "cleared" : "untouched"));
    } else {
        Record("QueryService source=none");
    }
    if (!manager) {
        Record("Download handled=engine url=" + Utf8(url));
        return;
    }
    win32::ComPtr<IMoniker> moniker;
    win32::ComPtr<IBindCtx> bindContext;
    HRESULT made = ::CreateURLMonikerEx(nullptr, url.c_str(), moniker.put(), URL_MK_UNIFORM);
    if (SUCCEEDED(made)) made = ::CreateBindCtx(0, bindContext.put());
    if (FAILED(made)) {
        Record("Download hr=" + Hr(made) + " handled=engine url=" + Utf8(url));
        return;
    }
    BINDINFO bindInfo{};
    bindInfo.cbSize = sizeof bindInfo;
    bindInfo.dwBindVerb = BINDVERB_GET;
    hr = manager->Download(moniker.get(), bindContext.get(), BINDVERB_GET, BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE,
                           &bindInfo, nullptr, nullptr, CP_UTF8);
    Record("Download hr=" + Hr(hr) + " handled=" + (SUCCEEDED(hr) ? "host" : "engine") + " url=" + Utf8(url));
}

bool StandInBrowser::TranslateLink(std::wstring& url)
{
    const char* source = "none";
    win32::ComPtr<IDocHostUIHandler> handler = HostHandler(source);
    const std::string original = Utf8(url);
    if (!handler) {
        Record("TranslateUrl source=none followed=yes url=" + original);
        return true;
    }
    std::wstring in = url;
    OLECHAR* const untouched = reinterpret_cast<OLECHAR*>(static_cast<INT_PTR>(-1));
    OLECHAR* out = untouched;
    const HRESULT hr = handler->TranslateUrl(0, in.data(), &out);
    std::string answer = out == untouched ? "untouched" : out ? "set" : "none";
    bool followed = true;
    if (hr == S_OK) {
        // "Translated" with no address: there is nothing to follow.
        if (out != untouched && out) url.assign(out);
        else followed = false;
    }
    if (out != untouched && out) {
        answer = Utf8(out);
        ::CoTaskMemFree(out);
    }
    Record(std::string("TranslateUrl source=") + source + " hr=" + Hr(hr) + " out=" + answer +
           " followed=" + (followed ? "yes" : "no") + " url=" + original);
    return followed;
}

void StandInBrowser::FollowLink(const std::wstring& url)
{
    std::wstring address = url;
    if (TranslateLink(address)) BeginNavigation(address);
}

void StandInBrowser::CopySelection(const std::wstring& text)
{
    const char* source = "none";
    win32::ComPtr<IDocHostUIHandler> handler = HostHandler(source);
    auto data = win32::ComPtr<SelectionData>::Attach(new (std::nothrow) SelectionData(text));
    if (!data) return;
    // Nothing reaches the session's real clipboard: the record says whose
    // data object would.
    std::string clipboard = "engine";
    std::string answer = "none";
    HRESULT hr = S_FALSE;
    if (handler) {
        IDataObject* const untouched = reinterpret_cast<IDataObject*>(static_cast<INT_PTR>(-1));
        IDataObject* replacement = untouched;
        hr = handler->FilterDataObject(data.get(), &replacement);
        answer = replacement == untouched ? "untouched" : replacement ? "set" : "none";
        if (hr == S_OK) clipboard = replacement != untouched && replacement ? "host" : "none";
        if (replacement != untouched && replacement) replacement->Release();
    }
    Record(std::string("FilterDataObject source=") + source + " hr=" + Hr(hr) + " replacement=" + answer +
           " clipboard=" + clipboard + " text=" + Utf8(text));
}

bool StandInBrowser::ShowContextMenu(POINT screen)
{
    const char* source = "none";
    win32::ComPtr<IDocHostUIHandler> handler = HostHandler(source);
    HRESULT hr = S_FALSE;
    if (handler) {
        IUnknown* commandTarget = m_document ? static_cast<IDispatch*>(m_document.get()) : nullptr;
        IDispatch* element = m_document ? static_cast<IDispatch*>(m_document.get()) : nullptr;
        hr = handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &screen, commandTarget, element);
    }
    // S_OK: the host showed (or suppressed) the menu; anything else: ours.
    const bool ours = hr != S_OK;
    Record(std::string("ShowContextMenu source=") + source + " hr=" + Hr(hr) + " menu=" + (ours ? "engine" : "host"));
    return ours;
}

// ---------------------------------------------------------------- in place

HRESULT StandInBrowser::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT rect)
{
    if (m_view.get()) return S_OK;
    IOleClientSite* use = site ? site : m_clientSite.get();
    if (!use) return E_UNEXPECTED;
    use->QueryInterface(IID_IOleInPlaceSiteEx, m_inPlaceSiteEx.put_void());
    const HRESULT siteHr = use->QueryInterface(IID_IOleInPlaceSite, m_inPlaceSite.put_void());
    if (FAILED(siteHr) || !m_inPlaceSite) {
        Record("site IOleInPlaceSite hr=" + Hr(siteHr));
        m_inPlaceSiteEx.reset();
        return E_NOINTERFACE;
    }
    HRESULT hr = m_inPlaceSite->CanInPlaceActivate();
    Record("site CanInPlaceActivate hr=" + Hr(hr));
    if (hr != S_OK) {
        m_inPlaceSite.reset();
        m_inPlaceSiteEx.reset();
        return E_FAIL;
    }
    if (m_inPlaceSiteEx) {
        BOOL noRedraw = FALSE;
        hr = m_inPlaceSiteEx->OnInPlaceActivateEx(&noRedraw, 0);  // windowed, as the system engine
        Record("site OnInPlaceActivateEx hr=" + Hr(hr) + " flags=0");
    } else {
        hr = m_inPlaceSite->OnInPlaceActivate();
        Record("site OnInPlaceActivate hr=" + Hr(hr));
    }
    if (FAILED(hr)) {
        m_inPlaceSite.reset();
        m_inPlaceSiteEx.reset();
        return hr;
    }
    HWND siteWindow = nullptr;
    hr = m_inPlaceSite->GetWindow(&siteWindow);
    Record("site GetWindow hr=" + Hr(hr) + " hwnd=" + Hex(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(siteWindow))));
    if (FAILED(hr) || !siteWindow) siteWindow = parent;

    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    RECT position{}, clip{};
    hr = m_inPlaceSite->GetWindowContext(m_frame.put(), m_uiWindow.put(), &position, &clip, &frameInfo);
    Record("site GetWindowContext hr=" + Hr(hr) + " pos=" + RectText(position) + " clip=" + RectText(clip) +
           " frame=" + (m_frame ? "1" : "0") + " uiwindow=" + (m_uiWindow ? "1" : "0") +
           " accelerators=" + std::to_string(frameInfo.cAccelEntries));
    if (FAILED(hr)) {
        position = rect ? *rect : RECT{};
        clip = position;
    }
    if (siteWindow) {
        m_view.reset(::CreateWindowExW(0, kViewClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP,
                                   position.left, position.top, position.right - position.left,
                                   position.bottom - position.top, siteWindow, nullptr, ModuleInstance(), nullptr));
    }
    if (!m_view.get()) {
        Record("window failed parent=" + Hex(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(siteWindow))));
        m_inPlaceSite->OnInPlaceDeactivate();
        m_inPlaceSite.reset();
        m_inPlaceSiteEx.reset();
        m_frame.reset();
        m_uiWindow.reset();
        return E_FAIL;
    }
    ::SetWindowLongPtrW(m_view.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    win32::ReplaceWindowProcedure(m_view.get(), &ViewWindowProc);
    m_viewRect = position;
    Record("window created hwnd=" + Hex(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(m_view.get()))) +
           " parent=" + Hex(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(siteWindow))) +
           " rect=" + RectText(position));
    RecordLayout();
    // Active in place: the container is asked to show the object.
    if (m_clientSite) {
        const HRESULT shown = m_clientSite->ShowObject();
        Record("site ShowObject hr=" + Hr(shown));
    }
    return S_OK;
}

HRESULT StandInBrowser::ActivateUi()
{
    if (!m_inPlaceSite || !m_view.get()) return E_UNEXPECTED;
    if (m_uiActive) return S_OK;
    const HRESULT hr = m_inPlaceSite->OnUIActivate();
    Record("site OnUIActivate hr=" + Hr(hr));
    if (FAILED(hr)) return hr;
    m_uiActive = true;
    if (m_frame) m_frame->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"Vorkan");
    if (m_uiWindow) m_uiWindow->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"Vorkan");
    const char* source = "none";
    if (win32::ComPtr<IDocHostUIHandler> handler = HostHandler(source)) {
        const HRESULT shown = handler->ShowUI(DOCHOSTUITYPE_BROWSE, static_cast<IOleInPlaceActiveObject*>(this), nullptr,
                                              m_frame.get(), m_uiWindow.get());
        Record(std::string("ShowUI source=") + source + " hr=" + Hr(shown));
    }
    if (::GetFocus() != m_view.get()) ::SetFocus(m_view.get());
    return S_OK;
}

// ---------------------------------------------------------------- IDispatch

HRESULT StandInBrowser::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT StandInBrowser::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT StandInBrowser::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids)
{
    if (!ids) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT StandInBrowser::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return DISP_E_MEMBERNOTFOUND;
}

// ---------------------------------------------------------------- IWebBrowser2

HRESULT StandInBrowser::Navigate(BSTR url, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
{
    if (!url) return E_INVALIDARG;
    const std::wstring address = TextOf(url);
    Record("Navigate url=" + Utf8(address));
    return BeginNavigation(address);
}

HRESULT StandInBrowser::Navigate2(VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
{
    std::wstring address;
    if (!AddressOf(url, address)) {
        Record("Navigate2 hr=" + Hr(E_INVALIDARG));
        return E_INVALIDARG;
    }
    Record("Navigate2 url=" + Utf8(address));
    return BeginNavigation(address);
}

HRESULT StandInBrowser::GoBack() { return E_FAIL; }
HRESULT StandInBrowser::GoForward() { return E_FAIL; }
HRESULT StandInBrowser::GoHome() { return E_NOTIMPL; }
HRESULT StandInBrowser::GoSearch() { return E_NOTIMPL; }

HRESULT StandInBrowser::Refresh()
{
    return m_url.empty() ? S_OK : BeginNavigation(m_url);
}

HRESULT StandInBrowser::Refresh2(VARIANT*)
{
    return Refresh();
}

HRESULT StandInBrowser::Stop()
{
    ++m_navigation;  // what is still posted or pending belongs to no navigation now
    for (const auto& timer : m_timerActions) ::KillTimer(m_messageWindow.get(), timer.first);
    m_timerActions.clear();
    m_busy = false;
    Record("Stop");
    return S_OK;
}

HRESULT StandInBrowser::get_Application(IDispatch** out)
{
    if (!out) return E_POINTER;
    *out = static_cast<IWebBrowser2*>(this);
    AddRef();
    return S_OK;
}

HRESULT StandInBrowser::get_Parent(IDispatch** out)
{
    return get_Application(out);
}

HRESULT StandInBrowser::get_Container(IDispatch** out)
{
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT StandInBrowser::get_Document(IDispatch** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!m_document) return S_FALSE;
    return m_document->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

HRESULT StandInBrowser::get_TopLevelContainer(VARIANT_BOOL* out) { return ReturnFlag(VARIANT_FALSE, out); }
HRESULT StandInBrowser::get_Type(BSTR* out) { return ReturnString(L"HTML Document", out); }

HRESULT StandInBrowser::get_Left(LONG* out)
{
    if (!out) return E_POINTER;
    *out = m_viewRect.left;
    return S_OK;
}

HRESULT StandInBrowser::get_Top(LONG* out)
{
    if (!out) return E_POINTER;
    *out = m_viewRect.top;
    return S_OK;
}

HRESULT StandInBrowser::get_Width(LONG* out)
{
    if (!out) return E_POINTER;
    *out = m_viewRect.right - m_viewRect.left;
    return S_OK;
}

HRESULT StandInBrowser::get_Height(LONG* out)
{
    if (!out) return E_POINTER;
    *out = m_viewRect.bottom - m_viewRect.top;
    return S_OK;
}

HRESULT StandInBrowser::put_Left(LONG) { return E_NOTIMPL; }
HRESULT StandInBrowser::put_Top(LONG) { return E_NOTIMPL; }
HRESULT StandInBrowser::put_Width(LONG) { return E_NOTIMPL; }
HRESULT StandInBrowser::put_Height(LONG) { return E_NOTIMPL; }

HRESULT StandInBrowser::get_LocationName(BSTR* out) { return ReturnString(m_title, out); }
HRESULT StandInBrowser::get_LocationURL(BSTR* out) { return ReturnString(m_url, out); }
HRESULT StandInBrowser::get_Busy(VARIANT_BOOL* out) { return ReturnFlag(m_busy ? VARIANT_TRUE : VARIANT_FALSE, out); }

HRESULT StandInBrowser::Quit() { return E_NOTIMPL; }

HRESULT StandInBrowser::ClientToWindow(int*, int*) { return E_NOTIMPL; }
HRESULT StandInBrowser::PutProperty(BSTR, VARIANT) { return E_NOTIMPL; }

HRESULT StandInBrowser::GetProperty(BSTR, VARIANT* value)
{
    if (value) ::VariantInit(value);
    return E_NOTIMPL;
}

HRESULT StandInBrowser::get_Name(BSTR* out) { return ReturnString(L"Vorkan stand-in browser", out); }

HRESULT StandInBrowser::get_HWND(SHANDLE_PTR* out)
{
    if (!out) return E_POINTER;
    *out = reinterpret_cast<SHANDLE_PTR>(m_view.get());
    return m_view ? S_OK : E_FAIL;
}

HRESULT StandInBrowser::get_FullName(BSTR* out)
{
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT StandInBrowser::get_Path(BSTR* out)
{
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT StandInBrowser::get_Visible(VARIANT_BOOL* out) { return ReturnFlag(m_visible, out); }

HRESULT StandInBrowser::put_Visible(VARIANT_BOOL value)
{
    m_visible = value;
    Record("put_Visible value=" + Flag(value));
    return S_OK;
}

HRESULT StandInBrowser::get_StatusBar(VARIANT_BOOL* out) { return ReturnFlag(VARIANT_FALSE, out); }
HRESULT StandInBrowser::put_StatusBar(VARIANT_BOOL) { return E_NOTIMPL; }

HRESULT StandInBrowser::get_StatusText(BSTR* out)
{
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT StandInBrowser::put_StatusText(BSTR) { return E_NOTIMPL; }

HRESULT StandInBrowser::get_ToolBar(int* out)
{
    if (!out) return E_POINTER;
    *out = 0;
    return S_OK;
}

HRESULT StandInBrowser::put_ToolBar(int) { return E_NOTIMPL; }
HRESULT StandInBrowser::get_MenuBar(VARIANT_BOOL* out) { return ReturnFlag(VARIANT_FALSE, out); }
HRESULT StandInBrowser::put_MenuBar(VARIANT_BOOL) { return E_NOTIMPL; }
HRESULT StandInBrowser::get_FullScreen(VARIANT_BOOL* out) { return ReturnFlag(VARIANT_FALSE, out); }
HRESULT StandInBrowser::put_FullScreen(VARIANT_BOOL) { return E_NOTIMPL; }

HRESULT StandInBrowser::QueryStatusWB(OLECMDID command, OLECMDF* status)
{
    if (command == OLECMDID_OPTICAL_ZOOM) {
        if (!status) return E_POINTER;
        *status = static_cast<OLECMDF>(OLECMDF_SUPPORTED | OLECMDF_ENABLED);
        return S_OK;
    }
    if (status) *status = static_cast<OLECMDF>(0);
    return E_NOTIMPL;
}

// The optical zoom, as the system engine takes it: a VT_I4 percentage in
// 10..1000 sets it; with out, the zoom in effect is given back.
HRESULT StandInBrowser::ExecWB(OLECMDID command, OLECMDEXECOPT option, VARIANT* in, VARIANT* out)
{
    if (command != OLECMDID_OPTICAL_ZOOM) return E_NOTIMPL;
    HRESULT hr = S_OK;
    if (in != nullptr && in->vt == VT_I4 && in->lVal >= kMinZoomPercent && in->lVal <= kMaxZoomPercent) {
        m_viewState.zoom = static_cast<int>(in->lVal);
    } else if (in != nullptr && in->vt != VT_EMPTY) {
        hr = E_INVALIDARG;
    }
    Record("ExecWB OLECMDID_OPTICAL_ZOOM option=" + std::to_string(static_cast<int>(option)) +
           " in=" + (in != nullptr ? DescribeVariant(*in) : std::string("none")) + " hr=" + Hr(hr) +
           " zoom=" + std::to_string(m_viewState.zoom));
    if (FAILED(hr)) return hr;
    if (out != nullptr) {
        ::VariantInit(out);
        out->vt = VT_I4;
        out->lVal = m_viewState.zoom;
    }
    if (in != nullptr && in->vt == VT_I4) {
        RecordLayout();
        Repaint();
    }
    return S_OK;
}
HRESULT StandInBrowser::ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) { return E_NOTIMPL; }

HRESULT StandInBrowser::get_ReadyState(READYSTATE* out)
{
    if (!out) return E_POINTER;
    *out = m_readyState;
    return S_OK;
}

HRESULT StandInBrowser::get_Offline(VARIANT_BOOL* out) { return ReturnFlag(m_offline, out); }

HRESULT StandInBrowser::put_Offline(VARIANT_BOOL value)
{
    m_offline = value;
    return S_OK;
}

HRESULT StandInBrowser::get_Silent(VARIANT_BOOL* out)
{
    Record("get_Silent value=" + Flag(m_silent));
    return ReturnFlag(m_silent, out);
}

HRESULT StandInBrowser::put_Silent(VARIANT_BOOL value)
{
    m_silent = value;
    Record("put_Silent value=" + Flag(value));
    return S_OK;
}

HRESULT StandInBrowser::get_RegisterAsBrowser(VARIANT_BOOL* out) { return ReturnFlag(m_registerAsBrowser, out); }

HRESULT StandInBrowser::put_RegisterAsBrowser(VARIANT_BOOL value)
{
    m_registerAsBrowser = value;
    return S_OK;
}

HRESULT StandInBrowser::get_RegisterAsDropTarget(VARIANT_BOOL* out) { return ReturnFlag(m_registerAsDropTarget, out); }

HRESULT StandInBrowser::put_RegisterAsDropTarget(VARIANT_BOOL value)
{
    m_registerAsDropTarget = value;
    return S_OK;
}

HRESULT StandInBrowser::get_TheaterMode(VARIANT_BOOL* out) { return ReturnFlag(VARIANT_FALSE, out); }
HRESULT StandInBrowser::put_TheaterMode(VARIANT_BOOL) { return E_NOTIMPL; }
HRESULT StandInBrowser::get_AddressBar(VARIANT_BOOL* out) { return ReturnFlag(VARIANT_FALSE, out); }
HRESULT StandInBrowser::put_AddressBar(VARIANT_BOOL) { return E_NOTIMPL; }
HRESULT StandInBrowser::get_Resizable(VARIANT_BOOL* out) { return ReturnFlag(VARIANT_FALSE, out); }
HRESULT StandInBrowser::put_Resizable(VARIANT_BOOL) { return E_NOTIMPL; }

// ---------------------------------------------------------------- IOleObject

HRESULT StandInBrowser::SetClientSite(IOleClientSite* site)
{
    Record(std::string("SetClientSite site=") + (site ? "1" : "0"));
    if (!site) {
        InPlaceDeactivate();
        if (m_document) m_document->DropHost();
    }
    m_clientSite = win32::ComPtr<IOleClientSite>(site);
    return S_OK;
}

HRESULT StandInBrowser::GetClientSite(IOleClientSite** site)
{
    if (!site) return E_POINTER;
    *site = m_clientSite.get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

HRESULT StandInBrowser::SetHostNames(LPCOLESTR container, LPCOLESTR)
{
    Record("SetHostNames container=" + Utf8(container ? container : L""));
    return S_OK;
}

HRESULT StandInBrowser::Close(DWORD saveOption)
{
    // Whether the host closes the control while its window still exists, or
    // only after the window went with the host's.
    const char* window = !m_view.get() ? "none" : ::IsWindow(m_view.get()) ? "live" : "gone";
    Record("Close save=" + std::to_string(saveOption) + " window=" + window);
    InPlaceDeactivate();
    Stop();
    if (m_document) m_document->DropHost();
    return S_OK;
}

HRESULT StandInBrowser::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT StandInBrowser::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT StandInBrowser::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT StandInBrowser::GetClipboardData(DWORD, IDataObject** data)
{
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

HRESULT StandInBrowser::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect)
{
    HRESULT hr = S_OK;
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
        hr = ActivateInPlace(site, parent, rect);
        if (SUCCEEDED(hr) && m_view && verb != OLEIVERB_INPLACEACTIVATE) ::ShowWindow(m_view.get(), SW_SHOW);
        break;
    case OLEIVERB_UIACTIVATE:
        hr = ActivateInPlace(site, parent, rect);
        if (SUCCEEDED(hr)) hr = ActivateUi();
        break;
    case OLEIVERB_HIDE:
        if (m_view.get()) ::ShowWindow(m_view.get(), SW_HIDE);
        break;
    default: hr = OLEOBJ_S_INVALIDVERB; break;
    }
    Record("DoVerb verb=" + std::to_string(verb) + " hr=" + Hr(hr) + " rect=" + (rect ? RectText(*rect) : std::string("none")));
    return hr;
}

HRESULT StandInBrowser::EnumVerbs(IEnumOLEVERB** verbs)
{
    if (verbs) *verbs = nullptr;
    return E_NOTIMPL;
}

HRESULT StandInBrowser::Update() { return S_OK; }
HRESULT StandInBrowser::IsUpToDate() { return S_OK; }

HRESULT StandInBrowser::GetUserClassID(CLSID* clsid)
{
    return GetClassID(clsid);
}

HRESULT StandInBrowser::GetUserType(DWORD, LPOLESTR* type)
{
    if (type) *type = nullptr;
    return OLE_S_USEREG;
}

HRESULT StandInBrowser::SetExtent(DWORD aspect, SIZEL* size)
{
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_FAIL;
    m_extent = *size;
    Record("SetExtent cx=" + std::to_string(size->cx) + " cy=" + std::to_string(size->cy));
    return S_OK;
}

HRESULT StandInBrowser::GetExtent(DWORD aspect, SIZEL* size)
{
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_FAIL;
    *size = m_extent;
    return S_OK;
}

HRESULT StandInBrowser::Advise(IAdviseSink* sink, DWORD* cookie)
{
    if (!m_adviseHolder) return E_OUTOFMEMORY;
    return m_adviseHolder->Advise(sink, cookie);
}

HRESULT StandInBrowser::Unadvise(DWORD cookie)
{
    if (!m_adviseHolder) return E_OUTOFMEMORY;
    return m_adviseHolder->Unadvise(cookie);
}

HRESULT StandInBrowser::EnumAdvise(IEnumSTATDATA** advise)
{
    if (!advise) return E_POINTER;
    *advise = nullptr;
    return m_adviseHolder ? m_adviseHolder->EnumAdvise(advise) : E_OUTOFMEMORY;
}

HRESULT StandInBrowser::GetMiscStatus(DWORD aspect, DWORD* status)
{
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
    Record("GetMiscStatus aspect=" + std::to_string(aspect) + " answer=" + Hex(*status));
    return S_OK;
}

HRESULT StandInBrowser::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---------------------------------------------------------------- in-place objects

HRESULT StandInBrowser::GetWindow(HWND* window)
{
    if (!window) return E_POINTER;
    *window = m_view.get();
    return m_view ? S_OK : E_FAIL;
}

HRESULT StandInBrowser::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT StandInBrowser::InPlaceDeactivate()
{
    if (!m_inPlaceSite) return S_OK;
    UIDeactivate();
    if (m_view.get()) {
        m_view.reset();
        Record("window destroyed");
    }
    win32::ComPtr<IOleInPlaceSite> site = std::move(m_inPlaceSite);
    m_inPlaceSiteEx.reset();
    m_frame.reset();
    m_uiWindow.reset();
    const HRESULT hr = site->OnInPlaceDeactivate();
    Record("site OnInPlaceDeactivate hr=" + Hr(hr));
    return S_OK;
}

HRESULT StandInBrowser::UIDeactivate()
{
    if (!m_uiActive) return S_OK;
    m_uiActive = false;
    if (m_frame) m_frame->SetActiveObject(nullptr, nullptr);
    if (m_uiWindow) m_uiWindow->SetActiveObject(nullptr, nullptr);
    if (m_inPlaceSite) {
        const HRESULT hr = m_inPlaceSite->OnUIDeactivate(FALSE);
        Record("site OnUIDeactivate hr=" + Hr(hr));
    }
    return S_OK;
}

HRESULT StandInBrowser::SetObjectRects(LPCRECT position, LPCRECT clip)
{
    if (!position) return E_INVALIDARG;
    Record("SetObjectRects pos=" + RectText(*position) + " clip=" + (clip ? RectText(*clip) : std::string("none")));
    m_viewRect = *position;
    if (m_view.get()) {
        ::MoveWindow(m_view.get(), position->left, position->top, position->right - position->left,
                     position->bottom - position->top, TRUE);
    }
    return S_OK;
}

HRESULT StandInBrowser::ReactivateAndUndo() { return INPLACE_E_NOTUNDOABLE; }

HRESULT StandInBrowser::TranslateAccelerator(LPMSG msg)
{
    if (!msg) return E_INVALIDARG;
    const char* source = "none";
    HRESULT handlerHr = S_FALSE;
    if (win32::ComPtr<IDocHostUIHandler> handler = HostHandler(source)) handlerHr = handler->TranslateAccelerator(msg, nullptr, 0);
    HRESULT result = S_FALSE;
    if (handlerHr == S_OK) {
        result = S_OK;  // the host took the key
    } else if (msg->message == WM_KEYDOWN) {
        // Keys the page itself acts on: focus moves, refresh, clipboard.
        const bool control = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
        const WPARAM key = msg->wParam;
        if (key == VK_TAB || key == VK_F5 || (control && (key == 'A' || key == 'C' || key == 'V' || key == 'X')))
            result = S_OK;
    }
    Record("TranslateAccelerator msg=" + Hex(msg->message) + " key=" + Hex(static_cast<unsigned long>(msg->wParam)) +
           " source=" + source + " handler=" + Hr(handlerHr) + " result=" + Hr(result));
    return result;
}

HRESULT StandInBrowser::OnFrameWindowActivate(BOOL activate)
{
    Record("OnFrameWindowActivate activate=" + std::to_string(activate));
    return S_OK;
}

HRESULT StandInBrowser::OnDocWindowActivate(BOOL activate)
{
    Record("OnDocWindowActivate activate=" + std::to_string(activate));
    return S_OK;
}

HRESULT StandInBrowser::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
HRESULT StandInBrowser::EnableModeless(BOOL) { return S_OK; }

// ---------------------------------------------------------------- IOleControl

HRESULT StandInBrowser::GetControlInfo(CONTROLINFO* info)
{
    if (!info) return E_POINTER;
    return E_NOTIMPL;
}

HRESULT StandInBrowser::OnMnemonic(MSG*) { return S_OK; }
HRESULT StandInBrowser::OnAmbientPropertyChange(DISPID) { return S_OK; }

HRESULT StandInBrowser::FreezeEvents(BOOL freeze)
{
    Record("FreezeEvents freeze=" + std::to_string(freeze));
    return S_OK;
}

// ---------------------------------------------------------------- IPersistStreamInit

HRESULT StandInBrowser::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = kClsidWebBrowser;
    return S_OK;
}

HRESULT StandInBrowser::IsDirty() { return S_FALSE; }
HRESULT StandInBrowser::Load(LPSTREAM) { return S_OK; }
HRESULT StandInBrowser::Save(LPSTREAM, BOOL) { return S_OK; }

HRESULT StandInBrowser::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
}

HRESULT StandInBrowser::InitNew()
{
    Record("InitNew hr=" + Hr(S_OK));
    return S_OK;
}

// ---------------------------------------------------------------- IViewObject2

HRESULT StandInBrowser::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc, LPCRECTL bounds, LPCRECTL,
                             BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!drawDc || !bounds) return E_INVALIDARG;
    const RECT rect{bounds->left, bounds->top, bounds->right, bounds->bottom};
    Record("Draw bounds=" + RectText(rect));
    PaintPortalPage(drawDc, rect, m_viewState);
    return S_OK;
}

HRESULT StandInBrowser::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** palette)
{
    if (palette) *palette = nullptr;
    return S_FALSE;
}

HRESULT StandInBrowser::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }
HRESULT StandInBrowser::Unfreeze(DWORD) { return E_NOTIMPL; }

HRESULT StandInBrowser::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink)
{
    m_viewAspects = aspects;
    m_viewAdviseFlags = flags;
    m_viewSink = win32::ComPtr<IAdviseSink>(sink);
    Record("SetAdvise aspects=" + std::to_string(aspects) + " sink=" + (sink ? "1" : "0"));
    return S_OK;
}

HRESULT StandInBrowser::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink)
{
    if (aspects) *aspects = m_viewAspects;
    if (flags) *flags = m_viewAdviseFlags;
    if (sink) {
        *sink = m_viewSink.get();
        if (*sink) (*sink)->AddRef();
    }
    return S_OK;
}

HRESULT StandInBrowser::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    return GetExtent(aspect, size);
}

// ---------------------------------------------------------------- IObjectWithSite

HRESULT StandInBrowser::SetSite(IUnknown* site)
{
    m_site = win32::ComPtr<IUnknown>(site);
    Record(std::string("SetSite site=") + (site ? "1" : "0"));
    return S_OK;
}

HRESULT StandInBrowser::GetSite(REFIID iid, void** site)
{
    if (!site) return E_POINTER;
    *site = nullptr;
    if (!m_site) return E_FAIL;
    return m_site->QueryInterface(iid, site);
}

// ---------------------------------------------------------------- connection points

HRESULT StandInBrowser::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    if (points) *points = nullptr;
    return E_NOTIMPL;
}

HRESULT StandInBrowser::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    if (!point) return E_POINTER;
    *point = nullptr;
    if (iid != kDiidWebBrowserEvents2 || !m_events) return CONNECT_E_NOCONNECTION;
    *point = m_events.get();
    m_events->AddRef();
    return S_OK;
}

// ---------------------------------------------------------------- IRunnableObject

HRESULT StandInBrowser::GetRunningClass(LPCLSID clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = kClsidWebBrowser;
    return S_OK;
}

HRESULT StandInBrowser::Run(LPBINDCTX) { return S_OK; }
BOOL StandInBrowser::IsRunning() { return TRUE; }

HRESULT StandInBrowser::LockRunning(BOOL lock, BOOL lastUnlockCloses)
{
    if (!lock && m_runningLocks == 0) {
        Record("LockRunning lock=0 hr=" + Hr(E_UNEXPECTED) + " locks=0");
        return E_UNEXPECTED;
    }
    m_runningLocks += lock ? 1 : -1;
    Record("LockRunning lock=" + std::string(lock ? "1" : "0") + " closes=" + (lastUnlockCloses ? "1" : "0") +
           " hr=" + Hr(S_OK) + " locks=" + std::to_string(m_runningLocks));
    if (lock) AddRef();
    else Release();  // may be the last reference
    return S_OK;
}

HRESULT StandInBrowser::SetContainedObject(BOOL) { return S_OK; }

HRESULT StandInBrowser::GetViewWindow(HWND* window)
{
    if (!window) return E_POINTER;
    *window = m_view.get();
    return S_OK;
}

}  // namespace engine
