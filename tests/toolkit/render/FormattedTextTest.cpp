#include "toolkit/render/FormattedText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace SkinUI;

std::wstring Describe(const std::vector<FormattedRun>& runs)
{
    // One token per run: text with style letters, "|" for a line break.
    std::wstring out;
    for (const FormattedRun& r : runs) {
        if (!out.empty()) out += L' ';
        if (r.lineBreak) {
            out += L'|';
            continue;
        }
        out += L'[';
        out += r.text;
        out += L']';
        if (r.bold) out += L'b';
        if (r.italic) out += L'i';
        if (r.underline) out += L'u';
        if (r.colour) out += L"c" + std::to_wstring(r.colour & 0xFF);
        if (r.font >= 0) out += L"f" + std::to_wstring(r.font);
    }
    return out;
}

TEST(FormattedTextTest, SplitsTextIntoStyledRuns)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* runs;
    } cases[] = {
        {L"plain", L"[plain]"},
        {L"a<b>b</b>c", L"[a] [b]b [c]"},
        {L"<c #FF0000FF>blue</c><f 2>big</f>", L"[blue]c255 [big]f2"},
        {L"x<n>y", L"[x] | [y]"},
        {L"<b><i>x</b>y", L"[x]bi [y]"},       // closing b also closes the i opened inside it
        {L"<i><u>x</u>y</i>", L"[x]iu [y]i"},
        {L"</b>x", L"[x]"},                    // a stray close is dropped
        {L"1 < 2 <q> 3", L"[1 < 2 <q> 3]"},    // unknown tags are text
        {L"tail <b", L"[tail <b]"},            // "<" without ">"
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(Describe(ParseFormattedText(c.text)), c.runs) << c.text;
}

TEST(FormattedTextTest, ManyOpeningBracketsStayLinear)
{
    // Each "<" looks for a ">"; remembering it keeps this from being quadratic.
    const std::wstring text = std::wstring(400000, L'<') + L">";
    const auto runs = ParseFormattedText(text);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text.size(), text.size());
}

TEST(FormattedTextTest, DeepNestingIsBounded)
{
    std::wstring text;
    for (int i = 0; i < 100; ++i) text += L"<b>";
    text += L"x";
    const auto runs = ParseFormattedText(text);
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.back().text.back(), L'x');
    EXPECT_TRUE(runs.back().bold);
}

}  // namespace
