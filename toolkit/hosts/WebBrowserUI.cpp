#include "toolkit/hosts/WebBrowserUI.h"

#include <exdispid.h>

#include <new>

namespace SkinUI {

const CLSID CLSID_WebBrowserControl = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
const IID IID_WebBrowserEvents2 = {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};
const GUID SID_DownloadManagerService = {0x988934A4, 0x064B, 0x11D3, {0xBB, 0x80, 0x00, 0x10, 0x4B, 0x35, 0xE7, 0xF9}};
const GUID CGID_DocHostCommands = {0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};

namespace {

// ICustomDoc, {3050F3F0-98B5-11CF-BB82-00AA00BDCE0B}.
const IID kIidCustomDoc = {0x3050F3F0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
// IDocHostUIHandler as older headers spell it.
const IID kIidDocHostUIHandler = {0xBD3F23C0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};

constexpr DWORD kHostFlags = DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_NO3DOUTERBORDER;
static_assert(kHostFlags == 0x200005, "dialog host without 3D borders, scroll bars on");

// The arguments of one event, last argument first. Entries of the wrong
// shape reach no handler: a misbehaving browser must not make us read
// through a pointer that is not one.
class EventArguments {
public:
    explicit EventArguments(const DISPPARAMS* params) : m_params(params) {}

    bool Has(UINT count) const { return m_params != nullptr && m_params->rgvarg != nullptr && m_params->cArgs >= count; }
    VARIANT& At(UINT index) const { return m_params->rgvarg[index]; }
    bool IsRef(UINT index, VARTYPE type) const { return At(index).vt == (type | VT_BYREF) && At(index).byref; }
    IDispatch* Dispatch(UINT index) const { return At(index).vt == VT_DISPATCH ? At(index).pdispVal : nullptr; }
    BSTR String(UINT index) const { return At(index).vt == VT_BSTR ? At(index).bstrVal : nullptr; }

private:
    const DISPPARAMS* m_params;
};

}  // namespace

CWebBrowserUI::CWebBrowserUI()
{
    m_clsid = CLSID_WebBrowserControl;
}

CWebBrowserUI::~CWebBrowserUI()
{
    // While this part still exists: the browser calls the host object, and
    // the host object this control, until the browser is closed.
    ReleaseBrowser();
}

std::wstring_view CWebBrowserUI::ClassName() const
{
    return L"WebBrowserUI";
}

void* CWebBrowserUI::InterfaceFor(std::wstring_view name)
{
    if (name == L"WebBrowser") return static_cast<CWebBrowserUI*>(this);
    return CActiveXUI::InterfaceFor(name);
}

void CWebBrowserUI::ApplyAttribute(std::wstring_view name, std::wstring_view value)
{
    if (name == L"homepage")
        m_sHomePage = value;
    else if (name == L"autonavi")
        m_bAutoNavigate = (value == L"true");
    else
        CActiveXUI::ApplyAttribute(name, value);
}

void CWebBrowserUI::SetEventHandler(CWebBrowserEventHandler* handler)
{
    if (handler != nullptr && handler != m_pEventHandler) m_pEventHandler = handler;
}

HRESULT CWebBrowserUI::NavigateTo(const wchar_t* address)
{
    if (address == nullptr || !m_pWebBrowser) return S_FALSE;
    VARIANT url;
    ::VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = ::SysAllocString(address);
    if (url.bstrVal == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = m_pWebBrowser->Navigate2(&url, nullptr, nullptr, nullptr, nullptr);
    ::VariantClear(&url);
    return hr;
}

HRESULT CWebBrowserUI::ConnectBrowserEvents(bool advise)
{
    if (!m_pOleObject) return S_FALSE;
    win32::ComPtr<IWebBrowser2> browser;
    HRESULT hr = m_pOleObject.As(IID_IWebBrowser2, browser);
    if (FAILED(hr) || !browser) return FAILED(hr) ? hr : E_NOINTERFACE;
    win32::ComPtr<IConnectionPointContainer> container;
    hr = browser.As(IID_IConnectionPointContainer, container);
    if (FAILED(hr) || !container) return FAILED(hr) ? hr : E_NOINTERFACE;
    win32::ComPtr<IConnectionPoint> point;
    hr = container->FindConnectionPoint(IID_WebBrowserEvents2, point.put());
    if (FAILED(hr) || !point) return FAILED(hr) ? hr : E_NOINTERFACE;
    if (advise) {
        CWebBrowserHost* host = HostObject();
        if (host == nullptr) return E_OUTOFMEMORY;
        return point->Advise(static_cast<IDispatch*>(host), &m_dwEventCookie);
    }
    hr = point->Unadvise(m_dwEventCookie);
    m_dwEventCookie = 0;
    return hr;
}

void CWebBrowserUI::OnCreationWaiting()
{
    m_bWaitingHomeNavigation = m_bAutoNavigate && !m_sHomePage.IsEmpty();
    m_sWaitingHomePage = m_sHomePage;
}

bool CWebBrowserUI::CreateHostedControl()
{
    // "autonavi" and "homepage" count as they stood when the creation was
    // asked for, also when it waited for the first use.
    const bool waited = IsCreationWaiting();
    const bool navigateHome = waited ? m_bWaitingHomeNavigation : m_bAutoNavigate && !m_sHomePage.IsEmpty();
    const CUiString homePage = waited ? m_sWaitingHomePage : m_sHomePage;
    if (!CActiveXUI::CreateHostedControl()) return false;
    if (m_pManager) m_pManager->AddAccelerator(this, this);
    m_pOleObject.As(IID_IWebBrowser2, m_pWebBrowser);
    if (navigateHome) NavigateTo(homePage.Data());
    ConnectBrowserEvents(true);
    return true;
}

void CWebBrowserUI::ReleaseHostedControl()
{
    ReleaseBrowser();
}

void CWebBrowserUI::Place(const RECT& rect)
{
    CControlAlive alive(this);
    CActiveXUI::Place(rect);
    if (alive && m_pWebBrowser && m_scale.Percent() != m_nZoomGiven) ApplyZoom(false);
}

// The engine lays a page out in CSS pixels of 96 DPI (a host that does not
// ask for DOCHOSTUIFLAG_DPI_AWARE gets no scaling of its own, and the flag
// would only ever give the system's DPI): the window's display scale is
// given as the optical zoom instead, per window and per display.
void CWebBrowserUI::ApplyZoom(bool newDocument)
{
    const int wanted = m_scale.Percent();
    if (wanted == m_nZoomGiven && !(newDocument && wanted != 100)) return;
    // Held across the call, which runs the browser's code.
    const win32::ComPtr<IWebBrowser2> browser = m_pWebBrowser;
    if (!browser) return;
    VARIANT zoom;
    ::VariantInit(&zoom);
    zoom.vt = VT_I4;
    zoom.lVal = wanted;
    CControlAlive alive(this);
    const HRESULT hr = browser->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &zoom, nullptr);
    if (alive && SUCCEEDED(hr)) m_nZoomGiven = wanted;
}

bool CWebBrowserUI::IsTopFrame(IDispatch* frame) const
{
    if (frame == nullptr || !m_pWebBrowser) return false;
    // COM identity: the same object answers the same IUnknown.
    win32::ComPtr<IUnknown> a, b;
    if (FAILED(frame->QueryInterface(IID_IUnknown, a.put_void())) || !a) return false;
    if (FAILED(m_pWebBrowser.As(IID_IUnknown, b)) || !b) return false;
    return a.get() == b.get();
}

HRESULT CWebBrowserUI::QuerySiteInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IDocHostUIHandler || riid == kIidDocHostUIHandler || riid == IID_IOleCommandTarget ||
        riid == IID_IServiceProvider) {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        CWebBrowserHost* host = HostObject();
        return host != nullptr ? host->QueryInterface(riid, ppv) : E_OUTOFMEMORY;
    }
    return CActiveXUI::QuerySiteInterface(riid, ppv);
}

