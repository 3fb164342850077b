// A library that stands in for a system DLL planted beside an executable
// (copied as msimg32.dll, wininet.dll, ...): when any process loads it, it
// appends its own path to the file named by %VRK_DECOY_RECORD%.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t record[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"VRK_DECOY_RECORD", record, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    wchar_t self[MAX_PATH] = {};
    const DWORD selfLength = ::GetModuleFileNameW(instance, self, MAX_PATH);
    // Only kernel32 in here: the loader lock is held.
    const HANDLE file = ::CreateFileW(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    DWORD written = 0;
    ::WriteFile(file, self, selfLength * sizeof(wchar_t), &written, nullptr);
    ::WriteFile(file, L"\n", sizeof(wchar_t), &written, nullptr);
    ::CloseHandle(file);
    return TRUE;
}
