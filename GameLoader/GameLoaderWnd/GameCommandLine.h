// The game client's command line, built from the launch parameters.
// Portable: no <windows.h>.
#pragma once

#include <string>

#include "GameLoader/GameLoader/LaunchParams.h"

// "--source=" always, then tokenLogin, token, qxext, gameMgrId (as
// "--winid="), typeMode, instGamePath and cacheGamePath when not empty.
// An argument whose value holds a space, a tab or a double quote is quoted
// by the Windows argument rules, so it reaches the game as one argument
// and a value cannot add arguments of its own; others go in as they are.
std::wstring BuildGameCommandLine(const LaunchParams& params);

// Appends one argument so that CommandLineToArgvW gives it back unchanged.
void AppendQuotedArgument(std::wstring& commandLine, const std::wstring& argument);
