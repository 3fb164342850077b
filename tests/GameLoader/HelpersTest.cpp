#include <gtest/gtest.h>

#include <objidl.h>
#include <shlobj.h>

#include "GameLoader/Common/Folders.h"
#include "GameLoader/Common/Shortcut.h"
#include "tests/support/TestSupport.h"
#include "base/Win32Handles.h"

namespace {

using win32::ComPtr;

std::wstring UserName()
{
    wchar_t name[256] = {};
    DWORD size = 256;
    return ::GetUserNameW(name, &size) ? name : L"";
}

// The folders the Wine prefix of the tests has, written out.
TEST(FoldersTest, SpecialFoldersAreTheKnownFoldersOfThePrefix)
{
    const std::wstring user = UserName();
    ASSERT_FALSE(user.empty());
    EXPECT_EQ(GetLocalAppDataDir(), L"C:\\users\\" + user + L"\\AppData\\Local");
    EXPECT_EQ(GetDesktopDir(), L"C:\\users\\" + user + L"\\Desktop");
    EXPECT_EQ(GetProgramFilesX86Dir(), L"C:\\Program Files (x86)");
}

// The tests run from the x64 build folder, which Wine shows on drive Z:.
TEST(FoldersTest, ModuleDirIsTheBuildFolderWithoutBackslash)
{
    // The build folder as CMake knows it (an ASCII path); __FILE__ may be
    // relative under the compiler cache.
    std::wstring build;
    for (const char* c = VRK_BUILD_DIR; *c; ++c) build += static_cast<wchar_t>(*c == '/' ? '\\' : *c);
    EXPECT_EQ(GetModuleDir(), L"Z:" + build);
    EXPECT_TRUE(testsupport::FileExists(GetModuleDir() + L"\\launcher_helpers_tests.exe"));
}

class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }

    struct LinkFacts {
        std::wstring target, workingDir, icon, arguments;
        int iconIndex = -1;
    };
    // Reads a saved link back through the shell link object.
    static bool ReadLink(const std::wstring& path, LinkFacts& facts)
    {
        ComPtr<IShellLinkW> link;
        if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      link.put_void())))
            return false;
        ComPtr<IPersistFile> file;
        if (FAILED(link.As(IID_IPersistFile, file)) || FAILED(file->Load(path.c_str(), STGM_READ))) return false;
        wchar_t buffer[MAX_PATH] = {};
        link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH);
        facts.target = buffer;
        buffer[0] = 0;
        link->GetWorkingDirectory(buffer, MAX_PATH);
        facts.workingDir = buffer;
        buffer[0] = 0;
        link->GetIconLocation(buffer, MAX_PATH, &facts.iconIndex);
        facts.icon = buffer;
        buffer[0] = 0;
        link->GetArguments(buffer, MAX_PATH);
        facts.arguments = buffer;
        return true;
    }
};

TEST_F(ShortcutTest, TheLinkHoldsTargetIconAndTheTargetFolder)
{
    testsupport::TempDir dir;
    const std::wstring icon = dir.path() + L"\\icons\\vorkan.ico";  // never the target
    struct Case {
        std::wstring target;
        std::wstring workingDir;
        std::wstring storedTarget;  // the shell keeps the path with backslashes
    } cases[] = {
        {dir.path() + L"\\vrk\\vrk_main.exe", dir.path() + L"\\vrk", dir.path() + L"\\vrk\\vrk_main.exe"},
        {L"C:/Games/vrk_main.exe", L"C:/Games", L"C:\\Games\\vrk_main.exe"},
        // A backslash anywhere wins over slashes.
        {L"C:\\Games/sub/vrk_main.exe", L"C:", L"C:\\Games\\sub\\vrk_main.exe"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::wstring link = dir.file(L"game" + std::to_wstring(++n) + L".lnk");
        ASSERT_TRUE(CreateShortcut(link, c.target, icon));
        LinkFacts facts;
        ASSERT_TRUE(ReadLink(link, facts)) << link;
        EXPECT_EQ(facts.target, c.storedTarget);
        EXPECT_EQ(facts.workingDir, c.workingDir);
        EXPECT_EQ(facts.icon, icon);
        EXPECT_EQ(facts.iconIndex, 0);
        EXPECT_EQ(facts.arguments, L"");
    }
}

TEST_F(ShortcutTest, OverwritesAnExistingFileAndFailsForAMissingFolder)
{
    testsupport::TempDir dir;
    const std::wstring link = dir.file(L"Vorkan.lnk");
    ASSERT_TRUE(testsupport::WriteFileBytes(link, "not a link"));
    const std::wstring target = dir.path() + L"\\vrk_main.exe";
    ASSERT_TRUE(CreateShortcut(link, target, target));
    LinkFacts facts;
    ASSERT_TRUE(ReadLink(link, facts));
    EXPECT_EQ(facts.target, target);
    EXPECT_EQ(facts.workingDir, dir.path());

    EXPECT_FALSE(CreateShortcut(dir.file(L"missing\\Vorkan.lnk"), target, target));
    EXPECT_FALSE(testsupport::FileExists(dir.file(L"missing\\Vorkan.lnk")));
}

TEST(ShortcutWithoutComTest, FailsWhenComIsNotInitialised)
{
    testsupport::TempDir dir;
    EXPECT_FALSE(CreateShortcut(dir.file(L"x.lnk"), L"C:\\x.exe", L"C:\\x.exe"));
}

}  // namespace
