#include "toolkit/hosts/ActiveXUI.h"

#include <new>
#include <string>
#include <vector>

#include "base/ProcedurePointers.h"
#include "toolkit/controls/ControlHostUI.h"
#include "toolkit/hosts/ActiveXCtrl.h"

namespace SkinUI {

namespace {

bool IsNullGuid(const GUID& id)
{
    return ::IsEqualGUID(id, GUID_NULL) != FALSE;
}

// MulDiv with the screen's pixels per logical inch: pixels to HIMETRIC.
SIZEL ToHimetric(int width, int height)
{
    win32::WindowDc screen(nullptr);
    const int dpiX = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    const int dpiY = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return SIZEL{::MulDiv(2540, width, dpiX), ::MulDiv(2540, height, dpiY)};
}

}  // namespace

CActiveXUI::CActiveXUI() = default;

CActiveXUI::~CActiveXUI()
{
    // The base part only: a subclass has released its own part already.
    ReleaseOwnHostedControl();
}

std::wstring_view CActiveXUI::ClassName() const
{
    return L"ActiveXUI";
}

void* CActiveXUI::InterfaceFor(std::wstring_view name)
{
    if (name == L"ActiveX") return this;
    return CControlUI::InterfaceFor(name);
}

HRESULT CActiveXUI::QueryHostedControl(REFIID riid, void** ppv) const
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!m_pOleObject) return E_NOINTERFACE;
    return m_pOleObject->QueryInterface(riid, ppv);
}

void CActiveXUI::Place(const RECT& rect)
{
    CControlUI::Place(rect);
    if (!m_bCreated) CreateHostedControl();
    if (!m_pOleObject || !m_pSite) return;
    SIZEL extent = ToHimetric(m_rcItem.right - m_rcItem.left, m_rcItem.bottom - m_rcItem.top);
    m_pOleObject->SetExtent(DVASPECT_CONTENT, &extent);
    if (IOleInPlaceObject* inPlace = m_pSite->InPlaceObject()) {
        RECT rc = m_rcItem;
        if (!m_pSite->IsWindowless()) ::OffsetRect(&rc, -rc.left, -rc.top);
        inPlace->SetObjectRects(&rc, &rc);
    }
    if (!m_pSite->IsWindowless() && m_hwndHost != nullptr)
        ::MoveWindow(m_hwndHost, m_rcItem.left, m_rcItem.top, m_rcItem.right - m_rcItem.left,
                     m_rcItem.bottom - m_rcItem.top, FALSE);
}

void CActiveXUI::ShowHostWindow()
{
    if (m_hwndHost == nullptr || !m_pSite || m_pSite->IsWindowless()) return;
    ::ShowWindow(m_hwndHost, IsVisible() ? SW_SHOW : SW_HIDE);
}

void CActiveXUI::SetVisible(bool visible)
{
    CControlUI::SetVisible(visible);
    ShowHostWindow();
}

void CActiveXUI::SetInnerVisible(bool visible)
{
    CControlUI::SetInnerVisible(visible);
    ShowHostWindow();
}

void CActiveXUI::Paint(HDC hdc, const RECT& paint)
{
    RECT overlap;
    if (!::IntersectRect(&overlap, &paint, &m_rcItem)) return;
    if (m_pSite && m_pSite->IsWindowless() && m_pSite->ViewObject() != nullptr) {
        const RECTL bounds = {m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.bottom};
        m_pSite->ViewObject()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hdc, &bounds, &bounds, nullptr,
                                    0);
    }
}

void CActiveXUI::ApplyAttribute(std::wstring_view name, std::wstring_view value)
{
    if (name == L"clsid") {
        const std::wstring text(value.substr(0, 99));
        CLSID clsid = {};
        if (!text.empty() && text[0] == L'{')
            ::CLSIDFromString(text.c_str(), &clsid);
        else
            ::CLSIDFromProgID(text.c_str(), &clsid);
        if (IsNullGuid(clsid)) return;  // unreadable: keep the previous class
        m_bCreated = false;
        m_bCreationWaiting = false;
        m_clsid = clsid;
        if (!m_bDelayCreate) RequestCreation();
    } else if (name == L"modulename") {
        m_sModuleName = value;
    } else if (name == L"delaycreate") {
        const bool delay = (value == L"true");
        if (delay == m_bDelayCreate) return;
        if (!delay && !m_bCreated && !m_bCreationWaiting && !IsNullGuid(m_clsid)) RequestCreation();
        m_bDelayCreate = delay;
    } else {
        CControlUI::ApplyAttribute(name, value);
    }
}

