// What a control needs from the window it lives in. The window manager
// implements it; controls and containers know nothing else of their window.
#pragma once

#include <windows.h>

#include <string_view>

#include "toolkit/controls/MessageFilterUI.h"
#include "toolkit/core/DisplayScale.h"

namespace SkinUI {

class CControlUI;
class IRenderResourcesUI;

class IControlHostUI {
public:
    // --- drawing: fonts, images and text measuring
    virtual IRenderResourcesUI* RenderResources() = 0;
    // A device context of the window for measuring text.
    virtual HDC PaintDc() const = 0;
    virtual HWND WindowHandle() const = 0;
    // Default colours (0xAARRGGBB) for controls that set none.
    virtual DWORD DefaultFontColour() const = 0;
    virtual DWORD DefaultDisabledColour() const = 0;
    // The window's display scale: its controls keep their geometry in its
    // pixels (CControlUI::SetDisplayScale).
    virtual CDisplayScale DisplayScale() const = 0;

    // --- invalidation and layout
    // Invalidates without erasing; painting follows at the next WM_PAINT.
    virtual void Invalidate(const RECT& rect) = 0;
    // Layout runs before the next paint.
    virtual void SetUpdateNeeded() = 0;

    // --- focus
    virtual void FocusControl(CControlUI* control) = 0;
    virtual CControlUI* FocusedControl() const = 0;
    virtual void FocusNextTabStop(bool forward) = 0;

    // --- notifications
    virtual void RaiseNotify(CControlUI* sender, std::wstring_view type, WPARAM wParam = 0, LPARAM lParam = 0) = 0;
    // A control set a "virtualwnd": notifications then carry the name.
    virtual void SetUsesVirtualWindows() = 0;

    // --- names and the tree
    virtual CControlUI* FindByName(std::wstring_view name) = 0;
    // Registers the names of a subtree added to an attached container.
    virtual void RegisterNames(CControlUI* subtree) = 0;
    // Drops every reference to a control that leaves the window or goes
    // away, and every registration it made (timers, hooks, paint after the tree).
    virtual void ForgetControl(CControlUI* control) = 0;
    // Takes a subtree, forgets and detaches it, and deletes it once the
    // current call chain has returned to the message loop. Only allocation
    // throws (std::bad_alloc), before anything changed: the caller then
    // still owns the subtree.
    virtual void QueueForDeletion(CControlUI* subtree) = 0;
    virtual void AddPaintAfterTree(CControlUI* control) = 0;

    // --- control timers
    virtual bool StartControlTimer(CControlUI* control, UINT timerId, UINT elapseMs) = 0;
    virtual bool StopControlTimer(CControlUI* control, UINT timerId) = 0;

    // --- message hooks of hosted objects. Each belongs to the control that
    // registers it and goes when that control leaves the window; a hook is
    // registered once (false for none or one already registered).
    // Window messages, before the window handles them.
    virtual bool AddHandlerFilter(CControlUI* owner, IMessageFilterUI* filter) = 0;
    virtual bool RemoveHandlerFilter(IMessageFilterUI* filter) = 0;
    // Queued messages of the window and its child windows, before translation.
    virtual bool AddAccelerator(CControlUI* owner, ITranslateAccelerator* accelerator) = 0;
    virtual bool RemoveAccelerator(ITranslateAccelerator* accelerator) = 0;

protected:
    ~IControlHostUI() = default;
};

}  // namespace SkinUI
