#include "GameLoader/Main/CrashEvidence.h"

#include <windows.h>
#include <dbghelp.h>

#include <cwchar>
#include <exception>
#include <string>

#include "base/ProcedurePointers.h"
#include "base/SystemLibrary.h"
#include "base/Win32Handles.h"
#include "log/Logger.h"

namespace {

// What abort() ends a process with; the record carries the code Windows
// gives an application that ends itself on a fatal error.
constexpr UINT kUncaughtCppExitCode = 3;
constexpr DWORD kUncaughtCppExceptionCode = 0x40000015;  // STATUS_FATAL_APP_EXIT
constexpr DWORD kUnhandledExceptionCode = 0xC0000144;    // STATUS_UNHANDLED_EXCEPTION, for a record without a code

using MiniDumpWriteDumpProc = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                            PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

LONG g_crashing = 0;

// Beside the day's log: its name without ".log", the time and the process.
std::wstring DumpPath()
{
    std::wstring base = Logger::instance().fileName();
    if (base.size() > 4 && base.compare(base.size() - 4, 4, L".log") == 0) {
        base.resize(base.size() - 4);
    } else {
        base = Logger::pathDir() + L"vrk_main.exe";
    }
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    wchar_t suffix[64] = {};
    std::swprintf(suffix, 64, L"_%02u%02u%02u_%lu.dmp", static_cast<unsigned>(now.wHour),
                  static_cast<unsigned>(now.wMinute), static_cast<unsigned>(now.wSecond),
                  static_cast<unsigned long>(::GetCurrentProcessId()));
    return base + suffix;
}

struct DumpJob {
    const wchar_t* path;
    EXCEPTION_POINTERS* exception;
    DWORD threadId;
    DWORD error;
};

// On a thread of its own: the failing thread's stack may be all but used
// up, and a thread cannot take a consistent picture of itself.
DWORD WINAPI WriteDump(void* context) noexcept
{
    auto* job = static_cast<DumpJob*>(context);
    const auto writeDump =
        win32::ExportedFunction<MiniDumpWriteDumpProc>(win32::LoadSystemLibrary(L"dbghelp.dll"), "MiniDumpWriteDump");
    if (!writeDump) {
        job->error = ::GetLastError() ? ::GetLastError() : ERROR_PROC_NOT_FOUND;
        return 0;
    }
    win32::UniqueHandle file(
        ::CreateFileW(job->path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        job->error = ::GetLastError();
        return 0;
    }
    MINIDUMP_EXCEPTION_INFORMATION information{};
    information.ThreadId = job->threadId;
    information.ExceptionPointers = job->exception;
    information.ClientPointers = FALSE;
    // The stacks, the modules and the failing thread's context: enough to
    // read the failure, small enough to write at once.
    const auto type = MiniDumpNormal;
    if (!writeDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file.get(), type,
                   job->exception ? &information : nullptr, nullptr, nullptr)) {
        job->error = ::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT;
        file.reset();
        ::DeleteFileW(job->path);
    }
    return 0;
}

}  // namespace

// Writes the evidence and ends the process; a second failure on the way
// (or on another thread) ends it at once.
[[noreturn]] static void EndWithEvidence(EXCEPTION_POINTERS* exception, DWORD code, UINT exitCode) noexcept
{
    if (::InterlockedExchange(&g_crashing, 1) != 0) {
        ::TerminateProcess(::GetCurrentProcess(), exitCode);
        for (;;) ::Sleep(INFINITE);
    }
    try {
        const std::wstring path = DumpPath();
        DumpJob job{path.c_str(), exception, ::GetCurrentThreadId(), 0};
        win32::UniqueHandle writer(::CreateThread(nullptr, 0, &WriteDump, &job, 0, nullptr));
        if (writer) {
            ::WaitForSingleObject(writer.get(), INFINITE);
        } else {
            WriteDump(&job);
        }
        wchar_t codeText[16] = {};
        std::swprintf(codeText, 16, L"0x%08lX", static_cast<unsigned long>(code));
        if (job.error == 0) {
            LOG_W(LOG_LEVEL_ERROR, L"unhandled exception " << codeText << L", minidump:" << path);
        } else {
            LOG_W(LOG_LEVEL_ERROR, L"unhandled exception " << codeText << L", no minidump:" << path
                                                           << L" error:" << job.error);
        }
    } catch (...) {
        // The exit code still tells the platform.
    }
    ::TerminateProcess(::GetCurrentProcess(), exitCode);
    for (;;) ::Sleep(INFINITE);
}

namespace {

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception) noexcept
{
    DWORD code = exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionCode : 0;
    if (code == 0) code = kUnhandledExceptionCode;
    EndWithEvidence(exception, code, code);
}

// A C++ exception that nothing catches: the dump shows the stack where the
// search for a handler gave up.
void OnTerminate() noexcept
{
    CONTEXT context{};
    ::RtlCaptureContext(&context);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = kUncaughtCppExceptionCode;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
#if defined(_M_X64) || defined(__x86_64__)
    record.ExceptionAddress = reinterpret_cast<void*>(context.Rip);
#elif defined(_M_IX86) || defined(__i386__)
    record.ExceptionAddress = reinterpret_cast<void*>(static_cast<ULONG_PTR>(context.Eip));
#endif
    EXCEPTION_POINTERS pointers{&record, &context};
    EndWithEvidence(&pointers, kUncaughtCppExceptionCode, kUncaughtCppExitCode);
}

}  // namespace

void InstallCrashEvidence()
{
    ::SetUnhandledExceptionFilter(&OnUnhandledException);
    std::set_terminate(&OnTerminate);
}
