#include "toolkit/controls/ButtonUI.h"

#include "toolkit/render/SkinRenderer.h"
#include "toolkit/core/SkinValue.h"
#include "toolkit/controls/ControlHostUI.h"
#include "toolkit/render/RenderResourcesUI.h"
#include "toolkit/controls/PageSelectUI.h"

namespace SkinUI {

CButtonUI::CButtonUI()
{
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

std::wstring_view CButtonUI::ClassName() const
{
    return L"ButtonUI";
}

void* CButtonUI::InterfaceFor(std::wstring_view name)
{
    if (name == L"Button") return this;
    return CLabelUI::InterfaceFor(name);
}

UINT CButtonUI::ControlFlags() const
{
    return (IsEnabled() ? FLAG_SETCURSOR : 0) | (IsKeyboardEnabled() ? FLAG_TABSTOP : 0);
}

bool CButtonUI::Activate()
{
    if (!CControlUI::Activate()) return false;
    IControlHostUI* manager = m_pManager;
    if (!manager) return true;
    CControlAlive alive(this);
    manager->RaiseNotify(this, L"click");
    // A click handler may have removed, moved or deleted the button: the
    // page it selects belongs to the window it was clicked in.
    if (!alive || m_pManager != manager) return true;
    if (!m_sBindTabLayoutName.IsEmpty() && m_iBindTabIndex >= 0) {
        if (CControlUI* found = manager->FindByName(m_sBindTabLayoutName.View())) {
            if (auto* pages = static_cast<IPageSelectUI*>(found->InterfaceFor(L"IPageSelect")))
                pages->SelectPage(m_iBindTabIndex);
        }
    }
    return true;
}

void CButtonUI::SetEnabled(bool enabled)
{
    CControlUI::SetEnabled(enabled);
    if (!enabled) m_uButtonState = 0;
}

void CButtonUI::HandleEvent(TEventRecord& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.nType)) {
        if (m_pParent) m_pParent->HandleEvent(event);
        return;
    }
    const bool inside = ::PtInRect(&m_rcItem, event.ptMouse) != FALSE;
    switch (event.nType) {
    case EV_SETFOCUS:
    case EV_KILLFOCUS:
        TakeFocusEvent(event);
        Invalidate();
        return;
    case EV_KEYDOWN:
        if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case EV_BUTTONDOWN:
    case EV_DBLCLICK:
        if (inside && IsEnabled()) {
            m_uButtonState |= BUTTON_STATE_PUSHED | BUTTON_STATE_CAPTURED;
            Invalidate();
            return;
        }
        break;
    case EV_MOUSEMOVE:
        if (m_uButtonState & BUTTON_STATE_CAPTURED) {
            if (inside)
                m_uButtonState |= BUTTON_STATE_PUSHED;
            else
                m_uButtonState &= ~BUTTON_STATE_PUSHED;
            Invalidate();
            return;
        }
        break;
    case EV_BUTTONUP:
        if (m_uButtonState & BUTTON_STATE_CAPTURED) {
            // Let go before activating: the click may close the window or delete the button.
            m_uButtonState &= ~(BUTTON_STATE_PUSHED | BUTTON_STATE_CAPTURED);
            Invalidate();
            if (inside && !event.bCancelled) Activate();
            return;
        }
        break;
    case EV_CONTEXTMENU:
        if (IsContextMenuEnabled() && m_pManager) m_pManager->RaiseNotify(this, L"menu", event.wParam, event.lParam);
        return;
    case EV_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= BUTTON_STATE_HOT;
            Invalidate();
        }
        break;
    case EV_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~BUTTON_STATE_HOT;
            Invalidate();
        }
        break;
    case EV_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

void CButtonUI::SetImage(CImageAttribute& image, std::wstring_view descriptor)
{
    image.Set(descriptor);
    const CImageAttribute* states[] = {&m_sNormalImage, &m_sHotImage, &m_sPushedImage, &m_sFocusedImage,
                                       &m_sDisabledImage, &m_sHotForeImage, &m_sPushedForeImage};
    bool outside = false;
    for (const CImageAttribute* state : states) outside = outside || state->ReachesOutside();
    SetPaintsOutside(kOutsideStateImages, outside);
    Invalidate();
}

void CButtonUI::SetNormalImage(std::wstring_view descriptor)
{
    SetImage(m_sNormalImage, descriptor);
}

void CButtonUI::SetHotImage(std::wstring_view descriptor)
{
    SetImage(m_sHotImage, descriptor);
}

void CButtonUI::SetPushedImage(std::wstring_view descriptor)
{
    SetImage(m_sPushedImage, descriptor);
}

void CButtonUI::SetFocusedImage(std::wstring_view descriptor)
{
    SetImage(m_sFocusedImage, descriptor);
}

void CButtonUI::SetDisabledImage(std::wstring_view descriptor)
{
    SetImage(m_sDisabledImage, descriptor);
}

void CButtonUI::SetForeImage(std::wstring_view descriptor)
{
    SetImage(m_sForeImage, descriptor);
}

void CButtonUI::SetHotForeImage(std::wstring_view descriptor)
{
    SetImage(m_sHotForeImage, descriptor);
}

