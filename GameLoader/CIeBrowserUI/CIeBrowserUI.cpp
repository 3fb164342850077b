#include "GameLoader/CIeBrowserUI/CIeBrowserUI.h"

#include <new>

#include "GameLoader/CIeBrowserUI/BridgeCommand.h"
#include "GameLoader/CIeBrowserUI/OpenGameRequest.h"
#include "GameLoader/Common/TextConvert.h"
#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "log/Logger.h"

// The text waits in the window's queue; the message only wakes the window.
// Defined below the commands, which keep their source lines.
static void PostOpenGame(HWND hTargetWnd, OpenGameRequests* requests, const std::string& request);

namespace {

bool IsObject(VARTYPE type) { return type == VT_DISPATCH || type == VT_UNKNOWN; }

std::string ToAnsi(const std::wstring& text) { return WideToMultiByte(text, CP_ACP); }

}  // namespace

std::wstring CallCppFunc(HWND hTargetWnd, OpenGameRequests* requests, const std::wstring& argument)
{
    const BridgeRequest request = ReadBridgeRequest(argument, ToAnsi);
    switch (request.command) {
    case BridgeCommand::MinimiseWindow:
        LOG_W(LOG_LEVEL_ERROR, L"min_wnd call");
        ::PostMessageW(hTargetWnd, WM_LAUNCHER_MINIMIZE, 0, 0);
        break;
    case BridgeCommand::CloseWindow:
        LOG_W(LOG_LEVEL_ERROR, L"close_wnd call");
        ::PostMessageW(hTargetWnd, WM_LAUNCHER_CLOSE, 0, 0);
        break;
    case BridgeCommand::OpenGame:
        LOG_W(LOG_LEVEL_ERROR, L"open_game call");
        // The whole text: the window reads "token" and "qxext" from it.
        PostOpenGame(hTargetWnd, requests, request.text);
        break;
    case BridgeCommand::DragWindow:
        LOG_W(LOG_LEVEL_ERROR, L"wnd_mousemove call");
        ::PostMessageW(hTargetWnd, WM_LAUNCHER_DRAG, 0, 0);
        break;
    case BridgeCommand::None:
        break;
    }
    return L"{}";
}

static void PostOpenGame(HWND hTargetWnd, OpenGameRequests* requests, const std::string& request)
{
    if (requests == nullptr || !requests->Push(request)) {
        LOG_W(LOG_LEVEL_ERROR, L"open_game queue full, request dropped");
        return;
    }
    if (!::PostMessageW(hTargetWnd, WM_LAUNCHER_OPEN_GAME, 0, 0)) requests->DropNewest();
}

namespace {

// The argument as the page gave it: a string, or a reference to one.
const VARIANT& Dereferenced(const VARIANT& argument)
{
    if (argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal != nullptr) return *argument.pvarVal;
    return argument;
}

}  // namespace

HRESULT CIeBrowserUI::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId)
{
    if (rgDispId == nullptr) return S_OK;
    for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
    if (cNames > 0 && rgszNames != nullptr && rgszNames[0] != nullptr && ::wcscmp(rgszNames[0], L"g_callCppFunc") == 0)
        rgDispId[0] = DISPID_CALLCPPFUNC;
    return S_OK;
}

HRESULT CIeBrowserUI::RunBridge(const VARIANT& argument)
{
    const VARIANT& given = Dereferenced(argument);
    // Measured before anything is copied.
    if (given.vt == VT_BSTR && ::SysStringByteLen(given.bstrVal) > kMaxBridgeArgumentBytes) return E_OUTOFMEMORY;
    if (given.vt == (VT_BYREF | VT_BSTR) && given.pbstrVal != nullptr &&
        ::SysStringByteLen(*given.pbstrVal) > kMaxBridgeArgumentBytes)
        return E_OUTOFMEMORY;
    VARIANT text;
    ::VariantInit(&text);
    HRESULT hr = ::VariantCopyInd(&text, const_cast<VARIANT*>(&argument));  // only read
    // An object's conversion to text is the page's own code (its toString),
    // which must not run inside this call; the page passes its requests as
    // strings.
    if (SUCCEEDED(hr) && IsObject(text.vt)) hr = DISP_E_TYPEMISMATCH;
    if (SUCCEEDED(hr) && text.vt != VT_BSTR) hr = ::VariantChangeType(&text, &text, 0, VT_BSTR);
    if (FAILED(hr) || text.vt != VT_BSTR) {
        // A script null, an object, or memory that ran out: no command at all.
        ::VariantClear(&text);
        return hr == E_OUTOFMEMORY ? E_OUTOFMEMORY : DISP_E_TYPEMISMATCH;
    }
    if (::SysStringByteLen(text.bstrVal) > kMaxBridgeArgumentBytes) {
        ::VariantClear(&text);
        return E_OUTOFMEMORY;
    }
    try {
        const std::wstring converted =
            text.bstrVal != nullptr ? std::wstring(text.bstrVal, ::SysStringLen(text.bstrVal)) : std::wstring();
        ::VariantClear(&text);
        CallCppFunc(m_hTargetWnd, m_openGameRequests.get(), converted);
    } catch (...) {
        ::VariantClear(&text);
        throw;
    }
    return S_OK;
}

HRESULT CIeBrowserUI::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                             VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr)
{
    // The one guard of this COM entry point: nothing the page sends may end
    // the process through an exception.
    try {
        if (dispIdMember == DISPID_CALLCPPFUNC && pDispParams != nullptr && pDispParams->cArgs == 1 &&
            pDispParams->rgvarg != nullptr) {
            const HRESULT hr = RunBridge(pDispParams->rgvarg[0]);
            if (FAILED(hr)) return hr;
        }
        return CWebBrowserUI::Invoke(dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
