#include "GameLoader/GameLoader/LaunchCommandJson.h"

#include "GameLoader/Common/TextConvert.h"
#include "GameLoader/GameLoader/LaunchParamsReader.h"
#include "GameLoader/GameLoader/PlatformSettings.h"
#include "log/Logger.h"

bool ParseLaunchCommandJson(const std::wstring& cmdJson, LaunchParams& params, const std::wstring& settingFilePath,
                            const OperationLog& log)
{
    if (cmdJson.empty()) {
        log(LOG_LEVEL_INFO, L"m_strCmdJson is empty");
        return false;
    }
    log(LOG_LEVEL_INFO, L"m_strCmdJson is:" + cmdJson);
    LaunchJsonResult result = LaunchJsonResult::Interrupted;
    try {
        const LaunchJsonCallbacks callbacks{
            [](const std::string& ansi) { return AnsiToWide(ansi); },
            [&settingFilePath](const std::wstring& winid) { WriteSettingWindowId(winid, settingFilePath); }};
        result = ReadLaunchParams(WideToMultiByte(cmdJson, CP_ACP), callbacks, params);
    } catch (...) {
        // Counts as read: the launcher goes on with the fields taken so far.
    }
    if (result == LaunchJsonResult::NotJson) {
        log(LOG_LEVEL_ERROR, L"reader.parse:" + cmdJson + L" false");
        return false;
    }
    return true;
}
