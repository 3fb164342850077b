// Benchmark: "GameLoader.xml" from the skin package, as a window's creation
// reads it: open the archive over the package's bytes, extract the layout,
// parse it, walk every element and attribute. Prints microseconds and heap
// allocations per run for each step. Under Windows it also times the real
// path: the package as this program's "ZIPRES" resource 130 and
// LoadSkinMarkupFile.
//
//   skin_parse_bench [iterations] [skin.zip]
//
// The native preset builds with sanitizers; for native figures configure a
// plain build, e.g. cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
// -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang && cmake --build
// build/bench --target skin_parse_bench.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestAllocator.h"
#include "toolkit/package/SkinArchive.h"
#include "toolkit/markup/SkinMarkup.h"
#ifdef _WIN32
#include "toolkit/package/SkinMarkupFile.h"
#include "toolkit/package/SkinResources.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct Step {
    const char* name;
    double seconds = 0;
    long allocations = 0;
};

template <typename Work>
void Measure(Step& step, Work&& work)
{
    const long before = testsupport::HeapAllocationCount();
    const Clock::time_point start = Clock::now();
    work();
    step.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    step.allocations += testsupport::HeapAllocationCount() - before;
}

struct Walked {
    long elements = 0;
    long attributes = 0;
};

void Walk(SkinUI::CSkinMarkupNode node, Walked& walked)
{
    for (; node.IsValid(); node = node.GetNextSibling()) {
        ++walked.elements;
        for (int i = 0; i < node.GetAttributeCount(); ++i) walked.attributes += node.GetAttributeValue(i) != nullptr;
        Walk(node.GetFirstChild(), walked);
    }
}

std::string ProgramDir(const char* argv0)
{
    std::string dir(argv0);
    const std::size_t slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
}

void Report(const Step* steps, std::size_t count, long iterations)
{
    double total = 0;
    long allocations = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::printf("  %-34s %9.2f us  %6.1f allocations\n", steps[i].name, steps[i].seconds * 1e6 / iterations,
                    static_cast<double>(steps[i].allocations) / iterations);
        total += steps[i].seconds;
        allocations += steps[i].allocations;
    }
    if (count > 1)
        std::printf("  %-34s %9.2f us  %6.1f allocations\n", "total", total * 1e6 / iterations,
                    static_cast<double>(allocations) / iterations);
}

}  // namespace

int main(int argc, char** argv)
{
    const long iterations = argc > 1 ? std::max(1L, std::atol(argv[1])) : 2000;
    const std::string path = argc > 2 ? argv[2] : ProgramDir(argv[0]) + "skin.zip";
    std::ifstream in(path, std::ios::binary);
    const std::string zip((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (zip.empty()) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }

    Step steps[] = {{"open archive (memory)"}, {"find + extract GameLoader.xml"}, {"parse"}, {"walk elements and attributes"}};
    Walked walked;
    std::size_t markupBytes = 0;
    for (long i = 0; i < iterations; ++i) {
        std::unique_ptr<SkinUI::SkinArchive> archive;
        std::vector<unsigned char> bytes;
        SkinUI::CSkinMarkup markup;
        Measure(steps[0], [&] { archive = SkinUI::SkinArchive::OpenMemory(zip.data(), zip.size()); });
        if (!archive) return 1;
        Measure(steps[1], [&] { archive->ReadEntry("GameLoader.xml", 4194304, bytes); });
        if (bytes.empty()) return 1;
        bool parsed = false;
        Measure(steps[2], [&] { parsed = markup.LoadFromMemory(bytes.data(), bytes.size()); });
        if (!parsed) return 1;
        Measure(steps[3], [&] {
            walked = Walked();
            Walk(markup.GetRoot(), walked);
        });
        markupBytes = bytes.size();
    }
    std::printf("GameLoader.xml: %zu bytes, %ld elements, %ld attributes; %ld runs\n", markupBytes, walked.elements,
                walked.attributes, iterations);
    Report(steps, 4, iterations);

#ifdef _WIN32
    // The launcher's path: the archive opened once over the resource bytes,
    // then the layout read by name for each window.
    SkinUI::SetSkinModuleInstance(::GetModuleHandleW(nullptr));
    Step resource[] = {{"open ZIPRES 130 (first window)"}};
    Measure(resource[0], [] { SkinUI::OpenSkinSource(SkinUI::SkinSource::ZipResource, L"", L"", L"130"); });
    Step perWindow[] = {{"LoadSkinMarkupFile (extract + parse)"}};
    for (long i = 0; i < iterations; ++i) {
        SkinUI::CSkinMarkup markup;
        bool loaded = false;
        Measure(perWindow[0], [&] { loaded = LoadSkinMarkupFile(markup, L"GameLoader.xml"); });
        if (!loaded) return 1;
    }
    std::printf("resource path:\n");
    Report(resource, 1, 1);
    Report(perWindow, 1, iterations);
#endif
    return 0;
}
