// The plain control and base of every control: geometry, attributes,
// invalidation and layout requests, event handling and the paint order.
//
// Geometry is kept in the pixels of the control's display scale: logical
// pixels until the control joins a window, that window's pixels after.
// Attributes are written in logical pixels and scaled as they are applied;
// setters and getters speak the display's pixels. A control that joins a
// window of another scale, or whose window moves to another display,
// converts what it holds (SetDisplayScale).
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/controls/ImageAttribute.h"
#include "toolkit/controls/UiEvents.h"
#include "toolkit/core/DisplayScale.h"
#include "toolkit/core/UiString.h"

namespace SkinUI {

class IControlHostUI;
class CControlUI;

// Tells whether a control still exists after a call that may have deleted
// it (a notification, an event listener, anything that runs foreign code).
// Lives on the stack; costs no allocation.
class CControlAlive {
public:
    explicit CControlAlive(CControlUI* control) noexcept;
    ~CControlAlive();
    CControlAlive(const CControlAlive&) = delete;
    CControlAlive& operator=(const CControlAlive&) = delete;

    // False once the control was destroyed (and for none).
    bool IsAlive() const noexcept { return m_pControl != nullptr; }
    explicit operator bool() const noexcept { return IsAlive(); }

private:
    friend class CControlUI;
    CControlUI* m_pControl;
    CControlAlive* m_pNext = nullptr;
};

// A search callback: answers the control to stop at, or none to go on.
using FindControlProc = CControlUI* (*)(CControlUI* control, void* data);

// Listeners of one kind; the first that answers false stops the rest.
template <typename Arg>
class CListenerList {
public:
    using Listener = std::function<bool(Arg)>;
    void Add(Listener listener) { m_listeners.push_back(std::move(listener)); }
    bool IsEmpty() const { return m_listeners.empty(); }
    // False when a listener stopped the chain.
    bool Fire(Arg arg) const
    {
        for (const Listener& listener : m_listeners)
            if (!listener(arg)) return false;
        return true;
    }

private:
    std::vector<Listener> m_listeners;
};

// Relative placement of a float control in a container that is resized.
struct TRelativePlacement {
    bool bRelative = false;
    SIZE szParent = {0, 0};  // the container size the placement refers to
    int nMoveXPercent = 0;
    int nMoveYPercent = 0;
    int nZoomXPercent = 0;
    int nZoomYPercent = 0;
};

class CControlUI {
public:
    CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;
    virtual ~CControlUI();

    virtual const CUiString& Name() const;
    virtual void SetName(std::wstring_view name);
    virtual std::wstring_view ClassName() const;
    // The object that implements the named interface ("Control", ...), or none.
    virtual void* InterfaceFor(std::wstring_view name);
    virtual UINT ControlFlags() const;
    virtual bool Activate();
    virtual IControlHostUI* Manager() const;
    // A control leaving its manager for another (or none) is forgotten by
    // the one it leaves.
    virtual void AttachManager(IControlHostUI* manager, CControlUI* parent, bool initialise = true);
    virtual CControlUI* Parent() const;
    virtual const CUiString& Text() const;
    virtual void SetText(std::wstring_view text);

    virtual const RECT& Rect() const;
    virtual void Place(const RECT& rect);
    virtual int Width() const;
    virtual int Height() const;
    virtual int Left() const;
    virtual int Top() const;
    virtual RECT Padding() const;
    virtual void SetPadding(const RECT& padding);
    virtual SIZE FloatOffset() const;
    virtual void SetFloatOffset(SIZE offset);
    virtual int FixedWidth() const;
    virtual void SetFixedWidth(int width);
    virtual int FixedHeight() const;
    virtual void SetFixedHeight(int height);
    virtual int MinWidth() const;
    virtual void SetMinWidth(int width);
    virtual int MaxWidth() const;
    virtual void SetMaxWidth(int width);
    virtual int MinHeight() const;
    virtual void SetMinHeight(int height);
    virtual int MaxHeight() const;
    virtual void SetMaxHeight(int height);
    virtual void SetRelativePlacement(SIZE move, SIZE zoom);
    virtual void SetRelativeParentSize(SIZE size);
    virtual TRelativePlacement RelativePlacement() const;
    virtual bool HasRelativePlacement() const;

