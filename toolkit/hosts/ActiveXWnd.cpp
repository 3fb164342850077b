#include "toolkit/hosts/ActiveXWnd.h"

#include "base/Win32Handles.h"
#include "toolkit/hosts/ActiveXCtrl.h"
#include "toolkit/hosts/ActiveXUI.h"

namespace SkinUI {

HWND CActiveXWnd::Create(HWND parent)
{
    const HWND hwnd = CWindowWnd::Create(parent, L"UIActiveX", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                         0, 0, 0, 0, 0);
    if (hwnd) m_bOwnsItself = true;
    return hwnd;
}

void CActiveXWnd::Destroy() noexcept
{
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

void CActiveXWnd::OnWindowDestroyed(HWND hwnd)
{
    if (m_pSite) m_pSite->OnHostWindowDestroyed(this, hwnd);
    m_pSite = nullptr;
}

void CActiveXWnd::OnFinalRelease()
{
    if (m_bOwnsItself) delete this;
}

void CActiveXWnd::DoVerb(CActiveXCtrl& site, LONG verb)
{
    CActiveXUI* owner = site.Owner();
    if (owner == nullptr || !owner->m_pOleObject) return;
    // Held for the call: the control's verb may release it from the control.
    const win32::ComPtr<IOleObject> object = owner->m_pOleObject;
    // The rectangle is in the parent's coordinates: this window's own.
    RECT rc = owner->Rect();
    ::OffsetRect(&rc, -rc.left, -rc.top);
    object->DoVerb(verb, nullptr, static_cast<IOleClientSite*>(&site), 0, m_hWnd, &rc);
}

LRESULT CActiveXWnd::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The site stays for the whole message even when the control lets go of it.
    const win32::ComPtr<CActiveXCtrl> site(m_pSite);
    if (!site) return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: {
        // The control's own window paints; the host only validates.
        PAINTSTRUCT ps;
        ::BeginPaint(m_hWnd, &ps);
        ::EndPaint(m_hWnd, &ps);
        return 1;
    }
    case WM_SETFOCUS:
        site->SetFocused(true);
        if (!site->IsUIActive()) DoVerb(*site.get(), OLEIVERB_UIACTIVATE);
        break;
    case WM_KILLFOCUS:
        site->SetFocused(false);
        break;
    case WM_ERASEBKGND:
        if (site->ViewObject() != nullptr) return 1;
        break;
    case WM_MOUSEACTIVATE: {
        CActiveXUI* owner = site->Owner();
        if (owner != nullptr && owner->m_pOleObject) {
            DWORD status = 0;
            owner->m_pOleObject->GetMiscStatus(DVASPECT_CONTENT, &status);
            if (status & OLEMISC_NOUIACTIVATE) return 0;
        }
        if (!site->IsInPlaceActive()) DoVerb(*site.get(), OLEIVERB_INPLACEACTIVATE);
        break;
    }
    case WM_MOUSEWHEEL:
        return 0;  // swallowed: the skinned window must not scroll under the control
    default:
        break;
    }
    // The verbs above run the control's code: the window may be gone now.
    if (!m_hWnd) return 0;
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

}  // namespace SkinUI
