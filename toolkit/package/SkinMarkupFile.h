// Skin markup by file name: the bytes come from the process-wide skin source
// (the current skin archive, or the resource folder when no archive is
// current); the parser itself stays portable.
#pragma once

#include "toolkit/markup/SkinMarkup.h"

namespace SkinUI {

// False with the markup's last error set when the file cannot be read or
// does not parse.
bool LoadSkinMarkupFile(CSkinMarkup& markup, const wchar_t* name);

}  // namespace SkinUI
