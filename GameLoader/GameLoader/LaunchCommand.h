// The launch command text made of the command-line tokens: a raw argument,
// or the compact JSON of the --key=value arguments.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace Json {
class Value;
}

struct LaunchKey {
    const char* key;         // JSON member name
    const wchar_t* prefix;   // command-line prefix, "--" key "="
};

// The order in which a token is tried against the keys; the first match wins.
extern const LaunchKey kLaunchKeys[10];

struct LaunchTextCodec {
    std::function<std::string(const std::wstring&)> narrow;  // to the ANSI code page
    std::function<std::wstring(const std::string&)> widen;   // from the ANSI code page
};

// Called for every token of the list form (three or more tokens) with its
// zero-based index, before the token is matched.
using ListTokenObserver = std::function<void(std::size_t index, const std::wstring& token)>;

// tokens: the split command line, program path first.
std::wstring BuildLaunchCommand(const std::vector<std::wstring>& tokens, const LaunchTextCodec& codec,
                                const ListTokenObserver& onListToken);

// Compact JSON ("null" or {"k":"v",...}) followed by a line feed. String
// bytes pass through unchanged, so ANSI (code page 936) values survive.
std::string WriteCompactJson(const Json::Value& value);
