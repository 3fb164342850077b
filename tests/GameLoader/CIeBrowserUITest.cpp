// The portal page's bridge, window.external.g_callCppFunc, driven by the
// stand-in engine's page scripts: the commands posted to the launcher
// window, the log lines and what the page's script gets back.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "GameLoader/CIeBrowserUI/CIeBrowserUI.h"
#include "GameLoader/CIeBrowserUI/OpenGameRequest.h"
#include "GameLoader/Common/TextConvert.h"
#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "tests/support/InProcessLog.h"
#include "tests/toolkit/hosts/HostTestWindow.h"
#include "toolkit/skinwindow/WindowImplBase.h"

namespace {

using hosttest::EngineSession;

constexpr wchar_t kPortal[] = L"https://portal.vorkan.test/client/index/vrk";
constexpr HRESULT kMemberNotFound = DISP_E_MEMBERNOTFOUND;

// The receiver's side of WM_LAUNCHER_OPEN_GAME: the message carries nothing
// (its wParam must be 0), the text waits in the queue.
hosttest::MessageRecorder::TakeOver TakeOpenGameFrom(const SharedOpenGameRequests& requests)
{
    return [requests](UINT message, WPARAM wParam) {
        if (message != WM_LAUNCHER_OPEN_GAME) return std::string();
        EXPECT_EQ(wParam, 0u) << "no pointer in the message";
        const std::optional<std::string> text = requests->Take();
        return text ? *text : std::string("<nothing queued>");
    };
}

struct LogLine {
    std::string file;
    int line;
    std::string function;
    std::string message;
};

std::vector<LogLine> ParseLog(const std::vector<std::string>& lines)
{
    static const std::regex shape(R"(.* \[([^<]*)<(\d+)>([^\]]*)\] : (.*))");
    std::vector<LogLine> out;
    for (const std::string& text : lines) {
        std::smatch m;
        if (std::regex_match(text, m, shape)) out.push_back({m[1].str(), std::stoi(m[2].str()), m[3].str(), m[4].str()});
    }
    return out;
}

// One page whose script calls the bridge once, in a fresh test window.
struct BridgeRun {
    std::vector<hosttest::PostedMessage> posted;
    std::vector<LogLine> log;
    std::string invoke;  // the engine's record of the script's call
    std::string names;   // ... and of its name lookup
    std::string record;
};

BridgeRun RunPage(const std::string& script)
{
    BridgeRun run;
    EngineSession engine("page *\n" + script);
    const testsupport::InProcessLog log;
    const auto requests = std::make_shared<OpenGameRequests>();
    hosttest::MessageRecorder launcher(TakeOpenGameFrom(requests));
    {
        hosttest::HostTestWindow window;
        auto* browser = new CIeBrowserUI(launcher.Handle(), requests);
        window.AttachRoot(browser);
        browser->Place(RECT{0, 0, 640, 480});
        EXPECT_EQ(browser->NavigateTo(kPortal), S_OK);
        EXPECT_TRUE(engine.WaitFor("Invoke")) << engine.Text();
        hosttest::PumpFor(100);  // the posted commands arrive after the script call
    }
    run.posted = launcher.Messages();
    run.log = ParseLog(log.NewLines());
    const auto invokes = engine.LinesStartingWith("Invoke");
    if (!invokes.empty()) run.invoke = invokes.back();
    const auto names = engine.LinesStartingWith("GetIDsOfNames");
    if (!names.empty()) run.names = names.back();
    run.record = engine.Text();
    return run;
}

std::string HrText(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

class CIeBrowserUITest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EngineSession::EngineRegistered()) << "run scripts/wine-register first"; }
    hosttest::OleApartment m_ole;
};

