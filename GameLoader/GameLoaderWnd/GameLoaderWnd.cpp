#include "GameLoader/GameLoaderWnd/GameLoaderWnd.h"

#include <windows.h>
#include <exdisp.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <wininet.h>

#include <json/json.h>

#include <algorithm>
#include <cwctype>
#include <optional>
#include <string_view>
#include <type_traits>

#include "GameLoader/CIeBrowserUI/CIeBrowserUI.h"
#include "GameLoader/CIeBrowserUI/OpenGameRequest.h"
#include "GameLoader/CIeBrowserUI/WebBrowserEvent.h"
#include "GameLoader/Common/Folders.h"
#include "GameLoader/Common/TextConvert.h"
#include "GameLoader/Common/WindowHandleText.h"
#include "GameLoader/GameLoader/GameExitNotice.h"
#include "GameLoader/GameLoader/GameIdentity.h"
#include "GameLoader/GameLoader/LaunchParamsReader.h"
#include "GameLoader/GameLoader/PlatformSettings.h"
#include "GameLoader/GameLoader/UninstallEntry.h"
#include "GameLoader/GameLoaderWnd/CustomMsgBox.h"
#include "GameLoader/GameLoaderWnd/GameCommandLine.h"
#include "GameLoader/GameLoaderWnd/GameExePath.h"
#include "GameLoader/GameLoaderWnd/GameShutdownTask.h"
#include "GameLoader/GameLoaderWnd/InstallRegistration.h"
#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "GameLoader/GameLoaderWnd/PortalAddress.h"
#include "base/ProcedurePointers.h"
#include "base/SystemLibrary.h"
#include "log/Logger.h"
#include "toolkit/controls/LabelUI.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

constexpr int kIconResourceId = 107;
constexpr UINT kExitMenuCommand = 16;
constexpr DWORD kSuppressCookiePersist = 3;  // INTERNET_SUPPRESS_COOKIE_PERSIST: cookies last for the run only

// The download page's background by the build's game code; other codes
// keep the skin's look.
const struct {
    const char* gameCode;
    const wchar_t* image;
} kDownloadBackgrounds[] = {
    {"tov", L"tov_download_bk.jpg"},
    {"melk", L"melk_download_bk.jpg"},
    {"pirn", L"pirn_download_bk.jpg"},
};

const wchar_t* const kDownloadTexts[] = {
    L"正在下载游戏文件，请耐心等待.",
    L"正在下载游戏文件，请耐心等待..",
    L"正在下载游戏文件，请耐心等待...",
};
int g_nDownloadTextIndex = 0;  // process-wide, cycles 0, 1, 2

struct MenuDestroyer {
    void operator()(HMENU menu) const noexcept { ::DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

// WinINet is loaded only for this, not at every start: the option is
// process-wide, so the library stays loaded for the rest of the run (the
// browser uses it anyway). From the system folder only.
void SuppressPersistentCookies()
{
    using SetOption = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, DWORD);
    const auto setOption =
        win32::ExportedFunction<SetOption>(win32::LoadSystemLibrary(L"wininet.dll"), "InternetSetOptionW");
    if (!setOption) return;
    DWORD suppress = kSuppressCookiePersist;
    setOption(nullptr, INTERNET_OPTION_SUPPRESS_BEHAVIOR, &suppress, sizeof suppress);
}

// Counts a modal box for as long as its handler runs; a success, which
// shows no box, counts nothing.
class OpenNotice {
public:
    OpenNotice(int& count, bool showsBox) : m_count(count), m_counts(showsBox)
    {
        if (m_counts) ++m_count;
    }
    ~OpenNotice()
    {
        if (m_counts) --m_count;
    }
    OpenNotice(const OpenNotice&) = delete;
    OpenNotice& operator=(const OpenNotice&) = delete;

private:
    int& m_count;
    const bool m_counts;
};

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(x) == std::towlower(y);
           });
}

}  // namespace

