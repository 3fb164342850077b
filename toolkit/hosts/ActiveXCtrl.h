// The client site of a hosted OLE control: what the control gets when it
// calls its container (in-place activation, windowless drawing and input,
// focus and capture, the frame, the site object).
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <ole2.h>

#include <utility>

#include "base/Win32Handles.h"
#include "toolkit/hosts/HostCall.h"

namespace SkinUI {

struct AcceleratorTableTraits {
    static HACCEL Invalid() noexcept { return nullptr; }
    static bool Valid(HACCEL h) noexcept { return h != nullptr; }
    static void Close(HACCEL h) noexcept { ::DestroyAcceleratorTable(h); }
};
using UniqueAcceleratorTable = win32::UniqueResource<HACCEL, AcceleratorTableTraits>;

class CActiveXUI;
class CActiveXWnd;

class CActiveXCtrl final : public IOleClientSite,
                           public IOleInPlaceSiteWindowless,
                           public IOleControlSite,
                           public IObjectWithSite,
                           public IOleContainer {
public:
    // Created with one reference, which the owner holds.
    explicit CActiveXCtrl(CActiveXUI* owner) noexcept;
    CActiveXCtrl(const CActiveXCtrl&) = delete;
    CActiveXCtrl& operator=(const CActiveXCtrl&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* pUnkSite) noexcept override;
    STDMETHODIMP GetSite(REFIID riid, void** ppvSite) noexcept override;

    // IOleClientSite
    STDMETHODIMP SaveObject() noexcept override;
    STDMETHODIMP GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) noexcept override;
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) noexcept override;
    STDMETHODIMP ShowObject() noexcept override;
    STDMETHODIMP OnShowWindow(BOOL fShow) noexcept override;
    STDMETHODIMP RequestNewObjectLayout() noexcept override;

    // IOleInPlaceSiteWindowless
    STDMETHODIMP CanWindowlessActivate() noexcept override;
    STDMETHODIMP GetCapture() noexcept override;
    STDMETHODIMP SetCapture(BOOL fCapture) noexcept override;
    STDMETHODIMP GetFocus() noexcept override;
    STDMETHODIMP SetFocus(BOOL fFocus) noexcept override;
    STDMETHODIMP GetDC(LPCRECT pRect, DWORD grfFlags, HDC* phDC) noexcept override;
    STDMETHODIMP ReleaseDC(HDC hDC) noexcept override;
    STDMETHODIMP InvalidateRect(LPCRECT pRect, BOOL fErase) noexcept override;
    STDMETHODIMP InvalidateRgn(HRGN hRGN, BOOL fErase) noexcept override;
    STDMETHODIMP ScrollRect(INT dx, INT dy, LPCRECT pRectScroll, LPCRECT pRectClip) noexcept override;
    STDMETHODIMP AdjustRect(LPRECT prc) noexcept override;
    STDMETHODIMP OnDefWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult) noexcept override;

    // IOleInPlaceSiteEx
    STDMETHODIMP OnInPlaceActivateEx(BOOL* pfNoRedraw, DWORD dwFlags) noexcept override;
    STDMETHODIMP OnInPlaceDeactivateEx(BOOL fNoRedraw) noexcept override;
    STDMETHODIMP RequestUIActivate() noexcept override;

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() noexcept override;
    STDMETHODIMP OnInPlaceActivate() noexcept override;
    STDMETHODIMP OnUIActivate() noexcept override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                  LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) noexcept override;
    STDMETHODIMP Scroll(SIZE scrollExtant) noexcept override;
    STDMETHODIMP OnUIDeactivate(BOOL fUndoable) noexcept override;
    STDMETHODIMP OnInPlaceDeactivate() noexcept override;
    STDMETHODIMP DiscardUndoState() noexcept override;
    STDMETHODIMP DeactivateAndUndo() noexcept override;
    STDMETHODIMP OnPosRectChange(LPCRECT lprcPosRect) noexcept override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* phwnd) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) noexcept override;

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() noexcept override;
    STDMETHODIMP LockInPlaceActive(BOOL fLock) noexcept override;
    STDMETHODIMP GetExtendedControl(IDispatch** ppDisp) noexcept override;
    STDMETHODIMP TransformCoords(POINTL* pPtlHimetric, POINTF* pPtfContainer, DWORD dwFlags) noexcept override;
    STDMETHODIMP TranslateAccelerator(MSG* pMsg, DWORD grfModifiers) noexcept override;
    STDMETHODIMP OnFocus(BOOL fGotFocus) noexcept override;
    STDMETHODIMP ShowPropertyFrame() noexcept override;

    // IOleContainer
    STDMETHODIMP EnumObjects(DWORD grfFlags, IEnumUnknown** ppenum) noexcept override;
    STDMETHODIMP LockContainer(BOOL fLock) noexcept override;

    // IParseDisplayName
    STDMETHODIMP ParseDisplayName(IBindCtx* pbc, LPOLESTR pszDisplayName, ULONG* pchEaten,
                                  IMoniker** ppmkOut) noexcept override;

    // The owner lets go: later calls answer as an orphaned site, and what
    // the site held of the hosted control (its view, its in-place object,
    // its running lock, its host window) goes now, not whenever the last
    // reference someone else keeps to the site goes.
    void DetachOwner() noexcept;
    // The host window went (with the skinned window, or destroyed by the site).
    void OnHostWindowDestroyed(CActiveXWnd* window, HWND hwnd) noexcept;
    // Creates the host window of a windowed control when there is none.
    HRESULT CreateHostWindow() noexcept;

    IViewObject* ViewObject() const noexcept { return m_pViewObject.get(); }
    void SetViewObject(win32::ComPtr<IViewObject> view) noexcept { m_pViewObject = std::move(view); }
    IOleInPlaceObject* InPlaceObject() const noexcept { return m_pInPlaceObject.get(); }
    // The in-place object of a windowless activation, none otherwise.
    IOleInPlaceObjectWindowless* WindowlessObject() const noexcept;

    bool IsLocked() const noexcept { return m_bLocked; }
    bool IsFocused() const noexcept { return m_bFocused; }
    void SetFocused(bool focused) noexcept { m_bFocused = focused; }
    bool IsCaptured() const noexcept { return m_bCaptured; }
    bool IsUIActive() const noexcept { return m_bUIActive; }
    bool IsInPlaceActive() const noexcept { return m_bInPlaceActive; }
    bool IsWindowless() const noexcept { return m_bWindowless; }

    CActiveXUI* Owner() const noexcept { return m_pOwner; }

