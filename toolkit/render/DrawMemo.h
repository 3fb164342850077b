// What a drawing call left in a 32-bit top-down surface, kept with the
// pixels it found there and an exact description of the call: the same call
// over the same pixels is then a copy instead of a drawing. Text is the
// dearest part of a paint under GDI; a label repainted over an unchanged
// background (a page shown again, a window painted whole) costs a compare
// and a copy. Any difference in the pixels found, or in the call, draws
// again. Bounded: a few entries, a few hundred kilobytes at most.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/core/SkinValue.h"
#include "toolkit/render/SkinPixels.h"

namespace SkinUI {

class CDrawMemo {
public:
    static constexpr std::size_t kMaxEntries = 8;
    static constexpr std::size_t kMaxPixels = 64 * 1024;  // per side (found and left), over all entries

    // Each drawing site (`slot`: a label's rectangle, an image) keeps its
    // last drawing only, so a site that draws something new each time (a
    // moving progress bar) takes one entry instead of pushing the others
    // out. Slots only choose what is kept: the key decides what is replayed.
    //
    // True when the call described by `key` was kept for `area` over the
    // pixels the surface holds there now: they are replaced by what it left.
    bool Replay(const PixelBuffer& surface, const SkinRect& area, std::uint64_t slot, const std::wstring& key);
    // Around a drawing that was not replayed: the pixels before it, then
    // what it left. An area too large to keep is not kept.
    void Before(const PixelBuffer& surface, const SkinRect& area, std::uint64_t slot, const std::wstring& key);
    void After(const PixelBuffer& surface);

    std::size_t EntryCount() const { return m_entries.size(); }

    // Bytes appended to a key (a trailing odd byte padded with zero).
    static void AppendToKey(std::wstring& key, const void* bytes, std::size_t count);

private:
    struct Entry {
        std::uint64_t slot = 0;
        std::wstring key;
        SkinRect area;
        std::vector<std::uint32_t> found;
        std::vector<std::uint32_t> left;
        std::uint64_t lastUse = 0;
    };
    Entry* Find(std::uint64_t slot);
    std::size_t KeptPixels() const;

    std::vector<Entry> m_entries;
    Entry* m_pending = nullptr;  // between Before and After
    std::uint64_t m_clock = 0;
};

}  // namespace SkinUI
