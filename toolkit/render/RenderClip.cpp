#include "toolkit/render/RenderClip.h"

#include <utility>

namespace SkinUI {

// Each GDI call costs about a microsecond under Wine (SaveDC and RestoreDC
// several): a rectangle is intersected with the clip in place, and only the
// clip that was in force is kept as a region, to be put back.
CRenderClip::CRenderClip(HDC hdc, const RECT& rect) : m_hdc(hdc)
{
    SaveOld();
    ::IntersectClipRect(hdc, rect.left, rect.top, rect.right, rect.bottom);
}

CRenderClip::CRenderClip(HDC hdc, const RECT& rect, int ellipseWidth, int ellipseHeight) : m_hdc(hdc)
{
    SaveOld();
    // Regions are in device coordinates.
    POINT pts[2] = {{rect.left, rect.top}, {rect.right + 1, rect.bottom + 1}};
    ::LPtoDP(hdc, pts, 2);
    win32::UniqueRegion round(::CreateRoundRectRgn(pts[0].x, pts[0].y, pts[1].x, pts[1].y, ellipseWidth, ellipseHeight));
    if (round) ::ExtSelectClipRgn(hdc, round.get(), RGN_AND);
}

void CRenderClip::SaveOld()
{
    win32::UniqueRegion old(::CreateRectRgn(0, 0, 0, 0));
    if (old && ::GetClipRgn(m_hdc, old.get()) == 1) m_hOldRegion = std::move(old);
}

CRenderClip::~CRenderClip()
{
    ::SelectClipRgn(m_hdc, m_hOldRegion.get());
}

}  // namespace SkinUI