TEST_F(CIeBrowserUITest, EachCommandPostsItsMessageAndLogsItsLine)
{
    const struct {
        const char* json;
        UINT message;
        const char* logText;
        int sourceLine;
    } cases[] = {
        {R"({"funcation_name":"min_wnd"})", WM_LAUNCHER_MINIMIZE, "min_wnd call", 28},
        {R"({"funcation_name":"close_wnd"})", WM_LAUNCHER_CLOSE, "close_wnd call", 32},
        {R"({"funcation_name":"open_game","token":"tok-9","qxext":"ext"})", WM_LAUNCHER_OPEN_GAME, "open_game call", 36},
        {R"({"funcation_name":"wnd_mousemove"})", WM_LAUNCHER_DRAG, "wnd_mousemove call", 41},
    };
    for (const auto& c : cases) {
        const BridgeRun run = RunPage(std::string("on complete external g_callCppFunc\narg str ") + c.json + "\n");
        ASSERT_EQ(run.posted.size(), 1u) << c.json << run.record;
        EXPECT_EQ(run.posted[0].message, c.message);
        EXPECT_EQ(run.posted[0].lParam, 0);
        EXPECT_EQ(run.posted[0].wParam, 0u);
        if (c.message == WM_LAUNCHER_OPEN_GAME) {
            EXPECT_EQ(run.posted[0].text, c.json);  // the whole text, "token" included
        }
        ASSERT_EQ(run.log.size(), 1u) << c.json;
        EXPECT_EQ(run.log[0].file, "CIeBrowserUI.cpp");
        EXPECT_EQ(run.log[0].line, c.sourceLine);
        EXPECT_EQ(run.log[0].function, "CallCppFunc");
        EXPECT_EQ(run.log[0].message, c.logText);
        // The page gets a failure status and never a value, also after a command ran.
        EXPECT_NE(run.invoke.find("dispid=1000 argc=1 hr=" + HrText(kMemberNotFound) + " result=VT_EMPTY"),
                  std::string::npos)
            << run.invoke;
        // ... which the engine reports as a script error: the command target
        // the client site answered keeps it from the player, and the page's
        // scripts go on.
        EXPECT_NE(run.record.find("Exec OLECMDID_SHOWSCRIPTERROR source=clientsite hr=0x00000000 out=VT_BOOL:true "
                                  "dialog=host scripts=continue"),
                  std::string::npos)
            << run.record;
    }
}

TEST_F(CIeBrowserUITest, OtherRequestsDoNothing)
{
    const struct {
        const char* script;
        HRESULT status;
    } cases[] = {
        {"arg str {\"funcation_name\":\"MIN_WND\"}", kMemberNotFound},
        {"arg str {\"funcation_name\":\"min_wnd \"}", kMemberNotFound},
        {"arg str {\"funcation_name\":\"Close_wnd\"}", kMemberNotFound},
        {"arg str {\"funcation_name\":7}", kMemberNotFound},
        {"arg str {\"token\":\"t\"}", kMemberNotFound},
        {"arg str [{\"funcation_name\":\"min_wnd\"}]", kMemberNotFound},
        {"arg str 12", kMemberNotFound},
        {"arg str min_wnd", kMemberNotFound},
        {"arg str", kMemberNotFound},
        {"arg i4 5", kMemberNotFound},
        {"arg bool true", kMemberNotFound},
        {"arg empty", kMemberNotFound},
        // two arguments: the bridge does not run
        {"arg str {\"funcation_name\":\"min_wnd\"}\narg str {\"funcation_name\":\"min_wnd\"}", kMemberNotFound},
        // no argument
        {"", kMemberNotFound},
        // a script null has no text: the call ends without a command
        {"arg null", DISP_E_TYPEMISMATCH},
    };
    for (const auto& c : cases) {
        const BridgeRun run = RunPage(std::string("on complete external g_callCppFunc\n") + c.script + "\n");
        EXPECT_TRUE(run.posted.empty()) << c.script;
        EXPECT_TRUE(run.log.empty()) << c.script;
        EXPECT_NE(run.invoke.find("dispid=1000"), std::string::npos) << c.script << run.invoke;
        EXPECT_NE(run.invoke.find(" hr=" + HrText(c.status) + " result=VT_EMPTY"), std::string::npos)
            << c.script << run.invoke;
    }
}

TEST_F(CIeBrowserUITest, OnlyTheExactNameIsTheBridge)
{
    const struct {
        const char* name;
        int dispid;
    } cases[] = {
        {"g_callCppFunc", 1000},
        {"G_CALLCPPFUNC", -1},
        {"g_callcppfunc", -1},
        {"CallCppFunc", -1},
        {"g_callCppFunc2", -1},
    };
    for (const auto& c : cases) {
        const BridgeRun run = RunPage(std::string("on complete external ") + c.name +
                                      "\narg str {\"funcation_name\":\"min_wnd\"}\n");
        // Unknown names are answered S_OK with DISPID_UNKNOWN, and invoking one runs nothing.
        EXPECT_EQ(run.names, "GetIDsOfNames hr=0x00000000 dispid=" + std::to_string(c.dispid) + " name=" + c.name);
        EXPECT_EQ(run.posted.size(), c.dispid == 1000 ? 1u : 0u) << c.name;
        EXPECT_NE(run.invoke.find(" hr=" + HrText(kMemberNotFound)), std::string::npos) << run.invoke;
    }
}

