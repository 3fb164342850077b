// Drives tools/platform_client_sim.exe: a platform client window that
// records what reaches it, in its own process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "base/Win32Handles.h"

namespace testsupport {

struct CopyDataRecord {
    unsigned long long dwData = 0;
    unsigned long cbData = 0;
    std::string bytes;
};

struct MessageRecord {
    unsigned message = 0;
    unsigned long long wParam = 0;
    long long lParam = 0;
};

// One command-line argument quoted so that CommandLineToArgvW gives it back.
std::wstring QuoteArgument(const std::wstring& argument);

class PlatformSimulator {
public:
    struct Options {
        std::wstring launch;  // command line started by the simulator, "{hwnd}" replaced
        bool hang = false;    // stops answering messages
        DWORD lifetimeMs = 120000;
        // While it handles WM_COPYDATA it sends this message to the window
        // titled replyTitle and records whether it was answered meanwhile.
        std::wstring replyTitle;
        UINT replyMessage = 0;
    };
    PlatformSimulator();
    explicit PlatformSimulator(const Options& options);
    // Closes the window and waits; ends the process if it does not go.
    ~PlatformSimulator();
    PlatformSimulator(const PlatformSimulator&) = delete;
    PlatformSimulator& operator=(const PlatformSimulator&) = delete;

    bool ready() const { return m_window != nullptr; }
    // Why the simulator did not start: CreateProcessW's error, 0 when it
    // started (a simulator that started but never made its window: not ready).
    DWORD StartError() const { return m_startError; }
    HWND window() const { return m_window; }
    std::wstring windowText() const { return std::to_wstring(reinterpret_cast<LONG_PTR>(m_window)); }
    const std::wstring& title() const { return m_title; }

    std::vector<std::string> Lines() const;
    std::vector<CopyDataRecord> CopyData() const;
    std::vector<MessageRecord> Messages() const;
    // Waits until a record line starts with prefix; false at the timeout.
    bool WaitForLine(const std::string& prefix, DWORD timeoutMs) const;
    // The process id of the program it launched ("launched pid="), or 0.
    DWORD LaunchedProcessId() const;

private:
    TempDir m_dir;
    std::wstring m_record;
    std::wstring m_title;
    win32::UniqueHandle m_process;
    HWND m_window = nullptr;
    bool m_hang = false;
    DWORD m_startError = 0;
};

}  // namespace testsupport
