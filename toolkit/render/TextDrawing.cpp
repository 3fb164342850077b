#include "toolkit/render/TextDrawing.h"

#include <gdiplus.h>

#include <algorithm>
#include <new>
#include <vector>

#include "toolkit/render/FillDrawing.h"
#include "toolkit/render/FormattedText.h"
#include "toolkit/render/GdiplusSession.h"
#include "toolkit/render/RetainedDc.h"
#include "base/Win32Handles.h"

namespace SkinUI {
namespace {

namespace gp = Gdiplus::DllExports;

// Everything a text's pixels depend on but those it is drawn over. The font
// by its description: a handle may be reused by another font.
bool DescribeText(HFONT font, const RECT& rect, std::wstring_view text, COLORREF colour, UINT style,
                  std::wstring& key)
{
    LOGFONTW logFont{};
    if (!font || ::GetObjectW(font, sizeof logFont, &logFont) != sizeof logFont) return false;
    const LONG numbers[] = {rect.left, rect.top, rect.right, rect.bottom, static_cast<LONG>(colour),
                            static_cast<LONG>(style)};
    key.clear();
    CDrawMemo::AppendToKey(key, numbers, sizeof numbers);
    CDrawMemo::AppendToKey(key, &logFont, sizeof logFont);
    key.append(text.data(), text.size());
    return true;
}

void SelectTextState(HDC hdc, RetainedDc& state, HFONT font, COLORREF colour)
{
    if (::GetBkMode(hdc) != TRANSPARENT) ::SetBkMode(hdc, TRANSPARENT);
    if (::GetTextColor(hdc) != colour) ::SetTextColor(hdc, colour);
    if (font && ::GetCurrentObject(hdc, OBJ_FONT) != font) {
        const HGDIOBJ previous = ::SelectObject(hdc, font);
        if (!state.originalFont) state.originalFont = previous;
    }
}

// Text into a DC of the toolkit's own: what is selected already stays, and
// a text drawn over the same pixels as before is copied from then. Kept
// only when clipped to its rectangle (a measure or unclipped text is not).
void DrawTextRetained(HDC hdc, RetainedDc& state, HFONT font, RECT& rect, std::wstring_view text, COLORREF colour,
                      UINT style)
{
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
    if (style & (DT_CALCRECT | DT_NOCLIP)) {
        SelectTextState(hdc, state, font, colour);
        ::DrawTextW(hdc, text.data(), length, &rect, style | DT_NOPREFIX);
        return;
    }
    CKeptDrawing kept(hdc, rect);
    std::wstring key;
    bool described = false;
    try {
        described = kept.Keeps() && DescribeText(font, rect, text, colour, style, key);
    } catch (const std::bad_alloc&) {
        // Without memory for its key the text is just drawn.
    }
    // A label's site is its rectangle (mixed into one number: a slot only
    // chooses what is kept, never what is replayed).
    const std::uint64_t slot = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(rect.left)) << 32 |
                                static_cast<std::uint32_t>(rect.top)) *
                                   31 +
                               (static_cast<std::uint64_t>(static_cast<std::uint32_t>(rect.right)) << 32 |
                                static_cast<std::uint32_t>(rect.bottom));
    if (described && kept.Replay(slot, key)) return;
    SelectTextState(hdc, state, font, colour);
    ::DrawTextW(hdc, text.data(), length, &rect, style | DT_NOPREFIX);
    kept.Drawn();
}

