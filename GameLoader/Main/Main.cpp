// Process entry of vrk_main.exe.
#include <windows.h>
#include <objbase.h>

#include <string>

#include "GameLoader/Common/Folders.h"
#include "GameLoader/Common/TextConvert.h"
#include "GameLoader/GameLoader/CommandLine.h"
#include "GameLoader/GameLoader/GameExitNotice.h"
#include "GameLoader/GameLoader/LaunchCommandJson.h"
#include "GameLoader/GameLoader/LaunchParams.h"
#include "GameLoader/GameLoader/PlatformSettings.h"
#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "log/Logger.h"

HINSTANCE g_hInstance = nullptr;

namespace {

constexpr char kGameTitle[] = "Vorkan";           // the launcher window's title, found by a second start
constexpr char kInstanceMutexName[] = "vrk_main.exe";

// Stands in for the skinned launcher window until that exists: a plain
// hidden top-level window with the launcher's title, so a second start
// finds it, that runs the start steps the platform relies on (the launch
// parameters, qxwindowid and loginsource in the settings file) and ends
// the message loop when it is destroyed.
class GameLoaderWnd {
public:
    explicit GameLoaderWnd(std::wstring cmdJson) : m_strCmdJson(std::move(cmdJson)) {}
    GameLoaderWnd(const GameLoaderWnd&) = delete;
    GameLoaderWnd& operator=(const GameLoaderWnd&) = delete;

    HWND Create(const std::wstring& title)
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &GameLoaderWnd::WindowProc;
        windowClass.hInstance = g_hInstance;
        windowClass.lpszClassName = kClassName;
        ::RegisterClassExW(&windowClass);
        return ::CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr, nullptr,
                                 g_hInstance, this);
    }

private:
    static constexpr wchar_t kClassName[] = L"GameLoaderResClass";

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        if (message == WM_NCCREATE) {
            auto* window = static_cast<GameLoaderWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            window->m_hwnd = hwnd;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        }
        auto* window = reinterpret_cast<GameLoaderWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);
        try {
            return window->HandleMessage(message, wParam, lParam);
        } catch (...) {
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
        }
    }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case WM_CREATE:
            InitWindow();
            return 0;
        case WM_LAUNCHER_ACTIVATE:
            TopMainWnd();
            return 0;
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
            m_hwnd = nullptr;
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
        }
    }

    void InitWindow()
    {
        ParseCmdJson();
        WriteSettingLoginSource(m_params.source, GetSettingFilePath());
    }

    bool ParseCmdJson()
    {
        return ParseLaunchCommandJson(m_strCmdJson, m_params, GetSettingFilePath(),
                                      [](unsigned level, const std::wstring& line) { LOG_W(level, line); });
    }

    // Only the log line: raising the window comes with the launcher window.
    void TopMainWnd() { LOG_W(LOG_LEVEL_INFO, L"OnShowMainWnd enter"); }

    HWND m_hwnd = nullptr;
    std::wstring m_strCmdJson;
    LaunchParams m_params;
};

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

    // Main window run.
    if (FAILED(::CoInitialize(nullptr))) {
        LOG_W(LOG_LEVEL_ERROR, L"CoInitialize false");
        return 0;
    }
    {
        GameLoaderWnd window(cmdJson);
        if (window.Create(title)) {
            MSG message{};
            while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
    }
    ::CoUninitialize();
    return 0;
}
