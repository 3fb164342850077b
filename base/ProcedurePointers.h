// Procedure pointers that cross into the system: a window's procedure and a
// library's exported function. Both travel as untyped values (LONG_PTR,
// FARPROC); here is the one place they are converted, so a caller passes
// and receives the procedure's real type, calling convention included, and
// the i686 compiler refuses a procedure declared with the wrong one.
#pragma once

#include <windows.h>

#include <type_traits>

namespace win32 {

inline WNDPROC WindowProcedure(HWND hwnd) noexcept
{
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

// Gives the procedure it replaced (none on failure).
inline WNDPROC ReplaceWindowProcedure(HWND hwnd, WNDPROC procedure) noexcept
{
    return reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

// An export as the function type the caller declares (WINAPI for system
// exports); none when the module or the name is missing.
template <typename Function>
Function ExportedFunction(HMODULE module, const char* name) noexcept
{
    static_assert(std::is_pointer_v<Function> && std::is_function_v<std::remove_pointer_t<Function>>,
                  "a pointer to a function type");
    if (module == nullptr) return nullptr;
    // Through the generic function type: FARPROC's own signature is a placeholder.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace win32
