#include "toolkit/hosts/WebBrowserHost.h"

#include <utility>

#include "toolkit/hosts/HostCall.h"
#include "toolkit/hosts/WebBrowserUI.h"

namespace SkinUI {
namespace {

// IDocHostUIHandler as older headers spell it, {BD3F23C0-D43E-11CF-893B-00AA00BDCE1A}.
const IID kIidDocHostUIHandler = {0xBD3F23C0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};

template <typename T>
void Clear(T** out) noexcept
{
    if (out != nullptr) *out = nullptr;
}

}  // namespace

template <typename Body>
HRESULT CWebBrowserHost::ForOwner(Body&& body) noexcept
{
    return GuardedHostCall(static_cast<IDocHostUIHandler*>(this), [&]() -> HRESULT {
        // Read inside the call: a callback of an earlier step may have detached it.
        CWebBrowserUI* owner = m_pOwner;
        return owner != nullptr ? body(*owner) : E_UNEXPECTED;
    });
}

// --- IUnknown

STDMETHODIMP CWebBrowserHost::QueryInterface(REFIID riid, void** ppv) noexcept
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDocHostUIHandler || riid == kIidDocHostUIHandler)
        *ppv = static_cast<IDocHostUIHandler*>(this);
    else if (riid == IID_IDispatch)
        *ppv = static_cast<IDispatch*>(this);
    else if (riid == IID_IServiceProvider)
        *ppv = static_cast<IServiceProvider*>(this);
    else if (riid == IID_IOleCommandTarget)
        *ppv = static_cast<IOleCommandTarget*>(this);
    else if (riid == SID_DownloadManagerService)
        *ppv = static_cast<IDownloadManager*>(this);
    if (*ppv == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CWebBrowserHost::AddRef() noexcept
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef));
}

STDMETHODIMP_(ULONG) CWebBrowserHost::Release() noexcept
{
    const LONG count = ::InterlockedDecrement(&m_dwRef);
    if (count == 0) {
        m_dwRef = 1;  // references taken and dropped meanwhile delete nothing twice
        delete this;
    }
    return static_cast<ULONG>(count);
}

// --- IDocHostUIHandler

STDMETHODIMP CWebBrowserHost::ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                                              IDispatch* pdispReserved) noexcept
{
    return ForOwner([&](CWebBrowserUI& owner) { return owner.ShowContextMenu(dwID, ppt, pcmdtReserved, pdispReserved); });
}

STDMETHODIMP CWebBrowserHost::GetHostInfo(DOCHOSTUIINFO* pInfo) noexcept
{
    return ForOwner([&](CWebBrowserUI& owner) { return owner.GetHostInfo(pInfo); });
}

STDMETHODIMP CWebBrowserHost::ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                                     IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                                     IOleInPlaceUIWindow* pDoc) noexcept
{
    return ForOwner(
        [&](CWebBrowserUI& owner) { return owner.ShowUI(dwID, pActiveObject, pCommandTarget, pFrame, pDoc); });
}

STDMETHODIMP CWebBrowserHost::HideUI() noexcept
{
    return ForOwner([](CWebBrowserUI& owner) { return owner.HideUI(); });
}

STDMETHODIMP CWebBrowserHost::UpdateUI() noexcept
{
    return ForOwner([](CWebBrowserUI& owner) { return owner.UpdateUI(); });
}

STDMETHODIMP CWebBrowserHost::EnableModeless(BOOL fEnable) noexcept
{
    return ForOwner([&](CWebBrowserUI& owner) { return owner.EnableModeless(fEnable); });
}

STDMETHODIMP CWebBrowserHost::OnDocWindowActivate(BOOL fActivate) noexcept
{
    return ForOwner([&](CWebBrowserUI& owner) { return owner.OnDocWindowActivate(fActivate); });
}

STDMETHODIMP CWebBrowserHost::OnFrameWindowActivate(BOOL fActivate) noexcept
{
    return ForOwner([&](CWebBrowserUI& owner) { return owner.OnFrameWindowActivate(fActivate); });
}

