#include "GameLoader/GameLoader/LaunchParamsReader.h"

#include <json/json.h>

#include <climits>

namespace {

// Every member that maps to a wide-string field, in the order they are taken.
struct StringKey {
    const char* key;
    std::wstring LaunchParams::*field;
};

const StringKey kKeysBeforeInstalled[] = {
    {"winid", &LaunchParams::winid},   {"source", &LaunchParams::source}, {"tokenLogin", &LaunchParams::tokenLogin},
    {"token", &LaunchParams::token},   {"qxext", &LaunchParams::qxext},
};
const StringKey kKeysAfterInstalled[] = {
    {"gameMgrId", &LaunchParams::gameMgrId},
    {"typeMode", &LaunchParams::typeMode},
    {"instGamePath", &LaunchParams::instGamePath},
    {"cacheGamePath", &LaunchParams::cacheGamePath},
};

// The member's string value, or false when it is missing or not a string.
// Looking a member up in a root that is neither an object nor null throws.
bool StringMember(const Json::Value& root, const char* key, std::string& value)
{
    const Json::Value& member = root[key];
    if (!member.isString()) return false;
    value = member.asString();
    return true;
}

void TakeStrings(const Json::Value& root, const StringKey* begin, const StringKey* end,
                 const LaunchJsonCallbacks& callbacks, LaunchParams& params)
{
    std::string value;
    for (const StringKey* k = begin; k != end; ++k) {
        if (!StringMember(root, k->key, value)) continue;
        params.*(k->field) = callbacks.widen(value);
        if (k->field == &LaunchParams::winid && callbacks.onWinId) callbacks.onWinId(params.winid);
    }
}

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int ParseLeadingInt(const std::string& text)
{
    std::size_t at = 0;
    while (at < text.size() && IsCSpace(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;  // saturated either way
    }
    if (negative) return value > static_cast<long long>(INT_MAX) ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

LaunchJsonResult ReadLaunchParams(const std::string& ansiJson, const LaunchJsonCallbacks& callbacks,
                                  LaunchParams& params)
{
    try {
        Json::Value root;
        Json::Reader reader;
        if (!reader.parse(ansiJson, root)) return LaunchJsonResult::NotJson;
        const Json::Value& constRoot = root;  // lookups must not add members
        TakeStrings(constRoot, std::begin(kKeysBeforeInstalled), std::end(kKeysBeforeInstalled), callbacks,
                    params);
        std::string installed;
        if (StringMember(constRoot, "installed", installed)) params.m_nGameInstalled = ParseLeadingInt(installed);
        TakeStrings(constRoot, std::begin(kKeysAfterInstalled), std::end(kKeysAfterInstalled), callbacks,
                    params);
    } catch (...) {
        // Whatever was taken before stays; the command still counts as read.
        return LaunchJsonResult::Interrupted;
    }
    return LaunchJsonResult::Taken;
}
