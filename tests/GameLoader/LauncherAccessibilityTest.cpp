// The accessible objects of the launcher window and the notice box, read
// back through oleacc as a screen reader reads them, from the product's own
// windows built from the product's skin (resource "ZIPRES" 130 of this
// program): names, roles, values, places, the buttons' default action, and
// what a client holding the object gets once the window or its controls
// have gone.
#include "GameLoader/GameLoaderWnd/GameLoaderWnd.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "GameLoader/GameLoaderWnd/CustomMsgBox.h"
#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "base/ProcedurePointers.h"
#include "base/Win32Handles.h"
#include "tests/GameLoader/NoticeBoxOwner.h"
#include "tests/support/InProcessLog.h"
#include "tests/support/LauncherProcess.h"
#include "tests/support/LauncherWorld.h"
#include "tests/support/TestSupport.h"
#include "toolkit/controls/ControlUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/skinwindow/AccessibleWindowUI.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

using testsupport::PumpUntil;
using win32::ComPtr;

const std::wstring kOneDot = L"\u6b63\u5728\u4e0b\u8f7d\u6e38\u620f\u6587\u4ef6\uff0c\u8bf7\u8010\u5fc3\u7b49\u5f85.";
const std::wstring kMinimise = L"\u6700\u5c0f\u5316";       // 最小化
const std::wstring kClose = L"\u5173\u95ed";                // 关闭
const std::wstring kProgress = L"\u4e0b\u8f7d\u8fdb\u5ea6";  // 下载进度
const std::wstring kNotice = L"\u63d0\u793a";               // 提示
const std::wstring kOk = L"\u786e\u5b9a";                   // 确定
const std::wstring kUnpackFailed = L"\u91ca\u653e\u6587\u4ef6\u51fa\u9519";
const std::wstring kPress = L"\u6309\u4e0b";  // 按下

VARIANT Id(LONG id)
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring Take(BSTR text)
{
    std::wstring taken = text ? std::wstring(text, ::SysStringLen(text)) : L"<none>";
    ::SysFreeString(text);
    return taken;
}

struct Element {
    std::wstring name;
    LONG role = 0;
    std::wstring value = L"<none>";
    bool operator==(const Element& other) const
    {
        return name == other.name && role == other.role && value == other.value;
    }
};

void PrintTo(const Element& e, std::ostream* out)
{
    *out << "{" << testsupport::WideToUtf8(e.name) << ", role " << e.role << ", "
         << testsupport::WideToUtf8(e.value) << "}";
}

// oleacc as a client has it; taken from the system's library, whose
// interface ids the product's own come from as well.
HRESULT ObjectFromWindow(HWND window, LONG objectId, ComPtr<IAccessible>& object)
{
    using Proc = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    static const Proc proc = win32::ExportedFunction<Proc>(::LoadLibraryW(L"oleacc.dll"), "AccessibleObjectFromWindow");
    if (!proc) return E_FAIL;
    return proc(window, static_cast<DWORD>(objectId), IID_IAccessible, object.put_void());
}

ComPtr<IAccessible> ClientObject(HWND window)
{
    ComPtr<IAccessible> object;
    const HRESULT hr = ObjectFromWindow(window, OBJID_CLIENT, object);
    EXPECT_EQ(hr, S_OK);
    return object;
}

// The simple elements among the children, in order; child windows answer
// for themselves and are left out.
std::vector<Element> Elements(IAccessible& object)
{
    LONG count = 0;
    EXPECT_EQ(object.get_accChildCount(&count), S_OK);
    std::vector<Element> found;
    for (LONG id = 1; id <= count; ++id) {
        IDispatch* child = nullptr;
        if (object.get_accChild(Id(id), &child) == S_OK && child) {
            child->Release();
            continue;
        }
        Element e;
        BSTR text = nullptr;
        object.get_accName(Id(id), &text);
        e.name = Take(text);
        VARIANT role;
        ::VariantInit(&role);
        EXPECT_EQ(object.get_accRole(Id(id), &role), S_OK) << id;
        e.role = role.vt == VT_I4 ? role.lVal : -1;
        text = nullptr;
        object.get_accValue(Id(id), &text);
        e.value = Take(text);
        found.push_back(e);
    }
    return found;
}

