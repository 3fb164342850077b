// The control that hosts the system WebBrowser control: its events go to an
// attached handler; it is the document's host (frame style, context menu,
// external object), its command target (no script error dialogs), its
// download manager, and it translates keys while the focus is inside it.
// The page is shown at its window's display scale through the browser's
// optical zoom.
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
#include "toolkit/hosts/WebBrowserHost.h"

namespace SkinUI {

// The WebBrowser control's class, {8856F961-340A-11D0-A96B-00C04FD705A2}.
extern const CLSID CLSID_WebBrowserControl;
// DWebBrowserEvents2, {34A715A0-6587-11D0-924A-0020AFC7AC4D}.
extern const IID IID_WebBrowserEvents2;
// The download-manager service and interface, {988934A4-064B-11D3-BB80-00104B35E7F9}.
extern const GUID SID_DownloadManagerService;
// The command group of the document host's commands.
extern const GUID CGID_DocHostCommands;

// The control answers what the browser asks its host; the browser and the
// page reach these answers through the control's host object
// (CWebBrowserHost), which outlives the control and fails cleanly once the
// control has let go of it.
class CWebBrowserUI : public CActiveXUI, public ITranslateAccelerator {
public:
    CWebBrowserUI();
    ~CWebBrowserUI() override;

    std::wstring_view ClassName() const override;
    void* InterfaceFor(std::wstring_view name) override;
    void ApplyAttribute(std::wstring_view name, std::wstring_view value) override;
    // Releases everything: the accelerator, the event connection, the
    // document host, the browser object and its site; the host object is
    // let go, so what the browser or the page still holds of it fails
    // cleanly. A later creation starts from nothing.
    void ReleaseHostedControl() override;
    bool CreateHostedControl() override;
    // Placed after its window moved to another scale: the page follows.
    void Place(const RECT& rect) override;
    // The browser asks the client site for its document host, command target
    // and services while it creates each document: the site answers with
    // the host object's.
    HRESULT QuerySiteInterface(REFIID riid, void** ppv) override;

    // A handler that is not none and not the current one becomes the
    // handler; the attaching party keeps and deletes it.
    void SetEventHandler(CWebBrowserEventHandler* handler);
    CWebBrowserEventHandler* EventHandler() const { return m_pEventHandler; }
    // S_FALSE without an address or a browser; else Navigate2's status.
    HRESULT NavigateTo(const wchar_t* address);
    HRESULT ConnectBrowserEvents(bool advise);
    IWebBrowser2* WebBrowser() const { return m_pWebBrowser.get(); }
    // The zoom in percent the browser last took (100: none given, its own).
    int GivenZoom() const { return m_nZoomGiven; }
    const CUiString& HomePage() const { return m_sHomePage; }
    bool IsAutoNavigate() const { return m_bAutoNavigate; }
    // The COM object the browser and the page call for this control (made
    // when first asked for); none without memory.
    CWebBrowserHost* HostObject();

    // What the host object answers, by the interface it answers for.
    // IDocHostUIHandler
    virtual HRESULT ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved, IDispatch* pdispReserved);
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO* pInfo);
    virtual HRESULT ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject, IOleCommandTarget* pCommandTarget,
                           IOleInPlaceFrame* pFrame, IOleInPlaceUIWindow* pDoc);
    virtual HRESULT HideUI();
    virtual HRESULT UpdateUI();
    virtual HRESULT EnableModeless(BOOL fEnable);
    virtual HRESULT OnDocWindowActivate(BOOL fActivate);
    virtual HRESULT OnFrameWindowActivate(BOOL fActivate);
    virtual HRESULT ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fRameWindow);
    virtual HRESULT TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID);
    virtual HRESULT GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw);
    virtual HRESULT GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget);
    // The host object's IDispatch: the page's external object.
    virtual HRESULT GetExternal(IDispatch** ppDispatch);
    virtual HRESULT TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn, LPWSTR* ppchURLOut);
    virtual HRESULT FilterDataObject(IDataObject* pDO, IDataObject** ppDORet);
    // IServiceProvider: only the download manager, the host object's.
    virtual HRESULT QueryService(REFGUID guidService, REFIID riid, void** ppvObject);
    // IOleCommandTarget
    virtual HRESULT QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT* pCmdText);
    virtual HRESULT Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT* pvaIn,
                         VARIANT* pvaOut);
    // IDispatch: the browser's events arrive through Invoke, and so do the
    // page's calls of its external object.
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo);
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo);
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId);
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                           VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr);
    // IDownloadManager: forwarded to the handler; S_OK claims the download.
    virtual HRESULT Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, LONG grfBINDF, BINDINFO* pBindInfo,
                             LPCOLESTR pszHeaders, LPCOLESTR pszRedir, UINT uiCP);

    // ITranslateAccelerator: 0 consumes the key.
    LRESULT PreTranslate(MSG* pMsg) override;

protected:
    void OnCreationWaiting() override;

    win32::ComPtr<IWebBrowser2> m_pWebBrowser;
    DWORD m_dwEventCookie = 0;
    CUiString m_sHomePage;
    bool m_bAutoNavigate = false;
    CWebBrowserEventHandler* m_pEventHandler = nullptr;
    // Whether a waiting creation opens the home page, as the markup said
    // when the creation was asked for, and the page.
    bool m_bWaitingHomeNavigation = false;
    CUiString m_sWaitingHomePage;

private:
    void ReleaseBrowser();
    // Gives the browser the zoom of the control's scale
    // (OLECMDID_OPTICAL_ZOOM) when it has another; a new top document gets
    // it again whenever it is not 100 %.
    void ApplyZoom(bool newDocument);
    // Whether an event's frame is the browser itself (the top document).
    bool IsTopFrame(IDispatch* frame) const;
    // Navigation complete: the host object becomes the host of the new
    // document; on release it stops being its host.
    void InstallDocumentHost(bool install);

    win32::ComPtr<CWebBrowserHost> m_pHost;
    int m_nZoomGiven = 100;
};

}  // namespace SkinUI
