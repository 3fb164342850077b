// What a process holds of the system's objects: GDI objects, USER objects
// and kernel handles, for checks that a long run leaves them flat.
#pragma once

#include <string>

namespace testsupport {

struct ResourceCounts {
    long gdi = 0;
    long user = 0;
    long handles = 0;
};

// This process's counts. GetGuiResources and GetProcessHandleCount are
// used where they work; under Wine they are stubs that report 0, so the
// counts come from probing every handle value of each table instead.
ResourceCounts CountResources();

std::string Describe(const ResourceCounts& counts);

}  // namespace testsupport
