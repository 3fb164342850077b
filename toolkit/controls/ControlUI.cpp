#include "toolkit/controls/ControlUI.h"

#include <algorithm>
#include <climits>

#include "toolkit/render/SkinRenderer.h"
#include "toolkit/core/SkinValue.h"
#include "toolkit/controls/ControlHostUI.h"
#include "toolkit/render/RenderResourcesUI.h"

namespace SkinUI {
namespace {

// A difference of two attribute numbers, or false when it does not fit.
bool Difference(int a, int b, int& result)
{
    const long long d = static_cast<long long>(a) - b;
    if (d < INT_MIN || d > INT_MAX) return false;
    result = static_cast<int>(d);
    return true;
}

RECT ToRect(const SkinRect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

SkinRect ToSkin(const RECT& r)
{
    return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right), static_cast<int>(r.bottom)};
}

SIZE RescaleSize(const SIZE& size, const CDisplayScale& from, const CDisplayScale& to)
{
    return {Rescale(static_cast<int>(size.cx), from, to), Rescale(static_cast<int>(size.cy), from, to)};
}

}  // namespace

CControlAlive::CControlAlive(CControlUI* control) noexcept : m_pControl(control)
{
    if (!control) return;
    m_pNext = control->m_pAliveWatches;
    control->m_pAliveWatches = this;
}

CControlAlive::~CControlAlive()
{
    if (!m_pControl) return;
    // Watches end in reverse order of their start, so this one is usually first.
    for (CControlAlive** link = &m_pControl->m_pAliveWatches; *link; link = &(*link)->m_pNext) {
        if (*link != this) continue;
        *link = m_pNext;
        break;
    }
}

CControlUI::CControlUI() = default;

CControlUI::~CControlUI()
{
    OnDestroyed.Fire(this);
    if (m_pManager) m_pManager->ForgetControl(this);
    for (CControlAlive* watch = m_pAliveWatches; watch; watch = watch->m_pNext) watch->m_pControl = nullptr;
    m_pAliveWatches = nullptr;
}

const CUiString& CControlUI::Name() const
{
    return m_sName;
}

void CControlUI::SetName(std::wstring_view name)
{
    m_sName = name;
}

std::wstring_view CControlUI::ClassName() const
{
    return L"ControlUI";
}

void* CControlUI::InterfaceFor(std::wstring_view name)
{
    return name == L"Control" ? this : nullptr;
}

UINT CControlUI::ControlFlags() const
{
    return 0;
}

bool CControlUI::Activate()
{
    return IsVisible() && IsEnabled();
}

IControlHostUI* CControlUI::Manager() const
{
    return m_pManager;
}

void CControlUI::AttachManager(IControlHostUI* manager, CControlUI* parent, bool initialise)
{
    // Whatever it registered there (name, timers, hooks) goes with it.
    if (m_pManager && m_pManager != manager) m_pManager->ForgetControl(this);
    m_pManager = manager;
    m_pParent = parent;
    if (manager) SetDisplayScale(manager->DisplayScale());
    if (manager && !m_sVirtualWnd.IsEmpty()) manager->SetUsesVirtualWindows();
    if (initialise && manager) Initialise();
}

void CControlUI::SetDisplayScale(const CDisplayScale& scale)
{
    if (scale == m_scale) return;
    ScaleGeometry(m_scale, scale);
    m_scale = scale;
    m_bNeedsLayout = true;
    if (m_pManager) m_pManager->SetUpdateNeeded();
}

void CControlUI::ScaleGeometry(const CDisplayScale& from, const CDisplayScale& to)
{
    m_rcPadding = ToRect(Rescale(ToSkin(m_rcPadding), from, to));
    m_cxyFloatOffset = RescaleSize(m_cxyFloatOffset, from, to);
    m_cxyFixed = RescaleSize(m_cxyFixed, from, to);
    m_cxyMin = RescaleSize(m_cxyMin, from, to);
    m_cxyMax = RescaleSize(m_cxyMax, from, to);
    m_relative.szParent = RescaleSize(m_relative.szParent, from, to);
    m_nToolTipWidth = Rescale(m_nToolTipWidth, from, to);
    m_nBorderSize = Rescale(m_nBorderSize, from, to);
    m_rcBorderSize = ToRect(Rescale(ToSkin(m_rcBorderSize), from, to));
    m_cxyBorderRound = RescaleSize(m_cxyBorderRound, from, to);
}

