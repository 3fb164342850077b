// Control trees of the launcher's layout files, built in code.
#pragma once

#include <initializer_list>
#include <utility>

#include "toolkit/controls/ButtonUI.h"
#include "toolkit/layout/HorizontalLayoutUI.h"
#include "toolkit/controls/LabelUI.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"

namespace skintest {

inline void ApplyAll(SkinUI::CControlUI* control,
                     std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> attributes)
{
    for (const auto& a : attributes) control->ApplyAttribute(a.first, a.second);
}

// The notice box (440 x 260): three rows, the middle one a message line
// between two 10-pixel spacers, "btnOk" floating in the last row.
inline SkinUI::CVerticalLayoutUI* BuildNoticeBoxTree()
{
    using namespace SkinUI;
    auto* root = new CVerticalLayoutUI;
    ApplyAll(root, {{L"name", L"verLayout"}, {L"bkcolor", L"#FFFFFFFF"}});

    auto* top = new CVerticalLayoutUI;
    auto* title = new CLabelUI;
    ApplyAll(title, {{L"name", L"labelTip"}, {L"text", L"\u63D0\u793A"}, {L"float", L"true"},
                     {L"textcolor", L"#444444"}, {L"pos", L"14,11,0,0"}, {L"width", L"100"}, {L"height", L"28"},
                     {L"valign", L"top"}});
    auto* close = new CButtonUI;
    ApplyAll(close, {{L"name", L"btnClose"}, {L"float", L"true"}, {L"pos", L"408,8,0,0"}, {L"width", L"24"},
                     {L"height", L"24"}, {L"normalimage", L"file='btn_close.png'"},
                     {L"hotimage", L"file='btn_close_hover.png'"}, {L"pushedimage", L"file='btn_close_hover.png'"}});
    auto* icon = new CLabelUI;
    ApplyAll(icon, {{L"name", L"labelIcon"}, {L"float", L"true"}, {L"pos", L"190,50,0,0"}, {L"width", L"60"},
                    {L"height", L"60"}, {L"bkimage", L"icon_warning.png"}});
    top->Add(title);
    top->Add(close);
    top->Add(icon);
    top->ApplyAttribute(L"height", L"134");

    auto* row = new CHorizontalLayoutUI;
    auto* spacer1 = new CControlUI;
    spacer1->ApplyAttribute(L"width", L"10");
    auto* message = new CLabelUI;
    ApplyAll(message, {{L"name", L"labelTip"}, {L"text", L""}, {L"textcolor", L"#444444"}, {L"font", L"0"},
                       {L"align", L"center"}});
    auto* spacer2 = new CControlUI;
    spacer2->ApplyAttribute(L"width", L"10");
    row->Add(spacer1);
    row->Add(message);
    row->Add(spacer2);
    ApplyAll(row, {{L"name", L"verOnlyTip"}, {L"height", L"28"}, {L"visible", L"true"}});

    auto* bottom = new CVerticalLayoutUI;
    auto* ok = new CButtonUI;
    ApplyAll(ok, {{L"name", L"btnOk"}, {L"text", L"\u786E\u5B9A"}, {L"textcolor", L"#008AFF"}, {L"font", L"0"},
                  {L"float", L"true"}, {L"pos", L"172,46,0,0"}, {L"width", L"96"}, {L"height", L"32"},
                  {L"normalimage", L"file='confirm.png'"}, {L"hotimage", L"file='confirm.png'"},
                  {L"pushedimage", L"file='confirm.png'"}});
    bottom->Add(ok);

    root->Add(top);
    root->Add(row);
    root->Add(bottom);
    return root;
}

// The launcher window (960 x 620): a tab layout whose first page holds the
// browser (here a plain control) and whose second is the download page.
inline SkinUI::CVerticalLayoutUI* BuildLauncherTree(SkinUI::CControlUI* browser)
{
    using namespace SkinUI;
    auto* root = new CVerticalLayoutUI;
    ApplyAll(root, {{L"name", L"verLayout"}, {L"bkcolor", L"#FFFFFFFF"}});
    auto* tab = new CTabLayoutUI;

    auto* page0 = new CVerticalLayoutUI;
    browser->SetName(L"ie");
    page0->Add(browser);

    auto* page1 = new CVerticalLayoutUI;
    auto* minimise = new CButtonUI;
    ApplyAll(minimise, {{L"name", L"btnMin"}, {L"float", L"true"}, {L"pos", L"902,6,926,30"},
                        {L"normalimage", L"gmin_normal.png"}, {L"hotimage", L"gmin_hover.png"},
                        {L"pushedimage", L"gmin_hover.png"}});
    auto* close = new CButtonUI;
    ApplyAll(close, {{L"name", L"btnClose"}, {L"float", L"true"}, {L"pos", L"928,4,956,34"},
                     {L"normalimage", L"gclose_normal.png"}, {L"hotimage", L"gclose_hover.png"},
                     {L"pushedimage", L"gclose_hover.png"}});
    auto* progress = new CProgressUI;
    ApplyAll(progress, {{L"name", L"progress"}, {L"float", L"true"}, {L"pos", L"320,320,0,0"}, {L"height", L"13"},
                        {L"width", L"530"}, {L"bkimage", L"file='gprogress_bk.png' corner='3,3,3,3'"},
                        {L"foreimage", L"file='gprogress_fore.png' corner='3,3,3,3'"}, {L"min", L"0"},
                        {L"max", L"100"}, {L"align", L"center"}, {L"value", L"0"}});
    auto* tip = new CLabelUI;
    ApplyAll(tip, {{L"name", L"progTip"}, {L"float", L"true"}, {L"textcolor", L"#FFEEE8D9"},
                   {L"pos", L"320,332,0,0"}, {L"height", L"20"}, {L"width", L"530"}, {L"align", L"center"},
                   {L"text", L"\u6B63\u5728\u4E0B\u8F7D\u6E38\u620F\u6587\u4EF6\uFF0C\u8BF7\u8010\u5FC3\u7B49\u5F85."}});
    page1->Add(minimise);
    page1->Add(close);
    page1->Add(progress);
    page1->Add(tip);
    page1->SetName(L"vLayoutDownload");

    tab->Add(page0);
    tab->Add(page1);
    tab->SetName(L"wizardTab");
    root->Add(tab);
    return root;
}

}  // namespace skintest
