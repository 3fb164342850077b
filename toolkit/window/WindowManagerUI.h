// The per-window manager of a skinned window: it owns the control tree,
// turns window messages into input events, tracks hover, capture and focus,
// runs control timers, raises notifications, lays out and paints the tree
// off-screen, and keeps the window's fonts, images, default colours, default
// attribute lists, skin window attributes and drop shadow.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string_view>

#include "base/Win32Handles.h"
#include "toolkit/controls/ControlHostUI.h"
#include "toolkit/controls/UiEvents.h"
#include "toolkit/core/UiPtrArray.h"
#include "toolkit/core/UiString.h"
#include "toolkit/core/UiStringMap.h"
#include "toolkit/render/SkinRenderer.h"
#include "toolkit/window/ShadowUI.h"

namespace SkinUI {

class CControlUI;
class ISkinFileReader;

// A window's message filter: pre-translation ("pre filters") or window
// message handling ("handler filters"). Setting bHandled consumes the message
// with the returned result.
class IMessageFilterUI {
public:
    virtual LRESULT FilterMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

class ITranslateAccelerator {
public:
    // 0 when it consumed the queued message.
    virtual LRESULT PreTranslate(MSG* pMsg) = 0;

protected:
    ~ITranslateAccelerator() = default;
};

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
    HWND WindowHandle() const override { return m_hWndPaint; }
    HDC PaintDc() const override { return m_hDcPaint; }

    // Every attached manager of the process, in attach order.
    static const CUiPtrArray& AllManagers();

    // --- the control tree
    // Attaches a root; a different root attached before is queued for
    // deletion. Attaching the current root again keeps it.
    bool AttachTree(CControlUI* root);
    CControlUI* Root() const { return m_pRoot; }
    CControlUI* FindByName(std::wstring_view name) override;
    // The topmost visible, hit-testable control at a client point.
    CControlUI* FindAt(POINT pt) const;
    // Registers the names of a subtree: children first, each container
    // after its children; a later registration replaces an earlier one.
    void RegisterNames(CControlUI* subtree) override;
    // Clears every reference to the control (focus, hover, click, key press),
    // its timers, and its name when the name maps to it.
    void ForgetControl(CControlUI* control) override;
    // Forgets and detaches a subtree, deleting it when WM_REAP_OLD_TREE arrives
    // (never inside the current call chain).
    void QueueForDeletion(CControlUI* subtree) override;
    void ReapQueuedControls();

    // --- window messages
    // True when the message was handled; result is then the answer.
    bool HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Pre-translation of a queued message; true when it was consumed.
    bool PreHandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The accelerators, in registration order; true when one consumed it.
    bool TranslateAccelerator(MSG* msg);
    bool AddPreFilter(IMessageFilterUI* filter);
    bool RemovePreFilter(IMessageFilterUI* filter);
    bool AddHandlerFilter(IMessageFilterUI* filter);
    bool RemoveHandlerFilter(IMessageFilterUI* filter);
    bool AddAccelerator(ITranslateAccelerator* accelerator);
    bool RemoveAccelerator(ITranslateAccelerator* accelerator);

    // --- invalidation, layout and painting
    // Invalidates in the native window without erasing and remembers the
    // union of the rectangles invalidated since the last paint.
    void Invalidate(const RECT& rect) override;
    const RECT& InvalidatedSinceLastPaint() const { return m_rcInvalidated; }
    void SetUpdateNeeded() override { m_bUpdateNeeded = true; }
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    // The layout step of a paint: lays the root out in the client rectangle
    // when it needs layout, otherwise every visible control that needs it in
    // its current rectangle; then raises the pending "windowinit" and moves a
    // requested focus.
    void UpdateLayout(const RECT& client);
    // Paints the tree and the controls that paint after it.
    void PaintTree(HDC hdc, const RECT& paint);
    void AddPaintAfterTree(CControlUI* control) override;
    void ClearInvalidated();
    bool IsOffscreenPaint() const { return m_bOffscreenPaint; }
    void SetOffscreenPaint(bool on) { m_bOffscreenPaint = on; }

    // --- focus
    void FocusControl(CControlUI* control) override;
    CControlUI* FocusedControl() const override { return m_pFocus; }
    void FocusNextTabStop(bool forward) override;
    bool IsFocusNeeded() const { return m_bFocusNeeded; }
    CControlUI* HoverControl() const { return m_pEventHover; }
    CControlUI* ClickControl() const { return m_pEventClick; }
    bool IsMouseCaptured() const { return m_bMouseCapture; }

    // --- notifications
    void RaiseNotify(CControlUI* sender, std::wstring_view type, WPARAM wParam = 0, LPARAM lParam = 0) override;
    bool AddNotifyTarget(INotifyUI* target);
    bool RemoveNotifyTarget(INotifyUI* target);
    void SetUsesVirtualWindows() override { m_bUsesVirtualWindows = true; }
    POINT LastMousePosition() const { return m_ptLastMouse; }
    void SetLastMousePosition(POINT pt) { m_ptLastMouse = pt; }

    // --- control timers (need a native window)
    bool StartControlTimer(CControlUI* control, UINT timerId, UINT elapseMs) override;
    bool StopControlTimer(CControlUI* control, UINT timerId) override;
    // The running control timer behind a native timer id, with the control's own id.
    CControlUI* ControlForTimer(UINT_PTR nativeId, UINT* timerId) const;
    // The native id of a control's timer entry (running or stopped), or 0.
    UINT_PTR NativeTimerId(CControlUI* control, UINT timerId) const;

