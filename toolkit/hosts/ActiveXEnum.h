// The container's enumeration of its embedded objects: the one hosted control.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "base/Win32Handles.h"

namespace SkinUI {

class CActiveXEnum final : public IEnumUnknown {
public:
    // Created with one reference; holds one on the control.
    explicit CActiveXEnum(IUnknown* control) noexcept : m_pControl(control) {}
    CActiveXEnum(const CActiveXEnum&) = delete;
    CActiveXEnum& operator=(const CActiveXEnum&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    STDMETHODIMP Next(ULONG celt, IUnknown** rgelt, ULONG* pceltFetched) noexcept override;
    STDMETHODIMP Skip(ULONG celt) noexcept override;
    STDMETHODIMP Reset() noexcept override;
    STDMETHODIMP Clone(IEnumUnknown** ppenum) noexcept override;

private:
    ~CActiveXEnum() = default;

    LONG m_dwRef = 1;
    ULONG m_iPos = 0;
    win32::ComPtr<IUnknown> m_pControl;
};

}  // namespace SkinUI
