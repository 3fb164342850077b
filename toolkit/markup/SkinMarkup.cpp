#include "toolkit/markup/SkinMarkup.h"

#include <cstring>
#include <cwchar>
#include <new>
#include <type_traits>

#include "toolkit/markup/SkinCharStep.h"

namespace SkinUI {
namespace {

using WideUnit = std::make_unsigned_t<wchar_t>;

// White space is every character with code 32 or below, except the end.
bool IsSpace(wchar_t c)
{
    return c != L'\0' && static_cast<WideUnit>(c) <= 32;
}

template <typename Char>
Char* SkipSpace(Char* p)
{
    while (IsSpace(*p)) p = SkinNextChar(p);
    return p;
}

// Compares without reading past a mismatch, so never past the text's NUL.
bool StartsWith(const wchar_t* p, const wchar_t* literal)
{
    for (; *literal != L'\0'; ++p, ++literal) {
        if (*p != *literal) return false;
    }
    return true;
}

// UTF-8 to wide characters (UTF-16 where wchar_t has 16 bits). Each invalid
// or truncated sequence becomes one U+FFFD, as the system converter does.
// Writes at most `length` units and returns how many.
std::size_t DecodeUtf8(const unsigned char* in, std::size_t length, wchar_t* out)
{
    std::size_t n = 0;
    std::size_t i = 0;
    while (i < length) {
        const unsigned char lead = in[i];
        if (lead < 0x80) {
            out[n++] = static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        std::size_t need = 0;
        std::uint32_t code = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2;
            code = lead & 0x0Fu;
            if (lead == 0xE0) low = 0xA0;   // overlong
            if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3;
            code = lead & 0x07u;
            if (lead == 0xF0) low = 0x90;   // overlong
            if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
        } else {
            out[n++] = static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        std::size_t k = 1;
        for (; k <= need && i + k < length; ++k) {
            const unsigned char c = in[i + k];
            if (c < low || c > high) break;
            low = 0x80;
            high = 0xBF;
            code = (code << 6) | (c & 0x3Fu);
        }
        if (k <= need) {  // truncated or broken: replace the valid prefix
            out[n++] = static_cast<wchar_t>(0xFFFD);
            i += k;
            continue;
        }
        i += k;
        if (code >= 0x10000 && sizeof(wchar_t) == 2) {
            code -= 0x10000;
            out[n++] = static_cast<wchar_t>(0xD800 + (code >> 10));
            out[n++] = static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            out[n++] = static_cast<wchar_t>(code);
        }
    }
    return n;
}

// Positions are stored in 32 bits.
constexpr std::size_t kMaxTextLength = 0x7FFFFFF0;

}  // namespace

// The grammar, step by step, over the document's own buffer. It keeps its
// place in the element table instead of the call stack, so any depth of
// nesting costs no stack. Everything it writes (terminators, decoded texts)
// lies behind the read position, so an error excerpt shows the original text.
class CSkinMarkup::Parser {
public:
    explicit Parser(CSkinMarkup& markup) : m_markup(markup), m_base(markup.m_text.data()) {}

