// The launcher's own folder and the special folders it uses. Paths never
// end with a backslash; empty when the system call fails.
#pragma once

#include <string>

std::wstring GetModuleDir();
std::wstring GetDesktopDir();
std::wstring GetProgramFilesX86Dir();
// Looked up at the first call and kept for the process.
std::wstring GetLocalAppDataDir();