CControlUI* CControlUI::Parent() const
{
    return m_pParent;
}

const CUiString& CControlUI::Text() const
{
    return m_sText;
}

void CControlUI::SetText(std::wstring_view text)
{
    if (m_sText == text) return;
    m_sText = text;
    Invalidate();
}

// ---------------------------------------------------------------- geometry

const RECT& CControlUI::Rect() const
{
    return m_rcItem;
}

void CControlUI::Place(const RECT& rect)
{
    RECT r = rect;
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    if (!m_pManager) {
        m_rcItem = r;
        return;
    }
    const RECT old = m_rcItem;
    m_rcItem = r;
    if (!m_bInSizeChanged) {
        m_bInSizeChanged = true;
        OnSizeChanged.Fire(this);
        m_bInSizeChanged = false;
    }
    if (m_bFloat && m_pParent) {
        // Keep offset and size in step, anchored to the edge they were anchored to.
        const RECT& parent = m_pParent->Rect();
        m_cxyFloatOffset.cx = m_cxyFloatOffset.cx >= 0 ? r.left - parent.left : r.right - parent.right;
        m_cxyFloatOffset.cy = m_cxyFloatOffset.cy >= 0 ? r.top - parent.top : r.bottom - parent.bottom;
        m_cxyFixed.cx = r.right - r.left;
        m_cxyFixed.cy = r.bottom - r.top;
    }
    m_bNeedsLayout = false;
    RECT both;
    ::UnionRect(&both, &old, &r);
    InvalidateClipped(both);
}

int CControlUI::Width() const
{
    return m_rcItem.right - m_rcItem.left;
}

int CControlUI::Height() const
{
    return m_rcItem.bottom - m_rcItem.top;
}

int CControlUI::Left() const
{
    return m_rcItem.left;
}

int CControlUI::Top() const
{
    return m_rcItem.top;
}

RECT CControlUI::Padding() const
{
    return m_rcPadding;
}

void CControlUI::SetPadding(const RECT& padding)
{
    m_rcPadding = padding;
    RequestSizeLayout();
}

SIZE CControlUI::FloatOffset() const
{
    return m_cxyFloatOffset;
}

void CControlUI::SetFloatOffset(SIZE offset)
{
    m_cxyFloatOffset = offset;
    RequestSizeLayout();
}

int CControlUI::FixedWidth() const
{
    return m_cxyFixed.cx;
}

void CControlUI::SetFixedWidth(int width)
{
    if (width < 0) return;
    m_cxyFixed.cx = width;
    RequestSizeLayout();
}

int CControlUI::FixedHeight() const
{
    return m_cxyFixed.cy;
}

void CControlUI::SetFixedHeight(int height)
{
    if (height < 0) return;
    m_cxyFixed.cy = height;
    RequestSizeLayout();
}

int CControlUI::MinWidth() const
{
    return m_cxyMin.cx;
}

void CControlUI::SetMinWidth(int width)
{
    if (width < 0 || width == m_cxyMin.cx) return;
    m_cxyMin.cx = width;
    RequestSizeLayout();
}

int CControlUI::MaxWidth() const
{
    return m_cxyMax.cx;
}

void CControlUI::SetMaxWidth(int width)
{
    if (width < 0 || width == m_cxyMax.cx) return;
    m_cxyMax.cx = width;
    RequestSizeLayout();
}

int CControlUI::MinHeight() const
{
    return m_cxyMin.cy;
}

void CControlUI::SetMinHeight(int height)
{
    if (height < 0 || height == m_cxyMin.cy) return;
    m_cxyMin.cy = height;
    RequestSizeLayout();
}

int CControlUI::MaxHeight() const
{
    return m_cxyMax.cy;
}

void CControlUI::SetMaxHeight(int height)
{
    if (height < 0 || height == m_cxyMax.cy) return;
    m_cxyMax.cy = height;
    RequestSizeLayout();
}

