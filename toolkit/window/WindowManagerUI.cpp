#include "toolkit/window/WindowManagerUI.h"

#include <algorithm>
#include <new>

#include "toolkit/controls/ControlUI.h"
#include "toolkit/core/VectorRoom.h"
#include "toolkit/package/SkinResources.h"
#include "toolkit/render/RetainedDc.h"
#include "toolkit/render/TextDrawing.h"
#include "toolkit/window/ControlEvents.h"
#include "toolkit/window/WindowDpi.h"

namespace SkinUI {
namespace {

// Reflected child notifications arrive as the message plus this base.
constexpr UINT kReflectBase = 0x2000;

HINSTANCE g_instance = nullptr;

CUiPtrArray& ManagerList()
{
    static CUiPtrArray managers;
    return managers;
}

CControlUI* FirstControl(CControlUI* control, void*)
{
    return control;
}

SIZE RescaleSize(SIZE size, const CDisplayScale& from, const CDisplayScale& to)
{
    return {Rescale(static_cast<int>(size.cx), from, to), Rescale(static_cast<int>(size.cy), from, to)};
}

RECT RescaleRect(const RECT& r, const CDisplayScale& from, const CDisplayScale& to)
{
    return {Rescale(static_cast<int>(r.left), from, to), Rescale(static_cast<int>(r.top), from, to),
            Rescale(static_cast<int>(r.right), from, to), Rescale(static_cast<int>(r.bottom), from, to)};
}

}  // namespace

CWindowManagerUI::CWindowManagerUI()
{
    // Nothing process-wide starts here: the common controls start with the
    // first tooltip, msimg32 with the first blend, GDI+ with the first text
    // that needs it. A window that is never shown needs none of them.
    m_measureDc.reset(::CreateCompatibleDC(nullptr));
    m_hDcPaint = m_measureDc.get();
}

CWindowManagerUI::~CWindowManagerUI()
{
    // The tree goes while every unit it reports to still exists.
    ReapQueuedControls();
    m_registry.Clear();
    m_pRoot.reset();
    DetachWindow();
}

bool CWindowManagerUI::StartUp(HINSTANCE instance)
{
    g_instance = instance;
    // File and zip skins are found beside this module, not in the current directory.
    SetSkinModuleInstance(instance);
    return CShadowUI::RegisterWindowClass(instance);
}

HINSTANCE CWindowManagerUI::Instance()
{
    return g_instance ? g_instance : ::GetModuleHandleW(nullptr);
}

const CUiPtrArray& CWindowManagerUI::AllManagers()
{
    return ManagerList();
}

// ---------------------------------------------------------------- the window

void CWindowManagerUI::ReleaseWindowDc() noexcept
{
    m_windowDc.reset();
    m_hDcPaint = m_measureDc.get();
}

void CWindowManagerUI::LeaveManagerList() noexcept
{
    CUiPtrArray& managers = ManagerList();
    managers.Remove(managers.Find(this));
}

void CWindowManagerUI::Attach(HWND hwnd)
{
    if (m_hWndPaint && m_hWndPaint != hwnd) DetachWindow();
    ReleaseWindowDc();
    m_surface.Drop();
    m_hWndPaint = hwnd;
    m_timers.SetWindow(hwnd);
    if (hwnd) {
        m_windowDc.emplace(hwnd);
        if (m_windowDc->get()) m_hDcPaint = m_windowDc->get();
        // Attached at creation, before the skin is read: it is built at
        // the window's scale from the start.
        ChangeDisplayScale(CDisplayScale(DpiForWindow(hwnd)));
    }
    // Metrics measured on another DC may differ.
    m_fonts.ForgetMetrics();
    CUiPtrArray& managers = ManagerList();
    if (hwnd && managers.Find(this) < 0) {
        try {
            managers.Add(this);
        } catch (const std::bad_alloc&) {
            // Unlisted, the window still works; only the message loop's
            // pre-translation passes it by.
        }
    }
}

void CWindowManagerUI::DetachWindow() noexcept
{
    m_timers.SetWindow(nullptr);  // kills them
    m_toolTip.Destroy();
    m_input.Detach();
    m_surface.Drop();
    ReleaseWindowDc();
    LeaveManagerList();
    m_hWndPaint = nullptr;
}

// ---------------------------------------------------------------- display scale

void CWindowManagerUI::ChangeDisplayScale(const CDisplayScale& scale)
{
    if (scale == m_scale) return;
    // Taken before anything changes: without memory for it the window
    // stays at the scale it has, whole.
    std::vector<CControlUI*> controls;
    try {
        controls = SubtreeOf(m_pRoot.get());
    } catch (const std::bad_alloc&) {
        return;
    }
    const CDisplayScale from = m_scale;
    m_scale = scale;
    m_szInitWindowSize = RescaleSize(m_szInitWindowSize, from, scale);
    m_szMinWindow = RescaleSize(m_szMinWindow, from, scale);
    m_szMaxWindow = RescaleSize(m_szMaxWindow, from, scale);
    m_rcSizeBox = RescaleRect(m_rcSizeBox, from, scale);
    m_rcCaption = RescaleRect(m_rcCaption, from, scale);
    m_szRoundCorner = RescaleSize(m_szRoundCorner, from, scale);
    // Dropped first: the surface may hold a font of the old scale selected.
    m_surface.Drop();
    m_fonts.SetDisplayScale(scale);
    m_images.SetDisplayScale(scale);
    m_shadow.SetDisplayScale(scale);
    for (CControlUI* control : controls) control->SetDisplayScale(scale);
    m_bUpdateNeeded = true;
    if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

// ---------------------------------------------------------------- the tree

bool CWindowManagerUI::AttachTree(CControlUI* root)
{
    FocusControl(nullptr);
    m_input.Reset();
    // The current root attached again stays alive; only a replaced one waits
    // for deletion. Out of memory the old tree stays, and the new root stays
    // the caller's.
    if (m_pRoot && m_pRoot.get() != root) {
        try {
            QueueForDeletion(m_pRoot.get());  // the queue's from here on
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    if (m_pRoot.get() != root) m_pRoot.reset(root);
    m_bFirstLayout = true;
    m_bUpdateNeeded = true;
    m_surface.MarkStale();
    m_focus.RequestFirstTabStop();
    // A replaced tree is laid out and painted like the first one.
    if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
    if (m_shadow.IsShowEnabled() && m_hWndPaint) m_shadow.Create(this, m_hWndPaint);
    if (!root) return false;
    root->AttachManager(this, nullptr, true);
    RegisterNames(root);
    return true;
}

CControlUI* CWindowManagerUI::FindByName(std::wstring_view name)
{
    return m_registry.Find(name);
}

CControlUI* CWindowManagerUI::FindAt(POINT pt) const
{
    if (!m_pRoot) return nullptr;
    return m_pRoot->Search(FirstControl, &pt, FIND_VISIBLE | FIND_HITTEST | FIND_TOP_FIRST);
}

void CWindowManagerUI::RegisterNames(CControlUI* subtree)
{
    m_registry.RegisterSubtree(subtree);
}

void CWindowManagerUI::ForgetControl(CControlUI* control)
{
    if (!control) return;
    ++m_ulForgotten;
    m_focus.Forget(control);
    m_input.Forget(control);
    m_timers.Forget(control);
    m_hooks.ForgetOwner(control);
    m_registry.Forget(control);
}

void CWindowManagerUI::QueueForDeletion(CControlUI* subtree)
{
    if (!subtree) return;
    if (std::any_of(m_delayedCleanup.begin(), m_delayedCleanup.end(),
                    [subtree](const std::unique_ptr<CControlUI>& queued) { return queued.get() == subtree; }))
        return;
    // Everything that can fail comes first: the caller keeps the subtree then.
    ReserveOneMore(m_delayedCleanup);
    const std::vector<CControlUI*> controls = SubtreeOf(subtree);
    m_delayedCleanup.emplace_back(subtree);
    // One owner: the root queued goes from the tree.
    if (subtree == m_pRoot.get()) m_pRoot.release();
    // Giving back a held mouse lets the window's filters run: the queue is
    // complete before.
    for (CControlUI* control : controls) ForgetControl(control);
    subtree->AttachManager(nullptr, nullptr, false);
    if (m_hWndPaint) ::PostMessageW(m_hWndPaint, WM_REAP_OLD_TREE, 0, 0);
}

void CWindowManagerUI::ReapQueuedControls()
{
    // Deleting a control may queue more; take the list first.
    while (!m_delayedCleanup.empty()) {
        std::vector<std::unique_ptr<CControlUI>> queued;
        queued.swap(m_delayedCleanup);
        queued.clear();
    }
}

// ---------------------------------------------------------------- hooks

bool CWindowManagerUI::AddPreFilter(IMessageFilterUI* filter)
{
    return m_hooks.PreFilters().Add(filter, nullptr);
}

bool CWindowManagerUI::RemovePreFilter(IMessageFilterUI* filter)
{
    return m_hooks.PreFilters().Remove(filter);
}

bool CWindowManagerUI::AddHandlerFilter(IMessageFilterUI* filter)
{
    return m_hooks.HandlerFilters().Add(filter, nullptr);
}

bool CWindowManagerUI::AddHandlerFilter(CControlUI* owner, IMessageFilterUI* filter)
{
    return m_hooks.HandlerFilters().Add(filter, owner);
}

bool CWindowManagerUI::RemoveHandlerFilter(IMessageFilterUI* filter)
{
    return m_hooks.HandlerFilters().Remove(filter);
}

bool CWindowManagerUI::AddAccelerator(ITranslateAccelerator* accelerator)
{
    return m_hooks.Accelerators().Add(accelerator, nullptr);
}

bool CWindowManagerUI::AddAccelerator(CControlUI* owner, ITranslateAccelerator* accelerator)
{
    return m_hooks.Accelerators().Add(accelerator, owner);
}

bool CWindowManagerUI::RemoveAccelerator(ITranslateAccelerator* accelerator)
{
    return m_hooks.Accelerators().Remove(accelerator);
}

// One message the manager works on; the outermost one's end lets a reap
// that arrived in a nested loop happen (from the message loop).
class CWindowManagerUI::DispatchScope {
public:
    explicit DispatchScope(CWindowManagerUI& manager) noexcept : m_manager(manager) { ++m_manager.m_nDispatchDepth; }
    ~DispatchScope()
    {
        if (--m_manager.m_nDispatchDepth != 0 || !m_manager.m_bReapPending) return;
        m_manager.m_bReapPending = false;
        if (m_manager.m_hWndPaint) ::PostMessageW(m_manager.m_hWndPaint, WM_REAP_OLD_TREE, 0, 0);
    }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

private:
    CWindowManagerUI& m_manager;
};

bool CWindowManagerUI::TranslateAccelerator(MSG* msg) noexcept
{
    try {
        const DispatchScope scope(*this);
        return m_hooks.Translate(msg);
    } catch (...) {
        return false;
    }
}

// ---------------------------------------------------------------- window messages

bool CWindowManagerUI::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept
{
    result = 0;
    if (message == WM_NCDESTROY) {
        DetachWindow();
        return false;
    }
    try {
        const DispatchScope scope(*this);
        return DispatchWindowMessage(message, wParam, lParam, result);
    } catch (...) {
        // Out of memory, or a handler's exception: the message is left to
        // the default procedure, and nothing crosses the window procedure.
        result = 0;
        return false;
    }
}

bool CWindowManagerUI::DispatchWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!m_hWndPaint) return false;
    if (m_hooks.RunHandlerFilters(message, wParam, lParam, result)) return true;
    result = 0;
    // A filter may have destroyed the window.
    if (!m_hWndPaint) return false;

    switch (message) {
    case WM_CLOSE:
        OnClose();
        return false;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_SIZE:
        OnSize(wParam, lParam);
        return true;
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_MOUSEHOVER:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
    case WM_SETCURSOR:
        return m_input.OnMouseMessage(message, wParam, lParam, result);
    case WM_CAPTURECHANGED:
        m_input.OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        return false;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        m_input.OnKeyMessage(message, wParam, lParam);
        return false;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (!info) return false;
        if (m_szMinWindow.cx > 0) info->ptMinTrackSize.x = m_szMinWindow.cx;
        if (m_szMinWindow.cy > 0) info->ptMinTrackSize.y = m_szMinWindow.cy;
        if (m_szMaxWindow.cx > 0) info->ptMaxTrackSize.x = m_szMaxWindow.cx;
        if (m_szMaxWindow.cy > 0) info->ptMaxTrackSize.y = m_szMaxWindow.cy;
        return false;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header || !header->hwndFrom) return false;
        result = ::SendMessageW(header->hwndFrom, message + kReflectBase, wParam, lParam);
        return true;
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (lParam == 0) return false;
        result = ::SendMessageW(reinterpret_cast<HWND>(lParam), message + kReflectBase, wParam, lParam);
        return true;
    case WM_SETTINGCHANGE:
        // Font smoothing may have changed: texts are drawn afresh.
        ForgetKeptDrawings(m_surface.Dc());
        return false;
    case WM_REAP_OLD_TREE:
        // Arrived in a loop nested in another message of this window (a
        // click handler's modal box): the controls may still be on the stack.
        if (m_nDispatchDepth > 1)
            m_bReapPending = true;
        else
            ReapQueuedControls();
        return true;
    default:
        return false;
    }
}

void CWindowManagerUI::OnClose()
{
    // Hover, press and focus end before the window goes away; the press
    // lets go without a click.
    m_input.ReleaseForClose();
    FocusControl(nullptr);
    if (!m_hWndPaint) return;
    if (HWND owner = ::GetWindow(m_hWndPaint, GW_OWNER)) ::SetFocus(owner);
}

void CWindowManagerUI::OnSize(WPARAM wParam, LPARAM lParam)
{
    if (CControlUI* focus = FocusedControl()) {
        TEventRecord event = MakeControlEvent(EV_WINDOWSIZE, focus, LastMousePosition());
        event.wParam = wParam;
        event.lParam = lParam;
        focus->DispatchEvent(event);
    }
    // Read after the event, whose handlers may have replaced the tree.
    if (m_pRoot && m_pRoot->IsVisible()) m_pRoot->MarkForLayout();
    m_bUpdateNeeded = true;
    if (wParam != SIZE_MINIMIZED) m_surface.MarkRestored();
}

void CWindowManagerUI::OnTimer(UINT_PTR nativeId)
{
    UINT timerId = 0;
    CControlUI* control = m_timers.ControlFor(nativeId, &timerId);
    if (!control) return;  // the caret (241) of edit controls, which the skins do not use, or a stale tick
    TEventRecord event = MakeControlEvent(EV_TIMER, control, LastMousePosition());
    event.wParam = timerId;
    control->DispatchEvent(event);
}

bool CWindowManagerUI::PreHandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    try {
        const DispatchScope scope(*this);
        return DispatchQueuedMessage(message, wParam, lParam);
    } catch (...) {
        return false;
    }
}

