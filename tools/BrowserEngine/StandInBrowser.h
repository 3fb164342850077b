// The stand-in for the system WebBrowser control: an in-place OLE control
// that speaks IWebBrowser2 and DWebBrowserEvents2, hands out a document the
// host installs its IDocHostUIHandler on, plays the scenario of each
// navigated address (EngineScenario.h) and records every host answer
// (EngineRecord.h). It paints the portal page in a child window of the
// site's window, created at in-place activation.
//
// Navigation: Navigate2 fires BeforeNavigate2 at once; the rest runs from
// a posted message on the engine's own message window: NavigateError (when
// the scenario fails the address), the new document, which asks the client
// site for the host's IDocHostUIHandler, IOleCommandTarget and
// IServiceProvider and asks that handler GetOptionKeyPath and GetHostInfo,
// then NavigateComplete2 (where a host may install its own handler),
// TitleChange, each frame's BeforeNavigate2/NavigateComplete2/
// DocumentComplete, the top DocumentComplete, then the page's actions.
// Script errors go to the command target and downloads to the services the
// client site answered for the document, as the system engine asks them.
#pragma once

#include "base/Win32Handles.h"
#include "tools/BrowserEngine/EngineDocument.h"
#include "tools/BrowserEngine/EngineIds.h"
#include "tools/BrowserEngine/EngineScenario.h"
#include "tools/BrowserEngine/EventConnectionPoint.h"
#include "tools/BrowserEngine/PortalPainter.h"

#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <oleidl.h>

#include <functional>
#include <map>
#include <string>

