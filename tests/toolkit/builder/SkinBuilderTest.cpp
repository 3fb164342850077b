#include "toolkit/builder/SkinBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/controls/ButtonUI.h"
#include "toolkit/controls/LabelUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"
#include "toolkit/package/SkinResources.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

using namespace SkinUI;

// A control whose destruction the test can see without touching it afterwards.
struct TrackedControl : CControlUI {
    explicit TrackedControl(int* destroyed) : m_destroyed(destroyed) {}
    ~TrackedControl() override { ++*m_destroyed; }
    int* m_destroyed;
};

// A container that takes no children.
struct RefusingLayout : CVerticalLayoutUI {
    bool Add(CControlUI*) override { return false; }
};

struct Callback : IDialogBuilderCallback {
    std::vector<std::wstring> asked;
    int destroyed = 0;
    CControlUI* CreateCustomControl(std::wstring_view name) override
    {
        asked.emplace_back(name);
        if (name == L"Tracked") return new TrackedControl(&destroyed);
        if (name == L"Refusing") return new RefusingLayout;
        return nullptr;
    }
};

IContainerUI* Container(CControlUI* control)
{
    return static_cast<IContainerUI*>(control->InterfaceFor(L"IContainer"));
}

std::unique_ptr<CControlUI> BuildText(const std::wstring& markup, CWindowManagerUI* manager = nullptr,
                                      IDialogBuilderCallback* callback = nullptr)
{
    CSkinBuilder builder;
    return std::unique_ptr<CControlUI>(builder.Build(markup, {}, callback, manager));
}

std::wstring Nested(int depth)
{
    std::wstring markup = L"<Window>";
    for (int i = 0; i < depth; ++i) markup += L"<VerticalLayout>";
    for (int i = 0; i < depth; ++i) markup += L"</VerticalLayout>";
    return markup + L"</Window>";
}

TEST(SkinBuilderTest, NestingDepthIsCapped)
{
    struct Case {
        int depth;
        bool builds;
    };
    const Case cases[] = {
        {CSkinBuilder::kMaxNestingDepth, true},
        {CSkinBuilder::kMaxNestingDepth + 1, false},
        {20000, false},  // would overflow the stack of every tree walk
    };
    for (const Case& c : cases) {
        CWindowManagerUI manager;
        std::unique_ptr<CControlUI> root = BuildText(Nested(c.depth), &manager);
        EXPECT_EQ(root != nullptr, c.builds) << c.depth;
    }
}

