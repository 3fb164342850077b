// What drawing needs from the window it draws for: the window's fonts, its
// image cache and two of its painting flags. The window manager implements
// it; the renderer knows nothing else of the manager.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include "toolkit/core/DisplayScale.h"
#include "toolkit/core/UiString.h"
#include "toolkit/render/BitmapSourceDc.h"
#include "toolkit/render/SkinPixels.h"
#include "base/Win32Handles.h"

namespace SkinUI {

// Where a bitmap's pixels show and hide what lies beneath, measured the first
// time it is blended: blending then skips the zero pixels around it and copies
// its opaque band.
struct TPixelCoverage {
    bool bMeasured = false;
    PixelCoverage coverage;
};

// The last nine-grid drawn of an image, and once it was drawn again, its
// composition at the destination size: drawing the same grid again (the
// progress bar, paint after paint) is one blit or blend instead of one per
// part.
struct TComposedGrid {
    win32::UniqueBitmap hBitmap;  // none until composed; 32-bit top-down DIB section, premultiplied BGRA
    void* pBits = nullptr;        // its pixels
    CBitmapSourceDc sourceDc;     // keeps hBitmap selected; goes before it
    TPixelCoverage coverage;
    int nWidth = 0;
    int nHeight = 0;
    RECT rcSource{};
    RECT rcCorner{};
    bool bHole = false;
    bool bXTiled = false;
    bool bYTiled = false;
    bool bAlpha = false;       // composed by blending (else by copying)
};

// A loaded skin image (the value of a window's image cache).
// It is kept at its window's display scale: from the set drawn for that
// scale, or from the nearest other set, resampled.
struct TImageInfo {
    win32::UniqueBitmap hBitmap;  // 32-bit top-down DIB section, premultiplied BGRA
    void* pBits = nullptr; // the DIB's pixels
    mutable CBitmapSourceDc sourceDc;  // keeps hBitmap selected once drawn; goes before it
    int nWidth = 0;
    int nHeight = 0;
    int nSetPercent = 100;  // the set its pixels came from (ImageScaleSet.h)
    bool bResampled = false; // drawn from another set's pixels
    bool bAlpha = false;   // some pixel is not opaque or matched the mask
    CUiString sResType;    // empty for files
    DWORD dwMask = 0;
    mutable std::unique_ptr<TComposedGrid> pComposed;  // a cache: drawing may replace it
    mutable TPixelCoverage coverage;                   // a cache too
};

// One of a window's fonts: its description in logical pixels, and the font
// made for the window's display scale (when first used).
struct TFontInfo {
    win32::UniqueFont hFont;   // none until first used
    CUiString sFontName;
    int iSize = 0;             // character height in pixels at nSizeDpi
    int nSizeDpi = kLogicalDpi; // logical for a skin's fonts; 0: the system's (its GUI font)
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
    bool bClearType = false;
    LOGFONTW logFont{};        // the description the font was made from, in the display's pixels (GDI+ text)
    TEXTMETRICW tm{};
    bool bMeasured = false;    // tm is measured on first use
};

class IRenderResourcesUI {
public:
    // The font at the index, or the default font for an index outside the list.
    virtual const TFontInfo& FontInfoAt(int index) const = 0;
    virtual const TEXTMETRICW& TextMetricsAt(int index) = 0;
    // The cached image, or none.
    virtual const TImageInfo* ImageFor(std::wstring_view name) = 0;
    // Loads and caches an image; none when it cannot be obtained.
    virtual const TImageInfo* LoadImageEntry(std::wstring_view name, std::wstring_view type, DWORD mask) = 0;
    // Layered painting: images always blend and text takes the GDI+ path.
    virtual bool IsBackgroundTransparent() const = 0;
    virtual bool UsesGdiplusText() const = 0;
    // The display scale the window's images and fonts are made for, which
    // image descriptors (logical) are scaled by.
    virtual CDisplayScale DisplayScale() const { return CDisplayScale(); }

protected:
    ~IRenderResourcesUI() = default;
};

}  // namespace SkinUI
