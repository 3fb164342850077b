// An image button: state images for normal, hot, pushed, focused and
// disabled, and "click" on activation.
#pragma once

#include "toolkit/controls/LabelUI.h"

namespace SkinUI {

// Button state bits.
constexpr UINT BUTTON_STATE_FOCUSED = 0x01;
constexpr UINT BUTTON_STATE_DISABLED = 0x04;
constexpr UINT BUTTON_STATE_HOT = 0x08;
constexpr UINT BUTTON_STATE_PUSHED = 0x10;
constexpr UINT BUTTON_STATE_CAPTURED = 0x40;

class CButtonUI : public CLabelUI {
public:
    CButtonUI();

    std::wstring_view ClassName() const override;
    void* InterfaceFor(std::wstring_view name) override;
    UINT ControlFlags() const override;
    bool Activate() override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(TEventRecord& event) override;
    void ApplyAttribute(std::wstring_view name, std::wstring_view value) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintStateImage(HDC hdc) override;
    void PaintLabel(HDC hdc) override;

    UINT ButtonState() const { return m_uButtonState; }
    const CUiString& NormalImage() const { return m_sNormalImage.Text(); }
    void SetNormalImage(std::wstring_view descriptor);
    const CUiString& HotImage() const { return m_sHotImage.Text(); }
    void SetHotImage(std::wstring_view descriptor);
    const CUiString& PushedImage() const { return m_sPushedImage.Text(); }
    void SetPushedImage(std::wstring_view descriptor);
    const CUiString& FocusedImage() const { return m_sFocusedImage.Text(); }
    void SetFocusedImage(std::wstring_view descriptor);
    const CUiString& DisabledImage() const { return m_sDisabledImage.Text(); }
    void SetDisabledImage(std::wstring_view descriptor);
    const CUiString& ForeImage() const { return m_sForeImage.Text(); }
    void SetForeImage(std::wstring_view descriptor);
    void SetHotForeImage(std::wstring_view descriptor);
    void SetPushedForeImage(std::wstring_view descriptor);
    void SetHotBackgroundColour(DWORD argb);
    void SetHotTextColour(DWORD argb) { m_dwHotTextColour = argb; }
    void SetPushedTextColour(DWORD argb) { m_dwPushedTextColour = argb; }
    void SetFocusedTextColour(DWORD argb) { m_dwFocusedTextColour = argb; }
    // Activating the button also selects this page of the named tab layout.
    void BindTabPage(std::wstring_view tabLayoutName, int index);

private:
    void SetImage(CImageAttribute& image, std::wstring_view descriptor);

    UINT m_uButtonState = 0;
    CImageAttribute m_sNormalImage;
    CImageAttribute m_sHotImage;
    CImageAttribute m_sPushedImage;
    CImageAttribute m_sFocusedImage;
    CImageAttribute m_sDisabledImage;
    CImageAttribute m_sHotForeImage;
    CImageAttribute m_sPushedForeImage;
    DWORD m_dwHotBkColour = 0;
    DWORD m_dwHotTextColour = 0;
    DWORD m_dwPushedTextColour = 0;
    DWORD m_dwFocusedTextColour = 0;
    CUiString m_sBindTabLayoutName;
    int m_iBindTabIndex = -1;
};

}  // namespace SkinUI
