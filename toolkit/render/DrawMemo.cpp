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

CDrawMemo::Entry* CDrawMemo::Find(const std::wstring& key, const SkinRect& area)
{
    for (Entry& entry : m_entries)
        if (entry.area.left == area.left && entry.area.top == area.top && entry.area.right == area.right &&
            entry.area.bottom == area.bottom && entry.key == key)
            return &entry;
    return nullptr;
}

std::size_t CDrawMemo::KeptPixels() const
{
    std::size_t pixels = 0;
    for (const Entry& entry : m_entries) pixels += AreaPixels(entry.area);
    return pixels;
}

bool CDrawMemo::Replay(const PixelBuffer& surface, const SkinRect& area, const std::wstring& key)
{
    m_pending = nullptr;
    if (!InsideSurface(surface, area)) return false;
    Entry* entry = Find(key, area);
    if (!entry || entry->left.size() != AreaPixels(area) || !SameAs(surface, area, entry->found)) return false;
    CopyIn(surface, area, entry->left);
    entry->lastUse = ++m_clock;
    return true;
}

void CDrawMemo::Before(const PixelBuffer& surface, const SkinRect& area, const std::wstring& key)
{
    m_pending = nullptr;
    const std::size_t pixels = AreaPixels(area);
    if (!InsideSurface(surface, area) || pixels > kMaxPixels) return;
    try {
        Entry* entry = Find(key, area);
        if (!entry) {
            // Room first: the least recently used go.
            while (!m_entries.empty() &&
                   (m_entries.size() >= kMaxEntries || KeptPixels() + pixels > kMaxPixels)) {
                const auto oldest = std::min_element(m_entries.begin(), m_entries.end(),
                                                     [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
                m_entries.erase(oldest);
            }
            m_entries.emplace_back();
            entry = &m_entries.back();
            entry->key = key;
            entry->area = area;
        }
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
