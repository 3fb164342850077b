#include "GameLoader/Common/Folders.h"

#include <windows.h>
#include <shlobj.h>

namespace {

std::wstring SpecialFolder(int id)
{
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, id, FALSE)) return {};
    return path;
}

}  // namespace

std::wstring GetModuleDir()
{
    wchar_t path[MAX_PATH] = {};
    if (::GetModuleFileNameW(nullptr, path, MAX_PATH) == 0) return {};
    std::wstring dir(path);
    const std::size_t slash = dir.rfind(L'\\');
    if (slash != std::wstring::npos) dir.resize(slash);
    return dir;
}

std::wstring GetDesktopDir()
{
    return SpecialFolder(CSIDL_DESKTOPDIRECTORY);
}

std::wstring GetProgramFilesX86Dir()
{
    return SpecialFolder(CSIDL_PROGRAM_FILESX86);
}

std::wstring GetLocalAppDataDir()
{
    // Asked for by start-up and by every settings access: looked up once
    // (a registry walk under Wine) and kept for the process.
    static const std::wstring dir = SpecialFolder(CSIDL_LOCAL_APPDATA);
    return dir;
}
