#include "toolkit/core/UiString.h"

#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <string>

namespace SkinUI {
namespace {

wchar_t FoldAscii(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace

CUiString::CUiString() noexcept : m_data(m_inline)
{
    m_inline[0] = L'\0';
}

CUiString::CUiString(const wchar_t* text) : CUiString()
{
    if (text) Assign(text);
}

CUiString::CUiString(std::wstring_view text) : CUiString()
{
    Assign(text);
}

CUiString::CUiString(const CUiString& other) : CUiString()
{
    Assign(other.View());
}

CUiString::CUiString(CUiString&& other) noexcept : CUiString()
{
    TakeFrom(other);
}

CUiString& CUiString::operator=(const CUiString& other)
{
    if (this != &other) Assign(other.View());
    return *this;
}

CUiString& CUiString::operator=(CUiString&& other) noexcept
{
    if (this == &other) return *this;
    if (!IsInline()) delete[] m_data;
    m_data = m_inline;
    m_capacity = kInlineCapacity;
    TakeFrom(other);
    return *this;
}

CUiString& CUiString::operator=(std::wstring_view text)
{
    Assign(text);
    return *this;
}

CUiString& CUiString::operator=(const wchar_t* text)
{
    Assign(text ? std::wstring_view(text) : std::wstring_view());
    return *this;
}

CUiString::~CUiString()
{
    if (!IsInline()) delete[] m_data;
}

// Takes other's text into this string, whose buffer is its own inline one:
// an inline text is copied, a heap buffer changes owner. Other is left empty.
void CUiString::TakeFrom(CUiString& other) noexcept
{
    if (other.IsInline()) {
        std::wmemcpy(m_inline, other.m_inline, other.m_length + 1);
        m_length = other.m_length;
    } else {
        m_data = other.m_data;
        m_length = other.m_length;
        m_capacity = other.m_capacity;
        other.m_data = other.m_inline;
        other.m_capacity = kInlineCapacity;
    }
    other.m_length = 0;
    other.m_inline[0] = L'\0';
}

void CUiString::Empty() noexcept
{
    m_length = 0;
    m_data[0] = L'\0';
}

// Grows the buffer to hold length characters, keeping the current text.
void CUiString::Reserve(std::size_t length)
{
    if (length <= m_capacity) return;
    std::size_t capacity = m_capacity * 2;
    if (capacity < length) capacity = length;
    wchar_t* buffer = new wchar_t[capacity + 1];
    std::wmemcpy(buffer, m_data, m_length + 1);
    if (!IsInline()) delete[] m_data;
    m_data = buffer;
    m_capacity = capacity;
}

void CUiString::Assign(std::wstring_view text)
{
    // The text may be a part of this string: copy it out before the buffer changes.
    if (text.size() > m_capacity) {
        const std::wstring copy(text);
        m_length = 0;
        m_data[0] = L'\0';
        Reserve(copy.size());
        std::wmemcpy(m_data, copy.data(), copy.size());
        m_length = copy.size();
    } else {
        if (!text.empty()) std::wmemmove(m_data, text.data(), text.size());
        m_length = text.size();
    }
    m_data[m_length] = L'\0';
}

void CUiString::Append(std::wstring_view text)
{
    if (text.empty()) return;
    if (m_length + text.size() > m_capacity) {
        const std::wstring copy(text);
        Reserve(m_length + copy.size());
        std::wmemcpy(m_data + m_length, copy.data(), copy.size());
    } else {
        std::wmemmove(m_data + m_length, text.data(), text.size());
    }
    m_length += text.size();
    m_data[m_length] = L'\0';
}

int CUiString::Compare(std::wstring_view text) const noexcept
{
    const int c = View().compare(text);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CUiString::CompareNoCase(std::wstring_view text) const noexcept
{
    const std::size_t n = m_length < text.size() ? m_length : text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const wchar_t a = FoldAscii(m_data[i]);
        const wchar_t b = FoldAscii(text[i]);
        if (a != b) return a < b ? -1 : 1;
    }
    if (m_length == text.size()) return 0;
    return m_length < text.size() ? -1 : 1;
}

std::size_t CUiString::Find(std::wstring_view text, std::size_t start) const noexcept
{
    const std::size_t at = View().find(text, start);
    return at == std::wstring_view::npos ? npos : at;
}

std::size_t CUiString::Find(wchar_t ch, std::size_t start) const noexcept
{
    const std::size_t at = View().find(ch, start);
    return at == std::wstring_view::npos ? npos : at;
}

int CUiString::Replace(std::wstring_view from, std::wstring_view to)
{
    if (from.empty()) return 0;
    std::wstring result;
    int count = 0;
    std::size_t at = 0;
    const std::wstring_view text = View();
    for (;;) {
        const std::size_t hit = text.find(from, at);
        if (hit == std::wstring_view::npos) break;
        result.append(text.substr(at, hit - at));
        result.append(to);
        at = hit + from.size();
        ++count;
    }
    if (count == 0) return 0;
    result.append(text.substr(at));
    Assign(result);
    return count;
}

CUiString CUiString::Mid(std::size_t start, std::size_t count) const
{
    if (start >= m_length) return CUiString();
    return CUiString(View().substr(start, count));
}

CUiString CUiString::Format(const wchar_t* format, ...)
{
    CUiString result;
    if (!format) return result;
    std::wstring buffer(128, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        va_list args;
        va_start(args, format);
        const int n = std::vswprintf(&buffer[0], buffer.size(), format, args);
        va_end(args);
        if (n >= 0 && static_cast<std::size_t>(n) < buffer.size()) {
            result.Assign(std::wstring_view(buffer.data(), static_cast<std::size_t>(n)));
            return result;
        }
        // vswprintf reports truncation only as a failure: try a larger buffer.
        buffer.assign(buffer.size() * 4, L'\0');
    }
    return result;
}

}  // namespace SkinUI
