// What the test display shows: an area of the screen read back as RGBA,
// saved as a PNG file under the "screenshots" folder beside the test
// program, and compared pixel by pixel with some tolerance.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct Rgba {
    int r, g, b, a;
};

// Top-down RGBA rows: a screen area or a decoded image.
struct RgbaPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    bool empty() const { return width <= 0 || height <= 0 || rgba.empty(); }
    Rgba At(int x, int y) const
    {
        const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
};

// The screen inside `area` (screen coordinates), opaque.
RgbaPixels CaptureScreen(const RECT& area);

// PNG or JPEG bytes decoded as straight RGBA; empty when they do not decode.
RgbaPixels DecodeImage(const std::vector<unsigned char>& bytes);

// The folder "screenshots\<subfolder>" beside the program, made when
// missing; the path of `name` in it. An empty subfolder is "screenshots".
std::wstring ScreenshotPath(const std::wstring& subfolder, const std::wstring& name);
// Saves as PNG; false when it cannot be encoded or written.
bool SavePng(const RgbaPixels& pixels, const std::wstring& path);

// `top` laid over `under` by top's alpha.
Rgba Over(Rgba top, Rgba under);
::testing::AssertionResult Near(Rgba actual, Rgba expected, int tolerance);
int Luminance(Rgba c);

}  // namespace testsupport
