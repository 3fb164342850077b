// The download on the launcher window's taskbar button. The product's own
// code (the launcher window built from the real skin, and its
// TaskbarProgress) runs unchanged; the system's taskbar list is replaced for
// this process by a recording one, registered as the class object of
// CLSID_TaskbarList, so every call the product makes is read back. One test
// runs against Wine's own taskbar list, to show that the product's path
// does not fail where the interface does little.
#include "GameLoader/GameLoaderWnd/TaskbarProgress.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "GameLoader/GameLoaderWnd/GameLoaderWnd.h"
#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "tests/support/InProcessLog.h"
#include "tests/support/LauncherProcess.h"
#include "tests/support/LauncherWorld.h"
#include "tests/support/TestSupport.h"
#include "tests/support/LogEntry.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

using testsupport::DrainMessages;
using testsupport::PumpUntil;

// What the recording taskbar lists were asked, and how they answer.
struct TaskbarRecord {
    std::vector<std::string> calls;
    std::vector<HWND> windows;  // the window of every progress call
    int alive = 0;              // instances not yet released
    HRESULT createResult = S_OK;
    HRESULT initResult = S_OK;
    HRESULT stateResult = S_OK;
    HRESULT valueResult = S_OK;
};
TaskbarRecord g_record;

class RecordingTaskbarList final : public ITaskbarList3 {
public:
    RecordingTaskbarList() { ++g_record.alive; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_ITaskbarList || iid == IID_ITaskbarList2 || iid == IID_ITaskbarList3) {
            *object = static_cast<ITaskbarList3*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG refs = --m_refs;
        if (refs == 0) {
            --g_record.alive;
            delete this;
        }
        return refs;
    }

    HRESULT STDMETHODCALLTYPE HrInit() override
    {
        g_record.calls.push_back("HrInit");
        return g_record.initResult;
    }
    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND hwnd, ULONGLONG completed, ULONGLONG total) override
    {
        g_record.calls.push_back("value " + std::to_string(completed) + "/" + std::to_string(total));
        g_record.windows.push_back(hwnd);
        return g_record.valueResult;
    }
    HRESULT STDMETHODCALLTYPE SetProgressState(HWND hwnd, TBPFLAG flags) override
    {
        static const char* const names[] = {"none", "indeterminate", "normal", "?", "error"};
        const unsigned index = static_cast<unsigned>(flags);
        g_record.calls.push_back(std::string("state ") + (index <= 4 ? names[index] : "?"));
        g_record.windows.push_back(hwnd);
        return g_record.stateResult;
    }

    // The rest of the interface is not the launcher's business.
    HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return Unexpected("AddTab"); }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return Unexpected("DeleteTab"); }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return Unexpected("ActivateTab"); }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return Unexpected("SetActiveAlt"); }
    HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, BOOL) override { return Unexpected("MarkFullscreenWindow"); }
    HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return Unexpected("RegisterTab"); }
    HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return Unexpected("UnregisterTab"); }
    HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return Unexpected("SetTabOrder"); }
    HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return Unexpected("SetTabActive"); }
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override
    {
        return Unexpected("ThumbBarAddButtons");
    }
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override
    {
        return Unexpected("ThumbBarUpdateButtons");
    }
    HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override
    {
        return Unexpected("ThumbBarSetImageList");
    }
    HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return Unexpected("SetOverlayIcon"); }
    HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override
    {
        return Unexpected("SetThumbnailTooltip");
    }
    HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return Unexpected("SetThumbnailClip"); }

private:
    ~RecordingTaskbarList() = default;
    static HRESULT Unexpected(const char* name)
    {
        g_record.calls.push_back(name);
        return E_NOTIMPL;
    }
    ULONG m_refs = 1;
};

class RecordingTaskbarFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // static lifetime
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        g_record.calls.push_back("create");
        if (FAILED(g_record.createResult)) return g_record.createResult;
        auto* list = new RecordingTaskbarList;
        const HRESULT hr = list->QueryInterface(iid, object);
        list->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};
RecordingTaskbarFactory g_factory;

