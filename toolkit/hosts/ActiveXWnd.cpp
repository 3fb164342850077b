#include "toolkit/hosts/ActiveXWnd.h"

#include "toolkit/hosts/ActiveXCtrl.h"
#include "toolkit/hosts/ActiveXUI.h"

namespace SkinUI {

CActiveXWnd::~CActiveXWnd()
{
    Destroy();
}

HWND CActiveXWnd::Create(HWND parent)
{
    return CWindowWnd::Create(parent, L"UIActiveX", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                              0, 0, 0);
}

void CActiveXWnd::Destroy() noexcept
{
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

void CActiveXWnd::DoVerb(LONG verb)
{
    CActiveXUI* owner = m_pSite->Owner();
    if (owner == nullptr || !owner->m_pOleObject) return;
    IOleClientSite* site = static_cast<IOleClientSite*>(m_pSite);
    // The rectangle is in the parent's coordinates: this window's own.
    RECT rc = owner->Rect();
    ::OffsetRect(&rc, -rc.left, -rc.top);
    owner->m_pOleObject->DoVerb(verb, nullptr, site, 0, m_hWnd, &rc);
}

LRESULT CActiveXWnd::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        // The control's own window paints; the host only validates.
        PAINTSTRUCT ps;
        ::BeginPaint(m_hWnd, &ps);
        ::EndPaint(m_hWnd, &ps);
        return 1;
    }
    case WM_SETFOCUS:
        m_pSite->SetFocused(true);
        if (!m_pSite->IsUIActive()) DoVerb(OLEIVERB_UIACTIVATE);
        break;
    case WM_KILLFOCUS:
        m_pSite->SetFocused(false);
        break;
    case WM_ERASEBKGND:
        if (m_pSite->ViewObject() != nullptr) return 1;
        break;
    case WM_MOUSEACTIVATE: {
        CActiveXUI* owner = m_pSite->Owner();
        if (owner != nullptr && owner->m_pOleObject) {
            DWORD status = 0;
            owner->m_pOleObject->GetMiscStatus(DVASPECT_CONTENT, &status);
            if (status & OLEMISC_NOUIACTIVATE) return 0;
        }
        if (!m_pSite->IsInPlaceActive()) DoVerb(OLEIVERB_INPLACEACTIVATE);
        break;
    }
    case WM_MOUSEWHEEL:
        return 0;  // swallowed: the skinned window must not scroll under the control
    default:
        break;
    }
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

}  // namespace SkinUI
