#include "toolkit/window/WindowManagerUI.h"

#include <algorithm>
#include <vector>

#include "toolkit/controls/ControlUI.h"
#include "toolkit/package/SkinFileReader.h"

namespace SkinUI {
namespace {

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

// Every control of a subtree: children first, each container after them.
std::vector<CControlUI*> SubtreeOf(CControlUI* root, UINT flags = 0)
{
    std::vector<CControlUI*> controls;
    if (root) root->Search(CollectControl, &controls, flags);
    return controls;
}

}  // namespace

CWindowManagerUI::CWindowManagerUI()
{
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
    ManagerList().Add(this);
}

CWindowManagerUI::~CWindowManagerUI()
{
    ReapQueuedControls();
    m_mNameHash.RemoveAll();
    delete m_pRoot;
    m_pRoot = nullptr;

    for (int i = 0; i < m_aTimers.Count(); ++i) {
        auto* timer = static_cast<TTimerEntry*>(m_aTimers.At(i));
        if (!timer->bKilled && ::IsWindow(timer->hWnd)) ::KillTimer(timer->hWnd, timer->uNativeId);
        delete timer;
    }
    for (int i = 0; i < m_aFonts.Count(); ++i) delete static_cast<TFontInfo*>(m_aFonts.At(i));
    m_mImages.ForEach([](std::wstring_view, void* value) { delete static_cast<TImageInfo*>(value); });
    m_mImages.RemoveAll();
    m_mDefaultAttributes.ForEach([](std::wstring_view, void* value) { delete static_cast<CUiString*>(value); });
    m_mDefaultAttributes.RemoveAll();

    if (m_hWndPaint && m_hDcPaint && m_hDcPaint != m_hDcMeasure.get()) ::ReleaseDC(m_hWndPaint, m_hDcPaint);
    CUiPtrArray& managers = ManagerList();
    managers.Remove(managers.Find(this));
}

const CUiPtrArray& CWindowManagerUI::AllManagers()
{
    return ManagerList();
}

void CWindowManagerUI::Attach(HWND hwnd)
{
    if (m_hWndPaint && m_hDcPaint && m_hDcPaint != m_hDcMeasure.get()) ::ReleaseDC(m_hWndPaint, m_hDcPaint);
    m_hWndPaint = hwnd;
    HDC windowDc = hwnd ? ::GetDC(hwnd) : nullptr;
    m_hDcPaint = windowDc ? windowDc : m_hDcMeasure.get();
    // Metrics measured on another DC may differ.
    m_defaultFont.bMeasured = false;
    for (int i = 0; i < m_aFonts.Count(); ++i) static_cast<TFontInfo*>(m_aFonts.At(i))->bMeasured = false;
}

// ---------------------------------------------------------------- the tree

bool CWindowManagerUI::AttachTree(CControlUI* root)
{
    FocusControl(nullptr);
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    m_pEventKey = nullptr;
    if (m_pRoot) QueueForDeletion(m_pRoot);
    m_pRoot = root;
    m_bFirstLayout = true;
    m_bUpdateNeeded = true;
    m_bFocusNeeded = true;
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
    if (m_pEventClick == control) m_pEventClick = nullptr;
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
    m_aDelayedCleanup.Add(subtree);
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

// ---------------------------------------------------------------- invalidation and layout

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

// ---------------------------------------------------------------- focus

void CWindowManagerUI::FocusControl(CControlUI* control)
{
    if (m_hWndPaint && ::GetFocus() != m_hWndPaint && control != m_pFocus) ::SetFocus(m_hWndPaint);
    if (control == m_pFocus) return;
    if (CControlUI* previous = m_pFocus) {
        TEventRecord event;
        event.nType = EV_KILLFOCUS;
        event.pSender = control;
        event.dwTimestamp = ::GetTickCount();
        previous->DispatchEvent(event);
        RaiseNotify(previous, L"killfocus");
        m_pFocus = nullptr;
    }
    if (control && control->Manager() == this && control->IsVisible() && control->IsEnabled()) {
        m_pFocus = control;
        TEventRecord event;
        event.nType = EV_SETFOCUS;
        event.pSender = control;
        event.dwTimestamp = ::GetTickCount();
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
    std::vector<CControlUI*> stops;
    for (CControlUI* control : SubtreeOf(m_pRoot, FIND_VISIBLE | FIND_ENABLED | FIND_ME_FIRST))
        if (control->ControlFlags() & FLAG_TABSTOP) stops.push_back(control);
    m_bFocusNeeded = false;
    if (stops.empty()) return;
    const auto at = std::find(stops.begin(), stops.end(), m_pFocus);
    CControlUI* next;
    if (at == stops.end())
        next = forward ? stops.front() : stops.back();
    else if (forward)
        next = at + 1 == stops.end() ? stops.front() : *(at + 1);
    else
        next = at == stops.begin() ? stops.back() : *(at - 1);
    FocusControl(next);
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