SkinUI::CWindowManagerUI* ManagerOf(HWND window)
{
    const SkinUI::CUiPtrArray& managers = SkinUI::CWindowManagerUI::AllManagers();
    for (int i = 0; i < managers.Count(); ++i) {
        auto* manager = static_cast<SkinUI::CWindowManagerUI*>(managers.At(i));
        if (manager->WindowHandle() == window) return manager;
    }
    return nullptr;
}



std::vector<std::string> TaskbarLogLines(const testsupport::InProcessLog& log)
{
    std::vector<std::string> lines;
    for (const auto& entry : testsupport::ParseLogEntries(log.NewLines())) {
        if (entry.function.rfind("TaskbarProgress::", 0) == 0) lines.push_back(entry.function + "|" + entry.message);
    }
    return lines;
}

class TaskbarProgressTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        SkinUI::CWindowManagerUI::StartUp(::GetModuleHandleW(nullptr));
    }
    void SetUp() override
    {
        testsupport::InProcessLog::File();
        g_record = TaskbarRecord{};
        ASSERT_EQ(::CoRegisterClassObject(CLSID_TaskbarList, &g_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                          &m_cookie),
                  S_OK);
    }
    void TearDown() override
    {
        if (m_window && ::IsWindow(m_window)) ::DestroyWindow(m_window);
        DrainMessages();
        if (m_cookie) ::CoRevokeClassObject(m_cookie);
    }

    // The launcher window, hidden (token "1"), as the launcher creates it.
    HWND Create()
    {
        auto* window = new GameLoaderWnd(L"{\"token\":\"1\",\"tokenLogin\":\"0\",\"source\":\"test\"}");
        m_window = window->Create(nullptr, L"VorkanTaskbar", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, 0);
        return m_window;
    }
    void ButtonCreated() { ::SendMessageW(m_window, TaskbarProgress::ButtonCreatedMessage(), 0, 0); }
    void Progress(WPARAM percent) { ::SendMessageW(m_window, WM_LAUNCHER_PROGRESS, percent, 0); }
    // The calls since the last look.
    std::vector<std::string> NewCalls()
    {
        std::vector<std::string> fresh(g_record.calls.begin() + static_cast<std::ptrdiff_t>(m_seen),
                                       g_record.calls.end());
        m_seen = g_record.calls.size();
        return fresh;
    }

    DWORD m_cookie = 0;
    HWND m_window = nullptr;
    std::size_t m_seen = 0;
    testsupport::SettingsFileBackup m_settings;
    testsupport::UninstallEntryBackup m_entry;
};

using Calls = std::vector<std::string>;

TEST_F(TaskbarProgressTest, TheButtonMirrorsTheDownloadOnceItExistsAndIsClearedWhenTheWindowCloses)
{
    ASSERT_NE(Create(), nullptr);
    auto* bar = dynamic_cast<SkinUI::CProgressUI*>(ManagerOf(m_window)->FindByName(L"progress"));
    ASSERT_NE(bar, nullptr);

    Progress(30);
    EXPECT_EQ(NewCalls(), Calls{}) << "no button yet: the taskbar is not asked";
    ButtonCreated();
    EXPECT_EQ(NewCalls(), (Calls{"create", "HrInit", "state normal", "value 30/100"})) << "what the download shows";

    struct Step {
        WPARAM percent;
        Calls calls;
        int bar;  // the window's own bar keeps its rule: values outside 0..100 leave it
    } steps[] = {
        {0xFFFFFFFF, {"value 0/100"}, 30},
        {static_cast<WPARAM>(-5), {}, 30},
        {150, {"value 100/100"}, 30},
        {100, {}, 100},
        {64, {"value 64/100"}, 64},
        {64, {}, 64},
    };
    for (const Step& s : steps) {
        Progress(s.percent);
        EXPECT_EQ(NewCalls(), s.calls) << s.percent;
        EXPECT_EQ(bar->Value(), s.bar) << s.percent;
    }

    ::SendMessageW(m_window, WM_LAUNCHER_DOWNLOAD_RESULT, 0, 0);
    EXPECT_EQ(NewCalls(), Calls{"state indeterminate"}) << "unpacking";
    Progress(100);
    EXPECT_EQ(NewCalls(), Calls{});

    ButtonCreated();  // the shell restarted: a new button, told everything again
    EXPECT_EQ(NewCalls(), (Calls{"create", "HrInit", "state indeterminate"}));
    EXPECT_EQ(g_record.alive, 1) << "the first list was let go";

    ::DestroyWindow(m_window);
    EXPECT_EQ(NewCalls(), Calls{"state none"});
    EXPECT_EQ(g_record.alive, 0) << "released with the window";
    for (HWND hwnd : g_record.windows) EXPECT_EQ(hwnd, m_window);
    m_window = nullptr;
}

