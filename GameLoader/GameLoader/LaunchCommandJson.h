// The launch command text of the launcher window as LaunchParams, with the
// platform window id recorded for later game-exit notices.
#pragma once

#include <functional>
#include <string>

#include "GameLoader/GameLoader/LaunchParams.h"

// Writes one line of the caller's operation. The caller passes a lambda
// that calls LOG_W, so the lines carry the caller's own name:
//   [](unsigned level, const std::wstring& line) { LOG_W(level, line); }
using OperationLog = std::function<void(unsigned level, const std::wstring& line)>;

// False when cmdJson is empty or not JSON (no field changed); true when it
// was read, also when reading stopped early (the fields taken so far stay).
// A string member "winid" is written to the settings file as qxwindowid
// as soon as it is taken.
bool ParseLaunchCommandJson(const std::wstring& cmdJson, LaunchParams& params, const std::wstring& settingFilePath,
                            const OperationLog& log);