CWebBrowserHost* CWebBrowserUI::HostObject()
{
    if (!m_pHost) {
        if (CWebBrowserHost* host = new (std::nothrow) CWebBrowserHost(this))
            m_pHost = win32::ComPtr<CWebBrowserHost>::Attach(host);
    }
    return m_pHost.get();
}

void CWebBrowserUI::ReleaseBrowser()
{
    m_bCreated = false;
    if (m_pManager) m_pManager->RemoveAccelerator(this);
    if (m_dwEventCookie != 0) ConnectBrowserEvents(false);
    // The document must not keep calling a host that is going away.
    InstallDocumentHost(false);
    m_pWebBrowser.reset();
    // The object and its site go fully, so a second creation neither leaks
    // them nor leaves a site that points at this control.
    CActiveXUI::ReleaseHostedControl();
    // Whatever the browser or the page still hold of the host object fails
    // cleanly from here on.
    if (win32::ComPtr<CWebBrowserHost> host = std::move(m_pHost)) host->DetachOwner();
}

// --- IDocHostUIHandler

HRESULT CWebBrowserUI::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*)
{
    return S_FALSE;  // the browser shows its own menu
}

HRESULT CWebBrowserUI::GetHostInfo(DOCHOSTUIINFO* pInfo)
{
    if (pInfo == nullptr) return S_OK;
    pInfo->cbSize = sizeof(DOCHOSTUIINFO);
    pInfo->dwFlags |= kHostFlags;
    pInfo->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

HRESULT CWebBrowserUI::ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                                   IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                                   IOleInPlaceUIWindow* pDoc)
{
    if (m_pEventHandler == nullptr) return S_OK;
    return m_pEventHandler->ShowUI(dwID, pActiveObject, pCommandTarget, pFrame, pDoc);
}

