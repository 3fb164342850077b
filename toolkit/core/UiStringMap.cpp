#include "toolkit/core/UiStringMap.h"

#include <cstdint>

namespace SkinUI {

CUiStringMap::CUiStringMap(int buckets) : m_bucketCount(buckets > 0 ? buckets : 1)
{
    m_buckets = new Entry*[m_bucketCount]();
}

CUiStringMap::~CUiStringMap()
{
    RemoveAll();
    delete[] m_buckets;
}

int CUiStringMap::BucketOf(std::wstring_view key) const noexcept
{
    std::uint32_t hash = 2166136261u;  // FNV-1a over the UTF-16 units
    for (wchar_t c : key) {
        hash ^= static_cast<std::uint16_t>(c);
        hash *= 16777619u;
    }
    return static_cast<int>(hash % static_cast<std::uint32_t>(m_bucketCount));
}

CUiStringMap::Entry* CUiStringMap::FindEntry(std::wstring_view key) noexcept
{
    const int b = BucketOf(key);
    Entry* previous = nullptr;
    for (Entry* e = m_buckets[b]; e; previous = e, e = e->next) {
        if (e->key.View() != key) continue;
        if (previous) {
            previous->next = e->next;
            e->next = m_buckets[b];
            m_buckets[b] = e;
        }
        return e;
    }
    return nullptr;
}

void* CUiStringMap::Find(std::wstring_view key) noexcept
{
    Entry* e = FindEntry(key);
    return e ? e->value : nullptr;
}

bool CUiStringMap::Insert(std::wstring_view key, void* value)
{
    if (FindEntry(key)) return false;
    const int b = BucketOf(key);
    m_buckets[b] = new Entry{CUiString(key), value, m_buckets[b]};
    ++m_count;
    return true;
}

void* CUiStringMap::Set(std::wstring_view key, void* value)
{
    if (Entry* e = FindEntry(key)) {
        void* old = e->value;
        e->value = value;
        return old;
    }
    Insert(key, value);
    return nullptr;
}

bool CUiStringMap::Remove(std::wstring_view key) noexcept
{
    const int b = BucketOf(key);
    for (Entry** link = &m_buckets[b]; *link; link = &(*link)->next) {
        Entry* e = *link;
        if (e->key.View() != key) continue;
        *link = e->next;
        delete e;
        --m_count;
        return true;
    }
    return false;
}

void CUiStringMap::RemoveAll() noexcept
{
    for (int b = 0; b < m_bucketCount; ++b) {
        Entry* e = m_buckets[b];
        while (e) {
            Entry* next = e->next;
            delete e;
            e = next;
        }
        m_buckets[b] = nullptr;
    }
    m_count = 0;
}

}  // namespace SkinUI
