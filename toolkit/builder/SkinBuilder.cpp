#include "toolkit/builder/SkinBuilder.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "toolkit/controls/ButtonUI.h"
#include "toolkit/controls/ControlUI.h"
#include "toolkit/controls/LabelUI.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/core/SkinValue.h"
#include "toolkit/hosts/ActiveXUI.h"
#include "toolkit/hosts/WebBrowserUI.h"
#include "toolkit/layout/ContainerUI.h"
#include "toolkit/layout/HorizontalLayoutUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"
#include "toolkit/package/SkinMarkupFile.h"
#include "toolkit/package/SkinResources.h"
#include "toolkit/window/WindowManagerUI.h"

namespace SkinUI {
namespace {

template <typename T>
CControlUI* Make()
{
    return new T;
}

struct TElementClass {
    const wchar_t* name;
    CControlUI* (*create)();
};

// Element names select control classes by exact, case-sensitive match. The
// other controls of the toolkit's full element set are not built here; their
// names reach the window's callback like any unknown name.
const TElementClass kElementClasses[] = {
    {L"Control", Make<CControlUI>},
    {L"Container", Make<CContainerUI>},
    {L"VerticalLayout", Make<CVerticalLayoutUI>},
    {L"HorizontalLayout", Make<CHorizontalLayoutUI>},
    {L"TabLayout", Make<CTabLayoutUI>},
    {L"Label", Make<CLabelUI>},
    {L"Button", Make<CButtonUI>},
    {L"Progress", Make<CProgressUI>},
    {L"ActiveX", Make<CActiveXUI>},
    {L"WebBrowser", Make<CWebBrowserUI>},
};

bool IsResourceElement(std::wstring_view name)
{
    return name == L"Image" || name == L"Font" || name == L"Default";
}

std::wstring_view AttributeOr(CSkinMarkupNode& node, const wchar_t* name, std::wstring_view fallback = {})
{
    const wchar_t* value = node.GetAttributeValue(name);
    return value ? std::wstring_view(value) : fallback;
}

bool IsDecimalId(std::wstring_view text)
{
    if (text.empty() || text.size() > 5) return false;
    if (!std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; })) return false;
    return ParseSkinInt(text) < 65536;
}

void DeleteSubtree(CControlUI* control)
{
    delete control;
}

}  // namespace

// ---------------------------------------------------------------- window attributes

void ApplyWindowAttribute(CWindowManagerUI& manager, std::wstring_view name, std::wstring_view value)
{
    const HWND hwnd = manager.WindowHandle();
    // Sizes and areas are logical pixels, kept in the window's.
    const CDisplayScale scale = manager.DisplayScale();
    const auto scaledSize = [&] {
        const SkinSize size = scale.Scale(ParseSkinSize(value));
        return SIZE{size.cx, size.cy};
    };
    const auto scaledRect = [&] {
        const SkinRect r = scale.Scale(ParseSkinRect(value));
        return RECT{r.left, r.top, r.right, r.bottom};
    };
    if (name == L"size") {
        const SIZE size = scaledSize();
        manager.SetInitSize(size);
        RECT window{};
        // A window made at its skin's size (WindowImplBase) is not sized again.
        const bool sized = hwnd && ::GetWindowRect(hwnd, &window) && window.right - window.left == size.cx &&
                           window.bottom - window.top == size.cy;
        if (!manager.Root() && hwnd && !sized)
            ::SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    } else if (name == L"sizebox") {
        manager.SetSizeBox(scaledRect());
    } else if (name == L"caption") {
        manager.SetCaptionRect(scaledRect());
    } else if (name == L"roundcorner") {
        manager.SetRoundCorner(scaledSize());
    } else if (name == L"mininfo") {
        manager.SetMinInfo(scaledSize());
    } else if (name == L"maxinfo") {
        manager.SetMaxInfo(scaledSize());
    } else if (name == L"alpha") {
        const int alpha = ParseSkinInt(value);
        const BYTE stored = static_cast<BYTE>(std::clamp(alpha, 0, 255));
        manager.SetOpacity(stored);
        if (hwnd) {
            const LONG_PTR exStyle = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
            const bool layered = alpha >= 0 && alpha <= 255;
            ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, layered ? (exStyle | WS_EX_LAYERED) : (exStyle & ~WS_EX_LAYERED));
            if (layered) ::SetLayeredWindowAttributes(hwnd, 0, stored, LWA_ALPHA);
        }
    } else if (name == L"bktrans") {
        manager.SetBackgroundTransparent(ParseSkinBool(value));
    } else if (name == L"disabledfontcolor") {
        manager.SetDefaultDisabledColour(ParseSkinColour(value));
    } else if (name == L"defaultfontcolor") {
        manager.SetDefaultFontColour(ParseSkinColour(value));
    } else if (name == L"linkfontcolor") {
        manager.SetDefaultLinkFontColour(ParseSkinColour(value));
    } else if (name == L"linkhoverfontcolor") {
        manager.SetDefaultLinkHoverFontColour(ParseSkinColour(value));
    } else if (name == L"selectedcolor") {
        manager.SetDefaultSelectedBkColour(ParseSkinColour(value));
    } else if (name == L"shadowsize") {
        manager.Shadow().SetSize(ParseSkinInt(value));  // range-checked, redraws a shown shadow
    } else if (name == L"shadowsharpness") {
        manager.Shadow().SetSharpness(ParseSkinInt(value));
    } else if (name == L"shadowdarkness") {
        manager.Shadow().SetDarkness(ParseSkinInt(value));
    } else if (name == L"shadowposition") {
        const SkinPoint at = ParseSkinPoint(value);
        manager.Shadow().SetPosition(at.x, at.y);
    } else if (name == L"shadowcolor") {
        manager.Shadow().SetColour(ParseSkinColour(value));
    } else if (name == L"shadowcorner") {
        const SkinRect r = ParseSkinRect(value);
        manager.Shadow().SetCorner({r.left, r.top, r.right, r.bottom});
    } else if (name == L"shadowimage") {
        manager.Shadow().SetImage(value);
    } else if (name == L"showshadow") {
        manager.Shadow().SetShow(ParseSkinBool(value));
    } else if (name == L"gdiplustext") {
        manager.SetGdiplusText(ParseSkinBool(value));
    }
}

