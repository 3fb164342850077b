// The engine DLL's entry points: the class factory of the WebBrowser class
// and the two exports COM asks for (BrowserEngine.def).
#include "tools/BrowserEngine/EngineModule.h"

#include "tools/BrowserEngine/EngineIds.h"
#include "tools/BrowserEngine/StandInBrowser.h"

namespace engine {

namespace {

HINSTANCE g_instance = nullptr;
LONG g_liveCount = 0;

class ClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // A static object: its references only keep the module loaded.
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        ModuleAddRef();
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ModuleRelease();
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return StandInBrowser::Create(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock) ModuleAddRef();
        else ModuleRelease();
        return S_OK;
    }
};

ClassFactory g_factory;

}  // namespace

HINSTANCE ModuleInstance()
{
    return g_instance;
}

void ModuleAddRef()
{
    ::InterlockedIncrement(&g_liveCount);
}

void ModuleRelease()
{
    ::InterlockedDecrement(&g_liveCount);
}

}  // namespace engine

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        engine::g_instance = instance;
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // A FreeLibrary (not process exit): a later load registers afresh.
        engine::UnregisterEngineClasses();
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != engine::kClsidWebBrowser) return CLASS_E_CLASSNOTAVAILABLE;
    return engine::g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return engine::g_liveCount == 0 ? S_OK : S_FALSE;
}
