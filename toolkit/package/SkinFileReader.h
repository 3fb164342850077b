// Where a window's skin files (images) come from. The window manager asks
// its reader for a file's bytes by name; a folder is the simplest source,
// a skin archive another.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace SkinUI {

class ISkinFileReader {
public:
    // A window owns its reader through this interface.
    virtual ~ISkinFileReader() = default;
    // The bytes of the named skin file; false when there is no such file.
    virtual bool ReadSkinFile(std::wstring_view name, std::vector<unsigned char>& bytes) const = 0;
};

// Files inside one folder ("\" or "/" separated names below it).
class CSkinFolderReader final : public ISkinFileReader {
public:
    explicit CSkinFolderReader(std::wstring folder);
    bool ReadSkinFile(std::wstring_view name, std::vector<unsigned char>& bytes) const override;
    const std::wstring& Folder() const { return m_folder; }

    // Reads a whole file by path (shared read, existing files only). Files
    // larger than maxBytes are refused.
    static bool ReadFileBytes(const std::wstring& path, std::vector<unsigned char>& bytes, std::size_t maxBytes);

private:
    std::wstring m_folder;  // ends in a separator, or empty
};

}  // namespace SkinUI
