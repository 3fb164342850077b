// Shows one of its children (pages) at a time.
#pragma once

#include "toolkit/controls/PageSelectUI.h"
#include "toolkit/layout/ContainerUI.h"

namespace SkinUI {

class CTabLayoutUI : public CContainerUI, public IPageSelectUI {
public:
    std::wstring_view ClassName() const override;
    void* InterfaceFor(std::wstring_view name) override;
    bool Add(CControlUI* child) override;
    bool AddAt(CControlUI* child, int index) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    void ApplyAttribute(std::wstring_view name, std::wstring_view value) override;
    void Place(const RECT& rect) override;

    int CurrentPage() const { return m_iCurSel; }
    // Shows page index and hides the others; raises "tabselect" (wParam the
    // new index, lParam the previous one). Fails for an index outside the pages.
    bool SelectPage(int index) override;
    virtual bool SelectPageControl(CControlUI* page);

private:
    int m_iCurSel = -1;
};

}  // namespace SkinUI