// The id of the first child with this name; 0 when there is none.
LONG IdOf(IAccessible& object, const std::wstring& name)
{
    LONG count = 0;
    if (object.get_accChildCount(&count) != S_OK) return 0;
    for (LONG id = 1; id <= count; ++id) {
        BSTR text = nullptr;
        if (object.get_accName(Id(id), &text) == S_OK && Take(text) == name) return id;
    }
    return 0;
}

SkinUI::CWindowManagerUI* ManagerOf(HWND window)
{
    const SkinUI::CUiPtrArray& managers = SkinUI::CWindowManagerUI::AllManagers();
    for (int i = 0; i < managers.Count(); ++i) {
        auto* manager = static_cast<SkinUI::CWindowManagerUI*>(managers.At(i));
        if (manager->WindowHandle() == window) return manager;
    }
    return nullptr;
}

SkinUI::CControlUI* Control(HWND window, const wchar_t* name)
{
    SkinUI::CWindowManagerUI* manager = ManagerOf(window);
    return manager ? manager->FindByName(name) : nullptr;
}

// Every control of a tree, for a dead set.
std::vector<SkinUI::CControlUI*> AllControls(SkinUI::CControlUI* root)
{
    std::vector<SkinUI::CControlUI*> all;
    if (!root) return all;
    root->Search(
        [](SkinUI::CControlUI* control, void* data) -> SkinUI::CControlUI* {
            static_cast<std::vector<SkinUI::CControlUI*>*>(data)->push_back(control);
            return nullptr;
        },
        &all, SkinUI::FIND_ME_FIRST);
    return all;
}


// Everything posted to this thread before the call has been handled when it returns.
bool PumpPostedSoFar()
{
    constexpr UINT kMarker = WM_APP + 77;
    bool seen = false;
    if (!::PostThreadMessageW(::GetCurrentThreadId(), kMarker, 0, 0)) return false;
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (!seen && ::GetTickCount() - start < 5000) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        if (msg.hwnd == nullptr && msg.message == kMarker) {
            seen = true;
            continue;
        }
        if (msg.message == WM_QUIT) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    // A destroyed launcher window posts a quit, which comes only after every
    // posted message: take it too, so that no later loop ends on it.
    while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return seen;
}

class LauncherAccessibilityTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        SkinUI::CWindowManagerUI::StartUp(::GetModuleHandleW(nullptr));
    }
    void SetUp() override { testsupport::InProcessLog::File(); }
    void TearDown() override
    {
        if (m_window && ::IsWindow(m_window)) {
            ::DestroyWindow(m_window);
            PumpPostedSoFar();
        }
    }

    // token "1" keeps the window hidden when the page has loaded; the tests
    // show it themselves where the controls need a layout.
    HWND Create()
    {
        auto* window = new GameLoaderWnd(L"{\"token\":\"1\",\"tokenLogin\":\"0\",\"source\":\"test\"}");
        m_window = window->Create(nullptr, L"VorkanAccessible", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, 0);
        if (m_window) ::ShowWindow(m_window, SW_HIDE);
        return m_window;
    }

    // The download page, shown and laid out at (100, 80).
    void ShowDownloadPage()
    {
        auto* tab = dynamic_cast<SkinUI::CTabLayoutUI*>(Control(m_window, L"wizardTab"));
        ASSERT_NE(tab, nullptr);
        tab->SelectPage(1);
        ::SetWindowPos(m_window, nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
        ::UpdateWindow(m_window);
        ASSERT_TRUE(PumpPostedSoFar());
    }

    void ShowBrowserPage()
    {
        auto* tab = dynamic_cast<SkinUI::CTabLayoutUI*>(Control(m_window, L"wizardTab"));
        ASSERT_NE(tab, nullptr);
        tab->SelectPage(0);
    }

    HWND m_window = nullptr;
    testsupport::SettingsFileBackup m_settings;
    testsupport::UninstallEntryBackup m_entry;
};

