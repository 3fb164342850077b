// The packed skin: both layout files parse from skin.zip, carry the controls
// the launcher finds by name, and every image they name is in the package.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/toolkit/package/SkinFixtures.h"
#include "toolkit/package/SkinArchive.h"
#include "toolkit/markup/SkinMarkup.h"

namespace {

using namespace SkinUI;

struct Walked {
    std::vector<std::wstring> elements;  // "depth:Name" in document order
    std::map<std::wstring, int> names;   // control name -> how often
    std::set<std::wstring> images;       // files named by image attributes
    std::vector<int> fontSizes;
};

// "a.png" or "file='a.png' corner='3,3,3,3'": the file of each layer.
void CollectImages(const std::wstring& value, std::set<std::wstring>& images)
{
    if (value.find(L'\'') == std::wstring::npos) {
        images.insert(value);
        return;
    }
    for (std::size_t at = value.find(L"file='"); at != std::wstring::npos; at = value.find(L"file='", at + 1)) {
        const std::size_t start = at + 6;
        images.insert(value.substr(start, value.find(L'\'', start) - start));
    }
}

void Walk(CSkinMarkupNode node, int depth, Walked& out)
{
    for (; node.IsValid(); node = node.GetNextSibling()) {
        const std::wstring element = node.GetName();
        out.elements.push_back(std::to_wstring(depth) + L":" + element);
        if (element == L"Font") out.fontSizes.push_back(std::stoi(node.GetAttributeValue(L"size")));
        for (int i = 0; i < node.GetAttributeCount(); ++i) {
            const std::wstring name = node.GetAttributeName(i);
            const std::wstring value = node.GetAttributeValue(i);
            if (name == L"name" && element != L"Font") ++out.names[value];
            if (name.size() > 5 && name.compare(name.size() - 5, 5, L"image") == 0) CollectImages(value, out.images);
        }
        Walk(node.GetFirstChild(), depth + 1, out);
    }
}

class SkinLayoutFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_zip = ReadBuildFile("skin.zip");
        ASSERT_FALSE(m_zip.empty());
        m_archive = SkinArchive::OpenMemory(m_zip.data(), m_zip.size());
        ASSERT_TRUE(m_archive);
    }

    Walked Load(const char* file, CSkinMarkup& markup)
    {
        std::vector<unsigned char> bytes;
        EXPECT_TRUE(m_archive->ReadEntry(file, 4194304, bytes)) << file;
        EXPECT_TRUE(markup.LoadFromMemory(bytes.data(), bytes.size())) << markup.GetLastErrorMessage();
        Walked walked;
        CSkinMarkupNode root = markup.GetRoot();
        EXPECT_EQ(std::wstring(root.IsValid() ? root.GetName() : L""), L"Window");
        Walk(root, 0, walked);
        return walked;
    }

    void ExpectPacked(const std::set<std::wstring>& images)
    {
        for (const std::wstring& image : images) {
            const std::string narrow(image.begin(), image.end());
            EXPECT_NE(m_archive->Find(narrow), nullptr) << narrow;
        }
    }

    std::string m_zip;
    std::unique_ptr<SkinArchive> m_archive;
};

TEST_F(SkinLayoutFilesTest, LauncherWindowLayout)
{
    CSkinMarkup markup;
    Walked walked = Load("GameLoader.xml", markup);
    const std::vector<std::wstring> outline = {
        L"0:Window",         L"1:Font",     L"1:Font",   L"1:Font",     L"1:Font",
        L"1:Font",           L"1:Font",     L"1:Font",   L"1:VerticalLayout", L"2:TabLayout",
        L"3:VerticalLayout", L"4:IeBrowser", L"3:VerticalLayout", L"4:Button", L"4:Button",
        L"4:Progress",       L"4:Label",
    };
    EXPECT_EQ(walked.elements, outline);
    EXPECT_EQ(walked.fontSizes, (std::vector<int>{12, 12, 14, 14, 18, 24, 28}));
    for (const wchar_t* name : {L"verLayout", L"wizardTab", L"ie", L"vLayoutDownload", L"btnMin", L"btnClose",
                                L"progress", L"progTip"})
        EXPECT_EQ(walked.names[name], 1) << name;

    CSkinMarkupNode root = markup.GetRoot();
    EXPECT_EQ(std::wstring(root.GetAttributeValue(L"size")), L"960,620");
    EXPECT_EQ(std::wstring(root.GetAttributeValue(L"caption")), L"0,0,0,340");
    EXPECT_EQ(std::wstring(root.GetFirstChild().GetAttributeValue(L"name")), L"微软雅黑");

    walked.images.insert(root.GetAttributeValue(L"shadowimage"));
    for (const wchar_t* background : {L"tov_download_bk.jpg", L"melk_download_bk.jpg", L"pirn_download_bk.jpg"})
        walked.images.insert(background);
    EXPECT_EQ(walked.images.count(L"gprogress_fore.png"), 1u);
    ExpectPacked(walked.images);
}

TEST_F(SkinLayoutFilesTest, NoticeBoxLayout)
{
    CSkinMarkup markup;
    Walked walked = Load("CustomMsgBox.xml", markup);
    const std::vector<std::wstring> outline = {
        L"0:Window", L"1:Font",    L"1:VerticalLayout", L"2:VerticalLayout", L"3:Label", L"3:Button",
        L"3:Label",  L"2:HorizontalLayout", L"3:Control", L"3:Label", L"3:Control", L"2:VerticalLayout",
        L"3:Button",
    };
    EXPECT_EQ(walked.elements, outline);
    EXPECT_EQ(walked.fontSizes, std::vector<int>{14});
    EXPECT_EQ(walked.names[L"labelTip"], 2);  // the title and, later in the tree, the message line
    for (const wchar_t* name : {L"verLayout", L"btnClose", L"labelIcon", L"verOnlyTip", L"btnOk"})
        EXPECT_EQ(walked.names[name], 1) << name;
    walked.images.insert(markup.GetRoot().GetAttributeValue(L"shadowimage"));
    EXPECT_EQ(walked.images.count(L"btn_close_hover.png"), 1u);
    ExpectPacked(walked.images);
}

}  // namespace
