#include "toolkit/markup/SkinCharStep.h"

#include <cstdint>

namespace SkinUI {
namespace {

struct SkinCharRange {
    std::uint16_t first;
    std::uint16_t last;
};

#include "toolkit/markup/SkinCharTables.inc"

template <std::size_t N>
bool InRanges(const SkinCharRange (&ranges)[N], wchar_t c)
{
    const auto code = static_cast<std::uint32_t>(c);
    if (code > 0xFFFF) return false;  // only the BMP: UTF-16 sees surrogates here
    std::size_t lo = 0;
    std::size_t hi = N;
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (code < ranges[mid].first) {
            hi = mid;
        } else if (code > ranges[mid].last) {
            lo = mid + 1;
        } else {
            return true;
        }
    }
    return false;
}

}  // namespace

bool IsSkinNonSpacingMark(wchar_t c)
{
    return c >= 0x0300 && InRanges(kSkinNonSpacingRanges, c);
}

bool IsSkinNameChar(wchar_t c)
{
    if (c < 0x80) {
        return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' ||
               c == L':';
    }
    return InRanges(kSkinNameCharRanges, c);
}

const wchar_t* SkinNextChar(const wchar_t* p)
{
    if (*p == L'\0') return p;
    ++p;
    while (*p != L'\0' && IsSkinNonSpacingMark(*p)) ++p;
    return p;
}

wchar_t* SkinNextChar(wchar_t* p)
{
    return const_cast<wchar_t*>(SkinNextChar(static_cast<const wchar_t*>(p)));
}

}  // namespace SkinUI
