#include "toolkit/hosts/ActiveXCtrl.h"

#include "toolkit/controls/ControlHostUI.h"
#include "toolkit/hosts/ActiveXEnum.h"
#include "toolkit/hosts/ActiveXFrameWnd.h"
#include "toolkit/hosts/ActiveXUI.h"
#include "toolkit/hosts/ActiveXWnd.h"

#include <memory>
#include <new>
#include <utility>

namespace SkinUI {

namespace {

RECT MovedToOrigin(RECT rc)
{
    ::OffsetRect(&rc, -rc.left, -rc.top);
    return rc;
}

}  // namespace

CActiveXCtrl::CActiveXCtrl(CActiveXUI* owner) noexcept : m_pOwner(owner) {}

CActiveXCtrl::~CActiveXCtrl()
{
    UnlockRunning();
    DestroyHostWindow();
}

void CActiveXCtrl::DetachOwner() noexcept
{
    m_pOwner = nullptr;
    m_bInPlaceActive = false;
    m_pInPlaceObject.reset();
    m_pViewObject.reset();
    m_pUnkSite.reset();
    UnlockRunning();
    DestroyHostWindow();
}

void CActiveXCtrl::UnlockRunning() noexcept
{
    // The last unlock lets COM drop its own reference to the object, which
    // would otherwise keep it alive until the apartment ends.
    if (win32::ComPtr<IOleObject> object = std::move(m_pRunningLock)) ::OleLockRunning(object.get(), FALSE, TRUE);
}

void CActiveXCtrl::DestroyHostWindow() noexcept
{
    // The window object deletes itself once its window is gone and no call
    // of it is on the stack.
    if (CActiveXWnd* window = std::exchange(m_pWindow, nullptr)) {
        window->DetachSite();
        window->Destroy();
    }
}

void CActiveXCtrl::OnHostWindowDestroyed(CActiveXWnd* window, HWND hwnd) noexcept
{
    if (m_pWindow != window) return;
    m_pWindow = nullptr;
    // The owner must not move or show a window that is gone.
    if (m_pOwner != nullptr && m_pOwner->m_hwndHost == hwnd) m_pOwner->m_hwndHost = nullptr;
}

STDMETHODIMP CActiveXCtrl::QueryInterface(REFIID riid, void** ppv) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *ppv = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleInPlaceSiteWindowless || riid == IID_IOleInPlaceSiteEx || riid == IID_IOleInPlaceSite ||
                 riid == IID_IOleWindow)
            *ppv = static_cast<IOleInPlaceSiteWindowless*>(this);
        else if (riid == IID_IOleControlSite)
            *ppv = static_cast<IOleControlSite*>(this);
        else if (riid == IID_IObjectWithSite)
            *ppv = static_cast<IObjectWithSite*>(this);
        else if (riid == IID_IOleContainer || riid == IID_IParseDisplayName)
            *ppv = static_cast<IOleContainer*>(this);
        if (*ppv == nullptr) return m_pOwner != nullptr ? m_pOwner->QuerySiteInterface(riid, ppv) : E_NOINTERFACE;
        AddRef();
        return S_OK;
    });
}

STDMETHODIMP_(ULONG) CActiveXCtrl::AddRef() noexcept
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef));
}

STDMETHODIMP_(ULONG) CActiveXCtrl::Release() noexcept
{
    const LONG count = ::InterlockedDecrement(&m_dwRef);
    if (count == 0) {
        // What the destructor calls may take and drop references again:
        // they must not delete the object a second time.
        m_dwRef = 1;
        delete this;
    }
    return static_cast<ULONG>(count);
}

// --- IObjectWithSite

STDMETHODIMP CActiveXCtrl::SetSite(IUnknown* pUnkSite) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        m_pUnkSite = win32::ComPtr<IUnknown>(pUnkSite);
        return S_OK;
    });
}

STDMETHODIMP CActiveXCtrl::GetSite(REFIID riid, void** ppvSite) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (ppvSite == nullptr) return E_POINTER;
        *ppvSite = nullptr;
        if (!m_pUnkSite) return E_FAIL;
        return m_pUnkSite->QueryInterface(riid, ppvSite);
    });
}

// --- IOleClientSite

STDMETHODIMP CActiveXCtrl::SaveObject() noexcept { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::GetMoniker(DWORD, DWORD, IMoniker** ppmk) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (ppmk != nullptr) *ppmk = nullptr;
        return E_NOTIMPL;
    });
}

