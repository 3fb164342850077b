#include "GameLoader/GameLoader/ProcessControl.h"

#include <tlhelp32.h>

#include "GameLoader/Common/TextConvert.h"
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

bool KillProcess(DWORD processId)
{
    win32::UniqueHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    if (!process) {
        DWORD error = ::GetLastError();  // before the log line can change it
        LOG_W(LOG_LEVEL_ERROR, L"OpenProcess1 " << processId << L" falsed code:" << error);
        if (EnableDebugPrivilege(error)) {
            LOG_W(LOG_LEVEL_ERROR, L"EnableDebugPrivilege " << processId << L" true");
        } else {
            LOG_W(LOG_LEVEL_ERROR, L"EnableDebugPrivilege " << processId << L" falsed code:" << error);
        }
        process.reset(::OpenProcess(PROCESS_TERMINATE, FALSE, processId));
        if (!process) {
            error = ::GetLastError();
            LOG_W(LOG_LEVEL_ERROR, L"OpenProcess2 " << processId << L" falsed code:" << error);
            return false;
        }
    }
    return ::TerminateProcess(process.get(), 0) != FALSE;
}

void KillGeneralProcess()
{
    for (const wchar_t* name : kGameProcessNames) {
        const int processId = GetProcessIdByName(name);
        if (processId == -1) continue;
        if (KillProcess(static_cast<DWORD>(processId))) continue;
        const std::string command = "taskkill /f /im " + WideToMultiByte(name, CP_ACP);
        if (::WinExec(command.c_str(), SW_HIDE) < 32) {
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
