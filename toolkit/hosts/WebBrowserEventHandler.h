// What a browser host control reports to its window: the browser's events
// and the document host questions it passes on. Every operation has a
// neutral default; a handler replaces what it needs.
#pragma once

#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <oleidl.h>
#include <urlmon.h>

namespace SkinUI {

class CWebBrowserEventHandler {
public:
    CWebBrowserEventHandler() = default;
    CWebBrowserEventHandler(const CWebBrowserEventHandler&) = delete;
    CWebBrowserEventHandler& operator=(const CWebBrowserEventHandler&) = delete;
    virtual ~CWebBrowserEventHandler() = default;

    // Arguments the browser passes by reference arrive as references to the
    // pointers in the event's arguments: read through them, write the cancel flag.
    virtual void BeforeNavigate2(IDispatch* /*pDisp*/, VARIANT*& /*url*/, VARIANT*& /*flags*/,
                                 VARIANT*& /*targetFrameName*/, VARIANT*& /*postData*/, VARIANT*& /*headers*/,
                                 VARIANT_BOOL*& /*cancel*/)
    {
    }
    virtual void NavigateError(IDispatch* /*pDisp*/, VARIANT*& /*url*/, VARIANT*& /*targetFrameName*/,
                               VARIANT*& /*statusCode*/, VARIANT_BOOL*& /*cancel*/)
    {
    }
    virtual void NavigateComplete2(IDispatch* /*pDisp*/, VARIANT*& /*url*/) {}
    virtual void DocumentComplete(IDispatch* /*pDisp*/, VARIANT*& /*url*/) {}
    virtual void SpareNotification(DWORD /*first*/, DWORD /*second*/) {}
    virtual void NewWindow3(IDispatch** /*ppDisp*/, VARIANT_BOOL*& /*cancel*/, DWORD /*flags*/,
                            BSTR /*urlContext*/, BSTR /*url*/)
    {
    }
    virtual void CommandStateChange(long /*command*/, VARIANT_BOOL /*enable*/) {}

    virtual HRESULT ShowContextMenu(DWORD /*id*/, POINT* /*ppt*/, IUnknown* /*pcmdtReserved*/,
                                    IDispatch* /*pdispReserved*/)
    {
        return S_OK;
    }
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO* /*pInfo*/) { return S_OK; }
    virtual HRESULT ShowUI(DWORD /*id*/, IOleInPlaceActiveObject* /*activeObject*/, IOleCommandTarget* /*commandTarget*/,
                           IOleInPlaceFrame* /*frame*/, IOleInPlaceUIWindow* /*doc*/)
    {
        return S_FALSE;
    }
    virtual HRESULT HideUI() { return S_OK; }
    virtual HRESULT UpdateUI() { return S_OK; }
    virtual HRESULT EnableModeless(BOOL /*enable*/) { return S_OK; }
    virtual HRESULT OnDocWindowActivate(BOOL /*activate*/) { return S_OK; }
    virtual HRESULT OnFrameWindowActivate(BOOL /*activate*/) { return S_OK; }
    virtual HRESULT ResizeBorder(LPCRECT /*border*/, IOleInPlaceUIWindow* /*uiWindow*/, BOOL /*frameWindow*/)
    {
        return S_OK;
    }
    virtual HRESULT TranslateAccelerator(LPMSG /*msg*/, const GUID* /*commandGroup*/, DWORD /*commandId*/)
    {
        return S_FALSE;
    }
    // GetOptionKeyPath, TranslateUrl and FilterDataObject answer the
    // documented "nothing of ours" (S_FALSE): S_OK would claim a result that
    // is not written. No key of our own: the browser's settings apply.
    virtual HRESULT GetOptionKeyPath(LPOLESTR* /*key*/, DWORD /*reserved*/) { return S_FALSE; }
    virtual HRESULT GetDropTarget(IDropTarget* /*dropTarget*/, IDropTarget** /*replacement*/) { return E_NOTIMPL; }
    virtual HRESULT GetExternal(IDispatch** /*dispatch*/) { return E_NOTIMPL; }
    // S_FALSE: the address is not translated.
    virtual HRESULT TranslateUrl(DWORD /*translate*/, OLECHAR* /*urlIn*/, OLECHAR** /*urlOut*/) { return S_FALSE; }
    // S_FALSE: the browser's data object is not replaced.
    virtual HRESULT FilterDataObject(IDataObject* /*dataObject*/, IDataObject** /*replacement*/) { return S_FALSE; }
    virtual HRESULT Download(IMoniker* /*moniker*/, IBindCtx* /*bindContext*/, DWORD /*bindVerb*/,
                             LONG /*bindFlags*/, BINDINFO* /*bindInfo*/, LPCOLESTR /*headers*/,
                             LPCOLESTR /*redirect*/, UINT /*codePage*/)
    {
        return S_OK;
    }
};

}  // namespace SkinUI
