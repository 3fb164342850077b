// Loading a skin image into a premultiplied 32-bit top-down DIB section.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include "toolkit/render/RenderResourcesUI.h"

namespace SkinUI {

class ISkinFileReader;

// With a resource type the name is a numeric id in the module's resources
// (`resources`, then the executable); otherwise the bytes come from the
// reader; failing both, the name is read as a path. None when no bytes were
// found, they do not decode, the image is too large, or memory runs out:
// a failed load is a result, never an exception.
std::unique_ptr<TImageInfo> LoadSkinImage(std::wstring_view name, std::wstring_view type, DWORD mask,
                                          const ISkinFileReader* files, HINSTANCE resources) noexcept;

}  // namespace SkinUI
