// GDI+ for the drawing that needs it (text of layered windows and
// "gdiplustext"); started and shut down with its owner.
#pragma once

#include <windows.h>

namespace SkinUI {

class CGdiplusSession {
public:
    CGdiplusSession();
    ~CGdiplusSession();
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;
    bool IsStarted() const { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
};

}  // namespace SkinUI
