// Where the skins of the process come from: the resource folder, the skin
// archive (a zip file in that folder or a "ZIPRES" module resource) and the
// module handles used to find them. One state per process, written only
// while a window is being created, kept until exit.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "toolkit/package/SkinArchive.h"
#include "toolkit/package/SkinFileReader.h"

namespace SkinUI {

// Where a window's skin comes from.
enum class SkinSource : int {
    File = 1,         // the markup file inside the resource folder
    ZipFile = 2,      // an archive file inside the resource folder
    Resource = 3,     // a module resource of type "xml"
    ZipResource = 4,  // an archive in a module resource of type "ZIPRES"
};

// Markup files above this size are refused.
constexpr std::size_t kMaxSkinFileSize = 4194304;

// The archive name current while the archive came from a module resource.
constexpr wchar_t kSkinMemoryArchiveName[] = L"membuffer";

// The module handle the toolkit start-up stores; the resource folder starts
// at its file's folder.
void SetSkinModuleInstance(HINSTANCE instance);
HINSTANCE GetSkinModuleInstance();

// The module the skin resources are taken from; when none was set, the
// stored module, else the executable.
void SetSkinResourceInstance(HINSTANCE instance);
HINSTANCE GetSkinResourceInstance();

// Ends with a path separator once the first window computed it.
const std::wstring& GetSkinResourceFolder();
// Empty, an archive file name, or kSkinMemoryArchiveName.
const std::wstring& GetSkinZipName();
// The archive kept open for the process, or null.
SkinArchive* GetSkinArchive();
SkinArchiveResult GetSkinZipResult();

// Run by window creation before the skin is built. `resourceId` is the
// decimal id (or the name) of the "ZIPRES" resource. False only when a
// ZipResource skin's resource is missing, cannot be loaded or is empty:
// the window then stays without controls.
bool OpenSkinSource(SkinSource kind, const wchar_t* skinFolder, const wchar_t* zipName, const wchar_t* resourceId);

// Reads a skin file by name from the current archive, or from the resource
// folder when no archive is current. Files above `limit` bytes are refused.
// On failure `error` (when given) receives one of "Error opening file",
// "File is empty", "File too large", "Could not read file", "Error opening
// zip file", "Could not find ziped file", "Could not unzip file".
bool ReadSkinFile(const wchar_t* name, std::size_t limit, std::vector<unsigned char>& bytes,
                  const wchar_t** error = nullptr);

// Copies a module resource (decimal id or name, of the given type) from the
// resource instance; false when it is missing or cannot be loaded.
bool ReadSkinResource(const wchar_t* id, const wchar_t* type, std::vector<unsigned char>& bytes);

// Skin files (images) for a window manager, by the same rules as markup:
// the current archive, or the resource folder when none is current.
class CSkinSourceReader final : public ISkinFileReader {
public:
    explicit CSkinSourceReader(std::size_t limit = 64u * 1024u * 1024u) : m_limit(limit) {}
    bool ReadSkinFile(std::wstring_view name, std::vector<unsigned char>& bytes) const override;

private:
    std::size_t m_limit;
};

// Closes the archive and forgets the folder and the archive name; the
// module handles stay. The next window starts over.
void ResetSkinResources();

}  // namespace SkinUI
