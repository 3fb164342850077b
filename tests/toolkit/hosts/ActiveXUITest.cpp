// Creation, activation, placement, visibility and release of a hosted OLE
// control, hosted here through the stand-in browser engine's class.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/ProcedurePointers.h"
#include "tests/toolkit/hosts/HostTestWindow.h"
#include "toolkit/hosts/ActiveXCtrl.h"
#include "toolkit/hosts/ActiveXUI.h"

namespace {

using hosttest::EngineSession;
using hosttest::HostTestWindow;

constexpr wchar_t kEngineClass[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

// Counts the creations a control attempts.
class CountingActiveXUI : public SkinUI::CActiveXUI {
public:
    bool CreateHostedControl() override
    {
        ++creations;
        return CActiveXUI::CreateHostedControl();
    }
    int creations = 0;
};

class ActiveXUITest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EngineSession::EngineRegistered()) << "run scripts/wine-register first"; }

    std::wstring Attributes(const std::wstring& clsid, const wchar_t* rest) const
    {
        return L"clsid=\"" + clsid + L"\" " + rest;
    }

    // An engine control in the window, created and placed at (0, 0)-(200, 100).
    CountingActiveXUI* PlacedEngineControl()
    {
        auto* control = new CountingActiveXUI;
        m_window.AttachRoot(control);
        control->ApplyAttributes(Attributes(kEngineClass, L"").c_str());
        control->Place(RECT{0, 0, 200, 100});
        return control;
    }

    hosttest::OleApartment m_ole;
    EngineSession m_engine{""};
    HostTestWindow m_window;
};

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& prefix)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].compare(0, prefix.size(), prefix) == 0) return i;
    return lines.size();
}

TEST_F(ActiveXUITest, UnknownClassLeavesTheControlEmptyAndIsNeverRetried)
{
    auto* control = new CountingActiveXUI;
    m_window.AttachRoot(control);
    control->ApplyAttributes(L"clsid=\"{0BADC1D0-0000-4000-8000-0000000000AA}\" delaycreate=\"false\"");
    EXPECT_EQ(control->creations, 1);
    EXPECT_TRUE(control->IsCreated());
    EXPECT_EQ(control->HostedObject(), nullptr);
    EXPECT_EQ(control->Site(), nullptr);

    control->Place(RECT{0, 0, 300, 200});
    control->Place(RECT{10, 10, 310, 210});
    EXPECT_EQ(control->creations, 1);
    EXPECT_EQ(control->HostWindow(), nullptr);
}

TEST_F(ActiveXUITest, UnreadableClassIsIgnored)
{
    auto* control = new CountingActiveXUI;
    m_window.AttachRoot(control);
    control->ApplyAttributes(L"delaycreate=\"false\" clsid=\"no.such.program\"");
    EXPECT_EQ(control->creations, 0);
    EXPECT_FALSE(control->IsCreated());
    EXPECT_TRUE(::IsEqualGUID(control->ClassId(), GUID_NULL));
}

TEST_F(ActiveXUITest, DelayCreateFalseTwiceCreatesOnce)
{
    auto* control = new CountingActiveXUI;
    m_window.AttachRoot(control);
    control->ApplyAttributes(Attributes(kEngineClass, L"delaycreate=\"false\" delaycreate=\"false\"").c_str());
    EXPECT_EQ(control->creations, 1);
    ASSERT_NE(control->HostedObject(), nullptr);
    EXPECT_EQ(m_engine.LinesStartingWith("create").size(), 1u);
    // Created during the build, before any rectangle: the first placement sizes it.
    control->Place(RECT{20, 30, 420, 330});
    EXPECT_EQ(control->creations, 1);
}