TEST(SkinBuilderTest, AnIncludeCycleIsCappedToo)
{
    // A skin file that includes itself: every level of the chain counts
    // toward the depth, so the build ends instead of recursing forever.
    ASSERT_TRUE(OpenSkinSource(SkinSource::File, L"builder_fixture", L"", L""));
    const std::wstring folder = GetSkinResourceFolder();
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::string self = "<Window><VerticalLayout><Include source=\"self.xml\"/></VerticalLayout></Window>";
    const std::string flat = "<Window><Include source=\"flat.xml\"/></Window>";
    const std::string once = "<Window><Label name=\"leaf\"/></Window>";
    for (const auto& [name, text] :
         {std::pair{L"self.xml", self}, std::pair{L"flat.xml", flat}, std::pair{L"once.xml", once}}) {
        FILE* file = _wfopen((folder + name).c_str(), L"wb");
        ASSERT_NE(file, nullptr);
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
    CWindowManagerUI manager;
    EXPECT_EQ(BuildText(L"self.xml", &manager), nullptr);
    EXPECT_EQ(BuildText(L"<Window><VerticalLayout><Include source=\"flat.xml\"/></VerticalLayout></Window>", &manager),
              nullptr);
    std::unique_ptr<CControlUI> root =
        BuildText(L"<Window><VerticalLayout><Include source=\"once.xml\" count=\"2\"/></VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(Container(root.get())->ChildCount(), 2);
    EXPECT_EQ(Container(root.get())->ChildAt(1)->Name(), L"leaf");
}

// Includes multiply: a document that includes itself twice doubles its
// builds at every level, 2^256 at the depth cap (a hang, not a failure).
// The build's budget of elements ends it, with or without controls built.
TEST(SkinBuilderTest, ASelfIncludeThatDoublesEveryLevelEndsAtTheElementBudget)
{
    ASSERT_TRUE(OpenSkinSource(SkinSource::File, L"builder_fixture", L"", L""));
    const std::wstring folder = GetSkinResourceFolder();
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::pair<const wchar_t*, std::string> files[] = {
        {L"twice.xml", "<Window><Control/><Include source=\"twice.xml\" count=\"2\"/></Window>"},
        {L"bare_twice.xml", "<Window><Include source=\"bare_twice.xml\" count=\"2\"/></Window>"},
        {L"leaf.xml", "<Window><Label/></Window>"},
    };
    for (const auto& [name, text] : files) {
        FILE* file = _wfopen((folder + name).c_str(), L"wb");
        ASSERT_NE(file, nullptr);
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
    CWindowManagerUI manager;
    EXPECT_EQ(BuildText(L"twice.xml", &manager), nullptr);
    EXPECT_EQ(BuildText(L"<Window><VerticalLayout><Include source=\"bare_twice.xml\"/></VerticalLayout></Window>"),
              nullptr);

    // The layout, the Include element, and per copy the copy and its label.
    const int most = (CSkinBuilder::kMaxBuiltElements - 2) / 2;
    for (const int count : {most, most + 1}) {
        std::unique_ptr<CControlUI> root = BuildText(L"<Window><HorizontalLayout><Include source=\"leaf.xml\" count=\"" +
                                                     std::to_wstring(count) + L"\"/></HorizontalLayout></Window>");
        if (count == most) {
            ASSERT_NE(root, nullptr);
            EXPECT_EQ(Container(root.get())->ChildCount(), most);
        } else {
            EXPECT_EQ(root, nullptr) << "one element over the budget fails the build";
        }
    }
    // The budget is per build: the same builder builds again from the start.
    CSkinBuilder builder;
    const std::wstring markup = L"<Window><HorizontalLayout><Include source=\"leaf.xml\" count=\"" +
                                std::to_wstring(most) + L"\"/></HorizontalLayout></Window>";
    std::unique_ptr<CControlUI> first(builder.Build(markup, {}, nullptr, nullptr));
    std::unique_ptr<CControlUI> second(builder.Build(nullptr, nullptr));
    EXPECT_NE(first, nullptr);
    EXPECT_NE(second, nullptr);
}

TEST(SkinBuilderTest, IncludeAddsTheIncludedTopLevelControlsCountTimes)
{
    struct Case {
        const wchar_t* include;
        int children;
    };
    const wchar_t* part = L"&lt;Window&gt;&lt;Label name=&quot;a&quot;/&gt;&lt;Button/&gt;&lt;/Window&gt;";
    const Case cases[] = {
        {L"count=\"3\" source=\"%\"", 6},
        {L"source=\"%\"", 2},
        {L"count=\"0\" source=\"%\"", 0},
        {L"count=\"-2\" source=\"%\"", 0},
        {L"count=\"2\"", 0},
        {L"count=\"2\" source=\"&lt;Broken\"", 0},
    };
    for (const Case& c : cases) {
        std::wstring include = c.include;
        const std::size_t at = include.find(L'%');
        if (at != std::wstring::npos) include.replace(at, 1, part);
        CWindowManagerUI manager;
        std::unique_ptr<CControlUI> root =
            BuildText(L"<Window><HorizontalLayout><Include " + include + L"/></HorizontalLayout></Window>", &manager);
        ASSERT_NE(root, nullptr) << c.include;
        ASSERT_EQ(Container(root.get())->ChildCount(), c.children) << c.include;
        for (int i = 0; i < c.children; ++i)
            EXPECT_EQ(Container(root.get())->ChildAt(i)->ClassName(), i % 2 ? L"ButtonUI" : L"LabelUI");
    }
}

TEST(SkinBuilderTest, FirstDefaultListWinsAndElementAttributesOverrideIt)
{
    CWindowManagerUI manager;
    std::unique_ptr<CControlUI> root = BuildText(
        L"<Window>"
        L"<Default name=\"Label\" value=\"text=&quot;first&quot; width=&quot;40&quot;\"/>"
        L"<Default name=\"Label\" value=\"text=&quot;second&quot; width=&quot;50&quot;\"/>"
        L"<VerticalLayout><Label name=\"plain\"/><Label name=\"own\" width=\"70\" text=\"x\" text=\"y\"/></VerticalLayout>"
        L"</Window>",
        &manager);
    ASSERT_NE(root, nullptr);
    CControlUI* plain = Container(root.get())->ChildAt(0);
    CControlUI* own = Container(root.get())->ChildAt(1);
    EXPECT_EQ(plain->Text(), L"first");
    EXPECT_EQ(plain->FixedWidth(), 40);
    EXPECT_EQ(own->Text(), L"y");  // the later of two settings wins
    EXPECT_EQ(own->FixedWidth(), 70);
    // Built controls wait for the manager to attach the tree.
    EXPECT_EQ(plain->Manager(), nullptr);
}

TEST(SkinBuilderTest, UnknownElementsGoToTheCallbackOrAreSkippedWithTheirSubtree)
{
    CWindowManagerUI manager;
    Callback callback;
    std::unique_ptr<CControlUI> root = BuildText(
        L"<Window><VerticalLayout>"
        L"<Mystery><Label name=\"hidden\"/></Mystery>"
        L"<Tracked name=\"custom\"/>"
        L"<button name=\"lower\"/>"
        L"<Label name=\"after\"/>"
        L"</VerticalLayout></Window>",
        &manager, &callback);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(callback.asked, (std::vector<std::wstring>{L"Mystery", L"Tracked", L"button"}));
    ASSERT_EQ(Container(root.get())->ChildCount(), 2);
    EXPECT_EQ(Container(root.get())->ChildAt(0)->Name(), L"custom");
    EXPECT_EQ(Container(root.get())->ChildAt(1)->Name(), L"after");

    // Without a callback the custom element is skipped as well.
    std::unique_ptr<CControlUI> plain = BuildText(L"<Window><VerticalLayout><Tracked/></VerticalLayout></Window>");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(Container(plain.get())->ChildCount(), 0);
}

TEST(SkinBuilderTest, ChildrenExistBeforeTheParentsAttributes)
{
    std::unique_ptr<CControlUI> root = BuildText(
        L"<Window><TabLayout selectedid=\"1\"><VerticalLayout/><VerticalLayout/></TabLayout></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(static_cast<CTabLayoutUI*>(root.get())->CurrentPage(), 1);
}

TEST(SkinBuilderTest, ParentsThatHoldNoChildren)
{
    Callback callback;
    // A control without the container interface fails the whole build.
    EXPECT_EQ(BuildText(L"<Window><Button><Label/></Button></Window>", nullptr, &callback), nullptr);
    // A container that refuses a child: the child is destroyed, the build goes on.
    std::unique_ptr<CControlUI> root =
        BuildText(L"<Window><Refusing><Tracked/><Tracked/></Refusing></Window>", nullptr, &callback);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Container(root.get())->ChildCount(), 0);
    EXPECT_EQ(callback.destroyed, 2);
}

TEST(SkinBuilderTest, OnlyTheFirstTopLevelControlIsTheResult)
{
    Callback callback;
    std::unique_ptr<CControlUI> root =
        BuildText(L"<Window><Label name=\"first\"/><Tracked/></Window>", nullptr, &callback);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Name(), L"first");
    // Without a parent nothing would own the second one.
    EXPECT_EQ(callback.destroyed, 1);
}

TEST(SkinBuilderTest, DocumentsWithoutControlsBuildNothing)
{
    const wchar_t* cases[] = {
        L"",
        L"<?xml version=\"1.0\"?><!-- nothing -->",
        L"<Window><Font name=\"Arial\"/></Window>",
        L"<Window><Label></Window>",  // fails to parse
    };
    for (const wchar_t* markup : cases) EXPECT_EQ(BuildText(markup), nullptr) << markup;
}

TEST(SkinBuilderTest, FontsTakeIndexesOnlyWithAFaceName)
{
    CWindowManagerUI manager;
    std::unique_ptr<CControlUI> root = BuildText(
        L"<Window>"
        L"<Font name=\"Arial\" size=\"14\" default=\"true\"/>"
        L"<Font size=\"30\"/>"
        L"<Font name=\"Arial\" bold=\"true\" underline=\"true\"/>"
        L"<Font name=\"Courier New\" size=\"28\" italic=\"true\"/>"
        L"<Label/></Window>",
        &manager);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(manager.FontCount(), 3);
    struct Case {
        int index;
        const wchar_t* face;
        int size;
        bool bold, underline, italic;
    };
    const Case cases[] = {
        {0, L"Arial", 14, false, false, false},
        {1, L"Arial", 12, true, true, false},
        {2, L"Courier New", 28, false, false, true},
    };
    for (const Case& c : cases) {
        const TFontInfo& font = manager.FontInfoAt(c.index);
        EXPECT_EQ(font.sFontName, c.face) << c.index;
        EXPECT_EQ(font.logFont.lfHeight, -c.size) << c.index;
        EXPECT_EQ(font.bBold, c.bold) << c.index;
        EXPECT_EQ(font.bUnderline, c.underline) << c.index;
        EXPECT_EQ(font.bItalic, c.italic) << c.index;
        EXPECT_EQ(font.logFont.lfQuality, CLEARTYPE_QUALITY) << c.index;
    }
    // "default" also replaced the manager's default font, without ClearType.
    const TFontInfo& fallback = manager.FontInfoAt(7);
    EXPECT_EQ(fallback.sFontName, L"Arial");
    EXPECT_EQ(fallback.logFont.lfHeight, -14);
    EXPECT_NE(fallback.logFont.lfQuality, CLEARTYPE_QUALITY);
}

// A top-level window of its own for the window attributes.
class OwnWindow {
public:
    OwnWindow()
        : m_hwnd(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 10, 10, 50, 40, nullptr, nullptr, nullptr, nullptr))
    {
    }
    ~OwnWindow() { ::DestroyWindow(m_hwnd); }
    HWND get() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

SIZE WindowSize(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return {r.right - r.left, r.bottom - r.top};
}

TEST(SkinBuilderTest, WindowAttributesReachTheManager)
{
    OwnWindow window;
    CWindowManagerUI manager;
    manager.Attach(window.get());
    std::unique_ptr<CControlUI> root = BuildText(
        L"<Window size=\"300,200\" sizebox=\"1,2,3,4\" caption=\"0,0,0,40\" roundcorner=\"5,6\" mininfo=\"100,90\""
        L" maxinfo=\"400,300\" alpha=\"300\" defaultfontcolor=\"#FF102030\" gdiplustext=\"true\" unknown=\"1\""
        L" shadowimage=\"shadow.png\" shadowcorner=\"9,8,7,6\" shadowsize=\"21\" shadowposition=\"3,-4\">"
        L"<Label/></Window>",
        &manager);
    ASSERT_NE(root, nullptr);
    const SIZE size = WindowSize(window.get());
    EXPECT_EQ(size.cx, 300);
    EXPECT_EQ(size.cy, 200);
    EXPECT_EQ(manager.SizeBox().top, 2);
    EXPECT_EQ(manager.SizeBox().bottom, 4);
    EXPECT_EQ(manager.CaptionRect().bottom, 40);
    EXPECT_EQ(manager.RoundCorner().cy, 6);
    EXPECT_EQ(manager.MinInfo().cx, 100);
    EXPECT_EQ(manager.MaxInfo().cy, 300);
    EXPECT_EQ(manager.Opacity(), 255);  // clamped
    EXPECT_EQ(::GetWindowLongPtrW(window.get(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_EQ(manager.DefaultFontColour(), 0xFF102030u);
    EXPECT_TRUE(manager.UsesGdiplusText());
    EXPECT_EQ(manager.Shadow().Image(), L"shadow.png");
    EXPECT_EQ(manager.Shadow().Corner().left, 9);
    EXPECT_EQ(manager.Shadow().Corner().bottom, 6);
    EXPECT_EQ(manager.Shadow().Size(), 0);  // 21 is out of range
    EXPECT_EQ(manager.Shadow().Position().y, -4);
}

TEST(SkinBuilderTest, SizeOnlyRecordedOnceATreeIsAttached)
{
    OwnWindow window;
    CWindowManagerUI manager;
    manager.Attach(window.get());
    manager.AttachTree(new CVerticalLayoutUI);
    CSkinBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Build(L"<Window size=\"300,200\"><Label/></Window>", {}, nullptr, &manager));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(manager.InitSize().cx, 300);
    EXPECT_EQ(WindowSize(window.get()).cx, 50);
}

TEST(SkinBuilderTest, AlphaInRangeMakesTheWindowLayered)
{
    OwnWindow window;
    CWindowManagerUI manager;
    manager.Attach(window.get());
    std::unique_ptr<CControlUI> root = BuildText(L"<Window alpha=\"128\"><Label/></Window>", &manager);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(manager.Opacity(), 128);
    EXPECT_NE(::GetWindowLongPtrW(window.get(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
}

}  // namespace
