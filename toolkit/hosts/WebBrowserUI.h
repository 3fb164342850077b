// The control that hosts the system WebBrowser control: its events go to an
// attached handler; it is the document's host (frame style, context menu,
// external object), its command target (no script error dialogs), its
// download manager, and it translates keys while the focus is inside it.
#pragma once

#include <windows.h>
#include <docobj.h>
#include <downloadmgr.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <servprov.h>

#include <string_view>

#include "base/Win32Handles.h"
#include "toolkit/core/UiString.h"
#include "toolkit/hosts/ActiveXUI.h"
#include "toolkit/hosts/WebBrowserEventHandler.h"

namespace SkinUI {

// The WebBrowser control's class, {8856F961-340A-11D0-A96B-00C04FD705A2}.
extern const CLSID CLSID_WebBrowserControl;
// DWebBrowserEvents2, {34A715A0-6587-11D0-924A-0020AFC7AC4D}.
extern const IID IID_WebBrowserEvents2;
// The download-manager service and interface, {988934A4-064B-11D3-BB80-00104B35E7F9}.
extern const GUID SID_DownloadManagerService;
// The command group of the document host's commands.
extern const GUID CGID_DocHostCommands;

class CWebBrowserUI : public CActiveXUI,
                      public IDocHostUIHandler,
                      public IServiceProvider,
                      public IOleCommandTarget,
                      public IDispatch,
                      public ITranslateAccelerator,
                      public IDownloadManager {
public:
    CWebBrowserUI();
    ~CWebBrowserUI() override;

    std::wstring_view ClassName() const override;
    void* InterfaceFor(std::wstring_view name) override;
    void ApplyAttribute(std::wstring_view name, std::wstring_view value) override;
    void ReleaseHostedControl() override;
    bool CreateHostedControl() override;
    // The browser asks the client site for its document host, command target
    // and services while it creates each document: the site answers with
    // this control's.
    HRESULT QuerySiteInterface(REFIID riid, void** ppv) override;

    // A handler that is not none and not the current one becomes the
    // handler; the attaching party keeps and deletes it.
    void SetEventHandler(CWebBrowserEventHandler* handler);
    CWebBrowserEventHandler* EventHandler() const { return m_pEventHandler; }
    // S_FALSE without an address or a browser; else Navigate2's status.
    HRESULT NavigateTo(const wchar_t* address);
    HRESULT ConnectBrowserEvents(bool advise);
    IWebBrowser2* WebBrowser() const { return m_pWebBrowser.get(); }
    const CUiString& HomePage() const { return m_sHomePage; }
    bool IsAutoNavigate() const { return m_bAutoNavigate; }

    // IUnknown, shared by the COM interfaces; the control belongs to the
    // control tree, so the count never destroys it.
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

    // IDispatch: the browser's events arrive through Invoke.
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) noexcept override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) noexcept override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                               DISPID* rgDispId) noexcept override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept override;

    // ITranslateAccelerator: 0 consumes the key.
    LRESULT PreTranslate(MSG* pMsg) override;

    // IDownloadManager: forwarded to the handler; S_OK claims the download.
    STDMETHODIMP Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, LONG grfBINDF, BINDINFO* pBindInfo,
                          LPCOLESTR pszHeaders, LPCOLESTR pszRedir, UINT uiCP) noexcept override;

protected:
    win32::ComPtr<IWebBrowser2> m_pWebBrowser;
    LONG m_dwRef = 0;
    DWORD m_dwEventCookie = 0;
    CUiString m_sHomePage;
    bool m_bAutoNavigate = false;
    CWebBrowserEventHandler* m_pEventHandler = nullptr;

private:
    void ReleaseOwnHostedControl();
    // Navigation complete: the control becomes the host of the new document;
    // on release it stops being its host.
    void InstallDocumentHost(bool install);
};

}  // namespace SkinUI
