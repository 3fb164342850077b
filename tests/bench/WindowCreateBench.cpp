// Creates the launcher window from the program's skin resource ("ZIPRES" 130,
// the package vrk_main.exe carries) up to its first completed paint of
// "GameLoader.xml", against creating and painting a plain Win32 window of the
// same size in the same run. Prints medians and their ratio. A program, not
// a test: run it under Wine and read its output.
//   window_create_bench.exe [iterations]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/bench/BenchTiming.h"
#include "tests/toolkit/skinwindow/SkinTestWindows.h"

namespace {

using bench::Median;

LRESULT CALLBACK PlainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        ::FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// Create, show and paint once; returns the time to the end of the first paint.
double PlainWindow()
{
    const double start = bench::NowMilliseconds();
    const HWND hwnd = ::CreateWindowExW(0, L"PlainBenchWindow", L"plain", WS_POPUP | WS_VISIBLE, 0, 0, 960, 620,
                                        nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::UpdateWindow(hwnd);
    const double elapsed = bench::NowMilliseconds() - start;
    ::DestroyWindow(hwnd);
    skintest::PumpPending();
    return elapsed;
}

// Handles the thread's messages until the shadow is on the screen (the
// window shows it once its first frame is out); false after a second.
bool WaitForShadow(skintest::PackedSkinWindow& window)
{
    const double start = bench::NowMilliseconds();
    while (!window.Manager().Shadow().IsShown()) {
        if (bench::NowMilliseconds() - start > 1000) return false;
        MSG msg;
        if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
    }
    return true;
}

double SkinnedWindow(double* createMs, double* shadowMs, double* destroyMs)
{
    const double start = bench::NowMilliseconds();
    auto* window = new skintest::PackedSkinWindow(L"GameLoaderBenchWindow", L"GameLoader.xml");
    // Creation builds the skin and attaches the tree; the first paint lays it out.
    const HWND hwnd = window->Create(nullptr, L"GameLoader", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 0, 0, 0);
    *createMs = bench::NowMilliseconds() - start;
    ::UpdateWindow(hwnd);
    const double elapsed = bench::NowMilliseconds() - start;
    *shadowMs = WaitForShadow(*window) ? bench::NowMilliseconds() - start : -1;
    const double destroyStart = bench::NowMilliseconds();
    delete window;
    skintest::PumpPending();
    *destroyMs = bench::NowMilliseconds() - destroyStart;
    return elapsed;
}

}  // namespace

int main(int argc, char** argv)
{
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    skintest::StartToolkit();
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"PlainBenchWindow";
    ::RegisterClassW(&wc);

    // The first window of the process pays for the window system's own
    // start; the first skinned window after it also opens the package and
    // starts what the toolkit starts once per process.
    const double firstPlain = PlainWindow();
    double create = 0, shadow = 0, destroy = 0;
    const double first = SkinnedWindow(&create, &shadow, &destroy);
    std::vector<double> plain, skinned, created, shadowed, destroyed;
    for (int i = 0; i < iterations; ++i) {
        plain.push_back(PlainWindow());
        skinned.push_back(SkinnedWindow(&create, &shadow, &destroy));
        created.push_back(create);
        shadowed.push_back(shadow);
        destroyed.push_back(destroy);
    }
    if (std::find(shadowed.begin(), shadowed.end(), -1.0) != shadowed.end()) {
        std::printf("the shadow of GameLoader.xml did not come within a second\n");
        return 1;
    }
    const double plainMedian = Median(plain);
    const double skinnedMedian = Median(skinned);
    std::printf("first plain window of the process           %9.2f ms\n", firstPlain);
    std::printf("first skinned window (opens the package)    %9.2f ms, ratio %.2f to a plain window\n", first,
                first / plainMedian);
    std::printf("plain window, create to first paint, median %9.2f ms\n", plainMedian);
    std::printf("GameLoader.xml, create to first paint, median %7.2f ms\n", skinnedMedian);
    std::printf("  of which creation with the skin build, median %5.2f ms\n", Median(created));
    // The shadow follows the first frame: drawn once that frame is out.
    std::printf("GameLoader.xml, create to shadow shown, median %6.2f ms, ratio %.2f to a plain window\n",
                Median(shadowed), Median(shadowed) / plainMedian);
    // Under Wine on a display without a window manager, hiding each managed
    // window (the launcher window and its shadow) waits 2 s for a withdrawn state.
    std::printf("GameLoader.xml, destruction, median         %9.2f ms\n", Median(destroyed));
    std::printf("ratio skinned / plain                       %9.2f x  (%d runs each)\n", skinnedMedian / plainMedian,
                iterations);
    return 0;
}