    bool Run()
    {
        std::vector<Element>& elements = m_markup.m_elements;
        std::uint32_t parent = 0;
        std::uint32_t previous = 0;
        wchar_t* p = m_base;
        for (;;) {
            // White space is skipped before the end test: a document may end
            // in a line break after a declaration or a comment.
            p = SkipSpace(p);
            if (*p == L'\0') {
                if (parent <= 1) return true;
                return Fail(L"Expected start tag", p);
            }
            if (*p != L'<') return Fail(L"Expected start tag", p);
            wchar_t* const open = p;
            p = SkinNextChar(p);
            FlushTextEnd(open);

            if (*p == L'/') {
                if (parent == 0) return true;  // an end tag at the top: the document is complete
                p = CloseElement(parent, SkinNextChar(p));
                if (p == nullptr) return false;
                previous = parent;
                parent = elements[parent].parent;
                continue;
            }
            p = SkipSpace(p);
            if (*p == L'!') {
                p = SkipPast(p, L'-', L'>');
                continue;
            }
            if (*p == L'?') {
                p = SkipPast(p, L'?', L'>');
                continue;
            }

            const std::uint32_t element = Append(parent);
            if (previous != 0) {
                elements[previous].next = element;
            } else {
                elements[parent].child = element;
            }
            wchar_t* const name = p;
            while (IsSkinNameChar(*p)) p = SkinNextChar(p);
            if (*p == L'\0') return Fail(L"Error parsing element name", p);
            wchar_t* const nameEnd = p;
            elements[element].name = Position(name);

            p = ParseAttributes(p);
            if (p == nullptr) return false;
            p = SkipSpace(p);
            if (*p == L'/') {
                wchar_t* const slash = p;
                wchar_t* const close = SkinNextChar(slash);
                if (*close != L'>') return Fail(L"Expected start-tag closing", slash);
                p = SkinNextChar(close);
                *nameEnd = L'\0';
                *slash = L'\0';  // the empty text of an empty element
                elements[element].text = Position(slash);
                previous = element;
                continue;
            }
            if (*p != L'>') return Fail(L"Expected start-tag closing", p);
            wchar_t* const close = p;
            p = SkinNextChar(close);
            *nameEnd = L'\0';

            wchar_t* text = close + 1;
            elements[element].text = Position(text);
            p = ParseText(p, L'<', text);
            if (*p == L'\0') {
                *text = L'\0';
                if (elements[element].parent <= 1) return true;  // unclosed at the top levels
                return Fail(L"Expected end-tag start", p);
            }
            // The terminator of the text would overwrite the "<" still to read.
            if (text < p) {
                *text = L'\0';
            } else {
                m_pendingTextEnd = text;
            }
            // Children, or at once the element's own end tag.
            parent = element;
            previous = 0;
        }
    }

private:
    std::uint32_t Position(const wchar_t* p) const { return static_cast<std::uint32_t>(p - m_base); }

    bool Fail(const wchar_t* message, const wchar_t* at)
    {
        m_markup.SetError(message, at);
        return false;
    }

    void FlushTextEnd(wchar_t* consumed)
    {
        if (m_pendingTextEnd == consumed) *consumed = L'\0';
        m_pendingTextEnd = nullptr;
    }

    std::uint32_t Append(std::uint32_t parent)
    {
        std::vector<Element>& elements = m_markup.m_elements;
        if (elements.size() == elements.capacity()) elements.reserve(elements.capacity() * 3 / 2 + 500);
        elements.push_back(Element{0, 0, 0, parent, 0});
        return static_cast<std::uint32_t>(elements.size() - 1);
    }

    // Runs to the next two-character marker and past it, or to the end.
    static wchar_t* SkipPast(wchar_t* p, wchar_t first, wchar_t second)
    {
        while (*p != L'\0' && !(p[0] == first && p[1] == second)) p = SkinNextChar(p);
        if (*p == L'\0') return p;
        return SkinNextChar(SkinNextChar(p));
    }

    // Copies the text from `p` up to `stop` (or the end) to `out`, which
    // trails `p`, replacing the five entity references. Returns the read
    // position; `out` ends just after the copied text.
    wchar_t* ParseText(wchar_t* p, wchar_t stop, wchar_t*& out) const
    {
        static const struct {
            const wchar_t* reference;
            std::size_t length;
            wchar_t character;
        } kEntities[] = {
            {L"&amp;", 5, L'&'}, {L"&apos;", 6, L'\''}, {L"&lt;", 4, L'<'}, {L"&gt;", 4, L'>'}, {L"&quot;", 6, L'"'},
        };
        while (*p != L'\0' && *p != stop) {
            if (*p == L'&') {
                bool replaced = false;
                for (const auto& entity : kEntities) {
                    if (StartsWith(p, entity.reference)) {
                        *out++ = entity.character;
                        p += entity.length;
                        replaced = true;
                        break;
                    }
                }
                if (replaced) continue;
            }
            if (*p == L' ' && !m_markup.m_preserveWhitespace) {
                *out++ = L' ';
                p = SkipSpace(SkinNextChar(p));
                continue;
            }
            wchar_t* const next = SkinNextChar(p);
            while (p < next) *out++ = *p++;
        }
        return p;
    }

