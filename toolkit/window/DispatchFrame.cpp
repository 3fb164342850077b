#include "toolkit/window/DispatchFrame.h"

#include <algorithm>
#include <vector>

#include "base/NoThrowBoundary.h"
#include "toolkit/window/WindowWnd.h"

namespace SkinUI {
namespace {

// Per thread: windows and their procedures belong to the thread that made them.
struct TFrameState {
    int depth = 0;
    std::vector<CWindowWnd*> pending;
};

TFrameState& FrameState() noexcept
{
    thread_local TFrameState state;
    return state;
}

}  // namespace

CDispatchFrame::CDispatchFrame() noexcept
{
    ++FrameState().depth;
}

CDispatchFrame::~CDispatchFrame()
{
    TFrameState& state = FrameState();
    if (state.depth > 1) {
        --state.depth;
        return;
    }
    // Still counted as open while releasing: what a release destroys joins
    // the list and is released by this same loop.
    while (!state.pending.empty()) {
        CWindowWnd* window = state.pending.front();
        state.pending.erase(state.pending.begin());
        win32::CallWithoutThrowing([window] { window->OnFinalRelease(); });
    }
    state.depth = 0;
}

int CDispatchFrame::Depth() noexcept
{
    return FrameState().depth;
}

int CDispatchFrame::PendingReleases() noexcept
{
    return static_cast<int>(FrameState().pending.size());
}

void CDispatchFrame::ReleaseWhenUnwound(CWindowWnd* window) noexcept
{
    CDispatchFrame frame;  // the outermost one releases at once
    TFrameState& state = FrameState();
    if (std::find(state.pending.begin(), state.pending.end(), window) != state.pending.end()) return;
    // Without memory for the list the object stays: a leak, not a crash.
    win32::CallWithoutThrowing([&] { state.pending.push_back(window); });
}

void CDispatchFrame::ForgetRelease(CWindowWnd* window) noexcept
{
    std::vector<CWindowWnd*>& pending = FrameState().pending;
    pending.erase(std::remove(pending.begin(), pending.end(), window), pending.end());
}

}  // namespace SkinUI
