#include "tools/BrowserEngine/EngineDocument.h"

#include "tools/BrowserEngine/EngineModule.h"
#include "tools/BrowserEngine/EngineRecord.h"

#include <cstring>
#include <utility>

namespace engine {

namespace {

HRESULT UnknownNames(LPOLESTR*, UINT count, DISPID* ids)
{
    if (!ids) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

}  // namespace

EngineDocument::EngineDocument(std::wstring url) : m_url(std::move(url))
{
    ModuleAddRef();
}

EngineDocument::~EngineDocument()
{
    ModuleRelease();
}

HRESULT EngineDocument::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch) *out = static_cast<IDispatch*>(this);
    else if (iid == __uuidof(ICustomDoc)) *out = static_cast<ICustomDoc*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG EngineDocument::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG EngineDocument::Release()
{
    const LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

HRESULT EngineDocument::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT EngineDocument::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT EngineDocument::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return UnknownNames(names, count, ids);
}

HRESULT EngineDocument::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT EngineDocument::SetUIHandler(IDocHostUIHandler* handler)
{
    m_handler = win32::ComPtr<IDocHostUIHandler>(handler);
    Record("SetUIHandler handler=" + std::string(handler ? "1" : "0"));
    return S_OK;
}

FrameDispatch::FrameDispatch()
{
    ModuleAddRef();
}

FrameDispatch::~FrameDispatch()
{
    ModuleRelease();
}

HRESULT FrameDispatch::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG FrameDispatch::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG FrameDispatch::Release()
{
    const LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

HRESULT FrameDispatch::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT FrameDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT FrameDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return UnknownNames(names, count, ids);
}

HRESULT FrameDispatch::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return DISP_E_MEMBERNOTFOUND;
}

ScriptObject::ScriptObject(std::wstring text) : m_text(std::move(text))
{
    ModuleAddRef();
}

ScriptObject::~ScriptObject()
{
    ModuleRelease();
}

HRESULT ScriptObject::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG ScriptObject::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG ScriptObject::Release()
{
    const LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

HRESULT ScriptObject::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT ScriptObject::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT ScriptObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return UnknownNames(names, count, ids);
}

HRESULT ScriptObject::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*)
{
    if (id != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
    Record("page code ran text=" + Utf8(m_text));
    if (!result) return S_OK;
    ::VariantInit(result);
    result->vt = VT_BSTR;
    result->bstrVal = ::SysAllocStringLen(m_text.data(), static_cast<UINT>(m_text.size()));
    return result->bstrVal ? S_OK : E_OUTOFMEMORY;
}

SelectionData::SelectionData(std::wstring text) : m_text(std::move(text))
{
    ModuleAddRef();
}

SelectionData::~SelectionData()
{
    ModuleRelease();
}

HRESULT SelectionData::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDataObject) return E_NOINTERFACE;
    *out = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
}

ULONG SelectionData::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG SelectionData::Release()
{
    const LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

HRESULT SelectionData::QueryGetData(FORMATETC* format)
{
    if (!format) return E_POINTER;
    if (format->cfFormat != CF_UNICODETEXT || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    return format->dwAspect == DVASPECT_CONTENT ? S_OK : DV_E_DVASPECT;
}

HRESULT SelectionData::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (!medium) return E_POINTER;
    const HRESULT hr = QueryGetData(format);
    if (FAILED(hr)) return hr;
    const size_t bytes = (m_text.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return E_OUTOFMEMORY;
    void* target = ::GlobalLock(memory);
    if (!target) {
        ::GlobalFree(memory);
        return E_OUTOFMEMORY;
    }
    std::memcpy(target, m_text.c_str(), bytes);
    ::GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT SelectionData::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT SelectionData::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out)
{
    if (!in || !out) return E_POINTER;
    *out = *in;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT SelectionData::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT SelectionData::EnumFormatEtc(DWORD, IEnumFORMATETC** formats)
{
    if (formats) *formats = nullptr;
    return E_NOTIMPL;
}

HRESULT SelectionData::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return OLE_E_ADVISENOTSUPPORTED; }
HRESULT SelectionData::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }
HRESULT SelectionData::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }

}  // namespace engine
