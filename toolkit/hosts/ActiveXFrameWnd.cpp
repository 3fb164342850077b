#include "toolkit/hosts/ActiveXFrameWnd.h"

#include "toolkit/controls/ControlHostUI.h"
#include "toolkit/hosts/ActiveXCtrl.h"
#include "toolkit/hosts/ActiveXUI.h"
#include "toolkit/hosts/HostCall.h"

namespace SkinUI {

CActiveXFrameWnd::CActiveXFrameWnd(CActiveXCtrl* site) noexcept : m_pSite(site) {}

CActiveXFrameWnd::~CActiveXFrameWnd() = default;

STDMETHODIMP CActiveXFrameWnd::QueryInterface(REFIID riid, void** ppv) noexcept
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceUIWindow ||
        riid == IID_IOleInPlaceFrame) {
        *ppv = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CActiveXFrameWnd::AddRef() noexcept
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef));
}

STDMETHODIMP_(ULONG) CActiveXFrameWnd::Release() noexcept
{
    const LONG count = ::InterlockedDecrement(&m_dwRef);
    if (count == 0) {
        m_dwRef = 1;  // references taken and dropped meanwhile delete nothing twice
        delete this;
    }
    return static_cast<ULONG>(count);
}

STDMETHODIMP CActiveXFrameWnd::GetWindow(HWND* phwnd) noexcept
{
    if (phwnd == nullptr) return E_POINTER;
    return GuardedHostCall(static_cast<IOleInPlaceFrame*>(this), [&]() -> HRESULT {
        CActiveXUI* owner = m_pSite ? m_pSite->Owner() : nullptr;
        if (owner == nullptr || owner->Manager() == nullptr) return E_UNEXPECTED;
        *phwnd = owner->Manager()->WindowHandle();
        return S_OK;
    });
}

STDMETHODIMP CActiveXFrameWnd::ContextSensitiveHelp(BOOL) noexcept { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::GetBorder(LPRECT) noexcept { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::RequestBorderSpace(LPCBORDERWIDTHS) noexcept { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP CActiveXFrameWnd::SetBorderSpace(LPCBORDERWIDTHS) noexcept { return S_OK; }

STDMETHODIMP CActiveXFrameWnd::SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR) noexcept
{
    m_pActiveObject = win32::ComPtr<IOleInPlaceActiveObject>(pActiveObject);
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) noexcept { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::SetMenu(HMENU, HOLEMENU, HWND) noexcept { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::RemoveMenus(HMENU) noexcept { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::SetStatusText(LPCOLESTR) noexcept { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::EnableModeless(BOOL) noexcept { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::TranslateAccelerator(LPMSG, WORD) noexcept { return S_FALSE; }

}  // namespace SkinUI
