// Image descriptors and the nine-grid geometry they feed, on arbitrary text.
// Input: UTF-16LE units; the first line break separates descriptor and modifier.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/render/ImageDescriptor.h"
#include "toolkit/render/ImageGrid.h"

namespace {

using namespace SkinUI;

struct CheckedSink : IImageGridSink {
    SkinRect paint;
    void DrawPart(const ImageGridPart& p) override
    {
        // Every part has a positive size and meets the paint rectangle.
        if (p.dest.left >= p.dest.right || p.dest.top >= p.dest.bottom) __builtin_trap();
        if (p.source.left >= p.source.right || p.source.top >= p.source.bottom) __builtin_trap();
        if (p.dest.right <= paint.left || p.dest.left >= paint.right) __builtin_trap();
        if (p.dest.bottom <= paint.top || p.dest.top >= paint.bottom) __builtin_trap();
    }
};

void Run(std::wstring_view descriptor, std::wstring_view modifier, const SkinRect& control)
{
    CImageDescriptorReader reader(descriptor, modifier, control);
    ImageDescriptor image;
    int images = 0;
    while (reader.Next(image)) {
        if (++images > 100000) __builtin_trap();  // every image needs a pair of the input
        if (!image.name.empty() && (image.name.data() < descriptor.data() ||
                                    image.name.data() + image.name.size() > descriptor.data() + descriptor.size()) &&
            (image.name.data() < modifier.data() ||
             image.name.data() + image.name.size() > modifier.data() + modifier.size()))
            __builtin_trap();
        // As the renderer does for a 16 x 16 image.
        SkinRect source = image.source;
        if (source.left == 0 && source.top == 0 && source.right == 0 && source.bottom == 0) source = {0, 0, 16, 16};
        if (source.left < 0) source.left = 0;
        if (source.top < 0) source.top = 0;
        if (source.right > 16) source.right = 16;
        if (source.bottom > 16) source.bottom = 16;
        ImageGridRequest request;
        request.dest = image.dest;
        request.source = source;
        request.corner = image.corner;
        request.hole = image.hole;
        request.xtiled = image.xtiled;
        request.ytiled = image.ytiled;
        request.paint = {control.right - 48, control.top, control.right, control.top + 48};
        CheckedSink sink;
        sink.paint = request.paint;
        ForEachImageGridPart(request, sink);
    }
    if (images == 0) __builtin_trap();  // the last image is always given
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    const std::size_t split = text.find(L'\n');
    const std::wstring descriptor = text.substr(0, split);
    const std::wstring modifier = split == std::wstring::npos ? std::wstring() : text.substr(split + 1);
    Run(descriptor, modifier, {320, 320, 850, 333});
    Run(descriptor, modifier, {INT_MAX - 40, INT_MIN, INT_MAX, INT_MIN + 20});
    return 0;
}