TEST_F(ActiveXUITest, FirstPlacementCreatesAndActivatesInAHostWindow)
{
    auto* control = new CountingActiveXUI;
    m_window.AttachRoot(control);
    control->ApplyAttributes(Attributes(kEngineClass, L"").c_str());
    EXPECT_EQ(control->creations, 0);  // delay-create waits for the layout

    control->Place(RECT{20, 30, 420, 330});
    EXPECT_EQ(control->creations, 1);
    ASSERT_NE(control->HostedObject(), nullptr);
    const HWND host = control->HostWindow();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(::GetParent(host), m_window.Handle());
    wchar_t className[32] = {};
    ::GetClassNameW(host, className, 32);
    EXPECT_STREQ(className, L"ActiveXWnd");
    RECT rc;
    ::GetWindowRect(host, &rc);
    ::MapWindowPoints(nullptr, m_window.Handle(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, 20);
    EXPECT_EQ(rc.top, 30);
    EXPECT_EQ(rc.right, 420);
    EXPECT_EQ(rc.bottom, 330);
    ASSERT_NE(control->Site(), nullptr);
    EXPECT_FALSE(control->Site()->IsWindowless());
    EXPECT_TRUE(control->Site()->IsInPlaceActive());

    // A windowed control's rectangles are those of its host window.
    EXPECT_TRUE(m_engine.Has("SetObjectRects pos=0,0,400,300 clip=0,0,400,300"));
    const HDC screen = ::GetDC(nullptr);
    const int cx = ::MulDiv(2540, 400, ::GetDeviceCaps(screen, LOGPIXELSX));
    const int cy = ::MulDiv(2540, 300, ::GetDeviceCaps(screen, LOGPIXELSY));
    ::ReleaseDC(nullptr, screen);
    EXPECT_TRUE(m_engine.Has("SetExtent cx=" + std::to_string(cx) + " cy=" + std::to_string(cy)));
    EXPECT_TRUE(m_engine.Has("SetHostNames container=UIActiveX"));
}

TEST_F(ActiveXUITest, ClientSiteComesBeforeOrAfterInitNewAsTheControlAsks)
{
    auto* control = new CountingActiveXUI;
    m_window.AttachRoot(control);
    control->ApplyAttributes(Attributes(kEngineClass, L"delaycreate=\"false\"").c_str());
    const std::vector<std::string> lines = m_engine.Lines();
    const std::vector<std::string> status = m_engine.LinesStartingWith("GetMiscStatus");
    ASSERT_FALSE(status.empty());
    const unsigned long answer = std::stoul(status.front().substr(status.front().find("answer=") + 7), nullptr, 16);
    const std::size_t site = IndexOf(lines, "SetClientSite site=1");
    const std::size_t init = IndexOf(lines, "InitNew");
    ASSERT_LT(site, lines.size());
    ASSERT_LT(init, lines.size());
    if (answer & OLEMISC_SETCLIENTSITEFIRST)
        EXPECT_LT(site, init);
    else
        EXPECT_GT(site, init);
}

TEST_F(ActiveXUITest, HidingTheControlHidesItsHostWindow)
{
    auto* control = PlacedEngineControl();
    const HWND host = control->HostWindow();
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(::IsWindowVisible(host));
    control->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(host));
    control->SetVisible(true);
    EXPECT_TRUE(::IsWindowVisible(host));
    control->SetInnerVisible(false);
    EXPECT_FALSE(::IsWindowVisible(host));
}

// The notifications a window receives.
class NotifyLog : public SkinUI::INotifyUI {
public:
    void OnNotify(SkinUI::TNotifyRecord& record) override
    {
        types.push_back(std::wstring(record.sType.View()));
        senders.push_back(record.pSender);
    }
    std::vector<std::wstring> types;
    std::vector<SkinUI::CControlUI*> senders;
};

TEST_F(ActiveXUITest, CreationTellsTheWindowBeforeActivation)
{
    NotifyLog log;
    m_window.Manager().AddNotifyTarget(&log);
    auto* control = new CountingActiveXUI;
    m_window.AttachRoot(control);
    control->ApplyAttributes(Attributes(kEngineClass, L"delaycreate=\"false\"").c_str());
    m_window.Manager().RemoveNotifyTarget(&log);
    ASSERT_EQ(log.types, std::vector<std::wstring>{L"showactivex"});
    EXPECT_EQ(log.senders[0], control);
    const std::vector<std::string> lines = m_engine.Lines();
    EXPECT_LT(IndexOf(lines, "SetHostNames"), IndexOf(lines, "DoVerb verb=-5"));
}

