// Encodes small test images (PNG, JPEG) from 0xAARRGGBB pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testimages {

std::string EncodePng(int width, int height, const std::vector<std::uint32_t>& argb);
std::string EncodeJpeg(int width, int height, const std::vector<std::uint32_t>& argb);

// A width x height image of one colour.
std::vector<std::uint32_t> Solid(int width, int height, std::uint32_t argb);

}  // namespace testimages
