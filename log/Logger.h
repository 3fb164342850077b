// The process-wide diagnostic log: a daily file in the log directory, the
// standard error stream and the debugger output.
#pragma once

#include <windows.h>

#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "log/FunctionName.h"
#include "base/Win32Handles.h"

enum : unsigned {
    LOG_LEVEL_ERROR = 0,
    LOG_LEVEL_INFO = 2,
};

enum : unsigned {
    LOG_SINK_FILE = 0x01,
    LOG_SINK_STDERR = 0x04,
    LOG_SINK_DEBUGGER = 0x10,
};

// What the logger asks the system when it chooses its folder.
class LogFolderProbe {
public:
    virtual ~LogFolderProbe() = default;
    // True when a file can be created in dir (ending with a backslash).
    virtual bool CanCreateFile(const std::wstring& dir) const = 0;
    // The Documents folder of the user at the console, ending with a
    // backslash; empty when there is none.
    virtual std::wstring ConsoleUserDocumentsDir() const = 0;
    // True when D:\ is a directory: the log then runs without a file.
    virtual bool FallbackDriveExists() const = 0;
};

// The answers of the running system. Its probe file has a name of its own
// and is deleted on close: another launcher probing at the same moment, or
// a file of the user's, never makes a folder look unwritable or is touched.
const LogFolderProbe& SystemLogFolderProbe();

class Logger {
public:
    // Sets the process-wide log directory (ending with a backslash). Call
    // before the first Logger::instance(). The wide form keeps a folder
    // name that the ANSI code page cannot represent.
    static void initializePathDir(const std::wstring& dir);
    static void initializePathDir(const std::string& ansiDir);
    static std::wstring pathDir();

    // The single logger, constructed on first use (thread-safe).
    static Logger& instance();

    // Decides the sinks for a log directory: the directory itself when a
    // file can be created there, else the console user's Documents, else no
    // file (only when D:\ exists), else no output at all.
    explicit Logger(std::wstring dir, const LogFolderProbe& probe = SystemLogFolderProbe());
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    void log(unsigned level, const char* sourcePath, int line, const char* function,
             const std::wstring& message);
    void open(const std::wstring& baseName, unsigned sinkMask);

    // From now on this exact value is masked in every line, wherever it
    // stands; the key forms of the token are masked regardless.
    void addLoginToken(const std::wstring& token);

    bool initialised() const { return m_initialised; }
    unsigned sinkMask() const { return m_sinkMask; }
    const std::wstring& fileName() const { return m_fileName; }
    const std::wstring& directory() const { return m_dir; }

private:
    bool m_initialised = false;
    std::wstring m_dir;
    std::wstring m_fileName;
    unsigned m_sinkMask = 0;
    win32::UniqueHandle m_file;  // invalid: the "failed" file stream, output dropped
    std::mutex m_fileLock;        // the window thread and the worker thread both log
    std::mutex m_tokenLock;
    std::vector<std::wstring> m_loginTokens;
    unsigned m_fileMaxLevel = 0;
    unsigned m_stderrMaxLevel = 0;
    unsigned m_debuggerMaxLevel = 0;
};

#if defined(_MSC_VER)
#define VRK_LOG_DECORATED_FUNCTION __FUNCSIG__
#else
#define VRK_LOG_DECORATED_FUNCTION __PRETTY_FUNCTION__
#endif

#if defined(__FILE_NAME__)
#define VRK_LOG_SOURCE_FILE __FILE_NAME__
#else
#define VRK_LOG_SOURCE_FILE __FILE__
#endif

// LOG_W(level, L"label:" << value << ...): composes the message at the call
// site and logs it with the call site's file, line and "Class::Method".
#define LOG_W(level, parts)                                                                      \
    do {                                                                                         \
        std::wostringstream vrkLogStream_;                                                       \
        vrkLogStream_ << parts;                                                                  \
        static constexpr auto vrkLogFunction_ = ::vrklog::MakeFunctionName(VRK_LOG_DECORATED_FUNCTION); \
        Logger::instance().log((level), VRK_LOG_SOURCE_FILE, __LINE__, vrkLogFunction_.c_str(),  \
                               vrkLogStream_.str());                                             \
    } while (0)