TEST_F(LauncherAccessibilityTest, TheDownloadPageNamesItsButtonsBarAndTipFromTheSkinAndTheWindow)
{
    ASSERT_NE(Create(), nullptr);
    ComPtr<IAccessible> object = ClientObject(m_window);
    ASSERT_TRUE(object);
    EXPECT_EQ(Elements(*object.get()), std::vector<Element>{}) << "the browser page shows no button or label";

    ShowDownloadPage();
    const std::vector<Element> expected = {
        {kMinimise, ROLE_SYSTEM_PUSHBUTTON},
        {kClose, ROLE_SYSTEM_PUSHBUTTON},
        {kProgress, ROLE_SYSTEM_PROGRESSBAR, L"0%"},
        {kOneDot, ROLE_SYSTEM_STATICTEXT},  // the skin's own text
    };
    EXPECT_EQ(Elements(*object.get()), expected) << "the same object follows the page";

    ::SendMessageW(m_window, WM_LAUNCHER_PROGRESS, 57, 0);
    ::SendMessageW(m_window, WM_LAUNCHER_PROGRESS, 57, 0);  // at 57 already: the tip stays
    BSTR value = nullptr;
    EXPECT_EQ(object->get_accValue(Id(3), &value), S_OK);
    EXPECT_EQ(Take(value), L"57%");

    VARIANT role;
    ::VariantInit(&role);
    EXPECT_EQ(object->get_accRole(Id(CHILDID_SELF), &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_CLIENT);
    BSTR text = nullptr;
    EXPECT_EQ(object->get_accName(Id(CHILDID_SELF), &text), S_OK);
    EXPECT_EQ(Take(text), L"VorkanAccessible") << "the window's title";
    text = nullptr;
    EXPECT_EQ(object->get_accDefaultAction(Id(2), &text), S_OK);
    EXPECT_EQ(Take(text), kPress);
    text = nullptr;
    EXPECT_EQ(object->get_accDefaultAction(Id(4), &text), S_FALSE) << "a label has no action";
    EXPECT_EQ(text, nullptr);

    ComPtr<IDispatch> parent;
    EXPECT_EQ(object->get_accParent(parent.put()), S_OK);
    EXPECT_TRUE(parent) << "the window's own object, from the system";
}

// The portal page is another program's window inside ours: it is a child
// of the object and answers for itself, through the system's object.
TEST_F(LauncherAccessibilityTest, TheLoadedPageIsAChildWindowThatAnswersForItself)
{
    ASSERT_NE(Create(), nullptr);
    SkinUI::CControlUI* browser = Control(m_window, L"ie");
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(PumpUntil([browser] { return browser->IsVisible(); }, 15000)) << "the page completed";
    ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
    ::UpdateWindow(m_window);
    ASSERT_TRUE(PumpPostedSoFar());
    const HWND host = ::GetWindow(m_window, GW_CHILD);
    ASSERT_NE(host, nullptr);
    ASSERT_TRUE(::IsWindowVisible(host));

    ComPtr<IAccessible> object = ClientObject(m_window);
    ASSERT_TRUE(object);
    LONG count = 0;
    ASSERT_EQ(object->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, 1) << "no button or label on the browser page, one child window";
    ComPtr<IDispatch> child;
    ASSERT_EQ(object->get_accChild(Id(1), child.put()), S_OK);
    ComPtr<IAccessible> page;
    ASSERT_EQ(child.As(IID_IAccessible, page), S_OK);
    // Wine's window objects answer little; whatever the page's object
    // answers, the parent passes on unchanged.
    VARIANT role, delegated;
    ::VariantInit(&role);
    ::VariantInit(&delegated);
    EXPECT_EQ(object->get_accRole(Id(1), &delegated), page->get_accRole(Id(CHILDID_SELF), &role));
    EXPECT_EQ(delegated.vt, role.vt);
    EXPECT_EQ(delegated.lVal, role.lVal);
    BSTR name = nullptr, delegatedName = nullptr;
    EXPECT_EQ(object->get_accName(Id(1), &delegatedName), page->get_accName(Id(CHILDID_SELF), &name));
    EXPECT_EQ(Take(delegatedName), Take(name));
    LONG place[4] = {}, delegatedPlace[4] = {};
    EXPECT_EQ(object->accLocation(&delegatedPlace[0], &delegatedPlace[1], &delegatedPlace[2], &delegatedPlace[3], Id(1)),
              page->accLocation(&place[0], &place[1], &place[2], &place[3], Id(CHILDID_SELF)));
    EXPECT_TRUE(std::equal(std::begin(place), std::end(place), std::begin(delegatedPlace)));

    RECT r{};
    ::GetWindowRect(host, &r);
    VARIANT at;
    ::VariantInit(&at);
    ASSERT_EQ(object->accHitTest((r.left + r.right) / 2, (r.top + r.bottom) / 2, &at), S_OK);
    EXPECT_EQ(at.vt, VT_DISPATCH) << "a point on the page is the page's";
    ::VariantClear(&at);
}

TEST_F(LauncherAccessibilityTest, PlacesAndHitTestsAreTheControlsOnTheScreen)
{
    ASSERT_NE(Create(), nullptr);
    ShowDownloadPage();
    ComPtr<IAccessible> object = ClientObject(m_window);
    ASSERT_TRUE(object);
    POINT origin = {0, 0};
    ::ClientToScreen(m_window, &origin);
    struct Case {
        LONG id;
        RECT inClient;  // from the skin's "pos"
    } cases[] = {
        {1, {902, 6, 926, 30}},      // btnMin
        {2, {928, 4, 956, 34}},      // btnClose
        {3, {320, 320, 850, 333}},   // progress, 530 x 13
        {4, {320, 332, 850, 352}},   // progTip, 530 x 20
    };
    for (const Case& c : cases) {
        LONG left = 0, top = 0, width = 0, height = 0;
        ASSERT_EQ(object->accLocation(&left, &top, &width, &height, Id(c.id)), S_OK) << c.id;
        EXPECT_EQ(left, origin.x + c.inClient.left) << c.id;
        EXPECT_EQ(top, origin.y + c.inClient.top) << c.id;
        EXPECT_EQ(width, c.inClient.right - c.inClient.left) << c.id;
        EXPECT_EQ(height, c.inClient.bottom - c.inClient.top) << c.id;
    }
    struct Hit {
        POINT inClient;
        VARTYPE vt;
        LONG id;
    } hits[] = {
        {{914, 18}, VT_I4, 1},
        {{940, 20}, VT_I4, 2},
        {{400, 326}, VT_I4, 3},
        {{400, 345}, VT_I4, 4},
        {{100, 100}, VT_I4, CHILDID_SELF},
        {{-5, 10}, VT_EMPTY, 0},  // outside the client area
    };
    for (const Hit& h : hits) {
        VARIANT at;
        ::VariantInit(&at);
        const HRESULT hr = object->accHitTest(origin.x + h.inClient.x, origin.y + h.inClient.y, &at);
        EXPECT_EQ(hr, h.vt == VT_EMPTY ? S_FALSE : S_OK) << h.inClient.x << "," << h.inClient.y;
        EXPECT_EQ(at.vt, h.vt) << h.inClient.x << "," << h.inClient.y;
        if (h.vt == VT_I4) {
            EXPECT_EQ(at.lVal, h.id) << h.inClient.x << "," << h.inClient.y;
        }
        ::VariantClear(&at);
    }
    VARIANT next;
    ::VariantInit(&next);
    EXPECT_EQ(object->accNavigate(NAVDIR_NEXT, Id(1), &next), S_OK);
    EXPECT_EQ(next.lVal, 2);
    EXPECT_EQ(object->accNavigate(NAVDIR_FIRSTCHILD, Id(CHILDID_SELF), &next), S_OK);
    EXPECT_EQ(next.lVal, 1);
    EXPECT_EQ(object->accNavigate(NAVDIR_PREVIOUS, Id(1), &next), S_FALSE);
    EXPECT_EQ(next.vt, VT_EMPTY);
}

TEST_F(LauncherAccessibilityTest, TheDefaultActionClicksTheButtonLaterAsTheMouseDoes)
{
    ASSERT_NE(Create(), nullptr);
    ShowDownloadPage();
    ComPtr<IAccessible> object = ClientObject(m_window);
    ASSERT_TRUE(object);
    SkinUI::CControlUI* minimise = Control(m_window, L"btnMin");
    ASSERT_NE(minimise, nullptr);
    std::vector<std::wstring> raised;
    minimise->OnNotify.Add([&raised](SkinUI::TNotifyRecord& record) {
        raised.push_back(std::wstring(record.sType.View()));
        return true;
    });

    const LONG id = IdOf(*object.get(), kMinimise);
    ASSERT_EQ(id, 1);
    EXPECT_EQ(object->accDoDefaultAction(Id(id)), S_OK);
    EXPECT_TRUE(raised.empty()) << "nothing runs inside the client's call";
    EXPECT_TRUE(PumpUntil([&] { return ::IsIconic(m_window) != FALSE; })) << "btnMin minimises the window";
    EXPECT_EQ(raised, std::vector<std::wstring>{L"click"});

    ::ShowWindow(m_window, SW_RESTORE);
    ASSERT_TRUE(PumpPostedSoFar());
    EXPECT_EQ(object->accDoDefaultAction(Id(IdOf(*object.get(), kClose))), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(m_window); })) << "btnClose closes the launcher";
    m_window = nullptr;
}

