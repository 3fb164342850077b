#include "log/Logger.h"

#include <psapi.h>
#include <shlobj.h>
#include <wtsapi32.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "log/LogLine.h"
#include "log/LogMask.h"

namespace {

// A function-local static, so a directory set during static initialisation
// (before main) is never overwritten by this file's own initialisation.
std::wstring& LogDirectory()
{
    static std::wstring dir;
    return dir;
}

std::string WideToThreadAnsi(const wchar_t* text, int length)
{
    if (length == 0) return {};
    const int needed = ::WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, &out[0], needed, nullptr, nullptr);
    return out;
}

bool DirectoryExists(std::wstring path)
{
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class SystemProbe final : public LogFolderProbe {
public:
    // A name of this process's own, created new and deleted on close:
    // a second launcher probing at the same moment cannot collide with it,
    // and a file the user keeps in the folder is never opened.
    bool CanCreateFile(const std::wstring& dir) const override
    {
        static LONG serial = 0;
        for (int attempt = 0; attempt < 8; ++attempt) {
            const std::wstring probe = dir + L"debug_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                                       std::to_wstring(::InterlockedIncrement(&serial)) + L".txt";
            win32::UniqueHandle file(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
            if (file) return true;
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
        }
        return false;
    }

    // For a process that runs without a profile of its own.
    std::wstring ConsoleUserDocumentsDir() const override
    {
        const DWORD session = ::WTSGetActiveConsoleSessionId();
        if (session == 0xFFFFFFFF) return {};
        win32::UniqueHandle token;
        if (!::WTSQueryUserToken(session, token.put())) return {};
        PIDLIST_ABSOLUTE items = nullptr;
        if (FAILED(::SHGetFolderLocation(nullptr, CSIDL_PERSONAL, token.get(), 0, &items)) || !items) return {};
        wchar_t path[MAX_PATH] = {};
        const BOOL found = ::SHGetPathFromIDListW(items, path);
        ::ILFree(items);
        if (!found || path[0] == L'\0') return {};
        std::wstring dir(path);
        if (dir.back() != L'\\') dir += L'\\';
        return dir;
    }

    bool FallbackDriveExists() const override { return DirectoryExists(L"D:\\"); }
};

// A byte far past any real log size: locking it serialises the seek and
// the write of other threads and launcher processes.
constexpr DWORD kAppendLockOffset = 0xFFFFFFFF;
// A writer that holds the lock longer (a hung or suspended launcher) must
// not stop this thread: after this long the line is written unlocked.
constexpr DWORD kAppendLockWaitMs = 200;

bool LockForAppend(HANDLE file, OVERLAPPED& range)
{
    const ULONGLONG deadline = ::GetTickCount64() + kAppendLockWaitMs;
    for (;;) {
        if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &range)) return true;
        if (::GetLastError() != ERROR_LOCK_VIOLATION || ::GetTickCount64() >= deadline) return false;
        ::Sleep(1);
    }
}

// Appends one line at the current end of a file that other threads and
// launcher processes append to as well. Appending handles alone do not keep
// concurrent writes apart everywhere (Wine loses lines), hence the lock; it
// is released with the handle if a process dies.
void AppendLine(HANDLE file, const std::string& bytes)
{
    OVERLAPPED range{};
    range.Offset = kAppendLockOffset;
    const bool locked = LockForAppend(file, range);
    LARGE_INTEGER end{};
    ::SetFilePointerEx(file, end, nullptr, FILE_END);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    if (locked) ::UnlockFileEx(file, 0, 1, 0, &range);
}

// Standard error may be a pipe that nobody reads, where a write blocks for
// good once the pipe is full. Lines reach it from a thread of its own
// through a bounded queue; a line that does not fit is dropped, so no
// logging thread ever waits for standard error.
class StandardErrorWriter {
public:
    static StandardErrorWriter& instance()
    {
        // Never destroyed: its thread may still sit in a write at exit.
        static StandardErrorWriter* writer = new StandardErrorWriter;
        return *writer;
    }

    void write(std::string bytes)
    {
        // A GUI process normally has no standard error: no thread for that.
        const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
        if (!err || err == INVALID_HANDLE_VALUE) return;
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_queuedBytes + bytes.size() > kMaxQueuedBytes) return;
        m_queuedBytes += bytes.size();
        m_lines.push_back(std::move(bytes));
        if (!m_started) {
            m_started = true;
            std::thread([this] { run(); }).detach();
        }
        m_ready.notify_one();
    }

