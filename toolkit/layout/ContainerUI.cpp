#include "toolkit/layout/ContainerUI.h"

#include <algorithm>
#include <climits>
#include <new>
#include <optional>
#include <typeinfo>

#include "toolkit/core/LayoutArithmetic.h"
#include "toolkit/render/SkinRenderer.h"
#include "toolkit/core/SkinValue.h"
#include "toolkit/controls/ButtonUI.h"
#include "toolkit/core/VectorRoom.h"
#include "toolkit/controls/ControlHostUI.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/layout/HorizontalLayoutUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"

namespace SkinUI {

namespace {

// One axis of a float child: an offset of 0 or more counts from the near
// edge, a negative one from the far edge.
void PlaceOnAxis(long long nearEdge, long long farEdge, long long offset, long long size, long long& from,
                 long long& to)
{
    if (offset >= 0) {
        from = nearEdge + offset;
        to = from + size;
    } else {
        to = farEdge + offset;
        from = to - size;
    }
}

}  // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI()
{
    // The list is empty while the children go, should one of them look.
    std::vector<std::unique_ptr<CControlUI>> children;
    children.swap(m_items);
    for (std::unique_ptr<CControlUI>& child : children) {
        if (m_bAutoDestroy)
            child.reset();
        else
            child.release();  // still the owner's who added it
    }
}

std::wstring_view CContainerUI::ClassName() const
{
    return L"ContainerUI";
}

void* CContainerUI::InterfaceFor(std::wstring_view name)
{
    if (name == L"IContainer") return static_cast<IContainerUI*>(this);
    if (name == L"Container") return this;
    return CControlUI::InterfaceFor(name);
}

// ---------------------------------------------------------------- children

CControlUI* CContainerUI::ChildAt(int index) const
{
    if (index < 0 || index >= ChildCount()) return nullptr;
    return m_items[static_cast<std::size_t>(index)].get();
}

int CContainerUI::IndexOf(CControlUI* child) const
{
    if (!child) return -1;
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == child) return static_cast<int>(i);
    return -1;
}

int CContainerUI::ChildCount() const
{
    return static_cast<int>(m_items.size());
}

bool CContainerUI::MoveChildTo(CControlUI* child, int index)
{
    const int from = IndexOf(child);
    if (from < 0 || index < 0 || index >= ChildCount()) return false;
    if (IsVisible()) MarkForLayout();
    const auto at = m_items.begin();
    if (from < index)
        std::rotate(at + from, at + from + 1, at + index + 1);
    else
        std::rotate(at + index, at + from, at + from + 1);
    return true;
}

bool CContainerUI::Add(CControlUI* child)
{
    return AddAt(child, ChildCount());
}

bool CContainerUI::AddAt(CControlUI* child, int index)
{
    if (!child || index < 0 || index > ChildCount()) return false;
    // The slot first: a child that cannot be held stays the caller's, untouched.
    try {
        ReserveOneMore(m_items);
    } catch (const std::bad_alloc&) {
        return false;
    }
    child->AttachManager(m_pManager, this, m_pManager != nullptr);
    if (m_pManager) m_pManager->RegisterNames(child);
    if (!IsVisible())
        child->SetInnerVisible(false);
    else
        MarkForLayout();
    m_items.insert(m_items.begin() + index, std::unique_ptr<CControlUI>(child));
    return true;
}

bool CContainerUI::Remove(CControlUI* child)
{
    const int index = IndexOf(child);
    if (index < 0) return false;
    return RemoveAt(index);
}

bool CContainerUI::RemoveAt(int index)
{
    if (index < 0 || index >= ChildCount()) return false;
    std::unique_ptr<CControlUI>& slot = m_items[static_cast<std::size_t>(index)];
    // Deleted at once only once it is out of the list.
    std::unique_ptr<CControlUI> child;
    if (m_bAutoDestroy && !(m_bDelayedDestroy && m_pManager)) {
        child = std::move(slot);
    } else {
        try {
            DisposeChild(slot);
        } catch (const std::bad_alloc&) {
            return false;  // still a child
        }
    }
    m_items.erase(m_items.begin() + index);
    if (IsVisible()) MarkForLayout();
    return true;
}

