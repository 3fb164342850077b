// The portal page's request through window.external.g_callCppFunc: the
// argument text, narrowed to the ANSI code page, names one command in its
// "funcation_name" member. Free of <windows.h>, so the parse runs natively
// under the sanitizers and the fuzzer.
#pragma once

#include <functional>
#include <string>

enum class BridgeCommand {
    None,          // not JSON, wrong shape, or an unknown name: nothing happens
    MinimiseWindow,  // "min_wnd"
    CloseWindow,     // "close_wnd"
    OpenGame,        // "open_game"
    DragWindow,      // "wnd_mousemove"
};

// UTF-16 to the ANSI code page, replacing what the code page cannot hold.
using BridgeTextNarrow = std::function<std::string(const std::wstring&)>;

struct BridgeRequest {
    BridgeCommand command = BridgeCommand::None;
    std::string text;  // the whole argument in the ANSI code page
};

// The command a narrowed argument text names. Never throws: every error of
// the JSON library ends in BridgeCommand::None.
BridgeCommand ChooseBridgeCommand(const std::string& ansiText) noexcept;

// Narrows the argument and chooses its command.
BridgeRequest ReadBridgeRequest(const std::wstring& argument, const BridgeTextNarrow& narrow);
