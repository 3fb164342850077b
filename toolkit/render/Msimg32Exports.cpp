#include "toolkit/render/Msimg32Exports.h"

#include "base/ProcedurePointers.h"
#include "base/SystemLibrary.h"

namespace SkinUI {

const Msimg32Exports& Msimg32()
{
    static const Msimg32Exports exports = [] {
        Msimg32Exports found;
        // Kept loaded for the life of the process; from the system folder
        // only, never a msimg32.dll beside the executable.
        if (HMODULE module = win32::LoadSystemLibrary(L"msimg32.dll")) {
            found.alphaBlend = win32::ExportedFunction<Msimg32Exports::AlphaBlendProc>(module, "AlphaBlend");
            found.gradientFill = win32::ExportedFunction<Msimg32Exports::GradientFillProc>(module, "GradientFill");
        }
        return found;
    }();
    return exports;
}

}  // namespace SkinUI
