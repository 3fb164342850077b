// Owners for Win32 handles and COM pointers: each closes what it holds
// exactly once and keeps the caller's GetLastError across that close.
#pragma once

#include <windows.h>

#include <utility>

namespace win32 {

template <typename T, typename Traits>
class UniqueResource {
public:
    UniqueResource() noexcept = default;
    explicit UniqueResource(T value) noexcept : m_value(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : m_value(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    T get() const noexcept { return m_value; }
    bool valid() const noexcept { return Traits::Valid(m_value); }
    explicit operator bool() const noexcept { return valid(); }

    T release() noexcept { return std::exchange(m_value, Traits::Invalid()); }
    void reset(T value = Traits::Invalid()) noexcept
    {
        if (Traits::Valid(m_value)) {
            const DWORD saved = ::GetLastError();
            Traits::Close(m_value);
            ::SetLastError(saved);
        }
        m_value = value;
    }
    // For out-parameters of system calls: releases the old value first.
    T* put() noexcept
    {
        reset();
        return &m_value;
    }

private:
    T m_value = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() noexcept { return nullptr; }
    static bool Valid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;

struct RegistryKeyTraits {
    static HKEY Invalid() noexcept { return nullptr; }
    static bool Valid(HKEY h) noexcept { return h != nullptr; }
    static void Close(HKEY h) noexcept { ::RegCloseKey(h); }
};
using UniqueKey = UniqueResource<HKEY, RegistryKeyTraits>;

template <typename T>
struct GdiObjectTraits {
    static T Invalid() noexcept { return nullptr; }
    static bool Valid(T h) noexcept { return h != nullptr; }
    static void Close(T h) noexcept { ::DeleteObject(h); }
};
using UniqueBitmap = UniqueResource<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueResource<HFONT, GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueResource<HBRUSH, GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueResource<HPEN, GdiObjectTraits<HPEN>>;
using UniqueRegion = UniqueResource<HRGN, GdiObjectTraits<HRGN>>;

struct MemoryDcTraits {
    static HDC Invalid() noexcept { return nullptr; }
    static bool Valid(HDC h) noexcept { return h != nullptr; }
    static void Close(HDC h) noexcept { ::DeleteDC(h); }
};
using UniqueMemoryDc = UniqueResource<HDC, MemoryDcTraits>;

struct LocalMemoryTraits {
    static HLOCAL Invalid() noexcept { return nullptr; }
    static bool Valid(HLOCAL h) noexcept { return h != nullptr; }
    static void Close(HLOCAL h) noexcept { ::LocalFree(h); }
};
using UniqueLocalMemory = UniqueResource<HLOCAL, LocalMemoryTraits>;

// A DC obtained with GetDC, released to its window.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) noexcept : m_hwnd(hwnd), m_hdc(::GetDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (m_hdc) ::ReleaseDC(m_hwnd, m_hdc);
    }
    HDC get() const noexcept { return m_hdc; }

private:
    HWND m_hwnd;
    HDC m_hdc;
};

// Selects a GDI object into a DC for one scope.
class SelectedObject {
public:
    SelectedObject(HDC hdc, HGDIOBJ object) noexcept
        : m_hdc(hdc), m_old(object ? ::SelectObject(hdc, object) : nullptr) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject()
    {
        if (m_old) ::SelectObject(m_hdc, m_old);
    }

private:
    HDC m_hdc;
    HGDIOBJ m_old;
};

// A counted reference to a COM interface.
template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes a reference the caller already holds.
    static ComPtr Attach(T* p) noexcept
    {
        ComPtr c;
        c.m_p = p;
        return c;
    }
    explicit ComPtr(T* p) noexcept : m_p(p)
    {
        if (m_p) m_p->AddRef();
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }
    void reset() noexcept
    {
        if (T* p = std::exchange(m_p, nullptr)) p->Release();
    }
    T* detach() noexcept { return std::exchange(m_p, nullptr); }
    T** put() noexcept
    {
        reset();
        return &m_p;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    template <typename U>
    HRESULT As(ComPtr<U>& out) const noexcept
    {
        if (!m_p) return E_POINTER;
        return m_p->QueryInterface(__uuidof(U), out.put_void());
    }
    template <typename U>
    HRESULT As(REFIID iid, ComPtr<U>& out) const noexcept
    {
        if (!m_p) return E_POINTER;
        return m_p->QueryInterface(iid, out.put_void());
    }

private:
    T* m_p = nullptr;
};

}  // namespace win32
