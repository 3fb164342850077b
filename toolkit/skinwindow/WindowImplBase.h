// The frameless skinned window both launcher windows derive from: it routes
// window messages to overridable operations, hides the system frame, builds
// itself from its skin when created, answers hit tests from the skin's
// caption and resize areas, and dispatches notifications through its
// class's notify map. It follows its display's scale (WM_DPICHANGED).
#pragma once

#include <windows.h>

#include <memory>

#include "toolkit/builder/SkinBuilder.h"
#include "toolkit/package/SkinResources.h"
#include "toolkit/skinwindow/AccessibleWindowUI.h"
#include "toolkit/window/NotifyMap.h"
#include "toolkit/window/WindowManagerUI.h"
#include "toolkit/window/WindowWnd.h"

namespace SkinUI {

// Sent by a window that runs a modal child to its owner (lParam: the child).
constexpr UINT WM_MODAL_CHILD_SET = WM_USER + 600;
// Sent to the modal child when the user clicks its disabled owner.
constexpr UINT WM_MODAL_CHILD_SHAKE = WM_USER + 601;
// The shake's timer: eight one-pixel moves, 80 ms apart.
constexpr UINT_PTR kShakeTimerId = 10;
constexpr UINT kShakeIntervalMs = 80;

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    WindowImplBase() = default;
    // Destroys a native window that is still there, so that it never calls
    // into a destroyed object.
    ~WindowImplBase() override;

    CWindowManagerUI& Manager() { return m_pm; }

    virtual void InitWindow() {}
    virtual void OnClickNotify(TNotifyRecord& record);
    virtual const wchar_t* SkinFolder() const = 0;
    virtual const wchar_t* SkinFile() const = 0;
    virtual bool IsDefaultKeyHandled(WPARAM key) const { return key == VK_ESCAPE; }
    virtual SkinSource SkinSourceKind() const { return SkinSource::File; }
    virtual const wchar_t* SkinZipName() const { return L""; }
    virtual const wchar_t* SkinResourceId() const { return L""; }

    // Message operations: `handled` is true on entry; an operation that
    // leaves it set has consumed the message with its result.
    virtual LRESULT OnWmClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmEraseBkgnd(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmNcActivate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmNcPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmMouseHover(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmMouseLeave(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmChar(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmKillFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmSetFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // The style without the system caption.
    virtual DWORD WindowStyleNoCaption(DWORD style) const;
    // Names, by control name, that the window's accessible object gives
    // controls which have neither text nor tooltip.
    virtual std::vector<TAccessibleName> AccessibleNames() const { return {}; }

    // INotifyUI, IMessageFilterUI, IDialogBuilderCallback
    void OnNotify(TNotifyRecord& record) override;
    LRESULT FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    CControlUI* CreateCustomControl(std::wstring_view className) override;

    static const TNotifyMap* ClassNotifyMap();

protected:
    UINT WindowClassStyle() const override { return CS_DBLCLKS; }
    // Once the window is gone (a handler below destroyed it), the rest of
    // the routing is skipped: the manager serves no window any more.
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;
    // The skin is read before the native window is made, which is then made
    // at the skin's "size" (a caller's size counts only for a skin without
    // one) and frameless before its frame is first computed: nothing is
    // restyled or sized after creation.
    void PrepareCreation(TCreation& creation) override;
    const TNotifyMap* NotifyMap() const override { return ClassNotifyMap(); }
    // Where the manager reads the skin's image files, made at creation.
    virtual std::unique_ptr<ISkinFileReader> MakeSkinFileReader() const;

private:
    // Declared before the manager, which points at it: it outlives the
    // manager and everything the manager's destruction does.
    std::unique_ptr<ISkinFileReader> m_skinReader;
    // The skin read by PrepareCreation, built at WM_CREATE.
    enum class PreparedSkin { None, NoSource, Read };
    PreparedSkin m_preparedSkin = PreparedSkin::None;
    std::unique_ptr<CSkinBuilder> m_pPreparedBuilder;
    bool m_bPreparedLoaded = false;
    bool m_bHasRegion = false;  // a "roundcorner" region was given to the window

protected:
    CWindowManagerUI m_pm;

private:
    LRESULT RouteMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Takes the caption away and clips children and siblings; with
    // frameChanged the system computes the frame again.
    void MakeFrameless(bool frameChanged);
    // WM_DPICHANGED: the window's display scale changed (it moved to
    // another monitor, or the user changed the scale); everything it shows
    // is scaled again and the window takes the rectangle the system suggests.
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void ShakeModalChild();
    void StartShake();
    static void CALLBACK ShakeTick(HWND hwnd, UINT message, UINT_PTR id, DWORD time) noexcept;
};

}  // namespace SkinUI