BrowserEventSinkHolder::BrowserEventSinkHolder() = default;
BrowserEventSinkHolder::~BrowserEventSinkHolder() = default;

GameLoaderWnd::GameLoaderWnd(std::wstring cmdJson) : m_strCmdJson(std::move(cmdJson)) {}

GameLoaderWnd::~GameLoaderWnd()
{
    ::PostQuitMessage(0);  // ends the main window run's message loop
    if (m_pDeleted) *m_pDeleted = true;
}

const SkinUI::TNotifyMap* GameLoaderWnd::NotifyMap() const
{
    static const SkinUI::TNotifyMapEntry entries[] = {
        SkinUI::NotifyOnRecord<GameLoaderWnd>(L"click", L"", &GameLoaderWnd::OnClickNotify),
        SkinUI::kNotifyMapEnd,
    };
    static const SkinUI::TNotifyMap map = {SkinUI::WindowImplBase::ClassNotifyMap(), entries};
    return &map;
}

// The image buttons and the bar have no text of their own.
std::vector<SkinUI::TAccessibleName> GameLoaderWnd::AccessibleNames() const
{
    return {{L"btnMin", L"最小化"}, {L"btnClose", L"关闭"}, {L"progress", L"下载进度"}};
}

const wchar_t* GameLoaderWnd::WindowClassName() const
{
    return L"GameLoaderResClass";
}
const wchar_t* GameLoaderWnd::SkinFolder() const
{
    return L"";
}
const wchar_t* GameLoaderWnd::SkinFile() const
{
    return L"GameLoader.xml";
}
SkinUI::SkinSource GameLoaderWnd::SkinSourceKind() const
{
    return SkinUI::SkinSource::ZipResource;
}
const wchar_t* GameLoaderWnd::SkinZipName() const
{
    return L"";
}
const wchar_t* GameLoaderWnd::SkinResourceId() const
{
    return L"130";
}

SkinUI::CControlUI* GameLoaderWnd::CreateCustomControl(std::wstring_view className)
{
    if (!EqualsIgnoringCase(className, L"IeBrowser")) return nullptr;
    // The skin is built while the window is created: the handle exists.
    auto* browser = new CIeBrowserUI(m_hWnd, m_openGameRequests);
    // The browser is made when the page is loaded (LoadWeb), not while the
    // skin is built: a launcher that starts the game at once never loads it.
    browser->SetCreationOnFirstUse(true);
    return browser;
}

void GameLoaderWnd::InitWindow()
{
    const HICON icon = ::LoadIconW(SkinUI::CWindowManagerUI::Instance(), MAKEINTRESOURCEW(kIconResourceId));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

    m_pBrowserEvent = std::make_unique<CWebBrowserEvent>(m_hWnd);

    SkinUI::CWindowManagerUI& manager = Manager();
    m_pBrowser = dynamic_cast<CIeBrowserUI*>(manager.FindByName(L"ie"));
    m_pWizardTab = dynamic_cast<SkinUI::CTabLayoutUI*>(manager.FindByName(L"wizardTab"));
    m_pProgress = dynamic_cast<SkinUI::CProgressUI*>(manager.FindByName(L"progress"));
    m_pProgTip = dynamic_cast<SkinUI::CLabelUI*>(manager.FindByName(L"progTip"));
    m_pDownloadLayout = dynamic_cast<SkinUI::CVerticalLayoutUI*>(manager.FindByName(L"vLayoutDownload"));

    for (const auto& background : kDownloadBackgrounds) {
        if (std::string(kGameCode) == background.gameCode && m_pDownloadLayout) {
            m_pDownloadLayout->ApplyAttribute(L"bkimage", background.image);
        }
    }

    m_strInstallDir = GetProgramFilesX86Dir() + L"\\" + AnsiToWide(kGameCode);
    m_strGameCode = AnsiToWide(kGameCode);
    UpdateGameExePath();
    ParseCmdJson();

    if (m_params.typeMode == L"1" && !m_params.gameMgrId.empty()) PostToGameManager(WM_GAMEMGR_LAUNCHER_STARTED);
    WriteSettingLoginSource(m_params.source, GetSettingFilePath());
    LOG_W(LOG_LEVEL_INFO, L"m_nGameInstalled is " << m_params.m_nGameInstalled);
    if (m_params.m_nGameInstalled == 1) SuppressPersistentCookies();
    m_strFileParam = GetBagFileParam(m_strGameCode);
    LOG_W(LOG_LEVEL_INFO, L"GetBagFileParam fileparam=" << m_strFileParam);
    if (m_pWizardTab) m_pWizardTab->SelectPage(0);

    if (m_params.tokenLogin == L"1" && !m_params.token.empty()) {
        LoadGame();
    } else {
        // Without a token there is no game to start: a hidden launcher would
        // hold the instance mutex for ever. The page lets the player go on.
        if (m_params.tokenLogin == L"1") LOG_W(LOG_LEVEL_ERROR, L"tokenLogin 1 without a token, the portal page instead");
        LoadWeb();
    }
}

