// The syntax of skin attribute values: integers, sizes and points,
// rectangles, colours and booleans. Bounds come from the text's real length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace SkinUI {

struct SkinNumber {
    int value = 0;
    std::size_t end = 0;  // index just after the last digit; the start when there was none
};

// Leading-number semantics of a C decimal conversion: white space and a sign
// may precede the digits, reading stops at the first non-digit, no digit
// gives 0, and values beyond 32 bits saturate.
SkinNumber ParseSkinNumber(std::wstring_view text, std::size_t start = 0);

int ParseSkinInt(std::wstring_view text);

// "a,b,c,d": each number starts one character after the previous one ended,
// so any single separator works. Numbers missing at the end of the text are 0.
void ParseSkinInts(std::wstring_view text, int* values, std::size_t count);

struct SkinSize {
    int cx = 0;
    int cy = 0;
};
struct SkinPoint {
    int x = 0;
    int y = 0;
};
struct SkinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

SkinSize ParseSkinSize(std::wstring_view text);
SkinPoint ParseSkinPoint(std::wstring_view text);
SkinRect ParseSkinRect(std::wstring_view text);

// An optional "#", then a hexadecimal 0xAARRGGBB value ("#444444" has alpha 0).
std::uint32_t ParseSkinColour(std::wstring_view text);

// True only for the exact text "true".
bool ParseSkinBool(std::wstring_view text);

}  // namespace SkinUI
