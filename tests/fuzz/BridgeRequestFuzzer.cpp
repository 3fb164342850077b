// Any argument a page passes to g_callCppFunc, however broken, must end in
// a command or none: no crash, no exception, no sanitizer finding.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "GameLoader/CIeBrowserUI/BridgeCommand.h"
#include "GameLoader/CIeBrowserUI/WebAddress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Two bytes per UTF-16 unit, as the page's string arrives.
    std::wstring argument;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        argument += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    const BridgeRequest request = ReadBridgeRequest(argument, [](const std::wstring& text) {
        std::string out;
        for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
        return out;
    });
    static const char* const kNames[] = {nullptr, "min_wnd", "close_wnd", "open_game", "wnd_mousemove"};
    const char* name = kNames[static_cast<int>(request.command)];
    // A chosen command is named in the text the window receives.
    if (name != nullptr && request.text.find(name) == std::string::npos) __builtin_trap();
    // The raw bytes as narrow text take the same path.
    ChooseBridgeCommand(std::string(reinterpret_cast<const char*>(data), size));
    // The same text as a new window's address: what reaches the shell is a
    // web address and one argument, with no blank, quote or control character.
    if (const std::optional<std::wstring> shell = ShellWebAddress(argument)) {
        std::wstring scheme = shell->substr(0, 8);
        for (wchar_t& c : scheme) c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
        if (scheme.compare(0, 7, L"http://") != 0 && scheme != L"https://") __builtin_trap();
        for (wchar_t c : *shell)
            if (c <= 0x20 || c == 0x7F || c == L'"') __builtin_trap();
    }
    return 0;
}
