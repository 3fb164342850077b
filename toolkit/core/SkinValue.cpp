#include "toolkit/core/SkinValue.h"

#include <climits>

namespace SkinUI {
namespace {

bool IsSpace(wchar_t c)
{
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

SkinNumber ParseSkinNumber(std::wstring_view text, std::size_t start)
{
    SkinNumber number;
    number.end = start;
    std::size_t i = start;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    const std::size_t digitsStart = i;
    long long magnitude = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
        if (magnitude <= static_cast<long long>(INT_MAX) + 1) magnitude = magnitude * 10 + (text[i] - L'0');
        ++i;
    }
    if (i == digitsStart) return number;  // no conversion
    number.end = i;
    if (negative) {
        number.value = magnitude > static_cast<long long>(INT_MAX) + 1 ? INT_MIN : static_cast<int>(-magnitude);
    } else {
        number.value = magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
    }
    return number;
}

int ParseSkinInt(std::wstring_view text)
{
    return ParseSkinNumber(text).value;
}

void ParseSkinInts(std::wstring_view text, int* values, std::size_t count)
{
    std::size_t at = 0;
    for (std::size_t k = 0; k < count; ++k) {
        if (at > text.size()) {
            values[k] = 0;
            continue;
        }
        const SkinNumber number = ParseSkinNumber(text, at);
        values[k] = number.value;
        at = number.end + 1;
    }
}

SkinSize ParseSkinSize(std::wstring_view text)
{
    int v[2];
    ParseSkinInts(text, v, 2);
    return {v[0], v[1]};
}

SkinPoint ParseSkinPoint(std::wstring_view text)
{
    int v[2];
    ParseSkinInts(text, v, 2);
    return {v[0], v[1]};
}

SkinRect ParseSkinRect(std::wstring_view text)
{
    int v[4];
    ParseSkinInts(text, v, 4);
    return {v[0], v[1], v[2], v[3]};
}

std::uint32_t ParseSkinColour(std::wstring_view text)
{
    std::size_t i = 0;
    if (i < text.size() && text[i] == L'#') ++i;
    // The rest reads like a C hexadecimal conversion: white space, a sign
    // and a 0x prefix are allowed; overflow saturates.
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    if (i + 2 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X') &&
        HexDigit(text[i + 2]) >= 0)
        i += 2;
    std::uint64_t value = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        value = value * 16 + static_cast<std::uint64_t>(HexDigit(text[i]));
        if (value > 0xFFFFFFFFull) return 0xFFFFFFFFu;
    }
    const std::uint32_t colour = static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - colour) : colour;
}

bool ParseSkinBool(std::wstring_view text)
{
    return text == L"true";
}

}  // namespace SkinUI
