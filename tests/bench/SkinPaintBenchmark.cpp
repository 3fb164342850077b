// Lays out and paints the launcher window's control tree (960 x 620) the way
// its window does (into the manager's retained off-screen surface, then
// copied to the window) and prints the times, against a floor measured in
// the same run: filling a 960 x 620 32-bit DIB and copying it to another with
// plain GDI, the least a full paint of the window can cost. It also counts
// the drawing calls of one full paint (each costs about a microsecond or
// more under Wine). A program, not a test: run it under Wine and read its
// output.
//   skin_paint_benchmark.exe [iterations]
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/bench/BenchTiming.h"
#include "tests/bench/GdiCallCounter.h"
#include "tests/toolkit/layout/LayoutTestTree.h"
#include "tests/toolkit/SkinTestCanvas.h"
#include "toolkit/package/SkinResources.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

using namespace SkinUI;

using bench::NowMicroseconds;

struct Figures {
    double mean, median, best;
};

template <typename Work>
Figures Measure(int iterations, Work&& work)
{
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(iterations));
    for (int i = 0; i < iterations; ++i) {
        const double start = NowMicroseconds();
        work(i);
        times.push_back(NowMicroseconds() - start);
    }
    double sum = 0;
    for (double t : times) sum += t;
    return {sum / iterations, bench::Median(times), *std::min_element(times.begin(), times.end())};
}

void Report(const char* what, const Figures& f, int iterations)
{
    std::printf("%-52s mean %9.1f us  median %9.1f us  best %9.1f us  (%d runs)\n", what, f.mean, f.median, f.best,
                iterations);
}

}  // namespace

