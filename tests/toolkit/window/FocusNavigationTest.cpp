// The tab order and shortcut choice on plain walks, without a window.
#include "toolkit/window/FocusNavigation.h"

#include <gtest/gtest.h>

#include <vector>

#include "toolkit/controls/ButtonUI.h"
#include "toolkit/controls/LabelUI.h"

namespace {

using namespace SkinUI;

TEST(FocusNavigationTest, NextTabStopWrapsAndStartsFromAnyFocus)
{
    CButtonUI a, b;
    CLabelUI label;  // no tab stop
    CButtonUI noKeys;
    noKeys.SetKeyboardEnabled(false);  // no tab stop either
    const std::vector<CControlUI*> walk = {&a, &label, &noKeys, &b};
    struct Case {
        const CControlUI* focused;
        bool forward;
        const CControlUI* expected;
    } cases[] = {
        {nullptr, true, &a},  {nullptr, false, &b}, {&a, true, &b},      {&b, true, &a},
        {&a, false, &b},      {&b, false, &a},      {&label, true, &b},  {&label, false, &a},
    };
    for (const Case& c : cases) EXPECT_EQ(FindNextTabStop(walk, c.focused, c.forward), c.expected);
    CLabelUI lonely;
    EXPECT_EQ(FindNextTabStop({&lonely}, nullptr, true), nullptr);
    EXPECT_EQ(FindNextTabStop({}, nullptr, false), nullptr);
}

TEST(FocusNavigationTest, ShortcutOfALabelGoesToTheNextControl)
{
    CButtonUI ok, next;
    CLabelUI caption;
    ok.SetShortcut(L'o');
    caption.SetShortcut(L'N');
    const std::vector<CControlUI*> walk = {&caption, &next, &ok};
    EXPECT_EQ(FindShortcutTarget(walk, L'O'), &ok);
    EXPECT_EQ(FindShortcutTarget(walk, L'n'), &next);
    EXPECT_EQ(FindShortcutTarget(walk, L'x'), nullptr);
    EXPECT_EQ(FindShortcutTarget({&ok, &caption}, L'n'), nullptr);  // nothing after the label
}

}  // namespace
