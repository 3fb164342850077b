#include "toolkit/skinwindow/AccessibleWindowUI.h"

#include <oleacc.h>

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "base/ProcedurePointers.h"
#include "base/SystemLibrary.h"
#include "base/Win32Handles.h"
#include "toolkit/controls/ButtonUI.h"
#include "toolkit/controls/ControlUI.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/window/WindowManagerUI.h"

namespace SkinUI {
namespace {

// A button's default action, in the words of the system's own buttons.
constexpr wchar_t kPressAction[] = L"按下";

// oleacc is loaded at the first request for an accessible object, not at
// every start; once loaded it stays for the rest of the run.
struct TOleaccExports {
    using LresultFromObjectProc = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    using ObjectFromWindowProc = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    LresultFromObjectProc lresultFromObject = nullptr;
    ObjectFromWindowProc objectFromWindow = nullptr;
};

const TOleaccExports& Oleacc()
{
    static const TOleaccExports exports = [] {
        TOleaccExports found;
        const HMODULE module = win32::LoadSystemLibrary(L"oleacc.dll");  // kept loaded on purpose
        found.lresultFromObject =
            win32::ExportedFunction<TOleaccExports::LresultFromObjectProc>(module, "LresultFromObject");
        found.objectFromWindow =
            win32::ExportedFunction<TOleaccExports::ObjectFromWindowProc>(module, "AccessibleObjectFromWindow");
        return found;
    }();
    return exports;
}

enum class ChildKind { Button, Progress, Label, Window };

// One child as found in one call; the control pointer is not kept beyond it.
struct TChild {
    ChildKind kind = ChildKind::Label;
    CControlUI* control = nullptr;
    std::size_t ordinal = 0;  // among the window's visible controls, in tree order
    HWND window = nullptr;
};

std::uint32_t Identity(CControlUI& control)
{
    // FNV-1a over the class, the name and the text: enough to tell whether
    // the control at an ordinal is still the one a client acted on.
    std::uint32_t hash = 2166136261u;
    auto add = [&hash](std::wstring_view text) {
        for (wchar_t c : text) {
            hash = (hash ^ static_cast<std::uint16_t>(c)) * 16777619u;
        }
        hash = (hash ^ 0xFFFFu) * 16777619u;
    };
    add(control.ClassName());
    add(control.Name().View());
    add(control.Text().View());
    return hash;
}

// Visits the visible controls in tree order, each container before its children.
template <typename Visit>
void ForEachVisibleControl(CControlUI* root, Visit& visit)
{
    if (!root) return;
    root->Search(
        [](CControlUI* control, void* data) -> CControlUI* {
            return (*static_cast<Visit*>(data))(control) ? control : nullptr;
        },
        &visit, FIND_VISIBLE | FIND_ME_FIRST);
}

std::wstring_view FallbackName(const std::vector<TAccessibleName>& names, std::wstring_view control)
{
    if (control.empty()) return {};
    for (const TAccessibleName& entry : names) {
        if (entry.control == control) return entry.name;
    }
    return {};
}

std::wstring_view NameOf(CControlUI& control, const std::vector<TAccessibleName>& names)
{
    if (!control.Text().IsEmpty()) return control.Text().View();
    if (!control.ToolTip().IsEmpty()) return control.ToolTip().View();
    return FallbackName(names, control.Name().View());
}

bool KindOf(CControlUI& control, ChildKind& kind)
{
    if (control.InterfaceFor(L"Button")) {
        kind = ChildKind::Button;
    } else if (control.InterfaceFor(L"Progress")) {
        kind = ChildKind::Progress;
    } else if (control.InterfaceFor(L"Label")) {
        kind = ChildKind::Label;
    } else {
        return false;
    }
    return true;
}

CWindowManagerUI* ManagerOf(HWND window)
{
    // The newest attach wins: a manager whose window has gone may still be
    // listed with the old handle until its window object is deleted.
    const CUiPtrArray& managers = CWindowManagerUI::AllManagers();
    for (int i = managers.Count() - 1; i >= 0; --i) {
        auto* manager = static_cast<CWindowManagerUI*>(managers.At(i));
        if (manager && manager->WindowHandle() == window) return manager;
    }
    return nullptr;
}

// The controls first, then the visible child windows (a hosted browser,
// say), which answer for themselves.
void CollectChildren(HWND window, CWindowManagerUI& manager, const std::vector<TAccessibleName>& names,
                     std::vector<TChild>& children)
{
    std::size_t ordinal = 0;
    auto visit = [&](CControlUI* control) {
        TChild child;
        child.ordinal = ordinal++;
        if (!control || !KindOf(*control, child.kind)) return false;
        // A label without words (an icon, a spacer) says nothing.
        if (child.kind == ChildKind::Label && NameOf(*control, names).empty()) return false;
        child.control = control;
        children.push_back(child);
        return false;
    };
    ForEachVisibleControl(manager.Root(), visit);
    for (HWND w = ::GetWindow(window, GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(w)) continue;
        TChild child;
        child.kind = ChildKind::Window;
        child.window = w;
        children.push_back(child);
    }
}

HRESULT NewString(std::wstring_view text, BSTR* out)
{
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

void SetI4(VARIANT* out, LONG value)
{
    out->vt = VT_I4;
    out->lVal = value;
}

// Runs a COM method's body: nothing thrown crosses the boundary.
template <typename Body>
HRESULT Guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

class CAccessibleWindowUI final : public IAccessible {
public:
    CAccessibleWindowUI(HWND window, std::vector<TAccessibleName> names)
        : m_hWnd(window), m_names(std::move(names))
    {
    }
    CAccessibleWindowUI(const CAccessibleWindowUI&) = delete;
    CAccessibleWindowUI& operator=(const CAccessibleWindowUI&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() noexcept override
    {
        const LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }

    // IDispatch: clients of this object use its vtable.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override
    {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override
    {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) noexcept override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) noexcept override
    {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        return Guarded([&] {
            CWindowManagerUI* manager = nullptr;
            const HRESULT hr = Connect(manager);
            if (FAILED(hr)) return hr;
            // The window's own object, from the system.
            return WindowObject(m_hWnd, OBJID_WINDOW, parent);
        });
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) noexcept override
    {
        if (!count) return E_POINTER;
        *count = 0;
        return Guarded([&] {
            std::vector<TChild> children;
            const HRESULT hr = Children(children);
            if (FAILED(hr)) return hr;
            *count = static_cast<LONG>(children.size());
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) noexcept override
    {
        if (!child) return E_POINTER;
        *child = nullptr;
        return Guarded([&] {
            std::vector<TChild> children;
            const TChild* found = nullptr;
            const HRESULT hr = Resolve(id, children, found);
            if (FAILED(hr)) return hr;
            if (!found) return E_INVALIDARG;
            if (found->kind != ChildKind::Window) return S_FALSE;  // a simple element of this object
            return WindowObject(found->window, OBJID_WINDOW, child);
        });
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) noexcept override
    {
        if (!name) return E_POINTER;
        *name = nullptr;
        return ForId(
            id, [&] { return NewString(WindowText(), name); },
            [&](IAccessible& a, VARIANT self) { return a.get_accName(self, name); },
            [&](const TChild& found) { return NewString(NameOf(*found.control, m_names), name); });
    }

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* value) noexcept override
    {
        if (!value) return E_POINTER;
        *value = nullptr;
        return ForId(
            id, [] { return S_FALSE; }, [&](IAccessible& a, VARIANT self) { return a.get_accValue(self, value); },
            [&](const TChild& found) {
                if (found.kind != ChildKind::Progress) return S_FALSE;
                const auto* bar = static_cast<CProgressUI*>(found.control->InterfaceFor(L"Progress"));
                const long long range = static_cast<long long>(bar->MaxValue()) - bar->MinValue();
                const long long done = static_cast<long long>(bar->Value()) - bar->MinValue();
                long long percent = range > 0 ? done * 100 / range : 0;
                if (percent < 0) percent = 0;
                if (percent > 100) percent = 100;
                return NewString(std::to_wstring(percent) + L"%", value);
            });
    }

    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* description) noexcept override
    {
        return SimpleString(id, description, &IAccessible::get_accDescription);
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) noexcept override
    {
        if (!role) return E_POINTER;
        ::VariantInit(role);
        return ForId(
            id,
            [&] {
                SetI4(role, ROLE_SYSTEM_CLIENT);
                return S_OK;
            },
            [&](IAccessible& a, VARIANT self) { return a.get_accRole(self, role); },
            [&](const TChild& found) {
                switch (found.kind) {
                case ChildKind::Button: SetI4(role, ROLE_SYSTEM_PUSHBUTTON); break;
                case ChildKind::Progress: SetI4(role, ROLE_SYSTEM_PROGRESSBAR); break;
                case ChildKind::Label: SetI4(role, ROLE_SYSTEM_STATICTEXT); break;
                case ChildKind::Window: break;  // answered by its own object
                }
                return S_OK;
            });
    }

    HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) noexcept override
    {
        if (!state) return E_POINTER;
        ::VariantInit(state);
        const auto shown = [this]() -> LONG { return ::IsWindowVisible(m_hWnd) ? 0 : STATE_SYSTEM_INVISIBLE; };
        return ForId(
            id,
            [&] {
                LONG bits = shown() | STATE_SYSTEM_FOCUSABLE;
                if (::GetFocus() == m_hWnd) bits |= STATE_SYSTEM_FOCUSED;
                if (!::IsWindowEnabled(m_hWnd)) bits |= STATE_SYSTEM_UNAVAILABLE;
                SetI4(state, bits);
                return S_OK;
            },
            [&](IAccessible& a, VARIANT self) { return a.get_accState(self, state); },
            [&](const TChild& found) {
                LONG bits = shown();
                CControlUI& control = *found.control;
                if (!control.IsEnabled()) bits |= STATE_SYSTEM_UNAVAILABLE;
                if (control.IsFocused()) bits |= STATE_SYSTEM_FOCUSED;
                if (found.kind == ChildKind::Button) {
                    if (control.ControlFlags() & FLAG_TABSTOP) bits |= STATE_SYSTEM_FOCUSABLE;
                    const UINT buttonState = static_cast<CButtonUI*>(control.InterfaceFor(L"Button"))->ButtonState();
                    if (buttonState & BUTTON_STATE_HOT) bits |= STATE_SYSTEM_HOTTRACKED;
                    if (buttonState & BUTTON_STATE_PUSHED) bits |= STATE_SYSTEM_PRESSED;
                } else {
                    bits |= STATE_SYSTEM_READONLY;
                }
                SetI4(state, bits);
                return S_OK;
            });
    }

    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT id, BSTR* help) noexcept override
    {
        return SimpleString(id, help, &IAccessible::get_accHelp);
    }

    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* helpFile, VARIANT, LONG* topic) noexcept override
    {
        if (helpFile) *helpFile = nullptr;
        if (topic) *topic = 0;
        return DISP_E_MEMBERNOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* shortcut) noexcept override
    {
        if (!shortcut) return E_POINTER;
        *shortcut = nullptr;
        return ForId(
            id, [] { return S_FALSE; },
            [&](IAccessible& a, VARIANT self) { return a.get_accKeyboardShortcut(self, shortcut); },
            [&](const TChild& found) {
                const wchar_t key = found.control->Shortcut();
                if (key == 0) return S_FALSE;
                return NewString(std::wstring(L"Alt+") + key, shortcut);
            });
    }

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) noexcept override
    {
        if (!focus) return E_POINTER;
        ::VariantInit(focus);
        return Guarded([&] {
            std::vector<TChild> children;
            HRESULT hr = Children(children);
            if (FAILED(hr)) return hr;
            const HWND focused = ::GetFocus();
            if (!focused) return S_FALSE;
            if (focused != m_hWnd) {
                for (const TChild& child : children) {
                    if (child.kind != ChildKind::Window) continue;
                    if (child.window != focused && !::IsChild(child.window, focused)) continue;
                    IDispatch* object = nullptr;
                    hr = WindowObject(child.window, OBJID_WINDOW, &object);
                    if (FAILED(hr)) return hr;
                    focus->vt = VT_DISPATCH;
                    focus->pdispVal = object;
                    return S_OK;
                }
                return S_FALSE;
            }
            CWindowManagerUI* manager = nullptr;
            hr = Connect(manager);
            if (FAILED(hr)) return hr;
            CControlUI* control = manager->FocusedControl();
            for (std::size_t i = 0; control && i < children.size(); ++i) {
                if (children[i].control == control) {
                    SetI4(focus, static_cast<LONG>(i + 1));
                    return S_OK;
                }
            }
            SetI4(focus, CHILDID_SELF);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) noexcept override
    {
        if (selection) ::VariantInit(selection);
        return DISP_E_MEMBERNOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* action) noexcept override
    {
        if (!action) return E_POINTER;
        *action = nullptr;
        return ForId(
            id, [] { return S_FALSE; },
            [&](IAccessible& a, VARIANT self) { return a.get_accDefaultAction(self, action); },
            [&](const TChild& found) {
                return found.kind == ChildKind::Button ? NewString(kPressAction, action) : S_FALSE;
            });
    }

    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) noexcept override { return DISP_E_MEMBERNOTFOUND; }

    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT id) noexcept override
    {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        // A rectangle of the window's client area, on the screen.
        const auto onScreen = [&](const RECT& r) {
            POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
            ::MapWindowPoints(m_hWnd, nullptr, corners, 2);
            *left = corners[0].x;
            *top = corners[0].y;
            *width = corners[1].x - corners[0].x;
            *height = corners[1].y - corners[0].y;
            return S_OK;
        };
        return ForId(
            id,
            [&] {
                RECT client{};
                ::GetClientRect(m_hWnd, &client);
                return onScreen(client);
            },
            [&](IAccessible& a, VARIANT self) { return a.accLocation(left, top, width, height, self); },
            [&](const TChild& found) { return onScreen(found.control->Rect()); });
    }

    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) noexcept override
    {
        if (!end) return E_POINTER;
        ::VariantInit(end);
        return Guarded([&] {
            std::vector<TChild> children;
            const TChild* found = nullptr;
            const HRESULT hr = Resolve(start, children, found);
            if (FAILED(hr)) return hr;
            std::size_t target = 0;  // 1-based; 0: none
            const std::size_t count = children.size();
            const std::size_t from = found ? static_cast<std::size_t>(found - children.data()) + 1 : 0;
            switch (direction) {
            case NAVDIR_FIRSTCHILD:
                if (found) return E_INVALIDARG;
                target = count > 0 ? 1 : 0;
                break;
            case NAVDIR_LASTCHILD:
                if (found) return E_INVALIDARG;
                target = count;
                break;
            case NAVDIR_NEXT:
                if (!found) return DISP_E_MEMBERNOTFOUND;  // the window's siblings are its parent's
                target = from < count ? from + 1 : 0;
                break;
            case NAVDIR_PREVIOUS:
                if (!found) return DISP_E_MEMBERNOTFOUND;
                target = from > 1 ? from - 1 : 0;
                break;
            default:
                return DISP_E_MEMBERNOTFOUND;
            }
            if (target == 0) return S_FALSE;
            return ChildVariant(children, target, end);
        });
    }

    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) noexcept override
    {
        if (!hit) return E_POINTER;
        ::VariantInit(hit);
        return Guarded([&] {
            std::vector<TChild> children;
            HRESULT hr = Children(children);
            if (FAILED(hr)) return hr;
            POINT pt = {x, y};
            ::ScreenToClient(m_hWnd, &pt);
            RECT client{};
            ::GetClientRect(m_hWnd, &client);
            if (!::PtInRect(&client, pt)) return S_FALSE;
            const HWND at = ::ChildWindowFromPointEx(m_hWnd, pt, CWP_SKIPINVISIBLE);
            for (std::size_t i = 0; at && at != m_hWnd && i < children.size(); ++i) {
                if (children[i].window == at) return ChildVariant(children, i + 1, hit);
            }
            CWindowManagerUI* manager = nullptr;
            hr = Connect(manager);
            if (FAILED(hr)) return hr;
            // The listed control at the point, or the one that holds it.
            for (CControlUI* control = manager->FindAt(pt); control; control = control->Parent()) {
                for (std::size_t i = 0; i < children.size(); ++i) {
                    if (children[i].control == control) return ChildVariant(children, i + 1, hit);
                }
            }
            SetI4(hit, CHILDID_SELF);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) noexcept override
    {
        return ForId(
            id, [] { return DISP_E_MEMBERNOTFOUND; },
            [&](IAccessible& a, VARIANT self) { return a.accDoDefaultAction(self); },
            [&](const TChild& found) {
                if (found.kind != ChildKind::Button) return DISP_E_MEMBERNOTFOUND;
                // The click runs later from the window's own messages, as a
                // mouse click does, never inside a client's call: its
                // handlers may close the window or wait for other programs.
                const LPARAM identity = static_cast<LPARAM>(Identity(*found.control));
                if (!::PostMessageW(m_hWnd, AccessibleActionMessage(), static_cast<WPARAM>(found.ordinal), identity))
                    return E_FAIL;
                return S_OK;
            });
    }

    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) noexcept override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) noexcept override { return DISP_E_MEMBERNOTFOUND; }

