// A window's message hooks: handler filters (window messages before the
// window handles them), pre filters (queued messages before translation)
// and accelerators. Each hook may belong to a control, the one that
// registered it; forgetting that control removes its hooks. A run asks the
// hooks in registration order and skips a hook removed by an earlier one.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "toolkit/controls/MessageFilterUI.h"
#include "toolkit/window/ListSnapshot.h"

namespace SkinUI {

class CControlUI;

template <typename Hook>
class CHookList {
public:
    // False for none, for a hook registered already, and when it cannot be held.
    bool Add(Hook* hook, CControlUI* owner) noexcept
    {
        if (!hook || Contains(hook)) return false;
        try {
            m_entries.push_back({hook, owner});
        } catch (...) {
            return false;
        }
        return true;
    }
    bool Remove(Hook* hook) noexcept
    {
        const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                        [hook](const Entry& e) { return e.hook == hook; });
        if (found == m_entries.end()) return false;
        m_entries.erase(found);
        return true;
    }
    // Removes every hook the control registered.
    void ForgetOwner(const CControlUI* owner) noexcept
    {
        if (!owner) return;
        m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                       [owner](const Entry& e) { return e.owner == owner; }),
                        m_entries.end());
    }
    bool Contains(const Hook* hook) const noexcept
    {
        return std::any_of(m_entries.begin(), m_entries.end(), [hook](const Entry& e) { return e.hook == hook; });
    }
    std::size_t Count() const noexcept { return m_entries.size(); }
    void Clear() noexcept { m_entries.clear(); }

    // Asks each hook in registration order until `ask` answers true; a hook
    // removed meanwhile (by an earlier one, or with its owner) is not asked.
    // Hooks added meanwhile wait for the next run. Allocates only for more
    // than eight hooks (and may then throw std::bad_alloc, before any ran).
    template <typename Ask>
    bool Run(Ask&& ask)
    {
        const CListSnapshot<Hook> hooks(m_entries, [](const Entry& e) { return e.hook; });
        for (Hook* hook : hooks)
            if (Contains(hook) && ask(hook)) return true;
        return false;
    }

private:
    struct Entry {
        Hook* hook;
        CControlUI* owner;  // none: the window's own
    };
    std::vector<Entry> m_entries;
};

class CMessageHooks {
public:
    CHookList<IMessageFilterUI>& HandlerFilters() noexcept { return m_handlerFilters; }
    CHookList<IMessageFilterUI>& PreFilters() noexcept { return m_preFilters; }
    CHookList<ITranslateAccelerator>& Accelerators() noexcept { return m_accelerators; }

    // The first handler filter that sets its handled flag decides the result.
    bool RunHandlerFilters(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // True when a pre filter consumed the message.
    bool RunPreFilters(UINT message, WPARAM wParam, LPARAM lParam);
    // True when an accelerator consumed the message (answered 0).
    bool Translate(MSG* msg);

    void ForgetOwner(const CControlUI* owner) noexcept;
    void Clear() noexcept;

private:
    CHookList<IMessageFilterUI> m_handlerFilters;
    CHookList<IMessageFilterUI> m_preFilters;
    CHookList<ITranslateAccelerator> m_accelerators;
};

}  // namespace SkinUI
