#include "GameLoader/GameLoaderWnd/GameCommandLine.h"

namespace {

bool NeedsQuotes(const std::wstring& value)
{
    return value.find_first_of(L" \t\"") != std::wstring::npos;
}

void AppendArgument(std::wstring& commandLine, const wchar_t* prefix, const std::wstring& value)
{
    if (!commandLine.empty()) commandLine += L' ';
    const std::wstring argument = prefix + value;
    if (NeedsQuotes(value)) {
        AppendQuotedArgument(commandLine, argument);
    } else {
        commandLine += argument;
    }
}

}  // namespace

void AppendQuotedArgument(std::wstring& commandLine, const std::wstring& argument)
{
    // Backslashes are literal unless they precede a double quote: then each
    // counts double, and an odd one makes the quote literal.
    commandLine += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            commandLine.append(backslashes * 2 + 1, L'\\');
        } else {
            commandLine.append(backslashes, L'\\');
        }
        backslashes = 0;
        commandLine += c;
    }
    commandLine.append(backslashes * 2, L'\\');  // before the closing quote
    commandLine += L'"';
}

std::wstring BuildGameCommandLine(const LaunchParams& params)
{
    std::wstring commandLine;
    AppendArgument(commandLine, L"--source=", params.source);  // also when empty
    const struct {
        const wchar_t* prefix;
        const std::wstring& value;
    } optional[] = {
        {L"--tokenLogin=", params.tokenLogin},     {L"--token=", params.token},
        {L"--qxext=", params.qxext},               {L"--winid=", params.gameMgrId},
        {L"--typeMode=", params.typeMode},         {L"--instGamePath=", params.instGamePath},
        {L"--cacheGamePath=", params.cacheGamePath},
    };
    for (const auto& item : optional) {
        if (!item.value.empty()) AppendArgument(commandLine, item.prefix, item.value);
    }
    return commandLine;
}
