// A hash map from wide string to pointer with a fixed number of buckets.
// A hit moves its entry to the front of its bucket, so the names looked up
// most (controls found by name on every progress report) stay cheap.
#pragma once

#include <string_view>

#include "toolkit/core/UiString.h"

namespace SkinUI {

class CUiStringMap {
public:
    explicit CUiStringMap(int buckets = 83);
    CUiStringMap(const CUiStringMap&) = delete;
    CUiStringMap& operator=(const CUiStringMap&) = delete;
    ~CUiStringMap();

    // The value stored under the key, or none.
    void* Find(std::wstring_view key) noexcept;
    bool Contains(std::wstring_view key) noexcept { return FindEntry(key) != nullptr; }
    // Adds a key that is not present yet; false (and nothing changes) when it is.
    bool Insert(std::wstring_view key, void* value);
    // Adds or replaces; returns the value replaced (none for a new key).
    void* Set(std::wstring_view key, void* value);
    bool Remove(std::wstring_view key) noexcept;
    void RemoveAll() noexcept;
    int Count() const noexcept { return m_count; }

    // Visits every entry: visit(std::wstring_view key, void* value).
    template <typename Visit>
    void ForEach(Visit&& visit) const
    {
        for (int b = 0; b < m_bucketCount; ++b)
            for (const Entry* e = m_buckets[b]; e; e = e->next) visit(e->key.View(), e->value);
    }

private:
    struct Entry {
        CUiString key;
        void* value;
        Entry* next;
    };
    int BucketOf(std::wstring_view key) const noexcept;
    Entry* FindEntry(std::wstring_view key) noexcept;

    Entry** m_buckets;
    int m_bucketCount;
    int m_count = 0;
};

}  // namespace SkinUI
