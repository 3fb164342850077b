// The platform settings file "setting.xml" in the launcher's data folder:
// the platform window handle and the login source, kept for later launcher
// processes (the game-exit notice reads them back).
#pragma once

#include <string>

// %LOCALAPPDATA%\Qixel\setting.xml; creates the Qixel folder when missing.
std::wstring GetSettingFilePath();

// True when the element exists under the file's first element; value is
// set only when the element's first child is text (read through the ANSI
// code page).
bool ReadSettingWindowId(const std::wstring& settingFilePath, std::wstring& value);
bool ReadSettingLoginSource(const std::wstring& settingFilePath, std::wstring& value);

// Both values from one reading of the file, each found (and set) as the
// reader of its own would have answered.
struct PlatformSettingValues {
    bool windowIdFound = false;
    std::wstring windowId;
    bool loginSourceFound = false;
    std::wstring loginSource;
};
PlatformSettingValues ReadPlatformSettings(const std::wstring& settingFilePath);

// Sets the element's text (UTF-8), creating the file with the root
// "settings" when it is missing. A file that is not XML is left untouched
// and gives false. True when the file was saved.
bool WriteSettingWindowId(const std::wstring& value, const std::wstring& settingFilePath);
bool WriteSettingLoginSource(const std::wstring& value, const std::wstring& settingFilePath);
