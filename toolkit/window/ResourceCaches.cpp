#include "toolkit/window/ResourceCaches.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "toolkit/render/SkinRenderer.h"
#include "toolkit/window/WindowDpi.h"

namespace SkinUI {
namespace {

// The description of a font of the skin: the system GUI font with the face,
// character height and styles given. Nothing is made yet.
void Describe(TFontInfo& info, std::wstring_view face, int size, bool bold, bool underline, bool italic,
              bool clearType)
{
    LOGFONTW lf{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    const std::size_t length = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), L'\0');
    std::copy_n(face.data(), length, lf.lfFaceName);
    lf.lfCharSet = DEFAULT_CHARSET;
    // Bold adds 700, kept within the 0..1000 that LOGFONT documents.
    if (bold) lf.lfWeight = std::min<LONG>(lf.lfWeight + 700, 1000);
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfItalic = italic ? TRUE : FALSE;
    if (clearType) lf.lfQuality = CLEARTYPE_QUALITY;
    lf.lfHeight = -size;  // character height, not cell height
    // The face name fits inline (LF_FACESIZE < 64): no allocation.
    info.sFontName = std::wstring_view(lf.lfFaceName);
    info.hFont.reset();
    info.logFont = lf;
    info.iSize = size;
    info.nSizeDpi = kLogicalDpi;
    info.bBold = bold;
    info.bUnderline = underline;
    info.bItalic = italic;
    info.bClearType = clearType;
    info.bMeasured = false;
}

void Measure(TFontInfo& info, HDC dc) noexcept
{
    info.tm = TEXTMETRICW{};
    if (dc && info.hFont) {
        win32::SelectedObject selected(dc, info.hFont.get());
        ::GetTextMetricsW(dc, &info.tm);
    }
    info.bMeasured = true;
}

}  // namespace

// ---------------------------------------------------------------- fonts

CFontTable::CFontTable()
{
    LOGFONTW lf{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lf.lfCharSet = DEFAULT_CHARSET;
    m_default.logFont = lf;
    m_default.sFontName = lf.lfFaceName;
    // The stock font is the system's: its height is in the system's pixels.
    m_default.iSize = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    m_default.nSizeDpi = 0;  // the system's, read when the font is made
    m_default.bBold = lf.lfWeight >= FW_BOLD;
    m_default.bUnderline = lf.lfUnderline != 0;
    m_default.bItalic = lf.lfItalic != 0;
}

bool CFontTable::Make(TFontInfo& info) const noexcept
{
    if (info.hFont) return true;
    LOGFONTW lf = info.logFont;
    // The height for the display, a character or cell height as described.
    const CDisplayScale described(info.nSizeDpi > 0 ? info.nSizeDpi : SystemDpi());
    const int size = Rescale(info.iSize, described, m_scale);
    lf.lfHeight = info.logFont.lfHeight > 0 ? size : -size;
    win32::UniqueFont font(::CreateFontIndirectW(&lf));
    if (!font) return false;
    info.hFont = std::move(font);
    info.logFont = lf;
    info.bMeasured = false;
    return true;
}

bool CFontTable::Add(std::wstring_view face, int size, bool bold, bool underline, bool italic) noexcept
{
    try {
        auto info = std::make_unique<TFontInfo>();
        Describe(*info, face, size, bold, underline, italic, true);
        m_fonts.push_back(std::move(info));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

HFONT CFontTable::Append(std::wstring_view face, int size, bool bold, bool underline, bool italic) noexcept
{
    try {
        auto info = std::make_unique<TFontInfo>();
        Describe(*info, face, size, bold, underline, italic, true);
        if (!Make(*info)) return nullptr;
        const HFONT font = info->hFont.get();
        m_fonts.push_back(std::move(info));
        return font;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool CFontTable::SetDefault(std::wstring_view face, int size, bool bold, bool underline, bool italic) noexcept
{
    Describe(m_default, face, size, bold, underline, italic, false);
    return true;
}

TFontInfo& CFontTable::Resolve(int index) const noexcept
{
    if (index >= 0 && index < Count()) {
        TFontInfo& info = *m_fonts[static_cast<std::size_t>(index)];
        if (Make(info)) return info;
    }
    Make(m_default);
    return m_default;
}

const TFontInfo& CFontTable::InfoAt(int index) const noexcept
{
    return Resolve(index);
}

const TEXTMETRICW& CFontTable::MetricsAt(int index, HDC measureDc) noexcept
{
    TFontInfo& info = Resolve(index);
    if (!info.bMeasured) Measure(info, measureDc);
    return info.tm;
}

void CFontTable::ForgetMetrics() noexcept
{
    m_default.bMeasured = false;
    for (const std::unique_ptr<TFontInfo>& font : m_fonts) font->bMeasured = false;
}

void CFontTable::SetDisplayScale(const CDisplayScale& scale) noexcept
{
    if (scale == m_scale) return;
    m_scale = scale;
    m_default.hFont.reset();
    m_default.bMeasured = false;
    for (const std::unique_ptr<TFontInfo>& font : m_fonts) {
        font->hFont.reset();
        font->bMeasured = false;
    }
}

int CFontTable::MadeCount() const noexcept
{
    int made = m_default.hFont ? 1 : 0;
    for (const std::unique_ptr<TFontInfo>& font : m_fonts) made += font->hFont ? 1 : 0;
    return made;
}

// ---------------------------------------------------------------- images

const TImageInfo* CImageCache::Load(std::wstring_view name, std::wstring_view type, DWORD mask) noexcept
{
    if (name.empty()) return nullptr;
    if (const TImageInfo* cached = Find(name)) return cached;
    try {
        std::unique_ptr<TImageInfo> image =
            CSkinRenderer::LoadSkinImage(name, type, mask, m_pFileReader, m_hResourceInstance, m_scale);
        if (!image) return nullptr;
        const TImageInfo* stored = image.get();
        m_images.Insert(name, std::move(image));
        return stored;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

const TImageInfo* CImageCache::Find(std::wstring_view name) noexcept
{
    std::unique_ptr<TImageInfo>* found = m_images.Find(name);
    return found ? found->get() : nullptr;
}

void CImageCache::SetDisplayScale(const CDisplayScale& scale) noexcept
{
    if (scale == m_scale) return;
    m_scale = scale;
    struct Registered {
        CUiString name;
        CUiString type;
        DWORD mask;
    };
    std::vector<Registered> registered;
    try {
        registered.reserve(static_cast<std::size_t>(m_images.Count()));
        m_images.ForEach([&](std::wstring_view name, const std::unique_ptr<TImageInfo>& image) {
            registered.push_back({CUiString(name), image->sResType, image->dwMask});
        });
    } catch (const std::bad_alloc&) {
        // Without memory to list them, the images load again as they are
        // drawn, by the names and types their descriptors give.
        registered.clear();
    }
    m_images.Clear();
    for (const Registered& image : registered) Load(image.name.View(), image.type.View(), image.mask);
}

// ---------------------------------------------------------------- default attribute lists

bool CDefaultAttributeLists::Set(std::wstring_view elementName, std::wstring_view list) noexcept
{
    if (elementName.empty() || m_lists.Contains(elementName)) return false;
    try {
        return m_lists.Insert(elementName, CUiString(list));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace SkinUI