// ---------------------------------------------------------------- building

CControlUI* CSkinBuilder::Build(std::wstring_view source, std::wstring_view resourceType,
                                IDialogBuilderCallback* callback, CWindowManagerUI* manager, CControlUI* parent)
{
    if (!Load(source, resourceType)) return nullptr;
    return Build(callback, manager, parent);
}

CControlUI* CSkinBuilder::Build(IDialogBuilderCallback* callback, CWindowManagerUI* manager, CControlUI* parent)
{
    m_pCallback = callback;
    *m_pBuilt = 0;
    CControlUI* first = nullptr;
    if (!BuildTree(manager, parent, 0, &first)) {
        // With a parent, what was added belongs to it; without one the result is ours.
        if (!parent) DeleteSubtree(first);
        return nullptr;
    }
    return first;
}

bool CSkinBuilder::Load(std::wstring_view source, std::wstring_view resourceType)
{
    m_sResourceType.clear();
    if (!resourceType.empty()) {
        if (!IsDecimalId(source)) return false;
        std::vector<unsigned char> bytes;
        const std::wstring id(source);
        const std::wstring type(resourceType);
        if (!ReadSkinResource(id.c_str(), type.c_str(), bytes)) return false;
        m_sResourceType = type;
        return m_markup.LoadFromMemory(bytes.data(), bytes.size());
    }
    const std::wstring text(source);
    if (!text.empty() && text[0] == L'<') return m_markup.LoadFromString(text.c_str());
    return LoadSkinMarkupFile(m_markup, text.c_str());
}

std::optional<SkinSize> CSkinBuilder::WindowSize() const
{
    CSkinMarkupNode root = m_markup.GetRoot();
    if (!root.IsValid() || std::wstring_view(root.GetName()) != L"Window") return std::nullopt;
    std::optional<SkinSize> size;
    const int count = root.GetAttributeCount();
    for (int i = 0; i < count; ++i)
        if (std::wstring_view(root.GetAttributeName(i)) == L"size") size = ParseSkinSize(root.GetAttributeValue(i));
    return size;
}

bool CSkinBuilder::BuildTree(CWindowManagerUI* manager, CControlUI* parent, int depth, CControlUI** first)
{
    CSkinMarkupNode root = m_markup.GetRoot();
    if (!root.IsValid()) return true;
    if (manager) ApplyResources(root, *manager);
    if (manager && manager->WindowHandle() && std::wstring_view(root.GetName()) == L"Window") {
        const int count = root.GetAttributeCount();
        for (int i = 0; i < count; ++i) ApplyWindowAttribute(*manager, root.GetAttributeName(i), root.GetAttributeValue(i));
    }
    return CreateControls(root, parent, manager, depth, first);
}

