// Stands in for the platform client in tests and demos.
//
// Record mode: creates a hidden top-level window and appends to the record
// file, one line each (UTF-8):
//   window <handle in decimal>                      once, when the window exists
//   copydata dwData=<n> cbData=<n> bytes=<hex>      every WM_COPYDATA received
//   message <n> wParam=<n> lParam=<n>               every message 1024..2047 received
//   launched pid=<n> | launch-failed error=<n>      after --launch
//   launcher-exit code=<n>                          when the launched process ends
//   reentry message=<n> answered=<0|1>              see --on-copydata-send
//     platform_client_sim.exe --record=<file> [--title=<text>] [--launch=<command line>]
//                             [--hang] [--lifetime-ms=<n>] [--on-copydata-send=<n> --to-title=<text>]
//   --launch starts a program with "{hwnd}" replaced by the window's handle.
//   --hang stops answering messages once the window exists (a hung client).
//   --on-copydata-send sends message <n> to the window titled --to-title
//   while it handles each WM_COPYDATA (waiting at most two seconds), as a
//   client that calls back into its sender would; "answered" tells whether
//   the sender handled it while it waited for the WM_COPYDATA.
//   The window ends on WM_CLOSE (exit code 0) or after the lifetime
//   (default two minutes, exit code 3), so a failed test leaves nothing running.
//
// Post mode: posts one message to the top-level window with the title;
// exit code 0 when posted, 2 when no such window appeared within --wait-ms.
//     platform_client_sim.exe --post=<n> --to-title=<text> [--wparam=<n>] [--lparam=<n>] [--wait-ms=<n>]
//
// Echo mode: appends the rest of its own command line, as the caller wrote
// it, as one line to the file (a stand-in for a program the shell starts
// with an address, such as the default browser); exit code 0 when written.
//     platform_client_sim.exe "--echo-to=<file>" <anything>
//
// Capture mode: saves what the screen shows of the visible top-level window
// with the title (its window rectangle) as a 24-bit BMP file, as a user
// would see it; exit code 0 when saved, 2 when no such window appeared.
//     platform_client_sim.exe --capture=<file.bmp> --to-title=<text> [--wait-ms=<n>]
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "base/Win32Handles.h"

namespace {

struct Options {
    std::wstring record;
    std::wstring title = L"Qixel";
    std::wstring launch;
    bool hang = false;
    DWORD lifetimeMs = 120000;
    bool sendOnCopyData = false;
    UINT copyDataReply = 0;

    std::wstring capture;
    std::wstring echoTo;
    bool post = false;
    UINT message = 0;
    std::wstring toTitle;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD waitMs = 0;
};

bool TakeValue(const std::wstring& argument, const wchar_t* prefix, std::wstring& value)
{
    const std::size_t length = std::wcslen(prefix);
    if (argument.compare(0, length, prefix) != 0) return false;
    value = argument.substr(length);
    return true;
}

long long ToNumber(const std::wstring& text)
{
    return std::wcstoll(text.c_str(), nullptr, 10);
}

Options ParseOptions()
{
    Options options;
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments) return options;
    win32::UniqueLocalMemory argumentMemory(reinterpret_cast<HLOCAL>(arguments));
    for (int i = 1; i < count; ++i) {
        const std::wstring argument = arguments[i];
        std::wstring value;
        if (TakeValue(argument, L"--record=", value)) options.record = value;
        else if (TakeValue(argument, L"--title=", value)) options.title = value;
        else if (TakeValue(argument, L"--launch=", value)) options.launch = value;
        else if (argument == L"--hang") options.hang = true;
        else if (TakeValue(argument, L"--lifetime-ms=", value)) options.lifetimeMs = static_cast<DWORD>(ToNumber(value));
        else if (TakeValue(argument, L"--post=", value)) {
            options.post = true;
            options.message = static_cast<UINT>(ToNumber(value));
        } else if (TakeValue(argument, L"--to-title=", value)) options.toTitle = value;
        else if (TakeValue(argument, L"--wparam=", value)) options.wParam = static_cast<WPARAM>(ToNumber(value));
        else if (TakeValue(argument, L"--lparam=", value)) options.lParam = static_cast<LPARAM>(ToNumber(value));
        else if (TakeValue(argument, L"--wait-ms=", value)) options.waitMs = static_cast<DWORD>(ToNumber(value));
        else if (TakeValue(argument, L"--capture=", value)) options.capture = value;
        else if (TakeValue(argument, L"--echo-to=", value)) {
            options.echoTo = value;
            break;  // the rest is the text to echo, not options
        }
        else if (TakeValue(argument, L"--on-copydata-send=", value)) {
            options.sendOnCopyData = true;
            options.copyDataReply = static_cast<UINT>(ToNumber(value));
        }
    }
    return options;
}

