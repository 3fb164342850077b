// Who destroys a skinned window, and from where: a click handler, and a
// WM_CLOSE taken by every kind of nested loop a handler of the window may
// run (a popup menu, the move loop, a message box, a modal box of its own,
// a message sent to it while it waits for another program). The window
// object owns itself, as the launcher window does; each row checks that it
// is released once, when no call of it is on the stack any more, and that
// no call reaches it afterwards. Also: the window's skin reader outlives
// its manager.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/toolkit/LifetimeProbe.h"
#include "tests/toolkit/skinwindow/SkinTestWindows.h"
#include "toolkit/controls/ControlHostUI.h"
#include "toolkit/controls/ControlUI.h"
#include "toolkit/render/RenderResourcesUI.h"
#include "toolkit/window/DispatchFrame.h"
#include "toolkit/window/MessageLoop.h"

namespace {

using lifetimetest::ClosingPeer;
using lifetimetest::ProbeRecord;
using lifetimetest::WM_SCRIPT;
using SkinUI::CDispatchFrame;

// The notice box's layout: "btnOk" at (172,208)-(268,240).
constexpr POINT kOkButton = {220, 224};

// A skinned window whose click handler and WM_SCRIPT handler are the test's.
class ScriptedSkinWindow : public skintest::PackedSkinWindow {
public:
    ScriptedSkinWindow() : PackedSkinWindow(L"LifetimeSkinWindow", L"CustomMsgBox.xml") {}
    std::function<void(ScriptedSkinWindow&)> onClick;
    std::function<void(ScriptedSkinWindow&)> script;

protected:
    void OnClickNotify(SkinUI::TNotifyRecord&) override
    {
        if (onClick) onClick(*this);
    }
    LRESULT OnOtherMessage(UINT message, WPARAM, LPARAM, bool& handled) override
    {
        handled = message == WM_SCRIPT && script;
        if (handled) script(*this);
        return 0;
    }
};

using SkinProbe = lifetimetest::LifetimeProbe<ScriptedSkinWindow>;

// Ends whatever modal loop is still running after a while, so that a row
// whose loop does not end with its window fails instead of hanging.
class LoopBreaker {
public:
    LoopBreaker() : m_timer(::SetTimer(nullptr, 0, 3000, &LoopBreaker::Tick)) {}
    ~LoopBreaker() { ::KillTimer(nullptr, m_timer); }
    LoopBreaker(const LoopBreaker&) = delete;
    LoopBreaker& operator=(const LoopBreaker&) = delete;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) noexcept
    {
        ::EndMenu();
        ::PostThreadMessageW(::GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
    }
    UINT_PTR m_timer;
};

void ClickAt(HWND hwnd, POINT pt)
{
    const LPARAM at = MAKELPARAM(pt.x, pt.y);
    ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
    ::PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

// Runs the thread's messages, as the main loop does, until the window is gone.
bool PumpWhileWindow(HWND hwnd, DWORD timeoutMs = 5000)
{
    const DWORD start = ::GetTickCount();
    MSG msg{};
    while (::IsWindow(hwnd)) {
        if (::GetTickCount() - start > timeoutMs) return false;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        if (SkinUI::PreTranslateAll(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

class WindowLifetimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        skintest::StartToolkit();
        lifetimetest::ResetOracles();
    }
    void TearDown() override
    {
        skintest::PumpPending();
        EXPECT_EQ(CDispatchFrame::Depth(), 0);
        EXPECT_EQ(CDispatchFrame::PendingReleases(), 0);
    }
};

TEST_F(WindowLifetimeTest, WhoeverClosesTheWindowFromWhereverItsObjectGoesOnlyAfterItsLastCall)
{
    struct Row {
        const char* who;
        // Sets the window up to be closed and starts it; `alive` tells
        // whether the handler that ran on after the window was gone still
        // found its object there, unreleased.
        std::function<void(SkinProbe& window, ProbeRecord& record, bool& alive)> close;
    };
    // The handler's own check once its nested loop has returned.
    const auto stillThere = [](ScriptedSkinWindow& self, ProbeRecord& record) {
        return record.releases == 0 && self.Handle() == nullptr && self.Manager().Root() != nullptr;
    };
    const Row rows[] = {
        {"a click handler that sends WM_CLOSE",
         [&](SkinProbe& window, ProbeRecord& record, bool& alive) {
             window.onClick = [&](ScriptedSkinWindow& self) {
                 ::SendMessageW(self.Handle(), WM_CLOSE, 0, 0);
                 alive = stillThere(self, record);
             };
             ClickAt(window.Handle(), kOkButton);
         }},
        {"WM_CLOSE while its popup menu is open",
         [&](SkinProbe& window, ProbeRecord& record, bool& alive) {
             window.script = [&](ScriptedSkinWindow& self) {
                 const HMENU menu = ::CreatePopupMenu();
                 ::AppendMenuW(menu, MF_STRING, 16, L"exit");
                 ::PostMessageW(self.Handle(), WM_CLOSE, 0, 0);
                 ::SetForegroundWindow(self.Handle());
                 ::TrackPopupMenu(menu, TPM_RETURNCMD, 100, 100, 0, self.Handle(), nullptr);
                 ::DestroyMenu(menu);
                 alive = stillThere(self, record);
             };
             ::PostMessageW(window.Handle(), WM_SCRIPT, 0, 0);
         }},
        {"WM_CLOSE during the move loop",
         [&](SkinProbe& window, ProbeRecord& record, bool& alive) {
             window.script = [&](ScriptedSkinWindow& self) {
                 ::PostMessageW(self.Handle(), WM_CLOSE, 0, 0);
                 // The button goes up after the close, as the user's mouse
                 // does; a message for the thread outlives the window.
                 ::PostThreadMessageW(::GetCurrentThreadId(), WM_LBUTTONUP, 0, 0);
                 ::SendMessageW(self.Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
                 alive = stillThere(self, record);
             };
             ::PostMessageW(window.Handle(), WM_SCRIPT, 0, 0);
         }},
        {"WM_CLOSE while its message box shows",
         [&](SkinProbe& window, ProbeRecord& record, bool& alive) {
             window.script = [&](ScriptedSkinWindow& self) {
                 ::PostMessageW(self.Handle(), WM_CLOSE, 0, 0);
                 ::MessageBoxW(self.Handle(), L"box", L"lifetime", MB_OK);
                 alive = stillThere(self, record);
             };
             ::PostMessageW(window.Handle(), WM_SCRIPT, 0, 0);
         }},
        {"WM_CLOSE while a modal box of its own runs its loop",
         [&](SkinProbe& window, ProbeRecord& record, bool& alive) {
             window.script = [&](ScriptedSkinWindow& self) {
                 // As the notice box: owned, the owner disabled, a loop of its own.
                 const HWND owner = self.Handle();
                 ScriptedSkinWindow box;
                 const HWND boxWindow = box.CreateShown(owner);
                 ::EnableWindow(owner, FALSE);
                 ::PostMessageW(owner, WM_CLOSE, 0, 0);
                 PumpWhileWindow(boxWindow);  // the box goes with its owner
                 alive = stillThere(self, record) && !::IsWindow(boxWindow);
             };
             ::PostMessageW(window.Handle(), WM_SCRIPT, 0, 0);
         }},
        {"another program that closes it while it waits for that program's answer",
         [&](SkinProbe& window, ProbeRecord& record, bool& alive) {
             auto peer = std::make_shared<ClosingPeer>();
             window.script = [&, peer](ScriptedSkinWindow& self) {
                 DWORD_PTR answer = 0;
                 ::SendMessageTimeoutW(peer->window(), ClosingPeer::WM_CLOSE_SENDER,
                                       reinterpret_cast<WPARAM>(self.Handle()), 0, SMTO_NORMAL, 5000, &answer);
                 alive = answer == ClosingPeer::kAnswer && stillThere(self, record);
             };
             ::PostMessageW(window.Handle(), WM_SCRIPT, 0, 0);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.who);
        ProbeRecord record;
        auto* window = new SkinProbe(&record);
        const HWND hwnd = window->CreateShown(nullptr, 60, 60);
        ASSERT_NE(hwnd, nullptr);
        LoopBreaker breaker;
        bool alive = false;
        row.close(*window, record, alive);
        // What the row posted runs here, as in the main loop.
        EXPECT_TRUE(PumpWhileWindow(hwnd)) << "the window closes";
        skintest::PumpPending();
        EXPECT_TRUE(alive) << "the handler found its object after the window had gone";
        EXPECT_EQ(record.releases, 1);
        EXPECT_EQ(record.framesAtRelease, 0) << "released while a call of it was on the stack";
        EXPECT_TRUE(record.deleted);
        EXPECT_EQ(lifetimetest::LateCalls(), 0);
    }
}

// A skin reader that counts its reads, and the reads made after its destruction.
class WatchedReader : public SkinUI::ISkinFileReader {
public:
    explicit WatchedReader(int* reads) : m_reads(reads) { lifetimetest::DeadSet().erase(this); }
    ~WatchedReader() override { lifetimetest::DeadSet().insert(this); }
    bool ReadSkinFile(std::wstring_view name, std::vector<unsigned char>& bytes) const override
    {
        if (lifetimetest::DeadSet().count(this)) {
            ++lifetimetest::LateCalls();
            return false;
        }
        ++*m_reads;
        return m_files.ReadSkinFile(name, bytes);
    }

private:
    int* m_reads;
    SkinUI::CSkinSourceReader m_files;
};

// A control that still draws on its window's images while it is destroyed,
// that is while the manager deletes the tree.
class ImageAtDestructionControl : public SkinUI::CControlUI {
public:
    ~ImageAtDestructionControl() override
    {
        if (m_pManager) m_pManager->RenderResources()->LoadImageEntry(L"icon_warning.png", L"", 0);
    }
};

class ReaderWindow : public skintest::PackedSkinWindow {
public:
    explicit ReaderWindow(int* reads) : PackedSkinWindow(L"ReaderTestWindow", L"GameLoader.xml"), m_reads(reads) {}
    SkinUI::CControlUI* CreateCustomControl(std::wstring_view name) override
    {
        return name == L"IeBrowser" ? new ImageAtDestructionControl : nullptr;
    }

protected:
    std::unique_ptr<SkinUI::ISkinFileReader> MakeSkinFileReader() const override
    {
        return std::make_unique<WatchedReader>(m_reads);
    }

private:
    int* m_reads;
};

TEST_F(WindowLifetimeTest, TheSkinReaderOutlivesTheManagerThatReadsThroughIt)
{
    int reads = 0;
    int readsBefore = 0;
    {
        ReaderWindow window(&reads);
        ASSERT_NE(window.CreateShown(), nullptr);
        readsBefore = reads;
        ::DestroyWindow(window.Handle());
        // The object goes here: its manager deletes the tree, whose browser
        // stand-in loads an image on the way.
    }
    EXPECT_GT(readsBefore, 0) << "the skin's images come through the window's reader";
    EXPECT_EQ(reads, readsBefore + 1) << "the read at the tree's destruction reached a live reader";
    EXPECT_EQ(lifetimetest::LateCalls(), 0) << "a read reached a destroyed reader";
}

}  // namespace
