// The boundary of the hosts' COM methods: the browser, the page and hosted
// controls call them from their own code, often inside nested loops.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

#include "base/NoThrowBoundary.h"
#include "base/Win32Handles.h"
#include "toolkit/window/DispatchFrame.h"

namespace SkinUI {

// Runs a COM method's body inside a dispatch frame (a window destroyed
// meanwhile is released once the call has returned), keeps the called
// object alive for the call (a callback may drop the references held
// elsewhere) and answers a failure instead of letting an exception out.
template <typename Body>
HRESULT GuardedHostCall(IUnknown* self, Body&& body) noexcept
{
    CDispatchFrame frame;  // ends last: its releases may delete what the body used
    const win32::ComPtr<IUnknown> keepAlive(self);
    return win32::ComCallWithoutThrowing(std::forward<Body>(body));
}

}  // namespace SkinUI