private:
    ~CAccessibleWindowUI() = default;

    // The window's manager, when the window still exists and this is its thread.
    HRESULT Connect(CWindowManagerUI*& manager) const
    {
        manager = nullptr;
        if (!::IsWindow(m_hWnd)) return CO_E_OBJNOTCONNECTED;
        DWORD process = 0;
        const DWORD thread = ::GetWindowThreadProcessId(m_hWnd, &process);
        // A handle that now names another program's window.
        if (process != ::GetCurrentProcessId()) return CO_E_OBJNOTCONNECTED;
        // The controls are touched on their window's thread only.
        if (thread != ::GetCurrentThreadId()) return RPC_E_WRONG_THREAD;
        manager = ManagerOf(m_hWnd);
        if (!manager || !manager->Root()) return CO_E_OBJNOTCONNECTED;
        return S_OK;
    }

    HRESULT Children(std::vector<TChild>& children) const
    {
        CWindowManagerUI* manager = nullptr;
        const HRESULT hr = Connect(manager);
        if (FAILED(hr)) return hr;
        CollectChildren(m_hWnd, *manager, m_names, children);
        return S_OK;
    }

    // found: none for the object itself; E_INVALIDARG for an id that names
    // no current child.
    HRESULT Resolve(const VARIANT& id, std::vector<TChild>& children, const TChild*& found) const
    {
        found = nullptr;
        const HRESULT hr = Children(children);
        if (FAILED(hr)) return hr;
        if (id.vt == VT_EMPTY) return S_OK;
        if (id.vt != VT_I4) return E_INVALIDARG;
        if (id.lVal == CHILDID_SELF) return S_OK;
        if (id.lVal < 0 || static_cast<unsigned long>(id.lVal) > children.size()) return E_INVALIDARG;
        found = &children[static_cast<std::size_t>(id.lVal) - 1];
        return S_OK;
    }

    static HRESULT WindowObject(HWND window, LONG objectId, IDispatch** out)
    {
        *out = nullptr;
        const auto objectFromWindow = Oleacc().objectFromWindow;
        if (!objectFromWindow) return E_FAIL;
        return objectFromWindow(window, static_cast<DWORD>(objectId), IID_IDispatch, reinterpret_cast<void**>(out));
    }

    // A child window answers for itself through its own object.
    template <typename Call>
    static HRESULT Delegate(const TChild& child, Call&& call)
    {
        const auto objectFromWindow = Oleacc().objectFromWindow;
        if (!objectFromWindow) return E_FAIL;
        win32::ComPtr<IAccessible> object;
        const HRESULT hr = objectFromWindow(child.window, static_cast<DWORD>(OBJID_WINDOW), IID_IAccessible,
                                            object.put_void());
        if (FAILED(hr)) return hr;
        if (!object) return E_FAIL;
        VARIANT self;
        SetI4(&self, CHILDID_SELF);
        return call(*object.get(), self);
    }

    static HRESULT ChildVariant(const std::vector<TChild>& children, std::size_t oneBased, VARIANT* out)
    {
        const TChild& child = children[oneBased - 1];
        if (child.kind != ChildKind::Window) {
            SetI4(out, static_cast<LONG>(oneBased));
            return S_OK;
        }
        IDispatch* object = nullptr;
        const HRESULT hr = WindowObject(child.window, OBJID_WINDOW, &object);
        if (FAILED(hr)) return hr;
        out->vt = VT_DISPATCH;
        out->pdispVal = object;
        return S_OK;
    }

    // Description and help: the controls have none.
    HRESULT SimpleString(const VARIANT& id, BSTR* out, HRESULT (STDMETHODCALLTYPE IAccessible::*method)(VARIANT, BSTR*))
        const noexcept
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        return ForId(
            id, [] { return S_FALSE; }, [&](IAccessible& a, VARIANT self) { return (a.*method)(self, out); },
            [](const TChild&) { return S_FALSE; });
    }

    // Answers for an id inside the guard: `self` for the window itself,
    // a child window through its own object (`call`), and `control` for one
    // of the skin's controls.
    template <typename Self, typename Call, typename Control>
    HRESULT ForId(const VARIANT& id, Self&& self, Call&& call, Control&& control) const noexcept
    {
        return Guarded([&] {
            std::vector<TChild> children;
            const TChild* found = nullptr;
            const HRESULT hr = Resolve(id, children, found);
            if (FAILED(hr)) return hr;
            if (!found) return self();
            if (found->kind == ChildKind::Window) return Delegate(*found, call);
            return control(*found);
        });
    }

    std::wstring WindowText() const
    {
        const int length = ::GetWindowTextLengthW(m_hWnd);
        if (length <= 0) return {};
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const int copied = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
        text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
        return text;
    }

    LONG m_refs = 1;
    const HWND m_hWnd;  // not owned: the object only asks about it
    const std::vector<TAccessibleName> m_names;
};

}  // namespace

