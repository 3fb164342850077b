// Which addresses a page may hand to the system's default browser, and in
// what form. Free of <windows.h>, so it runs natively under the sanitizers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The address as the shell gets it, or none. Only a well-formed http or
// https address (any letter case in the scheme) with a host passes:
// anything else handed to the shell could start a program or a scheme
// handler on the player's machine. In what follows the host, quotes, spaces
// and control characters are percent-encoded, so the address stays one
// argument on the browser's command line; a host holding any of them, or a
// backslash, is refused.
std::optional<std::wstring> ShellWebAddress(std::wstring_view address);
