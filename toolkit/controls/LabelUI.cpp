#include "toolkit/controls/LabelUI.h"

#include "toolkit/render/SkinRenderer.h"
#include "toolkit/core/LayoutArithmetic.h"
#include "toolkit/core/SkinValue.h"
#include "toolkit/controls/ControlHostUI.h"
#include "toolkit/render/RenderResourcesUI.h"

namespace SkinUI {

CLabelUI::CLabelUI() = default;

std::wstring_view CLabelUI::ClassName() const
{
    return L"LabelUI";
}

void* CLabelUI::InterfaceFor(std::wstring_view name)
{
    if (name == L"Label") return this;
    return CControlUI::InterfaceFor(name);
}

void CLabelUI::HandleEvent(TEventRecord& event)
{
    if (TakeFocusEvent(event)) return;  // a label or container shows no focus
    CControlUI::HandleEvent(event);
}

bool CLabelUI::AutoWidth() const
{
    return m_bAutoWidth;
}

void CLabelUI::SetAutoWidth(bool on)
{
    m_bAutoWidth = on;
}

void CLabelUI::SetTextStyle(UINT style)
{
    m_uTextStyle = style;
    NoteTextReach();
    Invalidate();
}

// Text is clipped to the rectangle inside the text padding: it stays inside
// the control unless a padding is negative or the style asks for no clip
// (the attributes never set DT_NOCLIP; only SetTextStyle can).
void CLabelUI::NoteTextReach()
{
    const RECT& p = m_rcTextPadding;
    SetPaintsOutside(kOutsideText, (m_uTextStyle & DT_NOCLIP) != 0 || p.left < 0 || p.top < 0 || p.right < 0 ||
                                       p.bottom < 0);
}

void CLabelUI::SetTextColour(DWORD argb)
{
    m_dwTextColour = argb;
    Invalidate();
}

void CLabelUI::SetDisabledTextColour(DWORD argb)
{
    m_dwDisabledTextColour = argb;
    Invalidate();
}

void CLabelUI::SetFont(int index)
{
    m_iFont = index;
    Invalidate();
}

void CLabelUI::SetTextPadding(const RECT& padding)
{
    m_rcTextPadding = padding;
    NoteTextReach();
    Invalidate();
}

void CLabelUI::SetShowHtml(bool on)
{
    if (m_bShowHtml == on) return;
    m_bShowHtml = on;
    Invalidate();
}

void CLabelUI::ApplyAttribute(std::wstring_view name, std::wstring_view value)
{
    auto has = [&](std::wstring_view word) { return value.find(word) != std::wstring_view::npos; };
    if (name == L"align") {
        if (has(L"left")) m_uTextStyle &= ~(DT_CENTER | DT_RIGHT | DT_SINGLELINE);
        if (has(L"center")) {
            m_uTextStyle &= ~DT_RIGHT;
            m_uTextStyle |= DT_CENTER;
        }
        if (has(L"right")) {
            m_uTextStyle &= ~(DT_CENTER | DT_SINGLELINE);
            m_uTextStyle |= DT_RIGHT;
        }
        Invalidate();
    } else if (name == L"valign") {
        if (has(L"top")) {
            m_uTextStyle &= ~(DT_VCENTER | DT_BOTTOM);
            m_uTextStyle |= DT_SINGLELINE;
        }
        if (has(L"vcenter")) {
            m_uTextStyle &= ~DT_BOTTOM;
            m_uTextStyle |= DT_VCENTER | DT_SINGLELINE;
        }
        if (has(L"bottom")) {
            m_uTextStyle &= ~DT_VCENTER;
            m_uTextStyle |= DT_BOTTOM | DT_SINGLELINE;
        }
        Invalidate();
    } else if (name == L"endellipsis") {
        SetTextStyle(ParseSkinBool(value) ? (m_uTextStyle | DT_END_ELLIPSIS) : (m_uTextStyle & ~DT_END_ELLIPSIS));
    } else if (name == L"font") {
        SetFont(ParseSkinInt(value));
    } else if (name == L"textcolor") {
        SetTextColour(ParseSkinColour(value));
    } else if (name == L"disabledtextcolor") {
        SetDisabledTextColour(ParseSkinColour(value));
    } else if (name == L"textpadding") {
        const SkinRect r = m_scale.Scale(ParseSkinRect(value));
        SetTextPadding({r.left, r.top, r.right, r.bottom});
    } else if (name == L"showhtml") {
        SetShowHtml(ParseSkinBool(value));
    } else if (name == L"autocalcwidth") {
        SetAutoWidth(ParseSkinBool(value));
    } else if (name == L"enabledeffect") {
        m_effects.bEnabledEffect = ParseSkinBool(value);
    } else if (name == L"enabledstroke") {
        m_effects.bEnabledStroke = ParseSkinBool(value);
    } else if (name == L"enabledshadow") {
        m_effects.bEnabledShadow = ParseSkinBool(value);
    } else if (name == L"transshadow") {
        m_effects.nTransShadow = ParseSkinInt(value);
    } else if (name == L"transtext") {
        m_effects.nTransText = ParseSkinInt(value);
    } else if (name == L"transshadow1") {
        m_effects.nTransShadow1 = ParseSkinInt(value);
    } else if (name == L"transtext1") {
        m_effects.nTransText1 = ParseSkinInt(value);
    } else if (name == L"transstroke") {
        m_effects.nTransStroke = ParseSkinInt(value);
    } else if (name == L"gradientangle") {
        m_effects.nGradientAngle = ParseSkinInt(value);
    } else if (name == L"gradientlength") {
        m_effects.nGradientLength = ParseSkinInt(value);
    } else if (name == L"shadowoffset") {
        const SkinPoint p = m_scale.Scale(ParseSkinPoint(value));
        m_effects.ptShadowOffset = {p.x, p.y};
    } else if (name == L"textcolor1") {
        m_effects.dwTextColour1 = ParseSkinColour(value);
    } else if (name == L"textshadowcolora") {
        m_effects.dwTextShadowColourA = ParseSkinColour(value);
    } else if (name == L"textshadowcolorb") {
        m_effects.dwTextShadowColourB = ParseSkinColour(value);
    } else if (name == L"strokecolor") {
        m_effects.dwStrokeColour = ParseSkinColour(value);
    } else {
        CControlUI::ApplyAttribute(name, value);
    }
}

void CLabelUI::ScaleGeometry(const CDisplayScale& from, const CDisplayScale& to)
{
    CControlUI::ScaleGeometry(from, to);
    const RECT& p = m_rcTextPadding;
    const SkinRect padding = Rescale(SkinRect{static_cast<int>(p.left), static_cast<int>(p.top),
                                              static_cast<int>(p.right), static_cast<int>(p.bottom)},
                                     from, to);
    m_rcTextPadding = {padding.left, padding.top, padding.right, padding.bottom};
    m_effects.ptShadowOffset = {Rescale(static_cast<int>(m_effects.ptShadowOffset.x), from, to),
                                Rescale(static_cast<int>(m_effects.ptShadowOffset.y), from, to)};
}

SIZE CLabelUI::MeasureSize(SIZE)
{
    if (!m_pManager) return m_cxyFixed;
    if (m_bAutoWidth) {
        int width = 0;
        if (!m_sText.IsEmpty()) {
            RECT rc = {0, 0, 9999, 9999};
            CSkinRenderer::DrawTextIn(m_pManager->PaintDc(), m_pManager->RenderResources(), rc, m_sText.View(), 0, m_iFont,
                                      m_uTextStyle | DT_CALCRECT);
            width = rc.right - rc.left;
        }
        // Set directly: measuring is part of a layout, not a request for one.
        m_cxyFixed.cx = ClampLayoutValue(static_cast<long long>(width) + m_rcTextPadding.left + m_rcTextPadding.right);
    }
    if (m_cxyFixed.cy == 0)
        return {m_cxyFixed.cx, m_pManager->RenderResources()->TextMetricsAt(m_iFont).tmHeight + Scaled(4)};
    return m_cxyFixed;
}

void CLabelUI::TakeDefaultColours()
{
    if (!m_pManager) return;
    if (m_dwTextColour == 0) m_dwTextColour = m_pManager->DefaultFontColour();
    if (m_dwDisabledTextColour == 0) m_dwDisabledTextColour = m_pManager->DefaultDisabledColour();
}

RECT CLabelUI::TextRect() const
{
    // Sums in 64 bits: no padding value wraps an edge around.
    const RECT& r = m_rcItem;
    const RECT& p = m_rcTextPadding;
    return {ClampLayoutValue(static_cast<long long>(r.left) + p.left),
            ClampLayoutValue(static_cast<long long>(r.top) + p.top),
            ClampLayoutValue(static_cast<long long>(r.right) - p.right),
            ClampLayoutValue(static_cast<long long>(r.bottom) - p.bottom)};
}

void CLabelUI::DrawLabelText(HDC hdc, DWORD colour, UINT style)
{
    RECT rc = TextRect();
    if (m_bShowHtml)
        CSkinRenderer::DrawFormattedText(hdc, m_pManager->RenderResources(), rc, m_sText.View(), colour, m_iFont, style);
    else
        CSkinRenderer::DrawTextIn(hdc, m_pManager->RenderResources(), rc, m_sText.View(), colour, m_iFont, style);
}

void CLabelUI::PaintLabel(HDC hdc)
{
    TakeDefaultColours();
    if (m_sText.IsEmpty() || m_effects.bEnabledEffect) return;
    const DWORD colour = IsEnabled() ? m_dwTextColour : m_dwDisabledTextColour;
    DrawLabelText(hdc, colour, m_bShowHtml ? m_uTextStyle : (m_uTextStyle | DT_SINGLELINE));
}

}  // namespace SkinUI
