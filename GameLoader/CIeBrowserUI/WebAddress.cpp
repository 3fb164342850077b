#include "GameLoader/CIeBrowserUI/WebAddress.h"

namespace {

bool StartsWithNoCase(std::wstring_view text, std::wstring_view lowerPrefix)
{
    if (text.size() < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != lowerPrefix[i]) return false;
    }
    return true;
}

}  // namespace

bool IsWebAddress(std::wstring_view address) noexcept
{
    // The scheme with its "//": "http:evil" names no host and is refused too.
    return StartsWithNoCase(address, L"http://") || StartsWithNoCase(address, L"https://");
}
