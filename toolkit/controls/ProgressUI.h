// A progress bar: a fore image over the filled part of the control.
#pragma once

#include "toolkit/controls/LabelUI.h"

namespace SkinUI {

class CProgressUI : public CLabelUI {
public:
    CProgressUI();

    std::wstring_view ClassName() const override;
    void* InterfaceFor(std::wstring_view name) override;
    void ApplyAttribute(std::wstring_view name, std::wstring_view value) override;
    void PaintStateImage(HDC hdc) override;

    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool on);
    int MinValue() const { return m_nMin; }
    void SetMinValue(int value);
    int MaxValue() const { return m_nMax; }
    void SetMaxValue(int value);
    int Value() const { return m_nValue; }
    // Ignored when equal to the current value or outside minimum..maximum.
    void SetValue(int value);
    bool IsStretchForeImage() const { return m_bStretchForeImage; }
    void SetStretchForeImage(bool on);
    const CUiString& ForeImage() const { return m_sForeImage; }
    void SetForeImage(std::wstring_view descriptor);
    // The modifier of the last paint ("dest='...'", with "source='...'"
    // when the fore image is not stretched).
    const CUiString& ForeImageModifier() const { return m_sForeImageModify; }

private:
    bool m_bHorizontal = true;
    bool m_bStretchForeImage = true;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    CUiString m_sForeImageModify;
};

}  // namespace SkinUI
