// Points the machine's http and https "open" commands (the registered
// default browser) at the platform client simulator's echo mode, which
// appends the address exactly as the shell passed it to a file, and puts
// the previous commands back afterwards. Each test program
// runs in a Wine prefix of its own, so nothing else sees the change.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Win32Handles.h"
#include "tests/support/TestSupport.h"

namespace testsupport {

class ShellRecorder {
public:
    ShellRecorder() : m_file(m_dir.file(L"opened.txt"))
    {
        const std::wstring command =
            L"\"" + BesideTests(L"platform_client_sim.exe") + L"\" \"--echo-to=" + m_file + L"\" %1";
        for (Scheme& scheme : m_schemes) {
            win32::UniqueKey key;
            if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, scheme.key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                  nullptr) != ERROR_SUCCESS)
                continue;
            wchar_t previous[1024] = {};
            DWORD size = sizeof previous - sizeof(wchar_t);
            DWORD type = 0;
            scheme.hadCommand = ::RegQueryValueExW(key.get(), nullptr, nullptr, &type,
                                                   reinterpret_cast<BYTE*>(previous), &size) == ERROR_SUCCESS;
            scheme.previous = previous;
            ::RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                             static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        }
    }
    ~ShellRecorder()
    {
        for (const Scheme& scheme : m_schemes) {
            win32::UniqueKey key;
            if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, scheme.key, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) continue;
            if (scheme.hadCommand)
                ::RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(scheme.previous.c_str()),
                                 static_cast<DWORD>((scheme.previous.size() + 1) * sizeof(wchar_t)));
            else
                ::RegDeleteValueW(key.get(), nullptr);
        }
    }
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    // The addresses the shell opened so far, sorted.
    std::vector<std::string> Opened() const
    {
        std::vector<std::string> lines = SplitLines(ReadFileBytes(m_file));
        lines.erase(std::remove(lines.begin(), lines.end(), std::string()), lines.end());
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    // Waits until the shell has opened `address`; false at the timeout.
    bool WaitForOpened(const std::string& address, DWORD timeoutMs) const
    {
        const DWORD start = ::GetTickCount();
        for (;;) {
            for (const std::string& line : Opened())
                if (line == address) return true;
            if (::GetTickCount() - start >= timeoutMs) return false;
            ::Sleep(50);
        }
    }

private:
    struct Scheme {
        const wchar_t* key;
        bool hadCommand = false;
        std::wstring previous;
    };
    TempDir m_dir;
    std::wstring m_file;
    Scheme m_schemes[2] = {{L"Software\\Classes\\http\\shell\\open\\command", false, {}},
                           {L"Software\\Classes\\https\\shell\\open\\command", false, {}}};
};

}  // namespace testsupport
