// The uninstall entry and desktop shortcut, read back through the registry
// and the shell link object.
#include "GameLoader/GameLoaderWnd/InstallRegistration.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/Win32Handles.h"
#include "tests/support/TestSupport.h"

namespace {

const std::wstring kUninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct ShortcutFields {
    std::wstring target, icon, workingDir, arguments;
    int iconIndex = -1;
};

bool ReadShortcut(const std::wstring& path, ShortcutFields& out)
{
    win32::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(link.put()))))
        return false;
    win32::ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put())))) return false;
    if (FAILED(file->Load(path.c_str(), STGM_READ))) return false;
    wchar_t buffer[MAX_PATH] = {};
    link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH);
    out.target = buffer;
    buffer[0] = 0;
    link->GetIconLocation(buffer, MAX_PATH, &out.iconIndex);
    out.icon = buffer;
    buffer[0] = 0;
    link->GetWorkingDirectory(buffer, MAX_PATH);
    out.workingDir = buffer;
    buffer[0] = 0;
    link->GetArguments(buffer, MAX_PATH);
    out.arguments = buffer;
    return true;
}

class InstallRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        m_install.gameCode = L"vrkreg" + std::to_wstring(::GetCurrentProcessId());
        m_install.gameTitle = L"Vorkan Test";
        m_install.installDir = m_dir.path() + L"\\Program Files (x86)\\" + m_install.gameCode;
        m_install.desktopDir = m_dir.path() + L"\\Desktop";
        ::CreateDirectoryW(m_install.desktopDir.c_str(), nullptr);
        ::SHDeleteKeyW(HKEY_CURRENT_USER, (kUninstall + m_install.gameCode).c_str());
    }
    void TearDown() override
    {
        ::SHDeleteKeyW(HKEY_CURRENT_USER, (kUninstall + m_install.gameCode).c_str());
        ::CoUninitialize();
    }

    // An old entry with a value the launcher never writes, and an old shortcut.
    void LeaveAnOldInstall()
    {
        win32::UniqueKey key;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, (kUninstall + m_install.gameCode + L"\\sub").c_str(), 0,
                                    nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        key.reset();
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, (kUninstall + m_install.gameCode).c_str(), 0, nullptr, 0,
                                    KEY_WRITE, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        const wchar_t fileParam[] = L"old";
        ASSERT_EQ(::RegSetValueExW(key.get(), L"FileParam", 0, REG_SZ, reinterpret_cast<const BYTE*>(fileParam),
                                   sizeof fileParam),
                  ERROR_SUCCESS);
        ASSERT_TRUE(testsupport::WriteFileBytes(DesktopShortcutPath(m_install), "not a shortcut"));
    }

    // Every value of the entry in enumeration order: name, type, data.
    struct Value {
        std::wstring name;
        DWORD type;
        std::wstring data;
        DWORD bytes;
    };
    std::vector<Value> EntryValues() const
    {
        std::vector<Value> values;
        win32::UniqueKey key;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, (kUninstall + m_install.gameCode).c_str(), 0, KEY_READ, key.put()) !=
            ERROR_SUCCESS)
            return values;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD nameLength = 256, type = 0;
            BYTE data[2048] = {};
            DWORD bytes = sizeof data;
            if (::RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data, &bytes) != ERROR_SUCCESS) break;
            values.push_back({name, type, reinterpret_cast<const wchar_t*>(data), bytes});
        }
        return values;
    }
    DWORD SubkeyCount() const
    {
        win32::UniqueKey key;
        DWORD count = 99;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, (kUninstall + m_install.gameCode).c_str(), 0, KEY_READ, key.put()) ==
            ERROR_SUCCESS)
            ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr);
        return count;
    }

    testsupport::TempDir m_dir;
    InstallRegistration m_install;
};

TEST_F(InstallRegistrationTest, EntryHoldsExactlyTheFiveValuesInOrder)
{
    LeaveAnOldInstall();
    RegisterInstall(m_install);

    const std::wstring launcher = m_install.installDir + L"\\" + m_install.gameCode + L"_main.exe";
    std::wstring capitalised = m_install.gameCode;
    capitalised[0] = L'V';
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"DisplayVersion", L"3.8.3.4"},
        {L"DisplayIcon", launcher},
        {L"DisplayName", L"Vorkan Test"},
        {L"Publisher", L""},
        {L"UninstallString", m_install.installDir + L"\\" + capitalised + L"GameLauncherUninst.exe"},
    };
    // The registry enumerates in its own order (Wine sorts by name): match by name.
    const std::vector<Value> values = EntryValues();
    ASSERT_EQ(values.size(), expected.size()) << "FileParam of the old entry is gone";
    for (const auto& [name, data] : expected) {
        const auto found = std::find_if(values.begin(), values.end(), [&](const Value& v) { return v.name == name; });
        ASSERT_NE(found, values.end()) << name;
        EXPECT_EQ(found->type, static_cast<DWORD>(REG_SZ)) << name;
        EXPECT_EQ(found->data, data) << name;
        EXPECT_EQ(found->bytes, (data.size() + 1) * sizeof(wchar_t)) << name << ": with its terminator";
    }
    EXPECT_EQ(SubkeyCount(), 0u) << "the old entry went with its subkeys";
}

TEST_F(InstallRegistrationTest, ShortcutPointsAtTheInstalledLauncherUnlessThePlatformStartedUs)
{
    struct Case {
        const wchar_t* source;
        bool shortcut;
    } cases[] = {{L"", true}, {L"qx", true}, {L"web", true}, {L"QX", false}};
    for (const Case& c : cases) {
        LeaveAnOldInstall();
        m_install.source = c.source;
        RegisterInstall(m_install);
        const std::wstring path = DesktopShortcutPath(m_install);
        EXPECT_EQ(path, m_install.desktopDir + L"\\Vorkan Test.lnk");
        ShortcutFields link;
        EXPECT_EQ(ReadShortcut(path, link), c.shortcut) << c.source;
        if (!c.shortcut) {
            EXPECT_FALSE(testsupport::FileExists(path)) << "the old shortcut is deleted";
            continue;
        }
        const std::wstring launcher = m_install.installDir + L"\\" + m_install.gameCode + L"_main.exe";
        EXPECT_EQ(link.target, launcher) << c.source;
        EXPECT_EQ(link.icon, launcher);
        EXPECT_EQ(link.iconIndex, 0);
        EXPECT_EQ(link.workingDir, m_install.installDir);
        EXPECT_EQ(link.arguments, L"");
        EXPECT_EQ(EntryValues().size(), 5u);
    }
}

TEST_F(InstallRegistrationTest, RepeatingTheRegistrationGivesTheSameResult)
{
    RegisterInstall(m_install);
    const auto first = EntryValues();
    RegisterInstall(m_install);
    const auto second = EntryValues();
    ASSERT_EQ(first.size(), 5u);
    ASSERT_EQ(second.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(second[i].data, first[i].data);
}

}  // namespace
