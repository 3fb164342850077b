// Process entry of vrk_main.exe.
#include <windows.h>

#include <string>

#include "GameLoader/Common/Folders.h"
#include "GameLoader/Common/TextConvert.h"
#include "GameLoader/GameLoader/CommandLine.h"
#include "log/Logger.h"

HINSTANCE g_hInstance = nullptr;

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    g_hInstance = hInstance;

    std::wstring dataDir = GetLocalAppDataDir() + L"\\Qixel";
    ::CreateDirectoryW(dataDir.c_str(), nullptr);
    std::wstring logDir = dataDir + L"\\Log";
    ::CreateDirectoryW(logDir.c_str(), nullptr);
    if (logDir.back() != L'\\' && logDir.back() != L'/') logDir += L'\\';

    Logger::initializePathDir(WideToMultiByte(logDir, CP_ACP));
    LOG_W(LOG_LEVEL_INFO, L"Logger::initializePathDir:" << logDir);

    std::wstring cmdJson;
    if (!ParseCmdParam(cmdJson)) {
        LOG_W(LOG_LEVEL_ERROR, L"ParseCmdParam false");
        return 0;
    }
    return 0;
}
