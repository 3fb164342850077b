// The floor of the launcher's game-exit figure: a minimal Win32 program that
// sends the window given as decimal text the same WM_COPYDATA notice (dwData
// 1, the 528-byte record) the same way (SendMessageTimeoutW) and ends.
//   bench_send_notice.exe <window>
#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR arguments, int)
{
    const HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(std::wcstol(arguments, nullptr, 10)));
    if (!::IsWindow(window)) return 1;
    // int32 1, the UTF-16 text "1" NUL-filled to 260 units, int32 1.
    unsigned char record[528] = {};
    record[0] = 1;
    record[4] = '1';
    record[524] = 1;
    COPYDATASTRUCT copyData{};
    copyData.dwData = 1;
    copyData.cbData = sizeof record;
    copyData.lpData = record;
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copyData), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                          5000, &ignored);
    return 0;
}
