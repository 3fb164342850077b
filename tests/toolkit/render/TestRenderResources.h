// What the renderer asks of a window, for drawing tests without one: an
// image cache over a skin folder, the default GUI font and the two flags.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "toolkit/package/SkinFileReader.h"
#include "toolkit/render/RenderResourcesUI.h"
#include "toolkit/render/SkinRenderer.h"

namespace skintest {

class TestRenderResources final : public SkinUI::IRenderResourcesUI {
public:
    explicit TestRenderResources(const SkinUI::ISkinFileReader* files) : m_files(files)
    {
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(m_font.logFont), &m_font.logFont);
        m_font.hFont.reset(::CreateFontIndirectW(&m_font.logFont));
    }

    // A DC to measure text on.
    HDC MeasureDc() const { return m_measure.get(); }
    void SetGdiplusText(bool on) { m_gdiplusText = on; }

    const SkinUI::TFontInfo& FontInfoAt(int) const override { return m_font; }
    const TEXTMETRICW& TextMetricsAt(int) override
    {
        if (!m_font.bMeasured) {
            win32::SelectedObject selected(m_measure.get(), m_font.hFont.get());
            ::GetTextMetricsW(m_measure.get(), &m_font.tm);
            m_font.bMeasured = true;
        }
        return m_font.tm;
    }
    const SkinUI::TImageInfo* ImageFor(std::wstring_view name) override
    {
        const auto found = m_images.find(name);  // no allocation: drawing may run with none to be had
        return found == m_images.end() ? nullptr : found->second.get();
    }
    const SkinUI::TImageInfo* LoadImageEntry(std::wstring_view name, std::wstring_view type, DWORD mask) override
    {
        if (const SkinUI::TImageInfo* cached = ImageFor(name)) return cached;
        std::unique_ptr<SkinUI::TImageInfo> image =
            SkinUI::CSkinRenderer::LoadSkinImage(name, type, mask, m_files, nullptr);
        if (!image) return nullptr;
        return (m_images[std::wstring(name)] = std::move(image)).get();
    }
    bool IsBackgroundTransparent() const override { return false; }
    bool UsesGdiplusText() const override { return m_gdiplusText; }

private:
    const SkinUI::ISkinFileReader* m_files;
    win32::UniqueMemoryDc m_measure{::CreateCompatibleDC(nullptr)};
    SkinUI::TFontInfo m_font;
    std::map<std::wstring, std::unique_ptr<SkinUI::TImageInfo>, std::less<>> m_images;
    bool m_gdiplusText = false;
};

}  // namespace skintest
