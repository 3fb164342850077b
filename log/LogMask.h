// The login token is a credential: log lines carry it masked.
#pragma once

#include <string>

namespace vrklog {

inline constexpr wchar_t kMaskedValue[] = L"***";

// Replaces every non-empty login token value in a text with "***": the
// argument form --token=value, the JSON member "token" (quoted or bare
// key), and the address query key token=value. Other keys, including
// tokenLogin, are left alone.
std::wstring MaskLoginToken(std::wstring text);

}  // namespace vrklog
