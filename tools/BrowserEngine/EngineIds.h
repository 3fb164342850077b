// Class and interface identifiers the stand-in engine answers to.
#pragma once

#include <windows.h>

namespace engine {

// The system WebBrowser control's class: the engine registers under it.
inline const CLSID kClsidWebBrowser = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
inline const IID kDiidWebBrowserEvents2 = {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};
// The download manager's service and interface share one identifier.
inline const GUID kSidDownloadManager = {0x988934A4, 0x064B, 0x11D3, {0xBB, 0x80, 0x00, 0x10, 0x4B, 0x35, 0xE7, 0xF9}};
inline const IID kIidDownloadManager = kSidDownloadManager;
inline const GUID kCgidDocHostCommandHandler = {0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};

// Only the stand-in answers this: a host (or a test) can tell it from the
// system's engine, and find the window it paints in.
inline const IID kIidStandInEngine = {0x5C0F3A71, 0x2B64, 0x4E1D, {0x9A, 0x57, 0x6D, 0x21, 0xE8, 0x3B, 0x90, 0x4C}};

struct IStandInEngine : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetViewWindow(HWND* window) = 0;
};

}  // namespace engine
