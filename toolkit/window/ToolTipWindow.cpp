#include "toolkit/window/ToolTipWindow.h"

namespace SkinUI {

void CToolTipWindow::Show(HWND owner, const RECT& rect, std::wstring_view text, int maxWidth,
                          HINSTANCE instance) noexcept
{
    if (!owner) return;
    if (!m_window || m_tool.hwnd != owner) {
        Destroy();
        // The tooltip class lives in the common controls: started once per
        // process, by the first tooltip.
        static const bool started = (::InitCommonControls(), true);
        (void)started;
        m_window.reset(::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                         instance, nullptr));
        if (!m_window) return;
        m_tool = TOOLINFOW{};
        // The size comctl32 5 knows: an executable without a common-controls
        // manifest gets that version, which refuses the larger structure.
        m_tool.cbSize = TTTOOLINFOW_V2_SIZE;
        m_tool.uFlags = TTF_IDISHWND;
        m_tool.hwnd = owner;
        m_tool.uId = reinterpret_cast<UINT_PTR>(owner);
        m_tool.lpszText = const_cast<LPWSTR>(L"");
        ::SendMessageW(m_window.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_tool));
    }
    try {
        m_text = text;
    } catch (...) {
        m_text.Empty();
    }
    m_tool.rect = rect;
    m_tool.lpszText = const_cast<LPWSTR>(m_text.Data());
    ::SendMessageW(m_window.get(), TTM_SETMAXTIPWIDTH, 0, maxWidth);
    ::SendMessageW(m_window.get(), TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_tool));
    ::SendMessageW(m_window.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_tool));
}

void CToolTipWindow::Hide() noexcept
{
    if (m_window) ::SendMessageW(m_window.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_tool));
}

void CToolTipWindow::Destroy() noexcept
{
    m_window.reset();
    m_tool = TOOLINFOW{};
}

DWORD CToolTipWindow::HoverTime() const noexcept
{
    if (!m_window) return 400;
    return static_cast<DWORD>(::SendMessageW(m_window.get(), TTM_GETDELAYTIME, TTDT_INITIAL, 0));
}

}  // namespace SkinUI
