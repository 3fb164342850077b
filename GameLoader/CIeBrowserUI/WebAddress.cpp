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

bool IsControl(wchar_t c) { return c < 0x20 || c == 0x7F; }

// What ends the host: the path, the query or the fragment.
bool EndsHost(wchar_t c) { return c == L'/' || c == L'?' || c == L'#'; }

// Characters that have no place in a host: they would split or quote the
// shell's command line, or turn the address into a path.
bool BreaksHost(wchar_t c) { return IsControl(c) || c == L' ' || c == L'"' || c == L'\\' || c == L'<' || c == L'>'; }

void AppendEncoded(std::wstring& out, wchar_t c)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    out += L'%';
    out += digits[(c >> 4) & 0xF];
    out += digits[c & 0xF];
}

}  // namespace

std::optional<std::wstring> ShellWebAddress(std::wstring_view address)
{
    // The scheme with its "//": "http:evil" names no host and is refused too.
    std::size_t hostStart = 0;
    if (StartsWithNoCase(address, L"http://"))
        hostStart = 7;
    else if (StartsWithNoCase(address, L"https://"))
        hostStart = 8;
    else
        return std::nullopt;

    std::size_t hostEnd = hostStart;
    while (hostEnd < address.size() && !EndsHost(address[hostEnd])) {
        if (BreaksHost(address[hostEnd])) return std::nullopt;
        ++hostEnd;
    }
    // A host: more than a port or user information.
    const std::wstring_view authority = address.substr(hostStart, hostEnd - hostStart);
    const std::size_t at = authority.rfind(L'@');
    const std::wstring_view host = authority.substr(at == std::wstring_view::npos ? 0 : at + 1);
    if (host.empty() || host.front() == L':') return std::nullopt;

    std::wstring out(address.substr(0, hostEnd));
    out.reserve(address.size());
    for (std::size_t i = hostEnd; i < address.size(); ++i) {
        const wchar_t c = address[i];
        if (IsControl(c) || c == L' ' || c == L'"')
            AppendEncoded(out, c);
        else
            out += c;
    }
    return out;
}