void CControlUI::SetRelativePlacement(SIZE move, SIZE zoom)
{
    m_relative.bRelative = true;
    m_relative.nMoveXPercent = move.cx;
    m_relative.nMoveYPercent = move.cy;
    m_relative.nZoomXPercent = zoom.cx;
    m_relative.nZoomYPercent = zoom.cy;
    m_relative.szParent = {0, 0};
}

void CControlUI::SetRelativeParentSize(SIZE size)
{
    m_relative.szParent = size;
}

TRelativePlacement CControlUI::RelativePlacement() const
{
    return m_relative;
}

bool CControlUI::HasRelativePlacement() const
{
    return m_relative.bRelative;
}

// ---------------------------------------------------------------- plain data

const CUiString& CControlUI::ToolTip() const
{
    return m_sToolTip;
}

void CControlUI::SetToolTip(std::wstring_view text)
{
    m_sToolTip = text;
    m_sToolTip.Replace(L"<n>", L"\r\n");
}

void CControlUI::SetToolTipWidth(int width)
{
    m_nToolTipWidth = width;
}

int CControlUI::ToolTipWidth() const
{
    return m_nToolTipWidth;
}

wchar_t CControlUI::Shortcut() const
{
    return m_chShortcut;
}

void CControlUI::SetShortcut(wchar_t ch)
{
    m_chShortcut = ch;
}

bool CControlUI::IsContextMenuEnabled() const
{
    return m_bContextMenu;
}

void CControlUI::SetContextMenuEnabled(bool enabled)
{
    m_bContextMenu = enabled;
}

const CUiString& CControlUI::UserData() const
{
    return m_sUserData;
}

void CControlUI::SetUserData(std::wstring_view text)
{
    m_sUserData = text;
}

UINT_PTR CControlUI::Tag() const
{
    return m_uTag;
}

void CControlUI::SetTag(UINT_PTR tag)
{
    m_uTag = tag;
}

// ---------------------------------------------------------------- flags

bool CControlUI::IsVisible() const
{
    return m_bVisible && m_bInnerVisible;
}

void CControlUI::SetVisible(bool visible)
{
    if (m_bVisible == visible) return;
    const bool wasVisible = IsVisible();
    m_bVisible = visible;
    m_bFocused = false;
    if (!visible && m_pManager && m_pManager->FocusedControl() == this) m_pManager->FocusControl(nullptr);
    if (IsVisible() != wasVisible) MarkParentForLayout();
}

void CControlUI::SetInnerVisible(bool visible)
{
    if (m_bInnerVisible == visible) return;
    const bool wasVisible = IsVisible();
    m_bInnerVisible = visible;
    m_bFocused = false;
    if (!visible && m_pManager && m_pManager->FocusedControl() == this) m_pManager->FocusControl(nullptr);
    if (IsVisible() != wasVisible) MarkParentForLayout();
}

bool CControlUI::IsEnabled() const
{
    return m_bEnabled;
}

