// Conversions between the launcher's UTF-16 text and the narrow texts of
// the JSON and XML libraries, the log and the taskkill command line.
#pragma once

#include <windows.h>

#include <string>

// Narrow text in the ANSI code page to UTF-16.
std::wstring AnsiToWide(const std::string& text);

// UTF-16 to CP_ACP or CP_UTF8; unrepresentable characters become the code
// page's default replacement.
std::string WideToMultiByte(const std::wstring& text, UINT codePage);
