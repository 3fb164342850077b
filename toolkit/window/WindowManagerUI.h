// The per-window manager of a skinned window, a façade over the units that
// do its jobs: it owns the control tree and the window's attachment, and
// hands each job to its unit: names and paint-after (ControlRegistry),
// message hooks (MessageHooks), mouse and keyboard (InputRouting), focus
// and tab navigation (FocusNavigation), control timers (ControlTimers),
// notifications (NotifyTargets), off-screen painting (PaintSurface), the
// tooltip (ToolTipWindow) and fonts, images and default attribute lists
// (ResourceCaches). It also keeps the skin's window attributes, default
// colours and drop shadow.
//
// The window's display scale is taken from its native window when it
// attaches (WindowDpi.h). The window attributes, the tree's geometry, the
// fonts and the images are all in that display's pixels; a move to a display
// of another scale converts them together (ChangeDisplayScale).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "base/Win32Handles.h"
#include "toolkit/controls/ControlHostUI.h"
#include "toolkit/controls/MessageFilterUI.h"
#include "toolkit/controls/UiEvents.h"
#include "toolkit/core/UiPtrArray.h"
#include "toolkit/core/UiString.h"
#include "toolkit/render/RenderResourcesUI.h"
#include "toolkit/render/SkinRenderer.h"
#include "toolkit/window/ControlRegistry.h"
#include "toolkit/window/ControlTimers.h"
#include "toolkit/window/FocusNavigation.h"
#include "toolkit/window/InputRouting.h"
#include "toolkit/window/MessageHooks.h"
#include "toolkit/window/NotifyTargets.h"
#include "toolkit/window/PaintSurface.h"
#include "toolkit/window/ResourceCaches.h"
#include "toolkit/window/ShadowUI.h"
#include "toolkit/window/ToolTipWindow.h"

namespace SkinUI {

class CControlUI;
class ISkinFileReader;

class CWindowManagerUI : public IRenderResourcesUI, public IControlHostUI {
public:
    CWindowManagerUI();
    CWindowManagerUI(const CWindowManagerUI&) = delete;
    CWindowManagerUI& operator=(const CWindowManagerUI&) = delete;
    virtual ~CWindowManagerUI();

    // --- toolkit start-up (once, before any window): the module instance
    // for classes and resources, and the shadow window class.
    static bool StartUp(HINSTANCE instance);
    static HINSTANCE Instance();

    // Attaches to a native window: takes its device context for measuring
    // text and joins the process list. Without a window the manager measures
    // on a screen-compatible DC and only records invalidation.
    void Attach(HWND hwnd);
    // The window is gone (WM_NCDESTROY, which HandleWindowMessage also
    // takes): the manager kills its timers, destroys its tooltip, leaves the
    // process list and forgets the handle and its device contexts, so that
    // nothing acts on a handle the system may give another window.
    void DetachWindow() noexcept;
    HWND WindowHandle() const override { return m_hWndPaint; }
    HDC PaintDc() const override { return m_hDcPaint; }

    // --- display scale
    CDisplayScale DisplayScale() const override { return m_scale; }
    // Moves everything the window shows to another scale: the window
    // attributes, every control's geometry, the shadow; fonts and images are
    // made again for it, and the tree is laid out anew at the next paint.
    // The same scale changes nothing.
    void ChangeDisplayScale(const CDisplayScale& scale);

    // Every attached manager of the process, in attach order.
    static const CUiPtrArray& AllManagers();

    // --- the control tree
    // Attaches a root and takes it; a different root attached before is
    // queued for deletion. Attaching the current root again keeps it. False
    // for none, and when the old tree cannot be queued (out of memory): the
    // old tree then stays, and the root stays the caller's.
    bool AttachTree(CControlUI* root);
    CControlUI* Root() const { return m_pRoot.get(); }
    CControlUI* FindByName(std::wstring_view name) override;
    // The topmost visible, hit-testable control at a client point.
    CControlUI* FindAt(POINT pt) const;
    // Registers the names of a subtree: children first, each container
    // after its children; a later registration replaces an earlier one.
    void RegisterNames(CControlUI* subtree) override;
    // Clears every reference to the control (focus, hover, click, key press)
    // and every registration it made: timers, hooks, its place after the
    // tree, and its name when the name maps to it.
    void ForgetControl(CControlUI* control) override;
    // Forgets and detaches a subtree, deleting it when WM_REAP_OLD_TREE arrives
    // (never inside the current call chain: one that arrives in a loop nested
    // in another message of the window waits for that message to end).
    void QueueForDeletion(CControlUI* subtree) override;
    void ReapQueuedControls();

