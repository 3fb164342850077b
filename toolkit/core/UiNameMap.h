// A hash map from wide string to a typed value, with a fixed number of
// buckets. The map owns its values: a value that is a std::unique_ptr owns
// what it points at, so nothing stored here is deleted by hand. A hit moves
// its entry to the front of its bucket, so the names looked up most stay
// cheap. Lookups take a string_view and allocate nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/core/UiString.h"

namespace SkinUI {

template <typename Value>
class CUiNameMap {
public:
    explicit CUiNameMap(int buckets = 83) : m_buckets(static_cast<std::size_t>(buckets > 0 ? buckets : 1)) {}
    CUiNameMap(const CUiNameMap&) = delete;
    CUiNameMap& operator=(const CUiNameMap&) = delete;
    ~CUiNameMap() { Clear(); }

    // The value stored under the key, or none.
    Value* Find(std::wstring_view key) noexcept
    {
        Entry* e = FindEntry(key);
        return e ? &e->value : nullptr;
    }
    bool Contains(std::wstring_view key) noexcept { return FindEntry(key) != nullptr; }

    // Adds a key that is not present yet: false, and nothing changes, when
    // it is. Only allocation throws (std::bad_alloc), and then the map is as
    // before; the value goes with the argument.
    bool Insert(std::wstring_view key, Value value)
    {
        if (FindEntry(key)) return false;
        Link(key, std::move(value));
        return true;
    }
    // Adds or replaces; the same guarantee as Insert.
    void Set(std::wstring_view key, Value value)
    {
        if (Entry* e = FindEntry(key)) {
            e->value = std::move(value);
            return;
        }
        Link(key, std::move(value));
    }
    bool Remove(std::wstring_view key) noexcept
    {
        std::unique_ptr<Entry>* link = &m_buckets[BucketOf(key)];
        for (; *link; link = &(*link)->next) {
            if ((*link)->key.View() != key) continue;
            std::unique_ptr<Entry> removed = std::move(*link);
            *link = std::move(removed->next);
            --m_count;
            return true;
        }
        return false;
    }
    void Clear() noexcept
    {
        // Unlinked one by one: a long chain never recurses.
        for (std::unique_ptr<Entry>& head : m_buckets)
            while (head) head = std::move(head->next);
        m_count = 0;
    }
    int Count() const noexcept { return m_count; }

    // Visits every entry: visit(std::wstring_view key, const Value& value).
    template <typename Visit>
    void ForEach(Visit&& visit) const
    {
        for (const std::unique_ptr<Entry>& head : m_buckets)
            for (const Entry* e = head.get(); e; e = e->next.get()) visit(e->key.View(), e->value);
    }

private:
    struct Entry {
        CUiString key;
        Value value;
        std::unique_ptr<Entry> next;
    };

    std::size_t BucketOf(std::wstring_view key) const noexcept
    {
        std::uint32_t hash = 2166136261u;  // FNV-1a over the UTF-16 units
        for (wchar_t c : key) {
            hash ^= static_cast<std::uint16_t>(c);
            hash *= 16777619u;
        }
        return static_cast<std::size_t>(hash % m_buckets.size());
    }

    Entry* FindEntry(std::wstring_view key) noexcept
    {
        std::unique_ptr<Entry>& head = m_buckets[BucketOf(key)];
        for (std::unique_ptr<Entry>* link = &head; *link; link = &(*link)->next) {
            if ((*link)->key.View() != key) continue;
            if (link != &head) {
                // Unhook the hit and put it in front of the chain.
                std::unique_ptr<Entry> hit = std::move(*link);
                *link = std::move(hit->next);
                hit->next = std::move(head);
                head = std::move(hit);
            }
            return head.get();
        }
        return nullptr;
    }

    void Link(std::wstring_view key, Value&& value)
    {
        // Allocated whole before anything is linked.
        auto entry = std::make_unique<Entry>(Entry{CUiString(key), std::move(value), nullptr});
        std::unique_ptr<Entry>& head = m_buckets[BucketOf(key)];
        entry->next = std::move(head);
        head = std::move(entry);
        ++m_count;
    }

    std::vector<std::unique_ptr<Entry>> m_buckets;
    int m_count = 0;
};

}  // namespace SkinUI