    // The attributes of a start tag, rewritten so that the node can find
    // them again: each name is terminated where its "=" (or the space before
    // it) stood; each value is decoded to start right after its opening quote
    // and is terminated, the rest of it up to the next character is blanked.
    wchar_t* ParseAttributes(wchar_t* p)
    {
        for (;;) {
            p = SkipSpace(p);
            if (*p == L'\0' || *p == L'>' || *p == L'/') return p;
            wchar_t* const name = p;
            while (IsSkinNameChar(*p)) p = SkinNextChar(p);
            // A nameless attribute is refused too: the node could not find it again.
            if (p == name) {
                Fail(L"Error while parsing attributes", p);
                return nullptr;
            }
            wchar_t* const nameEnd = p;
            p = SkipSpace(p);
            if (*p != L'=') {
                Fail(L"Error while parsing attributes", p);
                return nullptr;
            }
            p = SkinNextChar(p);
            *nameEnd = L'\0';
            p = SkipSpace(p);
            if (*p != L'"') {
                Fail(L"Expected attribute value", p);
                return nullptr;
            }
            wchar_t* value = p + 1;
            p = ParseText(SkinNextChar(p), L'"', value);
            if (*p == L'\0') {
                Fail(L"Error while parsing attribute string", p);
                return nullptr;
            }
            wchar_t* const next = SkinNextChar(p);
            *value = L'\0';
            for (wchar_t* blank = value + 1; blank < next; ++blank) *blank = L' ';
            p = next;
        }
    }

    // After "</": the end tag of `element`. Returns the position after its
    // ">", or null on a mismatch.
    wchar_t* CloseElement(std::uint32_t element, wchar_t* p)
    {
        p = SkipSpace(p);
        const wchar_t* const name = m_base + m_markup.m_elements[element].name;
        const std::size_t length = std::wcslen(name);
        for (std::size_t i = 0; i < length; ++i) {
            if (p[i] != name[i]) {
                Fail(L"Unmatched closing tag", p);
                return nullptr;
            }
        }
        p = SkipSpace(p + length);
        if (*p != L'>') {
            Fail(L"Unmatched closing tag", p);
            return nullptr;
        }
        return SkinNextChar(p);
    }

