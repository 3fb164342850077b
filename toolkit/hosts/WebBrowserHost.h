// The COM object the browser and its page call for a browser control: the
// document host, the command target, the services, the download manager,
// and one IDispatch that is both the browser's event sink and the page's
// external object. The browser and the page keep references to it as long
// as they like; it answers for its control only while the control holds
// it, and E_UNEXPECTED once the control has let go (released its browser
// or been destroyed).
#pragma once

#include <windows.h>
#include <docobj.h>
#include <downloadmgr.h>
#include <mshtmhst.h>
#include <servprov.h>

namespace SkinUI {

class CWebBrowserUI;

class CWebBrowserHost final : public IDocHostUIHandler,
                              public IServiceProvider,
                              public IOleCommandTarget,
                              public IDispatch,
                              public IDownloadManager {
public:
    // Created with one reference, which the owner holds.
    explicit CWebBrowserHost(CWebBrowserUI* owner) noexcept : m_pOwner(owner) {}
    CWebBrowserHost(const CWebBrowserHost&) = delete;
    CWebBrowserHost& operator=(const CWebBrowserHost&) = delete;

    // The owner lets go: every later call fails cleanly.
    void DetachOwner() noexcept { m_pOwner = nullptr; }
    CWebBrowserUI* Owner() const noexcept { return m_pOwner; }

    // IUnknown: IDocHostUIHandler is the object's identity.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                                 IDispatch* pdispReserved) noexcept override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* pInfo) noexcept override;
    STDMETHODIMP ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject, IOleCommandTarget* pCommandTarget,
                        IOleInPlaceFrame* pFrame, IOleInPlaceUIWindow* pDoc) noexcept override;
    STDMETHODIMP HideUI() noexcept override;
    STDMETHODIMP UpdateUI() noexcept override;
    STDMETHODIMP EnableModeless(BOOL fEnable) noexcept override;
    STDMETHODIMP OnDocWindowActivate(BOOL fActivate) noexcept override;
    STDMETHODIMP OnFrameWindowActivate(BOOL fActivate) noexcept override;
    STDMETHODIMP ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fRameWindow) noexcept override;
    STDMETHODIMP TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) noexcept override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) noexcept override;
    STDMETHODIMP GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) noexcept override;
    STDMETHODIMP GetExternal(IDispatch** ppDispatch) noexcept override;
    STDMETHODIMP TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn, LPWSTR* ppchURLOut) noexcept override;
    STDMETHODIMP FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) noexcept override;

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID guidService, REFIID riid, void** ppvObject) noexcept override;

    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[],
                             OLECMDTEXT* pCmdText) noexcept override;
    STDMETHODIMP Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT* pvaIn,
                      VARIANT* pvaOut) noexcept override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) noexcept override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) noexcept override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                               DISPID* rgDispId) noexcept override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept override;

    // IDownloadManager
    STDMETHODIMP Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, LONG grfBINDF, BINDINFO* pBindInfo,
                          LPCOLESTR pszHeaders, LPCOLESTR pszRedir, UINT uiCP) noexcept override;

private:
    ~CWebBrowserHost() = default;
    // The owner's answer inside the hosts' COM boundary; E_UNEXPECTED
    // without an owner.
    template <typename Body>
    HRESULT ForOwner(Body&& body) noexcept;

    LONG m_dwRef = 1;
    CWebBrowserUI* m_pOwner;
};

}  // namespace SkinUI