void CContainerUI::RemoveAll()
{
    std::vector<std::unique_ptr<CControlUI>> children;
    children.swap(m_items);
    try {
        for (std::unique_ptr<CControlUI>& child : children) DisposeChild(child);
    } catch (const std::bad_alloc&) {
        // The children that could not be queued for deletion stay.
        children.erase(std::remove(children.begin(), children.end(), nullptr), children.end());
        m_items.swap(children);
    }
    if (IsVisible()) MarkForLayout();
}

void CContainerUI::DisposeChild(std::unique_ptr<CControlUI>& child)
{
    if (!child) return;
    if (!m_bAutoDestroy) {
        // Out of the tree, it leaves the window too.
        child->AttachManager(nullptr, nullptr, false);
        child.release();
        return;
    }
    // Removal may happen inside the child's own event handling: then it is
    // deleted only once the call chain has returned to the message loop.
    if (m_bDelayedDestroy && m_pManager) {
        m_pManager->QueueForDeletion(child.get());
        child.release();  // the manager's now
        return;
    }
    child.reset();
}

// ---------------------------------------------------------------- state

void CContainerUI::AttachManager(IControlHostUI* manager, CControlUI* parent, bool initialise)
{
    // Children first, so initialisation runs children before parents.
    for (const std::unique_ptr<CControlUI>& child : m_items) child->AttachManager(manager, this, initialise);
    CControlUI::AttachManager(manager, parent, initialise);
}

void CContainerUI::SetVisible(bool visible)
{
    if (m_bVisible == visible) return;
    CControlUI::SetVisible(visible);
    for (int i = 0; i < ChildCount(); ++i) ChildAt(i)->SetInnerVisible(IsVisible());
}

void CContainerUI::SetInnerVisible(bool visible)
{
    CControlUI::SetInnerVisible(visible);
    for (int i = 0; i < ChildCount(); ++i) ChildAt(i)->SetInnerVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool enabled)
{
    CControlUI::SetEnabled(enabled);
    for (int i = 0; i < ChildCount(); ++i) ChildAt(i)->SetEnabled(enabled);
    Invalidate();
}

void CContainerUI::HandleEvent(TEventRecord& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.nType)) {
        if (m_pParent) m_pParent->HandleEvent(event);
        return;
    }
    if (TakeFocusEvent(event)) return;  // a label or container shows no focus
    CControlUI::HandleEvent(event);
}

void CContainerUI::ApplyAttribute(std::wstring_view name, std::wstring_view value)
{
    if (name == L"inset") {
        const SkinRect r = m_scale.Scale(ParseSkinRect(value));
        SetInset({r.left, r.top, r.right, r.bottom});
    } else if (name == L"childpadding") {
        SetChildPadding(Scaled(ParseSkinInt(value)));
    } else if (name == L"mousechild") {
        SetMouseChildEnabled(ParseSkinBool(value));
    } else if (name == L"scrollstepsize") {
        m_nScrollStepSize = Scaled(ParseSkinInt(value));
    } else {
        CControlUI::ApplyAttribute(name, value);
    }
}

void CContainerUI::ScaleGeometry(const CDisplayScale& from, const CDisplayScale& to)
{
    CControlUI::ScaleGeometry(from, to);
    const SkinRect inset = Rescale(SkinRect{static_cast<int>(m_rcInset.left), static_cast<int>(m_rcInset.top),
                                            static_cast<int>(m_rcInset.right), static_cast<int>(m_rcInset.bottom)},
                                   from, to);
    m_rcInset = {inset.left, inset.top, inset.right, inset.bottom};
    m_iChildPadding = Rescale(m_iChildPadding, from, to);
    m_nScrollStepSize = Rescale(m_nScrollStepSize, from, to);
}

RECT CContainerUI::Inset() const
{
    return m_rcInset;
}

void CContainerUI::SetInset(const RECT& inset)
{
    m_rcInset = inset;
    MarkForLayout();
}

int CContainerUI::ChildPadding() const
{
    return m_iChildPadding;
}

void CContainerUI::SetChildPadding(int padding)
{
    m_iChildPadding = padding;
    MarkForLayout();
}

bool CContainerUI::IsAutoDestroy() const
{
    return m_bAutoDestroy;
}

