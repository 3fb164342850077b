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

class InProcessLog {
public:
    InProcessLog() : m_start(ReadFileBytes(File()).size()) {}

    std::string NewText() const
    {
        const std::string all = ReadFileBytes(File());
        return all.size() > m_start ? all.substr(m_start) : std::string();
    }
    std::vector<std::string> NewLines() const { return SplitLines(NewText()); }

    // Today's log file of this process; the first call picks its folder.
    static const std::wstring& File()
    {
        static const std::wstring file = [] {
            static TempDir* dir = new TempDir;  // the logger keeps its file open to the end
            std::string narrow;
            for (wchar_t c : dir->path() + L"\\") narrow += static_cast<char>(c);  // temp paths are ASCII
            Logger::initializePathDir(narrow);
            const std::string name = Logger::instance().fileName();
            return std::wstring(name.begin(), name.end());
        }();
        return file;
    }

private:
    std::size_t m_start = 0;
};

}  // namespace testsupport
