#include "GameLoader/GameLoaderWnd/InstallRegistration.h"

#include <windows.h>
#include <shlwapi.h>

#include "GameLoader/Common/Shortcut.h"
#include "base/Win32Handles.h"

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

void DeleteDesktopShortcut(const InstallRegistration& install)
{
    ::DeleteFileW(DesktopShortcutPath(install).c_str());
}

void DeleteUninstallEntry(const InstallRegistration& install)
{
    win32::UniqueKey uninstall;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                          nullptr, uninstall.put(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    ::SHDeleteKeyW(uninstall.get(), install.gameCode.c_str());
}

void CreateDesktopShortcut(const InstallRegistration& install)
{
    if (install.source == L"QX") return;
    const std::wstring launcher = InstalledLauncherPath(install);
    CreateShortcut(DesktopShortcutPath(install), launcher, launcher);
}

void WriteUninstallEntry(const InstallRegistration& install)
{
    win32::UniqueKey entry;
    const std::wstring path = std::wstring(kUninstallKey) + L"\\" + install.gameCode;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                          entry.put(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    const std::wstring values[][2] = {
        {L"DisplayVersion", kLauncherFileVersion},
        {L"DisplayIcon", InstalledLauncherPath(install)},
        {L"DisplayName", install.gameTitle},
        {L"Publisher", std::wstring()},
        {L"UninstallString", UninstallerPath(install)},
    };
    for (const auto& value : values) {
        const DWORD bytes = static_cast<DWORD>((value[1].size() + 1) * sizeof(wchar_t));
        if (::RegSetValueExW(entry.get(), value[0].c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(value[1].c_str()), bytes) != ERROR_SUCCESS) {
            return;
        }
    }
}

}  // namespace

std::wstring InstalledLauncherPath(const InstallRegistration& install)
{
    return install.installDir + L"\\" + install.gameCode + L"_main.exe";
}

std::wstring DesktopShortcutPath(const InstallRegistration& install)
{
    return install.desktopDir + L"\\" + install.gameTitle + L".lnk";
}

std::wstring UninstallerPath(const InstallRegistration& install)
{
    std::wstring code = install.gameCode;
    if (!code.empty() && code[0] >= L'a' && code[0] <= L'z') code[0] = static_cast<wchar_t>(code[0] - L'a' + L'A');
    return install.installDir + L"\\" + code + L"GameLauncherUninst.exe";
}

void RegisterInstall(const InstallRegistration& install)
{
    DeleteDesktopShortcut(install);
    DeleteUninstallEntry(install);
    CreateDesktopShortcut(install);
    WriteUninstallEntry(install);
}
