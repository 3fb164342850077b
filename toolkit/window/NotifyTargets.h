// The targets a window delivers its controls' notifications to, in
// registration order. A target may remove itself or others while being
// notified; a removed target gets nothing more, and a notification whose
// sender no longer exists is not delivered further.
#pragma once

#include <vector>

#include "toolkit/controls/UiEvents.h"

namespace SkinUI {

class CNotifyTargets {
public:
    // False for none, for a target registered already, and when it cannot be held.
    bool Add(INotifyUI* target) noexcept;
    bool Remove(INotifyUI* target) noexcept;
    bool Contains(const INotifyUI* target) const noexcept;
    std::size_t Count() const noexcept { return m_targets.size(); }

    // The sender's own listeners first (the first that answers false stops
    // the delivery), then every target; no target can stop the others.
    // Allocates only for more than eight targets (and may then throw
    // std::bad_alloc, before any target was notified).
    void Deliver(TNotifyRecord& record);

private:
    std::vector<INotifyUI*> m_targets;
};

}  // namespace SkinUI
