#include "tests/toolkit/SkinTestCanvas.h"

#include <cstdlib>

#include "tests/toolkit/TestImages.h"
#include "toolkit/render/DibSection.h"

namespace skintest {

TestCanvas::TestCanvas(int width, int height, DWORD rgb) : m_width(width), m_height(height)
{
    void* bits = nullptr;
    m_bitmap = SkinUI::CreateTopDownDib(nullptr, width, height, bits);
    m_bits = static_cast<std::uint32_t*>(bits);
    m_dc.reset(::CreateCompatibleDC(nullptr));
    m_old = ::SelectObject(m_dc.get(), m_bitmap.get());
    Fill(rgb);
}

TestCanvas::~TestCanvas()
{
    if (m_old) ::SelectObject(m_dc.get(), m_old);
}

std::uint32_t TestCanvas::RawPixel(int x, int y) const
{
    ::GdiFlush();
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0xDEADBEEF;
    return m_bits[static_cast<std::size_t>(y) * m_width + x];
}

DWORD TestCanvas::Pixel(int x, int y) const
{
    return RawPixel(x, y) & 0xFFFFFF;
}

void TestCanvas::Fill(DWORD rgb)
{
    ::GdiFlush();
    for (int i = 0; i < m_width * m_height; ++i) m_bits[i] = 0xFF000000u | rgb;
}

int TestCanvas::Count(DWORD rgb, const RECT& area) const
{
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (Pixel(x, y) == rgb) ++n;
    return n;
}

TestSkinFolder::TestSkinFolder() : m_reader(m_dir.path()) {}

void TestSkinFolder::AddFile(const std::wstring& name, const std::string& bytes)
{
    testsupport::WriteFileBytes(m_dir.file(name), bytes);
}

void TestSkinFolder::AddSolidPng(const std::wstring& name, int width, int height, std::uint32_t argb)
{
    AddFile(name, testimages::EncodePng(width, height, testimages::Solid(width, height, argb)));
}

void TestSkinFolder::AddPng(const std::wstring& name, int width, int height, const std::vector<std::uint32_t>& argb)
{
    AddFile(name, testimages::EncodePng(width, height, argb));
}

int ColourDistance(DWORD a, DWORD b)
{
    int d = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int diff = std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        if (diff > d) d = diff;
    }
    return d;
}

}  // namespace skintest
