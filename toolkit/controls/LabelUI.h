// A control that shows a text.
#pragma once

#include "toolkit/controls/ControlUI.h"

namespace SkinUI {

// Text-effect settings: accepted and stored; a label with effects enabled
// paints no text (their rendering is not part of the toolkit yet).
struct TTextEffects {
    bool bEnabledEffect = false;
    bool bEnabledStroke = false;
    bool bEnabledShadow = false;
    int nTransShadow = 0;
    int nTransText = 0;
    int nTransShadow1 = 0;
    int nTransText1 = 0;
    int nTransStroke = 0;
    int nGradientAngle = 0;
    int nGradientLength = 0;
    POINT ptShadowOffset = {0, 0};
    DWORD dwTextColour1 = 0;
    DWORD dwTextShadowColourA = 0;
    DWORD dwTextShadowColourB = 0;
    DWORD dwStrokeColour = 0;
};

class CLabelUI : public CControlUI {
public:
    CLabelUI();

    std::wstring_view ClassName() const override;
    void* InterfaceFor(std::wstring_view name) override;
    void HandleEvent(TEventRecord& event) override;
    void ApplyAttribute(std::wstring_view name, std::wstring_view value) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintLabel(HDC hdc) override;

    virtual bool AutoWidth() const;
    virtual void SetAutoWidth(bool on);

    UINT TextStyle() const { return m_uTextStyle; }
    void SetTextStyle(UINT style);
    DWORD TextColour() const { return m_dwTextColour; }
    void SetTextColour(DWORD argb);
    DWORD DisabledTextColour() const { return m_dwDisabledTextColour; }
    void SetDisabledTextColour(DWORD argb);
    int Font() const { return m_iFont; }
    void SetFont(int index);
    RECT TextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(const RECT& padding);
    bool ShowsHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool on);
    const TTextEffects& TextEffects() const { return m_effects; }

protected:
    void ScaleGeometry(const CDisplayScale& from, const CDisplayScale& to) override;
    // Colours left at 0 take the window manager's defaults (and keep them).
    void TakeDefaultColours();
    RECT TextRect() const;
    void DrawLabelText(HDC hdc, DWORD colour, UINT style);
    // Keeps PaintsOutsideRect in step with the text padding and style.
    void NoteTextReach();

    DWORD m_dwTextColour = 0;
    DWORD m_dwDisabledTextColour = 0;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_VCENTER;
    RECT m_rcTextPadding = {0, 0, 0, 0};
    bool m_bShowHtml = false;
    bool m_bAutoWidth = false;
    TTextEffects m_effects;
};

}  // namespace SkinUI
