// The layout files in the package: their elements and attributes exactly as
// the launcher's design gives them, and the windows the builder makes of
// them (sizes, positions, images, fonts, window attributes).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/toolkit/skinwindow/SkinTestWindows.h"
#include "toolkit/builder/SkinBuilder.h"
#include "toolkit/controls/ButtonUI.h"
#include "toolkit/controls/LabelUI.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/package/SkinMarkupFile.h"
#include "toolkit/package/SkinResources.h"

namespace {

using namespace SkinUI;
using skintest::PackedSkinWindow;

using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;

struct ElementRow {
    int depth;
    std::wstring element;
    Attributes attributes;
};

// Any value is accepted (the browser's start page is ours to choose).
constexpr wchar_t kAnyValue[] = L"\x1F";

const std::vector<ElementRow> kGameLoader = {
    {0, L"Window", {{L"size", L"960,620"}, {L"sizebox", L"6,6,6,6"}, {L"caption", L"0,0,0,340"},
                    {L"mininfo", L"960,620"}, {L"maxinfo", L"960,620"}, {L"showshadow", L"true"},
                    {L"shadowimage", L"shadow.png"}, {L"shadowcorner", L"9,9,9,9"}}},
    {1, L"Font", {{L"name", L"微软雅黑"}, {L"size", L"12"}, {L"default", L"true"}}},
    {1, L"Font", {{L"name", L"微软雅黑"}, {L"size", L"12"}, {L"underline", L"true"}}},
    {1, L"Font", {{L"name", L"微软雅黑"}, {L"size", L"14"}}},
    {1, L"Font", {{L"name", L"微软雅黑"}, {L"size", L"14"}}},
    {1, L"Font", {{L"name", L"微软雅黑"}, {L"size", L"18"}}},
    {1, L"Font", {{L"name", L"微软雅黑"}, {L"size", L"24"}}},
    {1, L"Font", {{L"name", L"微软雅黑"}, {L"size", L"28"}}},
    {1, L"VerticalLayout", {{L"name", L"verLayout"}, {L"bkcolor", L"#FFFFFFFF"}}},
    {2, L"TabLayout", {{L"name", L"wizardTab"}}},
    {3, L"VerticalLayout", {}},
    {4, L"IeBrowser", {{L"name", L"ie"}, {L"homepage", kAnyValue}, {L"delaycreate", L"false"}, {L"autonavi", L"true"}}},
    {3, L"VerticalLayout", {{L"name", L"vLayoutDownload"}}},
    {4, L"Button", {{L"name", L"btnMin"}, {L"float", L"true"}, {L"pos", L"902,6,926,30"},
                    {L"normalimage", L"gmin_normal.png"}, {L"hotimage", L"gmin_hover.png"},
                    {L"pushedimage", L"gmin_hover.png"}}},
    {4, L"Button", {{L"name", L"btnClose"}, {L"float", L"true"}, {L"pos", L"928,4,956,34"},
                    {L"normalimage", L"gclose_normal.png"}, {L"hotimage", L"gclose_hover.png"},
                    {L"pushedimage", L"gclose_hover.png"}}},
    {4, L"Progress", {{L"name", L"progress"}, {L"float", L"true"}, {L"pos", L"320,320,0,0"}, {L"height", L"13"},
                      {L"width", L"530"}, {L"bkimage", L"file='gprogress_bk.png' corner='3,3,3,3'"},
                      {L"foreimage", L"file='gprogress_fore.png' corner='3,3,3,3'"}, {L"min", L"0"},
                      {L"max", L"100"}, {L"align", L"center"}, {L"value", L"0"}}},
    {4, L"Label", {{L"name", L"progTip"}, {L"float", L"true"}, {L"textcolor", L"#FFEEE8D9"},
                   {L"pos", L"320,332,0,0"}, {L"height", L"20"}, {L"width", L"530"}, {L"align", L"center"},
                   {L"text", L"正在下载游戏文件，请耐心等待."}}},
};

const std::vector<ElementRow> kCustomMsgBox = {
    {0, L"Window", {{L"size", L"440,260"}, {L"caption", L"0,0,0,260"}, {L"maxinfo", L"440,260"},
                    {L"showshadow", L"true"}, {L"shadowimage", L"shadow.png"}, {L"shadowcorner", L"9,9,9,9"}}},
    {1, L"Font", {{L"name", L"微软雅黑"}, {L"size", L"14"}, {L"default", L"true"}}},
    {1, L"VerticalLayout", {{L"name", L"verLayout"}, {L"bkcolor", L"#FFFFFFFF"}}},
    {2, L"VerticalLayout", {{L"height", L"134"}}},
    {3, L"Label", {{L"name", L"labelTip"}, {L"text", L"提示"}, {L"float", L"true"}, {L"textcolor", L"#444444"},
                   {L"pos", L"14,11,0,0"}, {L"width", L"100"}, {L"height", L"28"}, {L"valign", L"top"}}},
    {3, L"Button", {{L"name", L"btnClose"}, {L"float", L"true"}, {L"pos", L"408,8,0,0"}, {L"width", L"24"},
                    {L"height", L"24"}, {L"normalimage", L"file='btn_close.png'"},
                    {L"hotimage", L"file='btn_close_hover.png'"}, {L"pushedimage", L"file='btn_close_hover.png'"}}},
    {3, L"Label", {{L"name", L"labelIcon"}, {L"float", L"true"}, {L"pos", L"190,50,0,0"}, {L"width", L"60"},
                   {L"height", L"60"}, {L"bkimage", L"icon_warning.png"}}},
    {2, L"HorizontalLayout", {{L"name", L"verOnlyTip"}, {L"height", L"28"}, {L"visible", L"true"}}},
    {3, L"Control", {{L"width", L"10"}}},
    {3, L"Label", {{L"name", L"labelTip"}, {L"text", L""}, {L"textcolor", L"#444444"}, {L"font", L"0"},
                   {L"align", L"center"}}},
    {3, L"Control", {{L"width", L"10"}}},
    {2, L"VerticalLayout", {}},
    {3, L"Button", {{L"name", L"btnOk"}, {L"text", L"确定"}, {L"textcolor", L"#008AFF"}, {L"font", L"0"},
                    {L"float", L"true"}, {L"pos", L"172,46,0,0"}, {L"width", L"96"}, {L"height", L"32"},
                    {L"normalimage", L"file='confirm.png'"}, {L"hotimage", L"file='confirm.png'"},
                    {L"pushedimage", L"file='confirm.png'"}}},
};

void Flatten(CSkinMarkupNode node, int depth, std::vector<ElementRow>& rows)
{
    for (; node.IsValid(); node = node.GetNextSibling()) {
        ElementRow row{depth, node.GetName(), {}};
        for (int i = 0; i < node.GetAttributeCount(); ++i)
            row.attributes.emplace_back(node.GetAttributeName(i), node.GetAttributeValue(i));
        rows.push_back(std::move(row));
        Flatten(node.GetFirstChild(), depth + 1, rows);
    }
}

class SkinLayoutFilesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        skintest::StartToolkit();
        ASSERT_TRUE(OpenSkinSource(SkinSource::ZipResource, L"", L"", L"130"));
    }
};