bool CWindowManagerUI::DispatchQueuedMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_hooks.RunPreFilters(message, wParam, lParam)) return true;
    switch (message) {
    case WM_KEYDOWN:
        if (wParam != VK_TAB) return false;
        FocusNextTabStop(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    case WM_SYSKEYDOWN:
        m_input.OnSysKeyDown(wParam, lParam);
        return false;
    case WM_SYSCHAR:
        return m_focus.ActivateShortcut(static_cast<wchar_t>(wParam));
    default:
        return false;
    }
}

// ---------------------------------------------------------------- invalidation, layout and painting

void CWindowManagerUI::Invalidate(const RECT& rect)
{
    if (::IsRectEmpty(&rect)) return;
    if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, &rect, FALSE);
    m_surface.RecordInvalid(rect);
}

void CWindowManagerUI::UpdateLayout(const RECT& client)
{
    m_bLayoutFailed = false;
    if (!m_pRoot) return;
    if (m_bUpdateNeeded) {
        m_bUpdateNeeded = false;
        try {
            if (!::IsRectEmpty(&client)) {
                if (m_pRoot->NeedsLayout()) {
                    if (!m_hWndPaint || !::IsIconic(m_hWndPaint)) m_pRoot->Place(client);
                } else {
                    LayOutControlsThatNeedIt();
                }
            }
        } catch (const std::bad_alloc&) {
            // Laid out again at the next paint; no "windowinit" before.
            m_bUpdateNeeded = true;
            m_bLayoutFailed = true;
            return;
        }
        if (m_bFirstLayout && m_pRoot) {
            m_bFirstLayout = false;
            RaiseNotify(m_pRoot.get(), L"windowinit");
        }
    }
    if (m_focus.IsFocusNeeded()) FocusNextTabStop(true);
}

