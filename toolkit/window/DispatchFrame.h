// The toolkit's dispatch frames: every entry from the system or from foreign
// code into toolkit objects (a window, timer or hook procedure, a COM method
// of a host, the pre-translation of a queued message) opens one.
//
// A window whose native window is destroyed while frames are open is not
// released at once: its final release (CWindowWnd::OnFinalRelease, where a
// self-owned window deletes itself) runs when the thread's outermost frame
// returns. Every nested message loop (a popup menu, the move loop, a modal
// box, a browser callback, a message sent to us while we wait in
// SendMessage) runs inside a frame of the window procedure that started it,
// so no code below it can return into a freed object, whichever window's
// procedure runs the loop.
#pragma once

namespace SkinUI {

class CWindowWnd;

class CDispatchFrame {
public:
    CDispatchFrame() noexcept;
    // The outermost frame runs the final releases that waited for it.
    ~CDispatchFrame();
    CDispatchFrame(const CDispatchFrame&) = delete;
    CDispatchFrame& operator=(const CDispatchFrame&) = delete;

    // The frames open on the calling thread.
    static int Depth() noexcept;
    // Final releases waiting for the outermost frame.
    static int PendingReleases() noexcept;

private:
    friend class CWindowWnd;
    // Runs the window's final release once no frame is open: at once when
    // none is, otherwise when the outermost returns.
    static void ReleaseWhenUnwound(CWindowWnd* window) noexcept;
    // The object goes another way (its owner deletes it, or it is created again).
    static void ForgetRelease(CWindowWnd* window) noexcept;
};

}  // namespace SkinUI
