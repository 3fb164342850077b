#include "tests/support/ScreenPixels.h"

#include <cstdio>
#include <cstdlib>

#include "base/Win32Handles.h"
#include "toolkit/render/DibSection.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
// The decoder itself is compiled once, with the toolkit's skin pixels.
#include <stb_image.h>

namespace testsupport {

RgbaPixels CaptureScreen(const RECT& area)
{
    RgbaPixels capture;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return capture;
    void* bits = nullptr;
    win32::WindowDc screen(nullptr);
    win32::UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
    win32::UniqueBitmap bitmap = SkinUI::CreateTopDownDib(screen.get(), width, height, bits);
    if (!memory || !bitmap || !bits) return capture;
    {
        win32::SelectedObject selected(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY | CAPTUREBLT);
        ::GdiFlush();
    }
    capture.width = width;
    capture.height = height;
    capture.rgba.resize(static_cast<std::size_t>(width) * height * 4);
    const auto* bgra = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0; i < capture.rgba.size(); i += 4) {
        capture.rgba[i] = bgra[i + 2];
        capture.rgba[i + 1] = bgra[i + 1];
        capture.rgba[i + 2] = bgra[i];
        capture.rgba[i + 3] = 255;
    }
    return capture;
}

RgbaPixels DecodeImage(const std::vector<unsigned char>& bytes)
{
    RgbaPixels image;
    if (bytes.empty()) return image;
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &image.width,
                                            &image.height, &channels, 4);
    if (!pixels) return RgbaPixels();
    image.rgba.assign(pixels, pixels + static_cast<std::size_t>(image.width) * image.height * 4);
    stbi_image_free(pixels);
    return image;
}

std::wstring ScreenshotPath(const std::wstring& subfolder, const std::wstring& name)
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"screenshots\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    if (!subfolder.empty()) {
        folder += subfolder + L"\\";
        ::CreateDirectoryW(folder.c_str(), nullptr);
    }
    return folder + name;
}

bool SavePng(const RgbaPixels& pixels, const std::wstring& path)
{
    if (pixels.empty()) return false;
    std::vector<std::uint8_t> png;
    const auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(context);
        out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
    };
    if (!stbi_write_png_to_func(append, &png, pixels.width, pixels.height, 4, pixels.rgba.data(), pixels.width * 4))
        return false;
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    const bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
    return fclose(file) == 0 && written;
}

Rgba Over(Rgba top, Rgba under)
{
    const auto mix = [&](int t, int u) { return (t * top.a + u * (255 - top.a) + 127) / 255; };
    return {mix(top.r, under.r), mix(top.g, under.g), mix(top.b, under.b), 255};
}

::testing::AssertionResult Near(Rgba actual, Rgba expected, int tolerance)
{
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << actual.r << "," << actual.g << "," << actual.b << " want "
                                         << expected.r << "," << expected.g << "," << expected.b;
}

int Luminance(Rgba c)
{
    return (c.r * 299 + c.g * 587 + c.b * 114) / 1000;
}

}  // namespace testsupport
