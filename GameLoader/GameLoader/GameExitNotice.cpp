#include "GameLoader/GameLoader/GameExitNotice.h"

#include "GameLoader/Common/TextConvert.h"
#include "GameLoader/Common/WindowHandleText.h"
#include "GameLoader/GameLoader/GameExitCommand.h"
#include "GameLoader/GameLoader/PlatformSettings.h"
#include "log/Logger.h"

void SendGameExitNotice(HWND platformWindow)
{
    // A handle that names no window (0, a stale handle, or a garbage value
    // such as HWND_BROADCAST) must not reach other programs' windows.
    if (platformWindow == HWND_BROADCAST || !::IsWindow(platformWindow)) return;
    GameExitNoticeRecord record = BuildGameExitNoticeRecord();
    COPYDATASTRUCT copyData{};
    copyData.dwData = kGameExitNoticeData;
    copyData.cbData = static_cast<DWORD>(record.size());
    copyData.lpData = record.data();
    DWORD_PTR ignored = 0;
    // A hung platform window must not keep the launcher alive for ever, and
    // no message another window sends us is handled while we wait: a window
    // closed or destroyed inside this call would pull the caller's state
    // from under it.
    ::SendMessageTimeoutW(platformWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copyData),
                          SMTO_BLOCK | SMTO_ABORTIFHUNG, kGameExitNoticeTimeoutMs, &ignored);
}

bool IsGameExit(const std::wstring& cmdJson)
{
    return IsGameExit(cmdJson, GetSettingFilePath());
}

bool IsGameExit(const std::wstring& cmdJson, const std::wstring& settingFilePath)
{
    try {
        const std::string ansi = WideToMultiByte(cmdJson, CP_ACP);
        LOG_W(LOG_LEVEL_INFO, L"IsGameExit:" << cmdJson);
        const GameExitRecognition command = RecognizeGameExitCommand(ansi);
        if (command.parse == GameExitParse::Failed) return false;
        if (command.parse == GameExitParse::NotJson) {
            LOG_W(LOG_LEVEL_ERROR, L"reader.parse:" << cmdJson << L" false");
            if (!command.literal) return false;
            LOG_W(LOG_LEVEL_ERROR, L"get type:1");
        }
        if (command.type != 1) return false;
    } catch (...) {
        return false;
    }

    try {
        LOG_W(LOG_LEVEL_INFO, L"game exit notify:" << cmdJson);
        // The file is read once for both values.
        const PlatformSettingValues settings = ReadPlatformSettings(settingFilePath);
        if (!settings.loginSourceFound || settings.loginSource.empty()) return true;
        if (!settings.windowIdFound) {
            LOG_W(LOG_LEVEL_INFO, L"Qixel wnd not get");
            return true;
        }
        LOG_W(LOG_LEVEL_INFO, L"Qixel wnd get");
        SendGameExitNotice(WindowFromDecimalText(settings.windowId));
    } catch (...) {
        // Still the game-exit command: start-up must end.
    }
    return true;
}
