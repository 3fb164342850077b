#include "toolkit/render/RenderClip.h"

#include <utility>

namespace SkinUI {

CRenderClip::CRenderClip(HDC hdc, const RECT& rect) : m_hdc(hdc)
{
    POINT pts[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    ::LPtoDP(hdc, pts, 2);
    Combine(::CreateRectRgn(pts[0].x, pts[0].y, pts[1].x, pts[1].y));
}

CRenderClip::CRenderClip(HDC hdc, const RECT& rect, int ellipseWidth, int ellipseHeight) : m_hdc(hdc)
{
    POINT pts[2] = {{rect.left, rect.top}, {rect.right + 1, rect.bottom + 1}};
    ::LPtoDP(hdc, pts, 2);
    Combine(::CreateRoundRectRgn(pts[0].x, pts[0].y, pts[1].x, pts[1].y, ellipseWidth, ellipseHeight));
}

void CRenderClip::Combine(HRGN region)
{
    m_hRegion.reset(region);
    win32::UniqueRegion old(::CreateRectRgn(0, 0, 0, 0));
    if (old && ::GetClipRgn(m_hdc, old.get()) == 1) {
        if (m_hRegion) ::CombineRgn(m_hRegion.get(), m_hRegion.get(), old.get(), RGN_AND);
        m_hOldRegion = std::move(old);
    }
    Reselect();
}

void CRenderClip::Reselect() const
{
    if (m_hRegion) ::SelectClipRgn(m_hdc, m_hRegion.get());
}

CRenderClip::~CRenderClip()
{
    ::SelectClipRgn(m_hdc, m_hOldRegion.get());
}

}  // namespace SkinUI
