// The game command line split back the way the game's runtime splits it.
#include "GameLoader/GameLoaderWnd/GameCommandLine.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "base/Win32Handles.h"

namespace {

// The arguments after the program name.
std::vector<std::wstring> Split(const std::wstring& arguments)
{
    int count = 0;
    const std::wstring commandLine = L"vrk.exe " + arguments;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine.c_str(), &count);
    win32::UniqueLocalMemory owner(reinterpret_cast<HLOCAL>(argv));
    std::vector<std::wstring> out;
    for (int i = 1; argv && i < count; ++i) out.emplace_back(argv[i]);
    return out;
}

TEST(GameCommandLineArgvTest, EveryValueComesBackAsOneArgument)
{
    const wchar_t* values[] = {
        L"plain",
        L"C:\\Program Files (x86)\\vrk",
        L"C:\\My Games\\",
        L"C:\\a b\\\\",
        L"a\"b",
        L"\"",
        L"\\\"",
        L"x --token=evil \"--qxext=y\"",
        L"tab\there",
        L"trailing\\ \\",
        L"\u6e38\u620f \u76ee\u5f55",
    };
    for (const wchar_t* value : values) {
        LaunchParams p;
        p.source = L"QX";
        p.token = L"T0k";
        p.qxext = value;
        p.instGamePath = value;
        const std::vector<std::wstring> expected = {L"--source=QX", L"--token=T0k", std::wstring(L"--qxext=") + value,
                                                    std::wstring(L"--instGamePath=") + value};
        EXPECT_EQ(Split(BuildGameCommandLine(p)), expected) << value;
    }
}

TEST(GameCommandLineArgvTest, AnEmptySourceIsStillOneArgument)
{
    LaunchParams p;
    p.token = L"t";
    EXPECT_EQ(Split(BuildGameCommandLine(p)), (std::vector<std::wstring>{L"--source=", L"--token=t"}));
}

}  // namespace
