// The launcher's two layout files as the product has them (skin/, the files
// packed into skin.zip), built by the skin builder into control trees for
// the layout tests and the paint benchmark.
#pragma once

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include <initializer_list>
#include <utility>

#include "toolkit/builder/SkinBuilder.h"
#include "toolkit/controls/ButtonUI.h"
#include "toolkit/controls/LabelUI.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/layout/HorizontalLayoutUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"
#include "toolkit/window/WindowManagerUI.h"

#ifndef VRK_SKIN_SOURCE_DIR
#error "VRK_SKIN_SOURCE_DIR names the folder of the layout files"
#endif

namespace skintest {

inline void ApplyAll(SkinUI::CControlUI* control,
                     std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> attributes)
{
    for (const auto& a : attributes) control->ApplyAttribute(a.first, a.second);
}

// Builds the launcher's browser element as the given control.
class BrowserStandIn : public SkinUI::IDialogBuilderCallback {
public:
    explicit BrowserStandIn(SkinUI::CControlUI* browser) : m_browser(browser) {}
    SkinUI::CControlUI* CreateCustomControl(std::wstring_view className) override
    {
        if (!m_browser || lstrcmpiW(std::wstring(className).c_str(), L"IeBrowser") != 0) return nullptr;
        SkinUI::CControlUI* browser = m_browser;
        m_browser = nullptr;
        return browser;
    }

private:
    SkinUI::CControlUI* m_browser;
};

// The tree of a layout file, its fonts and window attributes taken by the
// manager; null when the file cannot be read or built.
inline SkinUI::CVerticalLayoutUI* BuildLayoutFile(const char* file, SkinUI::CWindowManagerUI& manager,
                                                  SkinUI::CControlUI* browser = nullptr)
{
    std::ifstream in(std::string(VRK_SKIN_SOURCE_DIR) + "/" + file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string utf8 = bytes.str();
    if (utf8.rfind("\xEF\xBB\xBF", 0) == 0) utf8.erase(0, 3);
    if (utf8.empty()) return nullptr;
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring markup(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &markup[0], n);
    const std::size_t root = markup.find(L"<Window");  // the builder takes markup that starts with "<"
    if (root == std::wstring::npos) return nullptr;
    BrowserStandIn callback(browser);
    SkinUI::CSkinBuilder builder;
    SkinUI::CControlUI* built = builder.Build(markup.substr(root), L"", &callback, &manager);
    if (browser && callback.CreateCustomControl(L"IeBrowser")) delete browser;  // not taken by the layout
    return dynamic_cast<SkinUI::CVerticalLayoutUI*>(built);
}

// The notice box (440 x 260): three rows, the middle one a message line
// between two 10-pixel spacers, "btnOk" floating in the last row.
inline SkinUI::CVerticalLayoutUI* BuildNoticeBoxTree(SkinUI::CWindowManagerUI& manager)
{
    return BuildLayoutFile("CustomMsgBox.xml", manager);
}

// The launcher window (960 x 620): a tab layout whose first page holds the
// browser (here the given control) and whose second is the download page.
inline SkinUI::CVerticalLayoutUI* BuildLauncherTree(SkinUI::CWindowManagerUI& manager, SkinUI::CControlUI* browser)
{
    return BuildLayoutFile("GameLoader.xml", manager, browser);
}

}  // namespace skintest
