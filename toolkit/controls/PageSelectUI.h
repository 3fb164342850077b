// A control that shows one of several pages: what a button bound to a tab
// layout ("bindtablayoutname") needs of it. Reached through
// InterfaceFor("IPageSelect").
#pragma once

namespace SkinUI {

class IPageSelectUI {
public:
    // Fails for an index outside the pages.
    virtual bool SelectPage(int index) = 0;

protected:
    ~IPageSelectUI() = default;
};

}  // namespace SkinUI
