// Restricts drawing to a rectangle (and any clip already in force) for one
// scope, then restores the clip that was there before.
#pragma once

#include <windows.h>

#include "base/Win32Handles.h"

namespace SkinUI {

class CRenderClip {
public:
    CRenderClip(HDC hdc, const RECT& rect);
    // A rounded rectangle clip.
    CRenderClip(HDC hdc, const RECT& rect, int ellipseWidth, int ellipseHeight);
    ~CRenderClip();
    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;

private:
    void SaveOld();
    HDC m_hdc;
    win32::UniqueRegion m_hOldRegion;  // none: there was no clip
};

}  // namespace SkinUI
