// The inline markup of texts drawn as formatted text ("showhtml"):
//   <b>...</b> bold, <i>...</i> italic, <u>...</u> underline,
//   <c #AARRGGBB>...</c> colour, <f N>...</f> font index N, <n> line break.
// Tags nest; a closing tag ends the innermost open tag of its kind. Anything
// else in angle brackets, and "<" without a ">", is shown as written.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace SkinUI {

struct FormattedRun {
    std::wstring_view text;      // a view into the parsed text
    bool lineBreak = false;      // a <n>: the run has no text
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::uint32_t colour = 0;    // 0: the text's own colour
    int font = -1;               // -1: the text's own font
};

std::vector<FormattedRun> ParseFormattedText(std::wstring_view text);

}  // namespace SkinUI
