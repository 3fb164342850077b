// The skin builder's "ActiveX" and "WebBrowser" elements: the launcher's
// markup creates its browser while the skin is built.
#include <gtest/gtest.h>

#include "tests/toolkit/hosts/HostTestWindow.h"
#include "toolkit/builder/SkinBuilder.h"
#include "toolkit/hosts/WebBrowserUI.h"

namespace {

using hosttest::EngineSession;

TEST(HostElementsTest, MarkupCreatesTheHostsAndTheBrowserDuringTheBuild)
{
    ASSERT_TRUE(EngineSession::EngineRegistered()) << "run scripts/wine-register first";
    hosttest::OleApartment ole;
    EngineSession engine("");
    hosttest::HostTestWindow window;
    SkinUI::CSkinBuilder builder;
    SkinUI::CControlUI* root = builder.Build(
        L"<Window size=\"800,600\"><VerticalLayout>"
        L"<WebBrowser name=\"ie\" homepage=\"https://home.test/\" delaycreate=\"false\" autonavi=\"true\"/>"
        L"<ActiveX name=\"ax\"/>"
        L"</VerticalLayout></Window>",
        {}, nullptr, &window.Manager());
    ASSERT_NE(root, nullptr);
    window.AttachRoot(root);
    auto* browser = static_cast<SkinUI::CWebBrowserUI*>(window.Manager().FindByName(L"ie")->InterfaceFor(L"WebBrowser"));
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->ClassName(), L"WebBrowserUI");
    // Created while the markup was read, before "autonavi": the home page stays closed.
    EXPECT_NE(browser->WebBrowser(), nullptr);
    EXPECT_EQ(engine.LinesStartingWith("create").size(), 1u);
    EXPECT_FALSE(engine.Has("Navigate2"));
    EXPECT_TRUE(browser->IsAutoNavigate());

    SkinUI::CControlUI* activeX = window.Manager().FindByName(L"ax");
    ASSERT_NE(activeX, nullptr);
    EXPECT_EQ(activeX->ClassName(), L"ActiveXUI");
    EXPECT_NE(activeX->InterfaceFor(L"ActiveX"), nullptr);
    EXPECT_EQ(activeX->InterfaceFor(L"WebBrowser"), nullptr);

    // The first layout sizes the browser created during the build.
    browser->Place(RECT{0, 0, 800, 300});
    EXPECT_NE(browser->HostWindow(), nullptr);
    EXPECT_TRUE(engine.Has("SetObjectRects pos=0,0,800,300"));
}

}  // namespace