    virtual const CUiString& ToolTip() const;
    virtual void SetToolTip(std::wstring_view text);
    virtual void SetToolTipWidth(int width);
    virtual int ToolTipWidth() const;
    virtual wchar_t Shortcut() const;
    virtual void SetShortcut(wchar_t ch);
    virtual bool IsContextMenuEnabled() const;
    virtual void SetContextMenuEnabled(bool enabled);
    virtual const CUiString& UserData() const;
    virtual void SetUserData(std::wstring_view text);
    virtual UINT_PTR Tag() const;
    virtual void SetTag(UINT_PTR tag);

    // Both the control's own flag and the one its parent imposes.
    virtual bool IsVisible() const;
    virtual void SetVisible(bool visible = true);
    virtual void SetInnerVisible(bool visible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool enabled = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool enabled = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool enabled = true);
    virtual bool IsFocused() const;
    virtual void TakeFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool isFloat = true);

    virtual CControlUI* Search(FindControlProc proc, void* data, UINT flags);

    virtual void Initialise();
    virtual void OnInitialise();
    // Offers the event to the event listeners, then to HandleEvent.
    virtual void DispatchEvent(TEventRecord& event);
    virtual void HandleEvent(TEventRecord& event);
    virtual void ApplyAttribute(std::wstring_view name, std::wstring_view value);
    // The desired size; 0 in a direction takes what is left.
    virtual SIZE MeasureSize(SIZE available);

    virtual void Paint(HDC hdc, const RECT& paint);
    virtual void PaintBackgroundColour(HDC hdc);
    virtual void PaintBackgroundImage(HDC hdc);
    virtual void PaintStateImage(HDC hdc);
    virtual void PaintLabel(HDC hdc);
    virtual void PaintFrame(HDC hdc);
    virtual void PaintAfterTree(HDC hdc, const RECT& paint);

    // name="value" pairs separated by one space; stops at the first deviation.
    void ApplyAttributes(std::wstring_view list);

    // The scale the control's geometry is in.
    const CDisplayScale& DisplayScale() const { return m_scale; }
    // Converts the control's own geometry (not its children's) to another
    // scale and asks for layout; the same scale changes nothing.
    void SetDisplayScale(const CDisplayScale& scale);

    void Invalidate();
    bool NeedsLayout() const { return m_bNeedsLayout; }
    void MarkForLayout();
    void MarkParentForLayout();
    const RECT& LastPaintRect() const { return m_rcPaint; }

    DWORD BackgroundColour() const { return m_dwBackColour; }
    void SetBackgroundColour(DWORD argb);
    DWORD BackgroundColour2() const { return m_dwBackColour2; }
    void SetBackgroundColour2(DWORD argb);
    DWORD BackgroundColour3() const { return m_dwBackColour3; }
    void SetBackgroundColour3(DWORD argb);
    DWORD BorderColour() const { return m_dwBorderColour; }
    void SetBorderColour(DWORD argb);
    DWORD FocusBorderColour() const { return m_dwFocusBorderColour; }
    void SetFocusBorderColour(DWORD argb);
    int BorderSize() const { return m_nBorderSize; }
    void SetBorderSize(int size);
    RECT BorderSides() const { return m_rcBorderSize; }
    void SetBorderSides(const RECT& sizes);
    int BorderStyle() const { return m_nBorderStyle; }
    void SetBorderStyle(int style);
    SIZE BorderRound() const { return m_cxyBorderRound; }
    void SetBorderRound(SIZE ellipse);
    const CUiString& BackgroundImage() const { return m_sBkImage.Text(); }
    void SetBackgroundImage(std::wstring_view descriptor);
    const CUiString& VirtualWindow() const { return m_sVirtualWnd; }
    void SetVirtualWindow(std::wstring_view name);
    bool IsColourHsl() const { return m_bColourHsl; }