TEST_F(CIeBrowserUITest, OpenGameCarriesTheTextInTheAnsiCodePage)
{
    const std::string utf8 = "{\"funcation_name\":\"open_game\",\"token\":\"\xE4\xB8\xAD\xE6\x96\x87\"}";
    const BridgeRun run = RunPage("on complete external g_callCppFunc\narg str " + utf8 + "\n");
    ASSERT_EQ(run.posted.size(), 1u) << run.record;
    EXPECT_EQ(run.posted[0].message, WM_LAUNCHER_OPEN_GAME);
    EXPECT_EQ(run.posted[0].text, WideToMultiByte(testsupport::Utf8ToWide(utf8), CP_ACP));
}

TEST(CIeBrowserUINames, LookupAnswersEveryNameWithSuccess)
{
    CIeBrowserUI bridge(nullptr, nullptr);
    wchar_t first[] = L"g_callCppFunc";
    wchar_t second[] = L"g_callCppFunc";
    LPOLESTR names[] = {first, second};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(bridge.GetIDsOfNames(IID_NULL, names, 2, LOCALE_USER_DEFAULT, ids), S_OK);
    EXPECT_EQ(ids[0], DISPID_CALLCPPFUNC);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);  // only the first name is the method's
    wchar_t other[] = L"open_game";
    names[0] = other;
    EXPECT_EQ(bridge.GetIDsOfNames(IID_IDispatch, names, 1, LOCALE_USER_DEFAULT, ids), S_OK);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
}

TEST(CIeBrowserUINames, BridgeCallWithAnInterfaceIdRunsTheCommandAndFails)
{
    hosttest::MessageRecorder launcher;
    CIeBrowserUI bridge(launcher.Handle(), nullptr);
    VARIANTARG arg;
    arg.vt = VT_BSTR;
    arg.bstrVal = ::SysAllocString(L"{\"funcation_name\":\"close_wnd\"}");
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    EXPECT_EQ(bridge.Invoke(DISPID_CALLCPPFUNC, IID_IDispatch, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              E_INVALIDARG);
    hosttest::PumpFor(50);
    EXPECT_EQ(launcher.Numbers(), std::vector<UINT>{WM_LAUNCHER_CLOSE});
    ::VariantClear(&arg);
}

TEST(CIeBrowserUINames, UndeliverableOpenGameLeavesNothingBehind)
{
    // A target that is gone: posting fails and the request leaves the queue.
    OpenGameRequests requests;
    hosttest::MessageRecorder gone;
    const HWND target = gone.Handle();
    ::DestroyWindow(target);
    EXPECT_EQ(CallCppFunc(target, &requests, L"{\"funcation_name\":\"open_game\"}"), L"{}");
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_LAUNCHER_OPEN_GAME, WM_LAUNCHER_OPEN_GAME, PM_REMOVE));
    EXPECT_EQ(requests.Pending(), 0u);
}

TEST(CIeBrowserUINames, APageCannotQueueMoreOpenGameRequestsThanTheQueueHolds)
{
    const testsupport::InProcessLog log;
    const auto requests = std::make_shared<OpenGameRequests>();
    hosttest::MessageRecorder launcher(TakeOpenGameFrom(requests));
    const std::size_t calls = OpenGameRequests::kMaxPending + 3;
    for (std::size_t i = 0; i < calls; ++i)
        CallCppFunc(launcher.Handle(), requests.get(), L"{\"funcation_name\":\"open_game\",\"n\":" + std::to_wstring(i) + L"}");
    EXPECT_EQ(requests->Pending(), OpenGameRequests::kMaxPending);
    hosttest::PumpFor(100);
    ASSERT_EQ(launcher.Messages().size(), OpenGameRequests::kMaxPending) << "one wake-up per queued request";
    EXPECT_EQ(launcher.Messages().back().text, "{\"funcation_name\":\"open_game\",\"n\":" +
                                                   std::to_string(OpenGameRequests::kMaxPending - 1) + "}");
    const std::string text = log.NewText();
    std::size_t dropped = 0;
    for (std::size_t at = 0; (at = text.find("open_game queue full, request dropped", at)) != std::string::npos; ++at)
        ++dropped;
    EXPECT_EQ(dropped, 3u);
}

