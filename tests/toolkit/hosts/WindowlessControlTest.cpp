// Windowless in-place activation: a control that asks to be windowless is
// drawn by the skinned window and gets its input through the window
// manager's handler filter. The control here is a small in-process class
// registered for the test, since the browser engine always takes a window.
#include <gtest/gtest.h>

#include <ocidl.h>
#include <ole2.h>

#include <vector>

#include "tests/toolkit/hosts/HostTestWindow.h"
#include "toolkit/hosts/ActiveXCtrl.h"
#include "toolkit/hosts/ActiveXUI.h"

namespace {

// {6E2A53B1-7C0D-4F6A-9B1E-3D5C7A9E1F20}
const CLSID kWindowlessClass = {0x6E2A53B1, 0x7C0D, 0x4F6A, {0x9B, 0x1E, 0x3D, 0x5C, 0x7A, 0x9E, 0x1F, 0x20}};

// What the container did to the control.
struct ControlLog {
    std::vector<UINT> messages;  // through OnWindowMessage
    std::vector<RECTL> draws;
    RECT objectRect = {};
    bool activatedWindowless = false;
};

class WindowlessControl final : public IOleObject, public IOleInPlaceObjectWindowless, public IViewObjectEx {
public:
    explicit WindowlessControl(ControlLog& log) : m_log(log) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleObject) *ppv = static_cast<IOleObject*>(this);
        if (riid == IID_IOleInPlaceObjectWindowless || riid == IID_IOleInPlaceObject || riid == IID_IOleWindow)
            *ppv = static_cast<IOleInPlaceObjectWindowless*>(this);
        if (riid == IID_IViewObjectEx || riid == IID_IViewObject2 || riid == IID_IViewObject)
            *ppv = static_cast<IViewObjectEx*>(this);
        if (riid == IID_IOleControl) *ppv = static_cast<IOleObject*>(this);  // only asked for at creation
        if (*ppv == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_ref; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG count = --m_ref;
        if (count == 0) delete this;
        return count;
    }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override
    {
        m_site = win32::ComPtr<IOleClientSite>(site);
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** site) override
    {
        *site = m_site.get();
        if (*site) (*site)->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override
    {
        win32::ComPtr<IOleInPlaceSiteWindowless> site;
        if (m_site && SUCCEEDED(m_site.As(IID_IOleInPlaceSiteWindowless, site))) site->OnInPlaceDeactivateEx(TRUE);
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) override
    {
        if (verb != OLEIVERB_INPLACEACTIVATE || site == nullptr) return E_NOTIMPL;
        win32::ComPtr<IOleInPlaceSiteWindowless> windowless;
        HRESULT hr = site->QueryInterface(IID_IOleInPlaceSiteWindowless, windowless.put_void());
        if (FAILED(hr)) return hr;
        if (windowless->CanWindowlessActivate() != S_OK) return E_FAIL;
        BOOL noRedraw = FALSE;
        hr = windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
        m_log.activatedWindowless = SUCCEEDED(hr);
        return hr;
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override
    {
        *clsid = kWindowlessClass;
        return S_OK;
    }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override
    {
        *status = OLEMISC_ACTIVATEWHENVISIBLE;
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless
    STDMETHODIMP GetWindow(HWND*) override { return E_FAIL; }  // windowless: no window
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT) override
    {
        m_log.objectRect = *position;
        return S_OK;
    }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnWindowMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) override
    {
        m_log.messages.push_back(msg);
        *result = 7;
        return S_OK;
    }
    STDMETHODIMP GetDropTarget(IDropTarget**) override { return E_NOTIMPL; }

    // IViewObject, IViewObject2, IViewObjectEx
    STDMETHODIMP Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECTL bounds, LPCRECTL,
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override
    {
        if (bounds != nullptr) m_log.draws.push_back(*bounds);
        return S_OK;
    }
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
    STDMETHODIMP GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtent(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL) override { return E_NOTIMPL; }
    STDMETHODIMP GetRect(DWORD, LPRECTL) override { return E_NOTIMPL; }
    STDMETHODIMP GetViewStatus(DWORD*) override { return E_NOTIMPL; }
    // A hit anywhere in the left half of the control.
    STDMETHODIMP QueryHitPoint(DWORD, LPCRECT bounds, POINT pt, LONG, DWORD* hit) override
    {
        const RECT left = {bounds->left, bounds->top, (bounds->left + bounds->right) / 2, bounds->bottom};
        *hit = ::PtInRect(&left, pt) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
        return S_OK;
    }
    STDMETHODIMP QueryHitRect(DWORD, LPCRECT, LPCRECT, LONG, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) override
    {
        return E_NOTIMPL;
    }

private:
    ~WindowlessControl() = default;
    ULONG m_ref = 0;
    ControlLog& m_log;
    win32::ComPtr<IOleClientSite> m_site;
};

class WindowlessFactory final : public IClassFactory {
public:
    explicit WindowlessFactory(ControlLog& log) : m_log(log) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = (riid == IID_IUnknown || riid == IID_IClassFactory) ? static_cast<IClassFactory*>(this) : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        auto* control = new WindowlessControl(m_log);
        control->AddRef();
        const HRESULT hr = control->QueryInterface(riid, ppv);
        control->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    ControlLog& m_log;
};

class WindowlessControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::CoRegisterClassObject(kWindowlessClass, &m_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                          &m_cookie),
                  S_OK);
        m_control = new SkinUI::CActiveXUI;
        m_window.AttachRoot(m_control);
        m_control->ApplyAttributes(L"clsid=\"{6E2A53B1-7C0D-4F6A-9B1E-3D5C7A9E1F20}\"");
        m_control->Place(RECT{100, 50, 300, 150});
    }
    void TearDown() override
    {
        m_window.Close();
        ::CoRevokeClassObject(m_cookie);
    }

    LRESULT Filter(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
    {
        handled = false;
        return m_control->FilterMessage(message, wParam, lParam, handled);
    }

    hosttest::OleApartment m_ole;
    ControlLog m_log;
    WindowlessFactory m_factory{m_log};
    DWORD m_cookie = 0;
    hosttest::HostTestWindow m_window;
    SkinUI::CActiveXUI* m_control = nullptr;
};