namespace engine {

// Window classes of the engine's windows go with the DLL when it unloads.
void UnregisterEngineClasses();

// An engine window: detached from its object before it is destroyed, so no
// message of its destruction reaches an object that is going away.
struct EngineWindowTraits {
    static HWND Invalid() noexcept { return nullptr; }
    static bool Valid(HWND h) noexcept { return h != nullptr; }
    static void Close(HWND h) noexcept
    {
        ::SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        ::DestroyWindow(h);
    }
};
using EngineWindow = win32::UniqueResource<HWND, EngineWindowTraits>;

class StandInBrowser final : public IWebBrowser2,
                             public IOleObject,
                             public IOleInPlaceObject,
                             public IOleInPlaceActiveObject,
                             public IOleControl,
                             public IPersistStreamInit,
                             public IViewObject2,
                             public IObjectWithSite,
                             public IConnectionPointContainer,
                             public IRunnableObject,
                             public IStandInEngine {
public:
    static HRESULT Create(REFIID iid, void** out);

    StandInBrowser(const StandInBrowser&) = delete;
    StandInBrowser& operator=(const StandInBrowser&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch (of IWebBrowser2): no automation by name here.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override;

    // IWebBrowser
    HRESULT STDMETHODCALLTYPE GoBack() override;
    HRESULT STDMETHODCALLTYPE GoForward() override;
    HRESULT STDMETHODCALLTYPE GoHome() override;
    HRESULT STDMETHODCALLTYPE GoSearch() override;
    HRESULT STDMETHODCALLTYPE Navigate(BSTR url, VARIANT* flags, VARIANT* target, VARIANT* postData, VARIANT* headers) override;
    HRESULT STDMETHODCALLTYPE Refresh() override;
    HRESULT STDMETHODCALLTYPE Refresh2(VARIANT* level) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE get_Application(IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_Parent(IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_Container(IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL* out) override;
    HRESULT STDMETHODCALLTYPE get_Type(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_Left(LONG* out) override;
    HRESULT STDMETHODCALLTYPE put_Left(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_Top(LONG* out) override;
    HRESULT STDMETHODCALLTYPE put_Top(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_Width(LONG* out) override;
    HRESULT STDMETHODCALLTYPE put_Width(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_Height(LONG* out) override;
    HRESULT STDMETHODCALLTYPE put_Height(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL* out) override;
    // IWebBrowserApp
    HRESULT STDMETHODCALLTYPE Quit() override;
    HRESULT STDMETHODCALLTYPE ClientToWindow(int* cx, int* cy) override;
    HRESULT STDMETHODCALLTYPE PutProperty(BSTR name, VARIANT value) override;
    HRESULT STDMETHODCALLTYPE GetProperty(BSTR name, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR* out) override;
    HRESULT STDMETHODCALLTYPE get_FullName(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* out) override;
    HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_StatusBar(VARIANT_BOOL* out) override;
    HRESULT STDMETHODCALLTYPE put_StatusBar(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_StatusText(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE put_StatusText(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_ToolBar(int* out) override;
    HRESULT STDMETHODCALLTYPE put_ToolBar(int value) override;
    HRESULT STDMETHODCALLTYPE get_MenuBar(VARIANT_BOOL* out) override;
    HRESULT STDMETHODCALLTYPE put_MenuBar(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_FullScreen(VARIANT_BOOL* out) override;
    HRESULT STDMETHODCALLTYPE put_FullScreen(VARIANT_BOOL value) override;
    // IWebBrowser2
    HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target, VARIANT* postData, VARIANT* headers) override;
    HRESULT STDMETHODCALLTYPE QueryStatusWB(OLECMDID command, OLECMDF* status) override;
    HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID command, OLECMDEXECOPT option, VARIANT* in, VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE ShowBrowserBar(VARIANT* clsid, VARIANT* show, VARIANT* size) override;
    HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE* out) override;
    HRESULT STDMETHODCALLTYPE get_Offline(VARIANT_BOOL* out) override;
    HRESULT STDMETHODCALLTYPE put_Offline(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_Silent(VARIANT_BOOL* out) override;
    HRESULT STDMETHODCALLTYPE put_Silent(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_RegisterAsBrowser(VARIANT_BOOL* out) override;
    HRESULT STDMETHODCALLTYPE put_RegisterAsBrowser(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_RegisterAsDropTarget(VARIANT_BOOL* out) override;
    HRESULT STDMETHODCALLTYPE put_RegisterAsDropTarget(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_TheaterMode(VARIANT_BOOL* out) override;
    HRESULT STDMETHODCALLTYPE put_TheaterMode(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_AddressBar(VARIANT_BOOL* out) override;
    HRESULT STDMETHODCALLTYPE put_AddressBar(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_Resizable(VARIANT_BOOL* out) override;
    HRESULT STDMETHODCALLTYPE put_Resizable(VARIANT_BOOL value) override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR container, LPCOLESTR object) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT rect) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow (of both in-place interfaces)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
    // IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
    // IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* msg) override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

    // IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;

    // IViewObject2
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc,
                                   HDC drawDc, LPCRECTL bounds, LPCRECTL windowBounds,
                                   BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR), ULONG_PTR contArg) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                                          HDC targetDc, LOGPALETTE** palette) override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD freeze) override;
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

    // IObjectWithSite
    HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override;
    HRESULT STDMETHODCALLTYPE GetSite(REFIID iid, void** site) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IRunnableObject: a lock keeps the object alive, as the system's
    // external lock (CoLockObjectExternal) does for an object without it.
    HRESULT STDMETHODCALLTYPE GetRunningClass(LPCLSID clsid) override;
    HRESULT STDMETHODCALLTYPE Run(LPBINDCTX context) override;
    BOOL STDMETHODCALLTYPE IsRunning() override;
    HRESULT STDMETHODCALLTYPE LockRunning(BOOL lock, BOOL lastUnlockCloses) override;
    HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL contained) override;

    // IStandInEngine
    HRESULT STDMETHODCALLTYPE GetViewWindow(HWND* window) override;

private:
    struct TimerAction {
        unsigned navigation;
        ScenarioAction action;
    };

    StandInBrowser();
    ~StandInBrowser();

    static LRESULT CALLBACK MessageWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK ViewWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnViewMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Navigation
    HRESULT BeginNavigation(const std::wstring& url);
    void RunNavigation(unsigned navigation);
    void RunTimerAction(UINT_PTR timer);
    void RunAction(const ScenarioAction& action);
    bool Current(unsigned navigation) const { return navigation == m_navigation && !m_closed; }

    // Events to the DWebBrowserEvents2 sinks. describe() adds the facts read
    // back after each sink's answer (cancel flags and the like).
    void Fire(const char* name, DISPID id, VARIANTARG* args, UINT count, const std::function<std::string()>& describe);
    bool FireBeforeNavigate2(IDispatch* frame, const std::wstring& url, const std::wstring& targetFrame);
    void FireNavigateComplete2(IDispatch* frame, const std::wstring& url);
    void FireDocumentComplete(IDispatch* frame, const std::wstring& url);
    bool FireNavigateError(IDispatch* frame, const std::wstring& url, const ScenarioValue& status);
    void FireNewWindow3(const std::wstring& url, uint32_t flags);
    void FireTitleChange(const std::wstring& title);
    void FireCommandStateChange(long command, bool enable);
    bool FireFileDownload();

    // What the page asks of its host.
    win32::ComPtr<IDocHostUIHandler> HostHandler(const char*& source) const;
    void AttachDocumentHost();
    void AskOptionKeyPath();
    void AskHostInfo();
    void CallExternal(const std::string& name, const std::vector<ScenarioValue>& args);
    void ReportScriptError(const std::string& message);
    void RequestDownload(const std::wstring& url);
    // The address a followed link goes to; false when the host's answer
    // leaves none.
    bool TranslateLink(std::wstring& url);
    void FollowLink(const std::wstring& url);
    void CopySelection(const std::wstring& text);
    bool ShowContextMenu(POINT screen);
    void ClickPart(PagePart part, int x, int y);

    // In-place activation
    HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT rect);
    HRESULT ActivateUi();
    void RecordLayout();
    void Repaint();

    LONG m_refs = 1;
    LONG m_runningLocks = 0;
    win32::ComPtr<IOleClientSite> m_clientSite;
    win32::ComPtr<IUnknown> m_site;  // IObjectWithSite
    win32::ComPtr<IOleInPlaceSite> m_inPlaceSite;
    win32::ComPtr<IOleInPlaceSiteEx> m_inPlaceSiteEx;
    win32::ComPtr<IOleInPlaceFrame> m_frame;
    win32::ComPtr<IOleInPlaceUIWindow> m_uiWindow;
    win32::ComPtr<IOleAdviseHolder> m_adviseHolder;
    win32::ComPtr<IAdviseSink> m_viewSink;
    DWORD m_viewAspects = 0;
    DWORD m_viewAdviseFlags = 0;
    win32::ComPtr<EventConnectionPoint> m_events;

    EngineWindow m_messageWindow;
    EngineWindow m_view;
    RECT m_viewRect{};
    bool m_uiActive = false;
    bool m_closed = false;
    SIZEL m_extent{};

    // Browser state
    std::wstring m_url;
    std::wstring m_pendingUrl;
    std::wstring m_title;
    win32::ComPtr<EngineDocument> m_document;
    PageScenario m_page;
    unsigned m_navigation = 0;
    bool m_busy = false;
    bool m_scriptsStopped = false;
    READYSTATE m_readyState = READYSTATE_UNINITIALIZED;
    VARIANT_BOOL m_silent = VARIANT_FALSE;
    VARIANT_BOOL m_visible = VARIANT_TRUE;
    VARIANT_BOOL m_offline = VARIANT_FALSE;
    VARIANT_BOOL m_registerAsBrowser = VARIANT_FALSE;
    VARIANT_BOOL m_registerAsDropTarget = VARIANT_TRUE;
    PortalView m_viewState;
    PagePart m_pressed = PagePart::None;
    std::map<UINT_PTR, TimerAction> m_timerActions;
    win32::ComPtr<FrameDispatch> m_lateFrame;  // started, completes on its timer
    std::wstring m_lateFrameUrl;
    UINT_PTR m_nextTimer = 1;
};

}  // namespace engine
