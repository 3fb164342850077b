// The process message loop of the toolkit's windows and the pre-translation
// every queued message gets before it is translated and dispatched.
#pragma once

#include <windows.h>

namespace SkinUI {

// Runs until WM_QUIT.
void RunMessageLoop();

// Offers a queued message to the accelerators and pre-handling of the window
// managers it concerns; true when it was consumed and must not be dispatched.
// Modal loops (the notice box) call it too.
bool PreTranslateAll(MSG* msg);

}  // namespace SkinUI
