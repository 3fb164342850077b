// What a launcher run touches outside its process, kept per test: the
// game's uninstall entry, the desktop shortcut and the install folder, and
// the stand-in browser engine's scenario and record.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>
#include <utility>
#include <vector>

#include "base/Win32Handles.h"
#include "tests/support/TestSupport.h"

namespace testsupport {

inline constexpr wchar_t kGameUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vrk";

inline std::wstring SpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    return ::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE) ? std::wstring(path) : std::wstring();
}

// The game's uninstall entry (values only): saved and removed at
// construction, put back at destruction.
class UninstallEntryBackup {
public:
    UninstallEntryBackup()
    {
        win32::UniqueKey key;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kGameUninstallKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS) {
            m_existed = true;
            for (DWORD i = 0;; ++i) {
                wchar_t name[256];
                DWORD nameLength = 256, type = 0;
                BYTE data[4096];
                DWORD bytes = sizeof data;
                if (::RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data, &bytes) != ERROR_SUCCESS)
                    break;
                m_values.push_back({name, type, std::string(reinterpret_cast<char*>(data), bytes)});
            }
        }
        ::SHDeleteKeyW(HKEY_CURRENT_USER, kGameUninstallKey);
    }
    ~UninstallEntryBackup()
    {
        ::SHDeleteKeyW(HKEY_CURRENT_USER, kGameUninstallKey);
        if (!m_existed) return;
        win32::UniqueKey key;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kGameUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                              nullptr) != ERROR_SUCCESS)
            return;
        for (const Value& v : m_values) {
            ::RegSetValueExW(key.get(), v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                             static_cast<DWORD>(v.data.size()));
        }
    }
    UninstallEntryBackup(const UninstallEntryBackup&) = delete;
    UninstallEntryBackup& operator=(const UninstallEntryBackup&) = delete;

    // Points the entry's "DisplayIcon" at a launcher in folder.
    static bool SetDisplayIcon(const std::wstring& folder)
    {
        win32::UniqueKey key;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kGameUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                              nullptr) != ERROR_SUCCESS)
            return false;
        const std::wstring icon = folder + L"\\vrk_main.exe";
        return ::RegSetValueExW(key.get(), L"DisplayIcon", 0, REG_SZ, reinterpret_cast<const BYTE*>(icon.c_str()),
                                static_cast<DWORD>((icon.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::string data;
    };
    bool m_existed = false;
    std::vector<Value> m_values;
};

// A file the run may create or delete: saved and removed at construction,
// put back (or removed) at destruction.
class FileBackup {
public:
    explicit FileBackup(std::wstring path) : m_path(std::move(path))
    {
        m_existed = FileExists(m_path);
        if (m_existed) m_bytes = ReadFileBytes(m_path);
        ::DeleteFileW(m_path.c_str());
    }
    ~FileBackup()
    {
        ::DeleteFileW(m_path.c_str());
        if (m_existed) WriteFileBytes(m_path, m_bytes);
    }
    FileBackup(const FileBackup&) = delete;
    FileBackup& operator=(const FileBackup&) = delete;
    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
    bool m_existed = false;
    std::string m_bytes;
};

// The stand-in engine's scenario and record files for this process and the
// launchers it starts.
class EngineScript {
public:
    explicit EngineScript(const std::string& scenario)
        : m_scenario(m_dir.file(L"scenario.txt")), m_record(m_dir.file(L"engine.txt"))
    {
        WriteFileBytes(m_scenario, scenario);
        ::SetEnvironmentVariableW(L"VRK_ENGINE_SCENARIO", m_scenario.c_str());
        ::SetEnvironmentVariableW(L"VRK_ENGINE_RECORD", m_record.c_str());
    }
    ~EngineScript()
    {
        ::SetEnvironmentVariableW(L"VRK_ENGINE_SCENARIO", nullptr);
        ::SetEnvironmentVariableW(L"VRK_ENGINE_RECORD", nullptr);
    }
    EngineScript(const EngineScript&) = delete;
    EngineScript& operator=(const EngineScript&) = delete;

    std::vector<std::string> Lines() const { return SplitLines(ReadFileBytes(m_record)); }
    std::vector<std::string> LinesStartingWith(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& line : Lines()) {
            if (line.rfind(prefix, 0) == 0) out.push_back(line);
        }
        return out;
    }

private:
    TempDir m_dir;
    std::wstring m_scenario;
    std::wstring m_record;
};

}  // namespace testsupport