LRESULT CActiveXUI::FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (!m_pSite || !m_pSite->IsWindowless() || !m_pSite->IsInPlaceActive()) return 0;
    IOleInPlaceObjectWindowless* windowless = m_pSite->WindowlessObject();
    if (windowless == nullptr) return 0;
    const bool isMouse = message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
    const bool isKey = message >= WM_KEYFIRST && message <= WM_KEYLAST;
    bool forward = false;
    if (isMouse || message == WM_SETCURSOR) {
        if (isMouse && !IsMouseEnabled()) return 0;
        if (m_pSite->IsCaptured()) {
            forward = true;
        } else if (IViewObject* view = m_pSite->ViewObject()) {
            win32::ComPtr<IViewObjectEx> viewEx;
            if (SUCCEEDED(view->QueryInterface(IID_IViewObjectEx, viewEx.put_void()))) {
                POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                if (message == WM_SETCURSOR) {
                    ::GetCursorPos(&pt);
                    ::ScreenToClient(m_hwndHost, &pt);
                }
                DWORD hit = HITRESULT_OUTSIDE;
                viewEx->QueryHitPoint(DVASPECT_CONTENT, &m_rcItem, pt, 0, &hit);
                forward = (hit != HITRESULT_OUTSIDE);
            }
        }
    } else if (isKey) {
        forward = IsFocused();
    } else if (message == WM_HELP || message == WM_CONTEXTMENU) {
        forward = true;
    }
    if (!forward) return 0;
    LRESULT result = 0;
    if (SUCCEEDED(windowless->OnWindowMessage(message, wParam, lParam, &result)))
        handled = !(message == WM_SETCURSOR || message == WM_HELP || message == WM_CONTEXTMENU);
    return result;
}

void CActiveXUI::RequestCreation()
{
    if (!m_bCreateOnFirstUse) {
        CreateHostedControl();
        return;
    }
    m_sWaitingModuleName = m_sModuleName;
    m_bCreationWaiting = true;
    OnCreationWaiting();
}

bool CActiveXUI::EnsureHostedControl()
{
    if (m_bCreationWaiting) CreateHostedControl();
    return static_cast<bool>(m_pOleObject);
}

HRESULT CActiveXUI::CreateHostedObject(const CUiString& moduleName, IUnknown** ppUnk) const
{
    *ppUnk = nullptr;
    if (!moduleName.IsEmpty()) {
        // The library stays loaded: the objects it creates live in it.
        if (HMODULE module = ::LoadLibraryW(moduleName.Data())) {
            using GetClassObjectProc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
            const auto getClassObject = win32::ExportedFunction<GetClassObjectProc>(module, "DllGetClassObject");
            win32::ComPtr<IClassFactory> factory;
            if (getClassObject != nullptr && SUCCEEDED(getClassObject(m_clsid, IID_IClassFactory, factory.put_void())) &&
                factory) {
                win32::ComPtr<IOleObject> object;
                if (SUCCEEDED(factory->CreateInstance(nullptr, IID_IOleObject, object.put_void())) && object) {
                    *ppUnk = object.detach();
                    return S_OK;
                }
            }
        }
    }
    return ::CoCreateInstance(m_clsid, nullptr, CLSCTX_ALL, IID_IOleControl, reinterpret_cast<void**>(ppUnk));
}

