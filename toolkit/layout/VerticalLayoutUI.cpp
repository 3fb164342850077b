#include "toolkit/layout/VerticalLayoutUI.h"

#include "toolkit/layout/LinearLayout.h"

namespace SkinUI {

std::wstring_view CVerticalLayoutUI::ClassName() const
{
    return L"VerticalLayoutUI";
}

void* CVerticalLayoutUI::InterfaceFor(std::wstring_view name)
{
    if (name == L"VerticalLayout") return this;
    return CContainerUI::InterfaceFor(name);
}

void CVerticalLayoutUI::Place(const RECT& rect)
{
    CControlUI::Place(rect);
    if (ChildCount() == 0) return;
    PlaceLinearChildren(*this, ContentRect(), m_iChildPadding, LayoutAxis::Vertical);
}

}  // namespace SkinUI
