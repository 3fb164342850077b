#include "GameLoader/GameLoaderWnd/TaskbarProgress.h"

#include <cwchar>
#include <string>
#include <utility>

#include "GameLoader/GameLoaderWnd/LauncherMessages.h"
#include "log/Logger.h"

namespace {

const wchar_t* const kOperationNames[] = {
    L"CoCreateInstance(TaskbarList)",
    L"ITaskbarList3::HrInit",
    L"ITaskbarList3::SetProgressState",
    L"ITaskbarList3::SetProgressValue",
};

std::wstring HresultText(HRESULT hr)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

TBPFLAG StateFlag(TaskbarProgressKind kind)
{
    switch (kind) {
    case TaskbarProgressKind::Normal: return TBPF_NORMAL;
    case TaskbarProgressKind::Indeterminate: return TBPF_INDETERMINATE;
    case TaskbarProgressKind::Error: return TBPF_ERROR;
    case TaskbarProgressKind::None: break;
    }
    return TBPF_NOPROGRESS;
}

}  // namespace

UINT TaskbarProgress::ButtonCreatedMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarButtonCreated");
    return message;
}

void TaskbarProgress::OnWindowMessage(HWND window, UINT message, WPARAM wParam) noexcept
{
    try {
        if (message == WM_LAUNCHER_PROGRESS || message == WM_LAUNCHER_DOWNLOAD_RESULT ||
            message == WM_LAUNCHER_UNPACK_RESULT) {
            m_view = NextTaskbarView(m_view, message, wParam);
            if (m_pTaskbar) Show(window, m_view);
        } else if (message == WM_DESTROY) {
            Clear(window);
        } else if (message != 0 && message == ButtonCreatedMessage()) {
            Connect(window);
        }
    } catch (...) {
        // Logging may fail for want of memory; the window goes on without the button.
    }
}

void TaskbarProgress::Connect(HWND window)
{
    // A new button (also after the shell restarted) starts empty.
    m_pTaskbar.reset();
    m_shown = {};
    m_loggedFailures = 0;
    win32::ComPtr<ITaskbarList3> taskbar;
    HRESULT hr = ::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                    taskbar.put_void());
    if (SUCCEEDED(hr) && !taskbar) hr = E_NOINTERFACE;
    ReportFailure(hr, kCreate);
    if (FAILED(hr)) return;
    hr = taskbar->HrInit();
    ReportFailure(hr, kInit);
    if (FAILED(hr)) return;
    m_pTaskbar = std::move(taskbar);
    Show(window, m_view);
}

void TaskbarProgress::Show(HWND window, const TaskbarProgressView& view)
{
    if (view == m_shown) return;
    // The state goes first: a value keeps the error state, while from no
    // progress or indeterminate it would switch to normal on its own.
    if (view.kind == TaskbarProgressKind::Error || view.kind == TaskbarProgressKind::Normal) {
        if (view.kind != m_shown.kind) {
            ReportFailure(m_pTaskbar->SetProgressState(window, StateFlag(view.kind)), kSetState);
        }
        ReportFailure(m_pTaskbar->SetProgressValue(window, static_cast<ULONGLONG>(view.percent), 100), kSetValue);
    } else {
        ReportFailure(m_pTaskbar->SetProgressState(window, StateFlag(view.kind)), kSetState);
    }
    m_shown = view;
}

void TaskbarProgress::Clear(HWND window)
{
    if (m_pTaskbar && m_shown.kind != TaskbarProgressKind::None) {
        ReportFailure(m_pTaskbar->SetProgressState(window, TBPF_NOPROGRESS), kSetState);
    }
    m_pTaskbar.reset();
    m_view = {};
    m_shown = {};
}

void TaskbarProgress::ReportFailure(HRESULT hr, Operation operation)
{
    if (SUCCEEDED(hr)) return;
    const unsigned bit = 1u << operation;
    if (m_loggedFailures & bit) return;
    m_loggedFailures |= bit;
    LOG_W(LOG_LEVEL_INFO, kOperationNames[operation] << L" failed:" << HresultText(hr));
}
