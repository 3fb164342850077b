// The launcher's browser control: the toolkit's browser host whose external
// object is the portal page's bridge, window.external.g_callCppFunc(json).
#pragma once

#include <windows.h>

#include <string>

#include "GameLoader/CIeBrowserUI/OpenGameRequest.h"
#include "toolkit/hosts/WebBrowserUI.h"

// The bridge method's dispatch id.
constexpr DISPID DISPID_CALLCPPFUNC = 1000;

// The largest argument the bridge takes, in bytes of UTF-16 text: far above
// any request the page makes (about a hundred bytes).
constexpr UINT kMaxBridgeArgumentBytes = 64 * 1024;

// Runs one page request: logs and posts the command its JSON names to the
// target window; an open-game request's text goes into `requests` (none:
// the request is dropped). Always answers "{}". Its four log lines keep the
// source lines 28, 32, 36 and 41 of CIeBrowserUI.cpp, which log readers know.
std::wstring CallCppFunc(HWND hTargetWnd, OpenGameRequests* requests, const std::wstring& argument);

class CIeBrowserUI : public SkinUI::CWebBrowserUI {
public:
    // Commands go to hTargetWnd, the launcher window, for the control's
    // life; open-game texts wait in `requests` until the window takes them.
    CIeBrowserUI(HWND hTargetWnd, SharedOpenGameRequests requests)
        : m_hTargetWnd(hTargetWnd), m_openGameRequests(std::move(requests))
    {
    }

    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
    // A bridge call with one argument runs the command, then answers as the
    // browser host does (DISP_E_MEMBERNOTFOUND): the page gets no value.
    // The call ends without a command with DISP_E_TYPEMISMATCH for an
    // argument that has no text or is an object (its conversion would run
    // the page's code inside this call), and with E_OUTOFMEMORY for an
    // argument above kMaxBridgeArgumentBytes or when memory runs out.
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                   VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    HWND TargetWindow() const { return m_hTargetWnd; }

private:
    // S_OK once the argument's command has run (or named none).
    HRESULT RunBridge(const VARIANT& argument);

    const HWND m_hTargetWnd;
    const SharedOpenGameRequests m_openGameRequests;
};
