// Input events as a window produces them for its controls.
#pragma once

#include <windows.h>

#include "toolkit/controls/UiEvents.h"

namespace SkinUI {

class CControlUI;

// Mouse and modifier keys as controls read them: bit 0 right button, bit 1
// left button, bit 2 Shift, bit 3 Control, bit 5 Alt.
WORD CurrentKeyState() noexcept;

// An event about `sender` at the window's last mouse position, stamped now.
TEventRecord MakeControlEvent(int type, CControlUI* sender, POINT mouse) noexcept;

}  // namespace SkinUI