TEST_F(LauncherAccessibilityTest, AnActionForAControlThatWentMeanwhileIsDropped)
{
    ASSERT_NE(Create(), nullptr);
    ShowDownloadPage();
    ComPtr<IAccessible> object = ClientObject(m_window);
    ASSERT_TRUE(object);
    const LONG closeId = IdOf(*object.get(), kClose);
    ASSERT_NE(closeId, 0);
    EXPECT_EQ(object->accDoDefaultAction(Id(closeId)), S_OK);
    ShowBrowserPage();  // the button is hidden before the action arrives
    ASSERT_TRUE(PumpPostedSoFar());
    EXPECT_TRUE(::IsWindow(m_window)) << "no click reached a hidden button";

    BSTR name = nullptr;
    EXPECT_EQ(object->get_accName(Id(closeId), &name), E_INVALIDARG) << "the id names no current child";
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(object->accDoDefaultAction(Id(closeId)), E_INVALIDARG);

    // Posted by anyone: ordinals with identities that match nothing click nothing.
    ShowDownloadPage();
    for (WPARAM ordinal = 0; ordinal < 64; ++ordinal) {
        ::PostMessageW(m_window, SkinUI::AccessibleActionMessage(), ordinal, 0);
        ::PostMessageW(m_window, SkinUI::AccessibleActionMessage(), ordinal, -1);
    }
    ::PostMessageW(m_window, SkinUI::AccessibleActionMessage(), static_cast<WPARAM>(-1), 0);
    ASSERT_TRUE(PumpPostedSoFar());
    EXPECT_TRUE(::IsWindow(m_window));
    EXPECT_FALSE(::IsIconic(m_window));
}

