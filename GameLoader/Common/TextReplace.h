// In-place text replacement that never searches inserted text again.
#pragma once

#include <string>

inline void ReplaceAll(std::wstring& text, const std::wstring& find, const std::wstring& replacement)
{
    if (find.empty()) return;
    std::size_t at = 0;
    while ((at = text.find(find, at)) != std::wstring::npos) {
        text.replace(at, find.size(), replacement);
        at += replacement.size();
    }
}
