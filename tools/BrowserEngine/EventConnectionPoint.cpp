#include "tools/BrowserEngine/EventConnectionPoint.h"

#include "tools/BrowserEngine/EngineIds.h"
#include "tools/BrowserEngine/EngineModule.h"
#include "tools/BrowserEngine/EngineRecord.h"

#include <olectl.h>

#include <algorithm>

namespace engine {

EventConnectionPoint::EventConnectionPoint(IConnectionPointContainer* container) : m_container(container)
{
    ModuleAddRef();
}

EventConnectionPoint::~EventConnectionPoint()
{
    ModuleRelease();
}

void EventConnectionPoint::Detach()
{
    m_container = nullptr;
    m_sinks.clear();
}

HRESULT EventConnectionPoint::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

ULONG EventConnectionPoint::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG EventConnectionPoint::Release()
{
    const LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid) return E_POINTER;
    *iid = kDiidWebBrowserEvents2;
    return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (!container) return E_POINTER;
    *container = m_container;
    if (!m_container) return E_UNEXPECTED;
    m_container->AddRef();
    return S_OK;
}

HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (cookie) *cookie = 0;
    if (!sink || !cookie) return E_POINTER;
    win32::ComPtr<IDispatch> dispatch;
    const char* taken = "DWebBrowserEvents2";
    if (FAILED(sink->QueryInterface(kDiidWebBrowserEvents2, dispatch.put_void()))) {
        taken = "IDispatch";
        if (FAILED(sink->QueryInterface(IID_IDispatch, dispatch.put_void()))) {
            Record("Advise sink=none hr=" + Hr(CONNECT_E_CANNOTCONNECT));
            return CONNECT_E_CANNOTCONNECT;
        }
    }
    *cookie = m_nextCookie++;
    m_sinks.push_back({*cookie, dispatch});
    Record(std::string("Advise sink=") + taken + " hr=" + Hr(S_OK) + " cookie=" + std::to_string(*cookie));
    return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie)
{
    const auto found = std::find_if(m_sinks.begin(), m_sinks.end(), [cookie](const Sink& s) { return s.cookie == cookie; });
    const HRESULT hr = found == m_sinks.end() ? CONNECT_E_NOCONNECTION : S_OK;
    if (found != m_sinks.end()) m_sinks.erase(found);
    Record("Unadvise cookie=" + std::to_string(cookie) + " hr=" + Hr(hr));
    return hr;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** connections)
{
    if (connections) *connections = nullptr;
    return E_NOTIMPL;
}

}  // namespace engine
