// The launcher's main window: holds the launch parameters for the run,
// opens the portal page or starts the game, follows the page's requests and
// the platform's progress messages, and closes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "GameLoader/CIeBrowserUI/OpenGameRequest.h"
#include "GameLoader/GameLoader/LaunchParams.h"
#include "GameLoader/GameLoaderWnd/TaskbarProgress.h"
#include "toolkit/skinwindow/WindowImplBase.h"

class CIeBrowserUI;
class CWebBrowserEvent;
namespace SkinUI {
class CTabLayoutUI;
class CProgressUI;
class CLabelUI;
class CVerticalLayoutUI;
}  // namespace SkinUI

// Holds the browser's event sink in a base listed before the window base:
// bases are destroyed in reverse order, so the sink outlives the control
// tree, and the browser may still call its handler while it is released.
struct BrowserEventSinkHolder {
    BrowserEventSinkHolder();
    ~BrowserEventSinkHolder();
    std::unique_ptr<CWebBrowserEvent> m_pBrowserEvent;
};

class GameLoaderWnd : private BrowserEventSinkHolder, public SkinUI::WindowImplBase {
public:
    explicit GameLoaderWnd(std::wstring cmdJson);
    ~GameLoaderWnd() override;

    // Lets the caller learn whether the object deleted itself, which it
    // does once its native window is gone (also when creation failed
    // half-way) and no call of it is on the stack. The flag must outlive
    // the object.
    void WatchDeletion(bool* deleted) { m_pDeleted = deleted; }

    bool ParseCmdJson();
    void LoadWeb();
    void LoadGame();
    // The page's request text (ANSI code page), taken from the window's queue.
    void OnOpenGame(const std::string& request);
    void UpdateGameExePath();
    void OnBtnCloseClick();
    void TopMainWnd();

    const LaunchParams& Params() const { return m_params; }

protected:
    const wchar_t* WindowClassName() const override;
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;
    // The window base calls it once the window is gone and every handler
    // below (a notice box, a menu, the move loop, ...) has returned.
    void OnFinalRelease() override;
    void InitWindow() override;
    void OnClickNotify(SkinUI::TNotifyRecord& record) override;
    const wchar_t* SkinFolder() const override;
    const wchar_t* SkinFile() const override;
    SkinUI::SkinSource SkinSourceKind() const override;
    const wchar_t* SkinZipName() const override;
    const wchar_t* SkinResourceId() const override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    SkinUI::CControlUI* CreateCustomControl(std::wstring_view className) override;
    const SkinUI::TNotifyMap* NotifyMap() const override;
    std::vector<SkinUI::TAccessibleName> AccessibleNames() const override;

private:
    void ShowExitMenu();
    void ShowNextDownloadText();
    void OnProgress(WPARAM percent);
    void OnDownloadResult(WPARAM result);
    void OnUnpackResult(WPARAM result);
    void OnNetError();
    void OnShow();
    // WM_LAUNCHER_OPEN_GAME is a wake-up: the request waits in the queue
    // only the bridge fills, so a post from another process finds nothing.
    void OnOpenGameWakeUp();
    // WM_LAUNCHER_OPEN_ADDRESS: a new-window address the event sink queued
    // goes to the default browser, now that the browser's call has returned.
    void OnOpenAddress();
    // True (and logged) when a notice box or the network-error box is open:
    // the failure message is dropped, one notice at a time.
    bool NoticeAlreadyOpen(UINT message, WPARAM wParam) const;
    // True (and logged) once the game is starting: the run starts it once.
    bool GameAlreadyStarting(const wchar_t* what) const;
    // Posts to the game-manager window only when gameMgrId names one.
    void PostToGameManager(UINT message) const;
    HWND GameManagerWindow() const;

    CIeBrowserUI* m_pBrowser = nullptr;  // the controls belong to the control tree
    SkinUI::CTabLayoutUI* m_pWizardTab = nullptr;
    SkinUI::CProgressUI* m_pProgress = nullptr;
    SkinUI::CLabelUI* m_pProgTip = nullptr;
    SkinUI::CVerticalLayoutUI* m_pDownloadLayout = nullptr;
    std::wstring m_strGameExePath;
    std::wstring m_strCmdJson;
    LaunchParams m_params;  // winid, source, tokenLogin, token, qxext, installed, gameMgrId, ...
    std::wstring m_strGameCode;
    std::wstring m_strFileParam;
    std::wstring m_strInstallDir;
    // Shared with the bridge control, which may outlive this object's
    // members while the control tree is released.
    const SharedOpenGameRequests m_openGameRequests = std::make_shared<OpenGameRequests>();
    int m_nOpenNotices = 0;       // notice boxes and network-error boxes open now
    bool m_bGameStarting = false;  // LoadGame got past the token test: the launcher closes

    TaskbarProgress m_taskbarProgress;  // the download on the taskbar button

    bool* m_pDeleted = nullptr;
};
