// The floor of the launcher's start-to-visible and working-set figures: a
// plain 960 x 620 window that renames itself after its first paint, so the
// benchmark sees the moment the paint is done.
#include <windows.h>

namespace {

bool g_painted = false;

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC hdc = ::BeginPaint(hwnd, &paint);
        ::FillRect(hdc, &paint.rcPaint, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::EndPaint(hwnd, &paint);
        if (!g_painted) {
            g_painted = true;
            ::SetWindowTextW(hwnd, L"VrkBenchPlain painted");
        }
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PlainProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"VrkBenchPlain";
    ::RegisterClassExW(&windowClass);
    const HWND hwnd = ::CreateWindowExW(0, L"VrkBenchPlain", L"VrkBenchPlain", WS_POPUP | WS_VISIBLE, 100, 100, 960,
                                        620, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
