#include "toolkit/hosts/ActiveXEnum.h"

namespace SkinUI {

STDMETHODIMP CActiveXEnum::QueryInterface(REFIID riid, void** ppv) noexcept
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IEnumUnknown) {
        *ppv = static_cast<IEnumUnknown*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CActiveXEnum::AddRef() noexcept
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef));
}

STDMETHODIMP_(ULONG) CActiveXEnum::Release() noexcept
{
    const LONG count = ::InterlockedDecrement(&m_dwRef);
    if (count == 0) {
        m_dwRef = 1;  // references taken and dropped meanwhile delete nothing twice
        delete this;
    }
    return static_cast<ULONG>(count);
}

STDMETHODIMP CActiveXEnum::Next(ULONG, IUnknown** rgelt, ULONG* pceltFetched) noexcept
{
    if (pceltFetched != nullptr) *pceltFetched = 0;
    if (rgelt == nullptr) return E_POINTER;
    // The only element sits at position 1 once Next has moved past the start.
    if (++m_iPos != 1 || !m_pControl) return S_FALSE;
    *rgelt = m_pControl.get();
    (*rgelt)->AddRef();
    if (pceltFetched != nullptr) *pceltFetched = 1;
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Skip(ULONG celt) noexcept
{
    m_iPos += celt;
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Reset() noexcept
{
    m_iPos = 0;
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Clone(IEnumUnknown**) noexcept
{
    return E_NOTIMPL;
}

}  // namespace SkinUI
