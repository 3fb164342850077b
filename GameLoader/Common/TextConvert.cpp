#include "GameLoader/Common/TextConvert.h"

#include <memory>

namespace {
// Short texts, the common case, convert on the stack.
constexpr int kStackChars = 260;
}  // namespace

std::wstring AnsiToWide(const std::string& text)
{
    if (text.empty()) return {};
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (needed <= 0) return {};
    wchar_t stackBuffer[kStackChars] = {};
    std::unique_ptr<wchar_t[]> heapBuffer;
    wchar_t* buffer = stackBuffer;
    if (needed >= kStackChars) {
        heapBuffer.reset(new wchar_t[static_cast<std::size_t>(needed) + 1]());
        buffer = heapBuffer.get();
    }
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer, needed + 1);
    return std::wstring(buffer);
}

std::string WideToMultiByte(const std::wstring& text, UINT codePage)
{
    if (text.empty()) return {};
    const int needed = ::WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    char stackBuffer[kStackChars] = {};
    std::unique_ptr<char[]> heapBuffer;
    char* buffer = stackBuffer;
    if (needed >= kStackChars) {
        heapBuffer.reset(new char[static_cast<std::size_t>(needed) + 1]());
        buffer = heapBuffer.get();
    }
    ::WideCharToMultiByte(codePage, 0, text.c_str(), -1, buffer, needed + 1, nullptr, nullptr);
    return std::string(buffer);
}