    // --- window messages; none lets an exception out
    // True when the message was handled; result is then the answer.
    bool HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept;
    // Pre-translation of a queued message; true when it was consumed.
    bool PreHandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    // The accelerators, in registration order; true when one consumed it.
    bool TranslateAccelerator(MSG* msg) noexcept;
    // The window's own hooks (no owner control).
    bool AddPreFilter(IMessageFilterUI* filter);
    bool RemovePreFilter(IMessageFilterUI* filter);
    bool AddHandlerFilter(IMessageFilterUI* filter);
    bool AddHandlerFilter(CControlUI* owner, IMessageFilterUI* filter) override;
    bool RemoveHandlerFilter(IMessageFilterUI* filter) override;
    bool AddAccelerator(ITranslateAccelerator* accelerator);
    bool AddAccelerator(CControlUI* owner, ITranslateAccelerator* accelerator) override;
    bool RemoveAccelerator(ITranslateAccelerator* accelerator) override;

    // --- invalidation, layout and painting
    // Invalidates in the native window without erasing and remembers the
    // union of the rectangles invalidated since the last paint.
    void Invalidate(const RECT& rect) override;
    const RECT& InvalidatedSinceLastPaint() const { return m_surface.InvalidSinceLastPaint(); }
    void SetUpdateNeeded() override { m_bUpdateNeeded = true; }
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    // The layout step of a paint: lays the root out in the client rectangle
    // when it needs layout, otherwise every visible control that needs it in
    // its current rectangle; then raises the pending "windowinit" and moves a
    // requested focus. Out of memory the layout stays due (for the next
    // paint) and nothing is raised.
    void UpdateLayout(const RECT& client);
    // Paints the tree and the controls that paint after it.
    void PaintTree(HDC hdc, const RECT& paint);
    // The window's off-screen paint, with `target` standing for the window:
    // brings `area` of the retained surface up to date (what `stale` marks,
    // or all of it while the surface is incomplete) and copies it to the
    // target. WM_PAINT does this with the window's DC.
    void PaintOffscreen(HDC target, const RECT& client, const RECT& area, const RECT& stale);
    void AddPaintAfterTree(CControlUI* control) override;
    void ClearInvalidated() { m_surface.ClearInvalid(); }
    bool IsOffscreenPaint() const { return m_bOffscreenPaint; }
    void SetOffscreenPaint(bool on) { m_bOffscreenPaint = on; }

    // --- focus
    void FocusControl(CControlUI* control) override;
    CControlUI* FocusedControl() const override { return m_focus.Focused(); }
    void FocusNextTabStop(bool forward) override;
    bool IsFocusNeeded() const { return m_focus.IsFocusNeeded(); }
    CControlUI* HoverControl() const { return m_input.Hover(); }
    CControlUI* ClickControl() const { return m_input.Click(); }
    CControlUI* KeyPressControl() const { return m_input.KeyPress(); }
    bool IsMouseCaptured() const { return m_input.IsMouseCaptured(); }

    // --- notifications
    void RaiseNotify(CControlUI* sender, std::wstring_view type, WPARAM wParam = 0, LPARAM lParam = 0) override;
    bool AddNotifyTarget(INotifyUI* target);
    bool RemoveNotifyTarget(INotifyUI* target);
    void SetUsesVirtualWindows() override { m_bUsesVirtualWindows = true; }
    POINT LastMousePosition() const { return m_input.LastMousePosition(); }
    void SetLastMousePosition(POINT pt) { m_input.SetLastMousePosition(pt); }

