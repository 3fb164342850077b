// Skin layout markup: an XML subset parsed in place into one wide text
// buffer and one flat table of element records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace SkinUI {

class CSkinMarkup;

// A small value handle on one element. Its attribute map is filled from the
// document's text on first use; walking a document allocates nothing. A node
// is valid while its document keeps the text it was taken from (until the
// next load or Release).
class CSkinMarkupNode {
public:
    static constexpr int kMaxAttributes = 64;
    // Attribute values read by name are cut to this many characters.
    static constexpr std::size_t kMaxValueLength = 499;

    CSkinMarkupNode() = default;

    bool IsValid() const { return m_markup != nullptr && m_element != 0; }
    CSkinMarkupNode GetParent() const;
    CSkinMarkupNode GetFirstChild() const;
    CSkinMarkupNode GetNextSibling() const;

    const wchar_t* GetName() const;
    // The element's text up to its first child or end tag.
    const wchar_t* GetValue() const;

    // The first kMaxAttributes attributes in document order.
    int GetAttributeCount();
    const wchar_t* GetAttributeName(int index);
    const wchar_t* GetAttributeValue(int index);
    // Exact, case-sensitive name; null when absent.
    const wchar_t* GetAttributeValue(const wchar_t* name);
    // Copies at most kMaxValueLength characters (fewer when the buffer is
    // smaller) and terminates them; false when the attribute is absent.
    bool GetAttributeValue(const wchar_t* name, wchar_t* buffer, std::size_t capacity);
    bool HasAttribute(const wchar_t* name);

private:
    friend class CSkinMarkup;
    CSkinMarkupNode(const CSkinMarkup* markup, std::uint32_t element) : m_markup(markup), m_element(element) {}
    void MapAttributes();

    const CSkinMarkup* m_markup = nullptr;
    std::uint32_t m_element = 0;
    bool m_mapped = false;
    int m_attributeCount = 0;
    std::uint32_t m_attributes[kMaxAttributes][2] = {};  // name and value positions
};

class CSkinMarkup {
public:
    static constexpr std::size_t kMaxErrorMessage = 99;
    static constexpr std::size_t kMaxErrorLocation = 49;

    // The toolkit always keeps white space; without the flag a space swallows
    // the white space that follows it in texts and values.
    explicit CSkinMarkup(bool preserveWhitespace = true);
    CSkinMarkup(const CSkinMarkup&) = delete;
    CSkinMarkup& operator=(const CSkinMarkup&) = delete;

    // UTF-8 with an optional byte-order mark. On failure nothing of the
    // document is kept and the last error says why.
    bool LoadFromMemory(const void* bytes, std::size_t length);
    bool LoadFromString(const wchar_t* text);
    // For loaders that fetch the bytes (toolkit/package): a failure before
    // parsing releases the document and becomes the last error.
    void FailLoad(const wchar_t* message, const wchar_t* location = L"")
    {
        Release();
        SetError(message, location);
    }
    void Release();

    bool IsValid() const { return m_elements.size() > 1; }
    // The first element of the document; invalid for a document without one.
    CSkinMarkupNode GetRoot() const;

    const wchar_t* GetLastErrorMessage() const { return m_errorMessage; }
    const wchar_t* GetLastErrorLocation() const { return m_errorLocation; }

    // Positions are character offsets into the text; index 0 means none.
    struct Element {
        std::uint32_t name;
        std::uint32_t child;
        std::uint32_t next;
        std::uint32_t parent;
        std::uint32_t text;
    };
    static constexpr std::size_t kInitialElements = 500;

    // For tests and benchmarks: the element table's record count and room.
    std::size_t ElementCount() const { return m_elements.empty() ? 0 : m_elements.size() - 1; }
    std::size_t ElementCapacity() const { return m_elements.capacity(); }

private:
    friend class CSkinMarkupNode;
    class Parser;

    bool Parse();
    void SetError(const wchar_t* message, const wchar_t* location);

    bool m_preserveWhitespace;
    std::vector<wchar_t> m_text;  // the document, NUL-terminated, rewritten in place
    std::vector<Element> m_elements;
    wchar_t m_errorMessage[kMaxErrorMessage + 1] = {};
    wchar_t m_errorLocation[kMaxErrorLocation + 1] = {};
};

}  // namespace SkinUI
