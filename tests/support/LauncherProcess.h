// The real vrk_main.exe as a child process, and the shared state that
// launcher processes leave behind (settings file, daily log).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Win32Handles.h"

namespace testsupport {

inline constexpr wchar_t kLauncherTitle[] = L"Vorkan";

// A started vrk_main.exe. The destructor ends it: WM_CLOSE to its window,
// then TerminateProcess if it does not go.
class LauncherProcess {
public:
    explicit LauncherProcess(const std::wstring& arguments);
    ~LauncherProcess();
    LauncherProcess(const LauncherProcess&) = delete;
    LauncherProcess& operator=(const LauncherProcess&) = delete;

    bool started() const { return static_cast<bool>(m_process); }
    HANDLE handle() const { return m_process.get(); }
    // 0 when it did not start: never a wildcard for "any process".
    DWORD id() const { return m_process ? ::GetProcessId(m_process.get()) : 0; }
    // The hidden launcher window of this process once the launcher waits
    // for messages (its start sequence has run); null at the timeout.
    HWND WaitForWindow(DWORD timeoutMs = 30000) const;
    // True when the process ended within the timeout; exitCode is then set.
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode) const;
    // WM_CLOSE to its window, then waits; true when it ended with code 0.
    bool Close(DWORD timeoutMs = 15000);

private:
    win32::UniqueHandle m_process;
};

// The top-level window titled "Vorkan" owned by the process, or null (also
// for process id 0: a failed start must not find another launcher).
HWND FindLauncherWindow(DWORD processId);
// A shown top-level window of the process with the title, or null (also
// for process id 0).
HWND FindShownWindow(DWORD processId, const std::wstring& title);
// Every shown top-level window of the process with the title.
std::vector<HWND> ShownWindows(DWORD processId, const std::wstring& title);

// The title of the launcher's notice box.
inline constexpr wchar_t kNoticeBoxTitle[] = L"CustomMsgBox";
// Waits for the process's notice box, then for it to take messages and to
// have painted; null when none shows.
HWND WaitForNoticeBox(DWORD processId);

// Polls the condition until it holds; false at the timeout.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 15000);

// Waits until the window's thread takes messages: a window is found by its
// title while it is still being created.
bool WaitUntilIdle(HWND window, DWORD timeoutMs = 15000);

// Closes launchers a crashed earlier run may have left behind, so the
// instance mutex is free.
void CloseStrayLaunchers();

// %LOCALAPPDATA%\Qixel\setting.xml of the Wine prefix: saved at
// construction and removed, so a test starts without one; the saved bytes
// (or the absence) are put back at destruction.
class SettingsFileBackup {
public:
    SettingsFileBackup();
    ~SettingsFileBackup();
    SettingsFileBackup(const SettingsFileBackup&) = delete;
    SettingsFileBackup& operator=(const SettingsFileBackup&) = delete;
    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
    bool m_existed = false;
    std::string m_bytes;
};

// The lines a launcher process appended to today's log since construction.
class LauncherLogTail {
public:
    LauncherLogTail();
    std::vector<std::string> NewLines() const;
    std::string NewText() const;

private:
    std::wstring m_log;
    std::size_t m_start = 0;
};

}  // namespace testsupport
