// The document the stand-in engine hands out through get_Document, the
// dispatch objects its frames report in events, and the data object of a
// copy. The document keeps what the container's client site answered while
// the document was created (the system engine asks then, not later) and the
// host handler a container installs with ICustomDoc::SetUIHandler, which
// speaks for the host from then on; a new navigation makes a new document,
// so a host reinstalls it each time.
#pragma once

#include "base/Win32Handles.h"

#include <windows.h>
#include <docobj.h>
#include <mshtmhst.h>
#include <servprov.h>

#include <string>
#include <utility>

namespace engine {

// The container's answers to the client site's QueryInterface at document
// creation; each may be missing.
struct SiteHost {
    win32::ComPtr<IDocHostUIHandler> handler;
    win32::ComPtr<IOleCommandTarget> commandTarget;
    win32::ComPtr<IServiceProvider> services;
};

class EngineDocument final : public IDispatch, public ICustomDoc {
public:
    explicit EngineDocument(std::wstring url);
    EngineDocument(const EngineDocument&) = delete;
    EngineDocument& operator=(const EngineDocument&) = delete;

    const std::wstring& Url() const { return m_url; }
    win32::ComPtr<IDocHostUIHandler> UiHandler() const { return m_handler; }
    const SiteHost& Site() const { return m_site; }
    void SetSite(SiteHost site) { m_site = std::move(site); }
    // The container lets go (Close, or its client site removed): nothing of
    // it is called again, nor kept.
    void DropHost()
    {
        m_site = SiteHost{};
        m_handler.reset();
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: the page's document offers no script members here.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override;
    // ICustomDoc
    HRESULT STDMETHODCALLTYPE SetUIHandler(IDocHostUIHandler* handler) override;

private:
    ~EngineDocument();

    LONG m_refs = 1;
    std::wstring m_url;
    SiteHost m_site;
    win32::ComPtr<IDocHostUIHandler> m_handler;
};

// The page's selection as the engine offers it to the clipboard: one
// CF_UNICODETEXT in global memory.
class SelectionData final : public IDataObject {
public:
    explicit SelectionData(std::wstring text);
    SelectionData(const SelectionData&) = delete;
    SelectionData& operator=(const SelectionData&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advise) override;

private:
    ~SelectionData();
    LONG m_refs = 1;
    std::wstring m_text;
};

// A frame's browser as events name it (the pDisp of a frame's events).
class FrameDispatch final : public IDispatch {
public:
    FrameDispatch();
    FrameDispatch(const FrameDispatch&) = delete;
    FrameDispatch& operator=(const FrameDispatch&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override;

private:
    ~FrameDispatch();
    LONG m_refs = 1;
};

// A script object the page passes as an argument: converting it to a
// string (its value, DISPID_VALUE) runs the page's own code, recorded as
// "page code ran text=<text>", which answers the text.
class ScriptObject final : public IDispatch {
public:
    explicit ScriptObject(std::wstring text);
    ScriptObject(const ScriptObject&) = delete;
    ScriptObject& operator=(const ScriptObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override;

private:
    ~ScriptObject();
    LONG m_refs = 1;
    std::wstring m_text;
};

}  // namespace engine
