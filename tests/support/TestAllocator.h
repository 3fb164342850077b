// The heap of a test program: TestAllocator.cpp replaces the global operator
// new, counts every allocation and, while failure is armed, fails them all
// (std::bad_alloc, or null from the nothrow forms). It goes among the
// program's own sources, so that the replacement is linked whatever the
// program references.
#pragma once

namespace testsupport {

// Allocations through operator new since the program started, failed ones included.
long HeapAllocationCount();
// Blocks allocated through operator new and not deleted yet: equal before
// and after a piece of work that leaks nothing.
long HeapBlocksInUse();

// Arms allocation failure for one scope.
class OutOfMemory {
public:
    OutOfMemory();
    ~OutOfMemory();
    OutOfMemory(const OutOfMemory&) = delete;
    OutOfMemory& operator=(const OutOfMemory&) = delete;
};

}  // namespace testsupport
