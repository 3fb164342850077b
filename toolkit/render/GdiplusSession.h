// GDI+ for the drawing that needs it (text of layered windows and
// "gdiplustext"): one session per process, started by the first drawing
// that takes a GDI+ path and shut down when the process ends. A process
// whose skins never take one never loads gdiplus.dll.
#pragma once

namespace SkinUI {

// Starts the process's session once; whether GDI+ can be used. UI thread.
bool EnsureGdiplusSession() noexcept;
// Whether this process has started its session (for tests and benchmarks).
bool IsGdiplusSessionStarted() noexcept;

}  // namespace SkinUI
