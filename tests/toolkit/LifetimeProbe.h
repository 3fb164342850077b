// Lifetime oracles for window objects. Wine does not fault on freed memory,
// so a call that reaches a deleted object is caught by address: deleted
// probes join a dead set, and every entry point of a probe first checks
// whether `this` is in it (without touching the object). A probe counts the
// calls of it that are on the stack, so its final release can tell whether
// any code of it was still running.
#pragma once

#include <windows.h>

#include <set>

namespace lifetimetest {

// Asks a test window to run its script.
constexpr UINT WM_SCRIPT = WM_APP + 1;

// What a test reads back about one probe; lives in the test, beyond the probe.
struct ProbeRecord {
    int frames = 0;             // calls of the probe on the stack right now
    int releases = 0;           // final releases run
    int framesAtRelease = -1;   // calls of the probe on the stack when it was released
    bool deleted = false;
};

inline std::set<const void*>& DeadSet()
{
    static std::set<const void*> dead;
    return dead;
}

// Calls that reached a deleted probe.
inline int& LateCalls()
{
    static int calls = 0;
    return calls;
}

inline void ResetOracles()
{
    DeadSet().clear();
    LateCalls() = 0;
}

// Counts one call of a probe for as long as it runs. The record is taken
// before the call, never read through the probe afterwards.
class ProbeCall {
public:
    ProbeCall(const void* probe, ProbeRecord* record) : m_record(DeadSet().count(probe) ? nullptr : record)
    {
        if (!m_record) {
            ++LateCalls();
            return;
        }
        ++m_record->frames;
    }
    ~ProbeCall()
    {
        if (m_record) --m_record->frames;
    }
    ProbeCall(const ProbeCall&) = delete;
    ProbeCall& operator=(const ProbeCall&) = delete;
    bool late() const { return m_record == nullptr; }

private:
    ProbeRecord* m_record;
};

// A window class `Base` (a CWindowWnd) whose object owns itself: it deletes
// itself at its final release and records how that went. `Base` must give
// access to ProcessMessage and OnFinalRelease.
template <typename Base>
class LifetimeProbe : public Base {
public:
    template <typename... Args>
    explicit LifetimeProbe(ProbeRecord* record, Args&&... args) : Base(static_cast<Args&&>(args)...), m_record(record)
    {
        DeadSet().erase(this);  // a new object at the address of a deleted one
    }
    ~LifetimeProbe() override
    {
        DeadSet().insert(this);
        m_record->deleted = true;
    }

protected:
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const ProbeCall call(this, m_record);
        if (call.late()) return 0;
        return Base::ProcessMessage(message, wParam, lParam);
    }
    void OnFinalRelease() override
    {
        m_record->framesAtRelease = m_record->frames;
        ++m_record->releases;
        delete this;
    }

    ProbeRecord* m_record;
};

// A window on a thread of its own that, sent WM_CLOSE_SENDER, sends WM_CLOSE
// to the window named in wParam before it answers: a program that closes
// us while we wait for its answer (the platform client answering the close
// notice, for one).
class ClosingPeer {
public:
    static constexpr UINT WM_CLOSE_SENDER = WM_APP + 60;
    static constexpr LRESULT kAnswer = 7;

    ClosingPeer()
    {
        m_ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = ::CreateThread(nullptr, 0, &ClosingPeer::Run, this, 0, &m_threadId);
        ::WaitForSingleObject(m_ready, 5000);
    }
    ~ClosingPeer()
    {
        ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        ::WaitForSingleObject(m_thread, 5000);
        ::CloseHandle(m_thread);
        ::CloseHandle(m_ready);
    }
    ClosingPeer(const ClosingPeer&) = delete;
    ClosingPeer& operator=(const ClosingPeer&) = delete;
    HWND window() const { return m_window; }

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        if (message == WM_CLOSE_SENDER) {
            ::SendMessageW(reinterpret_cast<HWND>(wParam), WM_CLOSE, 0, 0);
            return kAnswer;
        }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    static DWORD WINAPI Run(void* self) noexcept
    {
        auto* peer = static_cast<ClosingPeer*>(self);
        WNDCLASSW wc{};
        wc.lpfnWndProc = &ClosingPeer::Procedure;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LifetimeClosingPeer";
        ::RegisterClassW(&wc);
        peer->m_window = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                           wc.hInstance, nullptr);
        MSG msg{};
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before anyone posts to it
        ::SetEvent(peer->m_ready);
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
        ::DestroyWindow(peer->m_window);
        return 0;
    }

    HANDLE m_ready = nullptr;
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    HWND m_window = nullptr;
};

}  // namespace lifetimetest