void CWindowManagerUI::LayOutControlsThatNeedIt()
{
    // Parents come before their children; placing a parent also places its
    // children, which then no longer need it. Placing runs size listeners,
    // which may take controls out of the tree: then the walk is taken again
    // (what was placed needs no layout any more). A tree that keeps changing
    // finishes at the next paint.
    constexpr int kWalks = 16;
    for (int pass = 0; pass < kWalks; ++pass) {
        const unsigned long changes = m_ulForgotten;
        bool changed = false;
        for (CControlUI* control : SubtreeOf(m_pRoot.get(), FIND_VISIBLE | FIND_ME_FIRST)) {
            if (!control->NeedsLayout()) continue;
            control->Place(control->Rect());
            if (m_ulForgotten != changes) {
                changed = true;
                break;
            }
        }
        if (!changed) return;
    }
    m_bUpdateNeeded = true;
}

void CWindowManagerUI::PaintTree(HDC hdc, const RECT& paint)
{
    if (!m_pRoot || !hdc) return;
    m_pRoot->Paint(hdc, paint);
    const std::vector<CControlUI*>& after = m_registry.PaintAfterTree();
    for (std::size_t i = 0; i < after.size(); ++i) after[i]->PaintAfterTree(hdc, paint);
}

void CWindowManagerUI::AddPaintAfterTree(CControlUI* control)
{
    m_registry.AddPaintAfterTree(control);
}