bool GameLoaderWnd::ParseCmdJson()
{
    if (m_strCmdJson.empty()) {
        LOG_W(LOG_LEVEL_INFO, L"m_strCmdJson is empty");
        return false;
    }
    LOG_W(LOG_LEVEL_INFO, L"m_strCmdJson is:" << m_strCmdJson);  // the logger masks the token
    LaunchJsonResult result = LaunchJsonResult::Interrupted;
    try {
        const std::wstring settingFile = GetSettingFilePath();
        const LaunchJsonCallbacks callbacks{
            [](const std::string& ansi) { return AnsiToWide(ansi); },
            [&settingFile](const std::wstring& winid) { WriteSettingWindowId(winid, settingFile); }};
        result = ReadLaunchParams(WideToMultiByte(m_strCmdJson, CP_ACP), callbacks, m_params);
    } catch (...) {
        // Counts as read: the launcher goes on with the fields taken so far.
    }
    if (result == LaunchJsonResult::NotJson) {
        LOG_W(LOG_LEVEL_ERROR, L"reader.parse:" << m_strCmdJson << L" false");
        return false;
    }
    return true;
}

void GameLoaderWnd::UpdateGameExePath()
{
    m_strGameExePath = GameExePathFor(m_strGameCode);
}

HWND GameLoaderWnd::GameManagerWindow() const
{
    return WindowFromDecimalText(m_params.gameMgrId);
}

void GameLoaderWnd::PostToGameManager(UINT message) const
{
    // 65535 is HWND_BROADCAST, and a handle of no window reaches the
    // thread's own queue: neither is a game manager, and 1347 and 1348 must
    // not reach other programs' windows.
    const HWND target = GameManagerWindow();
    if (target == HWND_BROADCAST || !::IsWindow(target)) {
        if (!m_params.gameMgrId.empty()) LOG_W(LOG_LEVEL_ERROR, L"gameMgrId is no window:" << m_params.gameMgrId);
        return;
    }
    ::PostMessageW(target, message, 0, 0);
}

bool GameLoaderWnd::GameAlreadyStarting(const wchar_t* what) const
{
    if (!m_bGameStarting) return false;
    LOG_W(LOG_LEVEL_ERROR, L"game already starting, ignored:" << what);
    return true;
}

