// The "Class::Method" (or plain function) name of a call site, computed at
// compile time from the compiler's decorated function text, since GCC's
// __FUNCTION__ carries the method name only.
#pragma once

#include <cstddef>

namespace vrklog {

constexpr bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '~';
}

constexpr bool StartsWith(const char* s, std::size_t n, std::size_t at, const char* prefix)
{
    for (std::size_t k = 0; prefix[k] != '\0'; ++k) {
        if (at + k >= n || s[at + k] != prefix[k]) return false;
    }
    return true;
}

struct NameRange {
    std::size_t begin;
    std::size_t end;
};

// Finds the qualified name in texts such as "static int ns::A::f(int)",
// "void A::f(T) [with T = int]" or "A::f<int>(int)::<lambda()>" (a lambda
// reports its enclosing function). Only the last two components are kept.
constexpr NameRange QualifiedNameRange(const char* s, std::size_t n)
{
    std::size_t end = n;
    int angle = 0;
    for (std::size_t i = 0; i < n && s[i] != '\0'; ++i) {
        if (StartsWith(s, n, i, "__attribute__")) {
            // Skip the balanced parentheses that follow.
            std::size_t j = i + 13;
            int depth = 0;
            for (; j < n && s[j] != '\0'; ++j) {
                if (s[j] == '(') ++depth;
                if (s[j] == ')' && --depth == 0) break;
            }
            i = j;
            continue;
        }
        const char c = s[i];
        if (c == '<') ++angle;
        if (c == '>' && angle > 0) --angle;
        if (c == '(' && angle == 0 && i > 0 && (IsNameChar(s[i - 1]) || s[i - 1] == '>')) {
            end = i;
            break;
        }
    }
    if (end == n) {
        std::size_t len = 0;
        while (len < n && s[len] != '\0') ++len;
        return NameRange{0, len};
    }
    std::size_t begin = end;
    int depth = 0;
    while (begin > 0) {
        const char c = s[begin - 1];
        if (c == '>') {
            ++depth;
        } else if (c == '<' && depth > 0) {
            --depth;
        } else if (depth == 0 && !IsNameChar(c) && c != ':') {
            break;
        }
        --begin;
    }
    // Keep "Class::Method": drop namespaces in front of the last two parts.
    std::size_t separators = 0;
    depth = 0;
    for (std::size_t i = end; i > begin + 1; --i) {
        const char c = s[i - 1];
        if (c == '>') ++depth;
        if (c == '<' && depth > 0) --depth;
        if (depth == 0 && c == ':' && s[i - 2] == ':') {
            if (++separators == 2) {
                begin = i;
                break;
            }
            --i;
        }
    }
    return NameRange{begin, end};
}

template <std::size_t N>
struct FunctionName {
    char text[N]{};
    constexpr const char* c_str() const { return text; }
};

template <std::size_t N>
constexpr FunctionName<N> MakeFunctionName(const char (&decorated)[N])
{
    FunctionName<N> name{};
    const NameRange range = QualifiedNameRange(decorated, N);
    std::size_t out = 0;
    for (std::size_t i = range.begin; i < range.end && out + 1 < N; ++i) name.text[out++] = decorated[i];
    name.text[out] = '\0';
    return name;
}

}  // namespace vrklog
