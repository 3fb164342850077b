#include "tests/tools/EngineTestHost.h"

#include <exdispid.h>

#include <algorithm>

namespace enginetest {

namespace {

const GUID kCgidDocHostCommandHandler = {0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};
const GUID kSidDownloadManager = {0x988934A4, 0x064B, 0x11D3, {0xBB, 0x80, 0x00, 0x10, 0x4B, 0x35, 0xE7, 0xF9}};

std::wstring UrlOf(const VARIANTARG& arg)
{
    if (arg.vt == (VT_BYREF | VT_VARIANT) && arg.pvarVal && arg.pvarVal->vt == VT_BSTR && arg.pvarVal->bstrVal)
        return arg.pvarVal->bstrVal;
    if (arg.vt == VT_BSTR && arg.bstrVal) return arg.bstrVal;
    return L"?";
}

}  // namespace

SeenValue See(const VARIANT& value)
{
    SeenValue seen;
    seen.vt = value.vt;
    switch (value.vt) {
    case VT_BSTR: seen.text = value.bstrVal ? std::wstring(value.bstrVal, ::SysStringLen(value.bstrVal)) : L""; break;
    case VT_I4: seen.text = std::to_wstring(value.lVal); break;
    case VT_UI4: seen.text = std::to_wstring(value.ulVal); break;
    case VT_I2: seen.text = std::to_wstring(value.iVal); break;
    case VT_R8: seen.text = std::to_wstring(value.dblVal); break;
    case VT_BOOL: seen.text = std::to_wstring(value.boolVal); break;
    default: break;
    }
    return seen;
}

// ---------------------------------------------------------------- external

HRESULT ExternalObject::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

HRESULT ExternalObject::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return E_NOTIMPL;
}

HRESULT ExternalObject::GetIDsOfNames(REFIID, LPOLESTR* lookedUp, UINT count, LCID, DISPID* ids)
{
    for (UINT i = 0; i < count; ++i) {
        names.emplace_back(lookedUp[i]);
        ids[i] = i == 0 && answerName == lookedUp[i] ? answerId : DISPID_UNKNOWN;
    }
    return namesAnswer;
}

HRESULT ExternalObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    Call call{id, flags, {}};
    for (UINT i = params->cArgs; i > 0; --i) {
        SeenValue seen = See(params->rgvarg[i - 1]);
        if (convertObjects && params->rgvarg[i - 1].vt == VT_DISPATCH) {
            VARIANT text;
            ::VariantInit(&text);
            if (SUCCEEDED(::VariantChangeType(&text, &params->rgvarg[i - 1], 0, VT_BSTR)) && text.vt == VT_BSTR)
                seen.text = std::wstring(text.bstrVal, ::SysStringLen(text.bstrVal));
            ::VariantClear(&text);
        }
        call.args.push_back(std::move(seen));
    }
    calls.push_back(std::move(call));
    return invokeAnswer;
}

// ---------------------------------------------------------------- events

std::vector<DISPID> EventSink::Ids(std::initializer_list<DISPID> only) const
{
    std::vector<DISPID> ids;
    for (const Event& e : events) {
        if (std::find(only.begin(), only.end(), e.id) != only.end()) ids.push_back(e.id);
    }
    return ids;
}

HRESULT EventSink::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    // Like the toolkit's host: IDispatch only, not the event interface.
    if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

HRESULT EventSink::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return E_NOTIMPL;
}