Calls g_whileNoticeShows;

// Takes the calls made so far and presses the notice box's OK button.
void CALLBACK PressOkOnTheNotice(HWND, UINT, UINT_PTR id, DWORD) noexcept
{
    const HWND box = ::FindWindowW(L"CustomMsgBoxClass", nullptr);
    if (!box) return;
    ::KillTimer(nullptr, id);
    g_whileNoticeShows = g_record.calls;
    const LPARAM ok = MAKELPARAM(220, 224);
    ::PostMessageW(box, WM_MOUSEMOVE, 0, ok);
    ::PostMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, ok);
    ::PostMessageW(box, WM_LBUTTONUP, 0, ok);
}

void CALLBACK CloseTheNoticeBySystem(HWND, UINT, UINT_PTR id, DWORD) noexcept
{
    if (const HWND box = ::FindWindowW(L"CustomMsgBoxClass", nullptr)) {
        ::KillTimer(nullptr, id);
        ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
}

TEST_F(TaskbarProgressTest, AFailedDownloadShowsTheErrorStateWhileTheNoticeIsUp)
{
    ASSERT_NE(Create(), nullptr);
    ButtonCreated();
    Progress(40);
    NewCalls();

    // The notice box runs its loop inside the handler; its OK button closes
    // the launcher as well.
    g_whileNoticeShows = {"<box not seen>"};
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 200, PressOkOnTheNotice);
    ::PostMessageW(m_window, WM_LAUNCHER_DOWNLOAD_RESULT, 7, 0);
    const HWND window = m_window;
    EXPECT_TRUE(PumpUntil([window] { return !::IsWindow(window); }, 10000));
    ::KillTimer(nullptr, timer);
    m_window = nullptr;

    ASSERT_GE(g_whileNoticeShows.size(), 2u);
    EXPECT_EQ(Calls(g_whileNoticeShows.end() - 2, g_whileNoticeShows.end()), (Calls{"state error", "value 40/100"}));
    EXPECT_EQ(NewCalls(), (Calls{"state error", "value 40/100", "state none"}));
    EXPECT_EQ(g_record.alive, 0);
}

TEST_F(TaskbarProgressTest, UnpackResultsClearOrFailTheButton)
{
    // The unpack results of the window also register the install and start
    // the game; the product's TaskbarProgress takes them here on its own.
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"taskbar", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    struct Case {
        WPARAM unpack;
        Calls calls;
    } cases[] = {
        {0, {"create", "HrInit", "state indeterminate", "state none"}},
        {3, {"create", "HrInit", "state indeterminate", "state error", "value 100/100", "state none"}},
    };
    for (const Case& c : cases) {
        g_record.calls.clear();
        {
            TaskbarProgress taskbar;
            taskbar.OnWindowMessage(window, WM_LAUNCHER_PROGRESS, 100);
            taskbar.OnWindowMessage(window, WM_LAUNCHER_DOWNLOAD_RESULT, 0);
            taskbar.OnWindowMessage(window, TaskbarProgress::ButtonCreatedMessage(), 0);
            taskbar.OnWindowMessage(window, WM_LAUNCHER_UNPACK_RESULT, c.unpack);
            taskbar.OnWindowMessage(window, WM_DESTROY, 0);
            taskbar.OnWindowMessage(window, WM_LAUNCHER_PROGRESS, 20);  // after the end: nothing
        }
        EXPECT_EQ(g_record.calls, c.calls) << c.unpack;
        EXPECT_EQ(g_record.alive, 0);
    }
    ::DestroyWindow(window);
}

