#include "GameLoader/Common/Shortcut.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "base/Win32Handles.h"

using win32::ComPtr;

bool CreateShortcut(const std::wstring& linkPath, const std::wstring& target, const std::wstring& iconPath)
{
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void())))
        return false;

    std::wstring workingDir = target;
    std::size_t cut = target.rfind(L'\\');
    if (cut == std::wstring::npos) cut = target.rfind(L'/');
    if (cut != std::wstring::npos) workingDir.resize(cut);

    link->SetPath(target.c_str());
    link->SetArguments(L"");
    link->SetIconLocation(iconPath.c_str(), 0);
    link->SetWorkingDirectory(workingDir.c_str());

    ComPtr<IPersistFile> file;
    if (FAILED(link.As(IID_IPersistFile, file))) return false;
    return SUCCEEDED(file->Save(linkPath.c_str(), FALSE));
}
