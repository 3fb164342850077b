#include "log/LogLine.h"

#include <cstdio>

namespace vrklog {

std::string FormatLogTimestamp(const LogTime& t)
{
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, "%d-%02d-%02d %02d:%02d:%02d.%3d", t.year, t.month,
                                t.day, t.hour, t.minute, t.second, t.milliseconds);
    return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string_view SourceFileName(std::string_view path)
{
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos || slash == 0) return path;
    return path.substr(slash + 1);
}

std::string FormatLogLine(const LogTime& time, std::string_view sourcePath, int line,
                          std::string_view function, std::string_view message)
{
    std::string text = FormatLogTimestamp(time);
    text.reserve(text.size() + sourcePath.size() + function.size() + message.size() + 24);
    text += " [";
    text += SourceFileName(sourcePath);
    text += '<';
    text += std::to_string(line);
    text += '>';
    text += function;
    text += "] : ";
    text += message;
    return text;
}

std::string DailyLogFileName(std::string_view base, int year, int month, int day)
{
    std::string name(base);
    name += '_' + std::to_string(year) + '_' + std::to_string(month) + '_' + std::to_string(day) + ".log";
    return name;
}

std::wstring DailyLogFileName(std::wstring_view base, int year, int month, int day)
{
    std::wstring name(base);
    name += L'_' + std::to_wstring(year) + L'_' + std::to_wstring(month) + L'_' + std::to_wstring(day) + L".log";
    return name;
}

std::string TextModeLine(std::string_view line)
{
    std::string bytes;
    bytes.reserve(line.size() + 2);
    for (const char c : line) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    bytes += "\r\n";
    return bytes;
}

}  // namespace vrklog
