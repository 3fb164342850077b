// A growable array of pointers (children, listeners, timers, queued objects).
// Indexes are ints, as the containers report -1 for "not found".
#pragma once

namespace SkinUI {

class CUiPtrArray {
public:
    explicit CUiPtrArray(int preallocate = 0);
    CUiPtrArray(const CUiPtrArray& other);
    CUiPtrArray& operator=(const CUiPtrArray& other);
    ~CUiPtrArray();

    void Empty() noexcept;
    bool IsEmpty() const noexcept { return m_count == 0; }
    int Count() const noexcept { return m_count; }
    // The element, or none for an index outside the array.
    void* At(int index) const noexcept { return index >= 0 && index < m_count ? m_items[index] : nullptr; }
    void* operator[](int index) const noexcept { return At(index); }
    int Find(const void* item) const noexcept;

    bool Add(void* item);
    // An index equal to the count appends; outside 0..count fails.
    bool InsertAt(int index, void* item);
    bool SetAt(int index, void* item) noexcept;
    bool Remove(int index, int count = 1) noexcept;

private:
    void Grow(int needed);

    void** m_items = nullptr;
    int m_count = 0;
    int m_capacity = 0;
};

}  // namespace SkinUI