TEST_F(WindowlessControlTest, ActivatesOnTheSkinnedWindowItself)
{
    ASSERT_NE(m_control->HostedObject(), nullptr);
    EXPECT_TRUE(m_log.activatedWindowless);
    ASSERT_NE(m_control->Site(), nullptr);
    EXPECT_TRUE(m_control->Site()->IsWindowless());
    EXPECT_TRUE(m_control->Site()->IsInPlaceActive());
    EXPECT_EQ(m_control->HostWindow(), m_window.Handle());
    // Window coordinates, not moved to the origin: there is no host window.
    EXPECT_EQ(m_log.objectRect.left, 100);
    EXPECT_EQ(m_log.objectRect.top, 50);
    EXPECT_EQ(m_log.objectRect.right, 300);
    EXPECT_EQ(m_log.objectRect.bottom, 150);
    EXPECT_EQ(::GetWindow(m_window.Handle(), GW_CHILD), nullptr);

    // Painting: drawn only when the dirty rectangle meets the control.
    const HDC dc = ::GetDC(m_window.Handle());
    m_control->Paint(dc, RECT{0, 0, 50, 50});
    EXPECT_TRUE(m_log.draws.empty());
    m_control->Paint(dc, RECT{0, 0, 800, 600});
    ::ReleaseDC(m_window.Handle(), dc);
    ASSERT_EQ(m_log.draws.size(), 1u);
    EXPECT_EQ(m_log.draws[0].left, 100);
    EXPECT_EQ(m_log.draws[0].bottom, 150);
}

TEST_F(WindowlessControlTest, InputReachesTheControlWhereItAsksForIt)
{
    const struct {
        UINT message;
        POINT at;
        bool focused;
        bool reaches;
        bool handled;
    } cases[] = {
        {WM_LBUTTONDOWN, {120, 60}, false, true, true},   // a hit
        {WM_MOUSEMOVE, {280, 60}, false, false, false},   // inside, but no hit
        {WM_MOUSEMOVE, {10, 10}, false, false, false},    // outside
        {WM_KEYDOWN, {0, 0}, false, false, false},        // keys need the focus
        {WM_KEYDOWN, {0, 0}, true, true, true},
        {WM_CONTEXTMENU, {0, 0}, false, true, false},     // always, and on to the window
        {WM_HELP, {0, 0}, false, true, false},
        {WM_TIMER, {0, 0}, true, false, false},           // never
    };
    for (const auto& c : cases) {
        m_log.messages.clear();
        if (c.focused)
            m_window.Manager().FocusControl(m_control);
        else
            m_window.Manager().FocusControl(nullptr);
        bool handled = false;
        const LRESULT result = Filter(c.message, 0, MAKELPARAM(c.at.x, c.at.y), handled);
        EXPECT_EQ(!m_log.messages.empty(), c.reaches) << c.message;
        EXPECT_EQ(handled, c.handled) << c.message;
        EXPECT_EQ(result, c.reaches ? 7 : 0) << c.message;
    }

    // A control that takes no mouse input gets no mouse message, hit or not.
    m_log.messages.clear();
    m_control->SetMouseEnabled(false);
    bool handled = false;
    Filter(WM_LBUTTONDOWN, 0, MAKELPARAM(120, 60), handled);
    EXPECT_TRUE(m_log.messages.empty());
    EXPECT_FALSE(handled);
}

