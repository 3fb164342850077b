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
    return AddAt(child, m_items.Count());
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
        if (m_items.Count() > 0) {
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
    if (index < 0 || index >= m_items.Count()) return false;
    if (index == m_iCurSel) return true;
    const int previous = m_iCurSel;
    m_iCurSel = index;
    for (int i = 0; i < m_items.Count(); ++i) {
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
    for (int i = 0; i < m_items.Count(); ++i) {
        CControlUI* child = ChildAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            PlaceFloatChild(child);
            continue;
        }
        if (i != m_iCurSel) continue;
        const RECT padding = child->Padding();
        const RECT area = {content.left + padding.left, content.top + padding.top, content.right - padding.right,
                           content.bottom - padding.bottom};
        const SIZE size = child->MeasureSize({area.right - area.left, area.bottom - area.top});
        long long width = size.cx == 0 ? std::max<long long>(0, area.right - area.left) : size.cx;
        long long height = size.cy == 0 ? std::max<long long>(0, area.bottom - area.top) : size.cy;
        width = ClampToLimits(width, child->MinWidth(), child->MaxWidth());
        height = ClampToLimits(height, child->MinHeight(), child->MaxHeight());
        child->Place({area.left, area.top, ClampLayoutValue(area.left + width), ClampLayoutValue(area.top + height)});
    }
}

}  // namespace SkinUI