void DrawTextGdiplus(HDC hdc, const TFontInfo& font, RECT& rect, std::wstring_view text, DWORD argb, UINT style)
{
    if (!EnsureGdiplusSession()) return;
    Gdiplus::GpGraphics* graphics = nullptr;
    if (gp::GdipCreateFromHDC(hdc, &graphics) != Gdiplus::Ok) return;
    gp::GdipSetTextRenderingHint(graphics, Gdiplus::TextRenderingHintAntiAlias);
    Gdiplus::GpFont* gpFont = nullptr;
    if (gp::GdipCreateFontFromLogfontW(hdc, &font.logFont, &gpFont) != Gdiplus::Ok) {
        win32::SelectedObject selected(hdc, font.hFont.get());
        if (gp::GdipCreateFontFromDC(hdc, &gpFont) != Gdiplus::Ok) gpFont = nullptr;
    }
    Gdiplus::GpSolidFill* brush = nullptr;
    gp::GdipCreateSolidFill((argb & 0x00FFFFFFu) | 0xFE000000u, &brush);
    Gdiplus::GpStringFormat* generic = nullptr;
    Gdiplus::GpStringFormat* format = nullptr;
    if (gp::GdipStringFormatGetGenericTypographic(&generic) == Gdiplus::Ok)
        gp::GdipCloneStringFormat(generic, &format);
    if (gpFont && brush && format) {
        INT flags = 0;
        gp::GdipGetStringFormatFlags(format, &flags);
        flags &= ~(Gdiplus::StringFormatFlagsNoClip | Gdiplus::StringFormatFlagsNoWrap);
        if (style & DT_NOCLIP) flags |= Gdiplus::StringFormatFlagsNoClip;
        if (style & DT_SINGLELINE) flags |= Gdiplus::StringFormatFlagsNoWrap;
        gp::GdipSetStringFormatFlags(format, flags);
        gp::GdipSetStringFormatTrimming(format, (style & DT_END_ELLIPSIS) ? Gdiplus::StringTrimmingEllipsisCharacter
                                                                          : Gdiplus::StringTrimmingNone);
        gp::GdipSetStringFormatAlign(format, (style & DT_CENTER)  ? Gdiplus::StringAlignmentCenter
                                             : (style & DT_RIGHT) ? Gdiplus::StringAlignmentFar
                                                                  : Gdiplus::StringAlignmentNear);
        gp::GdipSetStringFormatLineAlign(format, (style & DT_VCENTER)  ? Gdiplus::StringAlignmentCenter
                                                 : (style & DT_BOTTOM) ? Gdiplus::StringAlignmentFar
                                                                       : Gdiplus::StringAlignmentNear);
        Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                              static_cast<Gdiplus::REAL>(rect.right - rect.left),
                              static_cast<Gdiplus::REAL>(rect.bottom - rect.top));
        const INT length = static_cast<INT>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
        if (style & DT_CALCRECT) {
            Gdiplus::RectF bounds;
            if (gp::GdipMeasureString(graphics, text.data(), length, gpFont, &layout, format, &bounds, nullptr,
                                      nullptr) == Gdiplus::Ok) {
                rect.right = rect.left + static_cast<LONG>(bounds.Width) + 1;
                rect.bottom = rect.top + static_cast<LONG>(bounds.Height) + 1;
            }
        } else {
            gp::GdipDrawString(graphics, text.data(), length, gpFont, &layout, format, brush);
        }
    }
    if (format) gp::GdipDeleteStringFormat(format);
    if (generic) gp::GdipDeleteStringFormat(generic);
    if (brush) gp::GdipDeleteBrush(brush);
    if (gpFont) gp::GdipDeleteFont(gpFont);
    gp::GdipDeleteGraphics(graphics);
}

}  // namespace

void DrawTextIn(HDC hdc, IRenderResourcesUI* resources, RECT& rect, std::wstring_view text, DWORD argb,
                               int font, UINT style)
{
    if (!hdc || !resources || text.empty()) return;
    if (resources->IsBackgroundTransparent() || resources->UsesGdiplusText()) {
        DrawTextGdiplus(hdc, resources->FontInfoAt(font), rect, text, argb, style);
        return;
    }
    if (RetainedDc* retained = RetainedStateOf(hdc)) {
        DrawTextRetained(hdc, *retained, resources->FontInfoAt(font).hFont.get(), rect, text, ArgbToColorRef(argb),
                         style);
        return;
    }
    const int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(hdc, ArgbToColorRef(argb));
    {
        win32::SelectedObject selected(hdc, resources->FontInfoAt(font).hFont.get());
        const int length = static_cast<int>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
        ::DrawTextW(hdc, text.data(), length, &rect, style | DT_NOPREFIX);
    }
    ::SetTextColor(hdc, oldColour);
    ::SetBkMode(hdc, oldMode);
}

