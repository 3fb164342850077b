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
    const CUiString& ForeImage() const { return m_sForeImage.Text(); }
    void SetForeImage(std::wstring_view descriptor);
    // The modifier of the last paint as text ("dest='...'", with
    // "source='...'" when the fore image is not stretched); empty before it.
    CUiString ForeImageModifier() const;

private:
    bool m_bHorizontal = true;
    bool m_bStretchForeImage = true;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    // The last paint's modifier: "dest", and "source" unless stretched.
    ImageDescriptorPair m_foreModifier[2];
    std::size_t m_foreModifierCount = 0;
};

}  // namespace SkinUI
