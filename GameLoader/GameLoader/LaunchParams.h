// The launch parameters of one launcher process, filled once from the
// launch command text. A missing key leaves its field at the default.
#pragma once

#include <string>

struct LaunchParams {
    std::wstring winid;         // platform client window, decimal handle
    std::wstring source;        // login source; "QX" for the platform client
    std::wstring tokenLogin;    // "1": start the game at once
    std::wstring token;         // login token (a credential: never logged)
    std::wstring qxext;
    int m_nGameInstalled = 0;   // "installed"
    std::wstring gameMgrId;     // game-manager window, decimal handle
    std::wstring typeMode;
    std::wstring instGamePath;
    std::wstring cacheGamePath;
};