STDMETHODIMP CActiveXCtrl::GetContainer(IOleContainer** ppContainer) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (ppContainer == nullptr) return E_POINTER;
        *ppContainer = nullptr;
        HRESULT hr = E_NOTIMPL;
        if (m_pUnkSite) hr = m_pUnkSite->QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(ppContainer));
        if (FAILED(hr)) hr = QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(ppContainer));
        return hr;
    });
}

STDMETHODIMP CActiveXCtrl::ShowObject() noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (m_pOwner == nullptr) return E_UNEXPECTED;
        // Before activation there is no window to show it in (and a device
        // context of no window would be the screen's).
        if (m_pOwner->m_hwndHost == nullptr) return S_OK;
        win32::WindowDc dc(m_pOwner->m_hwndHost);
        if (dc.get() == nullptr) return E_FAIL;
        if (m_pViewObject) {
            // In the host window's own coordinates when windowed.
            const RECT rc = ObjectRect();
            const RECTL bounds = {rc.left, rc.top, rc.right, rc.bottom};
            m_pViewObject->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc.get(), &bounds, &bounds, nullptr, 0);
        }
        return S_OK;
    });
}

STDMETHODIMP CActiveXCtrl::OnShowWindow(BOOL) noexcept { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::RequestNewObjectLayout() noexcept { return E_NOTIMPL; }

// --- IOleInPlaceSiteWindowless

STDMETHODIMP CActiveXCtrl::CanWindowlessActivate() noexcept { return S_OK; }

STDMETHODIMP CActiveXCtrl::GetCapture() noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (m_pOwner == nullptr) return E_UNEXPECTED;
        return m_bCaptured ? S_OK : S_FALSE;
    });
}

STDMETHODIMP CActiveXCtrl::SetCapture(BOOL fCapture) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (m_pOwner == nullptr) return E_UNEXPECTED;
        m_bCaptured = (fCapture == TRUE);
        if (m_bCaptured)
            ::SetCapture(m_pOwner->m_hwndHost);
        else
            ::ReleaseCapture();
        return S_OK;
    });
}

STDMETHODIMP CActiveXCtrl::GetFocus() noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (m_pOwner == nullptr) return E_UNEXPECTED;
        return m_bFocused ? S_OK : S_FALSE;
    });
}

STDMETHODIMP CActiveXCtrl::SetFocus(BOOL fFocus) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (m_pOwner == nullptr) return E_UNEXPECTED;
        if (fFocus) m_pOwner->TakeFocus();
        m_bFocused = (fFocus == TRUE);
        return S_OK;
    });
}

STDMETHODIMP CActiveXCtrl::GetDC(LPCRECT, DWORD grfFlags, HDC* phDC) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (phDC == nullptr) return E_POINTER;
        if (m_pOwner == nullptr) return E_UNEXPECTED;
        *phDC = ::GetDC(m_pOwner->m_hwndHost);
        if ((grfFlags & OLEDC_PAINTBKGND) && *phDC != nullptr) {
            RECT rc = m_pOwner->Rect();
            if (!m_bWindowless) rc = MovedToOrigin(rc);
            ::FillRect(*phDC, &rc, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
        }
        return S_OK;
    });
}

STDMETHODIMP CActiveXCtrl::ReleaseDC(HDC hDC) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (m_pOwner == nullptr) return E_UNEXPECTED;
        return ::ReleaseDC(m_pOwner->m_hwndHost, hDC) ? S_OK : E_FAIL;
    });
}

STDMETHODIMP CActiveXCtrl::InvalidateRect(LPCRECT pRect, BOOL fErase) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (m_pOwner == nullptr) return E_UNEXPECTED;
        if (m_pOwner->m_hwndHost == nullptr) return E_FAIL;
        return ::InvalidateRect(m_pOwner->m_hwndHost, pRect, fErase) ? S_OK : E_FAIL;
    });
}

STDMETHODIMP CActiveXCtrl::InvalidateRgn(HRGN hRGN, BOOL fErase) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (m_pOwner == nullptr) return E_UNEXPECTED;
        return ::InvalidateRgn(m_pOwner->m_hwndHost, hRGN, fErase) ? S_OK : E_FAIL;
    });
}

STDMETHODIMP CActiveXCtrl::ScrollRect(INT, INT, LPCRECT, LPCRECT) noexcept { return S_OK; }
STDMETHODIMP CActiveXCtrl::AdjustRect(LPRECT) noexcept { return S_OK; }