TEST_F(LauncherAccessibilityTest, BadIdsAndMissingOutPointersFailWithoutTouchingAnything)
{
    ASSERT_NE(Create(), nullptr);
    ShowDownloadPage();
    ComPtr<IAccessible> object = ClientObject(m_window);
    ASSERT_TRUE(object);
    VARIANT text;
    ::VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = ::SysAllocString(L"1");
    VARIANT shortId;
    ::VariantInit(&shortId);
    shortId.vt = VT_I2;
    shortId.iVal = 1;
    const VARIANT ids[] = {Id(-1), Id(5), Id(0x7FFFFFFF), Id(static_cast<LONG>(0x80000000u)), text, shortId};
    for (const VARIANT& id : ids) {
        BSTR name = nullptr;
        EXPECT_EQ(object->get_accName(id, &name), E_INVALIDARG) << id.vt << " " << id.lVal;
        VARIANT role;
        ::VariantInit(&role);
        EXPECT_EQ(object->get_accRole(id, &role), E_INVALIDARG) << id.vt << " " << id.lVal;
        EXPECT_EQ(role.vt, VT_EMPTY);
        EXPECT_EQ(object->accDoDefaultAction(id), E_INVALIDARG) << id.vt << " " << id.lVal;
        LONG l, t, w, h;
        EXPECT_EQ(object->accLocation(&l, &t, &w, &h, id), E_INVALIDARG);
    }
    ::VariantClear(&text);
    EXPECT_EQ(object->get_accChildCount(nullptr), E_POINTER);
    EXPECT_EQ(object->get_accName(Id(1), nullptr), E_POINTER);
    EXPECT_EQ(object->get_accRole(Id(1), nullptr), E_POINTER);
    EXPECT_EQ(object->accHitTest(0, 0, nullptr), E_POINTER);
    EXPECT_EQ(object->accLocation(nullptr, nullptr, nullptr, nullptr, Id(1)), E_POINTER);
    ASSERT_TRUE(PumpPostedSoFar());
    EXPECT_TRUE(::IsWindow(m_window)) << "nothing was clicked";
}

