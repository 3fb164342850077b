// The image descriptor language of image attributes ("bkimage", "foreimage",
// ...): a bare image name, or key='value' pairs separated by one space. A
// modifier (the progress bar's "dest='...'") is read after the descriptor
// with the same rules. Several images may be layered in one descriptor.
// Controls read their descriptors once, when set (CImageDescriptorPairs),
// and replay the pairs at each paint.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/DisplayScale.h"
#include "toolkit/core/SkinValue.h"

namespace SkinUI {

// One image to draw with its settings. The texts are views into the
// descriptor or modifier given to the reader.
struct ImageDescriptor {
    std::wstring_view name;   // image name in the skin, or a resource id with a type
    std::wstring_view type;   // resource type; empty for files
    SkinRect dest;            // absolute; right and bottom limited to the control
    SkinRect source;          // 0,0,0,0 = the whole image
    SkinRect corner;          // nine-grid border widths
    std::uint32_t mask = 0;
    std::uint8_t fade = 255;
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
};

enum class ImageKey : std::uint8_t { File, Res, ResType, Dest, Source, Corner, Mask, Fade, Hole, XTiled, YTiled, Other };

// One key='value' pair with its value converted.
struct ImageDescriptorPair {
    ImageKey key = ImageKey::Other;
    std::wstring_view text;    // the value as written: the image name or type
    SkinRect rect;             // "dest", "source", "corner"
    std::uint32_t number = 0;  // "mask", "fade"; 1 or 0 for "hole", "xtiled", "ytiled"
};

ImageDescriptorPair MakeImageDescriptorPair(std::wstring_view key, std::wstring_view value);

// A descriptor read once: its pairs with converted values, the names
// pointing into its own copy of the text. Neither copied nor moved.
class CImageDescriptorPairs {
public:
    CImageDescriptorPairs() = default;
    CImageDescriptorPairs(const CImageDescriptorPairs&) = delete;
    CImageDescriptorPairs& operator=(const CImageDescriptorPairs&) = delete;

    // False when memory ran out: the pairs are then not valid and the caller
    // draws from the text.
    bool Assign(std::wstring_view descriptor) noexcept;
    void Clear() noexcept;
    bool IsValid() const { return m_valid; }
    std::wstring_view Text() const { return m_text; }
    const ImageDescriptorPair* Pairs() const { return m_pairs.data(); }
    std::size_t Count() const { return m_pairs.size(); }
    // Some "dest" starts left of or above the control: the descriptor can
    // draw outside the control's rectangle (its right and bottom are limited).
    bool ReachesOutside() const { return m_reachesOutside; }

private:
    std::wstring m_text;
    std::vector<ImageDescriptorPair> m_pairs;
    bool m_valid = false;
    bool m_reachesOutside = false;
};

// What a reader reads: a descriptor's or a modifier's text, or its pairs
// read before.
struct ImageDescriptorInput {
    std::wstring_view text;  // with pairs: the descriptor's text all the same (a bare name is the image)
    const ImageDescriptorPair* pairs = nullptr;
    std::size_t count = 0;
    bool read = false;  // the pairs are given

    static ImageDescriptorInput Text(std::wstring_view text) { return {text, nullptr, 0, false}; }
    // Pairs that are not valid (memory ran out when they were read) give
    // nothing; the caller then reads the text.
    static ImageDescriptorInput Read(const CImageDescriptorPairs& pairs)
    {
        return {pairs.Text(), pairs.Pairs(), pairs.Count(), true};
    }
    static ImageDescriptorInput Read(const ImageDescriptorPair* pairs, std::size_t count)
    {
        return {{}, pairs, count, true};
    }
};

// Yields the images of a descriptor in drawing order. Malformed text ends
// the reading at the fault; what was read so far still counts.
//
// A descriptor is written in logical pixels: "dest" offsets into the
// control, "source" and "corner" in the 100 % image. `scale` is the
// display's, which the control's rectangle and the window's images are
// at (each image is kept at its window's scale): every length of the
// descriptor is scaled by it. A modifier is made at paint time from the
// control's own rectangle, so it is in the display's pixels already.
class CImageDescriptorReader {
public:
    CImageDescriptorReader(std::wstring_view descriptor, std::wstring_view modifier, const SkinRect& control,
                           const CDisplayScale& scale = CDisplayScale());
    CImageDescriptorReader(const ImageDescriptorInput& descriptor, const ImageDescriptorInput& modifier,
                           const SkinRect& control, const CDisplayScale& scale = CDisplayScale());

    // The next image to draw; false when every image was given. The last
    // image is always given, even with an empty name (the caller fails it).
    bool Next(ImageDescriptor& image);

private:
    // `logical`: the pair is the descriptor's (not the modifier's).
    bool NextPair(ImageDescriptorPair& pair, bool& logical);
    void Apply(const ImageDescriptorPair& pair, bool logical);

    ImageDescriptorInput m_inputs[2];
    int m_inputIndex = 0;
    std::size_t m_position = 0;
    SkinRect m_control;
    CDisplayScale m_scale;
    ImageDescriptor m_current;
    bool m_nameKeySeen = false;
    bool m_pendingPair = false;
    bool m_pendingLogical = false;
    ImageDescriptorPair m_pending;
    bool m_finished = false;
};

}  // namespace SkinUI
