#include "GameLoader/GameLoader/UninstallEntry.h"

#include <windows.h>

#include "GameLoader/Common/TextReplace.h"
#include "base/Win32Handles.h"

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr DWORD kValueBytes = 520;  // 260 UTF-16 units

// A value stored without a terminator fills the 520 bytes completely; the
// extra unit keeps the text terminated. Longer values fail the read.
bool ReadEntryText(const std::wstring& entryName, const wchar_t* valueName, std::wstring& text)
{
    win32::UniqueKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, (kUninstallKey + entryName).c_str(), 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS)
        return false;
    wchar_t buffer[kValueBytes / sizeof(wchar_t) + 1] = {};
    DWORD size = kValueBytes;
    if (::RegQueryValueExW(key.get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return false;
    text = buffer;
    return true;
}

}  // namespace

std::wstring GetGameInstallDir(const std::wstring& entryName)
{
    std::wstring path;
    if (!ReadEntryText(entryName, L"DisplayIcon", path)) return {};
    ReplaceAll(path, L"/", L"\\");
    const std::size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos) path.resize(slash + 1);
    return path;
}

std::wstring GetBagFileParam(const std::wstring& entryName)
{
    std::wstring param;
    ReadEntryText(entryName, L"FileParam", param);
    return param;
}
