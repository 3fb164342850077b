// The process-wide diagnostic log: a daily file in the log directory, the
// standard error stream and the debugger output.
#pragma once

#include <windows.h>

#include <mutex>
#include <sstream>
#include <string>

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

class Logger {
public:
    // Sets the process-wide log directory (ANSI code page, ending with a
    // backslash). Call before the first Logger::instance().
    static void initializePathDir(const std::string& dir);
    static const std::string& pathDir();

    // The single logger, constructed on first use (thread-safe).
    static Logger& instance();

    // Decides the sinks for a log directory: the directory itself when a
    // probe file can be created there, else the console user's Documents,
    // else no file (only when D:\ exists), else no output at all.
    explicit Logger(std::string dir);
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    void log(unsigned level, const char* sourcePath, int line, const char* function,
             const std::wstring& message);
    void open(const std::string& baseName, unsigned sinkMask);

    bool initialised() const { return m_initialised; }
    unsigned sinkMask() const { return m_sinkMask; }
    const std::string& fileName() const { return m_fileName; }
    const std::string& directory() const { return m_dir; }

private:
    bool m_initialised = false;
    std::string m_dir;
    std::string m_fileName;
    unsigned m_sinkMask = 0;
    win32::UniqueHandle m_file;  // invalid: the "failed" file stream, output dropped
    std::mutex m_fileLock;        // the window thread and the worker thread both log
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
