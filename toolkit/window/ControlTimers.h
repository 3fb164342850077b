// The timers controls run through their window: each control timer (the
// control's own id) maps to a native timer of the window. Native ids come
// from a counter modulo 240, skipping ids held by another entry (running or
// stopped) and 0; 241 belongs to the text caret and is never handed out. A
// stopped timer keeps its entry and native id for a restart.
#pragma once

#include <windows.h>

#include <vector>

namespace SkinUI {

class CControlUI;

// The native side of the timers: SetTimer and KillTimer on a window.
class INativeTimers {
public:
    virtual bool Set(HWND hwnd, UINT_PTR id, UINT elapseMs) = 0;
    virtual void Kill(HWND hwnd, UINT_PTR id) = 0;

protected:
    ~INativeTimers() = default;
};

// SetTimer and KillTimer of user32.
INativeTimers& SystemTimers() noexcept;

class CControlTimers {
public:
    // The text caret's timer; control timers never get this id.
    static constexpr UINT_PTR kCaretTimerId = 241;

    explicit CControlTimers(INativeTimers& native = SystemTimers()) noexcept : m_native(native) {}
    CControlTimers(const CControlTimers&) = delete;
    CControlTimers& operator=(const CControlTimers&) = delete;
    ~CControlTimers() { Clear(); }

    // The window the timers run on; none stops and drops every entry first
    // (as does a different window).
    void SetWindow(HWND hwnd) noexcept;

    // Fails without a window, for a timer already running, when no native
    // id is free, when the system refuses, and when the entry cannot be held.
    bool Start(CControlUI* control, UINT timerId, UINT elapseMs) noexcept;
    // The running timer stops and keeps its entry; false when none runs.
    bool Stop(CControlUI* control, UINT timerId) noexcept;
    // Stops and drops every timer of the control.
    void Forget(const CControlUI* control) noexcept;
    // Stops and drops every timer.
    void Clear() noexcept;

    // The running timer behind a native id, with the control's own id.
    CControlUI* ControlFor(UINT_PTR nativeId, UINT* timerId) const noexcept;
    // The native id of a control's timer entry (running or stopped), or 0.
    UINT_PTR NativeId(const CControlUI* control, UINT timerId) const noexcept;
    std::size_t EntryCount() const noexcept { return m_entries.size(); }

private:
    struct Entry {
        CControlUI* control;
        UINT timerId;
        UINT_PTR nativeId;
        bool stopped;
    };
    bool IsNativeIdHeld(UINT_PTR id) const noexcept;
    UINT_PTR NextFreeNativeId() noexcept;

    INativeTimers& m_native;
    HWND m_hwnd = nullptr;
    std::vector<Entry> m_entries;
    UINT m_counter = 4096;  // the first id handed out is 17
};

}  // namespace SkinUI
