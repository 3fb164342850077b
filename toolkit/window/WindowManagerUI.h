// The per-window manager of a skinned window as the controls see it: it owns
// the control tree, finds controls by name, raises notifications, keeps the
// focus, control timers, fonts, images, default colours and default attribute
// lists, and collects invalidation and layout requests. Turning window
// messages into events and painting on WM_PAINT build on this.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include "toolkit/render/SkinRenderer.h"
#include "toolkit/controls/UiEvents.h"
#include "toolkit/core/UiPtrArray.h"
#include "toolkit/core/UiString.h"
#include "toolkit/core/UiStringMap.h"
#include "base/Win32Handles.h"

namespace SkinUI {

class CControlUI;
class ISkinFileReader;

class CWindowManagerUI : public IRenderResourcesUI {
public:
    CWindowManagerUI();
    CWindowManagerUI(const CWindowManagerUI&) = delete;
    CWindowManagerUI& operator=(const CWindowManagerUI&) = delete;
    ~CWindowManagerUI();

    // Attaches to a native window: takes its device context for measuring
    // text. Without a window the manager measures on a screen-compatible DC
    // and only records invalidation.
    void Attach(HWND hwnd);
    HWND WindowHandle() const { return m_hWndPaint; }
    HDC PaintDc() const { return m_hDcPaint; }

    // Every live manager of the process, in creation order.
    static const CUiPtrArray& AllManagers();

    // --- the control tree
    bool AttachTree(CControlUI* root);
    CControlUI* Root() const { return m_pRoot; }
    CControlUI* FindByName(std::wstring_view name);
    CControlUI* FindAt(POINT pt) const;
    // Registers the names of a subtree: children first, each container
    // after its children; a later registration replaces an earlier one.
    void RegisterNames(CControlUI* subtree);
    // Clears every reference to the control (focus, hover, click, key press),
    // its timers, and its name when the name maps to it.
    void ForgetControl(CControlUI* control);
    // Forgets and detaches a subtree, deleting it when WM_REAP_OLD_TREE arrives
    // (never inside the current call chain).
    void QueueForDeletion(CControlUI* subtree);
    void ReapQueuedControls();

    // --- invalidation and layout
    // Invalidates in the native window without erasing and remembers the
    // union of the rectangles invalidated since the last paint.
    void Invalidate(const RECT& rect);
    const RECT& InvalidatedSinceLastPaint() const { return m_rcInvalidated; }
    void SetUpdateNeeded() { m_bUpdateNeeded = true; }
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    // The layout step of a paint: lays the root out in the client rectangle
    // when it needs layout, otherwise every visible control that needs it in
    // its current rectangle; then raises the pending "windowinit" and moves a
    // requested focus.
    void UpdateLayout(const RECT& client);
    // Paints the tree and the controls that paint after it.
    void PaintTree(HDC hdc, const RECT& paint);
    void AddPaintAfterTree(CControlUI* control);
    void ClearInvalidated();

    // --- focus
    void FocusControl(CControlUI* control);
    CControlUI* FocusedControl() const { return m_pFocus; }
    void FocusNextTabStop(bool forward);
    bool IsFocusNeeded() const { return m_bFocusNeeded; }

    // --- notifications
    void RaiseNotify(CControlUI* sender, std::wstring_view type, WPARAM wParam = 0, LPARAM lParam = 0);
    bool AddNotifyTarget(INotifyUI* target);
    bool RemoveNotifyTarget(INotifyUI* target);
    void SetUsesVirtualWindows() { m_bUsesVirtualWindows = true; }
    POINT LastMousePosition() const { return m_ptLastMouse; }
    void SetLastMousePosition(POINT pt) { m_ptLastMouse = pt; }

    // --- control timers (need a native window)
    bool StartControlTimer(CControlUI* control, UINT timerId, UINT elapseMs);
    bool StopControlTimer(CControlUI* control, UINT timerId);
    // The control timer behind a native timer id, with the control's own id.
    CControlUI* ControlForTimer(UINT_PTR nativeId, UINT* timerId) const;

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

    // --- default attribute lists ("Default" elements)
    bool SetDefaultAttributes(std::wstring_view elementName, std::wstring_view list);
    const CUiString* DefaultAttributesFor(std::wstring_view elementName);

    // --- default colours (0xAARRGGBB)
    DWORD DefaultDisabledColour() const { return m_dwDefaultDisabledColour; }
    DWORD DefaultFontColour() const { return m_dwDefaultFontColour; }
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

    HWND m_hWndPaint = nullptr;
    HDC m_hDcPaint = nullptr;
    win32::UniqueMemoryDc m_hDcMeasure;  // without a window
    BYTE m_nOpacity = 255;
    CGdiplusSession m_gdiplus;

    bool m_bFirstLayout = true;
    bool m_bUpdateNeeded = false;
    bool m_bFocusNeeded = false;
    bool m_bBackgroundTransparent = false;
    bool m_bGdiplusText = false;
    bool m_bUsesVirtualWindows = false;

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
    CUiPtrArray m_aPaintAfterTree; // CControlUI*
    CUiPtrArray m_aDelayedCleanup; // CControlUI*
    UINT m_uTimerId = 4096;

    const ISkinFileReader* m_pFileReader = nullptr;
    HINSTANCE m_hResourceInstance = nullptr;
};

}  // namespace SkinUI