TEST_F(WindowlessControlTest, CaptureSendsEveryMouseMessage)
{
    auto* site = static_cast<IOleInPlaceSiteWindowless*>(m_control->Site());
    ASSERT_EQ(site->SetCapture(TRUE), S_OK);
    EXPECT_EQ(site->GetCapture(), S_OK);
    bool handled = false;
    Filter(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10), handled);
    EXPECT_EQ(m_log.messages, std::vector<UINT>{WM_MOUSEMOVE});
    EXPECT_TRUE(handled);
    ASSERT_EQ(site->SetCapture(FALSE), S_OK);
    EXPECT_EQ(site->GetCapture(), S_FALSE);

    // Focus asked through the site is the toolkit's focus.
    ASSERT_EQ(site->SetFocus(TRUE), S_OK);
    EXPECT_EQ(m_window.Manager().FocusedControl(), m_control);
    EXPECT_EQ(site->GetFocus(), S_OK);
}

TEST_F(WindowlessControlTest, OrphanedSiteAnswersUnexpected)
{
    win32::ComPtr<IOleInPlaceSiteWindowless> site(static_cast<IOleInPlaceSiteWindowless*>(m_control->Site()));
    m_control->ReleaseHostedControl();
    // The site outlives its owner while the control still holds it.
    HWND hwnd = nullptr;
    EXPECT_EQ(site->GetWindow(&hwnd), E_UNEXPECTED);
    EXPECT_EQ(site->GetCapture(), E_UNEXPECTED);
    EXPECT_EQ(site->SetFocus(TRUE), E_UNEXPECTED);
    IDispatch* dispatch = nullptr;
    win32::ComPtr<IOleControlSite> control;
    ASSERT_EQ(site.As(IID_IOleControlSite, control), S_OK);
    EXPECT_EQ(control->GetExtendedControl(&dispatch), E_UNEXPECTED);
    EXPECT_EQ(dispatch, nullptr);
    // Messages no longer go anywhere.
    bool handled = false;
    m_log.messages.clear();
    Filter(WM_CONTEXTMENU, 0, 0, handled);
    EXPECT_TRUE(m_log.messages.empty());
}

TEST_F(WindowlessControlTest, ContainerEnumeratesTheHostedControlOnce)
{
    win32::ComPtr<IOleContainer> container;
    ASSERT_EQ(static_cast<IOleClientSite*>(m_control->Site())->GetContainer(container.put()), S_OK);
    win32::ComPtr<IEnumUnknown> objects;
    ASSERT_EQ(container->EnumObjects(OLECONTF_EMBEDDINGS, objects.put()), S_OK);
    IUnknown* found = nullptr;
    ULONG fetched = 0;
    ASSERT_EQ(objects->Next(1, &found, &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    win32::ComPtr<IUnknown> identity;
    m_control->HostedObject()->QueryInterface(IID_IUnknown, identity.put_void());
    win32::ComPtr<IUnknown> foundIdentity;
    found->QueryInterface(IID_IUnknown, foundIdentity.put_void());
    EXPECT_EQ(foundIdentity.get(), identity.get());
    found->Release();
    EXPECT_EQ(objects->Next(1, &found, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(objects->Reset(), S_OK);
    ASSERT_EQ(objects->Next(1, &found, &fetched), S_OK);
    found->Release();
    IEnumUnknown* clone = nullptr;
    EXPECT_EQ(objects->Clone(&clone), E_NOTIMPL);
}

}  // namespace
