// The launcher's reaction to the portal page's browser events: a network
// failure, a loaded document, a request for a new window. Everything is
// posted to the launcher window, which acts after the browser's call.
#pragma once

#include <windows.h>

#include "toolkit/hosts/WebBrowserEventHandler.h"

class CWebBrowserEvent : public SkinUI::CWebBrowserEventHandler {
public:
    explicit CWebBrowserEvent(HWND hNotifyWnd) : m_hNotifyWnd(hNotifyWnd) {}

    // INET_E_RESOURCE_NOT_FOUND as a VT_I4 status: WM_LAUNCHER_NET_ERROR, and
    // no document shows the window from then on. The browser goes on to its
    // own error page.
    void NavigateError(IDispatch* pDisp, VARIANT*& url, VARIANT*& targetFrameName, VARIANT*& statusCode,
                       VARIANT_BOOL*& cancel) override;
    // Every completed document (the top one and each frame) posts
    // WM_LAUNCHER_SHOW while no network error has been seen.
    void DocumentComplete(IDispatch* pDisp, VARIANT*& url) override;
    // The embedded browser opens no window: http and https addresses go to
    // the default browser, every other scheme is refused and logged.
    void NewWindow3(IDispatch** ppDisp, VARIANT_BOOL*& cancel, DWORD flags, BSTR urlContext, BSTR url) override;

    bool HasNetError() const { return m_bNetError; }

private:
    HWND m_hNotifyWnd;
    bool m_bNetError = false;
};