void CControlUI::SetEnabled(bool enabled)
{
    if (m_bEnabled == enabled) return;
    m_bEnabled = enabled;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const
{
    return m_bMouseEnabled;
}

void CControlUI::SetMouseEnabled(bool enabled)
{
    m_bMouseEnabled = enabled;
}

bool CControlUI::IsKeyboardEnabled() const
{
    return m_bKeyboardEnabled;
}

void CControlUI::SetKeyboardEnabled(bool enabled)
{
    m_bKeyboardEnabled = enabled;
}

bool CControlUI::IsFocused() const
{
    return m_bFocused;
}

void CControlUI::TakeFocus()
{
    if (m_pManager) m_pManager->FocusControl(this);
}

bool CControlUI::IsFloat() const
{
    return m_bFloat;
}

void CControlUI::SetFloat(bool isFloat)
{
    if (m_bFloat == isFloat) return;
    m_bFloat = isFloat;
    // Floating in or out changes how the parent places its children.
    MarkParentForLayout();
}

CControlUI* CControlUI::Search(FindControlProc proc, void* data, UINT flags)
{
    if ((flags & FIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & FIND_ENABLED) && !IsEnabled()) return nullptr;
    if ((flags & FIND_HITTEST) && (!data || !::PtInRect(&m_rcItem, *static_cast<const POINT*>(data))))
        return nullptr;
    return proc(this, data);
}

// ---------------------------------------------------------------- events

void CControlUI::Initialise()
{
    OnInitialise();
    OnInitialised.Fire(this);
}

void CControlUI::OnInitialise()
{
}

void CControlUI::DispatchEvent(TEventRecord& event)
{
    if (!OnEvent.Fire(event)) return;
    HandleEvent(event);
}

bool CControlUI::TakeFocusEvent(const TEventRecord& event)
{
    if (event.nType != EV_SETFOCUS && event.nType != EV_KILLFOCUS) return false;
    m_bFocused = event.nType == EV_SETFOCUS;
    return true;
}

void CControlUI::HandleEvent(TEventRecord& event)
{
    switch (event.nType) {
    case EV_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        return;
    case EV_SETFOCUS:
    case EV_KILLFOCUS:
        TakeFocusEvent(event);
        Invalidate();
        return;
    case EV_TIMER:
        if (m_pManager) m_pManager->RaiseNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case EV_CONTEXTMENU:
        if (m_bContextMenu) {
            if (m_pManager) m_pManager->RaiseNotify(this, L"menu", event.wParam, event.lParam);
            return;
        }
        break;
    case EV_MOUSEHOVER:
        if (m_pManager) m_pManager->RaiseNotify(this, L"mouseenter");
        break;
    case EV_MOUSELEAVE:
        if (m_pManager) m_pManager->RaiseNotify(this, L"mouseleave");
        break;
    default:
        break;
    }
    if (m_pParent) m_pParent->HandleEvent(event);
}

// ---------------------------------------------------------------- attributes

void CControlUI::ApplyAttribute(std::wstring_view name, std::wstring_view value)
{
    // Lengths are scaled one by one, sizes included: a width is the scaled
    // width, not the difference of two scaled edges.
    if (name == L"pos") {
        const SkinRect r = ParseSkinRect(value);
        SIZE offset = {Scaled(r.left >= 0 ? r.left : r.right), Scaled(r.top >= 0 ? r.top : r.bottom)};
        SetFloatOffset(offset);
        int width = 0, height = 0;
        if (Difference(r.right, r.left, width)) SetFixedWidth(Scaled(width));
        if (Difference(r.bottom, r.top, height)) SetFixedHeight(Scaled(height));
    } else if (name == L"relativepos") {
        const SkinRect r = ParseSkinRect(value);
        SetRelativePlacement({r.left, r.top}, {r.right, r.bottom});
    } else if (name == L"padding") {
        SetPadding(ToRect(m_scale.Scale(ParseSkinRect(value))));
    } else if (name == L"bkcolor" || name == L"bkcolor1") {
        SetBackgroundColour(ParseSkinColour(value));
    } else if (name == L"bkcolor2") {
        SetBackgroundColour2(ParseSkinColour(value));
    } else if (name == L"bkcolor3") {
        SetBackgroundColour3(ParseSkinColour(value));
    } else if (name == L"bordercolor") {
        SetBorderColour(ParseSkinColour(value));
    } else if (name == L"focusbordercolor") {
        SetFocusBorderColour(ParseSkinColour(value));
    } else if (name == L"colorhsl") {
        m_bColourHsl = ParseSkinBool(value);
    } else if (name == L"bordersize") {
        if (value.find(L',') == std::wstring_view::npos) {
            SetBorderSize(Scaled(ParseSkinInt(value)));
            SetBorderSides({0, 0, 0, 0});
        } else {
            SetBorderSides(ToRect(m_scale.Scale(ParseSkinRect(value))));
        }
    } else if (name == L"leftbordersize") {
        RECT sides = m_rcBorderSize;
        sides.left = Scaled(ParseSkinInt(value));
        SetBorderSides(sides);
    } else if (name == L"topbordersize") {
        RECT sides = m_rcBorderSize;
        sides.top = Scaled(ParseSkinInt(value));
        SetBorderSides(sides);
    } else if (name == L"rightbordersize") {
        RECT sides = m_rcBorderSize;
        sides.right = Scaled(ParseSkinInt(value));
        SetBorderSides(sides);
    } else if (name == L"bottombordersize") {
        RECT sides = m_rcBorderSize;
        sides.bottom = Scaled(ParseSkinInt(value));
        SetBorderSides(sides);
    } else if (name == L"borderstyle") {
        SetBorderStyle(ParseSkinInt(value));
    } else if (name == L"borderround") {
        const SkinSize s = m_scale.Scale(ParseSkinSize(value));
        SetBorderRound({s.cx, s.cy});
    } else if (name == L"bkimage") {
        SetBackgroundImage(value);
    } else if (name == L"width") {
        SetFixedWidth(Scaled(ParseSkinInt(value)));
    } else if (name == L"height") {
        SetFixedHeight(Scaled(ParseSkinInt(value)));
    } else if (name == L"minwidth") {
        SetMinWidth(Scaled(ParseSkinInt(value)));
    } else if (name == L"minheight") {
        SetMinHeight(Scaled(ParseSkinInt(value)));
    } else if (name == L"maxwidth") {
        SetMaxWidth(Scaled(ParseSkinInt(value)));
    } else if (name == L"maxheight") {
        SetMaxHeight(Scaled(ParseSkinInt(value)));
    } else if (name == L"name") {
        SetName(value);
    } else if (name == L"text") {
        SetText(value);
    } else if (name == L"tooltip") {
        SetToolTip(value);
    } else if (name == L"userdata") {
        SetUserData(value);
    } else if (name == L"enabled") {
        SetEnabled(ParseSkinBool(value));
    } else if (name == L"mouse") {
        SetMouseEnabled(ParseSkinBool(value));
    } else if (name == L"keyboard") {
        SetKeyboardEnabled(ParseSkinBool(value));
    } else if (name == L"visible") {
        SetVisible(ParseSkinBool(value));
    } else if (name == L"float") {
        SetFloat(ParseSkinBool(value));
    } else if (name == L"shortcut") {
        SetShortcut(value.empty() ? L'\0' : value[0]);
    } else if (name == L"menu") {
        SetContextMenuEnabled(ParseSkinBool(value));
    } else if (name == L"virtualwnd") {
        SetVirtualWindow(value);
    }
}

void CControlUI::ApplyAttributes(std::wstring_view list)
{
    std::size_t i = 0;
    while (i < list.size()) {
        const std::size_t equals = list.find(L'=', i);
        if (equals == std::wstring_view::npos || equals + 1 >= list.size() || list[equals + 1] != L'"') return;
        const std::size_t valueStart = equals + 2;
        const std::size_t quote = list.find(L'"', valueStart);
        if (quote == std::wstring_view::npos) return;
        ApplyAttribute(list.substr(i, equals - i), list.substr(valueStart, quote - valueStart));
        i = quote + 1;
        if (i >= list.size()) return;
        if (list[i] != L' ') return;
        ++i;
    }
}

SIZE CControlUI::MeasureSize(SIZE)
{
    return m_cxyFixed;
}

// ---------------------------------------------------------------- setters that repaint

void CControlUI::SetBackgroundColour(DWORD argb)
{
    if (m_dwBackColour == argb) return;
    m_dwBackColour = argb;
    Invalidate();
}

void CControlUI::SetBackgroundColour2(DWORD argb)
{
    if (m_dwBackColour2 == argb) return;
    m_dwBackColour2 = argb;
    Invalidate();
}

void CControlUI::SetBackgroundColour3(DWORD argb)
{
    if (m_dwBackColour3 == argb) return;
    m_dwBackColour3 = argb;
    Invalidate();
}

void CControlUI::SetBorderColour(DWORD argb)
{
    if (m_dwBorderColour == argb) return;
    m_dwBorderColour = argb;
    Invalidate();
}

void CControlUI::SetFocusBorderColour(DWORD argb)
{
    if (m_dwFocusBorderColour == argb) return;
    m_dwFocusBorderColour = argb;
    Invalidate();
}

void CControlUI::SetBorderSize(int size)
{
    if (m_nBorderSize == size) return;
    m_nBorderSize = size;
    Invalidate();
}

void CControlUI::SetBorderSides(const RECT& sizes)
{
    m_rcBorderSize = sizes;
    Invalidate();
}

void CControlUI::SetBorderStyle(int style)
{
    m_nBorderStyle = style;
    Invalidate();
}

void CControlUI::SetBorderRound(SIZE ellipse)
{
    m_cxyBorderRound = ellipse;
    Invalidate();
}

void CControlUI::SetBackgroundImage(std::wstring_view descriptor)
{
    if (!m_sBkImage.Set(descriptor)) return;
    Invalidate();
}

bool CControlUI::BackgroundCoversRect() const
{
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0) return false;  // painted inside rounded corners
    if ((m_dwBackColour >> 24) == 0xFF && m_dwBackColour2 == 0) return true;
    return !m_sBkImage.IsEmpty() && m_pManager &&
           CSkinRenderer::ImageDescriptorCoversControl(m_pManager->RenderResources(), m_rcItem, m_sBkImage.Pairs());
}