STDMETHODIMP CWebBrowserHost::ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                           BOOL fRameWindow) noexcept
{
    return ForOwner([&](CWebBrowserUI& owner) { return owner.ResizeBorder(prcBorder, pUIWindow, fRameWindow); });
}

STDMETHODIMP CWebBrowserHost::TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) noexcept
{
    return ForOwner([&](CWebBrowserUI& owner) { return owner.TranslateAccelerator(lpMsg, pguidCmdGroup, nCmdID); });
}

STDMETHODIMP CWebBrowserHost::GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) noexcept
{
    Clear(pchKey);
    return ForOwner([&](CWebBrowserUI& owner) { return owner.GetOptionKeyPath(pchKey, dw); });
}

STDMETHODIMP CWebBrowserHost::GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) noexcept
{
    Clear(ppDropTarget);
    return ForOwner([&](CWebBrowserUI& owner) { return owner.GetDropTarget(pDropTarget, ppDropTarget); });
}

STDMETHODIMP CWebBrowserHost::GetExternal(IDispatch** ppDispatch) noexcept
{
    Clear(ppDispatch);
    return ForOwner([&](CWebBrowserUI& owner) { return owner.GetExternal(ppDispatch); });
}

STDMETHODIMP CWebBrowserHost::TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn, LPWSTR* ppchURLOut) noexcept
{
    Clear(ppchURLOut);
    return ForOwner([&](CWebBrowserUI& owner) { return owner.TranslateUrl(dwTranslate, pchURLIn, ppchURLOut); });
}

STDMETHODIMP CWebBrowserHost::FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) noexcept
{
    Clear(ppDORet);
    return ForOwner([&](CWebBrowserUI& owner) { return owner.FilterDataObject(pDO, ppDORet); });
}

// --- IServiceProvider

STDMETHODIMP CWebBrowserHost::QueryService(REFGUID guidService, REFIID riid, void** ppvObject) noexcept
{
    if (ppvObject == nullptr) return E_POINTER;
    *ppvObject = nullptr;
    return ForOwner([&](CWebBrowserUI& owner) { return owner.QueryService(guidService, riid, ppvObject); });
}

// --- IOleCommandTarget

STDMETHODIMP CWebBrowserHost::QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[],
                                          OLECMDTEXT* pCmdText) noexcept
{
    return ForOwner([&](CWebBrowserUI& owner) { return owner.QueryStatus(pguidCmdGroup, cCmds, prgCmds, pCmdText); });
}

STDMETHODIMP CWebBrowserHost::Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT* pvaIn,
                                   VARIANT* pvaOut) noexcept
{
    return ForOwner(
        [&](CWebBrowserUI& owner) { return owner.Exec(pguidCmdGroup, nCmdID, nCmdexecopt, pvaIn, pvaOut); });
}

// --- IDispatch

STDMETHODIMP CWebBrowserHost::GetTypeInfoCount(UINT* pctinfo) noexcept
{
    if (pctinfo != nullptr) *pctinfo = 0;
    return ForOwner([&](CWebBrowserUI& owner) { return owner.GetTypeInfoCount(pctinfo); });
}

STDMETHODIMP CWebBrowserHost::GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) noexcept
{
    Clear(ppTInfo);
    return ForOwner([&](CWebBrowserUI& owner) { return owner.GetTypeInfo(iTInfo, lcid, ppTInfo); });
}

STDMETHODIMP CWebBrowserHost::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) noexcept
{
    return ForOwner([&](CWebBrowserUI& owner) { return owner.GetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId); });
}

STDMETHODIMP CWebBrowserHost::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                     UINT* puArgErr) noexcept
{
    return ForOwner([&](CWebBrowserUI& owner) {
        return owner.Invoke(dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
    });
}

// --- IDownloadManager

STDMETHODIMP CWebBrowserHost::Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, LONG grfBINDF,
                                       BINDINFO* pBindInfo, LPCOLESTR pszHeaders, LPCOLESTR pszRedir,
                                       UINT uiCP) noexcept
{
    return ForOwner([&](CWebBrowserUI& owner) {
        return owner.Download(pmk, pbc, dwBindVerb, grfBINDF, pBindInfo, pszHeaders, pszRedir, uiCP);
    });
}

}  // namespace SkinUI