HRESULT CWebBrowserUI::HideUI()
{
    return m_pEventHandler != nullptr ? m_pEventHandler->HideUI() : S_OK;
}

HRESULT CWebBrowserUI::UpdateUI()
{
    return m_pEventHandler != nullptr ? m_pEventHandler->UpdateUI() : S_OK;
}

HRESULT CWebBrowserUI::EnableModeless(BOOL fEnable)
{
    return m_pEventHandler != nullptr ? m_pEventHandler->EnableModeless(fEnable) : E_NOTIMPL;
}

HRESULT CWebBrowserUI::OnDocWindowActivate(BOOL fActivate)
{
    return m_pEventHandler != nullptr ? m_pEventHandler->OnDocWindowActivate(fActivate) : E_NOTIMPL;
}

HRESULT CWebBrowserUI::OnFrameWindowActivate(BOOL fActivate)
{
    return m_pEventHandler != nullptr ? m_pEventHandler->OnFrameWindowActivate(fActivate) : E_NOTIMPL;
}

HRESULT CWebBrowserUI::ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fRameWindow)
{
    return m_pEventHandler != nullptr ? m_pEventHandler->ResizeBorder(prcBorder, pUIWindow, fRameWindow) : E_NOTIMPL;
}

HRESULT CWebBrowserUI::TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID)
{
    return m_pEventHandler != nullptr ? m_pEventHandler->TranslateAccelerator(lpMsg, pguidCmdGroup, nCmdID) : S_FALSE;
}

HRESULT CWebBrowserUI::GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw)
{
    if (m_pEventHandler == nullptr) return E_NOTIMPL;
    // Cleared first, so a handler that answers S_OK without a key leaves no garbage.
    if (pchKey != nullptr) *pchKey = nullptr;
    return m_pEventHandler->GetOptionKeyPath(pchKey, dw);
}

