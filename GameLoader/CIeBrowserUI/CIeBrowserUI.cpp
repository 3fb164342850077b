#include "GameLoader/CIeBrowserUI/CIeBrowserUI.h"

#include <memory>

#include "GameLoader/CIeBrowserUI/BridgeCommand.h"
#include "GameLoader/CIeBrowserUI/OpenGameRequest.h"
#include "GameLoader/Common/TextConvert.h"
#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "log/Logger.h"

namespace {

// The receiver owns the text once the message is queued; until then it is ours.
void PostOpenGame(HWND hTargetWnd, const std::string& request)
{
    const WPARAM text = ReleaseOpenGameRequest(std::make_unique<std::string>(request));
    if (!::PostMessageW(hTargetWnd, WM_LAUNCHER_OPEN_GAME, text, 0)) AdoptOpenGameRequest(text);
}

std::string ToAnsi(const std::wstring& text) { return WideToMultiByte(text, CP_ACP); }
}  // namespace

std::wstring CallCppFunc(HWND hTargetWnd, const std::wstring& argument)
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
        PostOpenGame(hTargetWnd, request.text);
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

HRESULT CIeBrowserUI::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId)
{
    if (rgDispId == nullptr) return S_OK;
    for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
    if (cNames > 0 && rgszNames != nullptr && rgszNames[0] != nullptr && ::wcscmp(rgszNames[0], L"g_callCppFunc") == 0)
        rgDispId[0] = DISPID_CALLCPPFUNC;
    return S_OK;
}

HRESULT CIeBrowserUI::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                             VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr)
{
    if (dispIdMember == DISPID_CALLCPPFUNC && pDispParams != nullptr && pDispParams->cArgs == 1 &&
        pDispParams->rgvarg != nullptr) {
        VARIANT text;
        ::VariantInit(&text);
        HRESULT hr = ::VariantCopyInd(&text, &pDispParams->rgvarg[0]);
        if (SUCCEEDED(hr) && text.vt != VT_BSTR) hr = ::VariantChangeType(&text, &text, 0, VT_BSTR);
        if (FAILED(hr) || text.vt != VT_BSTR) {
            // A script null or an object without a text: no command at all.
            ::VariantClear(&text);
            return DISP_E_TYPEMISMATCH;
        }
        const std::wstring argument = text.bstrVal != nullptr ? std::wstring(text.bstrVal, ::SysStringLen(text.bstrVal))
                                                              : std::wstring();
        ::VariantClear(&text);
        CallCppFunc(m_hTargetWnd, argument);
    }
    return CWebBrowserUI::Invoke(dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
}
