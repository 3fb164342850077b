#include "toolkit/window/WindowManagerUI.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <vector>

#include "toolkit/controls/ControlUI.h"
#include "toolkit/package/SkinFileReader.h"
#include "toolkit/package/SkinResources.h"
#include "toolkit/render/DibSection.h"
#include "toolkit/render/Msimg32Exports.h"

namespace SkinUI {
namespace {

// Reflected child notifications arrive as the message plus this base.
constexpr UINT kReflectBase = 0x2000;
// The text caret's timer; control timers never get this id.
constexpr UINT_PTR kCaretTimerId = 241;

HINSTANCE g_instance = nullptr;

CUiPtrArray& ManagerList()
{
    static CUiPtrArray managers;
    return managers;
}

CControlUI* CollectControl(CControlUI* control, void* data)
{
    static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
    return nullptr;
}

CControlUI* FirstControl(CControlUI* control, void*)
{
    return control;
}

// Every control of a subtree in walk order; without FIND_ME_FIRST each
// container comes after its children.
std::vector<CControlUI*> SubtreeOf(CControlUI* root, UINT flags = 0)
{
    std::vector<CControlUI*> controls;
    if (root) root->Search(CollectControl, &controls, flags);
    return controls;
}

// Mouse and modifier keys as controls read them.
WORD CurrentKeyState()
{
    WORD state = 0;
    if (::GetKeyState(VK_RBUTTON) < 0) state |= 0x01;
    if (::GetKeyState(VK_LBUTTON) < 0) state |= 0x02;
    if (::GetKeyState(VK_SHIFT) < 0) state |= 0x04;
    if (::GetKeyState(VK_CONTROL) < 0) state |= 0x08;
    if (::GetKeyState(VK_MENU) < 0) state |= 0x20;
    return state;
}

POINT PointOf(LPARAM lParam)
{
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

}  // namespace

CWindowManagerUI::CWindowManagerUI()
{
    // Once per process: the tooltip class lives in the common controls, and
    // drawing blends through msimg32.
    static const bool started = (::InitCommonControls(), Msimg32(), true);
    (void)started;

    // The default font: the system's GUI font description, default character set.
    LOGFONTW lf{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lf.lfCharSet = DEFAULT_CHARSET;
    m_defaultFont.hFont.reset(::CreateFontIndirectW(&lf));
    m_defaultFont.logFont = lf;
    m_defaultFont.sFontName = lf.lfFaceName;
    m_defaultFont.iSize = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    m_defaultFont.bBold = lf.lfWeight >= FW_BOLD;
    m_defaultFont.bUnderline = lf.lfUnderline != 0;
    m_defaultFont.bItalic = lf.lfItalic != 0;

    m_hDcMeasure.reset(::CreateCompatibleDC(nullptr));
    m_hDcPaint = m_hDcMeasure.get();
}

CWindowManagerUI::~CWindowManagerUI()
{
    ReapQueuedControls();
    m_mNameHash.RemoveAll();
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    delete root;

    for (int i = 0; i < m_aTimers.Count(); ++i) {
        auto* timer = static_cast<TTimerEntry*>(m_aTimers.At(i));
        if (!timer->bKilled && ::IsWindow(timer->hWnd)) ::KillTimer(timer->hWnd, timer->uNativeId);
        delete timer;
    }
    m_aTimers.Empty();
    for (int i = 0; i < m_aFonts.Count(); ++i) delete static_cast<TFontInfo*>(m_aFonts.At(i));
    m_aFonts.Empty();
    m_mImages.ForEach([](std::wstring_view, void* value) { delete static_cast<TImageInfo*>(value); });
    m_mImages.RemoveAll();
    m_mDefaultAttributes.ForEach([](std::wstring_view, void* value) { delete static_cast<CUiString*>(value); });
    m_mDefaultAttributes.RemoveAll();

    if (m_hwndTooltip && ::IsWindow(m_hwndTooltip)) ::DestroyWindow(m_hwndTooltip);
    m_hwndTooltip = nullptr;
    DropOffscreen();
    ReleaseWindowDc();
    CUiPtrArray& managers = ManagerList();
    managers.Remove(managers.Find(this));
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

void CWindowManagerUI::ReleaseWindowDc()
{
    if (m_hWndPaint && m_hDcPaint && m_hDcPaint != m_hDcMeasure.get()) ::ReleaseDC(m_hWndPaint, m_hDcPaint);
    m_hDcPaint = m_hDcMeasure.get();
}

void CWindowManagerUI::Attach(HWND hwnd)
{
    ReleaseWindowDc();
    DropOffscreen();
    m_hWndPaint = hwnd;
    HDC windowDc = hwnd ? ::GetDC(hwnd) : nullptr;
    m_hDcPaint = windowDc ? windowDc : m_hDcMeasure.get();
    // Metrics measured on another DC may differ.
    m_defaultFont.bMeasured = false;
    for (int i = 0; i < m_aFonts.Count(); ++i) static_cast<TFontInfo*>(m_aFonts.At(i))->bMeasured = false;
    CUiPtrArray& managers = ManagerList();
    if (hwnd && managers.Find(this) < 0) managers.Add(this);
}

// ---------------------------------------------------------------- the tree

bool CWindowManagerUI::AttachTree(CControlUI* root)
{
    FocusControl(nullptr);
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    m_pEventKey = nullptr;
    // The current root attached again stays alive; only a replaced one waits
    // for deletion.
    if (m_pRoot && m_pRoot != root) QueueForDeletion(m_pRoot);
    m_pRoot = root;
    m_bFirstLayout = true;
    m_bUpdateNeeded = true;
    m_bFocusNeeded = true;
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
    return static_cast<CControlUI*>(m_mNameHash.Find(name));
}

CControlUI* CWindowManagerUI::FindAt(POINT pt) const
{
    if (!m_pRoot) return nullptr;
    return m_pRoot->Search(FirstControl, &pt, FIND_VISIBLE | FIND_HITTEST | FIND_TOP_FIRST);
}

void CWindowManagerUI::RegisterNames(CControlUI* subtree)
{
    for (CControlUI* control : SubtreeOf(subtree))
        if (!control->Name().IsEmpty()) m_mNameHash.Set(control->Name().View(), control);
}

void CWindowManagerUI::ForgetControl(CControlUI* control)
{
    if (!control) return;
    if (m_pFocus == control) m_pFocus = nullptr;
    if (m_pEventHover == control) m_pEventHover = nullptr;
    if (m_pEventClick == control) {
        m_pEventClick = nullptr;
        ReleaseMouseCapture();
    }
    if (m_pEventKey == control) m_pEventKey = nullptr;
    for (int i = m_aTimers.Count() - 1; i >= 0; --i) {
        auto* timer = static_cast<TTimerEntry*>(m_aTimers.At(i));
        if (timer->pSender != control || timer->hWnd != m_hWndPaint) continue;
        if (!timer->bKilled && ::IsWindow(timer->hWnd)) ::KillTimer(timer->hWnd, timer->uNativeId);
        delete timer;
        m_aTimers.Remove(i);
    }
    if (!control->Name().IsEmpty() && m_mNameHash.Find(control->Name().View()) == control)
        m_mNameHash.Remove(control->Name().View());
    const int afterTree = m_aPaintAfterTree.Find(control);
    if (afterTree >= 0) m_aPaintAfterTree.Remove(afterTree);
}

void CWindowManagerUI::QueueForDeletion(CControlUI* subtree)
{
    if (!subtree) return;
    for (CControlUI* control : SubtreeOf(subtree)) ForgetControl(control);
    subtree->AttachManager(nullptr, nullptr, false);
    if (m_aDelayedCleanup.Find(subtree) < 0) m_aDelayedCleanup.Add(subtree);
    if (m_hWndPaint) ::PostMessageW(m_hWndPaint, WM_REAP_OLD_TREE, 0, 0);
}

void CWindowManagerUI::ReapQueuedControls()
{
    // Deleting a control may queue more; take the list first.
    while (!m_aDelayedCleanup.IsEmpty()) {
        CUiPtrArray queued(m_aDelayedCleanup);
        m_aDelayedCleanup.Empty();
        for (int i = 0; i < queued.Count(); ++i) delete static_cast<CControlUI*>(queued.At(i));
    }
}

// ---------------------------------------------------------------- window messages

bool CWindowManagerUI::AddPreFilter(IMessageFilterUI* filter)
{
    return filter && m_aPreFilters.Find(filter) < 0 && m_aPreFilters.Add(filter);
}

bool CWindowManagerUI::RemovePreFilter(IMessageFilterUI* filter)
{
    return m_aPreFilters.Remove(m_aPreFilters.Find(filter));
}

bool CWindowManagerUI::AddHandlerFilter(IMessageFilterUI* filter)
{
    return filter && m_aHandlerFilters.Find(filter) < 0 && m_aHandlerFilters.Add(filter);
}

bool CWindowManagerUI::RemoveHandlerFilter(IMessageFilterUI* filter)
{
    return m_aHandlerFilters.Remove(m_aHandlerFilters.Find(filter));
}

bool CWindowManagerUI::AddAccelerator(ITranslateAccelerator* accelerator)
{
    return accelerator && m_aAccelerators.Find(accelerator) < 0 && m_aAccelerators.Add(accelerator);
}

bool CWindowManagerUI::RemoveAccelerator(ITranslateAccelerator* accelerator)
{
    return m_aAccelerators.Remove(m_aAccelerators.Find(accelerator));
}

bool CWindowManagerUI::TranslateAccelerator(MSG* msg)
{
    // A filter may remove itself while it runs.
    CUiPtrArray accelerators(m_aAccelerators);
    for (int i = 0; i < accelerators.Count(); ++i) {
        auto* accelerator = static_cast<ITranslateAccelerator*>(accelerators.At(i));
        if (m_aAccelerators.Find(accelerator) >= 0 && accelerator->PreTranslate(msg) == 0) return true;
    }
    return false;
}

TEventRecord CWindowManagerUI::NewEvent(int type, CControlUI* sender) const
{
    TEventRecord event;
    event.nType = type;
    event.pSender = sender;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = m_ptLastMouse;
    return event;
}

void CWindowManagerUI::SendEvent(CControlUI* control, int type, WPARAM wParam, LPARAM lParam, WORD key,
                                 WORD keyState)
{
    if (!control) return;
    TEventRecord event = NewEvent(type, control);
    event.chKey = key;
    event.wKeyState = keyState;
    event.wParam = wParam;
    event.lParam = lParam;
    control->DispatchEvent(event);
}

bool CWindowManagerUI::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    if (!m_hWndPaint) return false;
    {
        CUiPtrArray filters(m_aHandlerFilters);
        for (int i = 0; i < filters.Count(); ++i) {
            auto* filter = static_cast<IMessageFilterUI*>(filters.At(i));
            if (m_aHandlerFilters.Find(filter) < 0) continue;
            bool handled = false;
            const LRESULT answer = filter->FilterMessage(message, wParam, lParam, handled);
            if (handled) {
                result = answer;
                return true;
            }
        }
    }

    switch (message) {
    case WM_CLOSE: {
        // Hover, press and focus end before the window goes away.
        if (CControlUI* hover = m_pEventHover) {
            m_pEventHover = nullptr;
            SendEvent(hover, EV_MOUSELEAVE, 0, 0, 0, CurrentKeyState());
        }
        if (CControlUI* click = m_pEventClick) {
            m_pEventClick = nullptr;
            ReleaseMouseCapture();
            SendEvent(click, EV_BUTTONUP, 0, 0, 0, CurrentKeyState());
        }
        FocusControl(nullptr);
        if (HWND owner = ::GetWindow(m_hWndPaint, GW_OWNER)) ::SetFocus(owner);
        return false;
    }
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_SIZE:
        if (m_pFocus) SendEvent(m_pFocus, EV_WINDOWSIZE, wParam, lParam);
        if (m_pRoot && m_pRoot->IsVisible()) m_pRoot->MarkForLayout();
        m_bUpdateNeeded = true;
        if (wParam != SIZE_MINIMIZED) m_bRestored = true;
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
        return OnMouseMessage(message, wParam, lParam, result);
    case WM_CAPTURECHANGED:
        // Someone else took the mouse: the press is over without a release.
        if (reinterpret_cast<HWND>(lParam) != m_hWndPaint) m_bMouseCapture = false;
        return false;
    case WM_KEYDOWN:
        if (m_pFocus) {
            m_pEventKey = m_pFocus;
            SendEvent(m_pFocus, EV_KEYDOWN, wParam, lParam, static_cast<WORD>(wParam), CurrentKeyState());
        }
        return false;
    case WM_KEYUP:
        if (CControlUI* key = m_pEventKey) {
            m_pEventKey = nullptr;
            SendEvent(key, EV_KEYUP, wParam, lParam, static_cast<WORD>(wParam), CurrentKeyState());
        }
        return false;
    case WM_CHAR:
        if (m_pFocus) SendEvent(m_pFocus, EV_CHAR, wParam, lParam, static_cast<WORD>(wParam), CurrentKeyState());
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
    case WM_REAP_OLD_TREE:
        ReapQueuedControls();
        return true;
    default:
        return false;
    }
}

bool CWindowManagerUI::OnMouseMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    // A control of another window (a subtree being moved) gets no input here.
    auto ours = [this](CControlUI* control) {
        return control && control->Manager() == static_cast<IControlHostUI*>(this) ? control : nullptr;
    };
    switch (message) {
    case WM_MOUSEMOVE: {
        if (!m_bMouseTracking) {
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof(track);
            track.dwFlags = TME_HOVER | TME_LEAVE;
            track.hwndTrack = m_hWndPaint;
            track.dwHoverTime = m_hwndTooltip
                                    ? static_cast<DWORD>(::SendMessageW(m_hwndTooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0))
                                    : 400;
            if (::TrackMouseEvent(&track)) m_bMouseTracking = true;
        }
        m_ptLastMouse = PointOf(lParam);
        CControlUI* control = ours(FindAt(m_ptLastMouse));
        if (control != m_pEventHover) {
            if (CControlUI* previous = m_pEventHover) {
                m_pEventHover = nullptr;
                SendEvent(previous, EV_MOUSELEAVE, 0, 0, 0, CurrentKeyState());
                HideToolTip();
            }
            if (control) {
                m_pEventHover = control;
                SendEvent(control, EV_MOUSEENTER, 0, 0, 0, CurrentKeyState());
            }
        }
        // A pressed control keeps receiving moves while it holds the capture.
        CControlUI* target = m_pEventClick ? m_pEventClick : control;
        SendEvent(target, EV_MOUSEMOVE, 0, 0, 0, CurrentKeyState());
        return false;
    }
    case WM_MOUSELEAVE:
        HideToolTip();
        // The move to (-1, -1) gives the hover control its leave; tracking
        // counts as armed during it so the move does not arm it again. A
        // hover disarms our flag but not the system's leave tracking, so a
        // hover control still present gets its leave too.
        if (m_bMouseTracking || m_pEventHover) {
            m_bMouseTracking = true;
            ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, MAKELPARAM(-1, -1));
        }
        m_bMouseTracking = false;
        return false;
    case WM_MOUSEHOVER: {
        m_bMouseTracking = false;
        const POINT pt = PointOf(lParam);
        CControlUI* control = ours(FindAt(pt));
        if (control) {
            if (m_pEventHover) SendEvent(m_pEventHover, EV_MOUSEHOVER, 0, 0, 0, CurrentKeyState());
            if (!control->ToolTip().IsEmpty()) ShowToolTip(control, pt);
        }
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        ::SetFocus(m_hWndPaint);
        m_ptLastMouse = PointOf(lParam);
        CControlUI* control = ours(FindAt(m_ptLastMouse));
        if (!control) return false;
        m_pEventClick = control;
        if (message != WM_LBUTTONDBLCLK) FocusControl(control);
        ::SetCapture(m_hWndPaint);
        m_bMouseCapture = true;
        const int type = message == WM_LBUTTONDOWN   ? EV_BUTTONDOWN
                         : message == WM_RBUTTONDOWN ? EV_RBUTTONDOWN
                                                     : EV_DBLCLICK;
        // Focus handlers may have forgotten the control.
        if (m_pEventClick == control) SendEvent(control, type, wParam, lParam, 0, LOWORD(wParam));
        return false;
    }
    case WM_LBUTTONUP: {
        m_ptLastMouse = PointOf(lParam);
        CControlUI* click = m_pEventClick;
        if (!click) return false;
        // Forgotten before the event: a click handler may run a modal loop.
        m_pEventClick = nullptr;
        ReleaseMouseCapture();
        SendEvent(click, EV_BUTTONUP, wParam, lParam, 0, LOWORD(wParam));
        return false;
    }
    case WM_CONTEXTMENU: {
        POINT pt = PointOf(lParam);
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMouse = pt;
        CControlUI* click = m_pEventClick;
        if (!click) return false;
        m_pEventClick = nullptr;
        ReleaseMouseCapture();
        SendEvent(click, EV_CONTEXTMENU, 0, reinterpret_cast<LPARAM>(click), 0, CurrentKeyState());
        return false;
    }
    case WM_MOUSEWHEEL: {
        POINT pt = PointOf(lParam);
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMouse = pt;
        CControlUI* control = ours(FindAt(pt));
        if (!control) return false;
        const WPARAM towardsUser = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0;
        SendEvent(control, EV_SCROLLWHEEL, towardsUser, 0, 0, LOWORD(wParam));
        // Hover follows content that scrolled under the cursor.
        ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
        return false;
    }
    case WM_SETCURSOR: {
        if (LOWORD(lParam) != HTCLIENT) return false;
        if (m_bMouseCapture) {
            result = TRUE;
            return true;
        }
        POINT pt{};
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWndPaint, &pt);
        CControlUI* control = ours(FindAt(pt));
        if (!control || !(control->ControlFlags() & FLAG_SETCURSOR)) return false;
        SendEvent(control, EV_SETCURSOR, wParam, lParam, 0, CurrentKeyState());
        result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

void CWindowManagerUI::ReleaseMouseCapture()
{
    if (!m_bMouseCapture) return;
    m_bMouseCapture = false;
    if (m_hWndPaint && ::GetCapture() == m_hWndPaint) ::ReleaseCapture();
}

bool CWindowManagerUI::PreHandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    {
        CUiPtrArray filters(m_aPreFilters);
        for (int i = 0; i < filters.Count(); ++i) {
            auto* filter = static_cast<IMessageFilterUI*>(filters.At(i));
            if (m_aPreFilters.Find(filter) < 0) continue;
            bool handled = false;
            filter->FilterMessage(message, wParam, lParam, handled);
            if (handled) return true;
        }
    }
    switch (message) {
    case WM_KEYDOWN:
        if (wParam != VK_TAB) return false;
        FocusNextTabStop(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    case WM_SYSKEYDOWN:
        if (m_pFocus) SendEvent(m_pFocus, EV_SYSKEY, wParam, lParam, static_cast<WORD>(wParam), CurrentKeyState());
        return false;
    case WM_SYSCHAR:
        return ActivateShortcut(static_cast<wchar_t>(wParam));
    default:
        return false;
    }
}

bool CWindowManagerUI::ActivateShortcut(wchar_t typed)
{
    // Containers before their children, later children first. A label's
    // shortcut hands the activation to the next control of this walk.
    const auto upper = [](wchar_t ch) { return static_cast<wchar_t>(std::towupper(ch)); };
    const wchar_t wanted = upper(typed);
    bool found = false;
    for (CControlUI* control : SubtreeOf(m_pRoot, FIND_VISIBLE | FIND_ENABLED | FIND_ME_FIRST | FIND_TOP_FIRST)) {
        if (control->Shortcut() != 0 && upper(control->Shortcut()) == wanted) found = true;
        if (found && control->ClassName().find(L"LabelUI") == std::wstring_view::npos) {
            FocusControl(control);
            control->Activate();
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- invalidation, layout and painting

void CWindowManagerUI::Invalidate(const RECT& rect)
{
    if (::IsRectEmpty(&rect)) return;
    if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, &rect, FALSE);
    ::UnionRect(&m_rcInvalidated, &m_rcInvalidated, &rect);
}

void CWindowManagerUI::ClearInvalidated()
{
    m_rcInvalidated = {0, 0, 0, 0};
}

void CWindowManagerUI::UpdateLayout(const RECT& client)
{
    if (!m_pRoot) return;
    if (m_bUpdateNeeded) {
        m_bUpdateNeeded = false;
        if (!::IsRectEmpty(&client)) {
            if (m_pRoot->NeedsLayout()) {
                if (!m_hWndPaint || !::IsIconic(m_hWndPaint)) m_pRoot->Place(client);
            } else {
                // Parents come before their children; placing a parent also
                // places its children, which then no longer need it.
                for (CControlUI* control : SubtreeOf(m_pRoot, FIND_VISIBLE | FIND_ME_FIRST))
                    if (control->NeedsLayout()) control->Place(control->Rect());
            }
        }
        if (m_bFirstLayout) {
            m_bFirstLayout = false;
            RaiseNotify(m_pRoot, L"windowinit");
        }
    }
    if (m_bFocusNeeded) FocusNextTabStop(true);
}

void CWindowManagerUI::PaintTree(HDC hdc, const RECT& paint)
{
    if (!m_pRoot || !hdc) return;
    m_pRoot->Paint(hdc, paint);
    for (int i = 0; i < m_aPaintAfterTree.Count(); ++i)
        static_cast<CControlUI*>(m_aPaintAfterTree.At(i))->PaintAfterTree(hdc, paint);
}

void CWindowManagerUI::AddPaintAfterTree(CControlUI* control)
{
    if (control && m_aPaintAfterTree.Find(control) < 0) m_aPaintAfterTree.Add(control);
}

void CWindowManagerUI::DropOffscreen()
{
    if (m_hDcOffscreen && m_hbmpOffscreenOld) ::SelectObject(m_hDcOffscreen.get(), m_hbmpOffscreenOld);
    m_hbmpOffscreenOld = nullptr;
    m_hbmpOffscreen.reset();
    m_hDcOffscreen.reset();
    m_pOffscreenBits = nullptr;
    m_szOffscreen = {0, 0};
}

bool CWindowManagerUI::EnsureOffscreen(HDC windowDc, SIZE size)
{
    if (m_hDcOffscreen && m_szOffscreen.cx == size.cx && m_szOffscreen.cy == size.cy) return true;
    DropOffscreen();
    if (size.cx <= 0 || size.cy <= 0) return false;
    // A 32-bit top-down DIB: the renderer blends on its pixels, and layered
    // painting hands them to UpdateLayeredWindow.
    void* bits = nullptr;
    win32::UniqueMemoryDc dc(::CreateCompatibleDC(windowDc));
    win32::UniqueBitmap bitmap = CreateTopDownDib(windowDc, size.cx, size.cy, bits);
    if (!dc || !bitmap || !bits) return false;
    m_hbmpOffscreenOld = ::SelectObject(dc.get(), bitmap.get());
    m_hDcOffscreen = std::move(dc);
    m_hbmpOffscreen = std::move(bitmap);
    m_pOffscreenBits = bits;
    m_szOffscreen = size;
    return true;
}

void CWindowManagerUI::OnPaint()
{
    RECT update{};
    if (!::GetUpdateRect(m_hWndPaint, &update, FALSE)) return;
    PAINTSTRUCT ps{};
    HDC windowDc = ::BeginPaint(m_hWndPaint, &ps);
    if (!m_pRoot) {
        ::EndPaint(m_hWndPaint, &ps);
        return;
    }
    RECT client{};
    ::GetClientRect(m_hWndPaint, &client);
    const bool layout = m_bUpdateNeeded;
    UpdateLayout(client);  // also raises a pending "windowinit" and moves a requested focus
    if (layout) DropOffscreen();  // the size may have changed

    if (m_bBackgroundTransparent)
        PaintLayered(windowDc, client, ps.rcPaint);
    else if (m_bOffscreenPaint)
        PaintOffscreen(windowDc, client, ps.rcPaint);
    else
        PaintTree(windowDc, ps.rcPaint);
    ClearInvalidated();
    ::EndPaint(m_hWndPaint, &ps);
    // A layout requested while painting runs at the next paint.
    if (m_bUpdateNeeded) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

void CWindowManagerUI::PaintOffscreen(HDC windowDc, const RECT& client, const RECT& paint)
{
    if (!EnsureOffscreen(windowDc, {client.right - client.left, client.bottom - client.top})) {
        PaintTree(windowDc, paint);
        return;
    }
    PaintTree(m_hDcOffscreen.get(), paint);
    ::BitBlt(windowDc, paint.left, paint.top, paint.right - paint.left, paint.bottom - paint.top,
             m_hDcOffscreen.get(), paint.left, paint.top, SRCCOPY);
}

void CWindowManagerUI::PaintLayered(HDC windowDc, const RECT& client, const RECT& paint)
{
    const LONG_PTR exStyle = ::GetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED)) ::SetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    const SIZE size = {client.right - client.left, client.bottom - client.top};
    if (!EnsureOffscreen(windowDc, size)) return;

    RECT area = paint;
    ::UnionRect(&area, &area, &m_rcInvalidated);
    if (m_bRestored) area = client;
    m_bRestored = false;
    ::IntersectRect(&area, &area, &client);
    if (::IsRectEmpty(&area)) return;

    auto* pixels = static_cast<std::uint32_t*>(m_pOffscreenBits);
    const auto stride = static_cast<std::size_t>(size.cx);
    for (LONG y = area.top; y < area.bottom; ++y)
        std::fill(pixels + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(area.left),
                  pixels + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(area.right), 0u);
    PaintTree(m_hDcOffscreen.get(), area);
    ::GdiFlush();
    // GDI drawing leaves alpha 0: what it coloured becomes opaque.
    for (LONG y = area.top; y < area.bottom; ++y) {
        std::uint32_t* row = pixels + static_cast<std::size_t>(y) * stride;
        for (LONG x = area.left; x < area.right; ++x)
            if ((row[x] & 0xFF000000u) == 0 && (row[x] & 0x00FFFFFFu) != 0) row[x] |= 0xFF000000u;
    }

    RECT window{};
    ::GetWindowRect(m_hWndPaint, &window);
    POINT destination = {window.left, window.top};
    SIZE layered = size;
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(m_hWndPaint, nullptr, &destination, &layered, m_hDcOffscreen.get(), &source, 0, &blend,
                          ULW_ALPHA);
}

// ---------------------------------------------------------------- tooltip

void CWindowManagerUI::ShowToolTip(CControlUI* control, POINT)
{
    if (!m_hwndTooltip) {
        m_hwndTooltip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWndPaint,
                                          nullptr, Instance(), nullptr);
        if (!m_hwndTooltip) return;
        m_toolTip = TOOLINFOW{};
        // The size comctl32 5 knows: an executable without a common-controls
        // manifest gets that version, which refuses the larger structure.
        m_toolTip.cbSize = TTTOOLINFOW_V2_SIZE;
        m_toolTip.uFlags = TTF_IDISHWND;
        m_toolTip.hwnd = m_hWndPaint;
        m_toolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
        m_toolTip.lpszText = const_cast<LPWSTR>(L"");
        ::SendMessageW(m_hwndTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_toolTip));
    }
    m_sToolTipText = control->ToolTip();
    m_toolTip.rect = control->Rect();
    m_toolTip.lpszText = const_cast<LPWSTR>(m_sToolTipText.Data());
    ::SendMessageW(m_hwndTooltip, TTM_SETMAXTIPWIDTH, 0, control->ToolTipWidth());
    ::SendMessageW(m_hwndTooltip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_toolTip));
    ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_toolTip));
}