int main(int argc, char** argv)
{
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    // Before the first drawing: msimg32 is counted from its look-up on.
    const bool counting = bench::GdiCallCounter::Install();
    // The images come from the product's skin package, as the launcher reads them.
    if (!OpenSkinSource(SkinSource::ZipResource, L"", nullptr, L"130")) {
        std::printf("the skin package resource is missing\n");
        return 1;
    }
    CSkinSourceReader skinImages;
    CWindowManagerUI manager;
    manager.SetSkinFileReader(&skinImages);
    // "GameLoader.xml" with its fonts.
    CVerticalLayoutUI* root = skintest::BuildLauncherTree(manager, new CControlUI);
    if (!root) {
        std::fprintf(stderr, "GameLoader.xml cannot be built\n");
        return 1;
    }
    manager.AttachTree(root);
    const RECT client = {0, 0, 960, 620};
    skintest::TestCanvas offscreen(960, 620);
    skintest::TestCanvas window(960, 620);  // stands in for the window the off-screen bitmap is copied to
    auto present = [&] { ::BitBlt(window.dc(), 0, 0, 960, 620, offscreen.dc(), 0, 0, SRCCOPY); };

    const double coldStart = NowMicroseconds();
    manager.UpdateLayout(client);
    manager.PaintTree(offscreen.dc(), client);
    const double coldBrowserPage = NowMicroseconds() - coldStart;

    // The download page, as the launcher shows it during a download.
    auto* tab = static_cast<CTabLayoutUI*>(manager.FindByName(L"wizardTab")->InterfaceFor(L"TabLayout"));
    manager.FindByName(L"vLayoutDownload")->ApplyAttribute(L"bkimage", L"tov_download_bk.jpg");
    tab->SelectPage(1);
    auto* progress = static_cast<CProgressUI*>(manager.FindByName(L"progress"));
    progress->SetValue(37);
    const double coldDownloadStart = NowMicroseconds();
    manager.UpdateLayout(client);
    manager.PaintTree(offscreen.dc(), client);
    const double coldDownloadPage = NowMicroseconds() - coldDownloadStart;

    int controls = 0;
    root->Search([](CControlUI*, void* count) -> CControlUI* {
        ++*static_cast<int*>(count);
        return nullptr;
    }, &controls, 0);
    std::printf("Skinned window tree 960 x 620: %d controls, %d images cached\n", controls, manager.ImageCount());
    std::printf("%-52s %9.1f us\n", "first layout + paint, browser page", coldBrowserPage);
    std::printf("%-52s %9.1f us\n", "first layout + paint, download page (decodes images)", coldDownloadPage);

    // The floor and the full paint, interleaved in rounds so that load on
    // the machine falls on both alike.
    win32::UniqueBrush white(::CreateSolidBrush(RGB(255, 255, 255)));
    std::vector<double> floorTimes, paintTimes;
    for (int round = 0; round < 5; ++round) {
        const Figures floorRun = Measure(iterations / 5 + 1, [&](int) {
            ::FillRect(offscreen.dc(), &client, white.get());
            present();
            ::GdiFlush();
        });
        // Everything invalid: the whole tree is painted into the window's
        // surface and copied, as after a page switch.
        const Figures paintRun = Measure(iterations / 5 + 1, [&](int) {
            manager.PaintOffscreen(window.dc(), client, client, client);
            ::GdiFlush();
        });
        floorTimes.push_back(floorRun.median);
        paintTimes.push_back(paintRun.median);
    }
    const double floorMedian = bench::Median(floorTimes);
    const double paintMedian = bench::Median(paintTimes);
    std::printf("%-52s median %9.1f us\n", "floor: GDI fill + copy of a 960 x 620 32-bit DIB", floorMedian);
    std::printf("%-52s median %9.1f us\n", "full paint + copy, download page", paintMedian);
    std::printf("%-52s %9.2f (aim: 1.50 or less)\n", "ratio full paint / floor", paintMedian / floorMedian);
    // A paint the system asks for (the window uncovered): nothing invalid,
    // the surface is copied as it is.
    const Figures presentRun = Measure(iterations, [&](int) {
        manager.PaintOffscreen(window.dc(), client, client, {0, 0, 0, 0});
        ::GdiFlush();
    });
    std::printf("%-52s median %9.1f us, ratio %.2f to the floor\n", "uncovered: copy from the retained surface",
                presentRun.median, presentRun.median / floorMedian);
    if (counting) {
        // One full paint, counted call by call (the copy to the window included).
        bench::GdiCallCounter::Reset();
        manager.PaintOffscreen(window.dc(), client, client, client);
        const auto counts = bench::GdiCallCounter::Counts();
        std::printf("%-52s %9llu gdi32 + msimg32, %llu user32\n", "calls per full paint, download page",
                    static_cast<unsigned long long>(bench::GdiCallCounter::Total(false)),
                    static_cast<unsigned long long>(bench::GdiCallCounter::Total(true)));
        std::printf("  ");
        for (const auto& c : counts) std::printf(" %s %llu", c.function.c_str(), static_cast<unsigned long long>(c.calls));
        std::printf("\n");
    }

    // Where a paint of the download page goes: its drawing calls one by one.
    {
        auto image = [&](const char* what, const RECT& control, const wchar_t* descriptor, const wchar_t* modifier) {
            Report(what, Measure(iterations, [&](int) {
                       CSkinRenderer::DrawImageDescriptor(offscreen.dc(), &manager, control, client, descriptor,
                                                          modifier);
                       ::GdiFlush();
                   }),
                   iterations);
        };
        Report("  root colour 960 x 620 (opaque fill)", Measure(iterations, [&](int) {
                   CSkinRenderer::FillColour(offscreen.dc(), client, 0xFFFFFFFFu);
                   ::GdiFlush();
               }),
               iterations);
        image("  background 960 x 620 (opaque, unscaled)", client, L"tov_download_bk.jpg", L"");
        image("  progress back 530 x 13 (composed grid, blended)", {320, 320, 850, 333},
              L"file='gprogress_bk.png' corner='3,3,3,3'", L"");
        image("  progress fill 196 x 13 (composed grid, blended)", {320, 320, 850, 333},
              L"file='gprogress_fore.png' corner='3,3,3,3'", L"dest='0,0,196,13'");
        image("  close button 28 x 30 (blended)", {928, 4, 956, 34}, L"gclose_normal.png", L"");
        Report("  tip text (GDI)", Measure(iterations, [&](int) {
                   RECT rc = {320, 332, 850, 352};
                   CSkinRenderer::DrawTextIn(offscreen.dc(), &manager, rc, L"\u6B63\u5728\u4E0B\u8F7D", 0xFFEEE8D9u,
                                             -1, DT_SINGLELINE | DT_CENTER);
                   ::GdiFlush();
               }),
               iterations);
        Report("  copy to the window 960 x 620", Measure(iterations, [&](int) {
                   present();
                   ::GdiFlush();
               }),
               iterations);
    }

    Report("layout of the whole tree", Measure(iterations * 10, [&](int) { root->Place(client); }), iterations * 10);
    Report("full paint, download page", Measure(iterations, [&](int) { manager.PaintTree(offscreen.dc(), client); }),
           iterations);
    Report("layout + full paint, download page", Measure(iterations, [&](int) {
               root->Place(client);
               manager.PaintTree(offscreen.dc(), client);
           }),
           iterations);
    Report("progress step: SetValue + paint the invalid area", Measure(iterations, [&](int i) {
               manager.ClearInvalidated();
               progress->SetValue(i % 100 == 37 ? 38 : i % 100);
               manager.PaintTree(offscreen.dc(), manager.InvalidatedSinceLastPaint());
           }),
           iterations);
    Report("FillColour, opaque, 960 x 620", Measure(iterations, [&](int) {
               CSkinRenderer::FillColour(offscreen.dc(), client, 0xFFFFFFFFu);
           }),
           iterations);
    Report("FillColour, translucent, 960 x 620", Measure(iterations, [&](int) {
               CSkinRenderer::FillColour(offscreen.dc(), client, 0x80FFFFFFu);
           }),
           iterations);
    {
        // A 1 x 1 image tiled over the whole window: a handful of blits, not one per pixel.
        skintest::TestSkinFolder folder;
        folder.AddSolidPng(L"dot.png", 1, 1, 0xFF2040C0u);
        manager.SetSkinFileReader(&folder.reader());
        const TImageInfo* dot = manager.LoadImageEntry(L"dot.png", L"", 0);
        int blits = 0;
        Report("1 x 1 image tiled over 960 x 620", Measure(iterations, [&](int) {
                   blits = CSkinRenderer::DrawImagePart(offscreen.dc(), dot->hBitmap.get(), client, client,
                                                        {0, 0, 1, 1}, {0, 0, 0, 0}, false, 255, false, true, true);
               }),
               iterations);
        std::printf("%-52s %9d\n", "  blits per tiled draw", blits);
        manager.SetSkinFileReader(&skinImages);
    }
    tab->SelectPage(0);
    manager.UpdateLayout(client);
    Report("full paint, browser page", Measure(iterations, [&](int) { manager.PaintTree(offscreen.dc(), client); }),
           iterations);

    // A sanity check that the paint did draw: the close button's area is not the white root.
    tab->SelectPage(1);
    manager.UpdateLayout(client);
    manager.PaintTree(offscreen.dc(), client);
    const DWORD corner = offscreen.Pixel(5, 5);
    std::printf("pixel (5,5) of the download page: %06lX\n", static_cast<unsigned long>(corner));
    return corner == skintest::kWhite ? 1 : 0;
}
