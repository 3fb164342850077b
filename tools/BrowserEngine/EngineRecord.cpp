#include "tools/BrowserEngine/EngineRecord.h"

#include "base/Win32Handles.h"

#include <cstdio>
#include <vector>

namespace engine {

void Record(const std::string& line)
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"VRK_ENGINE_RECORD", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    // Opened per line: the file stays readable (and replaceable) by the test.
    win32::UniqueHandle file(::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    std::string text = line;
    text += "\r\n";
    DWORD written = 0;
    ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string Hex(unsigned long value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", value);
    return buffer;
}

std::string Hr(HRESULT hr)
{
    return Hex(static_cast<unsigned long>(hr));
}

std::string RectText(const RECT& rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

std::string Utf8(std::wstring_view text)
{
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Wide(std::string_view utf8)
{
    if (utf8.empty()) return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (size <= 0) return {};
    std::wstring out(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
    return out;
}

std::string DescribeVariant(const VARIANT& value)
{
    char buffer[64];
    switch (value.vt) {
    case VT_EMPTY: return "VT_EMPTY";
    case VT_NULL: return "VT_NULL";
    case VT_I4: return "VT_I4:" + Hex(static_cast<unsigned long>(value.lVal));
    case VT_UI4: return "VT_UI4:" + Hex(value.ulVal);
    case VT_I2: return "VT_I2:" + std::to_string(value.iVal);
    case VT_R8:
        std::snprintf(buffer, sizeof buffer, "VT_R8:%g", value.dblVal);
        return buffer;
    case VT_BOOL: return value.boolVal == VARIANT_TRUE ? "VT_BOOL:true" : value.boolVal == VARIANT_FALSE ? "VT_BOOL:false" : "VT_BOOL:" + std::to_string(value.boolVal);
    case VT_BSTR: return value.bstrVal ? "VT_BSTR:" + Utf8(std::wstring_view(value.bstrVal, ::SysStringLen(value.bstrVal))) : "VT_BSTR:(null)";
    case VT_DISPATCH: return value.pdispVal ? "VT_DISPATCH" : "VT_DISPATCH:(null)";
    case VT_UNKNOWN: return value.punkVal ? "VT_UNKNOWN" : "VT_UNKNOWN:(null)";
    default: return "VT_" + Hex(value.vt);
    }
}

}  // namespace engine
