#include "tests/support/TestAllocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_allocations{0};
std::atomic<long> g_inUse{0};
std::atomic<bool> g_fail{false};

void* Allocate(std::size_t size) noexcept
{
    ++g_allocations;
    if (g_fail) return nullptr;
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p) ++g_inUse;
    return p;
}

void Free(void* p) noexcept
{
    if (!p) return;
    --g_inUse;
    std::free(p);
}
}  // namespace

void* operator new(std::size_t size)
{
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void operator delete(void* p) noexcept
{
    Free(p);
}
void operator delete[](void* p) noexcept
{
    Free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    Free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    Free(p);
}

namespace testsupport {

long HeapAllocationCount()
{
    return g_allocations.load();
}

long HeapBlocksInUse()
{
    return g_inUse.load();
}

OutOfMemory::OutOfMemory()
{
    g_fail = true;
}

OutOfMemory::~OutOfMemory()
{
    g_fail = false;
}

}  // namespace testsupport