    // Whether the control's own background fills its whole rectangle with
    // opaque pixels: a colour without alpha, or an opaque image loaded
    // already and drawn over all of it.
    bool BackgroundCoversRect() const;
    // Whether the control's painting may reach outside its rectangle: an
    // image placed before its left or top edge, text padding below 0 or
    // unclipped text, a border side wider than a pixel. Its parent then clips it.
    bool PaintsOutsideRect() const;

    CListenerList<CControlUI*> OnInitialised;
    CListenerList<TEventRecord&> OnEvent;
    CListenerList<CControlUI*> OnSizeChanged;
    CListenerList<TNotifyRecord&> OnNotify;
    CListenerList<CControlUI*> OnDestroyed;

protected:
    friend class CControlAlive;

    // Converts every length the control keeps from one scale to the other
    // (exact for lengths that came from logical ones). A class that keeps
    // lengths of its own converts them and calls its base.
    virtual void ScaleGeometry(const CDisplayScale& from, const CDisplayScale& to);
    // A skin length in the control's pixels.
    int Scaled(int logical) const { return m_scale.Scale(logical); }

    // Draws an image attribute into the control, then the modifier's pairs;
    // an image that cannot be loaded clears the attribute so that it is not
    // tried again.
    bool DrawImage(HDC hdc, CImageAttribute& image, const ImageDescriptorPair* modifier = nullptr,
                   std::size_t modifierCount = 0);
    // What of a subclass's painting reaches outside the rectangle, one bit each.
    enum : unsigned { kOutsideText = 1, kOutsideStateImages = 2 };
    void SetPaintsOutside(unsigned part, bool outside)
    {
        m_uPaintsOutside = outside ? (m_uPaintsOutside | part) : (m_uPaintsOutside & ~part);
    }
    // Invalidates a rectangle clipped to the control's ancestors.
    void InvalidateClipped(const RECT& rect);
    // A size setter's request: float controls and others ask for layout alike.
    void RequestSizeLayout();
    // Keeps the focus flag in step with a focus event; false for any other event.
    bool TakeFocusEvent(const TEventRecord& event);

    IControlHostUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    CControlAlive* m_pAliveWatches = nullptr;  // cleared by the destructor
    CUiString m_sName;
    CUiString m_sText;
    CUiString m_sToolTip;
    int m_nToolTipWidth = 300;
    CUiString m_sUserData;
    UINT_PTR m_uTag = 0;
    wchar_t m_chShortcut = 0;
    CUiString m_sVirtualWnd;

    RECT m_rcItem = {0, 0, 0, 0};
    RECT m_rcPaint = {0, 0, 0, 0};
    RECT m_rcPadding = {0, 0, 0, 0};
    SIZE m_cxyFloatOffset = {0, 0};
    SIZE m_cxyFixed = {0, 0};
    SIZE m_cxyMin = {0, 0};
    SIZE m_cxyMax = {9999, 9999};
    TRelativePlacement m_relative;

    bool m_bVisible = true;
    bool m_bInnerVisible = true;
    bool m_bEnabled = true;
    bool m_bMouseEnabled = true;
    bool m_bKeyboardEnabled = true;
    bool m_bFocused = false;
    bool m_bFloat = false;
    bool m_bNeedsLayout = true;
    bool m_bContextMenu = false;
    bool m_bColourHsl = false;
    bool m_bInSizeChanged = false;

    DWORD m_dwBackColour = 0;
    DWORD m_dwBackColour2 = 0;
    DWORD m_dwBackColour3 = 0;
    DWORD m_dwBorderColour = 0;
    DWORD m_dwFocusBorderColour = 0;
    int m_nBorderSize = 0;
    RECT m_rcBorderSize = {0, 0, 0, 0};
    int m_nBorderStyle = PS_SOLID;
    SIZE m_cxyBorderRound = {0, 0};
    CImageAttribute m_sBkImage;
    CImageAttribute m_sForeImage;
    unsigned m_uPaintsOutside = 0;
    CDisplayScale m_scale;
};

}  // namespace SkinUI
