#include "toolkit/window/NotifyTargets.h"

#include <algorithm>
#include <new>

#include "toolkit/controls/ControlUI.h"
#include "toolkit/window/ListSnapshot.h"

namespace SkinUI {

bool CNotifyTargets::Add(INotifyUI* target) noexcept
{
    if (!target || Contains(target)) return false;
    try {
        m_targets.push_back(target);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CNotifyTargets::Remove(INotifyUI* target) noexcept
{
    const auto found = std::find(m_targets.begin(), m_targets.end(), target);
    if (found == m_targets.end()) return false;
    m_targets.erase(found);
    return true;
}

bool CNotifyTargets::Contains(const INotifyUI* target) const noexcept
{
    return std::find(m_targets.begin(), m_targets.end(), target) != m_targets.end();
}

void CNotifyTargets::Deliver(TNotifyRecord& record)
{
    // Taken first: targets may come and go while being notified.
    const CListSnapshot<INotifyUI> targets(m_targets, [](INotifyUI* target) { return target; });
    CControlUI* sender = record.pSender;
    const CControlAlive alive(sender);
    if (sender && !sender->OnNotify.Fire(record)) return;
    for (INotifyUI* target : targets) {
        // Later targets would find a sender that is gone.
        if (sender && !alive) return;
        if (Contains(target)) target->OnNotify(record);
    }
}

}  // namespace SkinUI
