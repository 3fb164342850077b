// Loading a system library by name from the system folder only. A plain
// LoadLibraryW searches the executable's own folder first, so a DLL of the
// same name placed beside vrk_main.exe (a download folder, say) would run
// inside the launcher.
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

// How the system folder is named to the loader.
enum class SystemFolderSearch {
    Flag,      // LoadLibraryExW with LOAD_LIBRARY_SEARCH_SYSTEM32
    FullPath,  // the system folder's full path in front of the name
};

// The flag exists from Windows 8 on, and on Windows 7 only with
// KB2533623, which also adds AddDllDirectory to kernel32: its export is the
// documented sign that the loader understands the flag.
inline SystemFolderSearch AvailableSystemFolderSearch() noexcept
{
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    return kernel != nullptr && ::GetProcAddress(kernel, "AddDllDirectory") != nullptr ? SystemFolderSearch::Flag
                                                                                       : SystemFolderSearch::FullPath;
}

// The library named `name` (a file name such as L"msimg32.dll") from the
// system folder, or none. The module stays loaded; the caller never frees it.
inline HMODULE LoadSystemLibrary(const wchar_t* name,
                                 SystemFolderSearch search = AvailableSystemFolderSearch()) noexcept
{
    if (name == nullptr || *name == L'\0') return nullptr;
    if (search == SystemFolderSearch::Flag) {
        if (const HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
        // A loader that does not know the flag answers ERROR_INVALID_PARAMETER.
        if (::GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    }
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    try {
        std::wstring path(folder, length);
        if (path.back() != L'\\') path += L'\\';
        path += name;
        // With a full path the loader looks nowhere else; the altered search
        // order makes the library's own imports come from its folder as well.
        return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace win32