void CWindowManagerUI::HideToolTip()
{
    if (m_hwndTooltip) ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_toolTip));
}

// ---------------------------------------------------------------- focus

void CWindowManagerUI::FocusControl(CControlUI* control)
{
    if (m_hWndPaint && ::GetFocus() != m_hWndPaint && control != m_pFocus) ::SetFocus(m_hWndPaint);
    if (control == m_pFocus) return;
    if (CControlUI* previous = m_pFocus) {
        m_pFocus = nullptr;
        // The sender of the kill-focus is the control taking the focus, if any.
        TEventRecord event = NewEvent(EV_KILLFOCUS, control);
        previous->DispatchEvent(event);
        RaiseNotify(previous, L"killfocus");
    }
    if (control && control->Manager() == static_cast<IControlHostUI*>(this) && control->IsVisible() &&
        control->IsEnabled()) {
        m_pFocus = control;
        TEventRecord event = NewEvent(EV_SETFOCUS, control);
        control->DispatchEvent(event);
        RaiseNotify(control, L"setfocus");
    }
}

void CWindowManagerUI::FocusNextTabStop(bool forward)
{
    if (m_bUpdateNeeded) {
        // Layout first: remember the request for the next paint.
        m_bFocusNeeded = true;
        if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
        return;
    }
    m_bFocusNeeded = false;
    // The walk holds every visible, enabled control, so a focused control
    // that is no tab stop (a page focused by SelectPage) still has a place
    // to start from.
    const std::vector<CControlUI*> walk = SubtreeOf(m_pRoot, FIND_VISIBLE | FIND_ENABLED | FIND_ME_FIRST);
    const auto isStop = [](const CControlUI* control) { return (control->ControlFlags() & FLAG_TABSTOP) != 0; };
    const auto at = m_pFocus ? std::find(walk.begin(), walk.end(), m_pFocus) : walk.end();
    CControlUI* next = nullptr;
    if (forward) {
        const auto after = at == walk.end() ? walk.begin() : at + 1;
        auto found = std::find_if(after, walk.end(), isStop);
        if (found == walk.end()) found = std::find_if(walk.begin(), walk.end(), isStop);
        if (found != walk.end()) next = *found;
    } else {
        const auto before = std::make_reverse_iterator(at);  // the controls before the focused one, nearest first
        auto found = std::find_if(before, walk.rend(), isStop);
        if (found == walk.rend()) found = std::find_if(walk.rbegin(), walk.rend(), isStop);
        if (found != walk.rend()) next = *found;
    }
    if (next) FocusControl(next);
}