    CSkinMarkup& m_markup;
    wchar_t* const m_base;
    wchar_t* m_pendingTextEnd = nullptr;
};

CSkinMarkup::CSkinMarkup(bool preserveWhitespace) : m_preserveWhitespace(preserveWhitespace) {}

void CSkinMarkup::Release()
{
    std::vector<wchar_t>().swap(m_text);
    std::vector<Element>().swap(m_elements);
}

void CSkinMarkup::SetError(const wchar_t* message, const wchar_t* location)
{
    std::size_t i = 0;
    for (; i < kMaxErrorMessage && message[i] != L'\0'; ++i) m_errorMessage[i] = message[i];
    m_errorMessage[i] = L'\0';
    i = 0;
    for (; i < kMaxErrorLocation && location[i] != L'\0'; ++i) m_errorLocation[i] = location[i];
    m_errorLocation[i] = L'\0';
}

bool CSkinMarkup::LoadFromMemory(const void* bytes, std::size_t length)
{
    Release();
    SetError(L"", L"");
    const auto* in = static_cast<const unsigned char*>(bytes);
    if (in == nullptr) length = 0;
    if (length > 2 && in[0] == 0xEF && in[1] == 0xBB && in[2] == 0xBF) {
        in += 3;
        length -= 3;
    }
    if (length > kMaxTextLength) {
        SetError(L"File too large", L"");
        return false;
    }
    try {
        m_text.resize(length + 1);  // UTF-8 never gives more wide units than bytes
        const std::size_t units = length == 0 ? 0 : DecodeUtf8(in, length, m_text.data());
        m_text[units] = L'\0';
        m_text.resize(units + 1);
    } catch (const std::bad_alloc&) {
        Release();
        SetError(L"Out of memory", L"");
        return false;
    }
    return Parse();
}

bool CSkinMarkup::LoadFromString(const wchar_t* text)
{
    Release();
    SetError(L"", L"");
    const std::size_t length = text == nullptr ? 0 : std::wcslen(text);
    if (length > kMaxTextLength) {
        SetError(L"File too large", L"");
        return false;
    }
    try {
        m_text.assign(text == nullptr ? L"" : text, (text == nullptr ? L"" : text) + length + 1);
    } catch (const std::bad_alloc&) {
        Release();
        SetError(L"Out of memory", L"");
        return false;
    }
    return Parse();
}

bool CSkinMarkup::Parse()
{
    bool parsed = false;
    try {
        m_elements.reserve(kInitialElements);
        m_elements.push_back(Element{0, 0, 0, 0, 0});  // record 0: "no element"
        parsed = Parser(*this).Run();
    } catch (const std::bad_alloc&) {
        SetError(L"Out of memory", L"");
    }
    if (!parsed) Release();
    return parsed;
}

CSkinMarkupNode CSkinMarkup::GetRoot() const
{
    return IsValid() ? CSkinMarkupNode(this, 1) : CSkinMarkupNode();
}

CSkinMarkupNode CSkinMarkupNode::GetParent() const
{
    if (!IsValid()) return {};
    const std::uint32_t parent = m_markup->m_elements[m_element].parent;
    return parent == 0 ? CSkinMarkupNode() : CSkinMarkupNode(m_markup, parent);
}

CSkinMarkupNode CSkinMarkupNode::GetFirstChild() const
{
    if (!IsValid()) return {};
    const std::uint32_t child = m_markup->m_elements[m_element].child;
    return child == 0 ? CSkinMarkupNode() : CSkinMarkupNode(m_markup, child);
}

CSkinMarkupNode CSkinMarkupNode::GetNextSibling() const
{
    if (!IsValid()) return {};
    const std::uint32_t next = m_markup->m_elements[m_element].next;
    return next == 0 ? CSkinMarkupNode() : CSkinMarkupNode(m_markup, next);
}

const wchar_t* CSkinMarkupNode::GetName() const
{
    if (!IsValid()) return nullptr;
    return m_markup->m_text.data() + m_markup->m_elements[m_element].name;
}

const wchar_t* CSkinMarkupNode::GetValue() const
{
    if (!IsValid()) return nullptr;
    return m_markup->m_text.data() + m_markup->m_elements[m_element].text;
}

// Reads back the layout the parser left between the element name and the
// element's text; every scan is bounded by that region.
void CSkinMarkupNode::MapAttributes()
{
    if (m_mapped) return;
    m_mapped = true;
    m_attributeCount = 0;
    if (!IsValid()) return;
    const wchar_t* const base = m_markup->m_text.data();
    const CSkinMarkup::Element& element = m_markup->m_elements[m_element];
    const wchar_t* const end = base + element.text;
    const wchar_t* p = base + element.name;
    while (p < end && *p != L'\0') ++p;
    if (p >= end) return;
    ++p;  // past the terminator where the name ended; it may carry combining marks
    while (p < end && IsSkinNonSpacingMark(*p)) ++p;
    while (m_attributeCount < kMaxAttributes) {
        while (p < end && IsSpace(*p)) p = SkinNextChar(p);
        if (p >= end || !IsSkinNameChar(*p)) return;
        const wchar_t* const name = p;
        while (p < end && *p != L'\0') ++p;
        while (p < end && *p != L'"') ++p;
        if (p >= end) return;
        const wchar_t* const value = ++p;
        while (p < end && *p != L'\0') ++p;
        if (p >= end) return;
        ++p;
        m_attributes[m_attributeCount][0] = static_cast<std::uint32_t>(name - base);
        m_attributes[m_attributeCount][1] = static_cast<std::uint32_t>(value - base);
        ++m_attributeCount;
    }
}

int CSkinMarkupNode::GetAttributeCount()
{
    MapAttributes();
    return m_attributeCount;
}

const wchar_t* CSkinMarkupNode::GetAttributeName(int index)
{
    MapAttributes();
    if (index < 0 || index >= m_attributeCount) return nullptr;
    return m_markup->m_text.data() + m_attributes[index][0];
}

const wchar_t* CSkinMarkupNode::GetAttributeValue(int index)
{
    MapAttributes();
    if (index < 0 || index >= m_attributeCount) return nullptr;
    return m_markup->m_text.data() + m_attributes[index][1];
}

const wchar_t* CSkinMarkupNode::GetAttributeValue(const wchar_t* name)
{
    MapAttributes();
    if (name == nullptr) return nullptr;
    const wchar_t* const base = m_markup == nullptr ? nullptr : m_markup->m_text.data();
    for (int i = 0; i < m_attributeCount; ++i) {
        if (std::wcscmp(base + m_attributes[i][0], name) == 0) return base + m_attributes[i][1];
    }
    return nullptr;
}

bool CSkinMarkupNode::GetAttributeValue(const wchar_t* name, wchar_t* buffer, std::size_t capacity)
{
    const wchar_t* const value = GetAttributeValue(name);
    if (value == nullptr || buffer == nullptr || capacity == 0) return false;
    const std::size_t limit = capacity - 1 < kMaxValueLength ? capacity - 1 : kMaxValueLength;
    std::size_t i = 0;
    for (; i < limit && value[i] != L'\0'; ++i) buffer[i] = value[i];
    buffer[i] = L'\0';
    return true;
}

bool CSkinMarkupNode::HasAttribute(const wchar_t* name)
{
    return GetAttributeValue(name) != nullptr;
}

}  // namespace SkinUI
