// Loading markup by file name needs the process-wide skin source, which
// lives in the Windows layer; the parser itself stays portable.
#include "toolkit/markup/SkinMarkup.h"
#include "toolkit/package/SkinResources.h"

namespace SkinUI {

bool CSkinMarkup::LoadFromFile(const wchar_t* name)
{
    Release();
    std::vector<unsigned char> bytes;
    const wchar_t* error = L"";
    if (!ReadSkinFile(name, kMaxSkinFileSize, bytes, &error)) {
        SetError(error, L"");
        return false;
    }
    return LoadFromMemory(bytes.data(), bytes.size());
}

}  // namespace SkinUI
