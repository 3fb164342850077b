#include "GameLoader/CIeBrowserUI/BridgeCommand.h"

#include <json/json.h>

namespace {

struct CommandName {
    const char* name;
    BridgeCommand command;
};

// Exact, case-sensitive names, in the order the page's commands are tried.
constexpr char kCommandMember[] = "funcation_name";

constexpr CommandName kCommands[] = {
    {"min_wnd", BridgeCommand::MinimiseWindow},
    {"close_wnd", BridgeCommand::CloseWindow},
    {"open_game", BridgeCommand::OpenGame},
    {"wnd_mousemove", BridgeCommand::DragWindow},
};

}  // namespace

BridgeCommand ChooseBridgeCommand(const std::string& ansiText) noexcept
{
    std::string name;
    try {
        Json::Reader reader;  // the default reader: comments allowed, any root value
        Json::Value root;
        if (!reader.parse(ansiText, root)) return BridgeCommand::None;
        // Only an object (or null, read as an empty object) can carry the
        // member; other roots are asked nothing, so the library never asserts.
        if (!root.isObject()) return BridgeCommand::None;
        const Json::Value* member = root.find(kCommandMember, kCommandMember + sizeof kCommandMember - 1);
        if (member == nullptr || !member->isString()) return BridgeCommand::None;
        name = member->asString();
    } catch (...) {
        // Too deep a nesting, or anything else the library raises: no command.
        return BridgeCommand::None;
    }
    for (const CommandName& entry : kCommands)
        if (name == entry.name) return entry.command;
    return BridgeCommand::None;
}

BridgeRequest ReadBridgeRequest(const std::wstring& argument, const BridgeTextNarrow& narrow)
{
    BridgeRequest request;
    request.text = narrow(argument);
    request.command = ChooseBridgeCommand(request.text);
    return request;
}
