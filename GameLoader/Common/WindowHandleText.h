// Window handles travel between processes as decimal text.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>

// The wcstol rules: leading white space and a sign, digits up to the first
// other character, 0 without digits, saturated at the 32-bit limits (long
// is 32 bits on Windows). Handles are sign-extended on 64-bit Windows.
inline HWND WindowFromDecimalText(const std::wstring& text)
{
    const long value = std::wcstol(text.c_str(), nullptr, 10);
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(value));
}
