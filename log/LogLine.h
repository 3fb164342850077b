// The text of a log line and of the daily log file name.
#pragma once

#include <string>
#include <string_view>

namespace vrklog {

struct LogTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

// "2024-05-06 09:03:07.  7": milliseconds padded with spaces, not zeros.
std::string FormatLogTimestamp(const LogTime& time);

// The part after the last backslash; the whole path when it has none or
// when its only backslash is the first character.
std::string_view SourceFileName(std::string_view path);

// timestamp " [" file "<" line ">" function "] : " message, without line end.
std::string FormatLogLine(const LogTime& time, std::string_view sourcePath, int line,
                          std::string_view function, std::string_view message);

// base "_" year "_" month "_" day ".log", no leading zeros.
std::string DailyLogFileName(std::string_view base, int year, int month, int day);
std::wstring DailyLogFileName(std::wstring_view base, int year, int month, int day);

// The bytes a text-mode stream writes for a line and its line end: every
// line feed, also one inside the message, becomes CR LF.
std::string TextModeLine(std::string_view line);

}  // namespace vrklog
