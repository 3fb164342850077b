// Counts the drawing calls this program makes: every gdi32 and user32
// import of the program's own module, and the msimg32 functions it looks up
// (AlphaBlend, GradientFill), are routed through a small counting thunk.
// Under Wine each such call costs about a microsecond or more, so the count
// per paint is a figure of its own. x86_64 only (the thunks are x86_64
// code); elsewhere Install answers false and nothing is counted.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace bench {

class GdiCallCounter {
public:
    struct Count {
        std::string function;
        std::uint64_t calls;
        bool user32;  // a user32 call (FillRect, DrawTextW, but also IntersectRect)
    };

    // Routes the imports through the counters; call before the first drawing
    // (msimg32 is counted only when it is looked up after this).
    static bool Install()
    {
#if defined(__x86_64__) || defined(_M_X64)
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
        auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.VirtualAddress == 0) return false;
        for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
            const char* dll = reinterpret_cast<const char*>(base + d->Name);
            const bool drawing = _stricmp(dll, "gdi32.dll") == 0 || _stricmp(dll, "user32.dll") == 0;
            const bool kernel = _stricmp(dll, "kernel32.dll") == 0;
            if (!drawing && !kernel) continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                const char* name =
                    reinterpret_cast<const char*>(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
                void* replacement = nullptr;
                if (kernel) {
                    if (std::strcmp(name, "GetProcAddress") != 0) continue;
                    State().getProcAddress = reinterpret_cast<GetProcAddressProc>(slots->u1.Function);
                    replacement = reinterpret_cast<void*>(&CountingGetProcAddress);
                } else {
                    replacement = Thunk(name, reinterpret_cast<void*>(slots->u1.Function),
                                        _stricmp(dll, "user32.dll") == 0);
                }
                if (!replacement) return false;
                DWORD old = 0;
                ::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
                slots->u1.Function = reinterpret_cast<ULONGLONG>(replacement);
                ::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            }
        }
        return true;
#else
        return false;
#endif
    }

    static void Reset()
    {
        for (Entry& e : State().entries) e.thunk->calls = 0;
    }

    // Calls since the last Reset: gdi32 and msimg32, or user32.
    static std::uint64_t Total(bool user32)
    {
        std::uint64_t total = 0;
        for (const Entry& e : State().entries)
            if (e.user32 == user32) total += e.thunk->calls;
        return total;
    }

    // The functions called since the last Reset, most called first.
    static std::vector<Count> Counts()
    {
        std::vector<Count> counts;
        for (const Entry& e : State().entries)
            if (e.thunk->calls) counts.push_back({e.function, e.thunk->calls, e.user32});
        std::sort(counts.begin(), counts.end(), [](const Count& a, const Count& b) { return a.calls > b.calls; });
        return counts;
    }

private:
    using GetProcAddressProc = FARPROC(WINAPI*)(HMODULE, LPCSTR);

    // lock inc qword [rip+8]; jmp qword [rip+10]; then the counter and the
    // function it forwards to.
    struct ThunkCode {
        BYTE code[16];
        std::uint64_t calls;
        void* target;
    };
    struct Entry {
        std::string function;
        ThunkCode* thunk;
        bool user32;
    };
    struct Globals {
        std::vector<Entry> entries;
        GetProcAddressProc getProcAddress = nullptr;
        BYTE* page = nullptr;
        std::size_t used = 0;
    };
    static Globals& State()
    {
        static Globals globals;
        return globals;
    }

    static void* Thunk(const char* function, void* target, bool user32)
    {
        Globals& g = State();
        constexpr std::size_t kPage = 64 * 1024;
        if (!g.page || g.used + sizeof(ThunkCode) > kPage) {
            g.page = static_cast<BYTE*>(::VirtualAlloc(nullptr, kPage, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
            g.used = 0;
            if (!g.page) return nullptr;
        }
        auto* t = reinterpret_cast<ThunkCode*>(g.page + g.used);
        g.used += sizeof(ThunkCode);
        static const BYTE code[16] = {0xF0, 0x48, 0xFF, 0x05, 0x08, 0x00, 0x00, 0x00,  // lock inc [rip+8]
                                      0xFF, 0x25, 0x0A, 0x00, 0x00, 0x00,              // jmp [rip+10]
                                      0xCC, 0xCC};
        std::memcpy(t->code, code, sizeof code);
        t->calls = 0;
        t->target = target;
        g.entries.push_back({function, t, user32});
        return t;
    }

    static FARPROC WINAPI CountingGetProcAddress(HMODULE module, LPCSTR name)
    {
        const FARPROC found = State().getProcAddress(module, name);
        wchar_t path[MAX_PATH] = {};
        if (!found || reinterpret_cast<ULONG_PTR>(name) <= 0xFFFF || !::GetModuleFileNameW(module, path, MAX_PATH))
            return found;
        std::wstring file = path;
        file = file.substr(file.find_last_of(L"\\/") + 1);
        for (wchar_t& c : file) c = static_cast<wchar_t>(towlower(c));
        if (file != L"msimg32.dll") return found;
        void* thunk = Thunk(name, reinterpret_cast<void*>(found), false);
        return thunk ? reinterpret_cast<FARPROC>(thunk) : found;
    }
};

}  // namespace bench