class Recorder {
public:
    explicit Recorder(const std::wstring& path)
        : m_file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    // One write per line, so a reader never sees half a line.
    void Line(const std::string& text)
    {
        if (!m_file) return;
        const std::string line = text + "\r\n";
        DWORD written = 0;
        ::WriteFile(m_file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        ::FlushFileBuffers(m_file.get());
    }

private:
    win32::UniqueHandle m_file;
};

Recorder* g_recorder = nullptr;
const Options* g_options = nullptr;

std::string Hex(const void* data, std::size_t size)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(size * 2);
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0F];
    }
    return out;
}

LRESULT CALLBACK SimulatorWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    try {
        if (message == WM_COPYDATA) {
            const auto* copyData = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (copyData) {
                g_recorder->Line("copydata dwData=" + std::to_string(static_cast<unsigned long long>(copyData->dwData)) +
                                 " cbData=" + std::to_string(copyData->cbData) +
                                 " bytes=" + Hex(copyData->lpData, copyData->lpData ? copyData->cbData : 0));
            }
            if (g_options->sendOnCopyData) {
                const HWND sender = ::FindWindowW(nullptr, g_options->toTitle.c_str());
                DWORD_PTR ignored = 0;
                const bool answered = sender && ::SendMessageTimeoutW(sender, g_options->copyDataReply, 0, 0,
                                                                      SMTO_NORMAL, 2000, &ignored) != 0;
                g_recorder->Line("reentry message=" + std::to_string(g_options->copyDataReply) +
                                 " answered=" + (answered ? "1" : "0"));
            }
            return TRUE;
        }
        if (message >= 1024 && message <= 2047) {
            g_recorder->Line("message " + std::to_string(message) +
                             " wParam=" + std::to_string(static_cast<unsigned long long>(wParam)) +
                             " lParam=" + std::to_string(static_cast<long long>(lParam)));
            return 0;
        }
    } catch (...) {
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

int PostMode(const Options& options)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        const HWND target = ::FindWindowW(nullptr, options.toTitle.c_str());
        if (target && ::PostMessageW(target, options.message, options.wParam, options.lParam)) return 0;
        if (::GetTickCount() - start >= options.waitMs) return 2;
        ::Sleep(50);
    }
}

