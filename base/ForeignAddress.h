// Reading through an address that arrived in a message. A message's lParam
// is a pointer only when the system sent it; the same message number can
// be posted or sent by any process with any number in it. What such a
// number points at is copied with the kernel's checked copy, so an address
// that is not readable is a failed read, not a fault.
#pragma once

#include <windows.h>

#include <type_traits>

namespace win32 {

template <typename T>
bool ReadForeignAddress(LPARAM address, T& out) noexcept
{
    static_assert(std::is_trivially_copyable_v<T>, "copied as bytes");
    if (address == 0) return false;
    T copy{};
    SIZE_T read = 0;
    if (!::ReadProcessMemory(::GetCurrentProcess(), reinterpret_cast<const void*>(address), &copy, sizeof(T), &read) ||
        read != sizeof(T))
        return false;
    out = copy;
    return true;
}

}  // namespace win32
