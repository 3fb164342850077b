#include "tools/BrowserEngine/EngineScenario.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace engine {

namespace {

constexpr unsigned kMaxFrames = 32;
constexpr unsigned long kMaxDelayMs = 600000;
constexpr int64_t kMaxFill = 16 << 20;
constexpr size_t kDescribedText = 200;  // longer texts are described by their start and size

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Splits off the first word; rest keeps everything after the separating blanks.
std::string_view NextWord(std::string_view& rest)
{
    rest = Trim(rest);
    size_t end = 0;
    while (end < rest.size() && rest[end] != ' ' && rest[end] != '\t') ++end;
    std::string_view word = rest.substr(0, end);
    rest = rest.substr(end);
    size_t skip = 0;
    while (skip < rest.size() && (rest[skip] == ' ' || rest[skip] == '\t')) ++skip;
    rest.remove_prefix(skip);
    return word;
}

bool ParseInteger(std::string_view word, int64_t minValue, int64_t maxValue, int64_t& out)
{
    if (word.empty() || word.size() > 40) return false;
    const std::string text(word);
    char* end = nullptr;
    errno = 0;
    long long value = 0;
    if (text[0] == '-') {
        value = std::strtoll(text.c_str(), &end, 0);
    } else {
        const unsigned long long u = std::strtoull(text.c_str(), &end, 0);
        if (u > static_cast<unsigned long long>(std::numeric_limits<long long>::max())) return false;
        value = static_cast<long long>(u);
    }
    if (errno != 0 || end == nullptr || *end != '\0') return false;
    if (value < minValue || value > maxValue) return false;
    out = value;
    return true;
}

bool ParseValue(std::string_view typeWord, std::string_view rest, ScenarioValue& value)
{
    value = ScenarioValue{};
    if (typeWord == "str" || typeWord == "object") {
        value.type = typeWord == "str" ? ValueType::Str : ValueType::Object;
        value.text = std::string(rest);
        return true;
    }
    if (typeWord == "fill") {
        int64_t count = 0;
        if (!ParseInteger(NextWord(rest), 0, kMaxFill, count)) return false;
        value.type = ValueType::Str;
        value.text = std::string(rest);
        const size_t star = value.text.find('*');
        const std::string letters(static_cast<size_t>(count), 'x');
        if (star == std::string::npos)
            value.text += letters;
        else
            value.text.replace(star, 1, letters);
        return true;
    }
    std::string_view word = NextWord(rest);
    if (!Trim(rest).empty()) return false;
    if (typeWord == "empty" || typeWord == "null") {
        value.type = typeWord == "empty" ? ValueType::Empty : ValueType::Null;
        return word.empty();
    }
    if (typeWord == "i4") {
        // Statuses are written as 0x800C0005: accept the unsigned spelling too.
        value.type = ValueType::I4;
        if (!ParseInteger(word, std::numeric_limits<int32_t>::min(), std::numeric_limits<uint32_t>::max(),
                          value.integer))
            return false;
        value.integer = static_cast<int32_t>(static_cast<uint32_t>(value.integer));
        return true;
    }
    if (typeWord == "ui4") {
        value.type = ValueType::UI4;
        return ParseInteger(word, 0, std::numeric_limits<uint32_t>::max(), value.integer);
    }
    if (typeWord == "i2") {
        value.type = ValueType::I2;
        if (!ParseInteger(word, std::numeric_limits<int16_t>::min(), std::numeric_limits<uint16_t>::max(),
                          value.integer))
            return false;
        value.integer = static_cast<int16_t>(static_cast<uint16_t>(value.integer));
        return true;
    }
    if (typeWord == "r8") {
        value.type = ValueType::R8;
        if (word.empty() || word.size() > 60) return false;
        const std::string text(word);
        char* end = nullptr;
        value.real = std::strtod(text.c_str(), &end);
        return end != nullptr && *end == '\0';
    }
    if (typeWord == "bool") {
        value.type = ValueType::Bool;
        if (word == "true") value.integer = 1;
        else if (word == "false") value.integer = 0;
        else return false;
        return true;
    }
    if (typeWord == "bstr") {
        value.type = ValueType::Str;
        value.text = std::string(word);
        return true;
    }
    return false;
}

bool ParseAction(std::string_view rest, ScenarioAction& action, std::string& reason)
{
    const std::string_view kind = NextWord(rest);
    action.text = std::string(Trim(rest));
    if (kind == "external") {
        action.kind = ActionKind::External;
        if (action.text.empty() || action.text.find_first_of(" \t") != std::string::npos) {
            reason = "external needs one name";
            return false;
        }
        return true;
    }
    if (kind == "scripterror") {
        action.kind = ActionKind::ScriptError;
        return true;
    }
    if (kind == "contextmenu") {
        action.kind = ActionKind::ContextMenu;
        return true;
    }
    if (kind == "fault") {
        action.kind = ActionKind::Fault;
        if (!action.text.empty()) {
            reason = "fault takes no value";
            return false;
        }
        return true;
    }
    if (kind == "download" || kind == "navigate" || kind == "link") {
        action.kind = kind == "download" ? ActionKind::Download
                      : kind == "navigate" ? ActionKind::Navigate
                                           : ActionKind::Link;
        if (action.text.empty()) {
            reason = std::string(kind) + " needs an address";
            return false;
        }
        return true;
    }
    if (kind == "copy") {
        action.kind = ActionKind::Copy;
        return true;
    }
    if (kind == "newwindow") {
        action.kind = ActionKind::NewWindow;
        std::string_view words = rest;
        action.text = std::string(NextWord(words));
        const std::string_view flags = NextWord(words);
        if (!flags.empty()) {
            int64_t value = 0;
            if (!ParseInteger(flags, 0, std::numeric_limits<uint32_t>::max(), value) || !Trim(words).empty()) {
                reason = "bad newwindow flags";
                return false;
            }
            action.flags = static_cast<uint32_t>(value);
        }
        return true;
    }
    if (kind == "click") {
        action.kind = ActionKind::Click;
        const std::string& part = action.text;
        if (part != "start" && part != "min" && part != "close" && part != "drag" && part != "link") {
            reason = "click needs start, min, close, drag or link";
            return false;
        }
        return true;
    }
    reason = "unknown action '" + std::string(kind) + "'";
    return false;
}

}  // namespace

