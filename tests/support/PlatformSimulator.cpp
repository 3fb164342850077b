#include "tests/support/PlatformSimulator.h"

#include <cstdlib>

namespace testsupport {
namespace {

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    }
    return bytes;
}

// The value after "key=" in a record line, up to the next space.
std::string Field(const std::string& line, const std::string& key)
{
    const std::size_t at = line.find(" " + key + "=");
    if (at == std::string::npos) return {};
    const std::size_t begin = at + key.size() + 2;
    return line.substr(begin, line.find(' ', begin) - begin);
}

}  // namespace

std::wstring QuoteArgument(const std::wstring& argument)
{
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled and the quote escaped.
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

PlatformSimulator::PlatformSimulator() : PlatformSimulator(Options{}) {}

PlatformSimulator::PlatformSimulator(const Options& options)
{
    static LONG counter = 0;
    m_title = L"QixelSim_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
              std::to_wstring(::InterlockedIncrement(&counter));
    m_record = m_dir.file(L"platform.txt");
    std::wstring commandLine = L"\"" + BesideTests(L"platform_client_sim.exe") + L"\" \"--record=" + m_record +
                               L"\" \"--title=" + m_title + L"\" --lifetime-ms=" +
                               std::to_wstring(options.lifetimeMs);
    if (options.hang) commandLine += L" --hang";
    if (!options.replyTitle.empty()) {
        commandLine += L" --on-copydata-send=" + std::to_wstring(options.replyMessage) + L" " +
                       QuoteArgument(L"--to-title=" + options.replyTitle);
    }
    if (!options.launch.empty()) commandLine += L" " + QuoteArgument(L"--launch=" + options.launch);
    m_hang = options.hang;
    m_process.reset(StartProcess(commandLine));
    if (!m_process) {
        m_startError = ::GetLastError();
        return;
    }
    if (!WaitForLine("window ", 30000)) return;
    for (const std::string& line : Lines()) {
        if (line.rfind("window ", 0) == 0) {
            m_window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(std::strtoll(line.c_str() + 7, nullptr, 10)));
        }
    }
}

PlatformSimulator::~PlatformSimulator()
{
    if (!m_process) return;
    if (m_window && !m_hang) ::PostMessageW(m_window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(m_process.get(), m_hang ? 0 : 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(m_process.get(), 99);
        ::WaitForSingleObject(m_process.get(), 5000);
    }
}

std::vector<std::string> PlatformSimulator::Lines() const
{
    return SplitLines(ReadFileBytes(m_record));
}

std::vector<CopyDataRecord> PlatformSimulator::CopyData() const
{
    std::vector<CopyDataRecord> records;
    for (const std::string& line : Lines()) {
        if (line.rfind("copydata ", 0) != 0) continue;
        CopyDataRecord record;
        record.dwData = std::strtoull(Field(line, "dwData").c_str(), nullptr, 10);
        record.cbData = std::strtoul(Field(line, "cbData").c_str(), nullptr, 10);
        record.bytes = FromHex(Field(line, "bytes"));
        records.push_back(record);
    }
    return records;
}

std::vector<MessageRecord> PlatformSimulator::Messages() const
{
    std::vector<MessageRecord> records;
    for (const std::string& line : Lines()) {
        if (line.rfind("message ", 0) != 0) continue;
        MessageRecord record;
        record.message = static_cast<unsigned>(std::strtoul(line.c_str() + 8, nullptr, 10));
        record.wParam = std::strtoull(Field(line, "wParam").c_str(), nullptr, 10);
        record.lParam = std::strtoll(Field(line, "lParam").c_str(), nullptr, 10);
        records.push_back(record);
    }
    return records;
}

bool PlatformSimulator::WaitForLine(const std::string& prefix, DWORD timeoutMs) const
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        for (const std::string& line : Lines()) {
            if (line.rfind(prefix, 0) == 0) return true;
        }
        if (::GetTickCount() - start >= timeoutMs) return false;
        ::Sleep(50);
    }
}

DWORD PlatformSimulator::LaunchedProcessId() const
{
    for (const std::string& line : Lines()) {
        if (line.rfind("launched pid=", 0) == 0) return std::strtoul(line.c_str() + 13, nullptr, 10);
    }
    return 0;
}

}  // namespace testsupport
