// Stands in for the game client vrk.exe in tests and demos.
//
// Appends "<process id> <command line>" (UTF-8) to the record file named by
// the environment variable VRK_STUB_GAME_RECORD, or to vrk_stub_game.txt
// beside the executable. Then it exits with code 0, or, when its command
// line holds --stub-stay or VRK_STUB_GAME_STAY is 1, stays alive until it
// is ended (at most VRK_STUB_GAME_LIFETIME_MS, default five minutes, so a
// failed test leaves nothing running).
#include <windows.h>

#include <cwchar>
#include <string>

#include "base/Win32Handles.h"

namespace {

std::wstring Environment(const wchar_t* name)
{
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    return length > 0 && length < std::size(buffer) ? std::wstring(buffer, length) : std::wstring();
}

std::wstring RecordPath()
{
    std::wstring path = Environment(L"VRK_STUB_GAME_RECORD");
    if (!path.empty()) return path;
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    path = module;
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + L"vrk_stub_game.txt";
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// Several stub games may start at once: the file is opened exclusively,
// so their lines never mix.
void AppendRecord(const std::wstring& path, const std::string& line)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        win32::UniqueHandle file(
            ::CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            DWORD written = 0;
            ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            return;
        }
        ::Sleep(10);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    const std::wstring commandLine = ::GetCommandLineW();
    AppendRecord(RecordPath(), std::to_string(::GetCurrentProcessId()) + " " + ToUtf8(commandLine) + "\r\n");

    const bool stay = commandLine.find(L"--stub-stay") != std::wstring::npos || Environment(L"VRK_STUB_GAME_STAY") == L"1";
    if (!stay) return 0;
    const std::wstring lifetime = Environment(L"VRK_STUB_GAME_LIFETIME_MS");
    ::Sleep(lifetime.empty() ? 300000 : static_cast<DWORD>(std::wcstoul(lifetime.c_str(), nullptr, 10)));
    return 0;
}
