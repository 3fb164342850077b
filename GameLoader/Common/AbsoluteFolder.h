// Whether a folder path names one place whatever the current folder is.
// Free of <windows.h>.
#pragma once

#include <string_view>

// A drive letter with its root ("C:\...") or a share ("\\server\..."). A
// relative path ("x", "vrk\"), a drive-relative one ("C:vrk\") or a quoted
// one ("\"C:\...") does not: an executable looked for there could be
// whatever lies in the current folder.
inline bool IsAbsoluteFolder(std::wstring_view path)
{
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
        const wchar_t drive = path[0];
        return (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
    }
    return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
}
