#include "GameLoader/CIeBrowserUI/WebBrowserEvent.h"

#include <exdisp.h>
#include <shobjidl.h>

#include <string_view>

#include "GameLoader/CIeBrowserUI/WebAddress.h"
#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "log/Logger.h"

namespace {

constexpr LONG kResourceNotFound = static_cast<LONG>(0x800C0005);  // INET_E_RESOURCE_NOT_FOUND

// The COM identity of an object: its IUnknown, the same pointer through
// every interface of one object.
std::uintptr_t IdentityOf(IUnknown* object)
{
    if (object == nullptr) return 0;
    IUnknown* identity = nullptr;
    if (FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity))) || identity == nullptr)
        return 0;
    const auto value = reinterpret_cast<std::uintptr_t>(identity);
    identity->Release();
    return value;
}

}  // namespace

void CWebBrowserEvent::SetTopBrowser(IUnknown* browser)
{
    m_topBrowserIdentity = IdentityOf(browser);
}

bool CWebBrowserEvent::IsTopBrowser(IDispatch* pDisp) const
{
    return m_topBrowserIdentity != 0 && IdentityOf(pDisp) == m_topBrowserIdentity;
}

// Each handler is a boundary of the browser's event call: nothing it does
// may throw into the browser.
void CWebBrowserEvent::NavigateError(IDispatch* pDisp, VARIANT*&, VARIANT*&, VARIANT*& statusCode, VARIANT_BOOL*&)
{
    try {
        // Only a VT_I4 status: the same value in another integer type is not it.
        if (statusCode == nullptr || statusCode->vt != VT_I4 || statusCode->lVal != kResourceNotFound) return;
        if (!IsTopBrowser(pDisp)) {
            LOG_W(LOG_LEVEL_INFO, L"NavigateError of a frame ignored");
            return;
        }
        m_bNetError = true;
        ::PostMessageW(m_hNotifyWnd, WM_LAUNCHER_NET_ERROR, 0, 0);
    } catch (...) {
    }
}

void CWebBrowserEvent::DocumentComplete(IDispatch* pDisp, VARIANT*&)
{
    if (!m_bNetError && IsTopBrowser(pDisp)) ::PostMessageW(m_hNotifyWnd, WM_LAUNCHER_SHOW, 0, 0);
}

void CWebBrowserEvent::NewWindow3(IDispatch**, VARIANT_BOOL*& cancel, DWORD flags, BSTR, BSTR url)
{
    if (cancel != nullptr) *cancel = VARIANT_TRUE;
    try {
        const std::wstring_view address =
            url != nullptr ? std::wstring_view(url, ::SysStringLen(url)) : std::wstring_view();
        // A page's script may ask for windows in a loop; only the player's
        // own clicks open one.
        if ((flags & NWMF_USERINITED) == 0) {
            LOG_W(LOG_LEVEL_ERROR, L"NewWindow3 not started by the user, flags:" << flags << L" url:"
                                                                                  << std::wstring(address));
            return;
        }
        std::optional<std::wstring> shellAddress = ShellWebAddress(address);
        if (!shellAddress) {
            LOG_W(LOG_LEVEL_ERROR, L"NewWindow3 url:" << std::wstring(address) << L" false");
            return;
        }
        if (m_newWindowAddresses.size() >= kMaxPendingAddresses) {
            LOG_W(LOG_LEVEL_ERROR, L"NewWindow3 queue full, url:" << *shellAddress);
            return;
        }
        m_newWindowAddresses.push_back(std::move(*shellAddress));
        if (!::PostMessageW(m_hNotifyWnd, WM_LAUNCHER_OPEN_ADDRESS, 0, 0)) m_newWindowAddresses.pop_back();
    } catch (...) {
    }
}

std::optional<std::wstring> CWebBrowserEvent::TakeNewWindowAddress()
{
    if (m_newWindowAddresses.empty()) return std::nullopt;
    std::optional<std::wstring> address(std::move(m_newWindowAddresses.front()));
    m_newWindowAddresses.pop_front();
    return address;
}
