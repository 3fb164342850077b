// Markup of any bytes: the load succeeds or fails cleanly, and whatever
// loaded can be walked and read without leaving the document.
#include <cstddef>
#include <cstdint>
#include <cwchar>

#include "toolkit/markup/SkinMarkup.h"

namespace {

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

void Visit(SkinUI::CSkinMarkupNode root)
{
    // Iterative: a fuzzed document may nest deeply.
    SkinUI::CSkinMarkupNode node = root;
    while (node.IsValid()) {
        Check(node.GetName() != nullptr && node.GetValue() != nullptr);
        const int count = node.GetAttributeCount();
        Check(count >= 0 && count <= SkinUI::CSkinMarkupNode::kMaxAttributes);
        for (int i = 0; i < count; ++i) {
            const wchar_t* name = node.GetAttributeName(i);
            const wchar_t* value = node.GetAttributeValue(i);
            Check(name != nullptr && value != nullptr && *name != L'\0');
            wchar_t buffer[500];
            Check(node.GetAttributeValue(name, buffer, 500));
            Check(std::wcslen(buffer) <= SkinUI::CSkinMarkupNode::kMaxValueLength);
        }
        SkinUI::CSkinMarkupNode next = node.GetFirstChild();
        if (next.IsValid()) {
            Check(next.GetParent().GetName() == node.GetName());
            node = next;
            continue;
        }
        while (node.IsValid() && !node.GetNextSibling().IsValid()) node = node.GetParent();
        if (node.IsValid()) node = node.GetNextSibling();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte picks the white-space mode.
    const bool preserve = size == 0 || (data[0] & 1) == 0;
    SkinUI::CSkinMarkup markup(preserve);
    if (markup.LoadFromMemory(data, size)) {
        Visit(markup.GetRoot());
    } else {
        Check(!markup.GetRoot().IsValid());
        Check(*markup.GetLastErrorMessage() != L'\0');
        Check(std::wcslen(markup.GetLastErrorLocation()) <= SkinUI::CSkinMarkup::kMaxErrorLocation);
    }
    return 0;
}