namespace {

// BeginPaint and, whatever happens in between, EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) noexcept : m_hwnd(hwnd), m_dc(::BeginPaint(hwnd, &m_ps)) {}
    ~PaintScope() { ::EndPaint(m_hwnd, &m_ps); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const noexcept { return m_dc; }
    const RECT& Area() const noexcept { return m_ps.rcPaint; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps{};
    HDC m_dc;
};

}  // namespace

void CWindowManagerUI::OnPaint()
{
    RECT update{};
    if (!::GetUpdateRect(m_hWndPaint, &update, FALSE)) return;
    const HWND hwnd = m_hWndPaint;
    if (m_pRoot) {
        // The layout runs before the paint begins: what it invalidates (every
        // control it places) joins this paint instead of asking for another.
        RECT client{};
        ::GetClientRect(hwnd, &client);
        UpdateLayout(client);  // also raises a pending "windowinit" and moves a requested focus
        // "windowinit" and the focus run foreign code: the window may be gone.
        if (m_hWndPaint != hwnd) return;
    }
    {
        PaintScope paint(hwnd);
        if (m_pRoot) PaintWindow(hwnd, paint.Dc(), paint.Area());
    }
    // A layout requested while painting runs at the next paint; one that
    // failed for want of memory waits for the next invalidation instead of
    // spinning.
    if (m_bUpdateNeeded && !m_bLayoutFailed && m_hWndPaint) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

void CWindowManagerUI::PaintWindow(HWND hwnd, HDC windowDc, const RECT& area)
{
    RECT client{};
    ::GetClientRect(hwnd, &client);
    // Taken first: what is invalidated while the tree paints waits for the next paint.
    const RECT stale = m_surface.TakeInvalid();
    if (m_bBackgroundTransparent)
        m_surface.PaintLayered(hwnd, windowDc, client, area, stale,
                               [this](HDC dc, const RECT& paint) { PaintTree(dc, paint); });
    else if (m_bOffscreenPaint)
        PaintOffscreen(windowDc, client, area, stale);
    else
        PaintTree(windowDc, area);
}

void CWindowManagerUI::PaintOffscreen(HDC target, const RECT& client, const RECT& area, const RECT& stale)
{
    m_surface.PaintOffscreen(target, client, area, stale, [this](HDC dc, const RECT& paint) { PaintTree(dc, paint); });
}

// ---------------------------------------------------------------- focus

void CWindowManagerUI::FocusControl(CControlUI* control)
{
    m_focus.FocusControl(control);
}

void CWindowManagerUI::FocusNextTabStop(bool forward)
{
    try {
        m_focus.FocusNextTabStop(forward);
    } catch (const std::bad_alloc&) {
        // No walk of the tree without memory: the focus stays where it is.
    }
}

// ---------------------------------------------------------------- notifications

void CWindowManagerUI::RaiseNotify(CControlUI* sender, std::wstring_view type, WPARAM wParam, LPARAM lParam)
{
    TNotifyRecord record;
    record.sType = type;
    record.pSender = sender;
    record.dwTimestamp = ::GetTickCount();
    record.ptMouse = LastMousePosition();
    record.wParam = wParam;
    record.lParam = lParam;
    if (m_bUsesVirtualWindows) {
        for (CControlUI* c = sender; c; c = c->Parent()) {
            if (!c->VirtualWindow().IsEmpty()) {
                record.sVirtualWnd = c->VirtualWindow();
                break;
            }
        }
    }
    m_notifyTargets.Deliver(record);
}

bool CWindowManagerUI::AddNotifyTarget(INotifyUI* target)
{
    return m_notifyTargets.Add(target);
}

bool CWindowManagerUI::RemoveNotifyTarget(INotifyUI* target)
{
    return m_notifyTargets.Remove(target);
}

// ---------------------------------------------------------------- timers

bool CWindowManagerUI::StartControlTimer(CControlUI* control, UINT timerId, UINT elapseMs)
{
    return m_timers.Start(control, timerId, elapseMs);
}

bool CWindowManagerUI::StopControlTimer(CControlUI* control, UINT timerId)
{
    return m_timers.Stop(control, timerId);
}

CControlUI* CWindowManagerUI::ControlForTimer(UINT_PTR nativeId, UINT* timerId) const
{
    return m_timers.ControlFor(nativeId, timerId);
}

UINT_PTR CWindowManagerUI::NativeTimerId(CControlUI* control, UINT timerId) const
{
    return m_timers.NativeId(control, timerId);
}

// ---------------------------------------------------------------- resources

HFONT CWindowManagerUI::AppendFont(std::wstring_view face, int size, bool bold, bool underline, bool italic)
{
    return m_fonts.Append(face, size, bold, underline, italic);
}

bool CWindowManagerUI::AddFont(std::wstring_view face, int size, bool bold, bool underline, bool italic)
{
    return m_fonts.Add(face, size, bold, underline, italic);
}

bool CWindowManagerUI::SetDefaultFont(std::wstring_view face, int size, bool bold, bool underline, bool italic)
{
    // The surface may hold the font being replaced selected.
    ReleaseTextStateIn(m_surface.Dc());
    return m_fonts.SetDefault(face, size, bold, underline, italic);
}

const TImageInfo* CWindowManagerUI::LoadImageEntry(std::wstring_view name, std::wstring_view type, DWORD mask)
{
    return m_images.Load(name, type, mask);
}

const TImageInfo* CWindowManagerUI::ImageFor(std::wstring_view name)
{
    return m_images.Find(name);
}

bool CWindowManagerUI::SetDefaultAttributes(std::wstring_view elementName, std::wstring_view list)
{
    return m_defaultAttributes.Set(elementName, list);
}

const CUiString* CWindowManagerUI::DefaultAttributesFor(std::wstring_view elementName)
{
    return m_defaultAttributes.Find(elementName);
}

}  // namespace SkinUI