TEST_F(SkinLayoutFilesTest, FilesHoldExactlyTheDesignedElementsAndAttributes)
{
    const std::pair<const wchar_t*, const std::vector<ElementRow>*> files[] = {
        {L"GameLoader.xml", &kGameLoader}, {L"CustomMsgBox.xml", &kCustomMsgBox}};
    for (const auto& [file, expected] : files) {
        CSkinMarkup markup;
        ASSERT_TRUE(LoadSkinMarkupFile(markup, file)) << file;
        std::vector<ElementRow> rows;
        Flatten(markup.GetRoot(), 0, rows);
        ASSERT_EQ(rows.size(), expected->size()) << file;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const ElementRow& want = (*expected)[i];
            EXPECT_EQ(rows[i].depth, want.depth) << file << " element " << i;
            EXPECT_EQ(rows[i].element, want.element) << file << " element " << i;
            ASSERT_EQ(rows[i].attributes.size(), want.attributes.size()) << file << " element " << i;
            for (std::size_t a = 0; a < want.attributes.size(); ++a) {
                EXPECT_EQ(rows[i].attributes[a].first, want.attributes[a].first) << file << " element " << i;
                if (want.attributes[a].second == kAnyValue)
                    EXPECT_FALSE(rows[i].attributes[a].second.empty());
                else
                    EXPECT_EQ(rows[i].attributes[a].second, want.attributes[a].second)
                        << file << " element " << i << " " << std::string(want.attributes[a].first.begin(),
                                                                          want.attributes[a].first.end());
            }
        }
    }
}

