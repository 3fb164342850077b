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
    ~CActiveXWnd() override;

    // A visible child of `parent` with an empty rectangle; none on failure.
    HWND Create(HWND parent);
    void Destroy() noexcept;

protected:
    const wchar_t* WindowClassName() const override { return L"ActiveXWnd"; }
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Nothing: the site deletes this object.
    void OnWindowDestroyed(HWND) override {}

private:
    // A verb from the host window: the client site, no message, this window
    // as parent and the owner's rectangle.
    void DoVerb(LONG verb);

    CActiveXCtrl* m_pSite;
};

}  // namespace SkinUI
