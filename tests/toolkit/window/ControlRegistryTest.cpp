// The control registry without a window: names and the controls that
// paint after the tree, and what forgetting a control removes.
#include "toolkit/window/ControlRegistry.h"

#include <gtest/gtest.h>

#include "toolkit/layout/VerticalLayoutUI.h"

namespace {

using namespace SkinUI;

CControlUI* Named(CControlUI* control, const wchar_t* name)
{
    control->SetName(name);
    return control;
}

TEST(ControlRegistryTest, ChildrenRegisterBeforeParentsAndTheLaterNameWins)
{
    CVerticalLayoutUI root;
    root.SetName(L"same");
    auto* inner = static_cast<CVerticalLayoutUI*>(Named(new CVerticalLayoutUI, L"inner"));
    CControlUI* leaf = Named(new CControlUI, L"same");
    CControlUI* unnamed = new CControlUI;
    inner->Add(leaf);
    root.Add(inner);
    root.Add(unnamed);
    CControlRegistry registry;
    registry.RegisterSubtree(&root);
    EXPECT_EQ(registry.Find(L"same"), &root);  // the container comes after its children
    EXPECT_EQ(registry.Find(L"inner"), inner);
    EXPECT_EQ(registry.Find(L"Inner"), nullptr);
    EXPECT_EQ(registry.NameCount(), 2);

    // Forgetting a control the name does not map to keeps the name.
    registry.Forget(leaf);
    EXPECT_EQ(registry.Find(L"same"), &root);
    registry.Forget(&root);
    EXPECT_EQ(registry.Find(L"same"), nullptr);
    registry.RegisterSubtree(nullptr);
    EXPECT_EQ(registry.NameCount(), 1);
}

TEST(ControlRegistryTest, PaintAfterTreeHoldsEachControlOnceUntilItIsForgotten)
{
    CControlUI a, b;
    CControlRegistry registry;
    EXPECT_TRUE(registry.AddPaintAfterTree(&a));
    EXPECT_FALSE(registry.AddPaintAfterTree(&a));
    EXPECT_FALSE(registry.AddPaintAfterTree(nullptr));
    EXPECT_TRUE(registry.AddPaintAfterTree(&b));
    registry.Forget(&a);
    EXPECT_EQ(registry.PaintAfterTree(), std::vector<CControlUI*>{&b});
}

TEST(ControlRegistryTest, SubtreeWalkOrders)
{
    CVerticalLayoutUI root;
    CControlUI* first = new CControlUI;
    CControlUI* second = new CControlUI;
    root.Add(first);
    root.Add(second);
    EXPECT_EQ(SubtreeOf(&root), (std::vector<CControlUI*>{first, second, &root}));
    EXPECT_EQ(SubtreeOf(&root, FIND_ME_FIRST), (std::vector<CControlUI*>{&root, first, second}));
    EXPECT_EQ(SubtreeOf(&root, FIND_ME_FIRST | FIND_TOP_FIRST), (std::vector<CControlUI*>{&root, second, first}));
    second->SetVisible(false);
    EXPECT_EQ(SubtreeOf(&root, FIND_VISIBLE), (std::vector<CControlUI*>{first, &root}));
    EXPECT_TRUE(SubtreeOf(nullptr).empty());
}

}  // namespace
