// The toolkit's wide string: texts of up to 63 characters (names, attribute
// values, notification types) live inside the object; longer ones go to the heap.
#pragma once

#include <cstddef>
#include <string_view>

namespace SkinUI {

class CUiString {
public:
    static constexpr std::size_t kInlineCapacity = 63;
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    CUiString() noexcept;
    CUiString(const wchar_t* text);  // null reads as empty
    CUiString(std::wstring_view text);
    CUiString(const CUiString& other);
    CUiString(CUiString&& other) noexcept;
    CUiString& operator=(const CUiString& other);
    CUiString& operator=(CUiString&& other) noexcept;
    CUiString& operator=(std::wstring_view text);
    CUiString& operator=(const wchar_t* text);
    ~CUiString();

    std::size_t Length() const noexcept { return m_length; }
    bool IsEmpty() const noexcept { return m_length == 0; }
    // Always terminated.
    const wchar_t* Data() const noexcept { return m_data; }
    std::wstring_view View() const noexcept { return {m_data, m_length}; }
    // A character, or 0 past the end.
    wchar_t At(std::size_t index) const noexcept { return index < m_length ? m_data[index] : L'\0'; }
    bool IsInline() const noexcept { return m_data == m_inline; }

    void Empty() noexcept;
    void Assign(std::wstring_view text);
    void Append(std::wstring_view text);
    CUiString& operator+=(std::wstring_view text)
    {
        Append(text);
        return *this;
    }
    CUiString& operator+=(wchar_t ch)
    {
        Append(std::wstring_view(&ch, 1));
        return *this;
    }

    int Compare(std::wstring_view text) const noexcept;
    // ASCII letters compared without regard to case.
    int CompareNoCase(std::wstring_view text) const noexcept;
    std::size_t Find(std::wstring_view text, std::size_t start = 0) const noexcept;
    std::size_t Find(wchar_t ch, std::size_t start = 0) const noexcept;
    bool Contains(std::wstring_view text) const noexcept { return Find(text) != npos; }

    // Replaces every occurrence; returns how many were replaced.
    int Replace(std::wstring_view from, std::wstring_view to);
    CUiString Mid(std::size_t start, std::size_t count = npos) const;

    // printf-style formatting of integers and wide strings ("%d", "%ls").
    static CUiString Format(const wchar_t* format, ...);

    friend bool operator==(const CUiString& a, std::wstring_view b) noexcept { return a.View() == b; }
    friend bool operator!=(const CUiString& a, std::wstring_view b) noexcept { return a.View() != b; }
    friend bool operator==(const CUiString& a, const wchar_t* b) noexcept { return a.View() == std::wstring_view(b ? b : L""); }
    friend bool operator!=(const CUiString& a, const wchar_t* b) noexcept { return !(a == b); }
    friend bool operator==(const CUiString& a, const CUiString& b) noexcept { return a.View() == b.View(); }
    friend bool operator!=(const CUiString& a, const CUiString& b) noexcept { return a.View() != b.View(); }

private:
    void Reserve(std::size_t length);
    void TakeFrom(CUiString& other) noexcept;

    wchar_t* m_data;
    std::size_t m_length = 0;
    std::size_t m_capacity = kInlineCapacity;  // characters, without the terminator
    wchar_t m_inline[kInlineCapacity + 1];
};

}  // namespace SkinUI
