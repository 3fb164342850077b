// The connection point for DWebBrowserEvents2. Sinks are called through
// IDispatch::Invoke; a sink that does not answer the event interface itself
// is taken by its IDispatch, as the system engine does.
#pragma once

#include "base/Win32Handles.h"

#include <windows.h>
#include <ocidl.h>

#include <vector>

namespace engine {

class EventConnectionPoint final : public IConnectionPoint {
public:
    struct Sink {
        DWORD cookie;
        win32::ComPtr<IDispatch> dispatch;
    };

    // container is not held: the browser owns this point and detaches itself
    // before it goes away.
    explicit EventConnectionPoint(IConnectionPointContainer* container);
    EventConnectionPoint(const EventConnectionPoint&) = delete;
    EventConnectionPoint& operator=(const EventConnectionPoint&) = delete;

    void Detach();
    // A copy: a sink may unadvise while it is being called.
    std::vector<Sink> Sinks() const { return m_sinks; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

private:
    ~EventConnectionPoint();

    LONG m_refs = 1;
    IConnectionPointContainer* m_container;
    std::vector<Sink> m_sinks;
    DWORD m_nextCookie = 1;
};

}  // namespace engine
