#include "toolkit/render/FormattedText.h"

#include "toolkit/core/SkinValue.h"

namespace SkinUI {
namespace {

// Deeper nesting than this is shown as text rather than tracked.
constexpr std::size_t kMaxDepth = 32;

struct Style {
    wchar_t tag;  // 'b', 'i', 'u', 'c', 'f', or 0 for the base style
    bool bold, italic, underline;
    std::uint32_t colour;
    int font;
};

}  // namespace

std::vector<FormattedRun> ParseFormattedText(std::wstring_view text)
{
    std::vector<FormattedRun> runs;
    std::vector<Style> stack{{0, false, false, false, 0, -1}};
    std::size_t runStart = 0;
    std::size_t i = 0;
    // The next ">" after a "<"; remembered so that runs of "<" stay linear.
    std::size_t nextClose = 0;

    auto flush = [&](std::size_t end) {
        if (end > runStart) {
            const Style& s = stack.back();
            FormattedRun run;
            run.text = text.substr(runStart, end - runStart);
            run.bold = s.bold;
            run.italic = s.italic;
            run.underline = s.underline;
            run.colour = s.colour;
            run.font = s.font;
            runs.push_back(run);
        }
    };

    while (i < text.size()) {
        if (text[i] != L'<') {
            ++i;
            continue;
        }
        if (nextClose <= i) nextClose = text.find(L'>', i + 1);
        if (nextClose == std::wstring_view::npos) break;
        const std::size_t close = nextClose;
        const std::wstring_view tag = text.substr(i + 1, close - i - 1);
        bool known = true;
        Style next = stack.back();
        if (tag == L"n") {
            flush(i);
            FormattedRun run;
            run.lineBreak = true;
            runs.push_back(run);
        } else if (tag.size() == 2 && tag[0] == L'/' && (tag[1] == L'b' || tag[1] == L'i' || tag[1] == L'u' ||
                                                        tag[1] == L'c' || tag[1] == L'f')) {
            flush(i);
            // End the innermost open tag of this kind (and those opened inside it).
            for (std::size_t k = stack.size(); k-- > 1;) {
                if (stack[k].tag == tag[1]) {
                    stack.resize(k);
                    break;
                }
            }
        } else if ((tag == L"b" || tag == L"i" || tag == L"u") && stack.size() < kMaxDepth) {
            flush(i);
            next.tag = tag[0];
            if (tag == L"b") next.bold = true;
            if (tag == L"i") next.italic = true;
            if (tag == L"u") next.underline = true;
            stack.push_back(next);
        } else if (tag.size() > 2 && tag[0] == L'c' && tag[1] == L' ' && stack.size() < kMaxDepth) {
            flush(i);
            next.tag = L'c';
            next.colour = ParseSkinColour(tag.substr(2));
            stack.push_back(next);
        } else if (tag.size() > 2 && tag[0] == L'f' && tag[1] == L' ' && stack.size() < kMaxDepth) {
            flush(i);
            next.tag = L'f';
            next.font = ParseSkinInt(tag.substr(2));
            stack.push_back(next);
        } else {
            known = false;
        }
        if (known) {
            i = close + 1;
            runStart = i;
        } else {
            ++i;  // shown as written
        }
    }
    flush(text.size());
    return runs;
}

}  // namespace SkinUI
