#include "toolkit/package/SkinFileReader.h"

#include <windows.h>

#include <algorithm>

#include "base/Win32Handles.h"

namespace SkinUI {
namespace {

// Skin images are small; this only keeps a corrupt or hostile file from
// exhausting memory.
constexpr std::size_t kMaxSkinFileBytes = 64u * 1024u * 1024u;

}  // namespace

bool CSkinFolderReader::ReadFileBytes(const std::wstring& path, std::vector<unsigned char>& bytes,
                                      std::size_t maxBytes)
{
    bytes.clear();
    win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > maxBytes)
        return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!::ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr) || read == 0) {
            bytes.clear();
            return false;
        }
        done += read;
    }
    return true;
}

CSkinFolderReader::CSkinFolderReader(std::wstring folder) : m_folder(std::move(folder))
{
    if (!m_folder.empty() && m_folder.back() != L'\\' && m_folder.back() != L'/') m_folder += L'\\';
}

bool CSkinFolderReader::ReadSkinFile(std::wstring_view name, std::vector<unsigned char>& bytes) const
{
    if (name.empty()) return false;
    return CSkinFolderReader::ReadFileBytes(m_folder + std::wstring(name), bytes, kMaxSkinFileBytes);
}

}  // namespace SkinUI
