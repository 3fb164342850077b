#include "toolkit/render/SkinImageLoader.h"

#include <array>
#include <new>
#include <string>
#include <vector>

#include "toolkit/core/SkinValue.h"
#include "toolkit/package/SkinFileReader.h"
#include "toolkit/render/DibSection.h"
#include "toolkit/render/ImageScaleSet.h"
#include "toolkit/render/SkinPixels.h"

namespace SkinUI {
namespace {

constexpr std::size_t kMaxImageFileBytes = 64u * 1024u * 1024u;

bool ReadResourceBytes(HINSTANCE instance, int id, const std::wstring& type, std::vector<unsigned char>& bytes)
{
    if (!instance || id <= 0 || id > 0xFFFF) return false;
    HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(id), type.c_str());
    if (!resource) return false;
    HGLOBAL loaded = ::LoadResource(instance, resource);
    const DWORD size = ::SizeofResource(instance, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size == 0) return false;
    const auto* p = static_cast<const unsigned char*>(data);
    bytes.assign(p, p + size);
    return true;
}

// The bytes of the image, and the set they were drawn for.
std::vector<unsigned char> ReadImageBytes(std::wstring_view name, std::wstring_view type,
                                          const ISkinFileReader* files, HINSTANCE resources,
                                          const CDisplayScale& display, int& setPercent)
{
    std::vector<unsigned char> bytes;
    setPercent = 100;
    if (type.empty() && files) {
        std::array<int, kImageSetPercents.size()> order{};
        const std::size_t count = ImageSetOrder(display, order);
        for (std::size_t i = 0; i < count; ++i) {
            if (!files->ReadSkinFile(ImageSetName(name, order[i]), bytes)) continue;
            setPercent = order[i];
            return bytes;
        }
        bytes.clear();
    } else if (!type.empty()) {
        const int id = ParseSkinInt(name);
        const std::wstring typeText(type);
        HINSTANCE exe = ::GetModuleHandleW(nullptr);
        if (!ReadResourceBytes(resources ? resources : exe, id, typeText, bytes) && resources && resources != exe)
            ReadResourceBytes(exe, id, typeText, bytes);
    }
    if (bytes.empty()) CSkinFolderReader::ReadFileBytes(std::wstring(name), bytes, kMaxImageFileBytes);
    return bytes;
}

// The decoder writes straight into the DIB section's bits.
class DibPixelStore final : public ISkinPixelStore {
public:
    std::uint32_t* Allocate(int width, int height, std::ptrdiff_t& stride) override
    {
        void* bits = nullptr;
        m_bitmap = CreateTopDownDib(nullptr, width, height, bits);
        if (!m_bitmap || !bits) return nullptr;
        m_bits = bits;
        m_width = width;
        m_height = height;
        stride = width;  // 32-bit rows need no padding
        return static_cast<std::uint32_t*>(bits);
    }

    win32::UniqueBitmap m_bitmap;
    void* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace

std::unique_ptr<TImageInfo> LoadSkinImage(std::wstring_view name, std::wstring_view type, DWORD mask,
                                          const ISkinFileReader* files, HINSTANCE resources,
                                          const CDisplayScale& display) noexcept
{
    if (name.empty()) return nullptr;
    // Reading the bytes and naming the entry allocate; running out of memory
    // there fails this load and nothing else.
    try {
        int setPercent = 100;
        const std::vector<unsigned char> bytes = ReadImageBytes(name, type, files, resources, display, setPercent);
        if (bytes.empty()) return nullptr;
        DibPixelStore store;
        bool hasAlpha = false;
        if (!DecodeSkinImage(bytes.data(), bytes.size(), mask, store, hasAlpha)) return nullptr;
        const int width = ImageSideAt(store.m_width, setPercent, display);
        const int height = ImageSideAt(store.m_height, setPercent, display);
        bool resampled = false;
        if (width != store.m_width || height != store.m_height) {
            // Another set's pixels: resampled into a DIB of the display's size.
            DibPixelStore scaled;
            std::ptrdiff_t stride = 0;
            std::uint32_t* target = scaled.Allocate(width, height, stride);
            if (!target) return nullptr;
            const PixelBuffer from{static_cast<std::uint32_t*>(store.m_bits), store.m_width, store.m_height,
                                   store.m_width};
            const PixelBuffer to{target, width, height, static_cast<int>(stride)};
            if (!ResamplePixels(from, to, hasAlpha)) return nullptr;
            // A mask made its pixels transparent before; the filter keeps
            // them so. An opaque image that was masked stays "has alpha".
            if (mask != 0) hasAlpha = true;
            store.m_bitmap = std::move(scaled.m_bitmap);
            store.m_bits = scaled.m_bits;
            store.m_width = width;
            store.m_height = height;
            resampled = true;
        }
        std::unique_ptr<TImageInfo> image(new (std::nothrow) TImageInfo);
        if (!image) return nullptr;
        image->hBitmap = std::move(store.m_bitmap);
        image->pBits = store.m_bits;
        image->nWidth = store.m_width;
        image->nHeight = store.m_height;
        image->nSetPercent = setPercent;
        image->bResampled = resampled;
        image->bAlpha = hasAlpha;
        image->sResType = type;
        image->dwMask = mask;
        return image;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace SkinUI
