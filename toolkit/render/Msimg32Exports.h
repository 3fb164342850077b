// AlphaBlend and GradientFill from msimg32, looked up once per process;
// either may be missing (callers then blend or band in software).
#pragma once

#include <windows.h>

namespace SkinUI {

struct Msimg32Exports {
    using AlphaBlendProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
    using GradientFillProc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
    AlphaBlendProc alphaBlend = nullptr;
    GradientFillProc gradientFill = nullptr;
};

const Msimg32Exports& Msimg32();

}  // namespace SkinUI
