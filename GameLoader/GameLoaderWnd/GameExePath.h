// Where the game client executable is looked for.
#pragma once

#include <string>

// "<code>.exe" in the folder of the game's uninstall entry ("DisplayIcon"),
// or beside the launcher when the entry has none or its folder is not an
// absolute one.
std::wstring GameExePathFor(const std::wstring& gameCode);
