// The tooltip of a skinned window: one system tooltip window, made at the
// first hover over a control with a tooltip text, describing one tool (the
// window itself) with the control's rectangle and text, tracked while shown.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string_view>

#include "base/Win32Handles.h"
#include "toolkit/core/UiString.h"

namespace SkinUI {

class CToolTipWindow {
public:
    CToolTipWindow() = default;
    CToolTipWindow(const CToolTipWindow&) = delete;
    CToolTipWindow& operator=(const CToolTipWindow&) = delete;

    // Shows the text for the rectangle (client coordinates of the owner),
    // at most `maxWidth` pixels wide; makes the tooltip window at first use.
    void Show(HWND owner, const RECT& rect, std::wstring_view text, int maxWidth, HINSTANCE instance) noexcept;
    void Hide() noexcept;
    // Destroys the tooltip window (the owner is going away).
    void Destroy() noexcept;
    // The hover time for mouse tracking: the tooltip's initial delay once it
    // exists, otherwise 400 ms.
    DWORD HoverTime() const noexcept;
    HWND Window() const noexcept { return m_window.get(); }

private:
    struct OwnedWindowTraits {
        static HWND Invalid() noexcept { return nullptr; }
        static bool Valid(HWND h) noexcept { return h != nullptr; }
        // The system destroys it with its owner first.
        static void Close(HWND h) noexcept
        {
            if (::IsWindow(h)) ::DestroyWindow(h);
        }
    };

    win32::UniqueResource<HWND, OwnedWindowTraits> m_window;
    TOOLINFOW m_tool{};
    CUiString m_text;  // the text the tool description points at
};

}  // namespace SkinUI