// ---------------------------------------------------------------- notifications

void CWindowManagerUI::RaiseNotify(CControlUI* sender, std::wstring_view type, WPARAM wParam, LPARAM lParam)
{
    TNotifyRecord record;
    record.sType = type;
    record.pSender = sender;
    record.dwTimestamp = ::GetTickCount();
    record.ptMouse = m_ptLastMouse;
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
    if (sender && !sender->OnNotify.Fire(record)) return;
    // A target may remove itself (or others) while being notified.
    CUiPtrArray targets(m_aNotifyTargets);
    for (int i = 0; i < targets.Count(); ++i)
        if (m_aNotifyTargets.Find(targets.At(i)) >= 0) static_cast<INotifyUI*>(targets.At(i))->OnNotify(record);
}

bool CWindowManagerUI::AddNotifyTarget(INotifyUI* target)
{
    if (!target || m_aNotifyTargets.Find(target) >= 0) return false;
    return m_aNotifyTargets.Add(target);
}

bool CWindowManagerUI::RemoveNotifyTarget(INotifyUI* target)
{
    return m_aNotifyTargets.Remove(m_aNotifyTargets.Find(target));
}

// ---------------------------------------------------------------- timers

bool CWindowManagerUI::StartControlTimer(CControlUI* control, UINT timerId, UINT elapseMs)
{
    if (!control || !m_hWndPaint) return false;
    for (int i = 0; i < m_aTimers.Count(); ++i) {
        auto* timer = static_cast<TTimerEntry*>(m_aTimers.At(i));
        if (timer->pSender != control || timer->hWnd != m_hWndPaint || timer->nLocalId != timerId) continue;
        if (!timer->bKilled) return false;  // already running
        if (!::SetTimer(m_hWndPaint, timer->uNativeId, elapseMs, nullptr)) return false;
        timer->bKilled = false;
        return true;
    }
    m_uTimerId = (m_uTimerId + 1) % 240;  // 241 belongs to the text caret
    if (!::SetTimer(m_hWndPaint, m_uTimerId, elapseMs, nullptr)) return false;
    m_aTimers.Add(new TTimerEntry{control, timerId, m_hWndPaint, m_uTimerId, false});
    return true;
}

