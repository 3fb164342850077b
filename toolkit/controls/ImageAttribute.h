// An image attribute of a control ("bkimage", "normalimage", "foreimage",
// ...): its text, as set and as answered, and its pairs, read once when it is
// set so that painting does not read the text again.
#pragma once

#include <string_view>

#include "toolkit/core/UiString.h"
#include "toolkit/render/ImageDescriptor.h"

namespace SkinUI {

class CImageAttribute {
public:
    CImageAttribute() = default;
    CImageAttribute(const CImageAttribute&) = delete;
    CImageAttribute& operator=(const CImageAttribute&) = delete;

    // False when the text is the one already set.
    bool Set(std::wstring_view descriptor)
    {
        if (m_text == descriptor) return false;
        m_text = descriptor;
        m_pairs.Assign(m_text.View());  // without memory for the pairs, painting reads the text
        return true;
    }
    void Clear() noexcept
    {
        m_text.Empty();
        m_pairs.Clear();
    }
    bool IsEmpty() const noexcept { return m_text.IsEmpty(); }
    const CUiString& Text() const noexcept { return m_text; }
    const CImageDescriptorPairs& Pairs() const noexcept { return m_pairs; }
    // What drawing reads: the pairs, or the text when they could not be read.
    ImageDescriptorInput Input() const noexcept
    {
        return m_pairs.IsValid() ? ImageDescriptorInput::Read(m_pairs) : ImageDescriptorInput::Text(m_text.View());
    }
    // Some image is placed before the control's left or top edge.
    bool ReachesOutside() const noexcept { return m_pairs.ReachesOutside(); }

private:
    CUiString m_text;
    CImageDescriptorPairs m_pairs;
};

}  // namespace SkinUI
