// Fixtures of the browser host tests: a real skinned test window with its
// window manager, a window that records the messages posted to it, and the
// stand-in browser engine's scenario and record files.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "toolkit/window/WindowManagerUI.h"

namespace hosttest {

// Runs the thread's messages until `done` answers true or the time is up.
using testsupport::PumpUntil;
void PumpFor(DWORD ms);

// A visible top-level window of 800 x 600 with an attached window manager
// whose root is the control under test.
class HostTestWindow {
public:
    HostTestWindow();
    ~HostTestWindow();
    HostTestWindow(const HostTestWindow&) = delete;
    HostTestWindow& operator=(const HostTestWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    SkinUI::CWindowManagerUI& Manager() { return *m_manager; }
    // The manager owns the control from here on.
    void AttachRoot(SkinUI::CControlUI* control);
    // Deletes the tree and the manager before the window goes.
    void Close();

private:
    HWND m_hwnd = nullptr;
    std::unique_ptr<SkinUI::CWindowManagerUI> m_manager;
};

struct PostedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string text;  // what the receiver took over from a heap parameter
};

// A message-only window standing in for a window that receives posted
// messages (WM_USER range). A message that carries a heap object is handed
// to `takeOver`, which frees it and tells its text.
class MessageRecorder {
public:
    using TakeOver = std::function<std::string(UINT message, WPARAM wParam)>;
    explicit MessageRecorder(TakeOver takeOver = nullptr);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    HWND Handle() const { return m_hwnd; }
    const std::vector<PostedMessage>& Messages() const { return m_messages; }
    std::vector<UINT> Numbers() const;
    void Clear() { m_messages.clear(); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
    TakeOver m_takeOver;
    std::vector<PostedMessage> m_messages;
};

// The engine's scenario and record files for one test, named to the engine
// through its environment variables.
class EngineSession {
public:
    explicit EngineSession(const std::string& scenario);
    ~EngineSession();
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    std::vector<std::string> Lines() const;
    // The whole record, for failure messages.
    std::string Text() const;
    // Record lines that start with the prefix.
    std::vector<std::string> LinesStartingWith(const std::string& prefix) const;
    bool Has(const std::string& prefix) const { return !LinesStartingWith(prefix).empty(); }
    // Pumps messages until a line with the prefix is recorded.
    bool WaitFor(const std::string& prefix, DWORD timeoutMs = 5000) const;
    // Whether the stand-in engine (and not another) answers the class.
    static bool EngineRegistered();

private:
    testsupport::TempDir m_dir;
    std::wstring m_record;
};

// Pairs the OLE apartment with the test.
class OleApartment {
public:
    OleApartment() : m_hr(::OleInitialize(nullptr)) {}
    ~OleApartment()
    {
        if (SUCCEEDED(m_hr)) ::OleUninitialize();
    }
    OleApartment(const OleApartment&) = delete;
    OleApartment& operator=(const OleApartment&) = delete;

private:
    HRESULT m_hr;
};

}  // namespace hosttest