void GameLoaderWnd::LoadWeb()
{
    LOG_W(LOG_LEVEL_INFO, L"GameLoaderWnd LoadWeb");
    if (!m_pBrowser) return;
    m_pBrowser->EnsureHostedControl();
    if (m_pBrowserEvent && m_pBrowser->EventHandler() != m_pBrowserEvent.get()) {
        m_pBrowser->SetEventHandler(m_pBrowserEvent.get());
    }
    // Only this browser's own document counts for errors and completion.
    if (m_pBrowserEvent) m_pBrowserEvent->SetTopBrowser(m_pBrowser->WebBrowser());
    if (IWebBrowser2* webBrowser = m_pBrowser->WebBrowser()) {
        webBrowser->put_Silent(VARIANT_TRUE);  // no dialogs of the browser's own, such as script errors
    }
    LOG_W(LOG_LEVEL_INFO, L"fileparam=" << m_strFileParam);
    const std::wstring address = PortalAddress(m_strFileParam, m_params);
    m_pBrowser->NavigateTo(address.c_str());
    m_pBrowser->SetVisible(false);  // shown again once the page has loaded
}

void GameLoaderWnd::OnOpenGameWakeUp()
{
    std::optional<std::string> request = m_openGameRequests->Take();
    if (!request) {
        LOG_W(LOG_LEVEL_ERROR, L"WM_LAUNCHER_OPEN_GAME without a queued request");
        return;
    }
    OnOpenGame(*request);
}

void GameLoaderWnd::OnOpenGame(const std::string& text)
{
    if (GameAlreadyStarting(L"open_game")) return;
    try {
        Json::Value root;
        Json::Reader reader;
        if (!reader.parse(text, root)) {
            LOG_W(LOG_LEVEL_ERROR, L"reader.parse:" << AnsiToWide(text) << L" false");  // the logger masks the token
            return;
        }
        const Json::Value& constRoot = root;  // lookups must not add members
        if (constRoot["token"].isString()) m_params.token = AnsiToWide(constRoot["token"].asString());
        if (constRoot["qxext"].isString()) m_params.qxext = AnsiToWide(constRoot["qxext"].asString());
    } catch (...) {
        // A root that is not an object: the game starts with the parameters held.
    }
    LoadGame();
}

void GameLoaderWnd::LoadGame()
{
    LOG_W(LOG_LEVEL_INFO, L"GameLoaderWnd LoadGame start");
    if (m_params.token.empty()) return;
    // From here the launcher closes: one start per run, whoever asks again.
    if (GameAlreadyStarting(L"LoadGame")) return;
    m_bGameStarting = true;
    if (!::PathFileExistsW(m_strGameExePath.c_str())) {
        LOG_W(LOG_LEVEL_INFO, L"PathFileExists " << m_strGameExePath << L" not exists");
        PostToGameManager(WM_GAMEMGR_START_FAILED);
        if (::IsWindow(m_hWnd)) ::PostMessageW(m_hWnd, WM_CLOSE, 1, 0);
        return;
    }
    if (::IsWindow(m_hWnd)) ::ShowWindow(m_hWnd, SW_HIDE);
    const std::wstring commandLine = BuildGameCommandLine(m_params);
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.lpVerb = L"open";
    execute.lpFile = m_strGameExePath.c_str();
    execute.lpParameters = commandLine.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&execute)) PostToGameManager(WM_GAMEMGR_START_FAILED);
    if (::IsWindow(m_hWnd)) ::PostMessageW(m_hWnd, WM_CLOSE, 1, 0);
}

LRESULT GameLoaderWnd::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    m_taskbarProgress.OnWindowMessage(m_hWnd, message, wParam);
    switch (message) {
    case WM_NCLBUTTONDBLCLK:
        return 0;  // a double click on the caption neither maximises nor restores
    case WM_LAUNCHER_TRAY_NOTIFY:
        if (lParam == WM_RBUTTONDOWN) ShowExitMenu();  // a nested loop: the window may be gone after it
        break;
    case WM_TIMER:
        if (wParam == TIMER_DOWNLOAD_TEXT) ShowNextDownloadText();
        break;
    default:
        break;
    }
    return SkinUI::WindowImplBase::ProcessMessage(message, wParam, lParam);
}