void CButtonUI::SetPushedForeImage(std::wstring_view descriptor)
{
    SetImage(m_sPushedForeImage, descriptor);
}

void CButtonUI::SetHotBackgroundColour(DWORD argb)
{
    m_dwHotBkColour = argb;
    Invalidate();
}

void CButtonUI::BindTabPage(std::wstring_view tabLayoutName, int index)
{
    m_sBindTabLayoutName = tabLayoutName;
    if (index >= 0) m_iBindTabIndex = index;
}

void CButtonUI::ApplyAttribute(std::wstring_view name, std::wstring_view value)
{
    if (name == L"normalimage") {
        SetNormalImage(value);
    } else if (name == L"hotimage") {
        SetHotImage(value);
    } else if (name == L"pushedimage") {
        SetPushedImage(value);
    } else if (name == L"focusedimage") {
        SetFocusedImage(value);
    } else if (name == L"disabledimage") {
        SetDisabledImage(value);
    } else if (name == L"foreimage") {
        SetForeImage(value);
    } else if (name == L"hotforeimage") {
        SetHotForeImage(value);
    } else if (name == L"pushedforeimage") {
        SetPushedForeImage(value);
    } else if (name == L"hotbkcolor") {
        SetHotBackgroundColour(ParseSkinColour(value));
    } else if (name == L"hottextcolor") {
        SetHotTextColour(ParseSkinColour(value));
    } else if (name == L"pushedtextcolor") {
        SetPushedTextColour(ParseSkinColour(value));
    } else if (name == L"focusedtextcolor") {
        SetFocusedTextColour(ParseSkinColour(value));
    } else if (name == L"bindtabindex") {
        const int index = ParseSkinInt(value);
        if (index >= 0) m_iBindTabIndex = index;
    } else if (name == L"bindtablayoutname") {
        m_sBindTabLayoutName = value;
    } else if (name == L"multiline") {
        if (ParseSkinBool(value))
            m_uTextStyle = (m_uTextStyle & ~DT_SINGLELINE) | DT_WORDBREAK;
        else
            m_uTextStyle = (m_uTextStyle & ~DT_WORDBREAK) | DT_SINGLELINE;
        Invalidate();
    } else {
        CLabelUI::ApplyAttribute(name, value);
    }
}

SIZE CButtonUI::MeasureSize(SIZE available)
{
    if (m_cxyFixed.cy == 0 && m_pManager)
        return {m_cxyFixed.cx, m_pManager->RenderResources()->TextMetricsAt(m_iFont).tmHeight + Scaled(8)};
    return CLabelUI::MeasureSize(available);
}

void CButtonUI::PaintStateImage(HDC hdc)
{
    if (IsFocused())
        m_uButtonState |= BUTTON_STATE_FOCUSED;
    else
        m_uButtonState &= ~BUTTON_STATE_FOCUSED;
    if (!IsEnabled())
        m_uButtonState |= BUTTON_STATE_DISABLED;
    else
        m_uButtonState &= ~BUTTON_STATE_DISABLED;

    // DrawImage fails for an empty descriptor and clears one that cannot be
    // loaded, so every step falls through as if that image were absent.
    if ((m_uButtonState & BUTTON_STATE_DISABLED) && DrawImage(hdc, m_sDisabledImage)) {
        DrawImage(hdc, m_sForeImage);
        return;
    }
    if ((m_uButtonState & BUTTON_STATE_PUSHED) && DrawImage(hdc, m_sPushedImage)) {
        if (!DrawImage(hdc, m_sPushedForeImage)) DrawImage(hdc, m_sForeImage);
        return;
    }
    if (m_uButtonState & BUTTON_STATE_HOT) {
        if (DrawImage(hdc, m_sHotImage)) {
            if (!DrawImage(hdc, m_sHotForeImage)) DrawImage(hdc, m_sForeImage);
            return;
        }
        if (m_dwHotBkColour != 0) {
            CSkinRenderer::FillColour(hdc, m_rcPaint, m_dwHotBkColour);
            return;
        }
    }
    if ((m_uButtonState & BUTTON_STATE_FOCUSED) && DrawImage(hdc, m_sFocusedImage)) {
        DrawImage(hdc, m_sForeImage);
        return;
    }
    DrawImage(hdc, m_sNormalImage);
    DrawImage(hdc, m_sForeImage);
}

void CButtonUI::PaintLabel(HDC hdc)
{
    TakeDefaultColours();
    if (m_sText.IsEmpty() || m_effects.bEnabledEffect) return;
    DWORD colour = IsEnabled() ? m_dwTextColour : m_dwDisabledTextColour;
    if ((m_uButtonState & BUTTON_STATE_PUSHED) && m_dwPushedTextColour != 0)
        colour = m_dwPushedTextColour;
    else if ((m_uButtonState & BUTTON_STATE_HOT) && m_dwHotTextColour != 0)
        colour = m_dwHotTextColour;
    else if ((m_uButtonState & BUTTON_STATE_FOCUSED) && m_dwFocusedTextColour != 0)
        colour = m_dwFocusedTextColour;
    DrawLabelText(hdc, colour, m_uTextStyle);
}

}  // namespace SkinUI
