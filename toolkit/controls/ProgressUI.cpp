#include "toolkit/controls/ProgressUI.h"

#include <climits>

#include "toolkit/core/SkinValue.h"

namespace SkinUI {

CProgressUI::CProgressUI()
{
    m_uTextStyle = DT_SINGLELINE | DT_CENTER;
    m_cxyFixed.cy = 12;
}

std::wstring_view CProgressUI::ClassName() const
{
    return L"ProgressUI";
}

void* CProgressUI::InterfaceFor(std::wstring_view name)
{
    if (name == L"Progress") return this;
    return CLabelUI::InterfaceFor(name);
}

void CProgressUI::SetHorizontal(bool on)
{
    if (m_bHorizontal == on) return;
    m_bHorizontal = on;
    Invalidate();
}

void CProgressUI::SetMinValue(int value)
{
    m_nMin = value;
    Invalidate();
}

void CProgressUI::SetMaxValue(int value)
{
    m_nMax = value;
    Invalidate();
}

void CProgressUI::SetValue(int value)
{
    if (value == m_nValue || value < m_nMin || value > m_nMax) return;
    m_nValue = value;
    Invalidate();
}

void CProgressUI::SetStretchForeImage(bool on)
{
    if (m_bStretchForeImage == on) return;
    m_bStretchForeImage = on;
    Invalidate();
}

void CProgressUI::SetForeImage(std::wstring_view descriptor)
{
    if (!m_sForeImage.Set(descriptor)) return;
    Invalidate();
}

CUiString CProgressUI::ForeImageModifier() const
{
    if (m_foreModifierCount == 0) return {};
    const SkinRect& r = m_foreModifier[0].rect;
    if (m_foreModifierCount == 1) return CUiString::Format(L"dest='%d,%d,%d,%d'", r.left, r.top, r.right, r.bottom);
    return CUiString::Format(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", r.left, r.top, r.right, r.bottom, r.left,
                             r.top, r.right, r.bottom);
}

void CProgressUI::ApplyAttribute(std::wstring_view name, std::wstring_view value)
{
    if (name == L"foreimage")
        SetForeImage(value);
    else if (name == L"hor")
        SetHorizontal(ParseSkinBool(value));
    else if (name == L"min")
        SetMinValue(ParseSkinInt(value));
    else if (name == L"max")
        SetMaxValue(ParseSkinInt(value));
    else if (name == L"value")
        SetValue(ParseSkinInt(value));
    else if (name == L"isstretchfore")
        SetStretchForeImage(ParseSkinBool(value));
    else
        CLabelUI::ApplyAttribute(name, value);
}

void CProgressUI::PaintStateImage(HDC hdc)
{
    if (m_nMin >= m_nMax) {
        if (m_nMin == INT_MAX) m_nMin = INT_MAX - 1;  // the maximum must stay representable
        m_nMax = m_nMin + 1;
    }
    if (m_nValue > m_nMax) m_nValue = m_nMax;
    if (m_nValue < m_nMin) m_nValue = m_nMin;

    // 64-bit: a range near the full 32 bits times a width does not fit in 32.
    const long long w = m_rcItem.right - m_rcItem.left;
    const long long h = m_rcItem.bottom - m_rcItem.top;
    const long long range = static_cast<long long>(m_nMax) - m_nMin;
    RECT filled;
    if (m_bHorizontal) {
        filled = {0, 0, static_cast<LONG>(w * (static_cast<long long>(m_nValue) - m_nMin) / range),
                  static_cast<LONG>(h)};
    } else {
        filled = {0, static_cast<LONG>(h * (static_cast<long long>(m_nMax) - m_nValue) / range), static_cast<LONG>(w),
                  static_cast<LONG>(h)};
    }
    if (m_sForeImage.IsEmpty()) return;
    // The modifier as pairs: what its text would read as, without the text.
    const SkinRect part = {static_cast<int>(filled.left), static_cast<int>(filled.top), static_cast<int>(filled.right),
                           static_cast<int>(filled.bottom)};
    m_foreModifier[0].key = ImageKey::Dest;
    m_foreModifier[0].rect = part;
    m_foreModifier[1].key = ImageKey::Source;
    m_foreModifier[1].rect = part;
    m_foreModifierCount = m_bStretchForeImage ? 1 : 2;
    DrawImage(hdc, m_sForeImage, m_foreModifier, m_foreModifierCount);
}

}  // namespace SkinUI
