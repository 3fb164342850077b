// Records the game as installed for the current user after the platform
// unpacked it: the uninstall entry and the desktop shortcut to the launcher.
#pragma once

#include <string>

struct InstallRegistration {
    std::wstring gameCode;    // "vrk": the entry's key name and the executables' names
    std::wstring gameTitle;   // "Vorkan": display name and shortcut name
    std::wstring installDir;  // no trailing backslash
    std::wstring desktopDir;  // no trailing backslash
    std::wstring source;      // "QX": the platform keeps its own shortcut
};

// The launcher's own version, recorded as "DisplayVersion".
inline constexpr wchar_t kLauncherFileVersion[] = L"3.8.3.4";

// <installDir>\<code>_main.exe
std::wstring InstalledLauncherPath(const InstallRegistration& install);
// <desktopDir>\<title>.lnk
std::wstring DesktopShortcutPath(const InstallRegistration& install);
// <installDir>\<Code>GameLauncherUninst.exe, the code's first letter upper-cased.
std::wstring UninstallerPath(const InstallRegistration& install);

// Deletes the desktop shortcut and the old entry, creates the shortcut
// unless source is "QX", then writes the five REG_SZ values in order,
// stopping at the first that fails. Needs COM on the calling thread.
void RegisterInstall(const InstallRegistration& install);
