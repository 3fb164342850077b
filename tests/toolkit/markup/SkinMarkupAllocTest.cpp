// Counts the heap allocations of parsing and walking a document (this test
// binary has a counting operator new).
#include "toolkit/markup/SkinMarkup.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestAllocator.h"

namespace {

using namespace SkinUI;

std::string Document(int controls)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window size=\"960,620\" caption=\"0,0,0,340\">\n";
    text += "  <Font name=\"\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91\" size=\"12\" default=\"true\"/>\n";
    text += "  <VerticalLayout name=\"verLayout\" bkcolor=\"#FFFFFFFF\">\n";
    for (int i = 0; i < controls; ++i) {
        text += "    <Button name=\"b" + std::to_string(i) +
                "\" float=\"true\" pos=\"1,2,3,4\" normalimage=\"file='a.png' corner='3,3,3,3'\">&amp;</Button>\n";
    }
    text += "  </VerticalLayout>\n</Window>\n";
    return text;
}

long WalkAll(CSkinMarkupNode node)
{
    long seen = 0;
    while (node.IsValid()) {
        ++seen;
        for (int i = 0; i < node.GetAttributeCount(); ++i) {
            if (node.GetAttributeName(i) == nullptr || node.GetAttributeValue(i) == nullptr) return -1;
        }
        wchar_t buffer[500];
        node.GetAttributeValue(L"name", buffer, 500);
        seen += WalkAll(node.GetFirstChild());
        node = node.GetNextSibling();
    }
    return seen;
}

TEST(SkinMarkupAllocTest, ParsingAllocatesTheTextAndTheTableOnly)
{
    // Up to 499 elements fit the first table: the count does not depend on
    // the number of elements.
    for (int controls : {1, 50, 400, 496}) {
        const std::string text = Document(controls);
        CSkinMarkup markup;
        const long before = testsupport::HeapAllocationCount();
        ASSERT_TRUE(markup.LoadFromMemory(text.data(), text.size()));
        EXPECT_EQ(testsupport::HeapAllocationCount() - before, 2) << controls;
        EXPECT_EQ(markup.ElementCount(), static_cast<std::size_t>(controls + 3));
    }
    // Beyond that only the table's growth steps add to it.
    const std::string text = Document(1300);
    CSkinMarkup markup;
    const long before = testsupport::HeapAllocationCount();
    ASSERT_TRUE(markup.LoadFromMemory(text.data(), text.size()));
    EXPECT_EQ(testsupport::HeapAllocationCount() - before, 4);  // 500 -> 1250 -> 2375 records
}

TEST(SkinMarkupAllocTest, WalkingAllocatesNothing)
{
    const std::string text = Document(300);
    CSkinMarkup markup;
    ASSERT_TRUE(markup.LoadFromMemory(text.data(), text.size()));
    const long before = testsupport::HeapAllocationCount();
    EXPECT_EQ(WalkAll(markup.GetRoot()), 303);
    EXPECT_EQ(testsupport::HeapAllocationCount() - before, 0);
}

}  // namespace
