#include "toolkit/render/BitmapSourceDc.h"

namespace SkinUI {
namespace {

// The kept DCs of this thread, found by bitmap. A fixed table: painting
// allocates nothing here; when it is full a bitmap is simply not kept.
struct KeptDc {
    HBITMAP bitmap;
    HDC dc;
};
constexpr int kMaxKeptDcs = 64;

struct KeptDcTable {
    KeptDc entries[kMaxKeptDcs];
    int count = 0;

    void Remove(int index)
    {
        entries[index] = entries[--count];
    }
};

KeptDcTable& Table()
{
    thread_local KeptDcTable table;
    return table;
}

}  // namespace

CBitmapSourceDc::~CBitmapSourceDc()
{
    if (!m_dc) return;
    KeptDcTable& table = Table();
    for (int i = 0; i < table.count; ++i)
        if (table.entries[i].dc == m_dc.get()) {
            table.Remove(i);
            break;
        }
}

HDC CBitmapSourceDc::For(HBITMAP bitmap) noexcept
{
    if (m_dc && m_bitmap == bitmap) return m_dc.get();
    if (m_dc || m_failed || !bitmap) return nullptr;  // kept for another bitmap, or could not be made
    KeptDcTable& table = Table();
    if (table.count == kMaxKeptDcs || FindBitmapSourceDc(bitmap)) {
        m_failed = true;
        return nullptr;
    }
    win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc || !::SelectObject(dc.get(), bitmap)) {
        m_failed = true;
        return nullptr;
    }
    m_dc = std::move(dc);
    m_bitmap = bitmap;
    table.entries[table.count++] = {bitmap, m_dc.get()};
    return m_dc.get();
}

HDC FindBitmapSourceDc(HBITMAP bitmap) noexcept
{
    KeptDcTable& table = Table();
    for (int i = 0; i < table.count; ++i) {
        if (table.entries[i].bitmap != bitmap) continue;
        // A DC kept by an owner that went away on another thread is stale.
        if (::GetCurrentObject(table.entries[i].dc, OBJ_BITMAP) == bitmap) return table.entries[i].dc;
        table.Remove(i);
        return nullptr;
    }
    return nullptr;
}

}  // namespace SkinUI