TEST_F(ActiveXUITest, HostWindowActivatesTheControlOnFocus)
{
    auto* control = PlacedEngineControl();
    const HWND host = control->HostWindow();
    ASSERT_NE(host, nullptr);
    SkinUI::CActiveXCtrl* site = control->Site();
    const bool wasUiActive = site->IsUIActive();
    ::SendMessageW(host, WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(site->IsFocused());
    // Only a control that is not UI-active yet is asked to become so.
    EXPECT_EQ(m_engine.Has("DoVerb verb=-4"), !wasUiActive);
    ::SendMessageW(host, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(site->IsFocused());
    // The control draws itself: no background erase under it.
    const HDC dc = ::GetDC(host);
    EXPECT_EQ(::SendMessageW(host, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    ::ReleaseDC(host, dc);
}

LRESULT CALLBACK CountWheel(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MOUSEWHEEL) {
        ::SetPropW(hwnd, L"wheel", reinterpret_cast<HANDLE>(reinterpret_cast<INT_PTR>(::GetPropW(hwnd, L"wheel")) + 1));
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(ActiveXUITest, MouseWheelOverTheHostWindowIsSwallowed)
{
    auto* control = PlacedEngineControl();
    const HWND host = control->HostWindow();
    ASSERT_NE(host, nullptr);
    const WNDPROC previous = win32::ReplaceWindowProcedure(m_window.Handle(), &CountWheel);
    // The parent counts what reaches it: the wheel through the default procedure would.
    ::SendMessageW(m_window.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(::SendMessageW(host, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(10, 10)), 0);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(::GetPropW(m_window.Handle(), L"wheel")), 1);
    win32::ReplaceWindowProcedure(m_window.Handle(), previous);
    ::RemovePropW(m_window.Handle(), L"wheel");
}

TEST_F(ActiveXUITest, ReleaseTakesTheSiteAwayAndClosesTheControl)
{
    auto* control = PlacedEngineControl();
    const HWND host = control->HostWindow();
    ASSERT_NE(host, nullptr);
    control->ReleaseHostedControl();
    EXPECT_EQ(control->HostedObject(), nullptr);
    EXPECT_EQ(control->Site(), nullptr);
    EXPECT_EQ(control->HostWindow(), nullptr);
    EXPECT_FALSE(::IsWindow(host));
    const std::vector<std::string> lines = m_engine.Lines();
    const std::size_t unsite = IndexOf(lines, "SetSite site=0");
    const std::size_t close = IndexOf(lines, "Close save=1");
    const std::size_t noClient = IndexOf(lines, "SetClientSite site=0");
    EXPECT_LT(unsite, close);
    EXPECT_LT(close, noClient);
    EXPECT_LT(noClient, lines.size());
    EXPECT_TRUE(m_engine.Has("destroy"));
}

TEST_F(ActiveXUITest, EachActivationLocksTheControlRunningUntilItsDeactivation)
{
    auto* control = PlacedEngineControl();
    ASSERT_NE(control->Site(), nullptr);
    EXPECT_EQ(m_engine.LinesStartingWith("LockRunning").back(), "LockRunning lock=1 closes=0 hr=0x00000000 locks=1");

    // The control deactivates itself; a click on its window activates it again.
    win32::ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(control->QueryHostedControl(IID_IOleInPlaceObject, inPlace.put_void()), S_OK);
    ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(control->Site()->IsInPlaceActive());
    EXPECT_EQ(m_engine.LinesStartingWith("LockRunning").back(), "LockRunning lock=0 closes=1 hr=0x00000000 locks=0");
    // Without a host window there is nothing to show the control in (a
    // device context of no window would be the screen's).
    ASSERT_EQ(control->HostWindow(), nullptr);
    const std::size_t draws = m_engine.LinesStartingWith("Draw").size();
    EXPECT_EQ(static_cast<IOleClientSite*>(control->Site())->ShowObject(), S_OK);
    EXPECT_EQ(m_engine.LinesStartingWith("Draw").size(), draws);
    HWND host = nullptr;
    ASSERT_EQ(control->Site()->GetWindow(&host), S_OK);
    ::SendMessageW(host, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(m_window.Handle()), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_TRUE(control->Site()->IsInPlaceActive());
    EXPECT_EQ(m_engine.LinesStartingWith("LockRunning").back(), "LockRunning lock=1 closes=0 hr=0x00000000 locks=1");
    inPlace.reset();

    // Released, the last lock is given back and nothing keeps the control alive.
    control->ReleaseHostedControl();
    EXPECT_EQ(m_engine.LinesStartingWith("LockRunning").back(), "LockRunning lock=0 closes=1 hr=0x00000000 locks=0");
    EXPECT_EQ(m_engine.LinesStartingWith("LockRunning").size(), 4u);
    EXPECT_TRUE(m_engine.Has("destroy")) << m_engine.Text();
}

TEST_F(ActiveXUITest, ModuleNameCreatesThroughTheModulesClassFactory)
{
    auto* control = new CountingActiveXUI;
    m_window.AttachRoot(control);
    const std::wstring module = testsupport::BesideTests(L"vrk_browser_engine.dll");
    control->ApplyAttributes((L"modulename=\"" + module + L"\" clsid=\"" + kEngineClass + L"\" delaycreate=\"false\"").c_str());
    ASSERT_NE(control->HostedObject(), nullptr);
    EXPECT_EQ(control->ModuleName(), module);
    EXPECT_EQ(m_engine.LinesStartingWith("create").size(), 1u);
}

}  // namespace
