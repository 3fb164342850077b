// Fills LaunchParams from the launch command JSON. Portable: the caller
// supplies the code-page conversion, logs and records the window id.
#pragma once

#include <functional>
#include <string>

#include "GameLoader/GameLoader/LaunchParams.h"

enum class LaunchJsonResult {
    NotJson,      // not valid JSON: no field changed
    Taken,        // every present string member taken
    Interrupted,  // an exception stopped the reading; the fields stored before it stay
};

struct LaunchJsonCallbacks {
    std::function<std::wstring(const std::string&)> widen;  // from the ANSI code page
    // Called right after `winid` has been stored.
    std::function<void(const std::wstring& winid)> onWinId;
};

// ansiJson: the launch command text in the ANSI code page. Only members
// whose value is a JSON string are taken; keys are case-sensitive.
LaunchJsonResult ReadLaunchParams(const std::string& ansiJson, const LaunchJsonCallbacks& callbacks,
                                  LaunchParams& params);

// The C library's atoi rules, without its overflow: leading white space and
// one sign, digits up to the first other character, 0 without digits,
// saturated at the 32-bit limits.
int ParseLeadingInt(const std::string& text);
