#include "toolkit/core/DisplayScale.h"

#include <climits>

namespace SkinUI {
namespace {

int ClampToInt(long long v)
{
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

// value * numerator / denominator, rounded half away from zero.
int MulDivRounded(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    const long long quotient = product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return ClampToInt(quotient);
}

}  // namespace

int CDisplayScale::Scale(int logical) const
{
    if (m_dpi == kLogicalDpi) return logical;
    return MulDivRounded(logical, m_dpi, kLogicalDpi);
}

int CDisplayScale::Unscale(int physical) const
{
    if (m_dpi == kLogicalDpi) return physical;
    return MulDivRounded(physical, kLogicalDpi, m_dpi);
}

int CDisplayScale::ScaleCorner(int logical) const
{
    if (m_dpi == kLogicalDpi) return logical;
    const long long product = static_cast<long long>(logical) * m_dpi;
    const long long magnitude = product >= 0 ? product : -product;
    // Nearest, half toward zero.
    const long long rounded = (magnitude + kLogicalDpi / 2 - 1) / kLogicalDpi;
    return ClampToInt(product >= 0 ? rounded : -rounded);
}

SkinRect CDisplayScale::ScaleCorner(const SkinRect& logical) const
{
    return {ScaleCorner(logical.left), ScaleCorner(logical.top), ScaleCorner(logical.right),
            ScaleCorner(logical.bottom)};
}

SkinRect CDisplayScale::Scale(const SkinRect& logical) const
{
    return {Scale(logical.left), Scale(logical.top), Scale(logical.right), Scale(logical.bottom)};
}

SkinSize CDisplayScale::Scale(const SkinSize& logical) const
{
    return {Scale(logical.cx), Scale(logical.cy)};
}

SkinPoint CDisplayScale::Scale(const SkinPoint& logical) const
{
    return {Scale(logical.x), Scale(logical.y)};
}

int Rescale(int value, const CDisplayScale& from, const CDisplayScale& to)
{
    if (from == to) return value;
    return to.Scale(from.Unscale(value));
}

SkinRect Rescale(const SkinRect& value, const CDisplayScale& from, const CDisplayScale& to)
{
    return {Rescale(value.left, from, to), Rescale(value.top, from, to), Rescale(value.right, from, to),
            Rescale(value.bottom, from, to)};
}

}  // namespace SkinUI
