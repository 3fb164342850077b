#include "toolkit/render/ImageGrid.h"

#include <algorithm>
#include <climits>

namespace SkinUI {
namespace {

// 64-bit rectangles: corner sums of 32-bit input may not fit in 32 bits.
struct WideRect {
    long long left, top, right, bottom;
};

WideRect Widen(const SkinRect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

bool FitsInt(long long v)
{
    return v >= INT_MIN && v <= INT_MAX;
}

class PartEmitter {
public:
    PartEmitter(const WideRect& paint, IImageGridSink& sink) : m_paint(paint), m_sink(sink) {}

    void Emit(const WideRect& d, const WideRect& s)
    {
        if (d.right <= d.left || d.bottom <= d.top) return;
        if (s.right <= s.left || s.bottom <= s.top) return;
        if (d.right <= m_paint.left || d.left >= m_paint.right || d.bottom <= m_paint.top || d.top >= m_paint.bottom)
            return;
        const long long values[] = {d.left, d.top, d.right, d.bottom, s.left, s.top, s.right, s.bottom};
        for (long long v : values)
            if (!FitsInt(v)) return;
        ImageGridPart part;
        part.dest = {static_cast<int>(d.left), static_cast<int>(d.top), static_cast<int>(d.right),
                     static_cast<int>(d.bottom)};
        part.source = {static_cast<int>(s.left), static_cast<int>(s.top), static_cast<int>(s.right),
                       static_cast<int>(s.bottom)};
        m_sink.DrawPart(part);
        ++m_count;
    }

    int Count() const { return m_count; }
    const WideRect& Paint() const { return m_paint; }

private:
    WideRect m_paint;
    IImageGridSink& m_sink;
    int m_count = 0;
};

// The tiles (index first..last-1) of a run of `length` split into tiles of
// `tile`, limited to those that can meet the paint range [from, to).
void TileRange(long long start, long long length, long long tile, long long from, long long to, long long& first,
               long long& last)
{
    const long long count = (length + tile - 1) / tile;  // rounded up
    first = from > start ? (from - start) / tile : 0;
    last = to > start ? (to - start + tile - 1) / tile : 0;
    if (last > count) last = count;
    if (first > last) first = last;
}

void EmitCentre(const WideRect& d, const WideRect& s, bool xtiled, bool ytiled, PartEmitter& out)
{
    const long long tw = s.right - s.left;
    const long long th = s.bottom - s.top;
    if (tw <= 0 || th <= 0 || d.right <= d.left || d.bottom <= d.top) return;
    if (!xtiled && !ytiled) {
        out.Emit(d, s);
        return;
    }
    const WideRect& p = out.Paint();
    long long firstCol = 0, lastCol = 1, firstRow = 0, lastRow = 1;
    if (xtiled) TileRange(d.left, d.right - d.left, tw, p.left, p.right, firstCol, lastCol);
    if (ytiled) TileRange(d.top, d.bottom - d.top, th, p.top, p.bottom, firstRow, lastRow);
    for (long long row = firstRow; row < lastRow; ++row) {
        WideRect dt = d;
        WideRect st = s;
        if (ytiled) {
            dt.top = d.top + row * th;
            const long long h = std::min(th, d.bottom - dt.top);
            dt.bottom = dt.top + h;
            st.bottom = s.top + h;
        }
        for (long long col = firstCol; col < lastCol; ++col) {
            if (xtiled) {
                dt.left = d.left + col * tw;
                const long long w = std::min(tw, d.right - dt.left);
                dt.right = dt.left + w;
                st.right = s.left + w;
            }
            out.Emit(dt, st);
        }
    }
}

WideRect CornerWidths(const SkinRect& corner)
{
    return {std::max(corner.left, 0), std::max(corner.top, 0), std::max(corner.right, 0), std::max(corner.bottom, 0)};
}

}  // namespace

int ForEachImageGridPart(const ImageGridRequest& request, IImageGridSink& sink)
{
    PartEmitter out(Widen(request.paint), sink);
    const WideRect D = Widen(request.dest);
    const WideRect S = Widen(request.source);
    const WideRect K = CornerWidths(request.corner);
    // Middle parts: the destination and source without the corners.
    const WideRect dm = {D.left + K.left, D.top + K.top, D.right - K.right, D.bottom - K.bottom};
    const WideRect sm = {S.left + K.left, S.top + K.top, S.right - K.right, S.bottom - K.bottom};

    if (!request.hole) EmitCentre(dm, sm, request.xtiled, request.ytiled, out);

    if (K.left > 0) out.Emit({D.left, dm.top, dm.left, dm.bottom}, {S.left, sm.top, sm.left, sm.bottom});
    if (K.top > 0) out.Emit({dm.left, D.top, dm.right, dm.top}, {sm.left, S.top, sm.right, sm.top});
    if (K.right > 0) out.Emit({dm.right, dm.top, D.right, dm.bottom}, {sm.right, sm.top, S.right, sm.bottom});
    if (K.bottom > 0) out.Emit({dm.left, dm.bottom, dm.right, D.bottom}, {sm.left, sm.bottom, sm.right, S.bottom});

    if (K.left > 0 && K.top > 0) out.Emit({D.left, D.top, dm.left, dm.top}, {S.left, S.top, sm.left, sm.top});
    if (K.right > 0 && K.top > 0) out.Emit({dm.right, D.top, D.right, dm.top}, {sm.right, S.top, S.right, sm.top});
    if (K.left > 0 && K.bottom > 0)
        out.Emit({D.left, dm.bottom, dm.left, D.bottom}, {S.left, sm.bottom, sm.left, S.bottom});
    if (K.right > 0 && K.bottom > 0)
        out.Emit({dm.right, dm.bottom, D.right, D.bottom}, {sm.right, sm.bottom, S.right, S.bottom});
    return out.Count();
}

bool ImageGridCentre(const ImageGridRequest& request, SkinRect& dest, SkinRect& source)
{
    const WideRect D = Widen(request.dest);
    const WideRect S = Widen(request.source);
    const WideRect K = CornerWidths(request.corner);
    const WideRect dm = {D.left + K.left, D.top + K.top, D.right - K.right, D.bottom - K.bottom};
    const WideRect sm = {S.left + K.left, S.top + K.top, S.right - K.right, S.bottom - K.bottom};
    if (dm.right <= dm.left || dm.bottom <= dm.top || sm.right <= sm.left || sm.bottom <= sm.top) return false;
    for (const WideRect* r : {&dm, &sm})
        if (!FitsInt(r->left) || !FitsInt(r->top) || !FitsInt(r->right) || !FitsInt(r->bottom)) return false;
    dest = {static_cast<int>(dm.left), static_cast<int>(dm.top), static_cast<int>(dm.right),
            static_cast<int>(dm.bottom)};
    source = {static_cast<int>(sm.left), static_cast<int>(sm.top), static_cast<int>(sm.right),
              static_cast<int>(sm.bottom)};
    return true;
}

int TilesPerBlock(long long tile, long long run, int target)
{
    if (tile <= 0 || run <= tile || target <= tile) return 1;
    const long long wanted = (target + tile - 1) / tile;
    const long long needed = (run + tile - 1) / tile;
    return static_cast<int>(std::min(wanted, needed));
}

}  // namespace SkinUI
