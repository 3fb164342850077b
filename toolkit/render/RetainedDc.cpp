#include "toolkit/render/RetainedDc.h"

#include <new>

#include "toolkit/render/DibSection.h"

namespace SkinUI {
namespace {

constexpr std::size_t kMaxRetainedDcs = 8;
thread_local RetainedDc g_retained[kMaxRetainedDcs] = {};

// The pixels of a retained DC's bitmap, when it is a 32-bit DIB section.
// Looked up once: a retained DC keeps its bitmap until it is released.
const PixelBuffer* PixelsOf(RetainedDc& state)
{
    if (!state.pixelsLooked) {
        state.pixelsLooked = true;
        if (!SelectedDibPixels(state.dc, state.pixels)) state.pixels = PixelBuffer();
    }
    return state.pixels.pixels ? &state.pixels : nullptr;
}

}  // namespace

RetainedDc* RetainedStateOf(HDC hdc) noexcept
{
    for (RetainedDc& entry : g_retained)
        if (entry.dc == hdc) return &entry;
    return nullptr;
}

bool AddRetainedDc(HDC hdc) noexcept
{
    if (!hdc) return false;
    if (RetainedStateOf(hdc)) return true;
    RetainedDc* free = RetainedStateOf(nullptr);
    if (!free) return false;
    *free = RetainedDc();
    free->dc = hdc;
    return true;
}

void RemoveRetainedDc(HDC hdc) noexcept
{
    RetainedDc* state = hdc ? RetainedStateOf(hdc) : nullptr;
    if (!state) return;
    delete state->memo;
    *state = RetainedDc();
}

void ForgetKeptDrawings(HDC hdc) noexcept
{
    RetainedDc* state = hdc ? RetainedStateOf(hdc) : nullptr;
    if (!state) return;
    delete state->memo;
    state->memo = nullptr;
}

CKeptDrawing::CKeptDrawing(HDC hdc, const RECT& area)
{
    RetainedDc* state = hdc ? RetainedStateOf(hdc) : nullptr;
    const PixelBuffer* pixels = state ? PixelsOf(*state) : nullptr;
    if (!pixels) return;
    // Nothing is written outside the bitmap: only its part of the area counts.
    const RECT bounds = {0, 0, pixels->width, pixels->height};
    RECT inside{}, clip{};
    if (!::IntersectRect(&inside, &area, &bounds)) return;
    if (::GetClipBox(hdc, &clip) != SIMPLEREGION || !::IntersectRect(&clip, &clip, &inside) ||
        !::EqualRect(&clip, &inside))
        return;
    if (!state->memo) state->memo = new (std::nothrow) CDrawMemo;
    m_memo = state->memo;
    m_pixels = pixels;
    m_area = {inside.left, inside.top, inside.right, inside.bottom};
}

bool CKeptDrawing::Replay(std::uint64_t slot, const std::wstring& key)
{
    if (!m_memo) return false;
    ::GdiFlush();  // what was drawn before is in the pixels
    if (m_memo->Replay(*m_pixels, m_area, slot, key)) return true;
    m_memo->Before(*m_pixels, m_area, slot, key);
    m_before = true;
    return false;
}

void CKeptDrawing::Drawn()
{
    if (!m_before) return;
    m_before = false;
    ::GdiFlush();
    m_memo->After(*m_pixels);
}

}  // namespace SkinUI
