// Which addresses a page may hand to the system's default browser. Free of
// <windows.h>.
#pragma once

#include <string_view>

// True only for an address whose scheme is http or https (any letter case):
// anything else handed to the shell could start a program or a scheme
// handler on the player's machine.
bool IsWebAddress(std::wstring_view address) noexcept;
