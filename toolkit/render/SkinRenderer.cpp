#include "toolkit/render/SkinRenderer.h"

#include "toolkit/render/FillDrawing.h"
#include "toolkit/render/ImageDrawing.h"
#include "toolkit/render/SkinImageLoader.h"
#include "toolkit/render/TextDrawing.h"

namespace SkinUI {

std::unique_ptr<TImageInfo> CSkinRenderer::LoadSkinImage(std::wstring_view name, std::wstring_view type, DWORD mask,
                                                         const ISkinFileReader* files, HINSTANCE resources,
                                                         const CDisplayScale& display)
{
    return ::SkinUI::LoadSkinImage(name, type, mask, files, resources, display);
}

bool CSkinRenderer::DrawImageDescriptor(HDC hdc, IRenderResourcesUI* resources, const RECT& control,
                                        const RECT& paint, std::wstring_view descriptor, std::wstring_view modifier)
{
    return ::SkinUI::DrawImageDescriptor(hdc, resources, control, paint, descriptor, modifier);
}

bool CSkinRenderer::DrawImageDescriptor(HDC hdc, IRenderResourcesUI* resources, const RECT& control,
                                        const RECT& paint, const ImageDescriptorInput& descriptor,
                                        const ImageDescriptorInput& modifier)
{
    return ::SkinUI::DrawImageDescriptor(hdc, resources, control, paint, descriptor, modifier);
}

bool CSkinRenderer::ImageDescriptorCoversControl(IRenderResourcesUI* resources, const RECT& control,
                                                 const CImageDescriptorPairs& descriptor)
{
    return ::SkinUI::ImageDescriptorCoversControl(resources, control, descriptor);
}

int CSkinRenderer::DrawImagePart(HDC hdc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                                 const RECT& corners, bool useAlpha, BYTE fade, bool hole, bool xtiled, bool ytiled)
{
    return ::SkinUI::DrawImagePart(hdc, bitmap, dest, paint, source, corners, useAlpha, fade, hole, xtiled, ytiled);
}

bool CSkinRenderer::SoftwareAlphaBlend(HDC hdc, HDC source, const RECT& dest, const RECT& sourcePart, BYTE fade)
{
    return ::SkinUI::SoftwareAlphaBlend(hdc, source, dest, sourcePart, fade);
}

void CSkinRenderer::FillColour(HDC hdc, const RECT& rect, DWORD argb)
{
    ::SkinUI::FillColour(hdc, rect, argb);
}

void CSkinRenderer::DrawGradient(HDC hdc, const RECT& rect, DWORD colour1, DWORD colour2, int steps)
{
    ::SkinUI::DrawGradient(hdc, rect, colour1, colour2, steps);
}

void CSkinRenderer::DrawLine(HDC hdc, const RECT& rect, int width, DWORD argb, int penStyle)
{
    ::SkinUI::DrawLine(hdc, rect, width, argb, penStyle);
}

void CSkinRenderer::DrawRectOutline(HDC hdc, const RECT& rect, int width, DWORD argb)
{
    ::SkinUI::DrawRectOutline(hdc, rect, width, argb);
}

void CSkinRenderer::DrawRoundRectOutline(HDC hdc, const RECT& rect, int width, int ellipseWidth, int ellipseHeight,
                                         DWORD argb)
{
    ::SkinUI::DrawRoundRectOutline(hdc, rect, width, ellipseWidth, ellipseHeight, argb);
}

void CSkinRenderer::DrawTextIn(HDC hdc, IRenderResourcesUI* resources, RECT& rect, std::wstring_view text,
                               DWORD argb, int font, UINT style)
{
    ::SkinUI::DrawTextIn(hdc, resources, rect, text, argb, font, style);
}

void CSkinRenderer::DrawFormattedText(HDC hdc, IRenderResourcesUI* resources, RECT& rect, std::wstring_view text,
                                      DWORD argb, int font, UINT style)
{
    ::SkinUI::DrawFormattedText(hdc, resources, rect, text, argb, font, style);
}

}  // namespace SkinUI
