// Lines its children up left to right; children of width 0 share what is left.
#pragma once

#include "toolkit/layout/ContainerUI.h"

namespace SkinUI {

class CHorizontalLayoutUI : public CContainerUI {
public:
    std::wstring_view ClassName() const override;
    void* InterfaceFor(std::wstring_view name) override;
    void Place(const RECT& rect) override;
};

}  // namespace SkinUI
