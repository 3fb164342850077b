#include "toolkit/layout/HorizontalLayoutUI.h"

#include "toolkit/layout/LinearLayout.h"

namespace SkinUI {

std::wstring_view CHorizontalLayoutUI::ClassName() const
{
    return L"HorizontalLayoutUI";
}

void* CHorizontalLayoutUI::InterfaceFor(std::wstring_view name)
{
    if (name == L"HorizontalLayout") return this;
    return CContainerUI::InterfaceFor(name);
}

void CHorizontalLayoutUI::Place(const RECT& rect)
{
    CControlUI::Place(rect);
    if (ChildCount() == 0) return;
    PlaceLinearChildren(*this, ContentRect(), m_iChildPadding, LayoutAxis::Horizontal);
}

}  // namespace SkinUI
