#include "toolkit/layout/TabLayoutUI.h"

#include "toolkit/core/LayoutArithmetic.h"
#include "toolkit/core/SkinValue.h"
#include "toolkit/controls/ControlHostUI.h"

namespace SkinUI {

std::wstring_view CTabLayoutUI::ClassName() const
{
    return L"TabLayoutUI";
}

void* CTabLayoutUI::InterfaceFor(std::wstring_view name)
{
    if (name == L"TabLayout") return this;
    if (name == L"IPageSelect") return static_cast<IPageSelectUI*>(this);
    return CContainerUI::InterfaceFor(name);
}

bool CTabLayoutUI::Add(CControlUI* child)
{
    return AddAt(child, ChildCount());
}

bool CTabLayoutUI::AddAt(CControlUI* child, int index)
{
    if (!CContainerUI::AddAt(child, index)) return false;
    // The first visible page added becomes current; every other page is hidden.
    if (m_iCurSel == -1 && child->IsVisible()) {
        m_iCurSel = index;
    } else {
        if (m_iCurSel >= index) ++m_iCurSel;
        child->SetVisible(false);
    }
    return true;
}

bool CTabLayoutUI::RemoveAt(int index)
{
    if (!CContainerUI::RemoveAt(index)) return false;
    if (index == m_iCurSel) {
        if (ChildCount() > 0) {
            m_iCurSel = 0;
            ChildAt(0)->SetVisible(true);
        } else {
            m_iCurSel = -1;
        }
    } else if (index < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll()
{
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

bool CTabLayoutUI::SelectPage(int index)
{
    if (index < 0 || index >= ChildCount()) return false;
    if (index == m_iCurSel) return true;
    const int previous = m_iCurSel;
    m_iCurSel = index;
    for (int i = 0; i < ChildCount(); ++i) {
        CControlUI* page = ChildAt(i);
        if (i == index) {
            page->SetVisible(true);
            page->TakeFocus();
        } else {
            page->SetVisible(false);
        }
    }
    Place(m_rcItem);
    MarkParentForLayout();
    if (m_pManager) {
        // The focus moves at the next paint, once the new page is laid out.
        m_pManager->FocusNextTabStop(true);
        m_pManager->RaiseNotify(this, L"tabselect", static_cast<WPARAM>(index), static_cast<LPARAM>(previous));
    }
    return true;
}

bool CTabLayoutUI::SelectPageControl(CControlUI* page)
{
    const int index = IndexOf(page);
    if (index < 0) return false;
    return SelectPage(index);
}

void CTabLayoutUI::ApplyAttribute(std::wstring_view name, std::wstring_view value)
{
    if (name == L"selectedid")
        SelectPage(ParseSkinInt(value));
    else
        CContainerUI::ApplyAttribute(name, value);
}

void CTabLayoutUI::Place(const RECT& rect)
{
    CControlUI::Place(rect);
    const RECT content = ContentRect();
    for (int i = 0; i < ChildCount(); ++i) {
        CControlUI* child = ChildAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            PlaceFloatChild(child);
            continue;
        }
        if (i != m_iCurSel) continue;
        const RECT padding = child->Padding();
        // Sums in 64 bits: no padding wraps an edge around.
        const RECT area = {ClampLayoutValue(static_cast<long long>(content.left) + padding.left),
                           ClampLayoutValue(static_cast<long long>(content.top) + padding.top),
                           ClampLayoutValue(static_cast<long long>(content.right) - padding.right),
                           ClampLayoutValue(static_cast<long long>(content.bottom) - padding.bottom)};
        const long long areaWidth = static_cast<long long>(area.right) - area.left;
        const long long areaHeight = static_cast<long long>(area.bottom) - area.top;
        const SIZE size = child->MeasureSize({ClampLayoutValue(areaWidth), ClampLayoutValue(areaHeight)});
        long long width = size.cx == 0 ? std::max<long long>(0, areaWidth) : size.cx;
        long long height = size.cy == 0 ? std::max<long long>(0, areaHeight) : size.cy;
        width = ClampToLimits(width, child->MinWidth(), child->MaxWidth());
        height = ClampToLimits(height, child->MinHeight(), child->MaxHeight());
        child->Place({area.left, area.top, ClampLayoutValue(area.left + width), ClampLayoutValue(area.top + height)});
    }
}

}  // namespace SkinUI