// The screen area of the window, bottom-up 24-bit rows as BMP stores them.
bool SaveWindowAsBmp(HWND window, const std::wstring& path)
{
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    const HDC screen = ::GetDC(nullptr);
    win32::UniqueMemoryDc memory(::CreateCompatibleDC(screen));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as the file wants it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win32::UniqueBitmap bitmap(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bool copied = false;
    if (memory && bitmap) {
        win32::SelectedObject selected(memory.get(), bitmap.get());
        copied = ::BitBlt(memory.get(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
        ::GdiFlush();
    }
    ::ReleaseDC(nullptr, screen);
    if (!copied) return false;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD pixelBytes = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + pixelBytes;
    win32::UniqueHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), &header, sizeof header, &written, nullptr) &&
           ::WriteFile(file.get(), &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
           ::WriteFile(file.get(), bits, pixelBytes, &written, nullptr) && written == pixelBytes;
}

int CaptureMode(const Options& options)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        const HWND target = ::FindWindowW(nullptr, options.toTitle.c_str());
        if (target && ::IsWindowVisible(target)) {
            // Under Wine a child window that was sized while its top-level
            // window was hidden can stay unpainted: repaint before taking it.
            ::RedrawWindow(target, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            ::Sleep(200);
            return SaveWindowAsBmp(target, options.capture) ? 0 : 1;
        }
        if (::GetTickCount() - start >= options.waitMs) return 2;
        ::Sleep(50);
    }
}

win32::UniqueHandle Launch(std::wstring commandLine, HWND window)
{
    const std::wstring handleText = std::to_wstring(reinterpret_cast<LONG_PTR>(window));
    for (std::size_t at = 0; (at = commandLine.find(L"{hwnd}", at)) != std::wstring::npos;) {
        commandLine.replace(at, 6, handleText);
        at += handleText.size();
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        g_recorder->Line("launch-failed error=" + std::to_string(::GetLastError()));
        return win32::UniqueHandle();
    }
    ::CloseHandle(info.hThread);
    g_recorder->Line("launched pid=" + std::to_string(info.dwProcessId));
    return win32::UniqueHandle(info.hProcess);
}

int RecordMode(HINSTANCE instance, const Options& options)
{
    Recorder recorder(options.record);
    g_recorder = &recorder;
    g_options = &options;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = SimulatorWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"VrkPlatformClientSimulator";
    ::RegisterClassExW(&windowClass);
    const HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, options.title.c_str(), WS_OVERLAPPEDWINDOW,
                                          0, 0, 200, 100, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    recorder.Line("window " + std::to_string(reinterpret_cast<LONG_PTR>(window)));

    if (options.hang) {
        ::Sleep(options.lifetimeMs);
        return 3;
    }

    win32::UniqueHandle launched;
    if (!options.launch.empty()) launched = Launch(options.launch, window);

    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= options.lifetimeMs) return 3;
        const HANDLE waitFor = launched.get();
        const DWORD wait = ::MsgWaitForMultipleObjects(waitFor ? 1 : 0, waitFor ? &waitFor : nullptr, FALSE,
                                                       options.lifetimeMs - elapsed, QS_ALLINPUT);
        if (waitFor && wait == WAIT_OBJECT_0) {
            DWORD code = 0;
            ::GetExitCodeProcess(launched.get(), &code);
            recorder.Line("launcher-exit code=" + std::to_string(code));
            launched.reset();
            continue;
        }
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return 0;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

}  // namespace

// The raw command line after the --echo-to= argument.
std::wstring EchoedText()
{
    const std::wstring line = ::GetCommandLineW();
    std::size_t at = line.find(L"--echo-to=");
    if (at == std::wstring::npos) return {};
    const bool quoted = at > 0 && line[at - 1] == L'"';
    at = quoted ? line.find(L'"', at) : line.find(L' ', at);
    if (at == std::wstring::npos) return {};
    ++at;
    while (at < line.size() && line[at] == L' ') ++at;
    return line.substr(at);
}

// Several programs may echo at once: the file is opened exclusively, so
// their lines never mix.
int EchoMode(const Options& options)
{
    const std::wstring text = EchoedText() + L"\r\n";
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr, nullptr);
    for (int attempt = 0; attempt < 500; ++attempt) {
        win32::UniqueHandle file(::CreateFileW(options.echoTo.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            DWORD written = 0;
            return ::WriteFile(file.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) ? 0 : 1;
        }
        ::Sleep(10);
    }
    return 1;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    const Options options = ParseOptions();
    if (!options.echoTo.empty()) return EchoMode(options);
    if (options.post) return PostMode(options);
    if (!options.capture.empty()) return CaptureMode(options);
    if (options.record.empty()) return 1;
    return RecordMode(instance, options);
}
