// Just enough of an OLE container to drive the stand-in browser engine: a
// client site with in-place site, frame, document host handler, command
// target and download service, an external object for the page's script and
// a DWebBrowserEvents2 sink. Each piece keeps what the engine did to it and
// answers as the test sets it up.
#pragma once

#include "base/Win32Handles.h"

#include <windows.h>
#include <docobj.h>
#include <downloadmgr.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <oleidl.h>

#include <string>
#include <vector>

namespace enginetest {

// A variant as the test compares it: its type and a text of its value.
struct SeenValue {
    VARTYPE vt = VT_EMPTY;
    std::wstring text;  // strings as written, numbers in decimal, VT_BOOL as -1/0
};
SeenValue See(const VARIANT& value);

// Base of the test's COM objects: counted references that never delete, so
// a test can check that the engine gave back every reference it took.
class CountedObject {
public:
    LONG Refs() const { return m_refs; }

protected:
    ULONG Add() { return static_cast<ULONG>(++m_refs); }
    ULONG Drop() { return static_cast<ULONG>(--m_refs); }

private:
    LONG m_refs = 0;
};

class ExternalObject final : public IDispatch, public CountedObject {
public:
    struct Call {
        DISPID id;
        WORD flags;
        std::vector<SeenValue> args;  // in script order (first argument first)
    };

    DISPID answerId = 1000;  // for answerName
    std::wstring answerName = L"g_callCppFunc";
    HRESULT namesAnswer = S_OK;
    HRESULT invokeAnswer = DISP_E_MEMBERNOTFOUND;
    // Converts script-object arguments to strings (running the page's code),
    // as a host that asks for every argument's text would.
    bool convertObjects = false;
    std::vector<std::wstring> names;
    std::vector<Call> calls;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override;
};

class EventSink final : public IDispatch, public CountedObject {
public:
    struct Event {
        DISPID id;
        std::vector<VARTYPE> types;  // rgvarg order: the event's last argument first
        std::wstring url;            // the address argument, when the event has one
        IDispatch* frame = nullptr;  // not held: compared only
        SeenValue status;            // NavigateError's status code
        LONG flags = 0;              // NewWindow3
        std::wstring context;        // NewWindow3's referring address
    };

    VARIANT_BOOL cancelBeforeNavigate = VARIANT_FALSE;
    VARIANT_BOOL cancelNavigateError = VARIANT_FALSE;
    VARIANT_BOOL cancelNewWindow = VARIANT_FALSE;
    VARIANT_BOOL cancelFileDownload = VARIANT_FALSE;
    // What the toolkit's host does on NavigateComplete2: install a handler on
    // the new document through ICustomDoc.
    IWebBrowser2* browser = nullptr;
    IDocHostUIHandler* installHandler = nullptr;
    std::vector<Event> events;

    std::vector<DISPID> Ids(std::initializer_list<DISPID> only) const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override;
};

class DownloadManager final : public IDownloadManager, public CountedObject {
public:
    HRESULT answer = S_OK;
    std::vector<std::wstring> urls;  // display names of the monikers

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }
    HRESULT STDMETHODCALLTYPE Download(IMoniker* moniker, IBindCtx* context, DWORD verb, LONG flags, BINDINFO* info,
                                       LPCOLESTR headers, LPCOLESTR redirect, UINT codePage) override;
};

class TestContainer final : public IOleClientSite,
                            public IOleInPlaceSiteEx,
                            public IOleInPlaceFrame,
                            public IDocHostUIHandler,
                            public IOleCommandTarget,
                            public IServiceProvider,
                            public CountedObject {
public:
    explicit TestContainer(HWND window) : m_window(window) {}

    // How an out value is answered: written, cleared, or left as it came.
    enum class Out { Written, Cleared, Untouched };

    // Answers
    bool handlerOnSite = false;  // the client site itself answers IDocHostUIHandler
    bool commandTargetOnSite = true;
    DWORD hostFlags = 0x200005;
    HRESULT contextMenuAnswer = S_FALSE;
    HRESULT acceleratorAnswer = S_FALSE;
    HRESULT execAnswer = S_OK;
    HRESULT externalAnswer = S_OK;
    VARIANT_BOOL continueScripts = VARIANT_TRUE;
    bool offerDownloads = true;
    HRESULT translateAnswer = S_FALSE;
    Out translateOut = Out::Cleared;
    std::wstring translateTo;  // written when translateOut is Written
    HRESULT filterAnswer = S_FALSE;
    Out filterOut = Out::Cleared;  // Written: the engine's own object handed back

    // What the engine did
    int canActivateCalls = 0, activateExCalls = 0, deactivateCalls = 0, uiActivateCalls = 0;
    int hostInfoCalls = 0, contextMenuCalls = 0, acceleratorCalls = 0, showObjectCalls = 0;
    std::vector<std::wstring> translated;  // addresses given to TranslateUrl
    std::vector<std::wstring> copied;      // CF_UNICODETEXT of each data object to filter
    struct ExecCall {
        bool scriptErrorGroup;
        DWORD command;
        VARTYPE inType;
    };
    std::vector<ExecCall> execs;
    std::vector<std::wstring> services;  // "download" or "other" per QueryService
    ExternalObject external;
    DownloadManager downloads;

    IDocHostUIHandler* Handler() { return static_cast<IDocHostUIHandler*>(this); }
    IOleClientSite* Site() { return static_cast<IOleClientSite*>(this); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }
    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override
    {
        ++showObjectCalls;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow (site and frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return S_OK; }
    // IOleInPlaceSite(Ex)
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return OnInPlaceActivateEx(nullptr, 0); }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return OnInPlaceDeactivateEx(TRUE); }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL) override;
    HRESULT STDMETHODCALLTYPE RequestUIActivate() override { return S_OK; }
    // IOleInPlaceUIWindow / IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }  // frame and handler
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object) override;
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                     IOleInPlaceUIWindow*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg, const GUID* group, DWORD command) override;
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** target) override;
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** dispatch) override;
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override;
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** out) override;
    // IOleCommandTarget
    HRESULT STDMETHODCALLTYPE QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) override { return OLECMDERR_E_NOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE Exec(const GUID* group, DWORD command, DWORD options, VARIANT* in, VARIANT* out) override;
    // IServiceProvider
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** out) override;

    win32::ComPtr<IOleInPlaceActiveObject> activeObject;

private:
    HWND m_window;
};

}  // namespace enginetest
