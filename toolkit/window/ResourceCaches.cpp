#include "toolkit/window/ResourceCaches.h"

#include <algorithm>
#include <new>

#include "toolkit/render/SkinRenderer.h"

namespace SkinUI {
namespace {

// A font of the skin: the system GUI font with the face, character height
// and styles given.
bool MakeFont(TFontInfo& info, std::wstring_view face, int size, bool bold, bool underline, bool italic,
              bool clearType) noexcept
{
    LOGFONTW lf{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    const std::size_t length = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), L'\0');
    std::copy_n(face.data(), length, lf.lfFaceName);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -size;  // character height, not cell height
    // Bold adds 700, kept within the 0..1000 that LOGFONT documents.
    if (bold) lf.lfWeight = std::min<LONG>(lf.lfWeight + 700, 1000);
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfItalic = italic ? TRUE : FALSE;
    if (clearType) lf.lfQuality = CLEARTYPE_QUALITY;
    win32::UniqueFont font(::CreateFontIndirectW(&lf));
    if (!font) return false;
    // The face name fits inline (LF_FACESIZE < 64): no allocation.
    info.sFontName = std::wstring_view(lf.lfFaceName);
    info.hFont = std::move(font);
    info.logFont = lf;
    info.iSize = size;
    info.bBold = bold;
    info.bUnderline = underline;
    info.bItalic = italic;
    info.bMeasured = false;
    return true;
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
    m_default.hFont.reset(::CreateFontIndirectW(&lf));
    m_default.logFont = lf;
    m_default.sFontName = lf.lfFaceName;
    m_default.iSize = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    m_default.bBold = lf.lfWeight >= FW_BOLD;
    m_default.bUnderline = lf.lfUnderline != 0;
    m_default.bItalic = lf.lfItalic != 0;
}

HFONT CFontTable::Append(std::wstring_view face, int size, bool bold, bool underline, bool italic) noexcept
{
    try {
        auto info = std::make_unique<TFontInfo>();
        if (!MakeFont(*info, face, size, bold, underline, italic, true)) return nullptr;
        const HFONT font = info->hFont.get();
        m_fonts.push_back(std::move(info));
        return font;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool CFontTable::SetDefault(std::wstring_view face, int size, bool bold, bool underline, bool italic,
                            HDC measureDc) noexcept
{
    TFontInfo info;
    if (!MakeFont(info, face, size, bold, underline, italic, false)) return false;
    Measure(info, measureDc);
    m_default = std::move(info);
    return true;
}

const TFontInfo& CFontTable::InfoAt(int index) const noexcept
{
    if (index < 0 || index >= Count()) return m_default;
    return *m_fonts[static_cast<std::size_t>(index)];
}

const TEXTMETRICW& CFontTable::MetricsAt(int index, HDC measureDc) noexcept
{
    TFontInfo& info = index < 0 || index >= Count() ? m_default : *m_fonts[static_cast<std::size_t>(index)];
    if (!info.bMeasured) Measure(info, measureDc);
    return info.tm;
}

void CFontTable::ForgetMetrics() noexcept
{
    m_default.bMeasured = false;
    for (const std::unique_ptr<TFontInfo>& font : m_fonts) font->bMeasured = false;
}

// ---------------------------------------------------------------- images

const TImageInfo* CImageCache::Load(std::wstring_view name, std::wstring_view type, DWORD mask) noexcept
{
    if (name.empty()) return nullptr;
    if (const TImageInfo* cached = Find(name)) return cached;
    try {
        std::unique_ptr<TImageInfo> image =
            CSkinRenderer::LoadSkinImage(name, type, mask, m_pFileReader, m_hResourceInstance);
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
