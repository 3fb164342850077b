// The control that embeds an OLE control, named by its class id, in a
// skinned window: creation, the client site, windowed or windowless
// in-place activation, position, extent, visibility and release.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string_view>

#include "base/Win32Handles.h"
#include "toolkit/controls/ControlUI.h"
#include "toolkit/core/UiString.h"
#include "toolkit/window/WindowManagerUI.h"

namespace SkinUI {

class CActiveXCtrl;
class CActiveXWnd;

class CActiveXUI : public CControlUI, public IMessageFilterUI {
public:
    CActiveXUI();
    ~CActiveXUI() override;

    std::wstring_view ClassName() const override;
    void* InterfaceFor(std::wstring_view name) override;
    void Place(const RECT& rect) override;
    void SetVisible(bool visible = true) override;
    void SetInnerVisible(bool visible = true) override;
    void ApplyAttribute(std::wstring_view name, std::wstring_view value) override;
    void Paint(HDC hdc, const RECT& paint) override;

    // Routes window messages to a windowless control.
    LRESULT FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    virtual void ReleaseHostedControl();
    // Releases the hosted object and creates none again by itself (no
    // position setting does) until "clsid" is set again: its window goes.
    void ReleaseHostedControlForGood();
    // Whether the control was set up. Marks the control created even when it
    // fails, so a failure is not retried until "clsid" is set again.
    virtual bool CreateHostedControl();
    // A creation the markup asks for at once ("delaycreate" "false") waits
    // instead until the control is first used (EnsureHostedControl) or laid
    // out: a window that never shows the control never loads it. What the
    // markup had set when it asked is what that creation uses.
    void SetCreationOnFirstUse(bool on) { m_bCreateOnFirstUse = on; }
    bool IsCreationWaiting() const { return m_bCreationWaiting; }
    // Creates the hosted control now when a creation waits; whether a hosted
    // object is there.
    bool EnsureHostedControl();
    // What the client site answers for this control beyond its own
    // interfaces, when the hosted control asks the site (a browser's
    // document host, command target and services). None here.
    virtual HRESULT QuerySiteInterface(REFIID riid, void** ppv);

    const CLSID& ClassId() const { return m_clsid; }
    const CUiString& ModuleName() const { return m_sModuleName; }
    bool IsCreated() const { return m_bCreated; }
    bool IsDelayCreate() const { return m_bDelayCreate; }
    IOleObject* HostedObject() const { return m_pOleObject.get(); }
    CActiveXCtrl* Site() const { return m_pSite.get(); }
    HWND HostWindow() const { return m_hwndHost; }
    // Asks the hosted control for an interface; E_NOINTERFACE without one.
    HRESULT QueryHostedControl(REFIID riid, void** ppv) const;

protected:
    // A creation the markup asks for: at once, or waiting for the first use.
    void RequestCreation();
    // A creation starts waiting: what of the markup it depends on is taken now.
    virtual void OnCreationWaiting() {}

    CLSID m_clsid = {};
    CUiString m_sModuleName;
    bool m_bCreated = false;
    bool m_bDelayCreate = true;
    win32::ComPtr<IOleObject> m_pOleObject;
    win32::ComPtr<CActiveXCtrl> m_pSite;
    HWND m_hwndHost = nullptr;

private:
    bool m_bCreateOnFirstUse = false;
    bool m_bCreationWaiting = false;
    CUiString m_sWaitingModuleName;  // "modulename" when the waiting creation was asked for

    friend class CActiveXCtrl;
    friend class CActiveXWnd;

    // The hosted object from the module's class factory, else from COM.
    HRESULT CreateHostedObject(const CUiString& moduleName, IUnknown** ppUnk) const;
    void ShowHostWindow();
    void ReleaseOwnHostedControl();
};

// Releases the hosted object of every host control in the subtree for good.
// A window being destroyed does it while the host windows still exist.
void ReleaseHostedControls(CControlUI* subtree);

}  // namespace SkinUI