bool CControlUI::PaintsOutsideRect() const
{
    // Lines wider than a pixel are centred on a point inside the edge and
    // may round outward by one.
    const RECT& b = m_rcBorderSize;
    return m_uPaintsOutside != 0 || m_sBkImage.ReachesOutside() || m_sForeImage.ReachesOutside() || b.left > 1 ||
           b.top > 1 || b.right > 1 || b.bottom > 1;
}

void CControlUI::SetVirtualWindow(std::wstring_view name)
{
    m_sVirtualWnd = name;
    if (m_pManager && !m_sVirtualWnd.IsEmpty()) m_pManager->SetUsesVirtualWindows();
}

// ---------------------------------------------------------------- invalidation and layout

void CControlUI::InvalidateClipped(const RECT& rect)
{
    if (!IsVisible() || !m_pManager) return;
    RECT r = rect;
    for (CControlUI* p = m_pParent; p; p = p->Parent())
        if (!::IntersectRect(&r, &r, &p->Rect())) return;
    if (::IsRectEmpty(&r)) return;
    m_pManager->Invalidate(r);
}

void CControlUI::Invalidate()
{
    InvalidateClipped(m_rcItem);
}

void CControlUI::MarkForLayout()
{
    if (!IsVisible()) return;
    m_bNeedsLayout = true;
    Invalidate();
    if (m_pManager) m_pManager->SetUpdateNeeded();
}

