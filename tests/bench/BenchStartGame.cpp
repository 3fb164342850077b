// The floor of the launcher's start-to-game figure: a minimal Win32 program
// that only starts vrk.exe beside it with the same command line the
// launcher would give it, the same way (ShellExecuteExW), and ends.
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR arguments, int)
{
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring game = module;
    game.resize(game.find_last_of(L'\\') + 1);
    game += L"vrk.exe";
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.lpVerb = L"open";
    execute.lpFile = game.c_str();
    execute.lpParameters = arguments;
    execute.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&execute) ? 0 : 1;
}
