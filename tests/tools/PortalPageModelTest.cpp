// The portal page's parts and the texts it hands to window.external.
#include "tools/BrowserEngine/PortalPageModel.h"

#include <gtest/gtest.h>

namespace {

using engine::PagePart;

TEST(PortalPageModel, QueryValuesAreReadAsWritten)
{
    const struct {
        const char* url;
        const char* key;
        const char* value;
    } cases[] = {
        {"https://p.test/vrk?fileparam=&token=abc&qxext=x%20y&tokenLogin=1", "token", "abc"},
        {"https://p.test/vrk?fileparam=&token=abc&qxext=x%20y&tokenLogin=1", "tokenLogin", "1"},
        {"https://p.test/vrk?fileparam=&token=abc&qxext=x%20y&tokenLogin=1", "qxext", "x%20y"},
        {"https://p.test/vrk?fileparam=&token=abc", "fileparam", ""},
        {"https://p.test/vrk?tokenLogin=1", "token", ""},
        {"https://p.test/vrk?token=a=b", "token", "a=b"},
        {"https://p.test/vrk?token=abc#frag&qxext=no", "qxext", ""},
        {"https://p.test/vrk?token", "token", ""},
        {"https://p.test/vrk", "token", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(engine::QueryValue(c.url, c.key), c.value) << c.url << " " << c.key;
}

TEST(PortalPageModel, RequestsAreTheContractsJson)
{
    EXPECT_EQ(engine::OpenGameRequest("tok", "ext"), R"({"funcation_name":"open_game","token":"tok","qxext":"ext"})");
    EXPECT_EQ(engine::OpenGameRequest("", ""), R"({"funcation_name":"open_game","token":"","qxext":""})");
    EXPECT_EQ(engine::CommandRequest("min_wnd"), R"({"funcation_name":"min_wnd"})");
    // Address values are not trusted to be JSON-safe.
    EXPECT_EQ(engine::OpenGameRequest("a\"b\\c", std::string("\n\x01", 2)),
              R"({"funcation_name":"open_game","token":"a\"b\\c","qxext":"\u000a\u0001"})");
}

TEST(PortalPageModel, EachPartIsHitAtItsCentreAndPartsDoNotOverlap)
{
    const PagePart parts[] = {PagePart::Start, PagePart::Minimise, PagePart::Close, PagePart::Drag, PagePart::Link};
    for (const auto& size : {std::pair{960, 620}, std::pair{800, 520}, std::pair{320, 240}}) {
        const engine::PortalLayout layout = engine::ComputePortalLayout(size.first, size.second);
        for (const PagePart part : parts) {
            const engine::PageRect* r = layout.Rect(part);
            ASSERT_NE(r, nullptr);
            EXPECT_LT(r->left, r->right) << engine::PartName(part);
            EXPECT_LT(r->top, r->bottom) << engine::PartName(part);
            EXPECT_GE(r->left, 0);
            EXPECT_LE(r->right, size.first);
            EXPECT_LE(r->bottom, size.second) << engine::PartName(part) << " at " << size.first << "x" << size.second;
            EXPECT_EQ(layout.HitTest(r->CenterX(), r->CenterY()), part) << engine::PartName(part);
            EXPECT_EQ(engine::PartFromName(engine::PartName(part)), part);
            for (const PagePart other : parts) {
                if (other == part) continue;
                const engine::PageRect* o = layout.Rect(other);
                const bool apart = r->right <= o->left || o->right <= r->left || r->bottom <= o->top || o->bottom <= r->top;
                EXPECT_TRUE(apart) << engine::PartName(part) << " overlaps " << engine::PartName(other);
            }
        }
        EXPECT_EQ(layout.HitTest(2, size.second - 2), PagePart::None);
        EXPECT_EQ(layout.HitTest(-1, 5), PagePart::None);
    }
    EXPECT_EQ(engine::PartFromName("Start"), PagePart::None);
}

// At an optical zoom the page is laid out in its own pixels (the view's
// size at 100 %) and scaled to the view: at 150 % in a view of 1440 x 930
// every part is the 960 x 620 part scaled, and still hit at its centre.
TEST(PortalPageModel, AZoomedPageIsThePageOfTheUnzoomedSizeScaled)
{
    const engine::PortalLayout page = engine::ComputePortalLayout(960, 620);
    const engine::PortalLayout zoomed = engine::ComputePortalLayout(1440, 930, 150);
    const PagePart parts[] = {PagePart::Start, PagePart::Minimise, PagePart::Close, PagePart::Drag, PagePart::Link};
    for (const PagePart part : parts) {
        const engine::PageRect* p = page.Rect(part);
        const engine::PageRect* z = zoomed.Rect(part);
        EXPECT_EQ(z->left, (p->left * 3 + 1) / 2) << engine::PartName(part);
        EXPECT_EQ(z->top, (p->top * 3 + 1) / 2) << engine::PartName(part);
        EXPECT_EQ(z->right, (p->right * 3 + 1) / 2) << engine::PartName(part);
        EXPECT_EQ(z->bottom, (p->bottom * 3 + 1) / 2) << engine::PartName(part);
        EXPECT_EQ(zoomed.HitTest(z->CenterX(), z->CenterY()), part) << engine::PartName(part);
    }
    EXPECT_EQ(engine::PageSide(1440, 150), 960);
    EXPECT_EQ(engine::PageSide(1441, 150), 961) << "rounded up: the page covers the view";
    EXPECT_EQ(engine::PageSide(775, 125), 620);
    // Zooms outside 10..1000 % are held to that range; 100 % is the page itself.
    const engine::PortalLayout same = engine::ComputePortalLayout(960, 620, 100);
    EXPECT_EQ(same.start.left, page.start.left);
    EXPECT_EQ(engine::PageSide(960, 5000), engine::PageSide(960, 1000));
}

}  // namespace