void CContainerUI::SetAutoDestroy(bool on)
{
    m_bAutoDestroy = on;
}

bool CContainerUI::IsDelayedDestroy() const
{
    return m_bDelayedDestroy;
}

void CContainerUI::SetDelayedDestroy(bool on)
{
    m_bDelayedDestroy = on;
}

bool CContainerUI::IsMouseChildEnabled() const
{
    return m_bMouseChildEnabled;
}

void CContainerUI::SetMouseChildEnabled(bool on)
{
    m_bMouseChildEnabled = on;
}

RECT CContainerUI::ContentRect() const
{
    // Sums in 64 bits: no inset wraps an edge around.
    const RECT& r = m_rcItem;
    const RECT& inset = m_rcInset;
    return {ClampLayoutValue(static_cast<long long>(r.left) + inset.left),
            ClampLayoutValue(static_cast<long long>(r.top) + inset.top),
            ClampLayoutValue(static_cast<long long>(r.right) - inset.right),
            ClampLayoutValue(static_cast<long long>(r.bottom) - inset.bottom)};
}

// ---------------------------------------------------------------- placement

void CContainerUI::Place(const RECT& rect)
{
    CControlUI::Place(rect);
    const RECT content = ContentRect();
    for (int i = 0; i < ChildCount(); ++i) {
        CControlUI* child = ChildAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat())
            PlaceFloatChild(child);
        else
            child->Place(content);
    }
}

void CContainerUI::PlaceFloatChild(CControlUI* child)
{
    if (!child) return;
    const RECT& r = m_rcItem;
    const SIZE offset = child->FloatOffset();
    const long long w = child->FixedWidth();
    const long long h = child->FixedHeight();
    long long left, top, right, bottom;
    PlaceOnAxis(r.left, r.right, offset.cx, w, left, right);
    PlaceOnAxis(r.top, r.bottom, offset.cy, h, top, bottom);
    const TRelativePlacement relative = child->RelativePlacement();
    if (relative.bRelative) {
        const SIZE now = {r.right - r.left, r.bottom - r.top};
        if (relative.szParent.cx != 0 || relative.szParent.cy != 0) {
            // Placement keeps offset and size in step with each rectangle, so
            // only the change since the last placement is applied.
            const long long dx = static_cast<long long>(now.cx) - relative.szParent.cx;
            const long long dy = static_cast<long long>(now.cy) - relative.szParent.cy;
            left += dx * relative.nMoveXPercent / 100;
            right += dx * relative.nMoveXPercent / 100 + dx * relative.nZoomXPercent / 100;
            top += dy * relative.nMoveYPercent / 100;
            bottom += dy * relative.nMoveYPercent / 100 + dy * relative.nZoomYPercent / 100;
        }
        child->SetRelativeParentSize(now);
    }
    child->Place({ClampLayoutValue(left), ClampLayoutValue(top), ClampLayoutValue(right), ClampLayoutValue(bottom)});
}

// ---------------------------------------------------------------- painting

namespace {

bool Contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The toolkit's own classes paint inside their rectangles unless their
// attributes say otherwise (PaintsOutsideRect). Any other class (a hosted
// ActiveX control, an application's own control) may paint anywhere and is
// always clipped to what its parent allows.
bool IsOwnPainter(const CControlUI* control)
{
    const std::type_info& type = typeid(*control);
    return type == typeid(CControlUI) || type == typeid(CLabelUI) || type == typeid(CButtonUI) ||
           type == typeid(CProgressUI) || type == typeid(CContainerUI) || type == typeid(CVerticalLayoutUI) ||
           type == typeid(CHorizontalLayoutUI) || type == typeid(CTabLayoutUI);
}

// Whether the DC's clip already keeps drawing inside `rect`.
bool ClipWithin(HDC hdc, const RECT& rect)
{
    RECT box;
    const int kind = ::GetClipBox(hdc, &box);
    return kind == NULLREGION || (kind != ERROR && Contains(rect, box));
}

}  // namespace

bool CContainerUI::PaintsOpaque(CControlUI* control, const RECT& area)
{
    if (!control->IsVisible() || !IsOwnPainter(control) || !Contains(control->Rect(), area)) return false;
    if (control->BackgroundCoversRect()) return true;
    auto* container = dynamic_cast<CContainerUI*>(control);
    return container && container->ChildPaintsOpaque(area);
}