HRESULT CWebBrowserUI::GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget)
{
    return m_pEventHandler != nullptr ? m_pEventHandler->GetDropTarget(pDropTarget, ppDropTarget) : S_FALSE;
}

HRESULT CWebBrowserUI::GetExternal(IDispatch** ppDispatch)
{
    if (ppDispatch == nullptr) return E_POINTER;
    *ppDispatch = nullptr;
    CWebBrowserHost* host = HostObject();
    if (host == nullptr) return E_OUTOFMEMORY;
    *ppDispatch = static_cast<IDispatch*>(host);
    host->AddRef();
    return S_OK;
}

HRESULT CWebBrowserUI::TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn, LPWSTR* ppchURLOut)
{
    if (ppchURLOut != nullptr) *ppchURLOut = nullptr;
    if (m_pEventHandler == nullptr) return E_NOTIMPL;
    return m_pEventHandler->TranslateUrl(dwTranslate, pchURLIn, ppchURLOut);
}

HRESULT CWebBrowserUI::FilterDataObject(IDataObject* pDO, IDataObject** ppDORet)
{
    if (ppDORet != nullptr) *ppDORet = nullptr;
    if (m_pEventHandler == nullptr) return E_NOTIMPL;
    return m_pEventHandler->FilterDataObject(pDO, ppDORet);
}

// --- IServiceProvider

HRESULT CWebBrowserUI::QueryService(REFGUID guidService, REFIID riid, void** ppvObject)
{
    if (ppvObject == nullptr) return E_POINTER;
    *ppvObject = nullptr;
    if (guidService == SID_DownloadManagerService && riid == SID_DownloadManagerService) {
        CWebBrowserHost* host = HostObject();
        if (host == nullptr) return E_OUTOFMEMORY;
        *ppvObject = static_cast<IDownloadManager*>(host);
        host->AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

// --- IOleCommandTarget

HRESULT CWebBrowserUI::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*)
{
    return OLECMDERR_E_NOTSUPPORTED;
}

HRESULT CWebBrowserUI::Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD, VARIANT*, VARIANT* pvaOut)
{
    if (pguidCmdGroup == nullptr || *pguidCmdGroup != CGID_DocHostCommands) return OLECMDERR_E_UNKNOWNGROUP;
    if (nCmdID != OLECMDID_SHOWSCRIPTERROR) return OLECMDERR_E_NOTSUPPORTED;
    // Go on running the page's scripts; nothing is shown or reported.
    if (pvaOut != nullptr) {
        ::VariantClear(pvaOut);
        pvaOut->vt = VT_BOOL;
        pvaOut->boolVal = VARIANT_TRUE;
    }
    return S_OK;
}

// --- IDispatch

