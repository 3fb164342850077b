// Delay-loaded system libraries (COM, the common controls, GDI+, the
// terminal services API) come from the system folder. The import helper
// would otherwise load them with LoadLibraryA, which searches the
// launcher's own folder first: a gdiplus.dll dropped beside vrk_main.exe
// would run inside the launcher at its first text drawn with GDI+.
#include <windows.h>

#include <delayimp.h>

#include "base/SystemLibrary.h"

namespace {

FARPROC WINAPI LoadFromSystemFolder(unsigned notify, PDelayLoadInfo info) noexcept
{
    if (notify != dliNotePreLoadLibrary || info == nullptr || info->szDll == nullptr) return nullptr;
    // The import table's names are plain ASCII file names.
    wchar_t name[MAX_PATH] = {};
    for (int i = 0; info->szDll[i] != '\0'; ++i) {
        if (i == MAX_PATH - 1) return nullptr;
        name[i] = static_cast<wchar_t>(static_cast<unsigned char>(info->szDll[i]));
    }
    return reinterpret_cast<FARPROC>(win32::LoadSystemLibrary(name));
}

}  // namespace

// The helper asks this hook before it loads a library itself (declared
// with C linkage by <delayimp.h>).
PfnDliHook __pfnDliNotifyHook2 = LoadFromSystemFolder;
