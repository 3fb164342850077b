#include "GameLoader/GameLoader/ProcessControl.h"

#include <tlhelp32.h>

#include <iterator>
#include "log/Logger.h"
#include "base/Win32Handles.h"

const wchar_t* const kGameProcessNames[1] = {L"vrk.exe"};

namespace {

// Enables SeDebugPrivilege on this process's token; it stays enabled.
bool EnableDebugPrivilege(DWORD& error)
{
    win32::UniqueHandle token;
    LUID debugLuid{};
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()) ||
        !::LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &debugLuid)) {
        error = ::GetLastError();
        return false;
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = debugLuid;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr)) {
        error = ::GetLastError();
        return false;
    }
    return true;
}

// The executable file name of an opened process, empty when unknown.
std::wstring ImageFileName(HANDLE process)
{
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = static_cast<DWORD>(std::size(path));
    if (!::QueryFullProcessImageNameW(process, 0, path, &size)) return {};
    const std::wstring full(path, size);
    const std::size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

}  // namespace

int GetProcessIdByName(const std::wstring& name)
{
    if (name.empty()) return -1;
    win32::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return -1;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        LOG_W(LOG_LEVEL_ERROR, L"Process32Next processName:" << entry.szExeFile);
        if (::lstrcmpW(entry.szExeFile, name.c_str()) == 0) return static_cast<int>(entry.th32ProcessID);
    }
    return -1;
}

bool KillProcess(DWORD processId, const std::wstring& imageName)
{
    constexpr DWORD kAccess = PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION;
    win32::UniqueHandle process(::OpenProcess(kAccess, FALSE, processId));
    if (!process) {
        DWORD error = ::GetLastError();  // before the log line can change it
        LOG_W(LOG_LEVEL_ERROR, L"OpenProcess1 " << processId << L" falsed code:" << error);
        if (EnableDebugPrivilege(error)) {
            LOG_W(LOG_LEVEL_ERROR, L"EnableDebugPrivilege " << processId << L" true");
        } else {
            LOG_W(LOG_LEVEL_ERROR, L"EnableDebugPrivilege " << processId << L" falsed code:" << error);
        }
        process.reset(::OpenProcess(kAccess, FALSE, processId));
        if (!process) {
            error = ::GetLastError();
            LOG_W(LOG_LEVEL_ERROR, L"OpenProcess2 " << processId << L" falsed code:" << error);
            return false;
        }
    }
    // Checked on the open handle, which keeps its process: the id cannot
    // change hands between this check and the termination.
    const std::wstring running = ImageFileName(process.get());
    if (::lstrcmpW(running.c_str(), imageName.c_str()) != 0) {
        LOG_W(LOG_LEVEL_ERROR, L"QueryFullProcessImageName " << processId << L" imageName:" << running << L" false");
        return false;
    }
    return ::TerminateProcess(process.get(), 0) != FALSE;
}

bool StartTaskkill(const std::wstring& imageName)
{
    // By its full path: a bare name is looked up in the launcher's folder
    // and the current folder before the system folder.
    wchar_t systemDir[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(systemDir, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::wstring program = std::wstring(systemDir, length) + L"\\taskkill.exe";
    std::wstring commandLine = L"\"" + program + L"\" /f /im " + imageName;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          systemDir, &startup, &started))
        return false;
    win32::UniqueHandle process(started.hProcess);
    win32::UniqueHandle thread(started.hThread);
    return true;
}

void KillGeneralProcess()
{
    for (const wchar_t* name : kGameProcessNames) {
        const int processId = GetProcessIdByName(name);
        if (processId == -1) continue;
        if (KillProcess(static_cast<DWORD>(processId), name)) continue;
        if (!StartTaskkill(name)) {
            const DWORD error = ::GetLastError();
            LOG_W(LOG_LEVEL_ERROR, L"KillProcess " << name << L" falsed code:" << error);
        }
    }
}

bool GeneralProcessExist()
{
    for (const wchar_t* name : kGameProcessNames) {
        const int processId = GetProcessIdByName(name);
        if (processId != -1) {
            LOG_W(LOG_LEVEL_ERROR, L"GeneralProcessExist,GetProcessIdByName " << name << L" idProcess:" << processId);
            return true;
        }
    }
    return false;
}
