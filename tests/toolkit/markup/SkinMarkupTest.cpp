#include "toolkit/markup/SkinMarkup.h"

#include <gtest/gtest.h>

#include <string>

#include "toolkit/markup/SkinCharStep.h"

namespace {

using namespace SkinUI;

std::wstring Str(const wchar_t* text)
{
    return text == nullptr ? std::wstring(L"(null)") : std::wstring(text);
}

TEST(SkinMarkupTest, ErrorsStopTheLoadWithMessageAndExcerpt)
{
    const std::wstring tail(60, L'z');
    struct Case {
        std::wstring markup;
        const wchar_t* message;
        std::wstring location;
    } cases[] = {
        {L"hello", L"Expected start tag", L"hello"},
        {L"<a/>" + tail, L"Expected start tag", tail.substr(0, 49)},
        {L"<Window", L"Error parsing element name", L""},
        {L"<a b=\"1\"", L"Expected start-tag closing", L""},
        {L"<a/x>", L"Expected start-tag closing", L"/x>"},
        {L"<a b=\"1\" c>", L"Error while parsing attributes", L">"},
        {L"<a b >", L"Error while parsing attributes", L">"},
        {L"<a =\"1\">", L"Error while parsing attributes", L"=\"1\">"},
        {L"<a-b/>", L"Error while parsing attributes", L"-b/>"},
        {L"<a.b/>", L"Error while parsing attributes", L".b/>"},
        {L"<a b=1/>", L"Expected attribute value", L"1/>"},
        {L"<a b='1'/>", L"Expected attribute value", L"'1'/>"},
        {L"<a b=\"1/>", L"Error while parsing attribute string", L""},
        {L"<a><b><c>text", L"Expected end-tag start", L""},
        {L"<a><b><c/>", L"Expected start tag", L""},
        {L"<a><b></c></a>", L"Unmatched closing tag", L"c></a>"},
        {L"<a></ab>", L"Unmatched closing tag", L"b>"},
        {L"<a><b>x</b>y</a>", L"Expected start tag", L"y</a>"},
        // The excerpt is the original text even where the parser already
        // decoded entities and terminated names in place.
        {L"<a v=\"&amp;&lt;\"><b>&gt;&gt;</B></a>", L"Unmatched closing tag", L"B></a>"},
    };
    for (const Case& c : cases) {
        CSkinMarkup markup;
        EXPECT_FALSE(markup.LoadFromString(c.markup.c_str())) << c.markup;
        EXPECT_EQ(Str(markup.GetLastErrorMessage()), c.message) << c.markup;
        EXPECT_EQ(Str(markup.GetLastErrorLocation()), c.location) << c.markup;
        EXPECT_FALSE(markup.GetRoot().IsValid()) << c.markup;
        EXPECT_EQ(markup.ElementCount(), 0u) << c.markup;
    }
}

TEST(SkinMarkupTest, AcceptedDocumentShapes)
{
    struct Case {
        const wchar_t* markup;
        const wchar_t* root;  // null: no element
    } cases[] = {
        {L"", nullptr},
        {L"  \r\n\t", nullptr},
        {L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- only a comment -->\r\n", nullptr},
        {L"<!-- unterminated comment", nullptr},
        {L"<Window>", L"Window"},                       // an unclosed root is accepted
        {L"<Window><Font/>", L"Window"},
        {L"<Window><Label>text", L"Window"},             // so is an unclosed child of the root
        {L"<Window></ Window >", L"Window"},             // white space inside the end tag
        {L"<?xml?><Window/>\n<!-- after -->\n", L"Window"},
        {L"<a/></b>ignored", L"a"},                     // an end tag at the top ends the document
        {L"< Window/>", L"Window"},
    };
    for (const Case& c : cases) {
        CSkinMarkup markup;
        ASSERT_TRUE(markup.LoadFromString(c.markup)) << c.markup << L": " << markup.GetLastErrorMessage();
        const CSkinMarkupNode root = markup.GetRoot();
        if (c.root == nullptr) {
            EXPECT_FALSE(root.IsValid()) << c.markup;
        } else {
            ASSERT_TRUE(root.IsValid()) << c.markup;
            EXPECT_EQ(Str(root.GetName()), c.root) << c.markup;
        }
    }
}

TEST(SkinMarkupTest, TreeLinksNamesAndTexts)
{
    CSkinMarkup markup;
    ASSERT_TRUE(markup.LoadFromString(
        L"<?xml version=\"1.0\"?>\n"
        L"<Window size=\"960,620\">\n"
        L"  <Font name=\"f\" />\n"
        L"  <VerticalLayout><Label>hello</Label><Button/></VerticalLayout>\n"
        L"  <!-- between siblings -->\n"
        L"  <Control>a &amp; b</Control>\n"
        L"</Window>\n"));
    CSkinMarkupNode root = markup.GetRoot();
    EXPECT_EQ(Str(root.GetName()), L"Window");
    EXPECT_FALSE(root.GetParent().IsValid());
    EXPECT_FALSE(root.GetNextSibling().IsValid());

    const CSkinMarkupNode font = root.GetFirstChild();
    const CSkinMarkupNode layout = font.GetNextSibling();
    const CSkinMarkupNode control = layout.GetNextSibling();
    EXPECT_EQ(Str(font.GetName()), L"Font");
    EXPECT_EQ(Str(font.GetValue()), L"");
    EXPECT_EQ(Str(layout.GetName()), L"VerticalLayout");
    EXPECT_EQ(Str(control.GetName()), L"Control");
    EXPECT_EQ(Str(control.GetValue()), L"a & b");
    EXPECT_FALSE(control.GetNextSibling().IsValid());
    EXPECT_EQ(Str(control.GetParent().GetName()), L"Window");

    const CSkinMarkupNode label = layout.GetFirstChild();
    EXPECT_EQ(Str(label.GetName()), L"Label");
    EXPECT_EQ(Str(label.GetValue()), L"hello");
    EXPECT_EQ(Str(label.GetNextSibling().GetName()), L"Button");
    EXPECT_EQ(Str(label.GetParent().GetName()), L"VerticalLayout");
    EXPECT_EQ(Str(layout.GetValue()), L"");
    EXPECT_EQ(markup.ElementCount(), 6u);
}

TEST(SkinMarkupTest, EntityReferences)
{
    CSkinMarkup markup;
    ASSERT_TRUE(markup.LoadFromString(
        L"<a five=\"&amp;&apos;&lt;&gt;&quot;\" kept=\"&#65;&#x41;&nbsp;&AMP;&amp &\" "
        L"mixed=\"x&amp;amp;y\">&lt;b&gt; &amp;&#38;</a>"));
    CSkinMarkupNode a = markup.GetRoot();
    EXPECT_EQ(Str(a.GetAttributeValue(L"five")), L"&'<>\"");
    EXPECT_EQ(Str(a.GetAttributeValue(L"kept")), L"&#65;&#x41;&nbsp;&AMP;&amp &");
    EXPECT_EQ(Str(a.GetAttributeValue(L"mixed")), L"x&amp;y");  // replaced once, not again
    EXPECT_EQ(Str(a.GetValue()), L"<b> &&#38;");
}

TEST(SkinMarkupTest, AttributesInOrderWithQuotesAndLimits)
{
    CSkinMarkup markup;
    ASSERT_TRUE(markup.LoadFromString(
        L"<Progress name=\"progress\" bkimage=\"file='gprogress_bk.png' corner='3,3,3,3'\"\r\n"
        L"\tempty=\"\" spaced = \"  two  words  \" Name=\"upper\"next=\"glued\"/>"));
    CSkinMarkupNode node = markup.GetRoot();
    struct Expected {
        const wchar_t* name;
        const wchar_t* value;
    } expected[] = {
        {L"name", L"progress"},
        {L"bkimage", L"file='gprogress_bk.png' corner='3,3,3,3'"},
        {L"empty", L""},
        {L"spaced", L"  two  words  "},
        {L"Name", L"upper"},
        {L"next", L"glued"},
    };
    ASSERT_EQ(node.GetAttributeCount(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Str(node.GetAttributeName(i)), expected[i].name);
        EXPECT_EQ(Str(node.GetAttributeValue(i)), expected[i].value);
    }
    EXPECT_EQ(node.GetAttributeName(6), nullptr);
    EXPECT_EQ(node.GetAttributeValue(-1), nullptr);
    EXPECT_EQ(Str(node.GetAttributeValue(L"name")), L"progress");  // exact case
    EXPECT_EQ(Str(node.GetAttributeValue(L"Name")), L"upper");
    EXPECT_EQ(node.GetAttributeValue(L"NAME"), nullptr);
    EXPECT_TRUE(node.HasAttribute(L"empty"));
    EXPECT_FALSE(node.HasAttribute(L"missing"));
}

TEST(SkinMarkupTest, OnlyTheFirst64AttributesAreExposed)
{
    std::wstring text = L"<Control";
    for (int i = 0; i < 65; ++i) text += L" a" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
    text += L"/>";
    CSkinMarkup markup;
    ASSERT_TRUE(markup.LoadFromString(text.c_str()));
    CSkinMarkupNode node = markup.GetRoot();
    EXPECT_EQ(node.GetAttributeCount(), 64);
    EXPECT_EQ(Str(node.GetAttributeName(63)), L"a63");
    EXPECT_EQ(Str(node.GetAttributeValue(L"a63")), L"63");
    EXPECT_EQ(node.GetAttributeValue(L"a64"), nullptr);
}

TEST(SkinMarkupTest, ValueByNameIsCutToTheBuffer)
{
    const std::wstring longValue(600, L'v');
    const std::wstring text = L"<a long=\"" + longValue + L"\" short=\"abc\"/>";
    CSkinMarkup markup;
    ASSERT_TRUE(markup.LoadFromString(text.c_str()));
    CSkinMarkupNode node = markup.GetRoot();

    wchar_t buffer[600];
    ASSERT_TRUE(node.GetAttributeValue(L"long", buffer, 600));
    EXPECT_EQ(std::wstring(buffer), longValue.substr(0, 499));
    wchar_t small[3] = {L'x', L'x', L'x'};
    ASSERT_TRUE(node.GetAttributeValue(L"short", small, 3));
    EXPECT_EQ(std::wstring(small), L"ab");
    wchar_t untouched[4] = L"old";
    EXPECT_FALSE(node.GetAttributeValue(L"absent", untouched, 4));
    EXPECT_EQ(std::wstring(untouched), L"old");
    EXPECT_FALSE(node.GetAttributeValue(L"short", untouched, 0));
}

TEST(SkinMarkupTest, WhitespaceIsKeptUnlessAskedOtherwise)
{
    const wchar_t* text = L"<a v=\"x \t y\">  one \r\n two  </a>";
    CSkinMarkup kept;
    ASSERT_TRUE(kept.LoadFromString(text));
    CSkinMarkupNode node = kept.GetRoot();
    EXPECT_EQ(Str(node.GetAttributeValue(L"v")), L"x \t y");
    EXPECT_EQ(Str(node.GetValue()), L"  one \r\n two  ");

    CSkinMarkup collapsed(false);
    ASSERT_TRUE(collapsed.LoadFromString(text));
    node = collapsed.GetRoot();
    EXPECT_EQ(Str(node.GetAttributeValue(L"v")), L"x y");
    EXPECT_EQ(Str(node.GetValue()), L" one two ");  // a space swallows the white space after it
}

TEST(SkinMarkupTest, CombiningSequencesAreSteppedOverWhole)
{
    const wchar_t* text = L"e\u0301\u0302x";
    EXPECT_EQ(SkinNextChar(text), text + 3);
    EXPECT_EQ(SkinNextChar(text + 3), text + 4);
    EXPECT_EQ(SkinNextChar(text + 4), text + 4);  // stays at the end

    // A name may end in a combining mark; marks after a quote or after the
    // start of a tag go with the character before them.
    CSkinMarkup markup;
    ASSERT_TRUE(markup.LoadFromString(
        L"<Cafe\u0301 na\u0308me=\"1\"\u0301 other=\"\u0300x\">\u0301t\u0327</Cafe\u0301>"));
    CSkinMarkupNode node = markup.GetRoot();
    EXPECT_EQ(Str(node.GetName()), L"Cafe\u0301");
    ASSERT_EQ(node.GetAttributeCount(), 2);
    EXPECT_EQ(Str(node.GetAttributeName(0)), L"na\u0308me");
    EXPECT_EQ(Str(node.GetAttributeValue(0)), L"1");
    EXPECT_EQ(Str(node.GetAttributeName(1)), L"other");
    EXPECT_EQ(Str(node.GetAttributeValue(1)), L"x");
    EXPECT_EQ(Str(node.GetValue()), L"t\u0327");

    // Letters of any script are name characters.
    ASSERT_TRUE(markup.LoadFromString(L"<窗口 名字=\"值\"/>"));
    node = markup.GetRoot();
    EXPECT_EQ(Str(node.GetName()), L"窗口");
    EXPECT_EQ(Str(node.GetAttributeValue(L"名字")), L"值");
}

TEST(SkinMarkupTest, Utf8WithOrWithoutByteOrderMark)
{
    struct Case {
        std::string bytes;
        std::wstring value;
    } cases[] = {
        {"<a v=\"\xE6\xAD\xA3\xE5\x9C\xA8\"/>", L"正在"},
        {"\xEF\xBB\xBF<a v=\"x\"/>", L"x"},
        {"<a v=\"\xF0\x9F\x98\x80\"/>", L"\U0001F600"},  // a surrogate pair where wchar_t has 16 bits
        {"<a v=\"\xC3\x28\xFF\xE6\xAD\"/>", L"\uFFFD(\uFFFD\uFFFD"},
        {"<a v=\"\xED\xA0\x80\"/>", L"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate is no character
    };
    for (const Case& c : cases) {
        CSkinMarkup markup;
        ASSERT_TRUE(markup.LoadFromMemory(c.bytes.data(), c.bytes.size())) << c.bytes;
        CSkinMarkupNode node = markup.GetRoot();
        EXPECT_EQ(Str(node.GetAttributeValue(L"v")), c.value) << c.bytes;
    }
    CSkinMarkup markup;
    EXPECT_TRUE(markup.LoadFromMemory("\xEF\xBB\xBF", 3));
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_FALSE(markup.LoadFromMemory("\xEF\xBB", 2));  // no mark below three bytes: text
    EXPECT_EQ(Str(markup.GetLastErrorMessage()), L"Expected start tag");
}

TEST(SkinMarkupTest, AFailedLoadDropsTheEarlierDocument)
{
    CSkinMarkup markup;
    ASSERT_TRUE(markup.LoadFromString(L"<Window><Label/></Window>"));
    ASSERT_TRUE(markup.GetRoot().IsValid());
    EXPECT_FALSE(markup.LoadFromString(L"<Window><Label></Window>"));
    EXPECT_EQ(Str(markup.GetLastErrorMessage()), L"Unmatched closing tag");
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_EQ(markup.ElementCount(), 0u);
    ASSERT_TRUE(markup.LoadFromString(L"<Other/>"));
    EXPECT_EQ(Str(markup.GetLastErrorMessage()), L"");
    EXPECT_EQ(Str(markup.GetRoot().GetName()), L"Other");
}

TEST(SkinMarkupTest, ElementTableGrowsByHalfPlus500)
{
    struct Case {
        int elements;
        std::size_t capacity;  // records, the dummy record 0 included
    } cases[] = {{499, 500}, {500, 1250}, {1249, 1250}, {1250, 2375}, {3000, 4062}};
    for (const Case& c : cases) {
        std::wstring text = L"<Window>";
        for (int i = 1; i < c.elements; ++i) text += L"<C/>";
        CSkinMarkup markup;
        ASSERT_TRUE(markup.LoadFromString(text.c_str()));
        EXPECT_EQ(markup.ElementCount(), static_cast<std::size_t>(c.elements));
        EXPECT_EQ(markup.ElementCapacity(), c.capacity) << c.elements;
    }
}

TEST(SkinMarkupTest, DeepNestingNeedsNoStack)
{
    const int depth = 200000;
    std::wstring text;
    for (int i = 0; i < depth; ++i) text += L"<a>";
    for (int i = 0; i < depth; ++i) text += L"</a>";
    CSkinMarkup markup;
    ASSERT_TRUE(markup.LoadFromString(text.c_str()));
    int levels = 0;
    for (CSkinMarkupNode node = markup.GetRoot(); node.IsValid(); node = node.GetFirstChild()) ++levels;
    EXPECT_EQ(levels, depth);

    text.resize(text.size() - 4);  // the root stays open: accepted
    EXPECT_TRUE(markup.LoadFromString(text.c_str()));
    text.resize(text.size() - 4);  // the root's child with children is not
    EXPECT_FALSE(markup.LoadFromString(text.c_str()));
    EXPECT_EQ(Str(markup.GetLastErrorMessage()), L"Expected start tag");
}

TEST(SkinMarkupTest, InvalidNodesAnswerNothing)
{
    CSkinMarkupNode node;
    EXPECT_FALSE(node.IsValid());
    EXPECT_EQ(node.GetName(), nullptr);
    EXPECT_EQ(node.GetValue(), nullptr);
    EXPECT_FALSE(node.GetFirstChild().IsValid());
    EXPECT_FALSE(node.GetNextSibling().IsValid());
    EXPECT_EQ(node.GetAttributeCount(), 0);
    EXPECT_EQ(node.GetAttributeValue(L"x"), nullptr);
    wchar_t buffer[8];
    EXPECT_FALSE(node.GetAttributeValue(L"x", buffer, 8));
}

}  // namespace
