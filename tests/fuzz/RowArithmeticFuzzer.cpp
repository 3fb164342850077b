// The linear layouts' row arithmetic over any children, content rectangle and
// child padding: no overflow (UBSan), and every placed edge in order.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "toolkit/layout/RowArithmetic.h"

namespace {

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    int NextInt()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | (m_at < m_size ? m_data[m_at++] : 0u);
        int result;
        std::memcpy(&result, &v, sizeof(result));
        return result;
    }
    bool Empty() const { return m_at >= m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

struct Measured {
    std::vector<int> widths;
};

SkinUI::SkinSize Measure(void* context, int index, SkinUI::SkinSize)
{
    return {static_cast<Measured*>(context)->widths[static_cast<std::size_t>(index)], 0};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Bytes bytes(data, size);
    SkinUI::SkinRect content{bytes.NextInt(), bytes.NextInt(), bytes.NextInt(), bytes.NextInt()};
    const int childPadding = bytes.NextInt();
    std::vector<SkinUI::RowChild> children;
    Measured measured;
    while (!bytes.Empty() && children.size() < 64) {
        SkinUI::RowChild child;
        child.padding = {bytes.NextInt(), bytes.NextInt(), bytes.NextInt(), bytes.NextInt()};
        child.minWidth = bytes.NextInt();
        child.maxWidth = bytes.NextInt();
        child.minHeight = bytes.NextInt();
        child.maxHeight = bytes.NextInt();
        child.fixedHeight = bytes.NextInt();
        children.push_back(child);
        measured.widths.push_back(bytes.NextInt());
    }
    std::vector<SkinUI::SkinRect> placed(children.size());
    SkinUI::ArrangeRow(children.data(), static_cast<int>(children.size()), Measure, &measured, content, childPadding,
                       placed.data());
    for (std::size_t i = 0; i < children.size(); ++i) {
        // Limits that are themselves in order give a size in order.
        const SkinUI::RowChild& c = children[i];
        if (c.minWidth >= 0 && c.maxWidth >= c.minWidth && placed[i].right < placed[i].left) __builtin_trap();
        if (c.minHeight >= 0 && c.maxHeight >= c.minHeight && placed[i].bottom < placed[i].top) __builtin_trap();
    }
    return 0;
}
