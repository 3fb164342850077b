// The resources a window keeps for its controls, each held by its owner:
// the font table (the default font and the skin's fonts by index), the image
// cache (images by name) and the default attribute lists (per element name,
// the skin's "Default" elements). A failed allocation leaves each as it was.
// Fonts and images are made for the window's display scale; a new scale
// makes them again.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "toolkit/core/DisplayScale.h"
#include "toolkit/core/UiNameMap.h"
#include "toolkit/core/UiString.h"
#include "toolkit/render/RenderResourcesUI.h"

namespace SkinUI {

class ISkinFileReader;

// Fonts are described in logical pixels (a skin's "Font" size is a
// character height at 96 DPI) and made for the display scale when first
// used: a window that is never shown makes none.
class CFontTable {
public:
    // The default font: the system's GUI font description, default character
    // set; its height is in the system's pixels.
    CFontTable();
    CFontTable(const CFontTable&) = delete;
    CFontTable& operator=(const CFontTable&) = delete;

    // Appends a font description (ClearType quality); the font is made at
    // first use. False, and nothing appended, when it cannot be held.
    bool Add(std::wstring_view face, int size, bool bold, bool underline, bool italic) noexcept;
    // Appends a font and makes it now; none, and nothing appended, when it
    // cannot be made or held.
    HFONT Append(std::wstring_view face, int size, bool bold, bool underline, bool italic) noexcept;
    // Replaces the default font's description; measured again at first use.
    bool SetDefault(std::wstring_view face, int size, bool bold, bool underline, bool italic) noexcept;
    int Count() const noexcept { return static_cast<int>(m_fonts.size()); }
    // The font at the index, or the default font for an index outside the
    // list (and for one that cannot be made), made for the display scale.
    const TFontInfo& InfoAt(int index) const noexcept;
    HFONT At(int index) const noexcept { return InfoAt(index).hFont.get(); }
    HFONT Default() const noexcept { return InfoAt(-1).hFont.get(); }
    // Text metrics, measured on `measureDc` at first use.
    const TEXTMETRICW& MetricsAt(int index, HDC measureDc) noexcept;
    // Metrics measured on another DC may differ: every font measures again.
    void ForgetMetrics() noexcept;
    // Every font made so far goes; each is made again for the new scale at
    // its next use.
    void SetDisplayScale(const CDisplayScale& scale) noexcept;
    const CDisplayScale& DisplayScale() const noexcept { return m_scale; }
    // How many fonts are made now (the default included).
    int MadeCount() const noexcept;

private:
    // Makes the font when it is not made yet; false when it cannot be.
    bool Make(TFontInfo& info) const noexcept;
    // The font at the index made (falling back to the default font).
    TFontInfo& Resolve(int index) const noexcept;

    CDisplayScale m_scale;
    mutable TFontInfo m_default;
    std::vector<std::unique_ptr<TFontInfo>> m_fonts;  // the references handed out stay put
};

class CImageCache {
public:
    // Where image files come from (not owned); none: names are read as paths.
    void SetFileReader(const ISkinFileReader* reader) noexcept { m_pFileReader = reader; }
    void SetResourceInstance(HINSTANCE instance) noexcept { m_hResourceInstance = instance; }
    // Loads and caches an image made for the display scale; a second load
    // under a cached name returns the cached entry. None when it cannot be
    // loaded or held (not remembered).
    const TImageInfo* Load(std::wstring_view name, std::wstring_view type, DWORD mask) noexcept;
    const TImageInfo* Find(std::wstring_view name) noexcept;
    int Count() const noexcept { return m_images.Count(); }
    // A new scale loads every cached image again for it, each with the type
    // and mask it was registered with (an image that no longer loads goes);
    // entries handed out before are gone.
    void SetDisplayScale(const CDisplayScale& scale) noexcept;
    const CDisplayScale& DisplayScale() const noexcept { return m_scale; }

private:
    CUiNameMap<std::unique_ptr<TImageInfo>> m_images;
    const ISkinFileReader* m_pFileReader = nullptr;
    HINSTANCE m_hResourceInstance = nullptr;
    CDisplayScale m_scale;
};

class CDefaultAttributeLists {
public:
    // The first list for an element name wins; false for a second one, for
    // an empty name and when it cannot be held.
    bool Set(std::wstring_view elementName, std::wstring_view list) noexcept;
    const CUiString* Find(std::wstring_view elementName) noexcept { return m_lists.Find(elementName); }
    int Count() const noexcept { return m_lists.Count(); }

private:
    CUiNameMap<CUiString> m_lists;
};

}  // namespace SkinUI
