// Process entry of vrk_main.exe.
#include <windows.h>
#include <objbase.h>

#include <new>
#include <string>

#include "GameLoader/Common/Folders.h"
#include "GameLoader/Common/TextConvert.h"
#include "GameLoader/GameLoader/CommandLine.h"
#include "GameLoader/GameLoader/GameExitNotice.h"
#include "GameLoader/GameLoader/GameIdentity.h"
#include "GameLoader/GameLoaderWnd/GameLoaderWnd.h"
#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "GameLoader/Main/CrashEvidence.h"
#include "log/Logger.h"
#include "toolkit/window/MessageLoop.h"
#include "toolkit/window/WindowManagerUI.h"

HINSTANCE g_hInstance = nullptr;

namespace {

constexpr char kInstanceMutexName[] = "vrk_main.exe";
// WS_OVERLAPPEDWINDOW without WS_VISIBLE: created hidden, the window never
// shows (not even for a moment) before its page has loaded.
constexpr DWORD kLauncherWindowStyle = WS_OVERLAPPEDWINDOW;

// Creates the launcher window and runs the message loop until the window
// has been destroyed. COM comes first: the window's browser is an
// apartment-threaded COM object created while the window is created.
void RunMainWindow(const std::wstring& title, const std::wstring& cmdJson)
{
    if (FAILED(::CoInitialize(nullptr))) {
        LOG_W(LOG_LEVEL_ERROR, L"CoInitialize false");
        return;
    }
    SkinUI::CWindowManagerUI::StartUp(g_hInstance);
    auto* window = new (std::nothrow) GameLoaderWnd(cmdJson);
    if (!window) {
        LOG_W(LOG_LEVEL_ERROR, L"new GameLoaderWnd false");
        ::CoUninitialize();
        return;
    }
    bool deleted = false;
    window->WatchDeletion(&deleted);
    const HWND hwnd = window->Create(nullptr, title.c_str(), kLauncherWindowStyle, 0, 0, 0, 0, 0);
    if (!hwnd) {
        // No window means no destruction to end the run: end it here.
        LOG_W(LOG_LEVEL_ERROR, L"Create GameLoaderWnd false");
        if (!deleted) {
            window->WatchDeletion(nullptr);
            delete window;
        }
        ::CoUninitialize();
        return;
    }
    window->CenterOnOwner();
    ::ShowWindow(hwnd, SW_HIDE);  // shown by the launcher's own messages once the page has loaded
    SkinUI::RunMessageLoop();
    // A quit posted from outside ends the loop while the window still
    // exists: destroy it, and with it the browser, while COM is still up.
    // (`deleted` outlives the object, which reports its deletion to it.)
    if (!deleted && ::IsWindow(window->Handle())) ::DestroyWindow(window->Handle());
    if (!deleted) window->WatchDeletion(nullptr);
    ::CoUninitialize();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    g_hInstance = hInstance;

    std::wstring dataDir = GetLocalAppDataDir() + L"\\Qixel";
    ::CreateDirectoryW(dataDir.c_str(), nullptr);
    std::wstring logDir = dataDir + L"\\Log";
    ::CreateDirectoryW(logDir.c_str(), nullptr);
    if (logDir.back() != L'\\' && logDir.back() != L'/') logDir += L'\\';

    Logger::initializePathDir(logDir);  // wide: a profile folder outside the ANSI code page keeps its log
    LOG_W(LOG_LEVEL_INFO, L"Logger::initializePathDir:" << logDir);
    InstallCrashEvidence();

    const std::wstring title = AnsiToWide(kGameTitle);
    const std::wstring mutexName = AnsiToWide(kInstanceMutexName);

    // Held open until the process ends: the named mutex lives as long as
    // this launcher does.
    win32::UniqueHandle instanceMutex(::CreateMutexW(nullptr, TRUE, mutexName.c_str()));
    const DWORD mutexError = ::GetLastError();
    if (mutexError == ERROR_ALREADY_EXISTS) {
        LOG_W(LOG_LEVEL_INFO, L"CreateMutex ERROR_ALREADY_EXISTS:" << mutexName);
        const HWND running = ::FindWindowW(nullptr, title.c_str());
        if (::IsWindow(running)) {
            LOG_W(LOG_LEVEL_INFO, L"FindWindow:" << title);
            ::PostMessageW(running, WM_LAUNCHER_ACTIVATE, 0, 0);
        }
        if (instanceMutex) ::ReleaseMutex(instanceMutex.get());
        return 0;
    }
    if (instanceMutex) ::ReleaseMutex(instanceMutex.get());
    LOG_W(LOG_LEVEL_INFO, L"CreateMutex not ERROR_ALREADY_EXISTS:" << mutexName);

    std::wstring cmdJson;
    if (!ParseCmdParam(cmdJson)) {
        LOG_W(LOG_LEVEL_ERROR, L"ParseCmdParam false");
        return 0;
    }
    if (IsGameExit(cmdJson)) return 0;

    RunMainWindow(title, cmdJson);
    return 0;
}