// The launcher window's browser element is the window's own control; here
// a plain control stands in for it.
class LauncherLayoutWindow : public PackedSkinWindow {
public:
    LauncherLayoutWindow() : PackedSkinWindow(L"LauncherLayoutWindow", L"GameLoader.xml") {}
    CControlUI* CreateCustomControl(std::wstring_view name) override
    {
        return name == L"IeBrowser" ? new CControlUI : nullptr;
    }
};

struct RectCase {
    const wchar_t* name;
    RECT rect;
};

void ExpectRects(CWindowManagerUI& manager, const RectCase* cases, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        CControlUI* control = manager.FindByName(cases[i].name);
        ASSERT_NE(control, nullptr) << i;
        const RECT& r = control->Rect();
        const RECT& want = cases[i].rect;
        EXPECT_TRUE(r.left == want.left && r.top == want.top && r.right == want.right && r.bottom == want.bottom)
            << "control " << i << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST_F(SkinLayoutFilesTest, LauncherWindowBuildsAsDesigned)
{
    LauncherLayoutWindow window;
    const HWND hwnd = window.CreateShown(nullptr, 0, 0);
    ASSERT_NE(hwnd, nullptr);
    CWindowManagerUI& manager = window.Manager();

    RECT outer{};
    ::GetWindowRect(hwnd, &outer);
    EXPECT_EQ(outer.right - outer.left, 960);
    EXPECT_EQ(outer.bottom - outer.top, 620);
    const RECT sizeBox = manager.SizeBox();
    const RECT caption = manager.CaptionRect();
    EXPECT_TRUE(sizeBox.left == 6 && sizeBox.top == 6 && sizeBox.right == 6 && sizeBox.bottom == 6);
    EXPECT_TRUE(caption.left == 0 && caption.top == 0 && caption.right == 0 && caption.bottom == 340);
    EXPECT_EQ(manager.MinInfo().cx, 960);
    EXPECT_EQ(manager.MinInfo().cy, 620);
    EXPECT_EQ(manager.MaxInfo().cx, 960);
    EXPECT_EQ(manager.MaxInfo().cy, 620);
    EXPECT_TRUE(manager.Shadow().IsShowEnabled());
    EXPECT_EQ(manager.Shadow().Image(), L"shadow.png");
    EXPECT_EQ(manager.Shadow().Corner().left, 9);
    EXPECT_EQ(manager.Shadow().Corner().bottom, 9);

    // Seven fonts of one face; index 6 is the 28-pixel one, beyond it the default.
    const int sizes[] = {12, 12, 14, 14, 18, 24, 28};
    ASSERT_EQ(manager.FontCount(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(manager.FontInfoAt(i).sFontName, L"微软雅黑") << i;
        EXPECT_EQ(manager.FontInfoAt(i).iSize, sizes[i]) << i;
        EXPECT_EQ(manager.FontInfoAt(i).bUnderline, i == 1) << i;
    }
    EXPECT_EQ(manager.FontAt(7), manager.DefaultFont());
    EXPECT_EQ(manager.FontInfoAt(7).iSize, 12);

    CControlUI* root = manager.Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Name(), L"verLayout");
    EXPECT_EQ(root->BackgroundColour(), 0xFFFFFFFFu);
    auto* tab = static_cast<CTabLayoutUI*>(manager.FindByName(L"wizardTab"));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->CurrentPage(), 0);
    ASSERT_NE(manager.FindByName(L"ie"), nullptr);
    EXPECT_TRUE(manager.FindByName(L"ie")->IsVisible());

    ASSERT_TRUE(tab->SelectPage(1));
    ::UpdateWindow(hwnd);
    const RectCase rects[] = {
        {L"verLayout", {0, 0, 960, 620}},      {L"vLayoutDownload", {0, 0, 960, 620}},
        {L"btnMin", {902, 6, 926, 30}},        {L"btnClose", {928, 4, 956, 34}},
        {L"progress", {320, 320, 850, 333}},   {L"progTip", {320, 332, 850, 352}},
    };
    ExpectRects(manager, rects, std::size(rects));

    const struct {
        const wchar_t* name;
        const wchar_t *normal, *hot, *pushed;
    } buttons[] = {
        {L"btnMin", L"gmin_normal.png", L"gmin_hover.png", L"gmin_hover.png"},
        {L"btnClose", L"gclose_normal.png", L"gclose_hover.png", L"gclose_hover.png"},
    };
    for (const auto& b : buttons) {
        auto* button = static_cast<CButtonUI*>(manager.FindByName(b.name));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->ClassName(), L"ButtonUI");
        EXPECT_EQ(button->NormalImage(), b.normal);
        EXPECT_EQ(button->HotImage(), b.hot);
        EXPECT_EQ(button->PushedImage(), b.pushed);
    }
    auto* progress = static_cast<CProgressUI*>(manager.FindByName(L"progress"));
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->ClassName(), L"ProgressUI");
    EXPECT_EQ(progress->BackgroundImage(), L"file='gprogress_bk.png' corner='3,3,3,3'");
    EXPECT_EQ(progress->ForeImage(), L"file='gprogress_fore.png' corner='3,3,3,3'");
    EXPECT_EQ(progress->MinValue(), 0);
    EXPECT_EQ(progress->MaxValue(), 100);
    EXPECT_EQ(progress->Value(), 0);
    EXPECT_EQ(progress->TextStyle(), static_cast<UINT>(DT_CENTER | DT_SINGLELINE));
    auto* tip = static_cast<CLabelUI*>(manager.FindByName(L"progTip"));
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->Text(), L"正在下载游戏文件，请耐心等待.");
    EXPECT_EQ(tip->TextColour(), 0xFFEEE8D9u);
    EXPECT_NE(tip->TextStyle() & DT_CENTER, 0u);
}

