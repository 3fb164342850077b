#include "toolkit/render/DrawMemo.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace SkinUI {
namespace {

std::size_t AreaPixels(const SkinRect& area)
{
    return static_cast<std::size_t>(area.right - area.left) * static_cast<std::size_t>(area.bottom - area.top);
}

bool InsideSurface(const PixelBuffer& surface, const SkinRect& area)
{
    const int rowLength = surface.stride < 0 ? -surface.stride : surface.stride;
    return surface.pixels && area.left >= 0 && area.top >= 0 && area.right <= surface.width &&
           area.bottom <= surface.height && area.left < area.right && area.top < area.bottom &&
           rowLength >= surface.width;
}

// Rows may run upwards in memory (a bottom-up DIB): the stride is signed.
std::uint32_t* Row(const PixelBuffer& surface, const SkinRect& area, int y)
{
    return surface.pixels + static_cast<std::ptrdiff_t>(y) * surface.stride + area.left;
}

void CopyOut(const PixelBuffer& surface, const SkinRect& area, std::vector<std::uint32_t>& to)
{
    const std::size_t width = static_cast<std::size_t>(area.right - area.left);
    to.resize(AreaPixels(area));
    for (int y = area.top; y < area.bottom; ++y)
        std::memcpy(&to[static_cast<std::size_t>(y - area.top) * width], Row(surface, area, y), width * 4);
}

bool SameAs(const PixelBuffer& surface, const SkinRect& area, const std::vector<std::uint32_t>& kept)
{
    const std::size_t width = static_cast<std::size_t>(area.right - area.left);
    if (kept.size() != AreaPixels(area)) return false;
    for (int y = area.top; y < area.bottom; ++y)
        if (std::memcmp(&kept[static_cast<std::size_t>(y - area.top) * width], Row(surface, area, y), width * 4) != 0)
            return false;
    return true;
}

void CopyIn(const PixelBuffer& surface, const SkinRect& area, const std::vector<std::uint32_t>& from)
{
    const std::size_t width = static_cast<std::size_t>(area.right - area.left);
    for (int y = area.top; y < area.bottom; ++y)
        std::memcpy(Row(surface, area, y), &from[static_cast<std::size_t>(y - area.top) * width], width * 4);
}

}  // namespace

void CDrawMemo::AppendToKey(std::wstring& key, const void* bytes, std::size_t count)
{
    const std::size_t start = key.size();
    key.resize(start + (count + sizeof(wchar_t) - 1) / sizeof(wchar_t), L'\0');
    std::memcpy(&key[start], bytes, count);
}

CDrawMemo::Entry* CDrawMemo::Find(std::uint64_t slot)
{
    for (Entry& entry : m_entries)
        if (entry.slot == slot) return &entry;
    return nullptr;
}

namespace {

bool SameArea(const SkinRect& a, const SkinRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

std::size_t CDrawMemo::KeptPixels() const
{
    std::size_t pixels = 0;
    for (const Entry& entry : m_entries) pixels += AreaPixels(entry.area);
    return pixels;
}

bool CDrawMemo::Replay(const PixelBuffer& surface, const SkinRect& area, std::uint64_t slot, const std::wstring& key)
{
    m_pending = nullptr;
    if (!InsideSurface(surface, area)) return false;
    Entry* entry = Find(slot);
    if (!entry || !SameArea(entry->area, area) || entry->key != key || entry->left.size() != AreaPixels(area) ||
        !SameAs(surface, area, entry->found))
        return false;
    CopyIn(surface, area, entry->left);
    entry->lastUse = ++m_clock;
    return true;
}

void CDrawMemo::Before(const PixelBuffer& surface, const SkinRect& area, std::uint64_t slot, const std::wstring& key)
{
    m_pending = nullptr;
    const std::size_t pixels = AreaPixels(area);
    if (!InsideSurface(surface, area) || pixels > kMaxPixels) return;
    try {
        // The slot's last drawing makes way for this one (its buffers are
        // used again); room for a new slot or a larger area comes from the
        // least recently used others.
        Entry* entry = Find(slot);
        const auto othersOver = [&] {
            const std::size_t kept = KeptPixels() - (entry ? AreaPixels(entry->area) : 0);
            return (!entry && m_entries.size() >= kMaxEntries) || kept + pixels > kMaxPixels;
        };
        while (othersOver()) {
            auto oldest = m_entries.end();
            for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
                if (&*it != entry && (oldest == m_entries.end() || it->lastUse < oldest->lastUse)) oldest = it;
            if (oldest == m_entries.end()) break;
            const std::uint64_t kept = entry ? entry->slot : 0;
            const bool hadEntry = entry != nullptr;
            m_entries.erase(oldest);
            entry = hadEntry ? Find(kept) : nullptr;  // the vector moved
        }
        if (!entry) {
            m_entries.emplace_back();
            entry = &m_entries.back();
            entry->slot = slot;
        }
        entry->key = key;
        entry->area = area;
        entry->left.clear();  // not valid until After
        CopyOut(surface, area, entry->found);
        entry->lastUse = ++m_clock;
        m_pending = entry;
    } catch (const std::bad_alloc&) {
        // Nothing kept: the drawing just happens.
        m_entries.clear();
        m_pending = nullptr;
    }
}

void CDrawMemo::After(const PixelBuffer& surface)
{
    Entry* entry = m_pending;
    m_pending = nullptr;
    if (!entry || !InsideSurface(surface, entry->area)) return;
    try {
        CopyOut(surface, entry->area, entry->left);
    } catch (const std::bad_alloc&) {
        entry->left.clear();
    }
}

}  // namespace SkinUI
