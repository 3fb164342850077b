#include "toolkit/skinwindow/WindowImplBase.h"

#include <windowsx.h>

#include <optional>
#include <utility>

#include "base/ForeignAddress.h"
#include "base/NoThrowBoundary.h"
#include "base/Win32Handles.h"
#include "toolkit/controls/ControlUI.h"
#include "toolkit/hosts/ActiveXUI.h"
#include "toolkit/skinwindow/FrameHitTest.h"
#include "toolkit/window/DispatchFrame.h"
#include "toolkit/window/WindowDpi.h"

namespace SkinUI {
namespace {

// The process's modal child windows and the shake in progress; touched only
// on the UI thread, and every use checks that a handle is still a window.
struct TModalState {
    HWND hCurrent = nullptr;
    HWND hPrevious = nullptr;
    HWND hShaking = nullptr;
    int nShakeStep = 0;
};

TModalState& ModalState()
{
    static TModalState state;
    return state;
}

// One step of the shake: a pixel at 100 %, as far at any other scale.
int ShakeStep(HWND hwnd)
{
    return CDisplayScale(DpiForWindow(hwnd)).Scale(1);
}

void MoveBy(HWND hwnd, int dx, int dy)
{
    RECT r{};
    if (!::GetWindowRect(hwnd, &r)) return;
    ::SetWindowPos(hwnd, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsOwnedWindow(HWND child, HWND owner)
{
    return child && ::IsWindow(child) && ::GetWindow(child, GW_OWNER) == owner;
}

MONITORINFO NearestMonitor(HWND hwnd)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info);
    return info;
}

LRESULT HitCode(FrameHit hit)
{
    switch (hit) {
    case FrameHit::Left: return HTLEFT;
    case FrameHit::Right: return HTRIGHT;
    case FrameHit::Top: return HTTOP;
    case FrameHit::TopLeft: return HTTOPLEFT;
    case FrameHit::TopRight: return HTTOPRIGHT;
    case FrameHit::Bottom: return HTBOTTOM;
    case FrameHit::BottomLeft: return HTBOTTOMLEFT;
    case FrameHit::BottomRight: return HTBOTTOMRIGHT;
    case FrameHit::CaptionArea: return HTCAPTION;
    case FrameHit::Client: break;
    }
    return HTCLIENT;
}

FrameRect ToFrame(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

WindowImplBase::~WindowImplBase()
{
    DestroyBeforeDeletion();
}

std::unique_ptr<ISkinFileReader> WindowImplBase::MakeSkinFileReader() const
{
    return std::make_unique<CSkinSourceReader>();
}

const TNotifyMap* WindowImplBase::ClassNotifyMap()
{
    static const TNotifyMapEntry entries[] = {
        NotifyOnRecord<WindowImplBase>(L"click", L"", &WindowImplBase::OnClickNotify),
        kNotifyMapEnd,
    };
    static const TNotifyMap map = {nullptr, entries};
    return &map;
}

// ---------------------------------------------------------------- routing

LRESULT WindowImplBase::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A derived window's handling may have destroyed the window before it
    // passed the message on.
    if (!m_hWnd) return 0;
    return RouteMessage(message, wParam, lParam);
}

LRESULT WindowImplBase::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    bool handled = true;
    LRESULT result = 0;
    switch (message) {
    case WM_NCCREATE:
        // The system gives an overlapped window a caption whatever it asked
        // for: the frameless style is set before the frame is first computed,
        // so that nothing is restyled once the window exists.
        MakeFrameless(false);
        handled = false;
        break;
    case WM_CREATE: result = OnWmCreate(message, wParam, lParam, handled); break;
    case WM_DESTROY:
        result = OnWmDestroy(message, wParam, lParam, handled);
        // Hosted objects go while their host windows still exist, not after
        // the fact when the manager deletes the tree.
        ReleaseHostedControls(m_pm.Root());
        break;
    case WM_SIZE: result = OnWmSize(message, wParam, lParam, handled); break;
    case WM_SETFOCUS: result = OnWmSetFocus(message, wParam, lParam, handled); break;
    case WM_KILLFOCUS: result = OnWmKillFocus(message, wParam, lParam, handled); break;
    case WM_CLOSE: result = OnWmClose(message, wParam, lParam, handled); break;
    case WM_ERASEBKGND: result = OnWmEraseBkgnd(message, wParam, lParam, handled); break;
    case WM_GETMINMAXINFO: result = OnWmGetMinMaxInfo(message, wParam, lParam, handled); break;
    case WM_NCCALCSIZE: result = OnWmNcCalcSize(message, wParam, lParam, handled); break;
    case WM_NCHITTEST: result = OnWmNcHitTest(message, wParam, lParam, handled); break;
    case WM_NCPAINT: result = OnWmNcPaint(message, wParam, lParam, handled); break;
    case WM_NCACTIVATE: result = OnWmNcActivate(message, wParam, lParam, handled); break;
    case WM_KEYDOWN: result = OnWmKeyDown(message, wParam, lParam, handled); break;
    case WM_CHAR: result = OnWmChar(message, wParam, lParam, handled); break;
    case WM_SYSCOMMAND: result = OnSysCommand(message, wParam, lParam, handled); break;
    case WM_MOUSEMOVE: result = OnWmMouseMove(message, wParam, lParam, handled); break;
    case WM_LBUTTONDOWN: result = OnWmLButtonDown(message, wParam, lParam, handled); break;
    case WM_LBUTTONUP: result = OnWmLButtonUp(message, wParam, lParam, handled); break;
    case WM_MOUSEWHEEL: result = OnWmMouseWheel(message, wParam, lParam, handled); break;
    case WM_MOUSEHOVER: result = OnWmMouseHover(message, wParam, lParam, handled); break;
    case WM_MOUSELEAVE: result = OnWmMouseLeave(message, wParam, lParam, handled); break;
    case WM_MODAL_CHILD_SET: {
        TModalState& state = ModalState();
        if (state.hCurrent && ::IsWindow(state.hCurrent)) state.hPrevious = state.hCurrent;
        state.hCurrent = reinterpret_cast<HWND>(lParam);
        return 0;
    }
    case WM_MODAL_CHILD_SHAKE:
        StartShake();
        return 0;
    case WM_SETCURSOR:
        // A click on this window while it is disabled: shake its modal child.
        if (HIWORD(lParam) == WM_LBUTTONDOWN) ShakeModalChild();
        handled = false;
        break;
    case WM_GETOBJECT:
        handled = AnswerAccessibleObject(m_hWnd, wParam, lParam, AccessibleNames(), result);
        break;
    case kWmDpiChanged:
        OnDpiChanged(wParam, lParam);
        return 0;
    default:
        if (message != 0 && message == AccessibleActionMessage()) {
            RunAccessibleAction(m_pm, wParam, lParam);
            return 0;
        }
        handled = false;
        break;
    }
    // Handlers run foreign code (notifications, nested loops): when the
    // window went meanwhile, nothing more is done for the message.
    if (handled || !m_hWnd) return result;

