// What each navigated address does in the stand-in browser engine.
//
// Scenario file (UTF-8 text, path in %VRK_ENGINE_SCENARIO%; without it every
// address is the built-in portal page that simply completes). One statement
// per line; blank lines and lines starting with '#' are ignored; keywords are
// lower case. A "page" line opens the block for addresses that start with its
// prefix ("*" matches any address); the first matching block wins, an address
// that matches none behaves like the built-in page.
//
//   page <prefix>            open a block
//   frames <n>               n frame documents complete before the top one
//   frameerror <type> <value>
//                            the first frame's navigation fails (implies one
//                            frame at least): NavigateError from that frame's
//                            dispatch carries the status as for "error"; the
//                            frame's error page then completes
//   lateframe <ms>           one more frame that starts before the top
//                            document completes and completes <ms>
//                            milliseconds after it (an advertisement, say)
//   error <type> <value>     the navigation fails: NavigateError carries the
//                            status as a variant of <type> (i4, ui4, i2, bstr,
//                            empty); unless the host cancels it the engine's
//                            error page then completes (no frames, no actions)
//   title <text>             TitleChange after NavigateComplete2
//   stall                    the navigation never completes
//   on complete <action>     run when the top document has completed
//   on timer <ms> <action>   run <ms> milliseconds after that
//   arg <type> [<value>]     an argument of the preceding "external" action:
//                            str (rest of the line, may be empty), i4, r8,
//                            bool (true/false), null, empty;
//                            fill <n> <text>: the text with its first '*'
//                            replaced by n letters x (a huge argument);
//                            object <text>: a script object whose conversion
//                            to a string runs page code (recorded as
//                            "page code ran") that answers the text
//
// Actions:
//   external <name>          window.external.<name>(args...): GetExternal,
//                            GetIDsOfNames with the name as written, Invoke;
//                            a failure of any of them is an uncaught script
//                            error (as below)
//   scripterror <message>    the page's script fails: Exec of
//                            OLECMDID_SHOWSCRIPTERROR on the host
//   download <url>           FileDownload, then QueryService for the
//                            download manager and Download
//   newwindow <url> [flags]  NewWindow3 (flags default 0x6: user-initiated, first)
//   contextmenu              IDocHostUIHandler::ShowContextMenu
//   navigate <url>           the page's script navigates it
//   link <url>               the player follows a link: TranslateUrl, then
//                            the navigation to the address the host answered
//   copy <text>              the player copies text of the page:
//                            FilterDataObject with the engine's data object
//   click <part>             a mouse click on the painted page: start, min,
//                            close, drag or link
//   fault                    the engine's own code faults (writes through a
//                            null pointer) inside its callback
//
// Example:
//   page https://portal.vorkan.test/client/index/vrk
//   frames 2
//   on complete external g_callCppFunc
//   arg str {"funcation_name":"min_wnd"}
//   on timer 200 click start
//
// This parser is portable (no platform headers): it runs under the sanitizers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

enum class ValueType { Empty, Null, I4, UI4, I2, R8, Bool, Str, Object };

struct ScenarioValue {
    ValueType type = ValueType::Empty;
    int64_t integer = 0;  // I4/UI4/I2 bits, Bool 0 or 1
    double real = 0.0;
    std::string text;  // Str, UTF-8; Object: what its conversion answers
};

enum class ActionKind {
    External, ScriptError, Download, NewWindow, ContextMenu, Navigate, Link, Copy, Click, Fault,
    LateFrameComplete,  // the engine's own: the late frame completes (never parsed)
};
enum class Trigger { Complete, Timer };

struct ScenarioAction {
    Trigger trigger = Trigger::Complete;
    unsigned delayMs = 0;
    ActionKind kind = ActionKind::External;
    std::string text;  // external name, url, script message, copied text or clicked part
    uint32_t flags = 0x6;
    std::vector<ScenarioValue> args;
};

struct PageScenario {
    std::string prefix = "*";
    unsigned frames = 0;
    bool frameFails = false;
    ScenarioValue frameErrorStatus;
    bool lateFrame = false;
    unsigned lateFrameMs = 0;
    bool fails = false;
    ScenarioValue errorStatus;
    std::string title;
    bool stall = false;
    std::vector<ScenarioAction> actions;
};

struct Scenario {
    std::vector<PageScenario> pages;

    // The block for an address; the built-in page when none matches.
    const PageScenario& Find(std::string_view url) const;
};

// Parses scenario text. On failure gives false with "line <n>: <reason>" in
// error and leaves scenario unchanged.
bool ParseScenario(std::string_view text, Scenario& scenario, std::string& error);

// "VT_I4:0x800C0005"-style text of a value, as the record shows variants.
std::string DescribeValue(const ScenarioValue& value);

}  // namespace engine
