// Controls reach their window only through IControlHostUI, and a button
// reaches a tab layout only through IPageSelectUI: a recording host and a
// recording page selector stand in for the window manager and the tab layout.
#include "toolkit/controls/ControlHostUI.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "toolkit/controls/ButtonUI.h"
#include "toolkit/controls/ControlUI.h"
#include "toolkit/controls/PageSelectUI.h"

namespace {

using namespace SkinUI;

class RecordingHost : public IControlHostUI {
public:
    std::vector<RECT> invalidated;
    std::vector<std::wstring> notifications;
    std::map<std::wstring, CControlUI*> names;
    std::vector<CControlUI*> forgotten;
    std::vector<CControlUI*> focusRequests;
    CControlUI* focused = nullptr;
    int updates = 0;

    IRenderResourcesUI* RenderResources() override { return nullptr; }
    HDC PaintDc() const override { return nullptr; }
    HWND WindowHandle() const override { return nullptr; }
    DWORD DefaultFontColour() const override { return 0xFF000001; }
    CDisplayScale DisplayScale() const override { return CDisplayScale(); }
    DWORD DefaultDisabledColour() const override { return 0xFFA7A6AA; }
    void Invalidate(const RECT& rect) override { invalidated.push_back(rect); }
    void SetUpdateNeeded() override { ++updates; }
    void FocusControl(CControlUI* control) override
    {
        focusRequests.push_back(control);
        focused = control;
    }
    CControlUI* FocusedControl() const override { return focused; }
    void FocusNextTabStop(bool) override {}
    void RaiseNotify(CControlUI*, std::wstring_view type, WPARAM, LPARAM) override
    {
        notifications.emplace_back(type);
    }
    void SetUsesVirtualWindows() override {}
    CControlUI* FindByName(std::wstring_view name) override
    {
        const auto found = names.find(std::wstring(name));
        return found == names.end() ? nullptr : found->second;
    }
    void RegisterNames(CControlUI*) override {}
    void ForgetControl(CControlUI* control) override { forgotten.push_back(control); }
    void QueueForDeletion(CControlUI*) override {}
    void AddPaintAfterTree(CControlUI*) override {}
    bool StartControlTimer(CControlUI*, UINT, UINT) override { return true; }
    bool StopControlTimer(CControlUI*, UINT) override { return true; }
    bool AddHandlerFilter(CControlUI*, IMessageFilterUI*) override { return true; }
    bool RemoveHandlerFilter(IMessageFilterUI*) override { return true; }
    bool AddAccelerator(CControlUI*, ITranslateAccelerator*) override { return true; }
    bool RemoveAccelerator(ITranslateAccelerator*) override { return true; }
};

class RecordingPages : public CControlUI, public IPageSelectUI {
public:
    std::vector<int> selected;
    bool SelectPage(int index) override
    {
        selected.push_back(index);
        return true;
    }
    void* InterfaceFor(std::wstring_view name) override
    {
        if (name == L"IPageSelect") return static_cast<IPageSelectUI*>(this);
        return CControlUI::InterfaceFor(name);
    }
};

TEST(ControlHostTest, BoundButtonSelectsAPageThroughTheInterface)
{
    RecordingHost host;
    RecordingPages pages;
    host.names[L"wizardTab"] = &pages;
    CButtonUI button;
    button.ApplyAttribute(L"bindtablayoutname", L"wizardTab");
    button.ApplyAttribute(L"bindtabindex", L"1");
    button.AttachManager(&host, nullptr, true);

    EXPECT_TRUE(button.Activate());
    EXPECT_EQ(host.notifications, std::vector<std::wstring>{L"click"});
    EXPECT_EQ(pages.selected, std::vector<int>{1});

    // A name bound to a control without pages selects nothing.
    CControlUI plain;
    host.names[L"wizardTab"] = &plain;
    EXPECT_TRUE(button.Activate());
    EXPECT_EQ(pages.selected, std::vector<int>{1});
    button.AttachManager(nullptr, nullptr, false);
}

TEST(ControlHostTest, ControlsReportToTheirHost)
{
    RecordingHost host;
    auto* control = new CControlUI;
    control->AttachManager(&host, nullptr, true);
    control->Place({10, 20, 60, 40});
    host.invalidated.clear();

    control->SetText(L"changed");  // text changes repaint the control
    ASSERT_EQ(host.invalidated.size(), 1u);
    EXPECT_EQ(host.invalidated[0].left, 10);
    EXPECT_EQ(host.invalidated[0].bottom, 40);

    const int updates = host.updates;
    control->SetFixedWidth(30);  // size changes ask for layout
    EXPECT_GT(host.updates, updates);

    control->TakeFocus();
    ASSERT_EQ(host.focused, control);
    control->SetVisible(false);  // hiding gives the focus up
    EXPECT_EQ(host.focusRequests.back(), nullptr);

    delete control;  // the host forgets it
    EXPECT_EQ(host.forgotten, std::vector<CControlUI*>{control});
}

}  // namespace
