#include "toolkit/render/SkinImageLoader.h"

#include <new>
#include <string>
#include <vector>

#include "toolkit/core/SkinValue.h"
#include "toolkit/package/SkinFileReader.h"
#include "toolkit/render/DibSection.h"
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

std::vector<unsigned char> ReadImageBytes(std::wstring_view name, std::wstring_view type,
                                          const ISkinFileReader* files, HINSTANCE resources)
{
    std::vector<unsigned char> bytes;
    if (!type.empty()) {
        const int id = ParseSkinInt(name);
        const std::wstring typeText(type);
        HINSTANCE exe = ::GetModuleHandleW(nullptr);
        if (!ReadResourceBytes(resources ? resources : exe, id, typeText, bytes) && resources && resources != exe)
            ReadResourceBytes(exe, id, typeText, bytes);
    } else if (files) {
        files->ReadSkinFile(name, bytes);
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
                                          const ISkinFileReader* files, HINSTANCE resources) noexcept
{
    if (name.empty()) return nullptr;
    // Reading the bytes and naming the entry allocate; running out of memory
    // there fails this load and nothing else.
    try {
        const std::vector<unsigned char> bytes = ReadImageBytes(name, type, files, resources);
        if (bytes.empty()) return nullptr;
        DibPixelStore store;
        bool hasAlpha = false;
        if (!DecodeSkinImage(bytes.data(), bytes.size(), mask, store, hasAlpha)) return nullptr;
        std::unique_ptr<TImageInfo> image(new (std::nothrow) TImageInfo);
        if (!image) return nullptr;
        image->hBitmap = std::move(store.m_bitmap);
        image->pBits = store.m_bits;
        image->nWidth = store.m_width;
        image->nHeight = store.m_height;
        image->bAlpha = hasAlpha;
        image->sResType = type;
        image->dwMask = mask;
        return image;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace SkinUI
