// The login token is a credential: log lines carry it masked.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vrklog {

inline constexpr wchar_t kMaskedValue[] = L"***";

// Known token values shorter than this are masked only by their key forms:
// masking them everywhere would blank out ordinary words and numbers.
inline constexpr std::size_t kMinKnownTokenLength = 4;

// Replaces the login token in a text with "***": first every known token
// value, as it is and in its JSON-escaped form, wherever it stands; then
// the key forms whose value is not known: the argument --token=value (key
// in any letter case), the JSON member "token" (quoted or bare key), and
// the address query key token=value. Other keys, including tokenLogin, are
// left alone.
std::wstring MaskLoginToken(std::wstring text, const std::vector<std::wstring>& knownTokens = {});

// One command-line argument as the per-argument log line shows it: all
// that follows a --token= key (any letter case) is masked, spaces and
// quotes included.
std::wstring MaskTokenArgument(std::wstring argument);

// A value as a JSON string holds it between its quotes.
std::wstring JsonEscaped(const std::wstring& value);

}  // namespace vrklog
