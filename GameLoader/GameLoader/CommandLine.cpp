#include "GameLoader/GameLoader/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "GameLoader/Common/TextConvert.h"
#include "GameLoader/GameLoader/LaunchCommand.h"
#include "GameLoader/GameLoader/LaunchParamsReader.h"
#include "log/LogMask.h"
#include "log/Logger.h"
#include "base/Win32Handles.h"

namespace {

// The login token is a credential: from the moment it is known, the log
// masks its exact value in every line, whatever surrounds it.
void MaskLoginTokenInLog(const std::wstring& cmdJson, const LaunchTextCodec& ansi)
{
    LaunchParams params;
    try {
        ReadLaunchParams(ansi.narrow(cmdJson), LaunchJsonCallbacks{ansi.widen, nullptr}, params);
    } catch (...) {
        // The fields taken before the failure still count.
    }
    Logger::instance().addLoginToken(params.token);
}

}  // namespace

bool ParseCmdParam(std::wstring& cmdJson)
{
    return ParseCmdParam(::GetCommandLineW(), cmdJson);
}

bool ParseCmdParam(const wchar_t* commandLine, std::wstring& cmdJson)
{
    int count = 0;
    LPWSTR* argList = ::CommandLineToArgvW(commandLine, &count);
    if (!argList) {
        LOG_W(LOG_LEVEL_ERROR, L"CommandLineToArgvW szArgList is NULL");
        return false;
    }
    win32::UniqueLocalMemory argMemory(reinterpret_cast<HLOCAL>(argList));
    const std::vector<std::wstring> tokens(argList, argList + (count > 0 ? count : 0));

    const LaunchTextCodec ansi{[](const std::wstring& w) { return WideToMultiByte(w, CP_ACP); },
                               [](const std::string& s) { return AnsiToWide(s); }};
    cmdJson = BuildLaunchCommand(tokens, ansi, [](std::size_t index, const std::wstring& token) {
        LOG_W(LOG_LEVEL_INFO,
              L"CommandLineToArgvW argCount:" << index << L" szArgList:" << vrklog::MaskTokenArgument(token));
    });
    MaskLoginTokenInLog(cmdJson, ansi);
    return true;
}
