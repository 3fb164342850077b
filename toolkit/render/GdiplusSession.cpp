#include "toolkit/render/GdiplusSession.h"

#include <gdiplus.h>

namespace SkinUI {

CGdiplusSession::CGdiplusSession()
{
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok) m_token = 0;
}

CGdiplusSession::~CGdiplusSession()
{
    if (m_token) Gdiplus::GdiplusShutdown(m_token);
}

}  // namespace SkinUI
