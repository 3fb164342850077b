#include "log/Logger.h"

#include <psapi.h>
#include <shlobj.h>
#include <wtsapi32.h>

#include <mutex>
#include <string_view>

#include "log/LogLine.h"
#include "log/LogMask.h"

namespace {

std::string g_logDir;

std::string WideToThreadAnsi(const wchar_t* text, int length)
{
    if (length == 0) return {};
    const int needed = ::WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, &out[0], needed, nullptr, nullptr);
    return out;
}

bool CreateProbe(const std::string& dir)
{
    const std::string probe = dir + "debug.txt";
    win32::UniqueHandle file(::CreateFileA(probe.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                            nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file) return false;
    file.reset();
    ::DeleteFileA(probe.c_str());
    return true;
}

// The Documents folder of the user at the console, for a process that runs
// without a profile of its own.
std::string ConsoleUserDocumentsDir()
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
    if (!found) return {};
    std::string dir = WideToThreadAnsi(path, static_cast<int>(wcslen(path)));
    return dir.empty() ? dir : dir + "\\";
}

bool DirectoryExists(std::wstring path)
{
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteAll(HANDLE handle, const std::string& bytes)
{
    DWORD written = 0;
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// Appends one line at the current end of a file that other threads and
// launcher processes append to as well. Appending handles alone do not keep
// concurrent writes apart everywhere (Wine loses lines), so a byte lock far
// past any real log size serialises the seek and the write across
// processes; it is released with the handle if a process dies.
void AppendLine(HANDLE file, const std::string& bytes)
{
    OVERLAPPED lockRange{};
    lockRange.Offset = 0xFFFFFFFF;
    const bool locked = ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lockRange) != FALSE;
    LARGE_INTEGER end{};
    ::SetFilePointerEx(file, end, nullptr, FILE_END);
    WriteAll(file, bytes);
    if (locked) ::UnlockFileEx(file, 0, 1, 0, &lockRange);
}

}  // namespace

void Logger::initializePathDir(const std::string& dir)
{
    g_logDir = dir;
}

const std::string& Logger::pathDir()
{
    return g_logDir;
}

Logger& Logger::instance()
{
    static Logger logger(g_logDir);
    return logger;
}

Logger::Logger(std::string dir) : m_dir(std::move(dir))
{
    bool probed = CreateProbe(m_dir);
    if (!probed) {
        const std::string documents = ConsoleUserDocumentsDir();
        if (!documents.empty()) {
            m_dir = documents;
            probed = CreateProbe(m_dir);
        }
    }
    char moduleName[MAX_PATH] = {};
    if (::K32GetModuleBaseNameA(::GetCurrentProcess(), nullptr, moduleName, MAX_PATH) == 0) moduleName[0] = '\0';
    const std::string baseName = m_dir + moduleName;
    if (probed) {
        open(baseName, LOG_SINK_FILE | LOG_SINK_STDERR | LOG_SINK_DEBUGGER);
    } else if (DirectoryExists(L"D:\\")) {
        open(baseName, LOG_SINK_STDERR | LOG_SINK_DEBUGGER);
    }
}

void Logger::open(const std::string& baseName, unsigned sinkMask)
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
        m_file.reset(::CreateFileA(m_fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    m_sinkMask = sinkMask;
    m_initialised = true;
}

void Logger::log(unsigned level, const char* sourcePath, int line, const char* function,
                 const std::wstring& message)
{
    if (!m_initialised) return;
    const std::wstring masked = vrklog::MaskLoginToken(message);
    const std::string narrow = WideToThreadAnsi(masked.data(), static_cast<int>(masked.size()));

    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const vrklog::LogTime time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                               now.wMilliseconds};
    // The line and its line end go out in one write, so lines never
    // interleave inside a line.
    const std::string text = vrklog::FormatLogLine(time, sourcePath ? sourcePath : "", line,
                                                   function ? function : "", narrow) +
                             "\r\n";

    if ((m_sinkMask & LOG_SINK_FILE) && level <= m_fileMaxLevel && m_file) {
        std::lock_guard<std::mutex> hold(m_fileLock);
        AppendLine(m_file.get(), text);  // unbuffered: on disk when log returns
    }
    if ((m_sinkMask & LOG_SINK_STDERR) && level <= m_stderrMaxLevel) {
        const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
        if (err && err != INVALID_HANDLE_VALUE) WriteAll(err, text);
    }
    if ((m_sinkMask & LOG_SINK_DEBUGGER) && level <= m_debuggerMaxLevel) {
        ::OutputDebugStringA(text.c_str());
    }
}