private:
    ~CActiveXCtrl();
    // The owner's rectangle, moved to the origin for a windowed control,
    // whose coordinates are those of its host window.
    RECT ObjectRect() const noexcept;
    void DestroyHostWindow() noexcept;
    void UnlockRunning() noexcept;
    template <typename Body>
    HRESULT GuardedCall(Body&& body) noexcept
    {
        return GuardedHostCall(static_cast<IOleClientSite*>(this), std::forward<Body>(body));
    }

    LONG m_dwRef = 1;
    CActiveXUI* m_pOwner;
    // Not owned: it owns itself once created, and tells the site when it goes.
    CActiveXWnd* m_pWindow = nullptr;
    // The frame's (empty) accelerators: the container owns what it hands out.
    UniqueAcceleratorTable m_hAccel;
    win32::ComPtr<IUnknown> m_pUnkSite;
    win32::ComPtr<IViewObject> m_pViewObject;
    // IOleInPlaceObjectWindowless when m_bWindowless, else IOleInPlaceObject.
    win32::ComPtr<IOleInPlaceObject> m_pInPlaceObject;
    // The object locked running by the current activation.
    win32::ComPtr<IOleObject> m_pRunningLock;
    bool m_bLocked = false;
    bool m_bFocused = false;
    bool m_bCaptured = false;
    bool m_bUIActive = false;
    bool m_bInPlaceActive = false;
    bool m_bWindowless = true;
};

}  // namespace SkinUI
