// System libraries come from the system folder only: a DLL of the same name
// planted in a folder the loader searches first is never loaded, whichever
// way the system folder is named (the flag of newer loaders, or the full
// path on a Windows 7 without KB2533623). Checked in this process with a
// planted folder, and against the real vrk_main.exe copied into a folder
// with planted msimg32.dll and wininet.dll.
#include "base/SystemLibrary.h"

#include <gtest/gtest.h>

#include <delayimp.h>

#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "base/Win32Handles.h"
#include "tests/support/LauncherProcess.h"
#include "tests/support/LauncherWorld.h"
#include "tests/support/TestSupport.h"

namespace {

std::wstring ModulePath(HMODULE module)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, length);
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::wstring SystemFolder()
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return Lower(std::wstring(folder, length)) + L"\\";
}

// The paths the decoy recorded (UTF-16, one per line).
std::vector<std::wstring> DecoyLoads(const std::wstring& record)
{
    const std::string bytes = testsupport::ReadFileBytes(record);
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(&text[0], bytes.data(), text.size() * sizeof(wchar_t));
    std::vector<std::wstring> lines;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// Wine prefers its own builtin library to a planted one of the same name
// unless told otherwise; Windows loads what it finds first. Under Wine the
// planted names are set to "native first" (in this test program's own
// prefix) so a plain load takes the decoy, as Windows would.
class PreferPlantedLibraries {
public:
    explicit PreferPlantedLibraries(std::vector<std::wstring> names) : m_names(std::move(names))
    {
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        if (!ntdll || !::GetProcAddress(ntdll, "wine_get_version")) return;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              m_key.put(), nullptr) != ERROR_SUCCESS)
            return;
        static const wchar_t kNativeFirst[] = L"native,builtin";
        for (const std::wstring& name : m_names) {
            ::RegSetValueExW(m_key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kNativeFirst),
                             sizeof kNativeFirst);
        }
    }
    ~PreferPlantedLibraries()
    {
        if (!m_key) return;
        for (const std::wstring& name : m_names) ::RegDeleteValueW(m_key.get(), name.c_str());
    }
    PreferPlantedLibraries(const PreferPlantedLibraries&) = delete;
    PreferPlantedLibraries& operator=(const PreferPlantedLibraries&) = delete;

private:
    std::vector<std::wstring> m_names;
    win32::UniqueKey m_key;
};

class SystemLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_record = m_dir.file(L"decoy_loads.txt");
        ::SetEnvironmentVariableW(L"VRK_DECOY_RECORD", m_record.c_str());
    }
    void TearDown() override { ::SetEnvironmentVariableW(L"VRK_DECOY_RECORD", nullptr); }

    // The decoy planted in `folder` under a system library's name.
    static bool Plant(const std::wstring& folder, const wchar_t* name)
    {
        return ::CopyFileW(testsupport::BesideTests(L"decoy_library.dll").c_str(), (folder + L"\\" + name).c_str(),
                           FALSE) != FALSE;
    }

    testsupport::TempDir m_dir;
    std::wstring m_record;
};

TEST_F(SystemLibraryTest, ThisLoaderKnowsTheSystemFolderFlag)
{
    // Wine, like Windows 8 and later, exports AddDllDirectory.
    EXPECT_EQ(win32::AvailableSystemFolderSearch(), win32::SystemFolderSearch::Flag);
}

TEST_F(SystemLibraryTest, APlantedLibraryInTheSearchPathIsNeverLoadedEitherWay)
{
    testsupport::TempDir planted;
    // Names this program has not loaded yet: a loaded module would be
    // answered by its name whatever the search.
    std::vector<const wchar_t*> names;
    for (const wchar_t* name : {L"dbghelp.dll", L"msimg32.dll", L"wininet.dll"}) {
        if (::GetModuleHandleW(name) == nullptr && Plant(planted.path(), name)) names.push_back(name);
    }
    ASSERT_FALSE(names.empty()) << "every candidate is loaded already";
    const PreferPlantedLibraries nativeFirst({L"dbghelp", L"msimg32", L"wininet"});
    // Searched before the system folder by a plain LoadLibraryW.
    ASSERT_TRUE(::SetDllDirectoryW(planted.path().c_str()));
    for (const wchar_t* name : names) {
        for (const win32::SystemFolderSearch search :
             {win32::SystemFolderSearch::Flag, win32::SystemFolderSearch::FullPath}) {
            const HMODULE module = win32::LoadSystemLibrary(name, search);
            ASSERT_NE(module, nullptr) << static_cast<int>(search);
            EXPECT_EQ(Lower(ModulePath(module)), SystemFolder() + name) << static_cast<int>(search);
            ::FreeLibrary(module);
            EXPECT_EQ(::GetModuleHandleW(name), nullptr) << "unloaded again";
        }
        // The planted folder is searched indeed: a plain load takes the decoy.
        const HMODULE plain = ::LoadLibraryW(name);
        ASSERT_NE(plain, nullptr);
        EXPECT_EQ(Lower(ModulePath(plain)), Lower(planted.path() + L"\\" + name));
        ::FreeLibrary(plain);
    }
    ::SetDllDirectoryW(nullptr);
    EXPECT_EQ(DecoyLoads(m_record).size(), names.size()) << "the decoy was loaded by the plain loads only";
    EXPECT_EQ(win32::LoadSystemLibrary(L""), nullptr);
    EXPECT_EQ(win32::LoadSystemLibrary(nullptr), nullptr);
}

