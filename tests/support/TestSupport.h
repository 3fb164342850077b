// Shared fixtures of the Windows tests: fresh folders, child processes and
// files read back as bytes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A fresh, empty folder under the temp folder, removed with its content.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& path() const { return m_path; }
    std::wstring file(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

void RemoveTree(const std::wstring& path);

// Runs this thread's messages (a posted WM_QUIT is dropped) until the
// condition holds; false at the timeout (always, for an empty condition).
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Runs the messages this thread has now, without waiting for more.
void DrainMessages();

// The folder of the running test binary (the build folder: vrk_main.exe and
// the tools sit beside it).
std::wstring ModuleDir();
std::wstring BesideTests(const std::wstring& fileName);

struct ProcessResult {
    bool started = false;
    bool finished = false;  // false: still running at the timeout and killed
    DWORD exitCode = 0;
};

// Starts commandLine (first token the program) and waits up to timeoutMs.
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 30000);

// Starts a process and returns its handle without waiting.
HANDLE StartProcess(const std::wstring& commandLine);

bool FileExists(const std::wstring& path);
// The names in a folder, without "." and "..".
std::vector<std::wstring> FolderEntries(const std::wstring& dir);
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::vector<std::string> SplitLines(const std::string& text);  // on "\r\n" or "\n"

// The launcher's data folder (%LOCALAPPDATA%\Qixel) and today's log file.
std::wstring LauncherDataDir();
std::wstring TodaysLauncherLog();

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

}  // namespace testsupport
