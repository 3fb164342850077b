// Launcher start-up figures, each against a floor measured in the same run:
//   1. process start to the game's start on the tokenLogin 1 path, against
//      bench_start_game.exe, which only starts the same stub game;
//   2. process start to the launcher window becoming visible with the
//      stand-in engine's page, against a plain window's first paint;
//   3. peak working set of the launcher showing the page, against the
//      plain window.
// Run under Wine from the build folder with the stand-in engine registered
// (scripts/bench-launcher does both):
//     launcher_bench.exe [--runs=<n>]
#include <windows.h>
#include <psapi.h>

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

// Milliseconds from process start until the stub game has recorded itself;
// negative on a time-out.
double StartToGame(const std::wstring& commandLine, const std::wstring& record)
{
    ::DeleteFileW(record.c_str());
    const double start = bench::NowMilliseconds();
    win32::UniqueHandle process = Start(commandLine);
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

double Median(std::vector<double> values)
{
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return v < 0; }), values.end());
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    int runs = 7;
    for (int i = 1; i < argc; ++i) {
        if (std::wcsncmp(argv[i], L"--runs=", 7) == 0) runs = std::max(1, _wtoi(argv[i] + 7));
    }
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring record = std::wstring(temp) + L"vrk_launcher_bench_games.txt";
    ::SetEnvironmentVariableW(L"VRK_STUB_GAME_RECORD", record.c_str());
    ::SetEnvironmentVariableW(L"VRK_ENGINE_SCENARIO", nullptr);

    const std::wstring launcher = L"\"" + BesideMe(L"vrk_main.exe") + L"\"";
    const std::wstring startOnly = L"\"" + BesideMe(L"bench_start_game.exe") + L"\"";
    const std::wstring plain = L"\"" + BesideMe(L"bench_plain_window.exe") + L"\"";
    const std::wstring gameArguments = L" --source=bench --tokenLogin=1 --token=b3nch";

    std::vector<double> launcherToGame, floorToGame, launcherShown, plainShown;
    SIZE_T launcherPeak = 0, plainPeak = 0;
    // Interleaved, so both sides see the same machine state.
    for (int i = 0; i < runs; ++i) {
        launcherToGame.push_back(StartToGame(launcher + gameArguments, record));
        floorToGame.push_back(StartToGame(startOnly + gameArguments, record));
        // The page is the browser host's window inside the launcher window.
        const WindowRun page = ShowWindowOf(launcher + L" --source=bench --tokenLogin=0", L"Vorkan", L"ActiveXWnd");
        const WindowRun window = ShowWindowOf(plain, L"VrkBenchPlain painted", nullptr);
        launcherShown.push_back(page.msToShown);
        plainShown.push_back(window.msToShown);
        launcherPeak = std::max(launcherPeak, page.peakWorkingSet);
        plainPeak = std::max(plainPeak, window.peakWorkingSet);
    }
    ::DeleteFileW(record.c_str());

    const double game = Median(launcherToGame), gameFloor = Median(floorToGame);
    const double shown = Median(launcherShown), shownFloor = Median(plainShown);
    std::printf("runs: %d (medians)\n", runs);
    std::printf("start to game started: launcher %.1f ms, start-only program %.1f ms, ratio %.2f\n", game, gameFloor,
                gameFloor > 0 ? game / gameFloor : 0.0);
    std::printf("start to window visible: launcher with page %.1f ms, plain window first paint %.1f ms, ratio %.2f\n",
                shown, shownFloor, shownFloor > 0 ? shown / shownFloor : 0.0);
    std::printf("peak working set: launcher with page %.0f KiB, plain window %.0f KiB, ratio %.2f\n",
                launcherPeak / 1024.0, plainPeak / 1024.0,
                plainPeak ? static_cast<double>(launcherPeak) / static_cast<double>(plainPeak) : 0.0);
    return game > 0 && gameFloor > 0 && shown > 0 && shownFloor > 0 ? 0 : 1;
}
