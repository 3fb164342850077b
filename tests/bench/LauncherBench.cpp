// Launcher start-up figures, each against a floor measured in the same run:
//   1. process start to the game's start on the tokenLogin 1 path, against
//      bench_start_game.exe, which only starts the same stub game; both
//      started with CreateProcessW and again through the shell
//      (ShellExecuteExW), as a platform client may start them; and against
//      the same program with "--window", which first does what the
//      launcher must (COM, a hidden window, the start while it is created);
//   2. process start to the launcher window becoming visible with the
//      stand-in engine's page, against a plain window's first paint;
//   3. peak working set of the launcher showing the page, against the
//      plain window;
//   4. the game-exit path: process start to the 528-byte notice arriving
//      at this program's window and to the process's end, against
//      bench_send_notice.exe, which only sends the same notice.
// Run under Wine from the build folder with the stand-in engine registered
// (scripts/bench-launcher does both):
//     launcher_bench.exe [--runs=<n>]
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "base/Win32Handles.h"
#include "tests/bench/BenchTiming.h"

namespace {

std::wstring BesideMe(const wchar_t* name)
{
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path = module;
    path.resize(path.find_last_of(L'\\') + 1);
    return path + name;
}

// Started the way a platform client may start a program: through the shell.
win32::UniqueHandle StartFromShell(const std::wstring& program, const std::wstring& arguments)
{
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    execute.lpVerb = L"open";
    execute.lpFile = program.c_str();
    execute.lpParameters = arguments.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&execute)) return win32::UniqueHandle();
    return win32::UniqueHandle(execute.hProcess);
}

win32::UniqueHandle Start(const std::wstring& commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring mutableLine = commandLine;
    if (!::CreateProcessW(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return win32::UniqueHandle();
    ::CloseHandle(info.hThread);
    return win32::UniqueHandle(info.hProcess);
}

LONGLONG FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

struct WindowSearch {
    DWORD processId;
    const wchar_t* title;
    bool visible;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam)
{
    auto* s = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    wchar_t text[64] = {};
    ::GetWindowTextW(hwnd, text, 64);
    if (owner == s->processId && std::wcscmp(text, s->title) == 0 && (!s->visible || ::IsWindowVisible(hwnd))) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindWindowOf(DWORD processId, const wchar_t* title, bool mustBeVisible)
{
    WindowSearch search{processId, title, mustBeVisible, nullptr};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct Program {
    std::wstring path;  // quoted
    std::wstring arguments;
};

// Milliseconds from process start until the stub game has recorded itself;
// negative on a time-out.
double StartToGame(const Program& program, bool fromShell, const std::wstring& record)
{
    ::DeleteFileW(record.c_str());
    const double start = bench::NowMilliseconds();
    win32::UniqueHandle process = fromShell ? StartFromShell(program.path, program.arguments)
                                            : Start(program.path + L" " + program.arguments);
    if (!process) return -1;
    double elapsed = -1;
    while (bench::NowMilliseconds() - start < 30000) {
        if (FileSize(record) > 0) {
            elapsed = bench::NowMilliseconds() - start;
            break;
        }
        ::Sleep(1);
    }
    ::WaitForSingleObject(process.get(), 30000);
    return elapsed;
}

struct WindowRun {
    double msToShown = -1;
    SIZE_T peakWorkingSet = 0;
};

// A window counts as shown once it is visible together with the child
// window of the given class, when one is named: the launcher window is
// visible for a moment while it is created (its style has WS_VISIBLE), but
// its page shows only once the document has loaded.
bool Shown(HWND window, const wchar_t* childClass)
{
    if (!childClass) return true;
    const HWND child = ::FindWindowExW(window, nullptr, childClass, nullptr);
    return child && ::IsWindowVisible(child);
}

// Starts a windowed program, waits for the window with the title, lets it
// settle, reads the peak working set and closes the window.
WindowRun ShowWindowOf(const std::wstring& commandLine, const wchar_t* title, const wchar_t* childClass)
{
    WindowRun run;
    const double start = bench::NowMilliseconds();
    win32::UniqueHandle process = Start(commandLine);
    if (!process) return run;
    const DWORD id = ::GetProcessId(process.get());
    HWND window = nullptr;
    while (bench::NowMilliseconds() - start < 30000) {
        window = FindWindowOf(id, title, true);
        if (window && Shown(window, childClass)) break;
        window = nullptr;
        ::Sleep(1);
    }
    if (!window) {
        ::TerminateProcess(process.get(), 1);
        return run;
    }
    run.msToShown = bench::NowMilliseconds() - start;
    ::Sleep(1000);  // the page settles
    PROCESS_MEMORY_COUNTERS counters{};
    if (::GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) run.peakWorkingSet = counters.PeakWorkingSetSize;
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.get(), 15000) != WAIT_OBJECT_0) ::TerminateProcess(process.get(), 1);
    return run;
}

// The window the game-exit notice goes to, and when it arrived.
double g_noticeAt = -1;

LRESULT CALLBACK NoticeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data && data->dwData == 1 && data->cbData == 528) g_noticeAt = bench::NowMilliseconds();
        return TRUE;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateNoticeWindow()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = NoticeProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VrkBenchPlatform";
    ::RegisterClassW(&windowClass);
    return ::CreateWindowExW(0, L"VrkBenchPlatform", L"VrkBenchPlatform", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
}

struct ExitRun {
    double msToNotice = -1;
    double msToEnd = -1;
};

// Starts a program that sends the notice to this thread's window, handling
// messages until the program has ended.
ExitRun NoticeAndExit(const std::wstring& commandLine)
{
    ExitRun run;
    g_noticeAt = -1;
    const double start = bench::NowMilliseconds();
    win32::UniqueHandle process = Start(commandLine);
    if (!process) return run;
    const HANDLE handle = process.get();
    for (;;) {
        const DWORD waited = ::MsgWaitForMultipleObjects(1, &handle, FALSE, 30000, QS_ALLINPUT);
        if (waited == WAIT_OBJECT_0) break;
        if (waited != WAIT_OBJECT_0 + 1) {
            ::TerminateProcess(handle, 1);
            return run;
        }
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    run.msToEnd = bench::NowMilliseconds() - start;
    if (g_noticeAt > 0) run.msToNotice = g_noticeAt - start;
    else run.msToEnd = -1;  // no notice: the path was not taken
    return run;
}

double Median(std::vector<double> values)
{
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return v < 0; }), values.end());
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

