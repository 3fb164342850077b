// The portal page's request text down to the command it names.
#include <gtest/gtest.h>

#include <string>

#include "GameLoader/CIeBrowserUI/BridgeCommand.h"
#include "GameLoader/CIeBrowserUI/WebAddress.h"

namespace {

struct CommandCase {
    const char* text;
    BridgeCommand expected;
};

// The ANSI conversion as the platform does it for unrepresentable text.
std::string NarrowWithReplacement(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

TEST(BridgeCommandTest, ChoosesOnlyExactCommandNamesOfAnObject)
{
    const CommandCase cases[] = {
        {R"({"funcation_name":"min_wnd"})", BridgeCommand::MinimiseWindow},
        {R"({"funcation_name":"close_wnd"})", BridgeCommand::CloseWindow},
        {R"({"funcation_name":"open_game","token":"t1","qxext":"x"})", BridgeCommand::OpenGame},
        {R"({"funcation_name":"wnd_mousemove"})", BridgeCommand::DragWindow},
        // the default reader takes comments and ignores other members
        {"/* page */ {\"funcation_name\":\"close_wnd\", \"other\":[1,2]} // end", BridgeCommand::CloseWindow},
        // letter case, blanks and near names
        {R"({"funcation_name":"MIN_WND"})", BridgeCommand::None},
        {R"({"funcation_name":"Open_game"})", BridgeCommand::None},
        {R"({"funcation_name":"min_wnd "})", BridgeCommand::None},
        {R"({"funcation_name":" close_wnd"})", BridgeCommand::None},
        {R"({"funcation_name":"min_wnd\u0000"})", BridgeCommand::None},
        {R"({"function_name":"min_wnd"})", BridgeCommand::None},
        {R"({"Funcation_name":"min_wnd"})", BridgeCommand::None},
        {R"({"funcation_name":""})", BridgeCommand::None},
        // wrong shapes of the member and the root
        {R"({"funcation_name":1})", BridgeCommand::None},
        {R"({"funcation_name":null})", BridgeCommand::None},
        {R"({"funcation_name":{"funcation_name":"min_wnd"}})", BridgeCommand::None},
        {R"({"funcation_name":["min_wnd"]})", BridgeCommand::None},
        {R"({"token":"t"})", BridgeCommand::None},
        {R"([{"funcation_name":"min_wnd"}])", BridgeCommand::None},
        {R"("min_wnd")", BridgeCommand::None},
        {"42", BridgeCommand::None},
        {"true", BridgeCommand::None},
        {"null", BridgeCommand::None},
        {"{}", BridgeCommand::None},
        // not JSON at all
        {"min_wnd", BridgeCommand::None},
        {"", BridgeCommand::None},
        {R"({"funcation_name":"min_wnd")", BridgeCommand::None},
    };
    for (const CommandCase& c : cases) EXPECT_EQ(ChooseBridgeCommand(c.text), c.expected) << c.text;
}

TEST(BridgeCommandTest, DeepNestingEndsWithoutACommand)
{
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_EQ(ChooseBridgeCommand(deep), BridgeCommand::None);
    const std::string deepMember = R"({"funcation_name":"min_wnd","x":)" + std::string(5000, '{');
    EXPECT_EQ(ChooseBridgeCommand(deepMember), BridgeCommand::None);
}

TEST(BridgeCommandTest, RequestKeepsTheWholeNarrowedText)
{
    const std::wstring argument = L"{\"funcation_name\":\"open_game\",\"token\":\"\u4e2d\u6587\",\"qxext\":\"q\"}";
    int calls = 0;
    const BridgeRequest request = ReadBridgeRequest(argument, [&calls](const std::wstring& text) {
        ++calls;
        return NarrowWithReplacement(text);
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(request.command, BridgeCommand::OpenGame);
    EXPECT_EQ(request.text, R"({"funcation_name":"open_game","token":"??","qxext":"q"})");

    // A command name outside the code page no longer matches once replaced.
    const BridgeRequest replaced =
        ReadBridgeRequest(L"{\"funcation_name\":\"min_wn\u00e9\"}", NarrowWithReplacement);
    EXPECT_EQ(replaced.command, BridgeCommand::None);
    EXPECT_EQ(replaced.text, R"({"funcation_name":"min_wn?"})");
}

TEST(WebAddressTest, OnlyHttpAndHttpsGoToTheDefaultBrowser)
{
    const struct {
        const wchar_t* address;
        bool web;
    } cases[] = {
        {L"http://www.vorkan.com/news", true},
        {L"https://www.vorkan.com/", true},
        {L"HTTPS://WWW.VORKAN.COM/", true},
        {L"file:///C:/windows/system32/calc.exe", false},
        {L"C:\\windows\\system32\\calc.exe", false},
        {L"javascript:alert(1)", false},
        {L"ms-settings:", false},
        {L"mailto:a@b.c", false},
        {L"http:calc.exe", false},
        {L"httpx://host/", false},
        {L" https://host/", false},
        {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsWebAddress(c.address), c.web) << c.address;
}

}  // namespace
