#include "tests/support/ResourceCounts.h"

#include <windows.h>

namespace testsupport {
namespace {

// Wine takes a GDI handle by its table index alone (high word 0).
long ProbeGdiObjects()
{
    long count = 0;
    for (UINT_PTR index = 1; index < 0x10000; ++index) {
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
    }
    return count;
}

// USER handles are 0x20 + 2 * index (generation 0 matches any): this
// process's windows, menus, icons and cursors, accelerator tables.
long ProbeUserObjects()
{
    const DWORD self = ::GetCurrentProcessId();
    long count = 0;
    for (UINT_PTR value = 0x20; value < 0x10000; value += 2) {
        const auto window = reinterpret_cast<HWND>(value);
        if (::IsWindow(window)) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == self) ++count;
            continue;
        }
        if (::IsMenu(reinterpret_cast<HMENU>(value))) {
            ++count;
            continue;
        }
        if (::CopyAcceleratorTableW(reinterpret_cast<HACCEL>(value), nullptr, 0) > 0) {
            ++count;
            continue;
        }
        ICONINFO icon{};
        if (::GetIconInfo(reinterpret_cast<HICON>(value), &icon)) {
            ++count;
            if (icon.hbmMask) ::DeleteObject(icon.hbmMask);
            if (icon.hbmColor) ::DeleteObject(icon.hbmColor);
        }
    }
    return count;
}

long ProbeKernelHandles()
{
    long count = 0;
    for (UINT_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

}  // namespace

ResourceCounts CountResources()
{
    ResourceCounts counts;
    const HANDLE self = ::GetCurrentProcess();
    counts.gdi = static_cast<long>(::GetGuiResources(self, GR_GDIOBJECTS));
    if (counts.gdi == 0) counts.gdi = ProbeGdiObjects();
    counts.user = static_cast<long>(::GetGuiResources(self, GR_USEROBJECTS));
    if (counts.user == 0) counts.user = ProbeUserObjects();
    DWORD handles = 0;
    if (::GetProcessHandleCount(self, &handles) && handles > 0) {
        counts.handles = static_cast<long>(handles);
    } else {
        counts.handles = ProbeKernelHandles();
    }
    return counts;
}

std::string Describe(const ResourceCounts& counts)
{
    return "GDI " + std::to_string(counts.gdi) + ", USER " + std::to_string(counts.user) + ", handles " +
           std::to_string(counts.handles);
}

}  // namespace testsupport
