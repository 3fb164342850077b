#include "log/LogMask.h"

#include <cwctype>

namespace vrklog {
namespace {

bool IsSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool IsKeyChar(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' ||
           c == L'-';
}

// Replaces [begin, end) by the mask when it is not empty; returns where
// scanning goes on.
std::size_t MaskRange(std::wstring& text, std::size_t begin, std::size_t end)
{
    if (end <= begin) return begin;
    text.replace(begin, end - begin, kMaskedValue);
    return begin + (sizeof kMaskedValue / sizeof(wchar_t)) - 1;
}

// --token=value: the value runs to the next white space or double quote.
void MaskArgumentForm(std::wstring& text)
{
    static const std::wstring key = L"--token=";
    std::size_t at = 0;
    while ((at = text.find(key, at)) != std::wstring::npos) {
        const std::size_t begin = at + key.size();
        std::size_t end = begin;
        while (end < text.size() && !IsSpace(text[end]) && text[end] != L'"') ++end;
        at = MaskRange(text, begin, end);
    }
}

// ?token=value or &token=value: the value runs to the next & or # or space.
void MaskQueryForm(std::wstring& text)
{
    static const std::wstring key = L"token=";
    std::size_t at = 0;
    while ((at = text.find(key, at)) != std::wstring::npos) {
        if (at == 0 || (text[at - 1] != L'?' && text[at - 1] != L'&')) {
            at += key.size();
            continue;
        }
        const std::size_t begin = at + key.size();
        std::size_t end = begin;
        while (end < text.size() && text[end] != L'&' && text[end] != L'#' && !IsSpace(text[end])) ++end;
        at = MaskRange(text, begin, end);
    }
}

// "token": "value" (escapes respected), "token": 123, or {token:value}.
void MaskMemberForm(std::wstring& text)
{
    static const std::wstring key = L"token";
    std::size_t at = 0;
    while ((at = text.find(key, at)) != std::wstring::npos) {
        std::size_t after = at + key.size();
        const bool quoted = at > 0 && text[at - 1] == L'"' && after < text.size() && text[after] == L'"';
        const bool bare = !quoted && (at == 0 || !IsKeyChar(text[at - 1])) &&
                          (after >= text.size() || !IsKeyChar(text[after]));
        if (!quoted && !bare) {
            at = after;
            continue;
        }
        if (quoted) ++after;
        while (after < text.size() && IsSpace(text[after])) ++after;
        if (after >= text.size() || text[after] != L':') {
            at = after;
            continue;
        }
        ++after;
        while (after < text.size() && IsSpace(text[after])) ++after;
        if (after < text.size() && text[after] == L'"') {
            const std::size_t begin = after + 1;
            std::size_t end = begin;
            while (end < text.size() && text[end] != L'"') end += (text[end] == L'\\') ? 2 : 1;
            if (end > text.size()) end = text.size();
            at = MaskRange(text, begin, end);
        } else {
            std::size_t end = after;
            while (end < text.size() && text[end] != L',' && text[end] != L'}' && !IsSpace(text[end])) ++end;
            at = MaskRange(text, after, end);
        }
    }
}

}  // namespace

std::wstring MaskLoginToken(std::wstring text)
{
    if (text.find(L"token") == std::wstring::npos) return text;
    MaskArgumentForm(text);
    MaskQueryForm(text);
    MaskMemberForm(text);
    return text;
}

}  // namespace vrklog