    // --- fonts
    HFONT AppendFont(std::wstring_view face, int size, bool bold, bool underline, bool italic);
    bool SetDefaultFont(std::wstring_view face, int size, bool bold, bool underline, bool italic);
    int FontCount() const { return m_aFonts.Count(); }
    // The font at the index, or the default font for an index outside the list.
    HFONT FontAt(int index) const;
    const TFontInfo& FontInfoAt(int index) const override;
    const TEXTMETRICW& TextMetricsAt(int index) override;
    HFONT DefaultFont() const { return m_defaultFont.hFont.get(); }

    // --- images
    // Where image files come from (not owned); none: names are read as paths.
    void SetSkinFileReader(const ISkinFileReader* reader) { m_pFileReader = reader; }
    void SetResourceInstance(HINSTANCE instance) { m_hResourceInstance = instance; }
    // Loads and caches an image; a second load under a cached name returns
    // the cached entry.
    const TImageInfo* LoadImageEntry(std::wstring_view name, std::wstring_view type, DWORD mask) override;
    const TImageInfo* ImageFor(std::wstring_view name) override;
    int ImageCount() const { return m_mImages.Count(); }
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
    HWND ToolTipWindow() const { return m_hwndTooltip; }

private:
    struct TTimerEntry {
        CControlUI* pSender;
        UINT nLocalId;
        HWND hWnd;
        UINT_PTR uNativeId;
        bool bKilled;
    };
    bool CreateFontEntry(TFontInfo& info, std::wstring_view face, int size, bool bold, bool underline, bool italic,
                         bool clearType);
    void MeasureFont(TFontInfo& info);
    void ReleaseWindowDc();

    // Event production.
    TEventRecord NewEvent(int type, CControlUI* sender) const;
    void SendEvent(CControlUI* control, int type, WPARAM wParam = 0, LPARAM lParam = 0, WORD key = 0,
                   WORD keyState = 0);
    bool OnMouseMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnPaint();
    void PaintOffscreen(HDC windowDc, const RECT& client, const RECT& paint);
    void PaintLayered(HDC windowDc, const RECT& client, const RECT& paint);
    void OnTimer(UINT_PTR nativeId);
    void ShowToolTip(CControlUI* control, POINT pt);
    void HideToolTip();
    void ReleaseMouseCapture();
    void DropOffscreen();
    bool EnsureOffscreen(HDC windowDc, SIZE size);
    bool ActivateShortcut(wchar_t typed);

    HWND m_hWndPaint = nullptr;
    HDC m_hDcPaint = nullptr;
    win32::UniqueMemoryDc m_hDcMeasure;  // without a window
    BYTE m_nOpacity = 255;
    CGdiplusSession m_gdiplus;

    // Off-screen painting: survives between paints, remade after a layout.
    win32::UniqueMemoryDc m_hDcOffscreen;
    win32::UniqueBitmap m_hbmpOffscreen;
    HGDIOBJ m_hbmpOffscreenOld = nullptr;
    SIZE m_szOffscreen = {0, 0};
    void* m_pOffscreenBits = nullptr;  // layered painting: the DIB's pixels

    bool m_bFirstLayout = true;
    bool m_bUpdateNeeded = false;
    bool m_bFocusNeeded = false;
    bool m_bOffscreenPaint = true;
    bool m_bBackgroundTransparent = false;
    bool m_bGdiplusText = false;
    bool m_bMouseTracking = false;
    bool m_bMouseCapture = false;
    bool m_bUsesVirtualWindows = false;
    bool m_bRestored = true;  // layered painting repaints everything after a restore

    CControlUI* m_pRoot = nullptr;
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    CControlUI* m_pEventKey = nullptr;
    POINT m_ptLastMouse = {-1, -1};
    RECT m_rcInvalidated = {0, 0, 0, 0};

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

    TFontInfo m_defaultFont;
    CUiPtrArray m_aFonts;          // TFontInfo*
    CUiStringMap m_mImages;        // TImageInfo*
    CUiStringMap m_mDefaultAttributes;  // CUiString*
    CUiStringMap m_mNameHash{83};  // CControlUI*
    CUiPtrArray m_aNotifyTargets;  // INotifyUI*
    CUiPtrArray m_aTimers;         // TTimerEntry*
    CUiPtrArray m_aPreFilters;     // IMessageFilterUI*
    CUiPtrArray m_aHandlerFilters; // IMessageFilterUI*
    CUiPtrArray m_aAccelerators;   // ITranslateAccelerator*
    CUiPtrArray m_aPaintAfterTree; // CControlUI*
    CUiPtrArray m_aDelayedCleanup; // CControlUI*
    UINT m_uTimerId = 4096;

    HWND m_hwndTooltip = nullptr;
    TOOLINFOW m_toolTip{};
    CUiString m_sToolTipText;  // the text the tool description points at

    const ISkinFileReader* m_pFileReader = nullptr;
    HINSTANCE m_hResourceInstance = nullptr;

    // Destroyed before the caches it draws from.
    CShadowUI m_shadow;
};

}  // namespace SkinUI
