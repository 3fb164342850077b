// Stacks its children top to bottom; children of height 0 share what is left.
#pragma once

#include "toolkit/layout/ContainerUI.h"

namespace SkinUI {

class CVerticalLayoutUI : public CContainerUI {
public:
    std::wstring_view ClassName() const override;
    void* InterfaceFor(std::wstring_view name) override;
    void Place(const RECT& rect) override;
};

}  // namespace SkinUI
