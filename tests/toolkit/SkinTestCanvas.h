// Fixtures of the drawing and control tests: an off-screen 32-bit canvas
// whose pixels can be read back, and a folder of skin images.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "toolkit/package/SkinFileReader.h"
#include "base/Win32Handles.h"

namespace skintest {

// Colours as 0xRRGGBB, the way pixels are compared.
constexpr DWORD kWhite = 0xFFFFFF;
constexpr DWORD kBlack = 0x000000;
constexpr DWORD kRed = 0xFF0000;
constexpr DWORD kGreen = 0x00FF00;
constexpr DWORD kBlue = 0x0000FF;

// A top-down 32-bit DIB section selected into a memory DC.
class TestCanvas {
public:
    TestCanvas(int width, int height, DWORD rgb = kWhite);
    TestCanvas(const TestCanvas&) = delete;
    TestCanvas& operator=(const TestCanvas&) = delete;
    ~TestCanvas();

    HDC dc() const { return m_dc.get(); }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // 0xRRGGBB of a pixel (the alpha byte dropped).
    DWORD Pixel(int x, int y) const;
    // The whole 0xAARRGGBB value.
    std::uint32_t RawPixel(int x, int y) const;
    void Fill(DWORD rgb);
    int Count(DWORD rgb, const RECT& area) const;
    // Whether every pixel of the area has this colour.
    bool AllOf(DWORD rgb, const RECT& area) const { return Count(rgb, area) == (area.right - area.left) * (area.bottom - area.top); }

private:
    int m_width;
    int m_height;
    win32::UniqueMemoryDc m_dc;
    win32::UniqueBitmap m_bitmap;
    HGDIOBJ m_old = nullptr;
    std::uint32_t* m_bits = nullptr;
};

// A fresh folder of skin images and a reader over it.
class TestSkinFolder {
public:
    TestSkinFolder();
    const SkinUI::CSkinFolderReader& reader() const { return m_reader; }
    std::wstring path(const std::wstring& name) const { return m_dir.file(name); }
    void AddFile(const std::wstring& name, const std::string& bytes);
    // A PNG of one colour (0xAARRGGBB).
    void AddSolidPng(const std::wstring& name, int width, int height, std::uint32_t argb);
    void AddPng(const std::wstring& name, int width, int height, const std::vector<std::uint32_t>& argb);

private:
    testsupport::TempDir m_dir;
    SkinUI::CSkinFolderReader m_reader;
};

// Difference of two 0xRRGGBB colours: the largest channel difference.
int ColourDistance(DWORD a, DWORD b);

}  // namespace skintest
