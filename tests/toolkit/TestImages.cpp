#include "tests/toolkit/TestImages.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include "stb_image_write.h"
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace testimages {
namespace {

std::vector<unsigned char> ToRgba(const std::vector<std::uint32_t>& argb)
{
    std::vector<unsigned char> rgba;
    rgba.reserve(argb.size() * 4);
    for (std::uint32_t p : argb) {
        rgba.push_back(static_cast<unsigned char>(p >> 16));
        rgba.push_back(static_cast<unsigned char>(p >> 8));
        rgba.push_back(static_cast<unsigned char>(p));
        rgba.push_back(static_cast<unsigned char>(p >> 24));
    }
    return rgba;
}

void Append(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

}  // namespace

std::string EncodePng(int width, int height, const std::vector<std::uint32_t>& argb)
{
    const std::vector<unsigned char> rgba = ToRgba(argb);
    std::string out;
    stbi_write_png_to_func(Append, &out, width, height, 4, rgba.data(), width * 4);
    return out;
}

std::string EncodeJpeg(int width, int height, const std::vector<std::uint32_t>& argb)
{
    const std::vector<unsigned char> rgba = ToRgba(argb);
    std::string out;
    stbi_write_jpg_to_func(Append, &out, width, height, 4, rgba.data(), 95);
    return out;
}

std::vector<std::uint32_t> Solid(int width, int height, std::uint32_t argb)
{
    return std::vector<std::uint32_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), argb);
}

}  // namespace testimages