void CControlUI::MarkParentForLayout()
{
    if (m_pParent) {
        if (m_pParent->IsVisible()) {
            m_pParent->m_bNeedsLayout = true;
            m_pParent->Invalidate();
        }
    } else {
        m_bNeedsLayout = true;
    }
    if (m_pManager) m_pManager->SetUpdateNeeded();
}

void CControlUI::RequestSizeLayout()
{
    // A float control is placed by its parent from its offset and size; laid
    // out on its own in its current rectangle it would take back its old size.
    if (m_bFloat && !m_pParent)
        MarkForLayout();
    else
        MarkParentForLayout();
}

// ---------------------------------------------------------------- painting

void CControlUI::Paint(HDC hdc, const RECT& paint)
{
    if (!::IntersectRect(&m_rcPaint, &paint, &m_rcItem)) return;
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0) {
        CRenderClip clip(hdc, m_rcItem, m_cxyBorderRound.cx, m_cxyBorderRound.cy);
        PaintBackgroundColour(hdc);
        PaintBackgroundImage(hdc);
        PaintStateImage(hdc);
        PaintLabel(hdc);
        PaintFrame(hdc);
        return;
    }
    PaintBackgroundColour(hdc);
    PaintBackgroundImage(hdc);
    PaintStateImage(hdc);
    PaintLabel(hdc);
    PaintFrame(hdc);
}

