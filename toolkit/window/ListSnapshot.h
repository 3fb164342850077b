// A copy of a short list of pointers, taken before a run whose steps may
// change the list (hooks and notify targets that remove themselves or
// others). Up to eight pointers live inside the object, so the usual run
// allocates nothing; a longer list goes to the heap, which may throw
// std::bad_alloc before anything ran.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace SkinUI {

template <typename T>
class CListSnapshot {
public:
    // `pick(item)` gives the pointer to keep of each item.
    template <typename Items, typename Pick>
    CListSnapshot(const Items& items, Pick pick)
    {
        const std::size_t count = items.size();
        T** out = m_inline.data();
        if (count > m_inline.size()) {
            m_heap.resize(count);
            out = m_heap.data();
        }
        for (const auto& item : items) out[m_count++] = pick(item);
        m_data = out;
    }
    CListSnapshot(const CListSnapshot&) = delete;
    CListSnapshot& operator=(const CListSnapshot&) = delete;

    T* const* begin() const noexcept { return m_data; }
    T* const* end() const noexcept { return m_data + m_count; }

private:
    std::array<T*, 8> m_inline{};
    std::vector<T*> m_heap;
    T** m_data = nullptr;
    std::size_t m_count = 0;
};

}  // namespace SkinUI