    // --- control timers (need a native window)
    bool StartControlTimer(CControlUI* control, UINT timerId, UINT elapseMs) override;
    bool StopControlTimer(CControlUI* control, UINT timerId) override;
    // The running control timer behind a native timer id, with the control's own id.
    CControlUI* ControlForTimer(UINT_PTR nativeId, UINT* timerId) const;
    // The native id of a control's timer entry (running or stopped), or 0.
    UINT_PTR NativeTimerId(CControlUI* control, UINT timerId) const;

    // --- fonts (sizes in logical pixels)
    // Appends and makes a font now; none, and nothing appended, when it
    // cannot be made.
    HFONT AppendFont(std::wstring_view face, int size, bool bold, bool underline, bool italic);
    // Appends a font made when first used (the skin's fonts); false when it
    // cannot be held.
    bool AddFont(std::wstring_view face, int size, bool bold, bool underline, bool italic);
    bool SetDefaultFont(std::wstring_view face, int size, bool bold, bool underline, bool italic);
    int MadeFontCount() const { return m_fonts.MadeCount(); }
    int FontCount() const { return m_fonts.Count(); }
    // The font at the index, or the default font for an index outside the list.
    HFONT FontAt(int index) const { return m_fonts.At(index); }
    const TFontInfo& FontInfoAt(int index) const override { return m_fonts.InfoAt(index); }
    const TEXTMETRICW& TextMetricsAt(int index) override { return m_fonts.MetricsAt(index, m_hDcPaint); }
    HFONT DefaultFont() const { return m_fonts.Default(); }

    // --- images
    // Where image files come from (not owned); none: names are read as paths.
    void SetSkinFileReader(const ISkinFileReader* reader) { m_images.SetFileReader(reader); }
    void SetResourceInstance(HINSTANCE instance) { m_images.SetResourceInstance(instance); }
    // Loads and caches an image; a second load under a cached name returns
    // the cached entry.
    const TImageInfo* LoadImageEntry(std::wstring_view name, std::wstring_view type, DWORD mask) override;
    const TImageInfo* ImageFor(std::wstring_view name) override;
    int ImageCount() const { return m_images.Count(); }
    IRenderResourcesUI* RenderResources() override { return this; }

    // --- default attribute lists ("Default" elements)
    bool SetDefaultAttributes(std::wstring_view elementName, std::wstring_view list);
    const CUiString* DefaultAttributesFor(std::wstring_view elementName);

    // --- default colours (0xAARRGGBB)
    DWORD DefaultDisabledColour() const override { return m_dwDefaultDisabledColour; }
    DWORD DefaultFontColour() const override { return m_dwDefaultFontColour; }
    DWORD DefaultLinkFontColour() const { return m_dwDefaultLinkFontColour; }
    DWORD DefaultLinkHoverFontColour() const { return m_dwDefaultLinkHoverFontColour; }
    DWORD DefaultSelectedBkColour() const { return m_dwDefaultSelectedBkColour; }
    void SetDefaultDisabledColour(DWORD c) { m_dwDefaultDisabledColour = c; }
    void SetDefaultFontColour(DWORD c) { m_dwDefaultFontColour = c; }
    void SetDefaultLinkFontColour(DWORD c) { m_dwDefaultLinkFontColour = c; }
    void SetDefaultLinkHoverFontColour(DWORD c) { m_dwDefaultLinkHoverFontColour = c; }
    void SetDefaultSelectedBkColour(DWORD c) { m_dwDefaultSelectedBkColour = c; }