STDMETHODIMP CActiveXCtrl::OnDefWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (m_pOwner == nullptr) return E_UNEXPECTED;
        const LRESULT result = ::DefWindowProcW(m_pOwner->m_hwndHost, msg, wParam, lParam);
        if (plResult != nullptr) *plResult = result;
        return S_OK;
    });
}

// --- IOleInPlaceSiteEx

STDMETHODIMP CActiveXCtrl::OnInPlaceActivateEx(BOOL*, DWORD dwFlags) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (m_pOwner == nullptr || !m_pOwner->m_pOleObject) return E_UNEXPECTED;
        IOleObject* object = m_pOwner->m_pOleObject.get();
        // One lock per activation, given back at deactivation.
        if (!m_pRunningLock && SUCCEEDED(::OleLockRunning(object, TRUE, FALSE)))
            m_pRunningLock = win32::ComPtr<IOleObject>(object);
        HRESULT hr = E_FAIL;
        m_pInPlaceObject.reset();
        if (dwFlags & ACTIVATE_WINDOWLESS) {
            m_bWindowless = true;
            win32::ComPtr<IOleInPlaceObjectWindowless> windowless;
            hr = object->QueryInterface(IID_IOleInPlaceObjectWindowless, windowless.put_void());
            IControlHostUI* host = m_pOwner->Manager();
            m_pOwner->m_hwndHost = host != nullptr ? host->WindowHandle() : nullptr;
            if (host != nullptr) host->AddHandlerFilter(m_pOwner, m_pOwner);
            if (SUCCEEDED(hr)) m_pInPlaceObject = win32::ComPtr<IOleInPlaceObject>(windowless.get());
        }
        if (!m_pInPlaceObject) {
            m_bWindowless = false;
            hr = CreateHostWindow();
            if (FAILED(hr)) return hr;
            hr = object->QueryInterface(IID_IOleInPlaceObject, m_pInPlaceObject.put_void());
        }
        if (m_pInPlaceObject) {
            const RECT rc = ObjectRect();
            m_pInPlaceObject->SetObjectRects(&rc, &rc);
        }
        m_bInPlaceActive = SUCCEEDED(hr);
        return hr;
    });
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivateEx(BOOL) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        m_bInPlaceActive = false;
        m_pInPlaceObject.reset();
        UnlockRunning();
        // The owner must not move or show a window that is gone.
        if (m_pOwner != nullptr && m_pWindow && m_pOwner->m_hwndHost == m_pWindow->Handle()) m_pOwner->m_hwndHost = nullptr;
        DestroyHostWindow();
        return S_OK;
    });
}

STDMETHODIMP CActiveXCtrl::RequestUIActivate() noexcept { return S_OK; }

// --- IOleInPlaceSite

STDMETHODIMP CActiveXCtrl::CanInPlaceActivate() noexcept { return S_OK; }
STDMETHODIMP CActiveXCtrl::OnInPlaceActivate() noexcept { return OnInPlaceActivateEx(nullptr, 0); }

STDMETHODIMP CActiveXCtrl::OnUIActivate() noexcept
{
    m_bUIActive = true;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                            LPRECT lprcPosRect, LPRECT lprcClipRect,
                                            LPOLEINPLACEFRAMEINFO lpFrameInfo) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (ppFrame == nullptr || ppDoc == nullptr || lprcPosRect == nullptr || lprcClipRect == nullptr ||
            lpFrameInfo == nullptr)
            return E_POINTER;
        if (m_pOwner == nullptr) return E_UNEXPECTED;
        RECT rc = m_pOwner->Rect();
        if (m_pWindow && m_pWindow->Handle() != nullptr) ::GetClientRect(m_pWindow->Handle(), &rc);
        *lprcPosRect = rc;
        *lprcClipRect = rc;
        *ppFrame = new (std::nothrow) CActiveXFrameWnd(this);
        *ppDoc = nullptr;
        if (*ppFrame == nullptr) return E_OUTOFMEMORY;
        IControlHostUI* manager = m_pOwner->Manager();
        // One all-zero entry: the frame has no accelerators of its own.
        if (!m_hAccel) {
            ACCEL accel = {};
            m_hAccel.reset(::CreateAcceleratorTableW(&accel, 1));
        }
        lpFrameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
        lpFrameInfo->fMDIApp = FALSE;
        lpFrameInfo->hwndFrame = manager != nullptr ? manager->WindowHandle() : nullptr;
        lpFrameInfo->haccel = m_hAccel.get();
        lpFrameInfo->cAccelEntries = 1;
        return S_OK;
    });
}

