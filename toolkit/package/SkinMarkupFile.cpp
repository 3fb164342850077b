#include "toolkit/package/SkinMarkupFile.h"

#include <vector>

#include "toolkit/package/SkinResources.h"

namespace SkinUI {

bool LoadSkinMarkupFile(CSkinMarkup& markup, const wchar_t* name)
{
    std::vector<unsigned char> bytes;
    const wchar_t* error = L"";
    if (!ReadSkinFile(name, kMaxSkinFileSize, bytes, &error)) {
        markup.FailLoad(error);
        return false;
    }
    return markup.LoadFromMemory(bytes.data(), bytes.size());
}

}  // namespace SkinUI
