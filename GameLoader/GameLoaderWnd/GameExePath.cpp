#include "GameLoader/GameLoaderWnd/GameExePath.h"

#include "GameLoader/Common/AbsoluteFolder.h"
#include "GameLoader/Common/Folders.h"
#include "GameLoader/GameLoader/UninstallEntry.h"

std::wstring GameExePathFor(const std::wstring& gameCode)
{
    std::wstring folder = GetGameInstallDir(gameCode);  // ends with a backslash
    // A DisplayIcon of "x", or a quoted one with its ",0", gives no folder
    // of its own: the game would be started from the current folder.
    if (!IsAbsoluteFolder(folder)) folder = GetModuleDir() + L"\\";
    return folder + gameCode + L".exe";
}
