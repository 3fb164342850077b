#include "GameLoader/CIeBrowserUI/WebBrowserEvent.h"

#include <shellapi.h>

#include <string_view>

#include "GameLoader/CIeBrowserUI/WebAddress.h"
#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "log/Logger.h"

namespace {
constexpr LONG kResourceNotFound = static_cast<LONG>(0x800C0005);  // INET_E_RESOURCE_NOT_FOUND
}  // namespace

void CWebBrowserEvent::NavigateError(IDispatch*, VARIANT*&, VARIANT*&, VARIANT*& statusCode, VARIANT_BOOL*&)
{
    // Only a VT_I4 status: the same value in another integer type is not it.
    if (statusCode == nullptr || statusCode->vt != VT_I4 || statusCode->lVal != kResourceNotFound) return;
    m_bNetError = true;
    ::PostMessageW(m_hNotifyWnd, WM_LAUNCHER_NET_ERROR, 0, 0);
}

void CWebBrowserEvent::DocumentComplete(IDispatch*, VARIANT*&)
{
    if (!m_bNetError) ::PostMessageW(m_hNotifyWnd, WM_LAUNCHER_SHOW, 0, 0);
}

void CWebBrowserEvent::NewWindow3(IDispatch**, VARIANT_BOOL*& cancel, DWORD, BSTR, BSTR url)
{
    if (cancel != nullptr) *cancel = VARIANT_TRUE;
    const std::wstring_view address = url != nullptr ? std::wstring_view(url, ::SysStringLen(url)) : std::wstring_view();
    if (!IsWebAddress(address)) {
        LOG_W(LOG_LEVEL_ERROR, L"NewWindow3 url:" << std::wstring(address) << L" false");
        return;
    }
    ::ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
}
