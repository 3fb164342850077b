// The log lines a test binary's own code writes: the logger of the test
// process writes into a fresh folder, and each capture reads what was
// added after it began. Needs vrk_log in the test binary.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "log/Logger.h"
#include "tests/support/TestSupport.h"

namespace testsupport {

// Set while the binary loads, before any test can log: whichever test
// creates the process logger first, it writes into this folder.
inline const std::wstring kInProcessLogDir = [] {
    static TempDir* dir = new TempDir;  // the logger keeps its file open to the end
    Logger::initializePathDir(dir->path() + L"\\");
    return dir->path() + L"\\";
}();

class InProcessLog {
public:
    InProcessLog() : m_start(ReadFileBytes(File()).size()) {}

    std::string NewText() const
    {
        const std::string all = ReadFileBytes(File());
        return all.size() > m_start ? all.substr(m_start) : std::string();
    }
    std::vector<std::string> NewLines() const { return SplitLines(NewText()); }

    // Today's log file of this process, wherever the logger put it.
    static const std::wstring& File() { return Logger::instance().fileName(); }

private:
    std::size_t m_start = 0;
};

}  // namespace testsupport