void GameLoaderWnd::ShowExitMenu()
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::SetForegroundWindow(m_hWnd);
    UINT command = 0;
    if (const UniqueMenu menu{::CreatePopupMenu()}) {
        ::AppendMenuW(menu.get(), MF_STRING, kExitMenuCommand, L"退出");
        command = static_cast<UINT>(
            ::TrackPopupMenu(menu.get(), TPM_RETURNCMD, cursor.x, cursor.y, 0, m_hWnd, nullptr));
    }
    if (command == kExitMenuCommand && m_hWnd) OnBtnCloseClick();
}

void GameLoaderWnd::ShowNextDownloadText()
{
    const wchar_t* text = kDownloadTexts[g_nDownloadTextIndex];
    g_nDownloadTextIndex = (g_nDownloadTextIndex + 1) % 3;
    if (m_pProgTip) m_pProgTip->SetText(text);
}

LRESULT GameLoaderWnd::OnOtherMessage(UINT message, WPARAM wParam, LPARAM, bool&)
{
    switch (message) {
    case WM_LAUNCHER_SHOW:
        OnShow();
        break;
    case WM_LAUNCHER_MINIMIZE:
        ::ShowWindow(m_hWnd, SW_MINIMIZE);
        break;
    case WM_LAUNCHER_CLOSE:
        OnBtnCloseClick();
        break;
    case WM_LAUNCHER_OPEN_GAME:
        OnOpenGameWakeUp();
        break;
    case WM_LAUNCHER_DRAG:
        ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
        break;
    case WM_LAUNCHER_ACTIVATE:
        TopMainWnd();
        break;
    case WM_LAUNCHER_UNPACK_RESULT: {
        if (wParam != 0 && NoticeAlreadyOpen(message, wParam)) break;
        const OpenNotice notice(m_nOpenNotices, wParam != 0);
        OnUnpackResult(wParam);
        break;
    }
    case WM_LAUNCHER_DOWNLOAD_RESULT: {
        if (wParam != 0 && NoticeAlreadyOpen(message, wParam)) break;
        const OpenNotice notice(m_nOpenNotices, wParam != 0);
        OnDownloadResult(wParam);
        break;
    }
    case WM_LAUNCHER_PROGRESS:
        OnProgress(wParam);
        break;
    case WM_LAUNCHER_NET_ERROR: {
        if (NoticeAlreadyOpen(message, wParam)) break;
        const OpenNotice notice(m_nOpenNotices, true);
        OnNetError();
        break;
    }
    case WM_LAUNCHER_OPEN_ADDRESS:
        OnOpenAddress();
        break;
    default:
        break;
    }
    return 0;  // the handled flag stays clear: the default processing follows
}

// A second box would run its loop inside the first one's, and each box
// that closes enables the owner while the others are still modal; thousands
// of them overflow the stack.
bool GameLoaderWnd::NoticeAlreadyOpen(UINT message, WPARAM wParam) const
{
    if (m_nOpenNotices == 0) return false;
    LOG_W(LOG_LEVEL_ERROR, L"notice open, dropped message:" << message << L" wParam:" << wParam);
    return true;
}