bool AnswerAccessibleObject(HWND window, WPARAM flags, LPARAM objectId, const std::vector<TAccessibleName>& names,
                            LRESULT& result)
{
    // The id is a 32-bit number, sign- or zero-extended in a 64-bit lParam.
    if (static_cast<LONG>(static_cast<DWORD>(objectId)) != OBJID_CLIENT) return false;
    const auto lresultFromObject = Oleacc().lresultFromObject;
    if (!lresultFromObject) return false;
    CAccessibleWindowUI* object = nullptr;
    try {
        object = new CAccessibleWindowUI(window, names);
    } catch (...) {
        return false;
    }
    const LRESULT answer = lresultFromObject(IID_IAccessible, flags, static_cast<IAccessible*>(object));
    object->Release();  // the answer holds its own reference
    if (FAILED(static_cast<HRESULT>(answer))) return false;
    result = answer;
    return true;
}

UINT AccessibleActionMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"SkinUI.AccessibleDefaultAction");
    return message;
}

void RunAccessibleAction(CWindowManagerUI& manager, WPARAM ordinal, LPARAM identity)
{
    CControlUI* target = nullptr;
    std::size_t at = 0;
    auto visit = [&](CControlUI* control) {
        if (at++ != static_cast<std::size_t>(ordinal)) return false;
        target = control;
        return true;
    };
    ForEachVisibleControl(manager.Root(), visit);
    if (!target || !target->InterfaceFor(L"Button")) return;
    if (static_cast<std::uint32_t>(identity) != Identity(*target)) return;
    target->Activate();  // as a mouse click: only a visible, enabled button raises "click"
}

}  // namespace SkinUI
