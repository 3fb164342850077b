#include "GameLoader/GameLoaderWnd/GameExePath.h"

#include "GameLoader/Common/Folders.h"
#include "GameLoader/GameLoader/UninstallEntry.h"

std::wstring GameExePathFor(const std::wstring& gameCode)
{
    std::wstring folder = GetGameInstallDir(gameCode);  // ends with a backslash
    if (folder.empty()) folder = GetModuleDir() + L"\\";
    return folder + gameCode + L".exe";
}