bool CContainerUI::ChildPaintsOpaque(const RECT& area) const
{
    // A child paints only inside the content rectangle, a float child inside
    // the container's.
    const bool inContent = Contains(ContentRect(), area);
    if (!inContent && !Contains(m_rcItem, area)) return false;
    for (int i = 0; i < ChildCount(); ++i) {
        CControlUI* child = ChildAt(i);
        if ((child->IsFloat() || inContent) && PaintsOpaque(child, area)) return true;
    }
    return false;
}

// A child is clipped only where it could draw outside what it may cover:
// its rectangle reaches beyond `bound`, or it is not sure to stay inside its
// rectangle. The paint rectangle itself is the container's concern.
void CContainerUI::PaintChild(HDC hdc, CControlUI* child, const RECT& paint, const RECT& bound, const RECT& clip)
{
    if (Contains(bound, child->Rect()) && IsOwnPainter(child) && !child->PaintsOutsideRect()) {
        child->Paint(hdc, paint);
        return;
    }
    CRenderClip clipped(hdc, clip);
    child->Paint(hdc, paint);
}

void CContainerUI::Paint(HDC hdc, const RECT& paint)
{
    RECT visible;
    if (!::IntersectRect(&visible, &paint, &m_rcItem)) return;
    // Everything below draws inside this rectangle: a clip is needed only
    // when the paint rectangle cuts it and no clip in force keeps to it.
    std::optional<CRenderClip> outer;
    if (!Contains(paint, m_rcItem) && !ClipWithin(hdc, visible)) outer.emplace(hdc, visible);
    // A background that a child covers whole (the white root under a page's
    // picture) is not painted to be painted over.
    if ((m_dwBackColour != 0 || !m_sBkImage.IsEmpty()) && ChildPaintsOpaque(visible))
        m_rcPaint = visible;
    else
        CControlUI::Paint(hdc, paint);
    if (ChildCount() == 0) return;

    const RECT content = ContentRect();
    RECT inner, meet;
    const bool contentMet = ::IntersectRect(&inner, &paint, &content) != FALSE;
    for (int i = 0; i < ChildCount(); ++i) {
        CControlUI* child = ChildAt(i);
        if (!child->IsVisible() || !::IntersectRect(&meet, &paint, &child->Rect())) continue;
        if (child->IsFloat()) {
            // Float children may extend into the inset.
            if (!::IntersectRect(&meet, &m_rcItem, &child->Rect())) continue;
            PaintChild(hdc, child, paint, m_rcItem, visible);
        } else {
            if (!contentMet || !::IntersectRect(&meet, &content, &child->Rect())) continue;
            PaintChild(hdc, child, paint, content, inner);
        }
    }
}

// ---------------------------------------------------------------- search

CControlUI* CContainerUI::Search(FindControlProc proc, void* data, UINT flags)
{
    if ((flags & FIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & FIND_ENABLED) && !IsEnabled()) return nullptr;
    const bool hitTest = (flags & FIND_HITTEST) != 0;
    POINT pt = {0, 0};
    if (hitTest) {
        if (!data) return nullptr;
        pt = *static_cast<const POINT*>(data);
        if (!::PtInRect(&m_rcItem, pt)) return nullptr;
        if (!m_bMouseChildEnabled) return CControlUI::Search(proc, data, flags);
    }
    if (flags & FIND_ME_FIRST) {
        if (CControlUI* found = CControlUI::Search(proc, data, flags)) return found;
    }
    const RECT content = ContentRect();
    const int count = ChildCount();
    for (int k = 0; k < count; ++k) {
        const int i = (flags & FIND_TOP_FIRST) ? count - 1 - k : k;
        CControlUI* child = ChildAt(i);
        if (!child) continue;
        CControlUI* found = child->Search(proc, data, flags);
        if (!found) continue;
        // A hit outside the content rectangle only counts for float children.
        if (hitTest && !child->IsFloat() && !::PtInRect(&content, pt)) continue;
        return found;
    }
    if (!(flags & FIND_ME_FIRST)) return CControlUI::Search(proc, data, flags);
    return nullptr;
}

}  // namespace SkinUI
