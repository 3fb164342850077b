// Finding running game clients by executable name and ending them.
#pragma once

#include <windows.h>

#include <string>

// The executables that count as a running game.
extern const wchar_t* const kGameProcessNames[1];

// The id of the first process whose executable name equals name exactly
// (case-sensitive), or -1.
int GetProcessIdByName(const std::wstring& name);

// Terminates the process with exit code 0, enabling the debug privilege
// when the first open is denied. An id from a closed snapshot may belong to
// another process by now, so only a process whose executable file name is
// imageName (exactly, as in the snapshot) is ended. True only when it was
// terminated.
bool KillProcess(DWORD processId, const std::wstring& imageName);

// Starts "taskkill /f /im <imageName>" from the system folder, hidden,
// without waiting for it. False when it could not be started.
bool StartTaskkill(const std::wstring& imageName);

// Ends one running process of every game executable; when that fails,
// starts "taskkill /f /im <name>" without waiting for it.
void KillGeneralProcess();

// True when a process of some game executable runs.
bool GeneralProcessExist();