HRESULT EventSink::Invoke(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    if (iid != IID_NULL) return E_INVALIDARG;
    Event event{id, {}, {}, nullptr, {}, 0, {}};
    for (UINT i = 0; i < params->cArgs; ++i) event.types.push_back(params->rgvarg[i].vt);
    VARIANTARG* a = params->rgvarg;
    switch (id) {
    case DISPID_BEFORENAVIGATE2:
        if (params->cArgs != 7) break;
        event.frame = a[6].vt == VT_DISPATCH ? a[6].pdispVal : nullptr;
        event.url = UrlOf(a[5]);
        if (a[0].vt == (VT_BYREF | VT_BOOL)) *a[0].pboolVal = cancelBeforeNavigate;
        break;
    case DISPID_NAVIGATECOMPLETE2:
    case DISPID_DOCUMENTCOMPLETE:
        if (params->cArgs != 2) break;
        event.frame = a[1].vt == VT_DISPATCH ? a[1].pdispVal : nullptr;
        event.url = UrlOf(a[0]);
        if (id == DISPID_NAVIGATECOMPLETE2 && browser && installHandler) {
            win32::ComPtr<IDispatch> document;
            win32::ComPtr<ICustomDoc> custom;
            if (SUCCEEDED(browser->get_Document(document.put())) && document &&
                SUCCEEDED(document.As(__uuidof(ICustomDoc), custom)))
                custom->SetUIHandler(installHandler);
        }
        break;
    case DISPID_NAVIGATEERROR:
        if (params->cArgs != 5) break;
        event.frame = a[4].vt == VT_DISPATCH ? a[4].pdispVal : nullptr;
        event.url = UrlOf(a[3]);
        if (a[1].vt == (VT_BYREF | VT_VARIANT) && a[1].pvarVal) event.status = See(*a[1].pvarVal);
        if (a[0].vt == (VT_BYREF | VT_BOOL)) *a[0].pboolVal = cancelNavigateError;
        break;
    case DISPID_FILEDOWNLOAD:
        if (params->cArgs != 2) break;
        if (a[0].vt == (VT_BYREF | VT_BOOL)) *a[0].pboolVal = cancelFileDownload;
        break;
    case DISPID_NEWWINDOW3:
        if (params->cArgs != 5) break;
        if (a[3].vt == (VT_BYREF | VT_BOOL)) *a[3].pboolVal = cancelNewWindow;
        event.flags = a[2].lVal;
        event.context = UrlOf(a[1]);
        event.url = UrlOf(a[0]);
        break;
    default: break;
    }
    events.push_back(std::move(event));
    return id == DISPID_BEFORENAVIGATE2 || id == DISPID_NAVIGATECOMPLETE2 || id == DISPID_DOCUMENTCOMPLETE ||
                   id == DISPID_NAVIGATEERROR || id == DISPID_NEWWINDOW3 || id == DISPID_COMMANDSTATECHANGE ||
                   id == DISPID_FILEDOWNLOAD
               ? S_OK
               : DISP_E_MEMBERNOTFOUND;
}

// ---------------------------------------------------------------- downloads

HRESULT DownloadManager::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != __uuidof(IDownloadManager)) return E_NOINTERFACE;
    *out = static_cast<IDownloadManager*>(this);
    AddRef();
    return S_OK;
}

HRESULT DownloadManager::Download(IMoniker* moniker, IBindCtx* context, DWORD, LONG, BINDINFO*, LPCOLESTR, LPCOLESTR, UINT)
{
    LPOLESTR name = nullptr;
    if (moniker && context && SUCCEEDED(moniker->GetDisplayName(context, nullptr, &name)) && name) {
        urls.emplace_back(name);
        ::CoTaskMemFree(name);
    } else {
        urls.emplace_back(L"?");
    }
    return answer;
}

// ---------------------------------------------------------------- container

