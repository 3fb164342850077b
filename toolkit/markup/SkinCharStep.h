// Character steps and classes of the markup parser. They are the same on
// every platform, so a skin parses alike natively and under Windows.
#pragma once

namespace SkinUI {

// The character after *p: one code unit, then every non-spacing mark that
// follows it, so a combining sequence is stepped over whole (the step of the
// system's CharNextW). Stays put at the terminating NUL.
const wchar_t* SkinNextChar(const wchar_t* p);
wchar_t* SkinNextChar(wchar_t* p);

// A non-spacing (combining) mark of the Basic Multilingual Plane.
bool IsSkinNonSpacingMark(wchar_t c);

// Element and attribute name characters: letters, marks and decimal digits
// of any script, "_" and ":".
bool IsSkinNameChar(wchar_t c);

}  // namespace SkinUI
