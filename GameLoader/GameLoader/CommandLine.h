// The process command line as the launch command text.
#pragma once

#include <string>

// Splits the process command line and makes the launch command text of it.
// False only when the command line cannot be split; cmdJson is then unchanged.
bool ParseCmdParam(std::wstring& cmdJson);

// The same for a given raw command line, split by the Windows rules.
bool ParseCmdParam(const wchar_t* commandLine, std::wstring& cmdJson);