void CSkinBuilder::ApplyResources(CSkinMarkupNode root, CWindowManagerUI& manager)
{
    for (CSkinMarkupNode node = root.GetFirstChild(); node.IsValid(); node = node.GetNextSibling()) {
        const std::wstring_view element = node.GetName();
        if (element == L"Image") {
            const std::wstring_view name = AttributeOr(node, L"name");
            const std::wstring_view type = AttributeOr(node, L"restype");
            const DWORD mask = ParseSkinColour(AttributeOr(node, L"mask"));
            // A resource image is named by its numeric id.
            if (!type.empty() && (name.empty() || name[0] < L'0' || name[0] > L'9')) continue;
            manager.LoadImageEntry(name, type, mask);
        } else if (element == L"Font") {
            const std::wstring_view face = AttributeOr(node, L"name");
            if (face.empty()) continue;
            const int size = ParseSkinInt(AttributeOr(node, L"size", L"12"));
            const bool bold = ParseSkinBool(AttributeOr(node, L"bold"));
            const bool underline = ParseSkinBool(AttributeOr(node, L"underline"));
            const bool italic = ParseSkinBool(AttributeOr(node, L"italic"));
            // Made when first used: a window that is never shown makes none.
            manager.AddFont(face, size, bold, underline, italic);
            if (ParseSkinBool(AttributeOr(node, L"default"))) manager.SetDefaultFont(face, size, bold, underline, italic);
        } else if (element == L"Default") {
            const std::wstring_view name = AttributeOr(node, L"name");
            if (!name.empty()) manager.SetDefaultAttributes(name, AttributeOr(node, L"value"));
        }
    }
}

CControlUI* CSkinBuilder::CreateByName(std::wstring_view name)
{
    for (const TElementClass& entry : kElementClasses)
        if (name == entry.name) return entry.create();
    return m_pCallback ? m_pCallback->CreateCustomControl(name) : nullptr;
}

bool CSkinBuilder::Spend()
{
    return ++*m_pBuilt <= kMaxBuiltElements;
}

bool CSkinBuilder::CreateControls(CSkinMarkupNode node, CControlUI* parent, CWindowManagerUI* manager, int depth,
                                  CControlUI** first)
{
    ++depth;
    IContainerUI* container = parent ? static_cast<IContainerUI*>(parent->InterfaceFor(L"IContainer")) : nullptr;
    for (CSkinMarkupNode child = node.GetFirstChild(); child.IsValid(); child = child.GetNextSibling()) {
        if (!Spend()) return false;
        const std::wstring_view element = child.GetName();
        if (IsResourceElement(element)) continue;
        if (depth > kMaxNestingDepth) return false;
        if (element == L"Include") {
            if (!Include(child, parent, manager, depth, first)) return false;
            continue;
        }
        CControlUI* control = CreateByName(element);
        if (!control) continue;  // unknown: skipped with its subtree

        // Children before attributes: a container's attributes may refer to
        // its children (a tab layout's "selectedid" selects one of them).
        if (child.GetFirstChild().IsValid()) {
            CControlUI* unused = nullptr;
            if (!CreateControls(child, control, manager, depth, &unused)) {
                DeleteSubtree(control);
                return false;
            }
        }
        if (parent) {
            if (!container) {
                DeleteSubtree(control);
                return false;
            }
            if (!container->Add(control)) {
                DeleteSubtree(control);
                continue;
            }
        }
        if (manager) {
            control->AttachManager(manager, parent, false);
            if (const CUiString* defaults = manager->DefaultAttributesFor(element)) control->ApplyAttributes(defaults->View());
        }
        const int count = child.GetAttributeCount();
        for (int i = 0; i < count; ++i) control->ApplyAttribute(child.GetAttributeName(i), child.GetAttributeValue(i));
        // The tree is initialised when the manager attaches it as a whole.
        if (manager) control->AttachManager(nullptr, parent, false);

        if (!*first)
            *first = control;
        else if (!parent)
            DeleteSubtree(control);  // nothing would own a second top-level control
    }
    return true;
}

bool CSkinBuilder::Include(CSkinMarkupNode node, CControlUI* parent, CWindowManagerUI* manager, int depth,
                           CControlUI** first)
{
    const int count = ParseSkinInt(AttributeOr(node, L"count", L"1"));
    const std::wstring_view source = AttributeOr(node, L"source");
    if (count <= 0 || source.empty()) return true;
    // Read once, built "count" times: the same document each time.
    CSkinBuilder included;
    if (!included.Load(source, m_sResourceType)) return true;  // an unreadable include adds nothing
    included.m_pCallback = m_pCallback;
    included.m_pBuilt = m_pBuilt;
    for (int i = 0; i < count; ++i) {
        if (!Spend()) return false;
        CControlUI* result = nullptr;
        // Each include counts as a level, so a document that includes itself
        // (even at its top level) reaches the cap instead of recursing forever.
        if (!included.BuildTree(manager, parent, depth, &result)) {
            if (!parent) DeleteSubtree(result);
            return false;
        }
        if (!*first)
            *first = result;
        else if (!parent)
            DeleteSubtree(result);
    }
    return true;
}

}  // namespace SkinUI
