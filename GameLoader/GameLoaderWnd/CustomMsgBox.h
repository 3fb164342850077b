// The notice box: a small skinned modal box with one line of text, a close
// and an OK button, shown over the launcher window for fatal problems.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/skinwindow/WindowImplBase.h"

class CustomMsgBox : public SkinUI::WindowImplBase {
public:
    CustomMsgBox() = default;

    bool m_bCloseOwnerOnOk = true;

protected:
    const wchar_t* WindowClassName() const override;
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void InitWindow() override;
    void OnClickNotify(SkinUI::TNotifyRecord& record) override;
    const wchar_t* SkinFolder() const override;
    const wchar_t* SkinFile() const override;
    SkinUI::SkinSource SkinSourceKind() const override;
    const wchar_t* SkinResourceId() const override;
    std::vector<SkinUI::TAccessibleName> AccessibleNames() const override;

private:
    SkinUI::CControlUI* m_pBtnClose = nullptr;
    SkinUI::CControlUI* m_pBtnOk = nullptr;
};

// Close codes: the wParam of the box's own WM_CLOSE.
enum NoticeBoxCloseCode : int {
    NOTICE_CLOSED_OTHERWISE = 0,  // e.g. the system close command: the owner stays
    NOTICE_CLOSED_BY_OK = 1,      // the owner is closed too
    NOTICE_CLOSED_BY_CLOSE = 8,   // the owner is closed too
};

// Shows the box modally over owner (disabled meanwhile) and returns its
// close code. A quit that arrives while the box is open ends the box and
// is posted again for the caller's loop.
int ShowNoticeBox(HWND owner, const std::wstring& message);
