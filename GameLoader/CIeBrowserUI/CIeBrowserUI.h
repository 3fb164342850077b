// The launcher's browser control: the toolkit's browser host whose external
// object is the portal page's bridge, window.external.g_callCppFunc(json).
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/hosts/WebBrowserUI.h"

// The bridge method's dispatch id.
constexpr DISPID DISPID_CALLCPPFUNC = 1000;

// Runs one page request: logs and posts the command its JSON names to the
// target window. Always answers "{}". Its four log lines keep the source
// lines 28, 32, 36 and 41 of CIeBrowserUI.cpp, which log readers know.
std::wstring CallCppFunc(HWND hTargetWnd, const std::wstring& argument);

class CIeBrowserUI : public SkinUI::CWebBrowserUI {
public:
    // Commands go to hTargetWnd, the launcher window, for the control's life.
    explicit CIeBrowserUI(HWND hTargetWnd) : m_hTargetWnd(hTargetWnd) {}

    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
    // A bridge call with one argument runs the command, then answers as the
    // browser host does (DISP_E_MEMBERNOTFOUND): the page gets no value.
    // An argument that has no text ends the call with DISP_E_TYPEMISMATCH.
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                   VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    HWND TargetWindow() const { return m_hTargetWnd; }

private:
    const HWND m_hTargetWnd;
};