STDMETHODIMP CActiveXCtrl::Scroll(SIZE) noexcept { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::OnUIDeactivate(BOOL) noexcept
{
    m_bUIActive = false;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivate() noexcept { return OnInPlaceDeactivateEx(TRUE); }
STDMETHODIMP CActiveXCtrl::DiscardUndoState() noexcept { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::DeactivateAndUndo() noexcept { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::OnPosRectChange(LPCRECT) noexcept { return E_NOTIMPL; }

// --- IOleWindow

STDMETHODIMP CActiveXCtrl::GetWindow(HWND* phwnd) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (phwnd == nullptr) return E_POINTER;
        if (m_pOwner == nullptr) return E_UNEXPECTED;
        if (m_pOwner->m_hwndHost == nullptr) CreateHostWindow();
        if (m_pOwner->m_hwndHost == nullptr) return E_FAIL;
        *phwnd = m_pOwner->m_hwndHost;
        return S_OK;
    });
}

STDMETHODIMP CActiveXCtrl::ContextSensitiveHelp(BOOL) noexcept { return S_OK; }

// --- IOleControlSite

STDMETHODIMP CActiveXCtrl::OnControlInfoChanged() noexcept { return S_OK; }
STDMETHODIMP CActiveXCtrl::LockInPlaceActive(BOOL) noexcept { return S_OK; }

STDMETHODIMP CActiveXCtrl::GetExtendedControl(IDispatch** ppDisp) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (ppDisp == nullptr) return E_POINTER;
        *ppDisp = nullptr;
        if (m_pOwner == nullptr || !m_pOwner->m_pOleObject) return E_UNEXPECTED;
        return m_pOwner->m_pOleObject->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(ppDisp));
    });
}

STDMETHODIMP CActiveXCtrl::TransformCoords(POINTL*, POINTF*, DWORD) noexcept { return S_OK; }
STDMETHODIMP CActiveXCtrl::TranslateAccelerator(MSG*, DWORD) noexcept { return S_FALSE; }

STDMETHODIMP CActiveXCtrl::OnFocus(BOOL fGotFocus) noexcept
{
    m_bFocused = (fGotFocus == TRUE);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ShowPropertyFrame() noexcept { return E_NOTIMPL; }

// --- IOleContainer

STDMETHODIMP CActiveXCtrl::EnumObjects(DWORD, IEnumUnknown** ppenum) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        if (ppenum == nullptr) return E_POINTER;
        *ppenum = nullptr;
        if (m_pOwner == nullptr || !m_pOwner->m_pOleObject) return E_UNEXPECTED;
        *ppenum = new (std::nothrow) CActiveXEnum(m_pOwner->m_pOleObject.get());
        return *ppenum != nullptr ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP CActiveXCtrl::LockContainer(BOOL fLock) noexcept
{
    m_bLocked = (fLock != FALSE);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) noexcept
{
    return GuardedCall([&]() -> HRESULT {
        return E_NOTIMPL;
    });
}

// --- helpers

HRESULT CActiveXCtrl::CreateHostWindow() noexcept
{
    if (m_pOwner == nullptr) return E_UNEXPECTED;
    if (m_pWindow && m_pWindow->Handle() != nullptr) {
        m_pOwner->m_hwndHost = m_pWindow->Handle();
        return S_OK;
    }
    IControlHostUI* manager = m_pOwner->Manager();
    if (manager == nullptr || manager->WindowHandle() == nullptr) return E_FAIL;
    std::unique_ptr<CActiveXWnd> window(new (std::nothrow) CActiveXWnd(this));
    if (!window) return E_OUTOFMEMORY;
    const HWND hwnd = window->Create(manager->WindowHandle());
    if (hwnd == nullptr) {
        const DWORD error = ::GetLastError();
        return HRESULT_FROM_WIN32(error ? error : ERROR_INVALID_WINDOW_HANDLE);
    }
    m_pWindow = window.release();  // it owns itself now that its window exists
    m_pOwner->m_hwndHost = hwnd;
    return S_OK;
}

IOleInPlaceObjectWindowless* CActiveXCtrl::WindowlessObject() const noexcept
{
    return m_bWindowless ? static_cast<IOleInPlaceObjectWindowless*>(m_pInPlaceObject.get()) : nullptr;
}

RECT CActiveXCtrl::ObjectRect() const noexcept
{
    const RECT rc = m_pOwner != nullptr ? m_pOwner->Rect() : RECT{0, 0, 0, 0};
    return m_bWindowless ? rc : MovedToOrigin(rc);
}

}  // namespace SkinUI