const PageScenario& Scenario::Find(std::string_view url) const
{
    static const PageScenario builtIn;
    for (const PageScenario& page : pages) {
        if (page.prefix == "*" || url.substr(0, page.prefix.size()) == page.prefix) return page;
    }
    return builtIn;
}

bool ParseScenario(std::string_view text, Scenario& scenario, std::string& error)
{
    Scenario parsed;
    int lineNumber = 0;
    std::string reason;
    while (!text.empty()) {
        ++lineNumber;
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        if (lineNumber == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        line = Trim(line);
        if (line.empty() || line.front() == '#') continue;

        std::string_view rest = line;
        const std::string_view keyword = NextWord(rest);
        PageScenario* page = parsed.pages.empty() ? nullptr : &parsed.pages.back();
        bool ok = true;
        if (keyword == "page") {
            const std::string_view prefix = NextWord(rest);
            ok = !prefix.empty() && Trim(rest).empty();
            if (ok) {
                parsed.pages.emplace_back();
                parsed.pages.back().prefix = std::string(prefix);
            } else {
                reason = "page needs one address prefix";
            }
        } else if (!page) {
            ok = false;
            reason = "'" + std::string(keyword) + "' before the first page";
        } else if (keyword == "frames") {
            int64_t n = 0;
            ok = ParseInteger(NextWord(rest), 0, kMaxFrames, n) && Trim(rest).empty();
            if (ok) page->frames = static_cast<unsigned>(n);
            else reason = "frames needs a count up to 32";
        } else if (keyword == "frameerror") {
            const std::string_view type = NextWord(rest);
            ok = type != "str" && type != "object" && type != "fill" && ParseValue(type, rest, page->frameErrorStatus);
            if (ok) page->frameFails = true;
            else reason = "frameerror needs a type (i4, ui4, i2, bstr, empty) and a value";
        } else if (keyword == "lateframe") {
            int64_t ms = 0;
            ok = ParseInteger(NextWord(rest), 0, kMaxDelayMs, ms) && Trim(rest).empty();
            if (ok) {
                page->lateFrame = true;
                page->lateFrameMs = static_cast<unsigned>(ms);
            } else {
                reason = "lateframe needs milliseconds up to 600000";
            }
        } else if (keyword == "error") {
            const std::string_view type = NextWord(rest);
            ok = type != "str" && type != "object" && type != "fill" && ParseValue(type, rest, page->errorStatus);
            if (ok) page->fails = true;
            else reason = "error needs a type (i4, ui4, i2, bstr, empty) and a value";
        } else if (keyword == "title") {
            page->title = std::string(rest);
        } else if (keyword == "stall") {
            ok = Trim(rest).empty();
            if (ok) page->stall = true;
            else reason = "stall takes no value";
        } else if (keyword == "on") {
            ScenarioAction action;
            const std::string_view when = NextWord(rest);
            if (when == "complete") {
                action.trigger = Trigger::Complete;
            } else if (when == "timer") {
                action.trigger = Trigger::Timer;
                int64_t ms = 0;
                ok = ParseInteger(NextWord(rest), 0, kMaxDelayMs, ms);
                action.delayMs = static_cast<unsigned>(ms);
                if (!ok) reason = "timer needs milliseconds up to 600000";
            } else {
                ok = false;
                reason = "on needs complete or timer";
            }
            if (ok) ok = ParseAction(rest, action, reason);
            if (ok) page->actions.push_back(std::move(action));
        } else if (keyword == "arg") {
            ok = !page->actions.empty() && page->actions.back().kind == ActionKind::External;
            if (ok) {
                ScenarioValue value;
                const std::string_view type = NextWord(rest);
                ok = type != "bstr" && ParseValue(type, rest, value);
                if (ok) page->actions.back().args.push_back(std::move(value));
                else reason = "arg needs a type (str, fill, object, i4, r8, bool, null, empty) and a value";
            } else {
                reason = "arg without an external action before it";
            }
        } else {
            ok = false;
            reason = "unknown keyword '" + std::string(keyword) + "'";
        }
        if (!ok) {
            error = "line " + std::to_string(lineNumber) + ": " + reason;
            return false;
        }
    }
    scenario = std::move(parsed);
    return true;
}

std::string DescribeValue(const ScenarioValue& value)
{
    char buffer[64];
    switch (value.type) {
    case ValueType::Empty: return "VT_EMPTY";
    case ValueType::Null: return "VT_NULL";
    case ValueType::I4:
        std::snprintf(buffer, sizeof buffer, "VT_I4:0x%08X", static_cast<unsigned>(static_cast<uint32_t>(value.integer)));
        return buffer;
    case ValueType::UI4:
        std::snprintf(buffer, sizeof buffer, "VT_UI4:0x%08X", static_cast<unsigned>(value.integer));
        return buffer;
    case ValueType::I2:
        std::snprintf(buffer, sizeof buffer, "VT_I2:%d", static_cast<int>(value.integer));
        return buffer;
    case ValueType::R8:
        std::snprintf(buffer, sizeof buffer, "VT_R8:%g", value.real);
        return buffer;
    case ValueType::Bool: return value.integer ? "VT_BOOL:true" : "VT_BOOL:false";
    case ValueType::Str:
        if (value.text.size() <= kDescribedText) return "VT_BSTR:" + value.text;
        return "VT_BSTR:" + value.text.substr(0, 64) + "...(" + std::to_string(value.text.size()) + " bytes)";
    case ValueType::Object: return "VT_DISPATCH:object";
    }
    return "?";
}

}  // namespace engine
