// The download on the launcher window's taskbar button (ITaskbarList3): it
// follows the platform's progress and result messages and the window's end.
// The button is used only once the shell has said that it exists; the
// interface's failures change nothing else and are logged.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "GameLoader/GameLoaderWnd/TaskbarProgressState.h"
#include "base/Win32Handles.h"

class TaskbarProgress {
public:
    TaskbarProgress() = default;
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    // The shell's "TaskbarButtonCreated" message: sent when the window's
    // button exists, and again when the shell has restarted.
    static UINT ButtonCreatedMessage();

    // Follows one message of the window, before the window handles it:
    // the button's creation, progress (1136), download and unpack results
    // (1135, 1134) and WM_DESTROY. Other messages are ignored.
    void OnWindowMessage(HWND window, UINT message, WPARAM wParam) noexcept;

    // What the download shows, and what the button was last told.
    const TaskbarProgressView& View() const { return m_view; }
    const TaskbarProgressView& Shown() const { return m_shown; }

private:
    enum Operation : unsigned { kCreate, kInit, kSetState, kSetValue, kOperationCount };

    void Connect(HWND window);
    void Show(HWND window, const TaskbarProgressView& view);
    void Clear(HWND window);
    void ReportFailure(HRESULT hr, Operation operation);

    win32::ComPtr<ITaskbarList3> m_pTaskbar;
    TaskbarProgressView m_view;
    TaskbarProgressView m_shown;
    unsigned m_loggedFailures = 0;  // one bit per operation: a failing interface is logged once per button
};