private:
    static constexpr std::size_t kMaxQueuedBytes = 256 * 1024;

    void run()
    {
        for (;;) {
            std::string bytes;
            {
                std::unique_lock<std::mutex> hold(m_lock);
                m_ready.wait(hold, [this] { return !m_lines.empty(); });
                bytes = std::move(m_lines.front());
                m_lines.pop_front();
            }
            const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
            if (err && err != INVALID_HANDLE_VALUE) {
                DWORD written = 0;
                ::WriteFile(err, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            }
            std::lock_guard<std::mutex> hold(m_lock);
            m_queuedBytes -= bytes.size();
        }
    }

    std::mutex m_lock;
    std::condition_variable m_ready;
    std::deque<std::string> m_lines;
    std::size_t m_queuedBytes = 0;
    bool m_started = false;
};

}  // namespace

const LogFolderProbe& SystemLogFolderProbe()
{
    static const SystemProbe probe;
    return probe;
}

void Logger::initializePathDir(const std::wstring& dir)
{
    LogDirectory() = dir;
}

void Logger::initializePathDir(const std::string& ansiDir)
{
    std::wstring dir;
    if (!ansiDir.empty()) {
        const int length = static_cast<int>(ansiDir.size());
        const int needed = ::MultiByteToWideChar(CP_ACP, 0, ansiDir.data(), length, nullptr, 0);
        if (needed > 0) {
            dir.resize(static_cast<std::size_t>(needed));
            ::MultiByteToWideChar(CP_ACP, 0, ansiDir.data(), length, &dir[0], needed);
        }
    }
    initializePathDir(dir);
}

std::wstring Logger::pathDir()
{
    return LogDirectory();
}

Logger& Logger::instance()
{
    static Logger logger(LogDirectory());
    return logger;
}

Logger::Logger(std::wstring dir, const LogFolderProbe& probe) : m_dir(std::move(dir))
{
    bool probed = probe.CanCreateFile(m_dir);
    if (!probed) {
        const std::wstring documents = probe.ConsoleUserDocumentsDir();
        if (!documents.empty()) {
            m_dir = documents;
            probed = probe.CanCreateFile(m_dir);
        }
    }
    wchar_t moduleName[MAX_PATH] = {};
    if (::K32GetModuleBaseNameW(::GetCurrentProcess(), nullptr, moduleName, MAX_PATH) == 0) moduleName[0] = L'\0';
    const std::wstring baseName = m_dir + moduleName;
    if (probed) {
        open(baseName, LOG_SINK_FILE | LOG_SINK_STDERR | LOG_SINK_DEBUGGER);
    } else if (probe.FallbackDriveExists()) {
        open(baseName, LOG_SINK_STDERR | LOG_SINK_DEBUGGER);
    }
}

void Logger::open(const std::wstring& baseName, unsigned sinkMask)
{
    m_fileMaxLevel = m_stderrMaxLevel = m_debuggerMaxLevel = LOG_LEVEL_INFO;
    if (m_sinkMask & LOG_SINK_FILE) m_file.reset();
    if (baseName != m_fileName) {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        m_fileName = vrklog::DailyLogFileName(baseName, now.wYear, now.wMonth, now.wDay);
    }
    if ((sinkMask & LOG_SINK_FILE) && !m_file) {
        // Shared for reading and writing: other launcher processes of the
        // same day append to the same file.
        m_file.reset(::CreateFileW(m_fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    m_sinkMask = sinkMask;
    m_initialised = true;
}

void Logger::addLoginToken(const std::wstring& token)
{
    if (token.empty()) return;
    std::lock_guard<std::mutex> hold(m_tokenLock);
    m_loginTokens.push_back(token);
}

void Logger::log(unsigned level, const char* sourcePath, int line, const char* function,
                 const std::wstring& message)
{
    if (!m_initialised) return;
    std::wstring masked;
    {
        std::lock_guard<std::mutex> hold(m_tokenLock);
        masked = vrklog::MaskLoginToken(message, m_loginTokens);
    }
    const std::string narrow = WideToThreadAnsi(masked.data(), static_cast<int>(masked.size()));

    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const vrklog::LogTime time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                               now.wMilliseconds};
    // The line and its line end go out in one write, so lines never
    // interleave inside a line. The file is text output: a line feed in the
    // message is written as CR LF too.
    const std::string text = vrklog::TextModeLine(
        vrklog::FormatLogLine(time, sourcePath ? sourcePath : "", line, function ? function : "", narrow));

    if ((m_sinkMask & LOG_SINK_FILE) && level <= m_fileMaxLevel && m_file) {
        std::lock_guard<std::mutex> hold(m_fileLock);
        AppendLine(m_file.get(), text);  // unbuffered: on disk when log returns
    }
    if ((m_sinkMask & LOG_SINK_STDERR) && level <= m_stderrMaxLevel) {
        StandardErrorWriter::instance().write(text);
    }
    if ((m_sinkMask & LOG_SINK_DEBUGGER) && level <= m_debuggerMaxLevel) {
        ::OutputDebugStringA(text.c_str());
    }
}