TEST_F(SkinLayoutFilesTest, NoticeBoxBuildsAsDesigned)
{
    PackedSkinWindow box(L"NoticeLayoutWindow", L"CustomMsgBox.xml");
    const HWND hwnd = box.CreateShown(nullptr, 50, 50);
    ASSERT_NE(hwnd, nullptr);
    CWindowManagerUI& manager = box.Manager();

    RECT outer{};
    ::GetWindowRect(hwnd, &outer);
    EXPECT_EQ(outer.right - outer.left, 440);
    EXPECT_EQ(outer.bottom - outer.top, 260);
    const RECT sizeBox = manager.SizeBox();
    EXPECT_TRUE(sizeBox.left == 0 && sizeBox.top == 0 && sizeBox.right == 0 && sizeBox.bottom == 0);
    EXPECT_EQ(manager.CaptionRect().bottom, 260);
    EXPECT_EQ(manager.MinInfo().cx, 0);
    EXPECT_EQ(manager.MaxInfo().cx, 440);
    EXPECT_EQ(manager.MaxInfo().cy, 260);
    EXPECT_TRUE(manager.Shadow().IsShowEnabled());
    EXPECT_EQ(manager.Shadow().Image(), L"shadow.png");
    ASSERT_EQ(manager.FontCount(), 1);
    EXPECT_EQ(manager.FontInfoAt(0).iSize, 14);
    EXPECT_EQ(manager.FontInfoAt(5).sFontName, L"微软雅黑");  // the default font too
    EXPECT_EQ(manager.FontInfoAt(5).iSize, 14);

    // "labelTip" names the message line, not the title.
    auto* message = static_cast<CLabelUI*>(manager.FindByName(L"labelTip"));
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->Parent()->Name(), L"verOnlyTip");
    EXPECT_TRUE(message->Text().IsEmpty());
    EXPECT_EQ(message->TextColour(), 0x00444444u);
    EXPECT_EQ(message->Font(), 0);
    EXPECT_NE(message->TextStyle() & DT_CENTER, 0u);

    const RectCase rects[] = {
        {L"verLayout", {0, 0, 440, 260}}, {L"verOnlyTip", {0, 134, 440, 162}}, {L"labelTip", {10, 134, 430, 162}},
        {L"btnClose", {408, 8, 432, 32}}, {L"labelIcon", {190, 50, 250, 110}}, {L"btnOk", {172, 208, 268, 240}},
    };
    ExpectRects(manager, rects, std::size(rects));

    auto* ok = static_cast<CButtonUI*>(manager.FindByName(L"btnOk"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->Text(), L"确定");
    EXPECT_EQ(ok->TextColour(), 0x00008AFFu);
    EXPECT_EQ(ok->NormalImage(), L"file='confirm.png'");
    auto* close = static_cast<CButtonUI*>(manager.FindByName(L"btnClose"));
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->HotImage(), L"file='btn_close_hover.png'");
    EXPECT_EQ(manager.FindByName(L"labelIcon")->BackgroundImage(), L"icon_warning.png");
}

}  // namespace