bool CWindowManagerUI::StopControlTimer(CControlUI* control, UINT timerId)
{
    for (int i = 0; i < m_aTimers.Count(); ++i) {
        auto* timer = static_cast<TTimerEntry*>(m_aTimers.At(i));
        if (timer->pSender != control || timer->hWnd != m_hWndPaint || timer->nLocalId != timerId || timer->bKilled)
            continue;
        if (::IsWindow(timer->hWnd)) ::KillTimer(timer->hWnd, timer->uNativeId);
        timer->bKilled = true;  // kept for a restart
        return true;
    }
    return false;
}

void CWindowManagerUI::OnTimer(UINT_PTR nativeId)
{
    if (nativeId == kCaretTimerId) return;  // the caret of edit controls, which the skins do not use
    for (int i = 0; i < m_aTimers.Count(); ++i) {
        auto* timer = static_cast<TTimerEntry*>(m_aTimers.At(i));
        if (timer->hWnd != m_hWndPaint || timer->uNativeId != nativeId || timer->bKilled) continue;
        SendEvent(timer->pSender, EV_TIMER, timer->nLocalId, 0);
        return;
    }
}

UINT_PTR CWindowManagerUI::NativeTimerId(CControlUI* control, UINT timerId) const
{
    for (int i = 0; i < m_aTimers.Count(); ++i) {
        auto* timer = static_cast<TTimerEntry*>(m_aTimers.At(i));
        if (timer->pSender == control && timer->hWnd == m_hWndPaint && timer->nLocalId == timerId)
            return timer->uNativeId;
    }
    return 0;
}

