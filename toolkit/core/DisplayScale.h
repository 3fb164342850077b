// The scale of a display: skins are written in logical pixels, 96 to the
// inch, and a window shows them at its display's DPI. Portable: the
// arithmetic is shared by layout, drawing, the image sets and their tests.
#pragma once

#include "toolkit/core/SkinValue.h"

namespace SkinUI {

constexpr int kLogicalDpi = 96;

class CDisplayScale {
public:
    // Windows scales no display below 100 %, and none past 500 %; a DPI
    // outside that range (an old system reporting 72, a broken reply) is
    // taken as the nearest end, so the arithmetic below stays exact.
    static constexpr int kMinDpi = kLogicalDpi;
    static constexpr int kMaxDpi = kLogicalDpi * 5;

    constexpr CDisplayScale() = default;
    explicit constexpr CDisplayScale(int dpi) : m_dpi(dpi < kMinDpi ? kMinDpi : dpi > kMaxDpi ? kMaxDpi : dpi) {}

    constexpr int Dpi() const { return m_dpi; }
    // The scale in percent, rounded: 120 DPI is 125 %, 144 is 150 %.
    constexpr int Percent() const { return (m_dpi * 100 + kLogicalDpi / 2) / kLogicalDpi; }
    constexpr bool IsLogical() const { return m_dpi == kLogicalDpi; }
    constexpr bool operator==(const CDisplayScale& other) const { return m_dpi == other.m_dpi; }
    constexpr bool operator!=(const CDisplayScale& other) const { return m_dpi != other.m_dpi; }

    // Logical pixels to this display's, rounded half away from zero (as
    // MulDiv does) and kept within 32 bits. Each quantity is scaled on its
    // own: a width is the scaled width, not the difference of two scaled
    // edges, so equal sizes stay equal.
    int Scale(int logical) const;
    // The way back: Unscale(Scale(v)) == v for every v, because a scale of
    // at least 1 moves a value by less than half a logical pixel.
    int Unscale(int physical) const;
    SkinRect Scale(const SkinRect& logical) const;
    SkinSize Scale(const SkinSize& logical) const;
    SkinPoint Scale(const SkinPoint& logical) const;
    // A nine-grid corner of art drawn at this scale: rounded to the nearest
    // pixel, and a corner that ends exactly between two pixels leaves the
    // pixel it cuts to the part beyond it (the stretched edge, or the centre
    // a shadow leaves to its window): the shadow's contact line at 150 %
    // stays against the window, and a rounded cap at 125 % keeps its curve.
    int ScaleCorner(int logical) const;
    SkinRect ScaleCorner(const SkinRect& logical) const;

private:
    int m_dpi = kLogicalDpi;
};

// A value in one display's pixels in another's: exact for values that came
// from logical ones, within a pixel for any other.
int Rescale(int value, const CDisplayScale& from, const CDisplayScale& to);
SkinRect Rescale(const SkinRect& value, const CDisplayScale& from, const CDisplayScale& to);

}  // namespace SkinUI
