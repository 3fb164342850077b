// The game this launcher is built for. Narrow texts, widened with the ANSI
// code page where they are used.
#pragma once

inline constexpr char kGameCode[] = "vrk";      // executables, uninstall entry, portal path
inline constexpr char kGameTitle[] = "Vorkan";  // window title, display name, shortcut
