// What a window knows of its controls besides the tree: the controls it
// finds by name and the controls that paint after the tree. Forgetting a
// control removes it from both, so nothing here outlives the control.
#pragma once

#include <string_view>
#include <vector>

#include "toolkit/core/UiNameMap.h"

namespace SkinUI {

class CControlUI;

class CControlRegistry {
public:
    CControlRegistry() = default;
    CControlRegistry(const CControlRegistry&) = delete;
    CControlRegistry& operator=(const CControlRegistry&) = delete;

    // Registers every non-empty name of a subtree, children first and each
    // container after its children: a name registered again maps to the
    // later control. A name that cannot be stored (out of memory) stays
    // unregistered; nothing is thrown.
    void RegisterSubtree(CControlUI* subtree) noexcept;
    // The control registered under the name (exact match), or none.
    CControlUI* Find(std::wstring_view name) noexcept;
    int NameCount() const noexcept { return m_names.Count(); }

    // A control that paints after the tree, once; false when it is there
    // already or cannot be held.
    bool AddPaintAfterTree(CControlUI* control) noexcept;
    const std::vector<CControlUI*>& PaintAfterTree() const noexcept { return m_paintAfterTree; }

    // Drops the control's name (when the name maps to it) and its place
    // after the tree.
    void Forget(CControlUI* control) noexcept;
    void Clear() noexcept;

private:
    CUiNameMap<CControlUI*> m_names{83};
    std::vector<CControlUI*> m_paintAfterTree;
};

// Every control of a subtree in walk order (`flags` as for Search); without
// FIND_ME_FIRST each container comes after its children. Throws only
// std::bad_alloc.
std::vector<CControlUI*> SubtreeOf(CControlUI* root, unsigned int flags = 0);

}  // namespace SkinUI
