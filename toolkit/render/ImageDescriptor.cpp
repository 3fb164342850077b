#include "toolkit/render/ImageDescriptor.h"

#include <climits>

namespace SkinUI {
namespace {

bool IsBlank(wchar_t c)
{
    return c <= L' ';
}

// Control coordinates plus descriptor offsets may exceed 32 bits.
int AddClamped(int a, int b)
{
    const long long sum = static_cast<long long>(a) + b;
    if (sum > INT_MAX) return INT_MAX;
    if (sum < INT_MIN) return INT_MIN;
    return static_cast<int>(sum);
}

// "file" and "restype" after an earlier one of them start the next image.
bool IsLayeringKey(ImageKey key)
{
    return key == ImageKey::File || key == ImageKey::ResType;
}

ImageKey KeyOf(std::wstring_view key)
{
    if (key == L"file") return ImageKey::File;
    if (key == L"res") return ImageKey::Res;
    if (key == L"restype") return ImageKey::ResType;
    if (key == L"dest") return ImageKey::Dest;
    if (key == L"source") return ImageKey::Source;
    if (key == L"corner") return ImageKey::Corner;
    if (key == L"mask") return ImageKey::Mask;
    if (key == L"fade") return ImageKey::Fade;
    if (key == L"hole") return ImageKey::Hole;
    if (key == L"xtiled") return ImageKey::XTiled;
    if (key == L"ytiled") return ImageKey::YTiled;
    return ImageKey::Other;
}

// One key='value' pair of a text from `position`, which then points past it
// (beyond the text when the text ends after this pair). False ends the text.
bool ReadPairAt(std::wstring_view text, std::size_t& position, std::wstring_view& key, std::wstring_view& value)
{
    std::size_t i = position;
    const std::size_t n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    const std::size_t keyStart = i;
    while (i < n && text[i] != L'=' && !IsBlank(text[i])) ++i;
    const std::size_t keyEnd = i;
    while (i < n && IsBlank(text[i])) ++i;
    if (i >= n || text[i] != L'=') return false;
    ++i;
    while (i < n && IsBlank(text[i])) ++i;
    if (i >= n || text[i] != L'\'') return false;
    ++i;
    const std::size_t valueStart = i;
    while (i < n && text[i] != L'\'') ++i;
    if (i >= n) return false;  // no closing apostrophe: the pair does not count
    key = text.substr(keyStart, keyEnd - keyStart);
    value = text.substr(valueStart, i - valueStart);
    ++i;
    if (i < n && text[i] == L' ') {
        while (i < n && IsBlank(text[i])) ++i;
        position = i;
    } else {
        position = n + 1;  // this pair counts, the text ends after it
    }
    return true;
}

}  // namespace

ImageDescriptorPair MakeImageDescriptorPair(std::wstring_view key, std::wstring_view value)
{
    ImageDescriptorPair pair;
    pair.key = KeyOf(key);
    pair.text = value;
    switch (pair.key) {
    case ImageKey::Dest:
    case ImageKey::Source:
    case ImageKey::Corner:
        pair.rect = ParseSkinRect(value);
        break;
    case ImageKey::Mask:
        pair.number = ParseSkinColour(value);
        break;
    case ImageKey::Fade:
        pair.number = static_cast<unsigned>(ParseSkinInt(value)) & 0xFFu;
        break;
    case ImageKey::Hole:
    case ImageKey::XTiled:
    case ImageKey::YTiled:
        pair.number = ParseSkinBool(value) ? 1 : 0;
        break;
    default:
        break;
    }
    return pair;
}

bool CImageDescriptorPairs::Assign(std::wstring_view descriptor) noexcept
{
    Clear();
    try {
        m_text.assign(descriptor);
        const std::wstring_view text = m_text;
        std::size_t position = 0;
        std::wstring_view key, value;
        while (position <= text.size() && ReadPairAt(text, position, key, value)) {
            if (value.empty()) continue;
            m_pairs.push_back(MakeImageDescriptorPair(key, value));
            const ImageDescriptorPair& pair = m_pairs.back();
            if (pair.key == ImageKey::Dest && (pair.rect.left < 0 || pair.rect.top < 0)) m_reachesOutside = true;
        }
        m_valid = true;
    } catch (...) {
        Clear();
    }
    return m_valid;
}

void CImageDescriptorPairs::Clear() noexcept
{
    m_text.clear();
    m_pairs.clear();
    m_valid = false;
    m_reachesOutside = false;
}

CImageDescriptorReader::CImageDescriptorReader(std::wstring_view descriptor, std::wstring_view modifier,
                                               const SkinRect& control, const CDisplayScale& scale)
    : CImageDescriptorReader(ImageDescriptorInput::Text(descriptor), ImageDescriptorInput::Text(modifier), control,
                             scale)
{
}

CImageDescriptorReader::CImageDescriptorReader(const ImageDescriptorInput& descriptor,
                                               const ImageDescriptorInput& modifier, const SkinRect& control,
                                               const CDisplayScale& scale)
    : m_control(control), m_scale(scale)
{
    m_inputs[0] = descriptor;
    m_inputs[1] = modifier;
    m_current.name = descriptor.text;
    m_current.dest = control;
}

// The next pair with a value, from the descriptor, then the modifier.
bool CImageDescriptorReader::NextPair(ImageDescriptorPair& pair, bool& logical)
{
    while (m_inputIndex < 2) {
        const ImageDescriptorInput& input = m_inputs[m_inputIndex];
        logical = m_inputIndex == 0;
        if (input.read) {
            if (input.pairs && m_position < input.count) {
                pair = input.pairs[m_position++];
                return true;
            }
        } else if (m_position <= input.text.size()) {
            std::wstring_view key, value;
            if (ReadPairAt(input.text, m_position, key, value)) {
                if (value.empty()) continue;
                pair = MakeImageDescriptorPair(key, value);
                return true;
            }
        }
        ++m_inputIndex;
        m_position = 0;
    }
    return false;
}

void CImageDescriptorReader::Apply(const ImageDescriptorPair& pair, bool logical)
{
    const CDisplayScale scale = logical ? m_scale : CDisplayScale();
    switch (pair.key) {
    case ImageKey::File:
    case ImageKey::Res:
        m_current.name = pair.text;
        break;
    case ImageKey::ResType:
        m_current.type = pair.text;
        break;
    case ImageKey::Dest: {
        const SkinRect r = scale.Scale(pair.rect);
        m_current.dest.left = AddClamped(m_control.left, r.left);
        m_current.dest.top = AddClamped(m_control.top, r.top);
        const int right = AddClamped(m_control.left, r.right);
        const int bottom = AddClamped(m_control.top, r.bottom);
        m_current.dest.right = right < m_control.right ? right : m_control.right;
        m_current.dest.bottom = bottom < m_control.bottom ? bottom : m_control.bottom;
        break;
    }
    case ImageKey::Source:
        m_current.source = scale.Scale(pair.rect);
        break;
    case ImageKey::Corner:
        m_current.corner = scale.ScaleCorner(pair.rect);
        break;
    case ImageKey::Mask:
        m_current.mask = pair.number;
        break;
    case ImageKey::Fade:
        m_current.fade = static_cast<std::uint8_t>(pair.number);
        break;
    case ImageKey::Hole:
        m_current.hole = pair.number != 0;
        break;
    case ImageKey::XTiled:
        m_current.xtiled = pair.number != 0;
        break;
    case ImageKey::YTiled:
        m_current.ytiled = pair.number != 0;
        break;
    case ImageKey::Other:
        break;
    }
}

bool CImageDescriptorReader::Next(ImageDescriptor& image)
{
    if (m_finished) return false;
    if (m_pendingPair) {
        // The name key that ended the previous image starts this one.
        m_pendingPair = false;
        Apply(m_pending, m_pendingLogical);
    }
    ImageDescriptorPair pair;
    bool logical = true;
    while (NextPair(pair, logical)) {
        if (IsLayeringKey(pair.key)) {
            if (m_nameKeySeen) {
                image = m_current;
                m_pending = pair;
                m_pendingLogical = logical;
                m_pendingPair = true;
                return true;
            }
            m_nameKeySeen = true;
        }
        Apply(pair, logical);
    }
    m_finished = true;
    image = m_current;
    return true;
}

}  // namespace SkinUI
