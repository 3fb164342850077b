// The floors of the launcher's start-to-game figure: a minimal Win32 program
// that only starts vrk.exe beside it with the same command line the
// launcher would give it, the same way (ShellExecuteExW), and ends.
// With "--window" first it does what the launcher cannot leave out before
// the start: COM, and one hidden top-level window, the start made while
// that window is created; then the window closes and the program ends.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

std::wstring g_arguments;
bool g_started = false;

bool StartGame()
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
    execute.lpParameters = g_arguments.c_str();
    execute.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&execute) != FALSE;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message) {
    case WM_CREATE:
        g_started = StartGame();
        ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

int StartFromWindow(HINSTANCE instance)
{
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) return 1;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"VrkBenchStartWindow";
    if (!::RegisterClassW(&windowClass)) return 1;
    if (!::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 960, 620, nullptr, nullptr, instance,
                           nullptr))
        return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    ::CoUninitialize();
    return g_started ? 0 : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR arguments, int)
{
    static const wchar_t kWindow[] = L"--window ";
    const bool window = std::wcsncmp(arguments, kWindow, std::wcslen(kWindow)) == 0;
    g_arguments = window ? arguments + std::wcslen(kWindow) : arguments;
    if (window) return StartFromWindow(instance);
    return StartGame() ? 0 : 1;
}
