// Reading through an address that arrived in a message. A message's lParam
// is a pointer only when the system sent it; the same message number can
// be posted or sent by any process with any number in it. Such an address
// is read only when every page it spans is committed and readable, and then
// with the kernel's checked copy: an address that is not readable is a
// failed read, not a fault. (The page check is what holds under Wine, whose
// copy of its own process ignores page protection.)
#pragma once

#include <windows.h>

#include <cstdint>
#include <type_traits>

namespace win32 {

// Whether every byte of [address, address + size) lies in committed,
// readable pages.
inline bool IsReadableRange(std::uintptr_t address, std::size_t size) noexcept
{
    if (address == 0 || size == 0 || address + size < address) return false;
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    std::uintptr_t at = address;
    const std::uintptr_t end = address + size;
    while (at < end) {
        MEMORY_BASIC_INFORMATION region{};
        if (::VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof(region)) != sizeof(region)) return false;
        if (region.State != MEM_COMMIT || !(region.Protect & kReadable) ||
            (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)))
            return false;
        const std::uintptr_t regionEnd = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
        if (regionEnd <= at) return false;
        at = regionEnd;
    }
    return true;
}

template <typename T>
bool ReadForeignAddress(LPARAM address, T& out) noexcept
{
    static_assert(std::is_trivially_copyable_v<T>, "copied as bytes");
    const auto at = static_cast<std::uintptr_t>(address);
    if (!IsReadableRange(at, sizeof(T))) return false;
    T copy{};
    SIZE_T read = 0;
    if (!::ReadProcessMemory(::GetCurrentProcess(), reinterpret_cast<const void*>(at), &copy, sizeof(T), &read) ||
        read != sizeof(T))
        return false;
    out = copy;
    return true;
}

}  // namespace win32