namespace {

// Measures the runs and draws them. Every allocation comes before the DC's
// colour and mode change, so running out of memory leaves the DC as it was.
void DrawFormattedRuns(HDC hdc, IRenderResourcesUI* resources, RECT& rect, std::wstring_view text, DWORD argb,
                       int font, UINT style)
{
    const std::vector<FormattedRun> runs = ParseFormattedText(text);

    // Styled variants of the fonts, made once per call.
    struct StyledFont {
        int index;
        bool bold, italic, underline;
        win32::UniqueFont font;
    };
    std::vector<StyledFont> styled;
    auto fontFor = [&](const FormattedRun& run) -> HFONT {
        const int index = run.font >= 0 ? run.font : font;
        const TFontInfo& base = resources->FontInfoAt(index);
        if (!run.bold && !run.italic && !run.underline) return base.hFont.get();
        for (const StyledFont& f : styled)
            if (f.index == index && f.bold == run.bold && f.italic == run.italic && f.underline == run.underline)
                return f.font.get();
        LOGFONTW lf = base.logFont;
        if (run.bold) lf.lfWeight = FW_BOLD;
        if (run.italic) lf.lfItalic = TRUE;
        if (run.underline) lf.lfUnderline = TRUE;
        styled.push_back({index, run.bold, run.italic, run.underline, win32::UniqueFont(::CreateFontIndirectW(&lf))});
        return styled.back().font.get() ? styled.back().font.get() : base.hFont.get();
    };

    struct Piece {
        const FormattedRun* run;
        HFONT font;
        SIZE size;
    };
    struct Line {
        std::size_t first, end;
        LONG width, height;
    };
    const LONG emptyLineHeight = resources->TextMetricsAt(font).tmHeight;
    std::vector<Piece> pieces;
    std::vector<Line> lines{{0, 0, 0, 0}};
    for (const FormattedRun& run : runs) {
        if (run.lineBreak) {
            if (lines.back().height == 0) lines.back().height = emptyLineHeight;
            lines.push_back({pieces.size(), pieces.size(), 0, 0});
            continue;
        }
        Piece piece{&run, fontFor(run), {0, 0}};
        win32::SelectedObject selected(hdc, piece.font);
        const int length = static_cast<int>(std::min<std::size_t>(run.text.size(), 0x7FFFFFFF));
        ::GetTextExtentPoint32W(hdc, run.text.data(), length, &piece.size);
        pieces.push_back(piece);
        Line& line = lines.back();
        line.end = pieces.size();
        line.width += piece.size.cx;
        line.height = std::max(line.height, piece.size.cy);
    }
    if (lines.back().height == 0) lines.back().height = emptyLineHeight;
    LONG width = 0, height = 0;
    for (const Line& line : lines) {
        width = std::max(width, line.width);
        height += line.height;
    }
    if (style & DT_CALCRECT) {
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
        return;
    }

    LONG y = rect.top;
    if (style & DT_VCENTER)
        y = rect.top + (rect.bottom - rect.top - height) / 2;
    else if (style & DT_BOTTOM)
        y = rect.bottom - height;
    const int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    const COLORREF oldColour = ::GetTextColor(hdc);
    for (const Line& line : lines) {
        LONG x = rect.left;
        if (style & DT_CENTER)
            x = rect.left + (rect.right - rect.left - line.width) / 2;
        else if (style & DT_RIGHT)
            x = rect.right - line.width;
        for (std::size_t k = line.first; k < line.end; ++k) {
            const Piece& piece = pieces[k];
            ::SetTextColor(hdc, ArgbToColorRef(piece.run->colour ? piece.run->colour : argb));
            win32::SelectedObject selected(hdc, piece.font);
            const int length = static_cast<int>(std::min<std::size_t>(piece.run->text.size(), 0x7FFFFFFF));
            // Pieces of one line share its bottom edge.
            ::ExtTextOutW(hdc, x, y + line.height - piece.size.cy, ETO_CLIPPED, &rect, piece.run->text.data(),
                          static_cast<UINT>(length), nullptr);
            x += piece.size.cx;
        }
        y += line.height;
    }
    ::SetTextColor(hdc, oldColour);
    ::SetBkMode(hdc, oldMode);
}

}  // namespace

void RetainTextStateIn(HDC hdc) noexcept
{
    // Full (never with the toolkit's few windows): the DC just gets its text
    // state back after each text.
    AddRetainedDc(hdc);
}

void ReleaseTextStateIn(HDC hdc) noexcept
{
    RetainedDc* state = hdc ? RetainedStateOf(hdc) : nullptr;
    if (!state) return;
    if (state->originalFont) ::SelectObject(hdc, state->originalFont);
    RemoveRetainedDc(hdc);
}

void DrawFormattedText(HDC hdc, IRenderResourcesUI* resources, RECT& rect, std::wstring_view text, DWORD argb,
                       int font, UINT style)
{
    if (!hdc || !resources || text.empty()) return;
    // Painting runs inside a window procedure: without memory for the runs
    // the text is not drawn, and nothing is thrown.
    try {
        DrawFormattedRuns(hdc, resources, rect, text, argb, font, style);
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace SkinUI
