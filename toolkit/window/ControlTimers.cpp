#include "toolkit/window/ControlTimers.h"

#include <algorithm>
#include <new>

#include "toolkit/core/VectorRoom.h"

namespace SkinUI {
namespace {

class SystemNativeTimers final : public INativeTimers {
public:
    bool Set(HWND hwnd, UINT_PTR id, UINT elapseMs) override { return ::SetTimer(hwnd, id, elapseMs, nullptr) != 0; }
    void Kill(HWND hwnd, UINT_PTR id) override { ::KillTimer(hwnd, id); }
};

// Native ids run 0..239 (the counter modulo 240).
constexpr UINT kNativeIdRange = 240;

}  // namespace

INativeTimers& SystemTimers() noexcept
{
    static SystemNativeTimers timers;
    return timers;
}

void CControlTimers::SetWindow(HWND hwnd) noexcept
{
    if (hwnd == m_hwnd) return;
    Clear();
    m_hwnd = hwnd;
}

bool CControlTimers::IsNativeIdHeld(UINT_PTR id) const noexcept
{
    return std::any_of(m_entries.begin(), m_entries.end(), [id](const Entry& e) { return e.nativeId == id; });
}

UINT_PTR CControlTimers::NextFreeNativeId() noexcept
{
    for (UINT tries = 0; tries < kNativeIdRange; ++tries) {
        m_counter = (m_counter + 1) % kNativeIdRange;
        // Two entries on one native id would share (and steal) one system timer.
        if (m_counter != 0 && !IsNativeIdHeld(m_counter)) return m_counter;
    }
    return 0;
}

bool CControlTimers::Start(CControlUI* control, UINT timerId, UINT elapseMs) noexcept
{
    if (!control || !m_hwnd) return false;
    for (Entry& e : m_entries) {
        if (e.control != control || e.timerId != timerId) continue;
        if (!e.stopped) return false;  // already running
        if (!m_native.Set(m_hwnd, e.nativeId, elapseMs)) return false;
        e.stopped = false;
        return true;
    }
    try {
        ReserveOneMore(m_entries);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const UINT_PTR id = NextFreeNativeId();
    if (id == 0 || !m_native.Set(m_hwnd, id, elapseMs)) return false;
    m_entries.push_back({control, timerId, id, false});
    return true;
}

bool CControlTimers::Stop(CControlUI* control, UINT timerId) noexcept
{
    for (Entry& e : m_entries) {
        if (e.control != control || e.timerId != timerId || e.stopped) continue;
        m_native.Kill(m_hwnd, e.nativeId);
        e.stopped = true;  // kept for a restart
        return true;
    }
    return false;
}

void CControlTimers::Forget(const CControlUI* control) noexcept
{
    if (!control) return;
    for (const Entry& e : m_entries)
        if (e.control == control && !e.stopped) m_native.Kill(m_hwnd, e.nativeId);
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [control](const Entry& e) { return e.control == control; }),
                    m_entries.end());
}

void CControlTimers::Clear() noexcept
{
    for (const Entry& e : m_entries)
        if (!e.stopped) m_native.Kill(m_hwnd, e.nativeId);
    m_entries.clear();
}

CControlUI* CControlTimers::ControlFor(UINT_PTR nativeId, UINT* timerId) const noexcept
{
    if (nativeId == kCaretTimerId) return nullptr;
    for (const Entry& e : m_entries) {
        if (e.nativeId != nativeId || e.stopped) continue;
        if (timerId) *timerId = e.timerId;
        return e.control;
    }
    return nullptr;
}

UINT_PTR CControlTimers::NativeId(const CControlUI* control, UINT timerId) const noexcept
{
    for (const Entry& e : m_entries)
        if (e.control == control && e.timerId == timerId) return e.nativeId;
    return 0;
}

}  // namespace SkinUI
