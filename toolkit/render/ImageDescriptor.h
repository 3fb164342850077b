// The image descriptor language of image attributes ("bkimage", "foreimage",
// ...): a bare image name, or key='value' pairs separated by one space. A
// modifier (the progress bar's "dest='...'") is read after the descriptor
// with the same rules. Several images may be layered in one descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

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

// Yields the images of a descriptor in drawing order. Malformed text ends
// the reading at the fault; what was read so far still counts.
class CImageDescriptorReader {
public:
    CImageDescriptorReader(std::wstring_view descriptor, std::wstring_view modifier, const SkinRect& control);

    // The next image to draw; false when every image was given. The last
    // image is always given, even with an empty name (the caller fails it).
    bool Next(ImageDescriptor& image);

private:
    struct Pair {
        std::wstring_view key;
        std::wstring_view value;
    };
    bool ReadPair(Pair& pair);
    void Apply(const Pair& pair);

    std::wstring_view m_texts[2];
    int m_textIndex = 0;
    std::size_t m_position = 0;
    SkinRect m_control;
    ImageDescriptor m_current;
    bool m_nameKeySeen = false;
    bool m_pendingPair = false;
    Pair m_pending;
    bool m_finished = false;
};

}  // namespace SkinUI
