// The drawing front the controls call: skin images as premultiplied 32-bit
// bitmaps, image descriptors, image parts with nine-grid corners, hole,
// fade and tiling, ARGB fills, gradients, lines and text. The work lives in
// SkinImageLoader, ImageDrawing, FillDrawing and TextDrawing.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include "toolkit/render/ImageDescriptor.h"
#include "toolkit/render/RenderClip.h"
#include "toolkit/render/RenderResourcesUI.h"

namespace SkinUI {

class ISkinFileReader;

class CSkinRenderer {
public:
    // Loads an image: with a resource type from the module's resources,
    // otherwise from the reader, then by the name as a path; made for the
    // display (SkinImageLoader.h). None when no bytes were found, they do
    // not decode or memory runs out.
    static std::unique_ptr<TImageInfo> LoadSkinImage(std::wstring_view name, std::wstring_view type, DWORD mask,
                                                     const ISkinFileReader* files, HINSTANCE resources,
                                                     const CDisplayScale& display = CDisplayScale());

    // Draws every image of a descriptor into the control rectangle. False
    // only when a named image cannot be obtained; the caller then clears
    // the descriptor.
    static bool DrawImageDescriptor(HDC hdc, IRenderResourcesUI* resources, const RECT& control, const RECT& paint,
                                    std::wstring_view descriptor, std::wstring_view modifier = {});
    // The same from texts or from pairs read before (a control reads its
    // descriptors when they are set).
    static bool DrawImageDescriptor(HDC hdc, IRenderResourcesUI* resources, const RECT& control, const RECT& paint,
                                    const ImageDescriptorInput& descriptor, const ImageDescriptorInput& modifier);
    // Whether the descriptor fills the whole control with opaque pixels (an
    // image not loaded yet is not known, so false).
    static bool ImageDescriptorCoversControl(IRenderResourcesUI* resources, const RECT& control,
                                             const CImageDescriptorPairs& descriptor);

    // Returns the number of blits made.
    static int DrawImagePart(HDC hdc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                             const RECT& corners, bool useAlpha, BYTE fade, bool hole, bool xtiled, bool ytiled);
    // What AlphaBlend does for one part, done on the pixels: for systems whose
    // msimg32 lacks AlphaBlend. Both DCs need a 32-bit DIB section selected;
    // false when one has not.
    static bool SoftwareAlphaBlend(HDC hdc, HDC source, const RECT& dest, const RECT& sourcePart, BYTE fade);

    // Solid ARGB fill; alpha 0 draws nothing, translucent colours blend.
    static void FillColour(HDC hdc, const RECT& rect, DWORD argb);
    // Vertical gradient from colour1 at the top to colour2 at the bottom; the
    // average alpha of the two applies to the whole (0 draws nothing).
    static void DrawGradient(HDC hdc, const RECT& rect, DWORD colour1, DWORD colour2, int steps);
    // A line from the rectangle's left-top to its right-bottom (alpha ignored).
    static void DrawLine(HDC hdc, const RECT& rect, int width, DWORD argb, int penStyle = PS_SOLID);
    static void DrawRectOutline(HDC hdc, const RECT& rect, int width, DWORD argb);
    static void DrawRoundRectOutline(HDC hdc, const RECT& rect, int width, int ellipseWidth, int ellipseHeight,
                                     DWORD argb);

    // Text in the window's font at the index (the default font outside the
    // list), on the GDI path or, for background-transparent windows and
    // "gdiplustext", the GDI+ path. With DT_CALCRECT it measures into rect.
    static void DrawTextIn(HDC hdc, IRenderResourcesUI* resources, RECT& rect, std::wstring_view text, DWORD argb,
                           int font, UINT style);
    // Text with inline formatting ("showhtml").
    static void DrawFormattedText(HDC hdc, IRenderResourcesUI* resources, RECT& rect, std::wstring_view text,
                                  DWORD argb, int font, UINT style);
};

}  // namespace SkinUI