// The launcher's delay-load hook answers the import helper's "about to load"
// with the library from the system folder, so the helper's own search (its
// folder first) never runs; anything else it leaves to the helper.
TEST_F(SystemLibraryTest, TheDelayLoadHookTakesLibrariesFromTheSystemFolder)
{
    ASSERT_NE(__pfnDliNotifyHook2, nullptr) << "the launcher's hook is linked in";
    const auto ask = [](unsigned notify, const char* name) {
        DelayLoadInfo info{};
        info.cb = sizeof info;
        info.szDll = name;
        return reinterpret_cast<HMODULE>(__pfnDliNotifyHook2(notify, &info));
    };
    testsupport::TempDir planted;
    std::vector<std::pair<const char*, const wchar_t*>> names;
    for (const auto& name : {std::pair{"dbghelp.dll", L"dbghelp.dll"}, std::pair{"msimg32.dll", L"msimg32.dll"},
                             std::pair{"wininet.dll", L"wininet.dll"}}) {
        if (::GetModuleHandleW(name.second) == nullptr && Plant(planted.path(), name.second)) names.push_back(name);
    }
    ASSERT_FALSE(names.empty()) << "every candidate is loaded already";
    const PreferPlantedLibraries nativeFirst({L"dbghelp", L"msimg32", L"wininet"});
    ASSERT_TRUE(::SetDllDirectoryW(planted.path().c_str()));
    for (const auto& name : names) {
        const HMODULE module = ask(dliNotePreLoadLibrary, name.first);
        ASSERT_NE(module, nullptr) << name.first;
        EXPECT_EQ(Lower(ModulePath(module)), SystemFolder() + name.second);
        ::FreeLibrary(module);
    }
    ::SetDllDirectoryW(nullptr);
    EXPECT_TRUE(DecoyLoads(m_record).empty()) << "no planted library was loaded";

    // Not a load, no name, or a name no file can have: the helper's own way.
    EXPECT_EQ(ask(dliNotePreGetProcAddress, "msimg32.dll"), nullptr);
    EXPECT_EQ(ask(dliFailLoadLib, "msimg32.dll"), nullptr);
    EXPECT_EQ(ask(dliNotePreLoadLibrary, nullptr), nullptr);
    EXPECT_EQ(__pfnDliNotifyHook2(dliNotePreLoadLibrary, nullptr), nullptr);
    const std::string tooLong(MAX_PATH, 'a');
    EXPECT_EQ(ask(dliNotePreLoadLibrary, tooLong.c_str()), nullptr);
}

// The real launcher in a folder of its own with msimg32.dll and wininet.dll
// planted beside it: it draws its page (msimg32) and, installed, sets the
// browser's cookie option (wininet), and loads neither decoy.
TEST_F(SystemLibraryTest, TheLauncherLoadsNoLibraryPlantedBesideIt)
{
    testsupport::CloseStrayLaunchers();
    testsupport::SettingsFileBackup settings;
    testsupport::TempDir folder;
    const std::wstring launcher = folder.file(L"vrk_main.exe");
    ASSERT_TRUE(::CopyFileW(testsupport::BesideTests(L"vrk_main.exe").c_str(), launcher.c_str(), FALSE));
    for (const wchar_t* name : {L"msimg32.dll", L"wininet.dll"}) ASSERT_TRUE(Plant(folder.path(), name)) << name;
    const PreferPlantedLibraries nativeFirst({L"msimg32", L"wininet"});
    testsupport::EngineScript engine("page *\n");
    testsupport::LauncherLogTail log;
    testsupport::ProcessResult result;
    {
        win32::UniqueHandle process(
            testsupport::StartProcess(L"\"" + launcher + L"\" --source=web --token=T0k --tokenLogin=0 --installed=1"));
        ASSERT_TRUE(process);
        const DWORD id = ::GetProcessId(process.get());
        HWND window = nullptr;
        const DWORD start = ::GetTickCount();
        while (!(window = testsupport::FindLauncherWindow(id)) || !::IsWindowVisible(window)) {
            ASSERT_LT(::GetTickCount() - start, 30000u) << "the page shows";
            ::Sleep(50);
        }
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ASSERT_TRUE(testsupport::WaitUntilIdle(window));
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        ASSERT_EQ(::WaitForSingleObject(process.get(), 15000), WAIT_OBJECT_0);
        DWORD code = 1;
        ::GetExitCodeProcess(process.get(), &code);
        EXPECT_EQ(code, 0u);
    }
    EXPECT_NE(log.NewText().find("m_nGameInstalled is 1"), std::string::npos) << "the cookie option was set";
    EXPECT_TRUE(DecoyLoads(m_record).empty()) << testsupport::WideToUtf8(DecoyLoads(m_record).front());
}

}  // namespace