CControlUI* CWindowManagerUI::ControlForTimer(UINT_PTR nativeId, UINT* timerId) const
{
    for (int i = 0; i < m_aTimers.Count(); ++i) {
        auto* timer = static_cast<TTimerEntry*>(m_aTimers.At(i));
        if (timer->hWnd != m_hWndPaint || timer->uNativeId != nativeId || timer->bKilled) continue;
        if (timerId) *timerId = timer->nLocalId;
        return timer->pSender;
    }
    return nullptr;
}

// ---------------------------------------------------------------- fonts

bool CWindowManagerUI::CreateFontEntry(TFontInfo& info, std::wstring_view face, int size, bool bold, bool underline,
                                       bool italic, bool clearType)
{
    LOGFONTW lf{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    const std::size_t length = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), L'\0');
    std::copy_n(face.data(), length, lf.lfFaceName);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -size;  // character height, not cell height
    // Bold adds 700, kept within the 0..1000 that LOGFONT documents.
    if (bold) lf.lfWeight = std::min<LONG>(lf.lfWeight + 700, 1000);
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfItalic = italic ? TRUE : FALSE;
    if (clearType) lf.lfQuality = CLEARTYPE_QUALITY;
    HFONT font = ::CreateFontIndirectW(&lf);
    if (!font) return false;
    info.hFont.reset(font);
    info.logFont = lf;
    info.sFontName = std::wstring_view(lf.lfFaceName);
    info.iSize = size;
    info.bBold = bold;
    info.bUnderline = underline;
    info.bItalic = italic;
    info.bMeasured = false;
    return true;
}