TEST_F(LauncherAccessibilityTest, OnAnotherThreadTheObjectRefusesToReachTheControls)
{
    ASSERT_NE(Create(), nullptr);
    ShowDownloadPage();
    ComPtr<IAccessible> object = ClientObject(m_window);
    ASSERT_TRUE(object);
    HRESULT count = S_OK, name = S_OK, action = S_OK;
    std::thread([&] {
        // Called without marshalling, as a careless in-process client would.
        LONG n = 0;
        count = object->get_accChildCount(&n);
        BSTR text = nullptr;
        name = object->get_accName(Id(1), &text);
        ::SysFreeString(text);
        action = object->accDoDefaultAction(Id(2));
    }).join();
    EXPECT_EQ(count, RPC_E_WRONG_THREAD);
    EXPECT_EQ(name, RPC_E_WRONG_THREAD);
    EXPECT_EQ(action, RPC_E_WRONG_THREAD);
    ASSERT_TRUE(PumpPostedSoFar());
    EXPECT_TRUE(::IsWindow(m_window));
}

TEST_F(LauncherAccessibilityTest, AfterTheWindowHasGoneEveryCallFailsCleanly)
{
    ASSERT_NE(Create(), nullptr);
    ShowDownloadPage();
    ComPtr<IAccessible> object = ClientObject(m_window);
    ASSERT_TRUE(object);
    LONG count = 0;
    ASSERT_EQ(object->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, 4);

    // The dead set: every control of the window records its destruction.
    std::set<SkinUI::CControlUI*> dead;
    const std::vector<SkinUI::CControlUI*> controls = AllControls(ManagerOf(m_window)->Root());
    ASSERT_GE(controls.size(), 4u);
    for (SkinUI::CControlUI* control : controls) {
        control->OnDestroyed.Add([&dead](SkinUI::CControlUI* gone) {
            dead.insert(gone);
            return true;
        });
    }
    ::DestroyWindow(m_window);
    ASSERT_TRUE(PumpPostedSoFar());
    ASSERT_FALSE(::IsWindow(m_window));
    EXPECT_EQ(dead.size(), controls.size()) << "the window object and its controls are gone";
    m_window = nullptr;

    auto name = [](IAccessible& a, LONG id) {
        BSTR s = nullptr;
        const HRESULT hr = a.get_accName(Id(id), &s);
        ::SysFreeString(s);
        return hr;
    };
    const std::function<HRESULT(IAccessible&)> calls[] = {
        [](IAccessible& a) { LONG n = 0; return a.get_accChildCount(&n); },
        [&](IAccessible& a) { return name(a, 2); },
        [&](IAccessible& a) { return name(a, CHILDID_SELF); },
        [](IAccessible& a) { BSTR s = nullptr; return a.get_accValue(Id(3), &s); },
        [](IAccessible& a) { VARIANT v; ::VariantInit(&v); return a.get_accRole(Id(1), &v); },
        [](IAccessible& a) { VARIANT v; ::VariantInit(&v); return a.get_accState(Id(1), &v); },
        [](IAccessible& a) { return a.accDoDefaultAction(Id(2)); },
        [](IAccessible& a) { LONG l, t, w, h; return a.accLocation(&l, &t, &w, &h, Id(1)); },
        [](IAccessible& a) { VARIANT v; ::VariantInit(&v); return a.accHitTest(0, 0, &v); },
        [](IAccessible& a) { VARIANT v; ::VariantInit(&v); return a.accNavigate(NAVDIR_FIRSTCHILD, Id(0), &v); },
        [](IAccessible& a) { VARIANT v; ::VariantInit(&v); return a.get_accFocus(&v); },
        [](IAccessible& a) { IDispatch* d = nullptr; return a.get_accParent(&d); },
        [](IAccessible& a) { IDispatch* d = nullptr; return a.get_accChild(Id(1), &d); },
    };
    for (std::size_t i = 0; i < std::size(calls); ++i) {
        EXPECT_EQ(calls[i](*object.get()), CO_E_OBJNOTCONNECTED) << "call " << i;
    }
}

// The notice box over a plain owner window that counts its WM_CLOSE.
class NoticeBoxAccessibilityTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        SkinUI::CWindowManagerUI::StartUp(::GetModuleHandleW(nullptr));
    }
    void SetUp() override { ASSERT_NE(m_box.hwnd(), nullptr); }

    // Acts on the box from a timer of its modal loop; the owner's WM_CLOSE,
    // posted after the box's, is taken afterwards.
    int Show(const std::wstring& message, std::function<void(HWND box)> act)
    {
        const int code = m_box.Show(message, std::move(act), 200);
        PumpPostedSoFar();
        return code;
    }
    int OwnerCloses() const { return m_box.closesBeforeReturn + m_box.closesAfterReturn; }

    testsupport::NoticeBoxOwner m_box;
};

