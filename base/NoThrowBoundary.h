// Where our code is called by the system or by foreign code (a window,
// timer, hook or thread-pool procedure, a COM method), an exception must not
// travel on: through a system frame it is undefined, through a noexcept
// function it ends the process. These run the body and turn any exception
// into the answer the caller expects for a failure.
#pragma once

#include <windows.h>

#include <new>
#include <type_traits>
#include <utility>

namespace win32 {

// `failure` when the body throws; a body without result gives nothing.
template <typename Result, typename Body>
Result CallWithoutThrowing(Result failure, Body&& body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return failure;
    }
}

template <typename Body>
void CallWithoutThrowing(Body&& body) noexcept
{
    static_assert(std::is_void_v<decltype(body())>, "a body with a result names its failure answer");
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}

// A COM method's body: E_OUTOFMEMORY when an allocation failed, E_UNEXPECTED
// for any other exception.
template <typename Body>
HRESULT ComCallWithoutThrowing(Body&& body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace win32
