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

bool IsNameKey(std::wstring_view key)
{
    return key == L"file" || key == L"restype";
}

}  // namespace

CImageDescriptorReader::CImageDescriptorReader(std::wstring_view descriptor, std::wstring_view modifier,
                                               const SkinRect& control)
    : m_control(control)
{
    m_texts[0] = descriptor;
    m_texts[1] = modifier;
    m_current.name = descriptor;
    m_current.dest = control;
}

// One key='value' pair of the current text. False ends that text.
bool CImageDescriptorReader::ReadPair(Pair& pair)
{
    const std::wstring_view text = m_texts[m_textIndex];
    std::size_t i = m_position;
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
    pair.key = text.substr(keyStart, keyEnd - keyStart);
    pair.value = text.substr(valueStart, i - valueStart);
    ++i;
    if (i < n && text[i] == L' ') {
        while (i < n && IsBlank(text[i])) ++i;
        m_position = i;
    } else {
        m_position = n + 1;  // this pair counts, the text ends after it
    }
    return true;
}

void CImageDescriptorReader::Apply(const Pair& pair)
{
    const std::wstring_view key = pair.key;
    const std::wstring_view value = pair.value;
    if (key == L"file" || key == L"res") {
        m_current.name = value;
    } else if (key == L"restype") {
        m_current.type = value;
    } else if (key == L"dest") {
        const SkinRect r = ParseSkinRect(value);
        m_current.dest.left = AddClamped(m_control.left, r.left);
        m_current.dest.top = AddClamped(m_control.top, r.top);
        const int right = AddClamped(m_control.left, r.right);
        const int bottom = AddClamped(m_control.top, r.bottom);
        m_current.dest.right = right < m_control.right ? right : m_control.right;
        m_current.dest.bottom = bottom < m_control.bottom ? bottom : m_control.bottom;
    } else if (key == L"source") {
        m_current.source = ParseSkinRect(value);
    } else if (key == L"corner") {
        m_current.corner = ParseSkinRect(value);
    } else if (key == L"mask") {
        m_current.mask = ParseSkinColour(value);
    } else if (key == L"fade") {
        m_current.fade = static_cast<std::uint8_t>(static_cast<unsigned>(ParseSkinInt(value)) & 0xFFu);
    } else if (key == L"hole") {
        m_current.hole = ParseSkinBool(value);
    } else if (key == L"xtiled") {
        m_current.xtiled = ParseSkinBool(value);
    } else if (key == L"ytiled") {
        m_current.ytiled = ParseSkinBool(value);
    }
}

bool CImageDescriptorReader::Next(ImageDescriptor& image)
{
    if (m_finished) return false;
    if (m_pendingPair) {
        // The name key that ended the previous image starts this one.
        m_pendingPair = false;
        Apply(m_pending);
    }
    while (m_textIndex < 2) {
        if (m_position > m_texts[m_textIndex].size()) {
            ++m_textIndex;
            m_position = 0;
            continue;
        }
        Pair pair;
        if (!ReadPair(pair)) {
            ++m_textIndex;
            m_position = 0;
            continue;
        }
        if (pair.value.empty()) continue;
        if (IsNameKey(pair.key)) {
            if (m_nameKeySeen) {
                image = m_current;
                m_pending = pair;
                m_pendingPair = true;
                return true;
            }
            m_nameKeySeen = true;
        }
        Apply(pair);
    }
    m_finished = true;
    image = m_current;
    return true;
}

}  // namespace SkinUI