    handled = false;
    result = OnOtherMessage(message, wParam, lParam, handled);
    if (handled || !m_hWnd) return result;
    if (m_pm.HandleWindowMessage(message, wParam, lParam, result) || !m_hWnd) return result;
    return CallPreviousProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- creation

void WindowImplBase::PrepareCreation(TCreation& creation)
{
    creation.style = WindowStyleNoCaption(creation.style) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    m_pPreparedBuilder.reset();
    m_bPreparedLoaded = false;
    const SkinSource kind = SkinSourceKind();
    if (!OpenSkinSource(kind, SkinFolder(), SkinZipName(), SkinResourceId())) {
        m_preparedSkin = PreparedSkin::NoSource;
        return;
    }
    m_preparedSkin = PreparedSkin::Read;
    m_pPreparedBuilder = std::make_unique<CSkinBuilder>();
    m_bPreparedLoaded = m_pPreparedBuilder->Load(SkinFile(), kind == SkinSource::Resource ? L"xml" : L"");
    if (!m_bPreparedLoaded) return;
    if (const std::optional<SkinSize> size = m_pPreparedBuilder->WindowSize()) {
        // At the system's scale: a window that lands on a display of another
        // scale is sized again when its skin is built.
        const SkinSize scaled = CDisplayScale(SystemDpi()).Scale(*size);
        creation.width = scaled.cx;
        creation.height = scaled.cy;
    }
}

LRESULT WindowImplBase::OnWmCreate(UINT, WPARAM, LPARAM, bool&)
{
    // Frameless since WM_NCCREATE; a style changed since loses its frame here.
    MakeFrameless(true);

    m_pm.Attach(m_hWnd);
    m_pm.AddPreFilter(this);

    const SkinSource kind = SkinSourceKind();
    const PreparedSkin prepared = std::exchange(m_preparedSkin, PreparedSkin::None);
    std::unique_ptr<CSkinBuilder> builder = std::move(m_pPreparedBuilder);
    bool loaded = m_bPreparedLoaded;
    // A missing skin resource leaves the window empty, without a message.
    if (prepared == PreparedSkin::NoSource) return 0;
    if (prepared == PreparedSkin::None) {
        if (!OpenSkinSource(kind, SkinFolder(), SkinZipName(), SkinResourceId())) return 0;
        builder = std::make_unique<CSkinBuilder>();
        loaded = builder->Load(SkinFile(), kind == SkinSource::Resource ? L"xml" : L"");
    }
    if (!m_skinReader) m_skinReader = MakeSkinFileReader();
    m_pm.SetSkinFileReader(m_skinReader.get());
    m_pm.SetResourceInstance(GetSkinResourceInstance());

    CControlUI* root = loaded ? builder->Build(this, &m_pm) : nullptr;
    if (!root) {
        ::MessageBoxW(nullptr, L"加载资源失败！", SkinFile(), MB_OK | MB_ICONERROR);
        ::ExitProcess(1);
    }
    m_pm.AttachTree(root);
    m_pm.AddNotifyTarget(this);
    InitWindow();
    return 0;
}

void WindowImplBase::MakeFrameless(bool frameChanged)
{
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    const DWORD frameless = WindowStyleNoCaption(style) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (style == frameless) return;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(frameless));
    if (!frameChanged) return;
    // The frame changes; the window stays where it was created, in its place
    // in the Z order and without being activated.
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DWORD WindowImplBase::WindowStyleNoCaption(DWORD style) const
{
    return style & ~static_cast<DWORD>(WS_CAPTION);
}

void WindowImplBase::OnWindowDestroyed(HWND)
{
    m_pm.RemovePreFilter(this);
    m_pm.RemoveNotifyTarget(this);
    m_pm.ForgetControl(m_pm.Root());
    m_pm.DetachWindow();
}

// ---------------------------------------------------------------- frame

LRESULT WindowImplBase::OnWmNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    if (::IsIconic(m_hWnd)) {
        handled = false;
        return 0;
    }
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnWmNcCalcSize(UINT, WPARAM, LPARAM lParam, bool&)
{
    if (!::IsZoomed(m_hWnd)) return 0;
    // The proposed rectangle leads both forms of lParam.
    RECT* proposed = reinterpret_cast<RECT*>(lParam);
    const MONITORINFO monitor = NearestMonitor(m_hWnd);
    const FrameRect client = MaximisedGeometry(ToFrame(monitor.rcMonitor), ToFrame(monitor.rcWork)).client;
    *proposed = {client.left, client.top, client.right, client.bottom};
    return WVR_REDRAW;
}

LRESULT WindowImplBase::OnWmNcPaint(UINT, WPARAM, LPARAM, bool&)
{
    return 0;
}

LRESULT WindowImplBase::OnWmNcHitTest(UINT, WPARAM, LPARAM lParam, bool&)
{
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(m_hWnd, &pt);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const FrameHit hit =
        HitTestFrame(ToFrame(client), ToFrame(m_pm.SizeBox()), ToFrame(m_pm.CaptionRect()), pt.x, pt.y,
                     ::IsZoomed(m_hWnd) != FALSE);
    if (hit != FrameHit::CaptionArea) return HitCode(hit);
    CControlUI* control = m_pm.FindAt(pt);
    return control && DragsWindow(control->ClassName()) ? HTCAPTION : HTCLIENT;
}

LRESULT WindowImplBase::OnWmGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    const MONITORINFO monitor = NearestMonitor(m_hWnd);
    const MaximisedFrame maximised = MaximisedGeometry(ToFrame(monitor.rcMonitor), ToFrame(monitor.rcWork));
    info->ptMaxPosition = {maximised.maxLeft, maximised.maxTop};
    info->ptMaxTrackSize = {maximised.maxWidth, maximised.maxHeight};
    info->ptMinTrackSize = {m_pm.MinInfo().cx, m_pm.MinInfo().cy};
    handled = false;  // the manager then applies "mininfo" and "maxinfo"
    return 0;
}

LRESULT WindowImplBase::OnWmSize(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;  // the manager lays the tree out again
    if (::IsIconic(m_hWnd)) return 0;
    const SIZE corner = m_pm.RoundCorner();
    if (corner.cx == 0 && corner.cy == 0) {
        // Square corners need no region: the window is its own rectangle.
        if (m_bHasRegion && ::SetWindowRgn(m_hWnd, nullptr, TRUE)) m_bHasRegion = false;
        return 0;
    }
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    win32::UniqueRegion region(::CreateRoundRectRgn(0, 0, window.right - window.left + 1,
                                                    window.bottom - window.top + 1, corner.cx, corner.cy));
    // The system owns a region it accepted.
    if (region && ::SetWindowRgn(m_hWnd, region.get(), TRUE)) {
        region.release();
        m_bHasRegion = true;
    }
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool&)
{
    if (wParam == SC_CLOSE) {
        ::SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return 0;
    }
    return CallPreviousProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- defaults that leave the message alone

LRESULT WindowImplBase::OnWmClose(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnWmDestroy(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnWmEraseBkgnd(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 1;
}

LRESULT WindowImplBase::OnWmMouseWheel(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnWmMouseHover(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnWmMouseLeave(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnWmChar(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnWmKeyDown(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnWmKillFocus(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnWmSetFocus(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnWmLButtonDown(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnWmLButtonUp(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnWmMouseMove(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnOtherMessage(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

// ---------------------------------------------------------------- notifications and filters

void WindowImplBase::OnNotify(TNotifyRecord& record)
{
    DispatchNotify(record);
}

void WindowImplBase::OnClickNotify(TNotifyRecord& record)
{
    if (!record.pSender) return;
    const CUiString& name = record.pSender->Name();
    if (name == L"closebtn")
        CloseWithCode(1);
    else if (name == L"minbtn")
        ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (name == L"maxbtn")
        ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (name == L"restorebtn")
        ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
}

LRESULT WindowImplBase::FilterMessage(UINT message, WPARAM wParam, LPARAM, bool&)
{
    // Never consumes: Return and Escape go on to the manager and the focused control.
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) return IsDefaultKeyHandled(wParam);
    return 0;
}

CControlUI* WindowImplBase::CreateCustomControl(std::wstring_view)
{
    return nullptr;
}

// ---------------------------------------------------------------- display scale

void WindowImplBase::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    // The system gives one DPI for both axes; anything else did not come
    // from it.
    const int dpi = HIWORD(wParam);
    if (dpi != LOWORD(wParam) || dpi == 0) return;
    const CDisplayScale scale(dpi);
    // The suggested rectangle is only a pointer when the system sent the
    // message: read through it only as far as it is readable, and take only
    // a rectangle a screen can hold.
    constexpr LONG kLargestSide = 32767;
    RECT suggested{};
    const bool hasRect = win32::ReadForeignAddress(lParam, suggested) && suggested.right > suggested.left &&
                         suggested.bottom > suggested.top && suggested.right - suggested.left <= kLargestSide &&
                         suggested.bottom - suggested.top <= kLargestSide && suggested.left >= -kLargestSide &&
                         suggested.top >= -kLargestSide && suggested.right <= kLargestSide &&
                         suggested.bottom <= kLargestSide;
    const CDisplayScale from = m_pm.DisplayScale();
    m_pm.ChangeDisplayScale(scale);
    if (!m_hWnd) return;
    if (hasRect) {
        ::SetWindowPos(m_hWnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                       suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    // Without a usable suggestion the window keeps its place and takes its
    // size at the new scale.
    RECT window{};
    if (!::GetWindowRect(m_hWnd, &window)) return;
    const int width = Rescale(static_cast<int>(window.right - window.left), from, scale);
    const int height = Rescale(static_cast<int>(window.bottom - window.top), from, scale);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

// ---------------------------------------------------------------- modal child and shake

void WindowImplBase::ShakeModalChild()
{
    const TModalState& state = ModalState();
    if (IsOwnedWindow(state.hCurrent, m_hWnd)) {
        ::SendMessageW(state.hCurrent, WM_MODAL_CHILD_SHAKE, 0, 0);
    } else if (IsOwnedWindow(state.hPrevious, m_hWnd)) {
        const HWND target = ::IsWindow(state.hCurrent) ? state.hCurrent : state.hPrevious;
        ::SendMessageW(target, WM_MODAL_CHILD_SHAKE, 0, 0);
    }
}

void WindowImplBase::StartShake()
{
    TModalState& state = ModalState();
    if (state.hCurrent && ::IsWindow(state.hCurrent)) ::KillTimer(state.hCurrent, kShakeTimerId);
    if (state.hPrevious && ::IsWindow(state.hPrevious)) ::KillTimer(state.hPrevious, kShakeTimerId);
    // An interrupted shake stands one step off: put it back first.
    if (state.nShakeStep % 2 != 0 && state.hShaking && ::IsWindow(state.hShaking)) {
        const int step = ShakeStep(state.hShaking);
        MoveBy(state.hShaking, step, step);
    }
    state.nShakeStep = 0;
    ::SetTimer(m_hWnd, kShakeTimerId, kShakeIntervalMs, ShakeTick);
}

void CALLBACK WindowImplBase::ShakeTick(HWND hwnd, UINT message, UINT_PTR id, DWORD) noexcept
{
    CDispatchFrame frame;
    if (message != WM_TIMER || !::IsWindow(hwnd)) return;
    TModalState& state = ModalState();
    state.hShaking = hwnd;
    const int step = ShakeStep(hwnd);
    const int delta = state.nShakeStep % 2 == 0 ? -step : step;
    MoveBy(hwnd, delta, delta);
    if (++state.nShakeStep >= 8) {
        state.nShakeStep = 0;
        ::ShowWindow(hwnd, SW_SHOW);
        ::KillTimer(hwnd, id);
    }
}

}  // namespace SkinUI