    // --- window attributes of the skin
    SIZE InitSize() const { return m_szInitWindowSize; }
    void SetInitSize(SIZE size) { m_szInitWindowSize = size; }
    SIZE MinInfo() const { return m_szMinWindow; }
    void SetMinInfo(SIZE size) { m_szMinWindow = size; }
    SIZE MaxInfo() const { return m_szMaxWindow; }
    void SetMaxInfo(SIZE size) { m_szMaxWindow = size; }
    RECT SizeBox() const { return m_rcSizeBox; }
    void SetSizeBox(const RECT& rect) { m_rcSizeBox = rect; }
    RECT CaptionRect() const { return m_rcCaption; }
    void SetCaptionRect(const RECT& rect) { m_rcCaption = rect; }
    SIZE RoundCorner() const { return m_szRoundCorner; }
    void SetRoundCorner(SIZE size) { m_szRoundCorner = size; }
    BYTE Opacity() const { return m_nOpacity; }
    void SetOpacity(BYTE opacity) { m_nOpacity = opacity; }
    bool IsBackgroundTransparent() const override { return m_bBackgroundTransparent; }
    void SetBackgroundTransparent(bool on) { m_bBackgroundTransparent = on; }
    bool UsesGdiplusText() const override { return m_bGdiplusText; }
    void SetGdiplusText(bool on) { m_bGdiplusText = on; }
    // The drop shadow; its attributes come from the skin, it is created at
    // AttachTree when "showshadow" is set.
    CShadowUI& Shadow() { return m_shadow; }

    // --- the tooltip window (created at the first hover over a tooltip)
    HWND ToolTipWindow() const { return m_toolTip.Window(); }
    CToolTipWindow& ToolTip() { return m_toolTip; }

private:
    class DispatchScope;

    bool DispatchWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool DispatchQueuedMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnClose();
    void OnSize(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nativeId);
    void OnPaint();
    void PaintWindow(HWND hwnd, HDC windowDc, const RECT& area);
    void LayOutControlsThatNeedIt();
    void ReleaseWindowDc() noexcept;
    void LeaveManagerList() noexcept;

    HWND m_hWndPaint = nullptr;
    HDC m_hDcPaint = nullptr;              // the window's, or m_measureDc
    CDisplayScale m_scale;
    std::optional<win32::WindowDc> m_windowDc;
    win32::UniqueMemoryDc m_measureDc;     // without a window
    BYTE m_nOpacity = 255;

    bool m_bFirstLayout = true;
    bool m_bUpdateNeeded = false;
    bool m_bOffscreenPaint = true;
    bool m_bBackgroundTransparent = false;
    bool m_bGdiplusText = false;
    bool m_bUsesVirtualWindows = false;
    bool m_bLayoutFailed = false;     // out of memory at the last layout
    bool m_bReapPending = false;      // a reap waits for the outermost message to end
    int m_nDispatchDepth = 0;         // messages of this window being worked on, nested
    unsigned long m_ulForgotten = 0;  // controls forgotten so far: a walk taken before a change is stale

    SIZE m_szInitWindowSize = {0, 0};
    SIZE m_szMinWindow = {0, 0};
    SIZE m_szMaxWindow = {0, 0};
    RECT m_rcSizeBox = {0, 0, 0, 0};
    RECT m_rcCaption = {0, 0, 0, 0};
    SIZE m_szRoundCorner = {0, 0};

    DWORD m_dwDefaultDisabledColour = 0xFFA7A6AA;
    DWORD m_dwDefaultFontColour = 0xFF000001;
    DWORD m_dwDefaultLinkFontColour = 0xFF0000FF;
    DWORD m_dwDefaultLinkHoverFontColour = 0xFFD3215F;
    DWORD m_dwDefaultSelectedBkColour = 0xFFBAE4FF;

    // The resources outlive the tree and the shadow that draw from them.
    CFontTable m_fonts;
    CImageCache m_images;
    CDefaultAttributeLists m_defaultAttributes;

    CControlRegistry m_registry;
    CMessageHooks m_hooks;
    CNotifyTargets m_notifyTargets;
    CControlTimers m_timers;
    CToolTipWindow m_toolTip;
    CPaintSurface m_surface;
    CInputRouter m_input{*this};
    CFocusNavigator m_focus{*this};

    std::unique_ptr<CControlUI> m_pRoot;
    std::vector<std::unique_ptr<CControlUI>> m_delayedCleanup;  // old roots and removed subtrees

    // Destroyed before the caches it draws from.
    CShadowUI m_shadow;
};

}  // namespace SkinUI
