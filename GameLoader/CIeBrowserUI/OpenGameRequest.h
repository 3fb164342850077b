// The heap string that WM_LAUNCHER_OPEN_GAME carries in its wParam: the
// page's whole request text in the ANSI code page. The bridge allocates it;
// the receiving window owns it from the moment the message is queued.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Gives the string away as a message parameter.
inline std::uintptr_t ReleaseOpenGameRequest(std::unique_ptr<std::string> request) noexcept
{
    return reinterpret_cast<std::uintptr_t>(request.release());
}

// Takes back a string given away by ReleaseOpenGameRequest: the receiver of
// the message, or the sender when the message could not be posted.
inline std::unique_ptr<std::string> AdoptOpenGameRequest(std::uintptr_t wParam) noexcept
{
    return std::unique_ptr<std::string>(reinterpret_cast<std::string*>(wParam));
}