HRESULT TestContainer::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite || iid == IID_IOleInPlaceSiteEx)
        *out = static_cast<IOleInPlaceSiteEx*>(this);
    else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) *out = static_cast<IOleInPlaceFrame*>(this);
    else if (iid == __uuidof(IDocHostUIHandler) && handlerOnSite) *out = static_cast<IDocHostUIHandler*>(this);
    else if (iid == IID_IOleCommandTarget && commandTargetOnSite) *out = static_cast<IOleCommandTarget*>(this);
    else if (iid == IID_IServiceProvider) *out = static_cast<IServiceProvider*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT TestContainer::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT TestContainer::GetContainer(IOleContainer** container)
{
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT TestContainer::GetWindow(HWND* window)
{
    *window = m_window;
    return S_OK;
}

HRESULT TestContainer::CanInPlaceActivate()
{
    ++canActivateCalls;
    return S_OK;
}

HRESULT TestContainer::OnUIActivate()
{
    ++uiActivateCalls;
    return S_OK;
}

HRESULT TestContainer::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                        LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    if (!frame || !document || !position || !clip || !info) return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    ::GetClientRect(m_window, position);
    *clip = *position;
    info->cb = sizeof *info;
    info->fMDIApp = FALSE;
    info->hwndFrame = m_window;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT TestContainer::OnInPlaceActivateEx(BOOL*, DWORD)
{
    ++activateExCalls;
    return S_OK;
}

HRESULT TestContainer::OnInPlaceDeactivateEx(BOOL)
{
    ++deactivateCalls;
    return S_OK;
}

HRESULT TestContainer::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR)
{
    activeObject = win32::ComPtr<IOleInPlaceActiveObject>(object);
    return S_OK;
}

HRESULT TestContainer::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*)
{
    ++contextMenuCalls;
    return contextMenuAnswer;
}

HRESULT TestContainer::GetHostInfo(DOCHOSTUIINFO* info)
{
    ++hostInfoCalls;
    info->dwFlags = hostFlags;
    info->dwDoubleClick = 0;
    return S_OK;
}

HRESULT TestContainer::TranslateAccelerator(LPMSG, const GUID*, DWORD)
{
    ++acceleratorCalls;
    return acceleratorAnswer;
}

HRESULT TestContainer::GetOptionKeyPath(LPOLESTR* key, DWORD)
{
    if (key) *key = nullptr;
    return E_NOTIMPL;
}

HRESULT TestContainer::GetDropTarget(IDropTarget*, IDropTarget** target)
{
    if (target) *target = nullptr;
    return E_NOTIMPL;
}

HRESULT TestContainer::GetExternal(IDispatch** dispatch)
{
    *dispatch = nullptr;
    if (FAILED(externalAnswer)) return externalAnswer;
    *dispatch = static_cast<IDispatch*>(&external);
    external.AddRef();
    return S_OK;
}

HRESULT TestContainer::TranslateUrl(DWORD, LPWSTR in, LPWSTR* out)
{
    translated.emplace_back(in ? in : L"(null)");
    if (translateOut == Out::Cleared) {
        *out = nullptr;
    } else if (translateOut == Out::Written) {
        const size_t bytes = (translateTo.size() + 1) * sizeof(wchar_t);
        *out = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
        if (*out) std::copy(translateTo.c_str(), translateTo.c_str() + translateTo.size() + 1, *out);
    }
    return translateAnswer;
}

HRESULT TestContainer::FilterDataObject(IDataObject* data, IDataObject** out)
{
    std::wstring text = L"?";
    FORMATETC format{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data && SUCCEEDED(data->GetData(&format, &medium))) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(medium.hGlobal))) {
            text = chars;
            ::GlobalUnlock(medium.hGlobal);
        }
        ::ReleaseStgMedium(&medium);
    }
    copied.push_back(text);
    if (filterOut == Out::Cleared) {
        *out = nullptr;
    } else if (filterOut == Out::Written) {
        *out = data;
        if (data) data->AddRef();
    }
    return filterAnswer;
}

HRESULT TestContainer::Exec(const GUID* group, DWORD command, DWORD, VARIANT* in, VARIANT* out)
{
    execs.push_back(ExecCall{group && *group == kCgidDocHostCommandHandler, command, in ? in->vt : VARTYPE(VT_ILLEGAL)});
    if (SUCCEEDED(execAnswer) && out) {
        out->vt = VT_BOOL;
        out->boolVal = continueScripts;
    }
    return execAnswer;
}

HRESULT TestContainer::QueryService(REFGUID service, REFIID iid, void** out)
{
    *out = nullptr;
    const bool download = service == kSidDownloadManager && iid == __uuidof(IDownloadManager);
    services.push_back(download ? L"download" : L"other");
    if (!download || !offerDownloads) return E_NOINTERFACE;
    return downloads.QueryInterface(iid, out);
}

}  // namespace enginetest
