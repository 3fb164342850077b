#include "toolkit/render/Msimg32Exports.h"

namespace SkinUI {

const Msimg32Exports& Msimg32()
{
    static const Msimg32Exports exports = [] {
        Msimg32Exports found;
        // Kept loaded for the life of the process.
        if (HMODULE module = ::LoadLibraryW(L"msimg32.dll")) {
            found.alphaBlend = reinterpret_cast<Msimg32Exports::AlphaBlendProc>(
                reinterpret_cast<void*>(::GetProcAddress(module, "AlphaBlend")));
            found.gradientFill = reinterpret_cast<Msimg32Exports::GradientFillProc>(
                reinterpret_cast<void*>(::GetProcAddress(module, "GradientFill")));
        }
        return found;
    }();
    return exports;
}

}  // namespace SkinUI
