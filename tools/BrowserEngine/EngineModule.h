// The engine DLL's module state: its instance and the count of live objects
// and server locks that DllCanUnloadNow answers from.
#pragma once

#include <windows.h>

namespace engine {

HINSTANCE ModuleInstance();
void ModuleAddRef();
void ModuleRelease();

}  // namespace engine