void PrintRatio(const char* what, const char* side, double value, const char* floorSide, double floor)
{
    std::printf("%s: %s %.1f ms, %s %.1f ms, ratio %.2f\n", what, side, value, floorSide, floor,
                floor > 0 && value > 0 ? value / floor : 0.0);
}

int wmain(int argc, wchar_t** argv)
{
    int runs = 7;
    for (int i = 1; i < argc; ++i) {
        if (std::wcsncmp(argv[i], L"--runs=", 7) == 0) runs = std::max(1, _wtoi(argv[i] + 7));
    }
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);  // for ShellExecuteExW
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring record = std::wstring(temp) + L"vrk_launcher_bench_games.txt";
    ::SetEnvironmentVariableW(L"VRK_STUB_GAME_RECORD", record.c_str());
    ::SetEnvironmentVariableW(L"VRK_ENGINE_SCENARIO", nullptr);
    const HWND platform = CreateNoticeWindow();
    if (!platform) return 1;
    const std::wstring platformId = std::to_wstring(reinterpret_cast<LONG_PTR>(platform));

    const std::wstring launcher = L"\"" + BesideMe(L"vrk_main.exe") + L"\"";
    const std::wstring startOnly = L"\"" + BesideMe(L"bench_start_game.exe") + L"\"";
    const std::wstring plain = L"\"" + BesideMe(L"bench_plain_window.exe") + L"\"";
    const std::wstring sendOnly = L"\"" + BesideMe(L"bench_send_notice.exe") + L"\"";
    // The launcher records this program's window as the platform's, where
    // the game-exit path sends its notice.
    const Program launcherGame = {launcher, L"--source=bench --tokenLogin=1 --token=b3nch --winid=" + platformId};
    const Program floorGame = {startOnly, L"--source=bench --tokenLogin=1 --token=b3nch --winid=" + platformId};
    const Program windowFloorGame = {startOnly, L"--window " + floorGame.arguments};

    std::vector<double> launcherToGame, floorToGame, windowFloorToGame, launcherShellToGame, floorShellToGame,
        launcherShown, plainShown;
    std::vector<double> launcherNotice, launcherExit, floorNotice, floorExit;
    SIZE_T launcherPeak = 0, plainPeak = 0;
    // Interleaved, so both sides see the same machine state, each side
    // first every other time: under Wine a process that has just ended is
    // still being taken down when the next one starts, which slows it. A
    // pause before each start lets that settle.
    auto settle = [] { ::Sleep(300); };
    // Round 0 only warms the session up (the first programs of a fresh
    // Wine session start its services): its figures are dropped.
    for (int i = -1; i < runs; ++i) {
        if (i == 0) {
            for (auto* figures : {&launcherToGame, &floorToGame, &windowFloorToGame, &launcherShellToGame,
                                  &floorShellToGame,
                                  &launcherShown, &plainShown, &launcherNotice, &launcherExit, &floorNotice,
                                  &floorExit})
                figures->clear();
            launcherPeak = plainPeak = 0;
        }
        const bool launcherFirst = i % 2 != 0;
        for (int side = 0; side < 2; ++side) {
            const bool launcherSide = (side == 0) == launcherFirst;
            settle();
            (launcherSide ? launcherToGame : floorToGame)
                .push_back(StartToGame(launcherSide ? launcherGame : floorGame, false, record));
            if (!launcherSide) {
                settle();
                windowFloorToGame.push_back(StartToGame(windowFloorGame, false, record));
            }
            settle();
            (launcherSide ? launcherShellToGame : floorShellToGame)
                .push_back(StartToGame(launcherSide ? launcherGame : floorGame, true, record));
            settle();
            if (launcherSide) {
                // The page is the browser host's window inside the launcher window.
                const WindowRun page =
                    ShowWindowOf(launcher + L" --source=bench --tokenLogin=0", L"Vorkan", L"ActiveXWnd");
                launcherShown.push_back(page.msToShown);
                launcherPeak = std::max(launcherPeak, page.peakWorkingSet);
            } else {
                const WindowRun window = ShowWindowOf(plain, L"VrkBenchPlain painted", nullptr);
                plainShown.push_back(window.msToShown);
                plainPeak = std::max(plainPeak, window.peakWorkingSet);
            }
            settle();
            const ExitRun exitPath = launcherSide ? NoticeAndExit(launcher + L" {\\\"type\\\":1}")
                                                  : NoticeAndExit(sendOnly + L" " + platformId);
            (launcherSide ? launcherNotice : floorNotice).push_back(exitPath.msToNotice);
            (launcherSide ? launcherExit : floorExit).push_back(exitPath.msToEnd);
        }
    }
    ::DeleteFileW(record.c_str());

    const double game = Median(launcherToGame), gameFloor = Median(floorToGame);
    const double gameWindowFloor = Median(windowFloorToGame);
    const double shellGame = Median(launcherShellToGame), shellGameFloor = Median(floorShellToGame);
    const double shown = Median(launcherShown), shownFloor = Median(plainShown);
    const double exitEnd = Median(launcherExit), exitEndFloor = Median(floorExit);
    std::printf("runs: %d (medians)\n", runs);
    PrintRatio("start to game started", "launcher", game, "start-only program", gameFloor);
    PrintRatio("start to game started", "launcher", game, "program that makes COM and a window first",
               gameWindowFloor);
    PrintRatio("start to game started, both through the shell", "launcher", shellGame, "start-only program",
               shellGameFloor);
    PrintRatio("start to window visible", "launcher with page", shown, "plain window first paint", shownFloor);
    std::printf("peak working set: launcher with page %.0f KiB, plain window %.0f KiB, ratio %.2f, %+.1f MiB "
                "(aim: +10 MiB or less)\n",
                launcherPeak / 1024.0, plainPeak / 1024.0,
                plainPeak ? static_cast<double>(launcherPeak) / static_cast<double>(plainPeak) : 0.0,
                (static_cast<double>(launcherPeak) - static_cast<double>(plainPeak)) / (1024.0 * 1024.0));
    PrintRatio("game-exit path, start to notice", "launcher", Median(launcherNotice), "send-only program",
               Median(floorNotice));
    PrintRatio("game-exit path, start to end", "launcher", exitEnd, "send-only program", exitEndFloor);
    ::DestroyWindow(platform);
    ::CoUninitialize();
    return game > 0 && gameFloor > 0 && gameWindowFloor > 0 && shellGame > 0 && shellGameFloor > 0 && shown > 0 && shownFloor > 0 &&
                   exitEnd > 0 && exitEndFloor > 0
               ? 0
               : 1;
}