TEST_F(TaskbarProgressTest, FailuresOfTheInterfaceChangeNothingAndAreLoggedOncePerButton)
{
    struct Case {
        const char* name;
        HRESULT create, init, state, value;
        Calls calls;  // after the button's creation, progress 10, 20, 30 and a failed download
        std::vector<std::string> log;
    } cases[] = {
        {"no class", REGDB_E_CLASSNOTREG, S_OK, S_OK, S_OK, {"create"},
         {"TaskbarProgress::ReportFailure|CoCreateInstance(TaskbarList) failed:0x80040154"}},
        {"no init", S_OK, E_FAIL, S_OK, S_OK, {"create", "HrInit"},
         {"TaskbarProgress::ReportFailure|ITaskbarList3::HrInit failed:0x80004005"}},
        {"stub", S_OK, S_OK, E_NOTIMPL, E_FAIL,
         {"create", "HrInit", "state normal", "value 10/100", "value 20/100", "value 30/100", "state error",
          "value 30/100"},
         {"TaskbarProgress::ReportFailure|ITaskbarList3::SetProgressState failed:0x80004001",
          "TaskbarProgress::ReportFailure|ITaskbarList3::SetProgressValue failed:0x80004005"}},
    };
    for (const Case& c : cases) {
        g_record = TaskbarRecord{};
        g_record.createResult = c.create;
        g_record.initResult = c.init;
        g_record.stateResult = c.state;
        g_record.valueResult = c.value;
        ASSERT_NE(Create(), nullptr);
        auto* bar = dynamic_cast<SkinUI::CProgressUI*>(ManagerOf(m_window)->FindByName(L"progress"));
        ASSERT_NE(bar, nullptr);
        testsupport::InProcessLog log;
        ButtonCreated();
        for (WPARAM percent : {10, 20, 30}) Progress(percent);
        EXPECT_EQ(bar->Value(), 30) << c.name << ": the window's bar goes on";
        // A failed download whose notice is closed by the system: the launcher stays.
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 200, CloseTheNoticeBySystem);
        ::SendMessageW(m_window, WM_LAUNCHER_DOWNLOAD_RESULT, 2, 0);
        ::KillTimer(nullptr, timer);
        EXPECT_TRUE(::IsWindow(m_window)) << c.name;
        EXPECT_EQ(g_record.calls, c.calls) << c.name;
        EXPECT_EQ(TaskbarLogLines(log), c.log) << c.name;
        ::DestroyWindow(m_window);
        m_window = nullptr;
        DrainMessages();
        EXPECT_EQ(g_record.alive, 0) << c.name;
    }
}

TEST_F(TaskbarProgressTest, WinesOwnTaskbarListTakesTheWholeRunWithoutHarm)
{
    ::CoRevokeClassObject(m_cookie);
    m_cookie = 0;
    ASSERT_NE(Create(), nullptr);
    auto* bar = dynamic_cast<SkinUI::CProgressUI*>(ManagerOf(m_window)->FindByName(L"progress"));
    ASSERT_NE(bar, nullptr);
    testsupport::InProcessLog log;
    ::ShowWindow(m_window, SW_SHOWNOACTIVATE);  // a window with a taskbar button, if the shell gives one
    ButtonCreated();
    for (WPARAM percent : {WPARAM{10}, WPARAM{50}, WPARAM{0xFFFFFFFF}, WPARAM{150}}) Progress(percent);
    ::SendMessageW(m_window, WM_LAUNCHER_DOWNLOAD_RESULT, 0, 0);
    EXPECT_EQ(bar->Value(), 50);
    EXPECT_TRUE(::IsWindow(m_window));
    const std::vector<std::string> lines = TaskbarLogLines(log);
    for (const std::string& line : lines) {
        std::printf("Wine's taskbar list: %s\n", line.c_str());
        EXPECT_NE(line.find(" failed:0x"), std::string::npos) << "only failures are logged";
    }
    if (lines.empty()) std::printf("Wine's taskbar list took every call\n");
    ::DestroyWindow(m_window);
    EXPECT_FALSE(::IsWindow(m_window));
    EXPECT_EQ(g_record.calls, Calls{}) << "the recording list was not in place";
    m_window = nullptr;
}

}  // namespace
