// Shell shortcut (.lnk) files. Needs COM initialised on the calling thread.
#pragma once

#include <string>

// Saves a shortcut at linkPath to target, with the icon at index 0 of
// iconPath and the target's folder as working directory. True when saved.
bool CreateShortcut(const std::wstring& linkPath, const std::wstring& target, const std::wstring& iconPath);
