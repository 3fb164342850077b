#include "GameLoader/GameLoaderWnd/CustomMsgBox.h"

#include <memory>

#include "toolkit/controls/ControlUI.h"
#include "toolkit/window/MessageLoop.h"

const wchar_t* CustomMsgBox::WindowClassName() const
{
    return L"CustomMsgBoxClass";
}
const wchar_t* CustomMsgBox::SkinFolder() const
{
    return L"";
}
const wchar_t* CustomMsgBox::SkinFile() const
{
    return L"CustomMsgBox.xml";
}
SkinUI::SkinSource CustomMsgBox::SkinSourceKind() const
{
    return SkinUI::SkinSource::ZipResource;
}
const wchar_t* CustomMsgBox::SkinResourceId() const
{
    return L"130";
}

// The close button is an image without text.
std::vector<SkinUI::TAccessibleName> CustomMsgBox::AccessibleNames() const
{
    return {{L"btnClose", L"关闭"}};
}

LRESULT CustomMsgBox::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCLBUTTONDBLCLK) return 0;  // the caption area does not maximise the box
    return SkinUI::WindowImplBase::ProcessMessage(message, wParam, lParam);
}

void CustomMsgBox::InitWindow()
{
    m_pBtnClose = Manager().FindByName(L"btnClose");
    m_pBtnOk = Manager().FindByName(L"btnOk");
}

void CustomMsgBox::OnClickNotify(SkinUI::TNotifyRecord& record)
{
    // The box's WM_CLOSE is posted before the owner's, so the modal loop
    // sees the box go first and the owner closes in the caller's loop.
    if (record.pSender && record.pSender == m_pBtnClose) {
        const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
        CloseWithCode(NOTICE_CLOSED_BY_CLOSE);
        ::PostMessageW(owner, WM_CLOSE, 0, 0);
    } else if (record.pSender && record.pSender == m_pBtnOk) {
        const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
        CloseWithCode(NOTICE_CLOSED_BY_OK);
        if (m_bCloseOwnerOnOk) ::PostMessageW(owner, WM_CLOSE, 0, 0);
    }
}

int ShowNoticeBox(HWND owner, const std::wstring& message)
{
    auto box = std::make_unique<CustomMsgBox>();
    box->m_bCloseOwnerOnOk = true;
    const HWND window = box->Create(owner, L"CustomMsgBox", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, 0);
    if (window && !message.empty()) {
        if (SkinUI::CControlUI* line = box->Manager().FindByName(L"labelTip")) line->SetText(message);
    }
    int code = NOTICE_CLOSED_OTHERWISE;
    bool quit = false;
    WPARAM quitCode = 0;
    if (window) {
        box->CenterOnOwner();
        ::ShowWindow(window, SW_SHOWNORMAL);
        ::EnableWindow(owner, FALSE);
        ::SendMessageW(owner, SkinUI::WM_MODAL_CHILD_SET, 0, reinterpret_cast<LPARAM>(window));
        MSG msg{};
        while (::IsWindow(window)) {
            const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0) {
                quit = true;
                quitCode = msg.wParam;
                break;
            }
            if (got < 0) break;
            if (msg.message == WM_CLOSE && msg.hwnd == window) {
                code = static_cast<int>(msg.wParam);
                // The owner must be active when the box disappears.
                ::EnableWindow(owner, TRUE);
                ::SetFocus(owner);
            }
            if (!SkinUI::PreTranslateAll(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
    ::EnableWindow(owner, TRUE);
    ::SetFocus(owner);
    // The box object must not go while its window can still get messages.
    if (::IsWindow(window)) ::DestroyWindow(window);
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
    return code;
}
