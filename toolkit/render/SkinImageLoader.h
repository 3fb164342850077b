// Loading a skin image into a premultiplied 32-bit top-down DIB section.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include "toolkit/core/DisplayScale.h"
#include "toolkit/render/RenderResourcesUI.h"

namespace SkinUI {

class ISkinFileReader;

// With a resource type the name is a numeric id in the module's resources
// (`resources`, then the executable); otherwise the bytes come from the
// reader; failing both, the name is read as a path. None when no bytes were
// found, they do not decode, the image is too large, or memory runs out:
// a failed load is a result, never an exception.
//
// The image is made for the display: the reader is asked for the set drawn
// at the display's scale first, then the others (ImageSetOrder); an image
// of another set, or one that has no sets (a resource, a path), is
// resampled to the size its logical size has on the display. At 100 % the
// plain name comes first and nothing is resampled.
std::unique_ptr<TImageInfo> LoadSkinImage(std::wstring_view name, std::wstring_view type, DWORD mask,
                                          const ISkinFileReader* files, HINSTANCE resources,
                                          const CDisplayScale& display = CDisplayScale()) noexcept;

}  // namespace SkinUI