void CControlUI::PaintBackgroundColour(HDC hdc)
{
    if (m_dwBackColour == 0) return;
    if (m_dwBackColour2 == 0) {
        // An opaque colour only needs the part being painted.
        CSkinRenderer::FillColour(hdc, (m_dwBackColour >> 24) == 0xFF ? m_rcPaint : m_rcItem, m_dwBackColour);
        return;
    }
    if (m_dwBackColour3 == 0) {
        CSkinRenderer::DrawGradient(hdc, m_rcItem, m_dwBackColour, m_dwBackColour2, 16);
        return;
    }
    RECT top = m_rcItem;
    top.bottom = m_rcItem.top + (m_rcItem.bottom - m_rcItem.top) / 2;
    RECT bottom = m_rcItem;
    bottom.top = top.bottom;
    CSkinRenderer::DrawGradient(hdc, top, m_dwBackColour, m_dwBackColour2, 8);
    CSkinRenderer::DrawGradient(hdc, bottom, m_dwBackColour2, m_dwBackColour3, 8);
}

void CControlUI::PaintBackgroundImage(HDC hdc)
{
    if (m_sBkImage.IsEmpty()) return;
    DrawImage(hdc, m_sBkImage);
}

void CControlUI::PaintStateImage(HDC)
{
}

void CControlUI::PaintLabel(HDC)
{
}

void CControlUI::PaintFrame(HDC hdc)
{
    if (m_dwBorderColour == 0 && m_dwFocusBorderColour == 0) return;
    const bool focusColour = m_bFocused && m_dwFocusBorderColour != 0;
    if (m_nBorderSize > 0 && (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)) {
        const DWORD colour = focusColour ? m_dwFocusBorderColour : m_dwBorderColour;
        if (colour != 0)
            CSkinRenderer::DrawRoundRectOutline(hdc, m_rcItem, m_nBorderSize, m_cxyBorderRound.cx,
                                                m_cxyBorderRound.cy, colour);
        return;
    }
    if (focusColour && m_nBorderSize > 0) {
        CSkinRenderer::DrawRectOutline(hdc, m_rcItem, m_nBorderSize, m_dwFocusBorderColour);
        return;
    }
    // Colour 0 means none: a control with only a focus colour draws no frame
    // while it is not focused.
    if (m_dwBorderColour == 0) return;
    const RECT& s = m_rcBorderSize;
    if (s.left > 0 || s.top > 0 || s.right > 0 || s.bottom > 0) {
        // Each side a line of its width along the inside of its edge.
        const RECT& r = m_rcItem;
        if (s.left > 0) {
            const int x = r.left + s.left / 2;
            CSkinRenderer::DrawLine(hdc, {x, r.top, x, r.bottom}, s.left, m_dwBorderColour, m_nBorderStyle);
        }
        if (s.top > 0) {
            const int y = r.top + s.top / 2;
            CSkinRenderer::DrawLine(hdc, {r.left, y, r.right, y}, s.top, m_dwBorderColour, m_nBorderStyle);
        }
        if (s.right > 0) {
            const int x = r.right - (s.right + 1) / 2;
            CSkinRenderer::DrawLine(hdc, {x, r.top, x, r.bottom}, s.right, m_dwBorderColour, m_nBorderStyle);
        }
        if (s.bottom > 0) {
            const int y = r.bottom - (s.bottom + 1) / 2;
            CSkinRenderer::DrawLine(hdc, {r.left, y, r.right, y}, s.bottom, m_dwBorderColour, m_nBorderStyle);
        }
        return;
    }
    if (m_nBorderSize > 0) CSkinRenderer::DrawRectOutline(hdc, m_rcItem, m_nBorderSize, m_dwBorderColour);
}

void CControlUI::PaintAfterTree(HDC, const RECT&)
{
}

bool CControlUI::DrawImage(HDC hdc, CImageAttribute& image, const ImageDescriptorPair* modifier,
                           std::size_t modifierCount)
{
    // Without a manager there is no image cache to ask: keep the descriptor.
    if (image.IsEmpty() || !m_pManager) return false;
    const ImageDescriptorInput after =
        modifier ? ImageDescriptorInput::Read(modifier, modifierCount) : ImageDescriptorInput::Text({});
    if (CSkinRenderer::DrawImageDescriptor(hdc, m_pManager->RenderResources(), m_rcItem, m_rcPaint, image.Input(),
                                           after))
        return true;
    image.Clear();
    return false;
}

}  // namespace SkinUI
