// Attribute values of any text: every parser reads within the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/core/SkinValue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Two bytes per character, so every 16-bit value (and on Linux every
    // negative one, through the sign) reaches the parsers.
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<wchar_t>(static_cast<std::int16_t>(data[i] | (data[i + 1] << 8))));
    volatile unsigned sink = 0;
    sink = sink + static_cast<unsigned>(SkinUI::ParseSkinInt(text));
    const SkinUI::SkinRect rect = SkinUI::ParseSkinRect(text);
    const SkinUI::SkinSize size2 = SkinUI::ParseSkinSize(text);
    const SkinUI::SkinPoint point = SkinUI::ParseSkinPoint(text);
    sink = sink + static_cast<unsigned>(rect.left) + static_cast<unsigned>(rect.bottom) + static_cast<unsigned>(size2.cx) + static_cast<unsigned>(point.y);
    sink = sink + SkinUI::ParseSkinColour(text) + SkinUI::ParseSkinBool(text);
    for (std::size_t start = 0; start <= text.size() + 1; ++start) {
        const SkinUI::SkinNumber number = SkinUI::ParseSkinNumber(text, start);
        if (number.end > text.size() + 1) __builtin_trap();
        sink = sink + static_cast<unsigned>(number.value);
        if (start > 8) break;
    }
    return 0;
}