bool CActiveXUI::CreateHostedControl()
{
    // A creation that waited uses the markup of the moment it was asked for.
    const CUiString moduleName = m_bCreationWaiting ? m_sWaitingModuleName : m_sModuleName;
    ReleaseHostedControl();
    m_bCreationWaiting = false;
    m_bCreated = true;  // also on failure: no retry until "clsid" is set again

    win32::ComPtr<IUnknown> unknown;
    if (FAILED(CreateHostedObject(moduleName, unknown.put())) || !unknown) return false;
    if (FAILED(unknown.As(IID_IOleObject, m_pOleObject)) || !m_pOleObject) return false;
    unknown.reset();

    CActiveXCtrl* site = new (std::nothrow) CActiveXCtrl(this);
    if (site == nullptr) return false;
    m_pSite = win32::ComPtr<CActiveXCtrl>::Attach(site);

    DWORD status = 0;
    m_pOleObject->GetMiscStatus(DVASPECT_CONTENT, &status);
    win32::ComPtr<IOleClientSite> clientSite;
    m_pSite->QueryInterface(IID_IOleClientSite, clientSite.put_void());
    bool siteGiven = false;
    // Some controls read ambient properties in InitNew and want the site first.
    if (status & OLEMISC_SETCLIENTSITEFIRST) {
        m_pOleObject->SetClientSite(clientSite.get());
        siteGiven = true;
    }
    HRESULT hr = S_OK;
    win32::ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(m_pOleObject.As(IID_IPersistStreamInit, persist)) && persist) hr = persist->InitNew();
    if (FAILED(hr)) return false;

    if (!siteGiven) m_pOleObject->SetClientSite(clientSite.get());
    win32::ComPtr<IViewObject> view;
    hr = m_pOleObject->QueryInterface(IID_IViewObjectEx, view.put_void());
    if (FAILED(hr)) hr = m_pOleObject->QueryInterface(IID_IViewObject2, view.put_void());
    if (FAILED(hr)) hr = m_pOleObject->QueryInterface(IID_IViewObject, view.put_void());
    m_pSite->SetViewObject(view);
    m_pOleObject->SetHostNames(L"UIActiveX", nullptr);
    if (m_pManager != nullptr) m_pManager->RaiseNotify(this, L"showactivex", 0, 0);
    // The notification's receiver may have released the control meanwhile.
    if (!m_pOleObject || !m_pSite) return false;
    if ((status & OLEMISC_INVISIBLEATRUNTIME) == 0) {
        const HWND parent = m_pManager != nullptr ? m_pManager->WindowHandle() : nullptr;
        hr = m_pOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite.get(), 0, parent, &m_rcItem);
    }
    if (!m_pOleObject) return false;
    win32::ComPtr<IObjectWithSite> withSite;
    if (SUCCEEDED(m_pOleObject.As(IID_IObjectWithSite, withSite)) && withSite)
        withSite->SetSite(static_cast<IOleClientSite*>(m_pSite.get()));
    return SUCCEEDED(hr);
}

HRESULT CActiveXUI::QuerySiteInterface(REFIID, void** ppv)
{
    if (ppv != nullptr) *ppv = nullptr;
    return E_NOINTERFACE;
}

void CActiveXUI::ReleaseHostedControl()
{
    ReleaseOwnHostedControl();
}

void CActiveXUI::ReleaseHostedControlForGood()
{
    ReleaseHostedControl();
    m_bCreationWaiting = false;
    m_bCreated = true;
}

void ReleaseHostedControls(CControlUI* subtree)
{
    if (!subtree) return;
    // Collected first: a release runs the hosted object's code.
    std::vector<CActiveXUI*> hosts;
    subtree->Search(
        [](CControlUI* control, void* found) -> CControlUI* {
            if (auto* host = static_cast<CActiveXUI*>(control->InterfaceFor(L"ActiveX")))
                static_cast<std::vector<CActiveXUI*>*>(found)->push_back(host);
            return nullptr;
        },
        &hosts, 0);
    for (CActiveXUI* host : hosts) host->ReleaseHostedControlForGood();
}

void CActiveXUI::ReleaseOwnHostedControl()
{
    m_hwndHost = nullptr;
    if (m_pOleObject) {
        win32::ComPtr<IObjectWithSite> withSite;
        if (SUCCEEDED(m_pOleObject.As(IID_IObjectWithSite, withSite)) && withSite) withSite->SetSite(nullptr);
        m_pOleObject->Close(OLECLOSE_NOSAVE);
        m_pOleObject->SetClientSite(nullptr);
        m_pOleObject.reset();
    }
    if (m_pSite) {
        m_pSite->DetachOwner();
        m_pSite.reset();  // the last reference destroys the host window and the site
    }
    if (m_pManager) m_pManager->RemoveHandlerFilter(this);
}

}  // namespace SkinUI
