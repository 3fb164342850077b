// The game-exit check of start-up and the notice that tells the platform
// window that the game has exited.
#pragma once

#include <windows.h>

#include <string>

// True when cmdJson is the game-exit command: the notice has then been sent
// to the platform window recorded in the settings file, when one is
// recorded together with a login source. Start-up ends on true.
bool IsGameExit(const std::wstring& cmdJson);
bool IsGameExit(const std::wstring& cmdJson, const std::wstring& settingFilePath);

// Sends WM_COPYDATA with dwData 1 and the 528-byte record to a window that
// exists (never HWND_BROADCAST). Waits while the window handles it, without
// handling messages sent to this thread meanwhile, and gives up on a window
// that stopped answering.
void SendGameExitNotice(HWND platformWindow);

// How long a platform window that does not answer may hold the launcher.
inline constexpr UINT kGameExitNoticeTimeoutMs = 5000;