void GameLoaderWnd::OnOpenAddress()
{
    if (!m_pBrowserEvent) return;
    if (const std::optional<std::wstring> address = m_pBrowserEvent->TakeNewWindowAddress())
        ::ShellExecuteW(nullptr, L"open", address->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void GameLoaderWnd::OnShow()
{
    if (m_pBrowser) m_pBrowser->SetVisible(true);
    if (m_params.token == L"1") return;
    if (::IsWindow(m_hWnd)) {
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
        TopMainWnd();
    }
}

void GameLoaderWnd::OnProgress(WPARAM percent)
{
    if (!m_pProgress) return;
    const int old = m_pProgress->Value();
    m_pProgress->SetValue(static_cast<int>(static_cast<INT_PTR>(percent)));  // ignored outside 0..100 or unchanged
    if (old == 100) {
        ::KillTimer(m_hWnd, TIMER_DOWNLOAD_TEXT);
        if (m_pProgTip) m_pProgTip->SetText(L"正在释放文件");
    }
}

void GameLoaderWnd::OnDownloadResult(WPARAM result)
{
    if (result != 0) {
        ::KillTimer(m_hWnd, TIMER_DOWNLOAD_TEXT);
        ShowNoticeBox(m_hWnd, L"网络异常");  // its buttons close the launcher as well
        return;
    }
    // The window thread waits on purpose: the unpack that follows must not
    // find a game still holding its files.
    RunGameShutdownAndWait(RealGameShutdownSteps());
}

void GameLoaderWnd::OnUnpackResult(WPARAM result)
{
    // A repeated success would register the install and start the game again.
    if (GameAlreadyStarting(L"unpack result")) return;
    if (result == 0) {
        RegisterInstall({m_strGameCode, AnsiToWide(kGameTitle), m_strInstallDir, GetDesktopDir(), m_params.source});
        UpdateGameExePath();
        if (m_pProgTip) m_pProgTip->SetText(L"正在启动游戏");
        LoadGame();
        return;
    }
    ShowNoticeBox(m_hWnd, L"释放文件出错");
    // Whatever code the box was closed with (any process can post it -1),
    // only the window itself tells whether it is still there.
    if (m_hWnd && ::IsWindow(m_hWnd)) ::PostMessageW(m_hWnd, WM_CLOSE, 1, 0);
}

void GameLoaderWnd::OnNetError()
{
    ::MessageBoxW(m_hWnd, L"网络连接异常", L"提示", MB_OK);
    if (!m_hWnd) return;  // closed while the box showed: nobody is left to tell
    OnBtnCloseClick();
}

void GameLoaderWnd::OnBtnCloseClick()
{
    if (m_params.source == L"QX" && !m_params.winid.empty()) {
        LOG_W(LOG_LEVEL_INFO, L"GameLoaderWnd close wnd");
        // The platform may close this window from inside the call.
        SendGameExitNotice(WindowFromDecimalText(m_params.winid));
    }
    if (m_hWnd && ::IsWindow(m_hWnd)) ::PostMessageW(m_hWnd, WM_CLOSE, 1, 0);
}

void GameLoaderWnd::OnClickNotify(SkinUI::TNotifyRecord& record)
{
    if (!record.pSender) return;
    const std::wstring_view name = record.pSender->Name().View();
    if (name == L"btnClose") {
        OnBtnCloseClick();
    } else if (name == L"btnMin") {
        ::ShowWindow(m_hWnd, SW_MINIMIZE);
    }
}

LRESULT GameLoaderWnd::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (wParam == SC_CLOSE) {
        LOG_W(LOG_LEVEL_INFO, L"点击任务栏关闭窗口");
        handled = true;
        OnBtnCloseClick();
        return 0;
    }
    return CallPreviousProc(message, wParam, lParam);
}

void GameLoaderWnd::TopMainWnd()
{
    LOG_W(LOG_LEVEL_INFO, L"OnShowMainWnd enter");
    if (::IsIconic(m_hWnd)) ::ShowWindow(m_hWnd, SW_RESTORE);
    const DWORD foregroundThread = ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr);
    const DWORD ownThread = ::GetCurrentThreadId();
    // Raising works only while the foreground thread's input is joined with ours.
    const bool attached = foregroundThread != 0 && foregroundThread != ownThread &&
                          ::AttachThreadInput(foregroundThread, ownThread, TRUE);
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    if (attached) ::AttachThreadInput(foregroundThread, ownThread, FALSE);
}

void GameLoaderWnd::OnWindowDestroyed(HWND hwnd)
{
    SkinUI::WindowImplBase::OnWindowDestroyed(hwnd);
    // The control tree is gone with the window.
    m_pBrowser = nullptr;
    m_pWizardTab = nullptr;
    m_pProgress = nullptr;
    m_pProgTip = nullptr;
    m_pDownloadLayout = nullptr;
}

void GameLoaderWnd::OnFinalRelease()
{
    delete this;  // the destructor ends the run
}
