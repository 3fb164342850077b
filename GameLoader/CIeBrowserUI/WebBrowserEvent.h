// The launcher's reaction to the portal page's browser events: a network
// failure, a loaded document, a request for a new window. Everything is
// posted to the launcher window, which acts after the browser's call.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "toolkit/hosts/WebBrowserEventHandler.h"

class CWebBrowserEvent : public SkinUI::CWebBrowserEventHandler {
public:
    // New-window addresses waiting for the window; a page cannot queue more.
    static constexpr std::size_t kMaxPendingAddresses = 4;

    explicit CWebBrowserEvent(HWND hNotifyWnd) : m_hNotifyWnd(hNotifyWnd) {}

    // The browser whose own document is the portal page. Its frames (third
    // parties' content among them) report their events with their own
    // dispatch, which is never this one by COM identity. Only the identity
    // is kept: the sink does not keep the browser alive.
    void SetTopBrowser(IUnknown* browser);
    bool IsTopBrowser(IDispatch* pDisp) const;

    // INET_E_RESOURCE_NOT_FOUND as a VT_I4 status of the top document:
    // WM_LAUNCHER_NET_ERROR, and no document shows the window from then on.
    // The browser goes on to its own error page. A frame's failure is not
    // the launcher's.
    void NavigateError(IDispatch* pDisp, VARIANT*& url, VARIANT*& targetFrameName, VARIANT*& statusCode,
                       VARIANT_BOOL*& cancel) override;
    // The completed top document posts WM_LAUNCHER_SHOW while no network
    // error has been seen; frames, which may complete long after it, do not.
    void DocumentComplete(IDispatch* pDisp, VARIANT*& url) override;
    // The embedded browser opens no window. A request the player started
    // (NWMF_USERINITED) for an http or https address is queued, re-encoded,
    // and WM_LAUNCHER_OPEN_ADDRESS posted: the window hands it to the
    // default browser after this call. Everything else is refused and logged.
    void NewWindow3(IDispatch** ppDisp, VARIANT_BOOL*& cancel, DWORD flags, BSTR urlContext, BSTR url) override;

    // The oldest queued new-window address, or none.
    std::optional<std::wstring> TakeNewWindowAddress();

    bool HasNetError() const { return m_bNetError; }

private:
    HWND m_hNotifyWnd;
    bool m_bNetError = false;
    std::uintptr_t m_topBrowserIdentity = 0;  // compared, never dereferenced
    std::deque<std::wstring> m_newWindowAddresses;
};