const std::vector<Element> kNoticeElements = {
    {kNotice, ROLE_SYSTEM_STATICTEXT},          // the title label
    {kClose, ROLE_SYSTEM_PUSHBUTTON},           // an image: named by the box
    {kUnpackFailed, ROLE_SYSTEM_STATICTEXT},    // the message line
    {kOk, ROLE_SYSTEM_PUSHBUTTON},              // the skin's text
};

TEST_F(NoticeBoxAccessibilityTest, TheBoxReadsTitleCloseMessageAndOkAndOkClosesItWithCodeOne)
{
    std::vector<Element> seen;
    HRESULT acted = E_FAIL;
    const int code = Show(kUnpackFailed, [&](HWND box) {
        ComPtr<IAccessible> object = ClientObject(box);
        if (!object) return;
        seen = Elements(*object.get());
        acted = object->accDoDefaultAction(Id(IdOf(*object.get(), kOk)));
    });
    EXPECT_EQ(seen, kNoticeElements) << "the warning icon has no words and is left out";
    EXPECT_EQ(acted, S_OK);
    EXPECT_EQ(code, NOTICE_CLOSED_BY_OK);
    EXPECT_EQ(OwnerCloses(), 1) << "OK closes the owner too, as a click does";
}

TEST_F(NoticeBoxAccessibilityTest, AnEmptyMessageLineIsLeftOut)
{
    std::vector<Element> seen;
    Show(L"", [&](HWND box) {
        if (ComPtr<IAccessible> object = ClientObject(box)) seen = Elements(*object.get());
        ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    const std::vector<Element> expected = {kNoticeElements[0], kNoticeElements[1], kNoticeElements[3]};
    EXPECT_EQ(seen, expected);
}

// A screen reader's calls come from another apartment, through oleacc's
// marshalling, into the box's modal loop.
TEST_F(NoticeBoxAccessibilityTest, AClientInAnotherApartmentReadsTheBoxAndPressesClose)
{
    std::vector<Element> seen;
    HRESULT found = E_FAIL, acted = E_FAIL;
    std::atomic<bool> done{false};
    std::thread client;
    const int code = Show(kUnpackFailed, [&](HWND box) {
        client = std::thread([&, box] {
            ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            {
                ComPtr<IAccessible> object;
                found = ObjectFromWindow(box, OBJID_CLIENT, object);
                if (object) {
                    seen = Elements(*object.get());
                    acted = object->accDoDefaultAction(Id(IdOf(*object.get(), kClose)));
                }
            }
            ::CoUninitialize();
            done = true;
        });
    });
    ASSERT_TRUE(client.joinable()) << "the box showed";
    client.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(found, S_OK);
    EXPECT_EQ(seen, kNoticeElements);
    EXPECT_EQ(acted, S_OK);
    EXPECT_EQ(code, NOTICE_CLOSED_BY_CLOSE);
    EXPECT_EQ(OwnerCloses(), 1);
}

TEST_F(NoticeBoxAccessibilityTest, AnObjectKeptAfterTheBoxHasGoneFailsCleanly)
{
    ComPtr<IAccessible> kept;
    std::set<SkinUI::CControlUI*> dead;
    std::size_t controls = 0;
    const int code = Show(kUnpackFailed, [&](HWND box) {
        kept = ClientObject(box);
        for (SkinUI::CControlUI* control : AllControls(ManagerOf(box)->Root())) {
            ++controls;
            control->OnDestroyed.Add([&dead](SkinUI::CControlUI* gone) {
                dead.insert(gone);
                return true;
            });
        }
        ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(code, NOTICE_CLOSED_OTHERWISE);
    ASSERT_TRUE(kept);
    EXPECT_GT(controls, 4u);
    EXPECT_EQ(dead.size(), controls) << "the box object and every control are gone";
    LONG count = -1;
    EXPECT_EQ(kept->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(count, 0);
    BSTR name = nullptr;
    EXPECT_EQ(kept->get_accName(Id(4), &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(kept->accDoDefaultAction(Id(4)), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(OwnerCloses(), 0);
}

}  // namespace
