// The document the stand-in engine hands out through get_Document, and the
// dispatch objects its frames report in events. The document keeps the host
// handler a container installs with ICustomDoc::SetUIHandler; a new
// navigation makes a new document, so a host reinstalls it each time.
#pragma once

#include "base/Win32Handles.h"

#include <windows.h>
#include <mshtmhst.h>

#include <string>

namespace engine {

class EngineDocument final : public IDispatch, public ICustomDoc {
public:
    explicit EngineDocument(std::wstring url);
    EngineDocument(const EngineDocument&) = delete;
    EngineDocument& operator=(const EngineDocument&) = delete;

    const std::wstring& Url() const { return m_url; }
    win32::ComPtr<IDocHostUIHandler> UiHandler() const { return m_handler; }

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
    win32::ComPtr<IDocHostUIHandler> m_handler;
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

}  // namespace engine
