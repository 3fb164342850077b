// The in-place frame a hosted control gets from GetWindowContext: the
// skinned window, with no menus, toolbars or status bar to negotiate.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "base/Win32Handles.h"

namespace SkinUI {

class CActiveXCtrl;

class CActiveXFrameWnd final : public IOleInPlaceFrame {
public:
    // Created with one reference, which GetWindowContext hands out. The
    // hosted control may keep the frame longer than the control lives: it
    // reaches the control only through the site, which forgets it when the
    // control lets go.
    explicit CActiveXFrameWnd(CActiveXCtrl* site) noexcept;
    CActiveXFrameWnd(const CActiveXFrameWnd&) = delete;
    CActiveXFrameWnd& operator=(const CActiveXFrameWnd&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* phwnd) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) noexcept override;
    // IOleInPlaceUIWindow
    STDMETHODIMP GetBorder(LPRECT lprectBorder) noexcept override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS pborderwidths) noexcept override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS pborderwidths) noexcept override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR pszObjName) noexcept override;
    // IOleInPlaceFrame
    STDMETHODIMP InsertMenus(HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths) noexcept override;
    STDMETHODIMP SetMenu(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) noexcept override;
    STDMETHODIMP RemoveMenus(HMENU hmenuShared) noexcept override;
    STDMETHODIMP SetStatusText(LPCOLESTR pszStatusText) noexcept override;
    STDMETHODIMP EnableModeless(BOOL fEnable) noexcept override;
    STDMETHODIMP TranslateAccelerator(LPMSG lpmsg, WORD wID) noexcept override;

    IOleInPlaceActiveObject* ActiveObject() const noexcept { return m_pActiveObject.get(); }

private:
    ~CActiveXFrameWnd();

    LONG m_dwRef = 1;
    win32::ComPtr<CActiveXCtrl> m_pSite;
    win32::ComPtr<IOleInPlaceActiveObject> m_pActiveObject;
};

}  // namespace SkinUI