HFONT CWindowManagerUI::AppendFont(std::wstring_view face, int size, bool bold, bool underline, bool italic)
{
    auto* info = new TFontInfo;
    if (!CreateFontEntry(*info, face, size, bold, underline, italic, true)) {
        delete info;
        return nullptr;
    }
    m_aFonts.Add(info);
    return info->hFont.get();
}

bool CWindowManagerUI::SetDefaultFont(std::wstring_view face, int size, bool bold, bool underline, bool italic)
{
    TFontInfo info;
    if (!CreateFontEntry(info, face, size, bold, underline, italic, false)) return false;
    m_defaultFont = std::move(info);
    MeasureFont(m_defaultFont);
    return true;
}

HFONT CWindowManagerUI::FontAt(int index) const
{
    return FontInfoAt(index).hFont.get();
}

const TFontInfo& CWindowManagerUI::FontInfoAt(int index) const
{
    if (index < 0 || index >= m_aFonts.Count()) return m_defaultFont;
    return *static_cast<const TFontInfo*>(m_aFonts.At(index));
}

void CWindowManagerUI::MeasureFont(TFontInfo& info)
{
    info.tm = TEXTMETRICW{};
    if (m_hDcPaint && info.hFont) {
        win32::SelectedObject selected(m_hDcPaint, info.hFont.get());
        ::GetTextMetricsW(m_hDcPaint, &info.tm);
    }
    info.bMeasured = true;
}

