#include "toolkit/window/ControlRegistry.h"

#include <algorithm>
#include <new>

#include "toolkit/controls/ControlUI.h"
#include "toolkit/core/VectorRoom.h"

namespace SkinUI {
namespace {

// Collects without stopping; a failed allocation ends the walk.
struct Collection {
    std::vector<CControlUI*>* controls;
    bool failed = false;
};

CControlUI* CollectControl(CControlUI* control, void* data)
{
    auto* collection = static_cast<Collection*>(data);
    if (collection->failed) return nullptr;
    try {
        collection->controls->push_back(control);
    } catch (const std::bad_alloc&) {
        collection->failed = true;
    }
    return nullptr;
}

}  // namespace

std::vector<CControlUI*> SubtreeOf(CControlUI* root, unsigned int flags)
{
    std::vector<CControlUI*> controls;
    Collection collection{&controls};
    if (root) root->Search(CollectControl, &collection, flags);
    if (collection.failed) throw std::bad_alloc();
    return controls;
}

void CControlRegistry::RegisterSubtree(CControlUI* subtree) noexcept
{
    try {
        for (CControlUI* control : SubtreeOf(subtree))
            if (!control->Name().IsEmpty()) m_names.Set(control->Name().View(), control);
    } catch (const std::bad_alloc&) {
        // The names registered so far stay; the rest are not found by name.
    }
}

CControlUI* CControlRegistry::Find(std::wstring_view name) noexcept
{
    CControlUI** found = m_names.Find(name);
    return found ? *found : nullptr;
}

bool CControlRegistry::AddPaintAfterTree(CControlUI* control) noexcept
{
    if (!control) return false;
    if (std::find(m_paintAfterTree.begin(), m_paintAfterTree.end(), control) != m_paintAfterTree.end()) return false;
    try {
        ReserveOneMore(m_paintAfterTree);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_paintAfterTree.push_back(control);
    return true;
}

void CControlRegistry::Forget(CControlUI* control) noexcept
{
    if (!control) return;
    const std::wstring_view name = control->Name().View();
    if (!name.empty()) {
        CControlUI** mapped = m_names.Find(name);
        if (mapped && *mapped == control) m_names.Remove(name);
    }
    m_paintAfterTree.erase(std::remove(m_paintAfterTree.begin(), m_paintAfterTree.end(), control),
                           m_paintAfterTree.end());
}

void CControlRegistry::Clear() noexcept
{
    m_names.Clear();
    m_paintAfterTree.clear();
}

}  // namespace SkinUI
