// Stub games (vrk.exe beside the tests) that a test starts or that the
// launcher starts, and the record of their command lines.
#pragma once

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/Win32Handles.h"
#include "tests/support/TestSupport.h"

namespace testsupport {

// Points VRK_STUB_GAME_RECORD at a fresh file for this process and the
// processes it starts; ends the games it started itself.
class StubGames {
public:
    StubGames() : m_record(m_dir.file(L"games.txt")), m_previous(Environment(L"VRK_STUB_GAME_RECORD"))
    {
        ::SetEnvironmentVariableW(L"VRK_STUB_GAME_RECORD", m_record.c_str());
    }
    ~StubGames()
    {
        for (auto& game : m_started) {
            if (::WaitForSingleObject(game.get(), 0) != WAIT_OBJECT_0) ::TerminateProcess(game.get(), 99);
            ::WaitForSingleObject(game.get(), 5000);
        }
        ::SetEnvironmentVariableW(L"VRK_STUB_GAME_RECORD", m_previous.empty() ? nullptr : m_previous.c_str());
    }
    StubGames(const StubGames&) = delete;
    StubGames& operator=(const StubGames&) = delete;

    const std::wstring& record() const { return m_record; }

    // Starts a game that stays until ended; waits until it has recorded
    // itself. Null when it did not start.
    HANDLE StartStaying()
    {
        win32::UniqueHandle game(StartProcess(L"\"" + BesideTests(L"vrk.exe") + L"\" --stub-stay"));
        if (!game) return nullptr;
        const std::string prefix = std::to_string(::GetProcessId(game.get())) + " ";
        for (int i = 0; i < 600 && !HasLineStartingWith(prefix); ++i) ::Sleep(50);
        m_started.push_back(std::move(game));
        return m_started.back().get();
    }

    // The command lines recorded so far, without the process id.
    std::vector<std::wstring> CommandLines() const
    {
        std::vector<std::wstring> out;
        for (const std::string& line : SplitLines(ReadFileBytes(m_record))) {
            const std::size_t space = line.find(' ');
            out.push_back(Utf8ToWide(space == std::string::npos ? std::string() : line.substr(space + 1)));
        }
        return out;
    }
    // Waits until count games have recorded themselves.
    bool WaitForCount(std::size_t count, DWORD timeoutMs) const
    {
        const DWORD start = ::GetTickCount();
        while (CommandLines().size() < count) {
            if (::GetTickCount() - start >= timeoutMs) return false;
            ::Sleep(50);
        }
        return true;
    }

private:
    static std::wstring Environment(const wchar_t* name)
    {
        wchar_t value[1024] = {};
        const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
        return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
    }
    bool HasLineStartingWith(const std::string& prefix) const
    {
        const auto lines = SplitLines(ReadFileBytes(m_record));
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    }

    TempDir m_dir;
    std::wstring m_record;
    std::wstring m_previous;  // an enclosing record, put back at the end
    std::vector<win32::UniqueHandle> m_started;
};

}  // namespace testsupport