// What the page passes that the bridge does not take: an argument above
// the cap (E_OUTOFMEMORY, not std::bad_alloc through the COM call) and a
// script object, whose conversion to text would run the page's code inside
// the call.
TEST_F(CIeBrowserUITest, AnArgumentAboveTheCapAndAnObjectRunNoCommand)
{
    // The longest argument taken: UTF-16 units, two bytes each.
    const std::size_t limit = kMaxBridgeArgumentBytes / 2;
    const std::string minimise = "{\"funcation_name\":\"min_wnd\",\"p\":\"*\"}";  // the '*' is filled
    const std::size_t filledToLimit = limit - (minimise.size() - 1);
    const struct {
        std::string script;
        HRESULT status;
        std::size_t posted;
    } cases[] = {
        {"arg fill 1048576 {\"funcation_name\":\"open_game\",\"token\":\"*\"}", E_OUTOFMEMORY, 0},
        {"arg fill " + std::to_string(filledToLimit) + " " + minimise, kMemberNotFound, 1},
        {"arg fill " + std::to_string(filledToLimit + 1) + " " + minimise, E_OUTOFMEMORY, 0},
        {"arg object {\"funcation_name\":\"min_wnd\"}", DISP_E_TYPEMISMATCH, 0},
    };
    for (const auto& c : cases) {
        const BridgeRun run = RunPage("on complete external g_callCppFunc\n" + c.script + "\n");
        EXPECT_EQ(run.posted.size(), c.posted) << c.script;
        EXPECT_NE(run.invoke.find(" hr=" + HrText(c.status) + " result=VT_EMPTY"), std::string::npos)
            << c.script << run.invoke;
        EXPECT_EQ(run.record.find("page code ran"), std::string::npos) << "the page's code ran inside the call";
    }
}

// A skinned window built from the product's own "GameLoader.xml", creating
// its browser element the launcher's way, and recording the bridge's
// messages as the launcher window receives them.
class PortalTestWindow : public SkinUI::WindowImplBase {
public:
    const SharedOpenGameRequests requests = std::make_shared<OpenGameRequests>();
    CIeBrowserUI* Browser()
    {
        SkinUI::CControlUI* control = m_pm.FindByName(L"ie");
        return control != nullptr ? static_cast<CIeBrowserUI*>(control->InterfaceFor(L"WebBrowser")) : nullptr;
    }
    std::vector<UINT> received;
    std::string openGameText;

protected:
    const wchar_t* WindowClassName() const override { return L"PortalTestWindow"; }
    const wchar_t* SkinFolder() const override { return L""; }
    const wchar_t* SkinFile() const override { return L"GameLoader.xml"; }
    SkinUI::SkinSource SkinSourceKind() const override { return SkinUI::SkinSource::ZipResource; }
    const wchar_t* SkinResourceId() const override { return L"130"; }
    SkinUI::CControlUI* CreateCustomControl(std::wstring_view name) override
    {
        if (::CompareStringOrdinal(name.data(), static_cast<int>(name.size()), L"IeBrowser", -1, TRUE) == CSTR_EQUAL)
            return new CIeBrowserUI(m_hWnd, requests);
        return nullptr;
    }
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= WM_LAUNCHER_SHOW && message <= WM_LAUNCHER_NET_ERROR) {
            received.push_back(message);
            if (message == WM_LAUNCHER_OPEN_GAME) openGameText = TakeOpenGameFrom(requests)(message, wParam);
            return 0;
        }
        return WindowImplBase::ProcessMessage(message, wParam, lParam);
    }
};

TEST_F(CIeBrowserUITest, ThePortalPageOpensTheGameInTheLaunchersSkin)
{
    SkinUI::CWindowManagerUI::StartUp(::GetModuleHandleW(nullptr));
    // Two clicks: every bridge call is a script error, and the page still
    // takes the second.
    EngineSession engine("page *\non complete click start\non timer 200 click min\n");
    PortalTestWindow window;
    ASSERT_NE(window.Create(nullptr, L"portal", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, 0), nullptr);
    CIeBrowserUI* browser = window.Browser();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->TargetWindow(), window.Handle());
    // The skin creates the browser before "autonavi": its home page never opens.
    hosttest::PumpFor(100);
    EXPECT_TRUE(engine.Has("create"));
    EXPECT_FALSE(engine.Has("Navigate2"));

    ASSERT_EQ(browser->NavigateTo(L"https://portal.vorkan.test/client/index/vrk?token=tk1&qxext=qx1"), S_OK);
    ASSERT_TRUE(engine.WaitFor("click part=min")) << engine.Text();
    hosttest::PumpFor(100);
    EXPECT_EQ(window.received, (std::vector<UINT>{WM_LAUNCHER_OPEN_GAME, WM_LAUNCHER_MINIMIZE}));
    EXPECT_EQ(engine.LinesStartingWith("Exec OLECMDID_SHOWSCRIPTERROR source=clientsite").size(), 2u) << engine.Text();
    EXPECT_NE(window.openGameText.find("\"funcation_name\":\"open_game\""), std::string::npos) << window.openGameText;
    EXPECT_NE(window.openGameText.find("tk1"), std::string::npos) << window.openGameText;
    EXPECT_TRUE(engine.Has("click part=start"));
    ::DestroyWindow(window.Handle());
}

}  // namespace
