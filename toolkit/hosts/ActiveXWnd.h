// The child window a windowed OLE control lives in, between the skinned
// window and the control's own window.
#pragma once

#include <windows.h>

#include "toolkit/window/WindowWnd.h"

namespace SkinUI {

class CActiveXCtrl;

class CActiveXWnd final : public CWindowWnd {
public:
    explicit CActiveXWnd(CActiveXCtrl* site) noexcept : m_pSite(site) {}

    // A visible child of `parent` with an empty rectangle; none on failure.
    // Once its window exists the object owns itself: it is deleted at its
    // final release, after the window is gone and no call of it is on the
    // stack (its messages run the hosted control's code, which may release
    // the site meanwhile).
    HWND Create(HWND parent);
    void Destroy() noexcept;
    // The site lets go: messages get the default processing from here on.
    void DetachSite() noexcept { m_pSite = nullptr; }

protected:
    const wchar_t* WindowClassName() const override { return L"ActiveXWnd"; }
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Tells the site: its window may also go with the skinned window.
    void OnWindowDestroyed(HWND hwnd) override;
    void OnFinalRelease() override;

private:
    // A verb from the host window: the client site, no message, this window
    // as parent and the owner's rectangle.
    void DoVerb(CActiveXCtrl& site, LONG verb);

    CActiveXCtrl* m_pSite;
    bool m_bOwnsItself = false;
};

}  // namespace SkinUI
