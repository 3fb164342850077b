#include "toolkit/core/UiPtrArray.h"

#include <algorithm>
#include <cstring>

namespace SkinUI {

CUiPtrArray::CUiPtrArray(int preallocate)
{
    if (preallocate > 0) Grow(preallocate);
}

CUiPtrArray::CUiPtrArray(const CUiPtrArray& other)
{
    *this = other;
}

CUiPtrArray& CUiPtrArray::operator=(const CUiPtrArray& other)
{
    if (this == &other) return *this;
    m_count = 0;
    Grow(other.m_count);
    if (other.m_count > 0) std::memcpy(m_items, other.m_items, sizeof(void*) * other.m_count);
    m_count = other.m_count;
    return *this;
}

CUiPtrArray::~CUiPtrArray()
{
    delete[] m_items;
}

void CUiPtrArray::Empty() noexcept
{
    m_count = 0;
}

void CUiPtrArray::Grow(int needed)
{
    if (needed <= m_capacity) return;
    const int capacity = std::max(needed, m_capacity < 8 ? 11 : m_capacity * 2);
    void** items = new void*[capacity];
    if (m_count > 0) std::memcpy(items, m_items, sizeof(void*) * m_count);
    delete[] m_items;
    m_items = items;
    m_capacity = capacity;
}

int CUiPtrArray::Find(const void* item) const noexcept
{
    for (int i = 0; i < m_count; ++i)
        if (m_items[i] == item) return i;
    return -1;
}

bool CUiPtrArray::Add(void* item)
{
    Grow(m_count + 1);
    m_items[m_count++] = item;
    return true;
}

bool CUiPtrArray::InsertAt(int index, void* item)
{
    if (index < 0 || index > m_count) return false;
    Grow(m_count + 1);
    std::memmove(m_items + index + 1, m_items + index, sizeof(void*) * (m_count - index));
    m_items[index] = item;
    ++m_count;
    return true;
}

bool CUiPtrArray::SetAt(int index, void* item) noexcept
{
    if (index < 0 || index >= m_count) return false;
    m_items[index] = item;
    return true;
}

bool CUiPtrArray::Remove(int index, int count) noexcept
{
    if (index < 0 || count <= 0 || index >= m_count || count > m_count - index) return false;
    std::memmove(m_items + index, m_items + index + count, sizeof(void*) * (m_count - index - count));
    m_count -= count;
    return true;
}

}  // namespace SkinUI
