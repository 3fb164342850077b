// A log line taken apart: "<timestamp> [<file><<line>><function>] : <message>".
#pragma once

#include <regex>
#include <string>
#include <vector>

namespace testsupport {

struct LogEntry {
    std::string file;
    std::string function;
    std::string message;
};

// Lines that are not log lines (the rest of a message that held a line
// feed) are skipped.
inline std::vector<LogEntry> ParseLogEntries(const std::vector<std::string>& lines)
{
    static const std::regex shape(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.[ \d]{2}\d \[([^<]*)<\d+>([^\]]*)\] : (.*))");
    std::vector<LogEntry> entries;
    for (const std::string& line : lines) {
        std::smatch m;
        if (std::regex_match(line, m, shape)) entries.push_back({m[1].str(), m[2].str(), m[3].str()});
    }
    return entries;
}

// "function|message" of every entry, for comparing sequences.
inline std::vector<std::string> FunctionAndMessage(const std::vector<LogEntry>& entries)
{
    std::vector<std::string> out;
    for (const LogEntry& e : entries) out.push_back(e.function + "|" + e.message);
    return out;
}

}  // namespace testsupport
