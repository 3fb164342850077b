// Counts the heap allocations of a program: CountingAllocator.cpp replaces
// the global operator new. It goes among the program's own sources, so that
// the replacement is linked whatever the program references.
#pragma once

namespace testsupport {

// Allocations through operator new since the program started.
long HeapAllocationCount();

}  // namespace testsupport