HRESULT CWebBrowserUI::GetTypeInfoCount(UINT* pctinfo)
{
    if (pctinfo != nullptr) *pctinfo = 0;
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (ppTInfo != nullptr) *ppTInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT cNames, LCID, DISPID* rgDispId)
{
    // The toolkit control has no script-callable members of its own.
    if (rgDispId != nullptr)
        for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

void CWebBrowserUI::InstallDocumentHost(bool install)
{
    if (!m_pWebBrowser) return;
    win32::ComPtr<IDispatch> document;
    if (FAILED(m_pWebBrowser->get_Document(document.put())) || !document) return;
    win32::ComPtr<ICustomDoc> custom;
    if (SUCCEEDED(document.As(kIidCustomDoc, custom)) && custom)
        custom->SetUIHandler(install ? static_cast<IDocHostUIHandler*>(HostObject()) : nullptr);
}

HRESULT CWebBrowserUI::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD, DISPPARAMS* pDispParams, VARIANT*,
                                   EXCEPINFO*, UINT*)
{
    if (riid != IID_NULL) return E_INVALIDARG;
    const EventArguments args(pDispParams);
    CWebBrowserEventHandler* handler = m_pEventHandler;
    switch (dispIdMember) {
    case DISPID_STATUSTEXTCHANGE:
        return S_OK;
    case DISPID_COMMANDSTATECHANGE:
        if (handler != nullptr && args.Has(2))
            handler->CommandStateChange(args.At(1).lVal, args.At(0).boolVal);
        return S_OK;
    case DISPID_BEFORENAVIGATE2:
        if (handler != nullptr && args.Has(7) && args.IsRef(5, VT_VARIANT) && args.IsRef(4, VT_VARIANT) &&
            args.IsRef(3, VT_VARIANT) && args.IsRef(2, VT_VARIANT) && args.IsRef(1, VT_VARIANT) &&
            args.IsRef(0, VT_BOOL))
            handler->BeforeNavigate2(args.Dispatch(6), args.At(5).pvarVal, args.At(4).pvarVal, args.At(3).pvarVal,
                                     args.At(2).pvarVal, args.At(1).pvarVal, args.At(0).pboolVal);
        return S_OK;
    case DISPID_NAVIGATECOMPLETE2:
        InstallDocumentHost(true);
        if (handler != nullptr && args.Has(2) && args.IsRef(0, VT_VARIANT))
            handler->NavigateComplete2(args.Dispatch(1), args.At(0).pvarVal);
        return S_OK;
    case DISPID_DOCUMENTCOMPLETE: {
        // The page takes the zoom before anyone is told it is there (the
        // launcher shows its window then).
        if (args.Has(2) && IsTopFrame(args.Dispatch(1))) {
            CControlAlive alive(this);
            ApplyZoom(true);
            if (!alive) return S_OK;
            handler = m_pEventHandler;
        }
        if (handler != nullptr && args.Has(2) && args.IsRef(0, VT_VARIANT))
            handler->DocumentComplete(args.Dispatch(1), args.At(0).pvarVal);
        return S_OK;
    }
    case DISPID_NAVIGATEERROR:
        if (handler != nullptr && args.Has(5) && args.IsRef(3, VT_VARIANT) && args.IsRef(2, VT_VARIANT) &&
            args.IsRef(1, VT_VARIANT) && args.IsRef(0, VT_BOOL))
            handler->NavigateError(args.Dispatch(4), args.At(3).pvarVal, args.At(2).pvarVal, args.At(1).pvarVal,
                                   args.At(0).pboolVal);
        return S_OK;
    case DISPID_NEWWINDOW3:
        if (handler != nullptr && args.Has(5) && args.IsRef(4, VT_DISPATCH) && args.IsRef(3, VT_BOOL))
            handler->NewWindow3(args.At(4).ppdispVal, args.At(3).pboolVal, static_cast<DWORD>(args.At(2).lVal),
                                args.String(1), args.String(0));
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// --- ITranslateAccelerator

LRESULT CWebBrowserUI::PreTranslate(MSG* pMsg)
{
    if (pMsg == nullptr || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return S_FALSE;
    if (!m_pWebBrowser) return E_NOTIMPL;
    // Keys belong to the page only while the keyboard focus is inside it.
    for (HWND hwnd = ::GetFocus(); hwnd != nullptr; hwnd = ::GetParent(hwnd)) {
        if (hwnd != m_hwndHost) continue;
        win32::ComPtr<IOleInPlaceActiveObject> active;
        if (FAILED(m_pWebBrowser.As(IID_IOleInPlaceActiveObject, active)) || !active) return S_FALSE;
        return active->TranslateAccelerator(pMsg);
    }
    return S_FALSE;
}

// --- IDownloadManager

HRESULT CWebBrowserUI::Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, LONG grfBINDF,
                                     BINDINFO* pBindInfo, LPCOLESTR pszHeaders, LPCOLESTR pszRedir,
                                     UINT uiCP)
{
    if (m_pEventHandler == nullptr) return S_OK;
    return m_pEventHandler->Download(pmk, pbc, dwBindVerb, grfBINDF, pBindInfo, pszHeaders, pszRedir, uiCP);
}

}  // namespace SkinUI
