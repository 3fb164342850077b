#include "tests/support/LauncherProcess.h"

#include "tests/support/TestSupport.h"

namespace testsupport {
namespace {

struct WindowSearch {
    DWORD processId;  // 0: any process
    const std::wstring* title;
    bool shownOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    wchar_t title[128] = {};
    ::GetWindowTextW(hwnd, title, 128);
    const bool ofProcess = search->processId == 0 || owner == search->processId;
    if (ofProcess && *search->title == title && (!search->shownOnly || ::IsWindowVisible(hwnd)))
        search->found.push_back(hwnd);
    return TRUE;
}

// The top-level windows with the title, in Z order.
std::vector<HWND> WindowsOf(DWORD processId, const std::wstring& title, bool shownOnly)
{
    WindowSearch search{processId, &title, shownOnly, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindWindowOf(DWORD processId, const std::wstring& title, bool shownOnly)
{
    const std::vector<HWND> found = WindowsOf(processId, title, shownOnly);
    return found.empty() ? nullptr : found.front();
}

}  // namespace

LauncherProcess::LauncherProcess(const std::wstring& arguments)
    : m_process(StartProcess(L"\"" + BesideTests(L"vrk_main.exe") + L"\" " + arguments))
{
}

LauncherProcess::~LauncherProcess()
{
    if (!m_process) return;
    if (::WaitForSingleObject(m_process.get(), 0) == WAIT_OBJECT_0) return;
    DWORD exitCode = 0;
    if (!Close()) {
        ::TerminateProcess(m_process.get(), 99);
        WaitForExit(5000, exitCode);
    }
}

HWND LauncherProcess::WaitForWindow(DWORD timeoutMs) const
{
    if (!m_process) return nullptr;
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (const HWND window = FindLauncherWindow(id())) return WaitUntilIdle(window) ? window : nullptr;
        if (::WaitForSingleObject(m_process.get(), 0) == WAIT_OBJECT_0) return nullptr;
        if (::GetTickCount() - start >= timeoutMs) return nullptr;
        ::Sleep(50);
    }
}

bool LauncherProcess::WaitForExit(DWORD timeoutMs, DWORD& exitCode) const
{
    if (!m_process) return false;
    if (::WaitForSingleObject(m_process.get(), timeoutMs) != WAIT_OBJECT_0) return false;
    return ::GetExitCodeProcess(m_process.get(), &exitCode) != FALSE;
}

bool LauncherProcess::Close(DWORD timeoutMs)
{
    DWORD exitCode = 1;
    if (const HWND window = FindLauncherWindow(id())) ::PostMessageW(window, WM_CLOSE, 0, 0);
    return WaitForExit(timeoutMs, exitCode) && exitCode == 0;
}

HWND FindLauncherWindow(DWORD processId)
{
    return processId == 0 ? nullptr : FindWindowOf(processId, kLauncherTitle, false);
}

HWND FindShownWindow(DWORD processId, const std::wstring& title)
{
    return processId == 0 ? nullptr : FindWindowOf(processId, title, true);
}

std::vector<HWND> ShownWindows(DWORD processId, const std::wstring& title)
{
    return processId == 0 ? std::vector<HWND>() : WindowsOf(processId, title, true);
}

HWND WaitForNoticeBox(DWORD processId)
{
    HWND box = nullptr;
    WaitFor([&] { return (box = FindShownWindow(processId, kNoticeBoxTitle)) != nullptr; });
    if (!box) return nullptr;
    WaitUntilIdle(box);
    // The box lays out its controls when it first paints, and a posted
    // click is taken before a pending paint: paint it now, or the click
    // can land on a box without buttons yet.
    ::UpdateWindow(box);
    return box;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start >= timeoutMs) return false;
        ::Sleep(50);
    }
    return true;
}

bool WaitUntilIdle(HWND window, DWORD timeoutMs)
{
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

void CloseStrayLaunchers()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        const HWND stray = FindWindowOf(0, kLauncherTitle, false);
        if (!stray) return;
        ::PostMessageW(stray, WM_CLOSE, 0, 0);
        ::Sleep(200);
    }
}

SettingsFileBackup::SettingsFileBackup() : m_path(LauncherDataDir() + L"\\setting.xml")
{
    ::CreateDirectoryW(LauncherDataDir().c_str(), nullptr);
    m_existed = FileExists(m_path);
    if (m_existed) m_bytes = ReadFileBytes(m_path);
    ::DeleteFileW(m_path.c_str());
}

SettingsFileBackup::~SettingsFileBackup()
{
    if (m_existed) {
        WriteFileBytes(m_path, m_bytes);
    } else {
        ::DeleteFileW(m_path.c_str());
    }
}

LauncherLogTail::LauncherLogTail() : m_log(TodaysLauncherLog()), m_start(ReadFileBytes(m_log).size()) {}

std::string LauncherLogTail::NewText() const
{
    const std::string all = ReadFileBytes(m_log);
    return all.size() > m_start ? all.substr(m_start) : std::string();
}

std::vector<std::string> LauncherLogTail::NewLines() const
{
    return SplitLines(NewText());
}

}  // namespace testsupport
