// The portal page's request text down to the command it names.
#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <string>

#include "GameLoader/CIeBrowserUI/BridgeCommand.h"
#include "GameLoader/CIeBrowserUI/OpenGameRequest.h"
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

TEST(WebAddressTest, OnlyWellFormedHttpAndHttpsAddressesGoToTheShellReEncoded)
{
    // The shell would end the address at the NUL: what it opens must be what was checked.
    static const wchar_t kWithNul[] = L"https://www.vorkan.com/a\0calc";
    const struct {
        std::wstring address;
        const wchar_t* shell;  // none: refused
    } cases[] = {
        {L"http://www.vorkan.com/news", L"http://www.vorkan.com/news"},
        {L"https://www.vorkan.com/", L"https://www.vorkan.com/"},
        {L"HTTPS://WWW.VORKAN.COM/", L"HTTPS://WWW.VORKAN.COM/"},
        {L"https://www.vorkan.com", L"https://www.vorkan.com"},
        {L"https://user@www.vorkan.com:8443/a?b=c#d", L"https://user@www.vorkan.com:8443/a?b=c#d"},
        // What follows the host stays one argument of the browser's command line.
        {L"https://www.vorkan.com/a b\"c", L"https://www.vorkan.com/a%20b%22c"},
        {L"https://www.vorkan.com/?q=\" --new-window file:///C:/x", L"https://www.vorkan.com/?q=%22%20--new-window%20file:///C:/x"},
        {std::wstring(L"https://www.vorkan.com/a\x01\x1F\x7F") + L"b", L"https://www.vorkan.com/a%01%1F%7Fb"},
        {std::wstring(kWithNul, std::size(kWithNul) - 1), L"https://www.vorkan.com/a%00calc"},
        {L"https://www.vorkan.com/%E4%B8%AD", L"https://www.vorkan.com/%E4%B8%AD"},
        {L"https://www.vorkan.com/\u4e2d\u6587", L"https://www.vorkan.com/\u4e2d\u6587"},
        // Refused: other schemes, no host, a host that is not one.
        {L"file:///C:/windows/system32/calc.exe", nullptr},
        {L"C:\\windows\\system32\\calc.exe", nullptr},
        {L"javascript:alert(1)", nullptr},
        {L"ms-settings:", nullptr},
        {L"mailto:a@b.c", nullptr},
        {L"http:calc.exe", nullptr},
        {L"httpx://host/", nullptr},
        {L" https://host/", nullptr},
        {L"https://", nullptr},
        {L"https:///path", nullptr},
        {L"https://user@/path", nullptr},
        {L"https://:80/", nullptr},
        {L"https://\"evil/", nullptr},
        {L"https://ev il/", nullptr},
        {L"https://host\\share/", nullptr},
        {L"https://host\t/", nullptr},
        {L"https://<host>/", nullptr},
        {L"", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<std::wstring> shell = ShellWebAddress(c.address);
        ASSERT_EQ(shell.has_value(), c.shell != nullptr) << std::string(c.address.begin(), c.address.end());
        if (c.shell) {
            EXPECT_EQ(*shell, c.shell);
        }
    }
}

// The window takes requests only from the queue its bridge fills: a wake-up
// from elsewhere finds nothing, and a page cannot queue without bound.
TEST(OpenGameRequestsTest, TakesInOrderFindsNothingWhenEmptyAndHoldsABoundedNumber)
{
    OpenGameRequests requests;
    EXPECT_FALSE(requests.Take().has_value()) << "a forged wake-up";
    for (std::size_t i = 0; i < OpenGameRequests::kMaxPending; ++i) EXPECT_TRUE(requests.Push("r" + std::to_string(i)));
    EXPECT_FALSE(requests.Push("one too many"));
    EXPECT_EQ(requests.Pending(), OpenGameRequests::kMaxPending);
    requests.DropNewest();  // its wake-up could not be posted
    EXPECT_EQ(requests.Take(), std::optional<std::string>("r0"));
    EXPECT_EQ(requests.Take(), std::optional<std::string>("r1"));
    std::size_t left = 0;
    while (requests.Take()) ++left;
    EXPECT_EQ(left, OpenGameRequests::kMaxPending - 3);
    requests.DropNewest();  // on an empty queue: nothing
    EXPECT_EQ(requests.Pending(), 0u);
}

}  // namespace
