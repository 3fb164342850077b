#include "log/LogMask.h"

#include <algorithm>

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

wchar_t LowerAscii(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// The position after the next --token= key at or after from, in any letter
// case, or npos.
std::size_t FindArgumentKey(const std::wstring& text, std::size_t from)
{
    static const std::wstring key = L"--token=";
    const auto found = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), key.begin(), key.end(),
                                   [](wchar_t a, wchar_t b) { return LowerAscii(a) == b; });
    if (found == text.end()) return std::wstring::npos;
    return static_cast<std::size_t>(found - text.begin()) + key.size();
}

// --token=value inside a longer text: the value runs to the next white
// space (a quote may belong to the value).
void MaskArgumentForm(std::wstring& text)
{
    std::size_t begin = 0;
    while ((begin = FindArgumentKey(text, begin)) != std::wstring::npos) {
        std::size_t end = begin;
        while (end < text.size() && !IsSpace(text[end])) ++end;
        begin = MaskRange(text, begin, end);
    }
}

void MaskKnownValue(std::wstring& text, const std::wstring& value)
{
    std::size_t at = 0;
    while ((at = text.find(value, at)) != std::wstring::npos) at = MaskRange(text, at, at + value.size());
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
            // A bare value may hold spaces: it runs to the member's end.
            std::size_t end = after;
            while (end < text.size() && text[end] != L',' && text[end] != L'}' && text[end] != L'\r' &&
                   text[end] != L'\n')
                ++end;
            while (end > after && IsSpace(text[end - 1])) --end;
            at = MaskRange(text, after, end);
        }
    }
}

}  // namespace

std::wstring JsonEscaped(const std::wstring& value)
{
    static const wchar_t hex[] = L"0123456789abcdef";
    std::wstring out;
    for (const wchar_t c : value) {
        switch (c) {
        case L'"': out += L"\\\""; break;
        case L'\\': out += L"\\\\"; break;
        case L'\b': out += L"\\b"; break;
        case L'\f': out += L"\\f"; break;
        case L'\n': out += L"\\n"; break;
        case L'\r': out += L"\\r"; break;
        case L'\t': out += L"\\t"; break;
        default:
            if (c < 0x20) {
                out += L"\\u00";
                out += hex[(c >> 4) & 0xF];
                out += hex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::wstring MaskTokenArgument(std::wstring argument)
{
    const std::size_t begin = FindArgumentKey(argument, 0);
    if (begin != std::wstring::npos) MaskRange(argument, begin, argument.size());
    return argument;
}

std::wstring MaskLoginToken(std::wstring text, const std::vector<std::wstring>& knownTokens)
{
    // Longest first, so a known value that contains another leaves no rest.
    std::vector<std::wstring> known;
    for (const std::wstring& token : knownTokens) {
        if (token.size() < kMinKnownTokenLength) continue;
        known.push_back(token);
        const std::wstring escaped = JsonEscaped(token);
        if (escaped != token) known.push_back(escaped);
    }
    std::sort(known.begin(), known.end(),
              [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    for (const std::wstring& value : known) MaskKnownValue(text, value);

    if (FindArgumentKey(text, 0) == std::wstring::npos && text.find(L"token") == std::wstring::npos) return text;
    MaskArgumentForm(text);
    MaskQueryForm(text);
    MaskMemberForm(text);
    return text;
}

}  // namespace vrklog
