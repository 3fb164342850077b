#include "GameLoader/GameLoader/UninstallEntry.h"
#include "GameLoader/GameLoaderWnd/GameExePath.h"
#include "GameLoader/Common/Folders.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <string>

namespace {

const std::wstring kUninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// An uninstall entry of its own per test process, removed before and after.
class UninstallEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_entry = L"vrk_test_" + std::to_wstring(::GetCurrentProcessId());
        ::SHDeleteKeyW(HKEY_CURRENT_USER, (kUninstall + m_entry).c_str());
    }
    void TearDown() override { ::SHDeleteKeyW(HKEY_CURRENT_USER, (kUninstall + m_entry).c_str()); }

    // Stores raw bytes, so values without a terminator can be made.
    void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, (kUninstall + m_entry).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                    nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
        ::RegCloseKey(key);
    }
    void SetText(const wchar_t* name, const std::wstring& text)
    {
        SetRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    std::wstring m_entry;
};

TEST_F(UninstallEntryTest, InstallDirIsTheFolderOfDisplayIcon)
{
    struct Case {
        const wchar_t* displayIcon;
        const wchar_t* installDir;
    } cases[] = {
        {L"D:/Games/vrk/vrk_main.exe", L"D:\\Games\\vrk\\"},
        {L"C:\\Program Files (x86)\\vrk\\vrk_main.exe", L"C:\\Program Files (x86)\\vrk\\"},
        {L"C:\\Games\\vrk\\", L"C:\\Games\\vrk\\"},
        {L"vrk_main.exe", L"vrk_main.exe"},
        {L"", L""},
        {L"D:/a//b", L"D:\\a\\\\"},
    };
    for (const Case& c : cases) {
        SetText(L"DisplayIcon", c.displayIcon);
        EXPECT_EQ(GetGameInstallDir(m_entry), c.installDir) << c.displayIcon;
    }
}

TEST_F(UninstallEntryTest, MissingEntryOrValueGivesEmpty)
{
    EXPECT_EQ(GetGameInstallDir(m_entry), L"");
    EXPECT_EQ(GetBagFileParam(m_entry), L"");
    SetText(L"UninstallString", L"C:\\vrk\\uninst.exe");
    EXPECT_EQ(GetGameInstallDir(m_entry), L"");
    EXPECT_EQ(GetBagFileParam(m_entry), L"");
}

TEST_F(UninstallEntryTest, FileParamIsReturnedAsStored)
{
    SetText(L"FileParam", L"bag=7&x=\x4E2D");
    EXPECT_EQ(GetBagFileParam(m_entry), L"bag=7&x=\x4E2D");
    const wchar_t embedded[] = L"first\0second";
    SetRaw(L"FileParam", REG_SZ, embedded, sizeof embedded);
    EXPECT_EQ(GetBagFileParam(m_entry), L"first");
}

TEST_F(UninstallEntryTest, ValuesUpTo520BytesAreReadAndLongerOnesAreEmpty)
{
    // 259 characters and the terminator: exactly 520 bytes.
    const std::wstring fits(259, L'a');
    SetText(L"FileParam", fits);
    EXPECT_EQ(GetBagFileParam(m_entry), fits);

    // 260 characters stored without a terminator, also 520 bytes: the
    // text still ends inside the buffer. (Stored as binary data: Wine, unlike
    // Windows, adds the missing terminator to a string value.)
    const std::wstring full(260, L'b');
    SetRaw(L"FileParam", REG_BINARY, full.data(), 520);
    EXPECT_EQ(GetBagFileParam(m_entry), full);
    const std::wstring fullPath = L"C:\\" + std::wstring(253, L'c') + L"\\x.exe";  // 260 characters
    SetRaw(L"DisplayIcon", REG_BINARY, fullPath.data(), 520);
    EXPECT_EQ(GetGameInstallDir(m_entry), L"C:\\" + std::wstring(253, L'c') + L"\\");

    // 260 characters and the terminator: 522 bytes, too long.
    SetText(L"FileParam", full);
    EXPECT_EQ(GetBagFileParam(m_entry), L"");
    SetText(L"DisplayIcon", fullPath);
    EXPECT_EQ(GetGameInstallDir(m_entry), L"");
}

TEST_F(UninstallEntryTest, ValueTypeIsNotChecked)
{
    const wchar_t text[] = L"C:\\vrk\\vrk_main.exe";
    SetRaw(L"DisplayIcon", REG_EXPAND_SZ, text, sizeof text);
    EXPECT_EQ(GetGameInstallDir(m_entry), L"C:\\vrk\\");
    SetRaw(L"FileParam", REG_BINARY, text, sizeof text);
    EXPECT_EQ(GetBagFileParam(m_entry), text);
}

// The game is looked for in the entry's folder only when that folder names
// one place: "x" or a quoted value with its ",0" would make the launcher
// start "x<code>.exe" or "\"C:\...\<code>.exe" from the current folder.
TEST_F(UninstallEntryTest, TheGameIsLookedForInTheEntrysFolderOnlyWhenItIsAbsolute)
{
    const std::wstring besideLauncher = GetModuleDir() + L"\\" + m_entry + L".exe";
    struct Case {
        const wchar_t* displayIcon;
        std::wstring gamePath;
    } cases[] = {
        {L"D:/Games/vrk/vrk_main.exe", L"D:\\Games\\vrk\\" + m_entry + L".exe"},
        {L"\\\\server\\share\\vrk_main.exe", L"\\\\server\\share\\" + m_entry + L".exe"},
        {L"x", besideLauncher},
        {L"\"C:\\Games\\vrk\\vrk_main.exe\",0", besideLauncher},
        {L"vrk\\vrk_main.exe", besideLauncher},
        {L"C:vrk\\vrk_main.exe", besideLauncher},
        {L"\\vrk_main.exe", besideLauncher},
        {L"", besideLauncher},
    };
    for (const Case& c : cases) {
        SetText(L"DisplayIcon", c.displayIcon);
        EXPECT_EQ(GameExePathFor(m_entry), c.gamePath) << c.displayIcon;
    }
    ::SHDeleteKeyW(HKEY_CURRENT_USER, (kUninstall + m_entry).c_str());
    EXPECT_EQ(GameExePathFor(m_entry), besideLauncher) << "no entry";
}

}  // namespace