const TEXTMETRICW& CWindowManagerUI::TextMetricsAt(int index)
{
    TFontInfo& info = const_cast<TFontInfo&>(FontInfoAt(index));
    if (!info.bMeasured) MeasureFont(info);
    return info.tm;
}

// ---------------------------------------------------------------- images

const TImageInfo* CWindowManagerUI::LoadImageEntry(std::wstring_view name, std::wstring_view type, DWORD mask)
{
    if (name.empty()) return nullptr;
    if (const auto* cached = static_cast<const TImageInfo*>(m_mImages.Find(name))) return cached;
    std::unique_ptr<TImageInfo> image =
        CSkinRenderer::LoadSkinImage(name, type, mask, m_pFileReader, m_hResourceInstance);
    if (!image) return nullptr;
    TImageInfo* stored = image.release();
    m_mImages.Insert(name, stored);
    return stored;
}

const TImageInfo* CWindowManagerUI::ImageFor(std::wstring_view name)
{
    return static_cast<const TImageInfo*>(m_mImages.Find(name));
}

// ---------------------------------------------------------------- default attribute lists

bool CWindowManagerUI::SetDefaultAttributes(std::wstring_view elementName, std::wstring_view list)
{
    if (elementName.empty() || m_mDefaultAttributes.Contains(elementName)) return false;
    return m_mDefaultAttributes.Insert(elementName, new CUiString(list));
}

const CUiString* CWindowManagerUI::DefaultAttributesFor(std::wstring_view elementName)
{
    return static_cast<const CUiString*>(m_mDefaultAttributes.Find(elementName));
}

}  // namespace SkinUI
