// Turns a skin layout document into a control tree and applies the skin's
// window-level settings (fonts, images, default attribute lists, window
// attributes) to the window's manager.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/core/SkinValue.h"
#include "toolkit/markup/SkinMarkup.h"

namespace SkinUI {

class CControlUI;
class CWindowManagerUI;

// The window classes create the controls the builder does not know.
class IDialogBuilderCallback {
public:
    // A new control for the element name, or none.
    virtual CControlUI* CreateCustomControl(std::wstring_view className) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

class CSkinBuilder {
public:
    // Deeper skins fail the build instead of running the stack out: control
    // creation, attach, search, paint and destruction all recurse per level.
    static constexpr int kMaxNestingDepth = 256;
    // Includes multiply: a document that includes itself twice would build
    // 2^depth trees. A build with all its includes handles at most this
    // many elements (each element and each included copy counts) and fails
    // beyond it.
    static constexpr int kMaxBuiltElements = 16384;

    CSkinBuilder() = default;
    CSkinBuilder(const CSkinBuilder&) = delete;
    CSkinBuilder& operator=(const CSkinBuilder&) = delete;

    // `source`: with a resource type, the decimal id of a module resource of
    // that type; otherwise markup text when it starts with "<", else a skin
    // file name. Returns the first control created at the top level, or none.
    CControlUI* Build(std::wstring_view source, std::wstring_view resourceType, IDialogBuilderCallback* callback,
                      CWindowManagerUI* manager, CControlUI* parent = nullptr);
    // Builds again from the markup already loaded.
    CControlUI* Build(IDialogBuilderCallback* callback, CWindowManagerUI* manager, CControlUI* parent = nullptr);

    // Loads the markup without building it (`source` as for Build).
    bool Load(std::wstring_view source, std::wstring_view resourceType);
    // The "size" of the loaded document's root "Window" element (the last
    // one it gives), or none: a window made from it can be made at its size.
    std::optional<SkinSize> WindowSize() const;

    CSkinMarkup& Markup() { return m_markup; }

private:
    // Resources, window attributes and controls of the loaded document; false
    // when the build must fail. `first` receives the first top-level control.
    bool BuildTree(CWindowManagerUI* manager, CControlUI* parent, int depth, CControlUI** first);
    void ApplyResources(CSkinMarkupNode root, CWindowManagerUI& manager);
    // False when the build must fail (nesting too deep, a parent that holds
    // no children).
    bool CreateControls(CSkinMarkupNode node, CControlUI* parent, CWindowManagerUI* manager, int depth,
                        CControlUI** first);
    bool Include(CSkinMarkupNode node, CControlUI* parent, CWindowManagerUI* manager, int depth, CControlUI** first);
    CControlUI* CreateByName(std::wstring_view name);
    // Counts one element against the build's budget; false once it is spent.
    bool Spend();

    CSkinMarkup m_markup;
    IDialogBuilderCallback* m_pCallback = nullptr;
    std::wstring m_sResourceType;  // empty unless the markup came from a resource
    int m_nBuilt = 0;
    int* m_pBuilt = &m_nBuilt;  // an included document's builder spends its includer's budget
};

// Applies one attribute of the root "Window" element to the manager and its
// native window; attributes outside the table or their ranges are ignored.
void ApplyWindowAttribute(CWindowManagerUI& manager, std::wstring_view name, std::wstring_view value);

}  // namespace SkinUI
