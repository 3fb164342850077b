#include "toolkit/render/GdiplusSession.h"

#include <windows.h>

#include <gdiplus.h>

namespace SkinUI {
namespace {

class CGdiplusSession {
public:
    CGdiplusSession() noexcept
    {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok) m_token = 0;
    }
    ~CGdiplusSession()
    {
        if (m_token) Gdiplus::GdiplusShutdown(m_token);
    }
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;
    bool IsStarted() const noexcept { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
};

bool g_started = false;

}  // namespace

bool EnsureGdiplusSession() noexcept
{
    // Made at the first call, ended with the process's static objects.
    static const CGdiplusSession session;
    g_started = session.IsStarted();
    return g_started;
}

bool IsGdiplusSessionStarted() noexcept
{
    return g_started;
}

}  // namespace SkinUI
