// The values that the install registration and the platform keep under the
// game's uninstall entry: the key named by the entry name ("vrk") under
// HKEY_CURRENT_USER "Software\Microsoft\Windows\CurrentVersion\Uninstall".
#pragma once

#include <string>

// The folder of the entry's "DisplayIcon" path, "/" turned into "\" and
// ending with the backslash (a value without any is returned whole);
// empty when the entry or the value is missing or longer than 520 bytes.
std::wstring GetGameInstallDir(const std::wstring& entryName);

// The entry's "FileParam" text, passed on to the portal page as it is;
// empty on any failure.
std::wstring GetBagFileParam(const std::wstring& entryName);
