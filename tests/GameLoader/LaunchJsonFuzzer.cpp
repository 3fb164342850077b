// Any launch command text, however broken, must leave the launcher with a
// result: no crash, no exception, no sanitizer finding.
#include <cstddef>
#include <cstdint>
#include <string>

#include "GameLoader/GameLoader/GameExitCommand.h"
#include "GameLoader/GameLoader/LaunchParamsReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    RecognizeGameExitCommand(text);

    LaunchParams params;
    const LaunchJsonCallbacks callbacks{
        [](const std::string& s) { return std::wstring(s.begin(), s.end()); },
        [&params](const std::wstring& winid) {
            if (winid != params.winid) __builtin_trap();
        }};
    const LaunchJsonResult result = ReadLaunchParams(text, callbacks, params);
    // Text that is not JSON changes no field.
    if (result == LaunchJsonResult::NotJson && !params.winid.empty()) __builtin_trap();
    ParseLeadingInt(text);
    return 0;
}
