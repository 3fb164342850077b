#include "tests/toolkit/hosts/HostTestWindow.h"

#include "toolkit/controls/ControlUI.h"

namespace hosttest {

namespace {

constexpr wchar_t kTestWindowClass[] = L"HostTestWindow";
constexpr wchar_t kRecorderClass[] = L"HostTestMessageRecorder";

bool RegisterOnce(const wchar_t* name, WNDPROC proc)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    return ::RegisterClassW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace


void PumpFor(DWORD ms)
{
    PumpUntil(nullptr, ms);
}

// --- HostTestWindow

HostTestWindow::HostTestWindow()
{
    RegisterOnce(kTestWindowClass, ::DefWindowProcW);
    m_hwnd = ::CreateWindowExW(0, kTestWindowClass, L"host test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 800,
                               600, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    m_manager = std::make_unique<SkinUI::CWindowManagerUI>();
    m_manager->Attach(m_hwnd);
}

HostTestWindow::~HostTestWindow()
{
    Close();
}

void HostTestWindow::AttachRoot(SkinUI::CControlUI* control)
{
    m_manager->AttachTree(control);
}

void HostTestWindow::Close()
{
    m_manager.reset();
    if (m_hwnd != nullptr) ::DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
}

// --- MessageRecorder

MessageRecorder::MessageRecorder(TakeOver takeOver) : m_takeOver(std::move(takeOver))
{
    RegisterOnce(kRecorderClass, &MessageRecorder::WindowProc);
    m_hwnd = ::CreateWindowExW(0, kRecorderClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MessageRecorder::~MessageRecorder()
{
    // Messages still queued are taken over so their heap objects are freed.
    MSG msg;
    while (::PeekMessageW(&msg, m_hwnd, WM_USER, WM_APP - 1, PM_REMOVE))
        if (m_takeOver) m_takeOver(msg.message, msg.wParam);
    ::DestroyWindow(m_hwnd);
}

std::vector<UINT> MessageRecorder::Numbers() const
{
    std::vector<UINT> numbers;
    for (const PostedMessage& m : m_messages) numbers.push_back(m.message);
    return numbers;
}

LRESULT CALLBACK MessageRecorder::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<MessageRecorder*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && message >= WM_USER && message < WM_APP) {
        PostedMessage posted{message, wParam, lParam, {}};
        if (self->m_takeOver) posted.text = self->m_takeOver(message, wParam);
        self->m_messages.push_back(posted);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// --- EngineSession

EngineSession::EngineSession(const std::string& scenario) : m_record(m_dir.file(L"record.txt"))
{
    const std::wstring scenarioFile = m_dir.file(L"scenario.txt");
    testsupport::WriteFileBytes(scenarioFile, scenario);
    ::SetEnvironmentVariableW(L"VRK_ENGINE_SCENARIO", scenarioFile.c_str());
    ::SetEnvironmentVariableW(L"VRK_ENGINE_RECORD", m_record.c_str());
}

EngineSession::~EngineSession()
{
    ::SetEnvironmentVariableW(L"VRK_ENGINE_SCENARIO", nullptr);
    ::SetEnvironmentVariableW(L"VRK_ENGINE_RECORD", nullptr);
}

std::vector<std::string> EngineSession::Lines() const
{
    return testsupport::SplitLines(testsupport::ReadFileBytes(m_record));
}

std::string EngineSession::Text() const
{
    return testsupport::ReadFileBytes(m_record);
}

std::vector<std::string> EngineSession::LinesStartingWith(const std::string& prefix) const
{
    std::vector<std::string> found;
    for (const std::string& line : Lines())
        if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
    return found;
}

bool EngineSession::WaitFor(const std::string& prefix, DWORD timeoutMs) const
{
    return PumpUntil([&] { return Has(prefix); }, timeoutMs);
}

bool EngineSession::EngineRegistered()
{
    wchar_t path[MAX_PATH] = {};
    LONG size = sizeof path;
    if (::RegQueryValueW(HKEY_CLASSES_ROOT, L"CLSID\\{8856F961-340A-11D0-A96B-00C04FD705A2}\\InprocServer32", path,
                         &size) != ERROR_SUCCESS)
        return false;
    return std::wstring(path).find(L"vrk_browser_engine.dll") != std::wstring::npos;
}

}  // namespace hosttest
