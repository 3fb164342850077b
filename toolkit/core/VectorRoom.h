// Room in a std::vector before a change: reserved first, so that the one
// allocation that can fail happens before anything else has changed, and
// the insertion after it cannot throw.
#pragma once

#include <cstddef>
#include <vector>

namespace SkinUI {

// Makes sure one more element fits without reallocation (growing the
// capacity geometrically). Throws std::bad_alloc, and then nothing changed.
template <typename T>
void ReserveOneMore(std::vector<T>& items)
{
    if (items.size() < items.capacity()) return;
    const std::size_t grown = items.capacity() < 4 ? 4 : items.capacity() * 2;
    items.reserve(grown);
}

}  // namespace SkinUI
