// Runs a program out of memory on demand: FailingAllocator.cpp replaces the
// global operator new, and while failure is armed every allocation fails
// (std::bad_alloc, or null from the nothrow forms). It goes among the
// program's own sources.
#pragma once

namespace skintest {

// Arms allocation failure for one scope.
class OutOfMemory {
public:
    OutOfMemory();
    ~OutOfMemory();
    OutOfMemory(const OutOfMemory&) = delete;
    OutOfMemory& operator=(const OutOfMemory&) = delete;
};

}  // namespace skintest
