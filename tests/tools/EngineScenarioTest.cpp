// The stand-in engine's scenario text: what each statement makes of a page,
// and that a mistake names its line instead of half-applying the file.
#include "tools/BrowserEngine/EngineScenario.h"

#include <gtest/gtest.h>

namespace {

using engine::ActionKind;
using engine::ParseScenario;
using engine::Scenario;
using engine::Trigger;
using engine::ValueType;

TEST(EngineScenario, EveryStatementLandsInItsPage)
{
    const char* text =
        "\xEF\xBB\xBF# portal with everything\r\n"
        "page https://portal.vorkan.test/client\r\n"
        "frames 2\r\n"
        "error i4 0x800C0005\r\n"
        "title Vorkan \xE2\x80\x94 Portal\r\n"
        "on complete external g_callCppFunc\r\n"
        "arg str {\"funcation_name\":\"open_game\", \"token\":\"a b\"}\r\n"
        "arg i4 -7\r\n"
        "arg null\r\n"
        "on timer 250 newwindow https://news.vorkan.test/ 0x4\r\n"
        "on timer 0 scripterror boom at line 3\r\n"
        "on complete download https://cdn.vorkan.test/a.zip\r\n"
        "on complete click start\r\n"
        "on complete link https://portal.vorkan.test/news?id=1\r\n"
        "on timer 5 copy Vorkan \xE2\x80\x94 start\r\n"
        "\r\n"
        "page *\n"
        "stall\n";
    Scenario scenario;
    std::string error;
    ASSERT_TRUE(ParseScenario(text, scenario, error)) << error;
    ASSERT_EQ(scenario.pages.size(), 2u);
    const engine::PageScenario& page = scenario.pages[0];
    EXPECT_EQ(page.prefix, "https://portal.vorkan.test/client");
    EXPECT_EQ(page.frames, 2u);
    EXPECT_TRUE(page.fails);
    EXPECT_EQ(page.errorStatus.type, ValueType::I4);
    EXPECT_EQ(static_cast<uint32_t>(page.errorStatus.integer), 0x800C0005u);
    EXPECT_EQ(page.title, "Vorkan \xE2\x80\x94 Portal");
    EXPECT_FALSE(page.stall);
    ASSERT_EQ(page.actions.size(), 7u);

    const engine::ScenarioAction& call = page.actions[0];
    EXPECT_EQ(call.kind, ActionKind::External);
    EXPECT_EQ(call.trigger, Trigger::Complete);
    EXPECT_EQ(call.text, "g_callCppFunc");
    ASSERT_EQ(call.args.size(), 3u);
    EXPECT_EQ(call.args[0].type, ValueType::Str);
    EXPECT_EQ(call.args[0].text, "{\"funcation_name\":\"open_game\", \"token\":\"a b\"}");
    EXPECT_EQ(call.args[1].type, ValueType::I4);
    EXPECT_EQ(call.args[1].integer, -7);
    EXPECT_EQ(call.args[2].type, ValueType::Null);

    EXPECT_EQ(page.actions[1].kind, ActionKind::NewWindow);
    EXPECT_EQ(page.actions[1].trigger, Trigger::Timer);
    EXPECT_EQ(page.actions[1].delayMs, 250u);
    EXPECT_EQ(page.actions[1].text, "https://news.vorkan.test/");
    EXPECT_EQ(page.actions[1].flags, 0x4u);
    EXPECT_EQ(page.actions[2].kind, ActionKind::ScriptError);
    EXPECT_EQ(page.actions[2].text, "boom at line 3");
    EXPECT_EQ(page.actions[3].kind, ActionKind::Download);
    EXPECT_EQ(page.actions[4].kind, ActionKind::Click);
    EXPECT_EQ(page.actions[4].text, "start");
    EXPECT_EQ(page.actions[5].kind, ActionKind::Link);
    EXPECT_EQ(page.actions[5].text, "https://portal.vorkan.test/news?id=1");
    EXPECT_EQ(page.actions[6].kind, ActionKind::Copy);
    EXPECT_EQ(page.actions[6].trigger, Trigger::Timer);
    EXPECT_EQ(page.actions[6].text, "Vorkan \xE2\x80\x94 start");
    EXPECT_TRUE(scenario.pages[1].stall);
}

TEST(EngineScenario, FramesThatFailOrCompleteLateHugeArgumentsObjectsAndFaults)
{
    const char* text =
        "page *\n"
        "frameerror ui4 0x800C0005\n"
        "lateframe 1500\n"
        "on complete external g_callCppFunc\n"
        "arg fill 3 {\"token\":\"*\",\"star\":\"*\"}\n"
        "arg fill 2 ab\n"
        "arg object {\"funcation_name\":\"min_wnd\"}\n"
        "on timer 10 fault\n";
    Scenario scenario;
    std::string error;
    ASSERT_TRUE(ParseScenario(text, scenario, error)) << error;
    const engine::PageScenario& page = scenario.pages[0];
    EXPECT_EQ(page.frames, 0u) << "a failing frame is the first one, whatever the count";
    EXPECT_TRUE(page.frameFails);
    EXPECT_EQ(page.frameErrorStatus.type, ValueType::UI4);
    EXPECT_EQ(engine::DescribeValue(page.frameErrorStatus), "VT_UI4:0x800C0005");
    EXPECT_FALSE(page.fails) << "the top document loads";
    EXPECT_TRUE(page.lateFrame);
    EXPECT_EQ(page.lateFrameMs, 1500u);
    ASSERT_EQ(page.actions.size(), 2u);
    const auto& args = page.actions[0].args;
    ASSERT_EQ(args.size(), 3u);
    EXPECT_EQ(args[0].type, ValueType::Str);
    EXPECT_EQ(args[0].text, "{\"token\":\"xxx\",\"star\":\"*\"}") << "only the first star is filled";
    EXPECT_EQ(args[1].text, "abxx") << "without a star the letters follow";
    EXPECT_EQ(args[2].type, ValueType::Object);
    EXPECT_EQ(args[2].text, "{\"funcation_name\":\"min_wnd\"}");
    EXPECT_EQ(engine::DescribeValue(args[2]), "VT_DISPATCH:object");
    EXPECT_EQ(page.actions[1].kind, ActionKind::Fault);
    EXPECT_EQ(page.actions[1].delayMs, 10u);

    ASSERT_TRUE(ParseScenario("page *\non complete external f\narg fill 1048576 *\n", scenario, error)) << error;
    const engine::ScenarioValue& huge = scenario.pages[0].actions[0].args[0];
    EXPECT_EQ(huge.text.size(), 1048576u);
    EXPECT_EQ(engine::DescribeValue(huge), "VT_BSTR:" + std::string(64, 'x') + "...(1048576 bytes)");
}

TEST(EngineScenario, TheFirstMatchingPageWinsAndNoMatchIsThePlainPage)
{
    Scenario scenario;
    std::string error;
    ASSERT_TRUE(ParseScenario("page https://a.test/x\nframes 1\npage https://a.test/\nframes 2\n", scenario, error));
    EXPECT_EQ(scenario.Find("https://a.test/x?y=1").frames, 1u);
    EXPECT_EQ(scenario.Find("https://a.test/other").frames, 2u);
    const engine::PageScenario& none = scenario.Find("https://b.test/");
    EXPECT_EQ(none.frames, 0u);
    EXPECT_FALSE(none.fails);
    EXPECT_FALSE(none.stall);
    EXPECT_TRUE(none.actions.empty());

    ASSERT_TRUE(ParseScenario("page *\nframes 3\npage https://a.test/\nframes 1\n", scenario, error));
    EXPECT_EQ(scenario.Find("https://a.test/").frames, 3u);
}

TEST(EngineScenario, StatusVariantsKeepTheirTypeAndBits)
{
    const struct {
        const char* line;
        ValueType type;
        int64_t integer;
        std::string described;
    } cases[] = {
        {"error i4 0x800C0005", ValueType::I4, static_cast<int32_t>(0x800C0005u), "VT_I4:0x800C0005"},
        {"error i4 -5", ValueType::I4, -5, "VT_I4:0xFFFFFFFB"},
        {"error ui4 0x800C0005", ValueType::UI4, 0x800C0005LL, "VT_UI4:0x800C0005"},
        {"error i2 65535", ValueType::I2, -1, "VT_I2:-1"},
        {"error bstr offline", ValueType::Str, 0, "VT_BSTR:offline"},
        {"error empty", ValueType::Empty, 0, "VT_EMPTY"},
    };
    for (const auto& c : cases) {
        Scenario scenario;
        std::string error;
        ASSERT_TRUE(ParseScenario(std::string("page *\n") + c.line, scenario, error)) << c.line << ": " << error;
        const engine::ScenarioValue& status = scenario.pages[0].errorStatus;
        EXPECT_EQ(status.type, c.type) << c.line;
        EXPECT_EQ(status.integer, c.integer) << c.line;
        EXPECT_EQ(engine::DescribeValue(status), c.described) << c.line;
    }
}

TEST(EngineScenario, AMistakeNamesItsLineAndKeepsTheOldScenario)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"frames 1\n", "line 1: 'frames' before the first page"},
        {"page *\n\n# c\nframez 1\n", "line 4: unknown keyword 'framez'"},
        {"page *\nframes 33\n", "line 2: frames needs a count up to 32"},
        {"page *\nframes -1\n", "line 2: frames needs a count up to 32"},
        {"page *\nframes 1 2\n", "line 2: frames needs a count up to 32"},
        {"page *\nerror i4 0x1FFFFFFFF\n", "line 2: error needs a type"},
        {"page *\nerror i4 12ab\n", "line 2: error needs a type"},
        {"page *\nerror str text\n", "line 2: error needs a type"},
        {"page *\nerror i4\n", "line 2: error needs a type"},
        {"page *\narg str x\n", "line 2: arg without an external action before it"},
        {"page *\non complete download x\narg i4 1\n", "line 3: arg without an external action before it"},
        {"page *\non complete external f\narg bstr x\n", "line 3: arg needs a type"},
        {"page *\non complete external f\narg bool yes\n", "line 3: arg needs a type"},
        {"page *\non timer soon external f\n", "line 2: timer needs milliseconds up to 600000"},
        {"page *\non timer 600001 contextmenu\n", "line 2: timer needs milliseconds up to 600000"},
        {"page *\non load contextmenu\n", "line 2: on needs complete or timer"},
        {"page *\non complete explode\n", "line 2: unknown action 'explode'"},
        {"page *\non complete external\n", "line 2: external needs one name"},
        {"page *\non complete external a b\n", "line 2: external needs one name"},
        {"page *\non complete click nowhere\n", "line 2: click needs start, min, close, drag or link"},
        {"page *\non complete newwindow https://x/ lots\n", "line 2: bad newwindow flags"},
        {"page *\non complete navigate\n", "line 2: navigate needs an address"},
        {"page *\non complete link\n", "line 2: link needs an address"},
        {"page\n", "line 1: page needs one address prefix"},
        {"page a b\n", "line 1: page needs one address prefix"},
        {"page *\nstall now\n", "line 2: stall takes no value"},
        {"page *\nframeerror str x\n", "line 2: frameerror needs a type"},
        {"page *\nframeerror i4\n", "line 2: frameerror needs a type"},
        {"page *\nlateframe\n", "line 2: lateframe needs milliseconds up to 600000"},
        {"page *\nlateframe 600001\n", "line 2: lateframe needs milliseconds up to 600000"},
        {"page *\non complete fault now\n", "line 2: fault takes no value"},
        {"page *\non complete external f\narg fill\n", "line 3: arg needs a type"},
        {"page *\non complete external f\narg fill 16777217 *\n", "line 3: arg needs a type"},
        {"page *\nerror object x\n", "line 2: error needs a type"},
    };
    for (const auto& c : cases) {
        Scenario scenario;
        std::string error;
        ASSERT_TRUE(ParseScenario("page kept\nframes 4\n", scenario, error));
        EXPECT_FALSE(ParseScenario(c.text, scenario, error)) << c.text;
        EXPECT_EQ(error.compare(0, std::string(c.error).size(), c.error), 0) << c.text << " gave " << error;
        ASSERT_EQ(scenario.pages.size(), 1u) << c.text;
        EXPECT_EQ(scenario.pages[0].prefix, "kept");
    }
}

TEST(EngineScenario, EmptyAndCommentOnlyTextsGiveNoPages)
{
    for (const char* text : {"", "\n\n", "# only a comment\r\n   \t\n"}) {
        Scenario scenario;
        std::string error;
        EXPECT_TRUE(ParseScenario(text, scenario, error)) << error;
        EXPECT_TRUE(scenario.pages.empty());
    }
}

}  // namespace
