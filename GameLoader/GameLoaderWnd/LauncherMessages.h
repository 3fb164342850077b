// The window messages between the launcher window and the outside: the
// launcher's own senders, a second launcher instance, the platform client
// and the game-manager window. The numbers are fixed: the platform client
// and the game-manager window depend on them. Free of <windows.h> so the
// tools and the native tests share it.
#pragma once

namespace launcher_messages {
inline constexpr unsigned kWmUser = 0x0400;  // WM_USER
}

enum LauncherMessage : unsigned {
    // A window timer id (arrives as WM_TIMER), kept in the same numbering.
    TIMER_DOWNLOAD_TEXT = launcher_messages::kWmUser + 100,  // 1124

    WM_LAUNCHER_TRAY_NOTIFY = launcher_messages::kWmUser + 102,      // 1126, lParam: mouse message
    WM_LAUNCHER_SHOW = launcher_messages::kWmUser + 104,             // 1128, a document has loaded
    WM_LAUNCHER_MINIMIZE = launcher_messages::kWmUser + 105,         // 1129
    WM_LAUNCHER_CLOSE = launcher_messages::kWmUser + 106,            // 1130
    WM_LAUNCHER_OPEN_GAME = launcher_messages::kWmUser + 107,        // 1131, a wake-up: the text waits in the window's queue
    WM_LAUNCHER_DRAG = launcher_messages::kWmUser + 108,             // 1132
    WM_LAUNCHER_ACTIVATE = launcher_messages::kWmUser + 109,         // 1133, from a second instance
    WM_LAUNCHER_UNPACK_RESULT = launcher_messages::kWmUser + 110,    // 1134, platform; wParam 0: unpacked
    WM_LAUNCHER_DOWNLOAD_RESULT = launcher_messages::kWmUser + 111,  // 1135, platform; wParam 0: downloaded
    WM_LAUNCHER_PROGRESS = launcher_messages::kWmUser + 112,         // 1136, platform; wParam: 0..100
    WM_LAUNCHER_NET_ERROR = launcher_messages::kWmUser + 113,        // 1137

    // The window's own: a new-window address waits in the browser event
    // sink's queue. Like 1131 it carries nothing, so a post from elsewhere
    // finds nothing to do.
    WM_LAUNCHER_OPEN_ADDRESS = launcher_messages::kWmUser + 114,  // 1138

    // Posted by the launcher to the game-manager window.
    WM_GAMEMGR_START_FAILED = launcher_messages::kWmUser + 323,      // 1347
    WM_GAMEMGR_LAUNCHER_STARTED = launcher_messages::kWmUser + 324,  // 1348
};

static_assert(WM_LAUNCHER_ACTIVATE == 1133 && WM_LAUNCHER_UNPACK_RESULT == 1134 &&
                  WM_LAUNCHER_DOWNLOAD_RESULT == 1135 && WM_LAUNCHER_PROGRESS == 1136 &&
                  WM_GAMEMGR_START_FAILED == 1347 && WM_GAMEMGR_LAUNCHER_STARTED == 1348,
              "message numbers are part of the platform contract");
