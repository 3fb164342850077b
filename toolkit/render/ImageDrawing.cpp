#include "toolkit/render/ImageDrawing.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <utility>

#include "toolkit/render/DibSection.h"
#include "toolkit/render/ImageDescriptor.h"
#include "toolkit/render/ImageGrid.h"
#include "toolkit/render/Msimg32Exports.h"
#include "toolkit/render/SkinPixels.h"

namespace SkinUI {
namespace {

// Tiles smaller than this are pre-tiled into blocks about this long.
constexpr int kTileBlockTarget = 256;

SkinRect ToSkinRect(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

RECT ToRect(const SkinRect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

// Making a memory DC costs more than blitting a small image (tens of
// microseconds under Wine), and every image part needs its bitmap selected
// into one: each thread keeps one for that. Callers select a bitmap for one
// call and put the old one back.
HDC ImageSourceDc()
{
    thread_local win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    return dc.get();
}

// The target a composed grid is drawn into while the image sits in the
// image source DC.
HDC CompositionDc()
{
    thread_local win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    return dc.get();
}

// Composed grids larger than this are drawn part by part instead.
constexpr long long kMaxComposedPixels = 256LL * 1024LL;

// An unscaled blend at full opacity this large is done on the pixels of a
// DIB section target rather than by AlphaBlend: the same bytes several
// times faster, once finding the pixels (a handful of GDI calls) pays.
constexpr long long kSoftwareBlendMinPixels = 2048;

enum class BlitMode { Opaque, AlphaBlend, Software };

class BlitSink final : public IImageGridSink {
public:
    // Software mode blends into `target` from `sourcePixels`, the pixels of
    // the bitmap in `source`.
    // `coverage`, when known, is that of the source bitmap: blending then
    // leaves out its zero pixels and copies its opaque band.
    BlitSink(HDC hdc, HDC source, BlitMode mode, BYTE fade, const CDibTarget* target = nullptr,
             const PixelBuffer* sourcePixels = nullptr, const PixelCoverage* coverage = nullptr)
        : m_hdc(hdc),
          m_source(source),
          m_mode(mode),
          m_fade(fade),
          m_target(target),
          m_sourcePixels(sourcePixels),
          m_coverage(coverage)
    {
    }
    BlitSink(const BlitSink&) = delete;
    BlitSink& operator=(const BlitSink&) = delete;
    ~BlitSink()
    {
        if (m_oldStretchMode == 0) return;
        ::SetBrushOrgEx(m_hdc, m_oldBrushOrigin.x, m_oldBrushOrigin.y, nullptr);
        ::SetStretchBltMode(m_hdc, m_oldStretchMode);
    }

    void DrawPart(const ImageGridPart& part) override
    {
        const RECT d = ToRect(part.dest);
        const RECT s = ToRect(part.source);
        const int dw = d.right - d.left, dh = d.bottom - d.top;
        const int sw = s.right - s.left, sh = s.bottom - s.top;
        switch (m_mode) {
        case BlitMode::Opaque:
            if (dw == sw && dh == sh)
                ::BitBlt(m_hdc, d.left, d.top, dw, dh, m_source, s.left, s.top, SRCCOPY);
            else {
                UseHalftone();
                ::StretchBlt(m_hdc, d.left, d.top, dw, dh, m_source, s.left, s.top, sw, sh, SRCCOPY);
            }
            break;
        case BlitMode::AlphaBlend:
            if (m_coverage && m_fade == 255 && dw == sw && dh == sh)
                BlendCovered(d, s);
            else
                Blend(d, s);
            break;
        case BlitMode::Software: {
            const SkinRect device = m_target->ToDevice(d);
            for (int i = 0; i < m_target->ClipCount(); ++i)
                BlendPixels(m_target->Pixels(), device, *m_sourcePixels, part.source, m_fade, true,
                            m_target->ClipAt(i));
            break;
        }
        }
        ++m_blits;
    }

    int Blits() const { return m_blits; }

private:
    // The pixels of the target and the source, found at the first large blend.
    bool DirectPixels()
    {
        if (!m_bDirectTried) {
            m_bDirectTried = true;
            m_bDirect = m_direct.Attach(m_hdc) && SelectedDibPixels(m_source, m_directSource);
        }
        return m_bDirect;
    }

    void Blend(const RECT& d, const RECT& s)
    {
        const long long width = d.right - d.left, height = d.bottom - d.top;
        if (m_fade == 255 && width == s.right - s.left && height == s.bottom - s.top &&
            width * height >= kSoftwareBlendMinPixels && DirectPixels()) {
            ::GdiFlush();  // drawing queued on either bitmap lands first
            const SkinRect device = m_direct.ToDevice(d);
            for (int i = 0; i < m_direct.ClipCount(); ++i)
                BlendPremultipliedOver(m_direct.Pixels(), device.left, device.top, m_directSource, ToSkinRect(s),
                                       m_direct.ClipAt(i));
            return;
        }
        const BLENDFUNCTION bf = {AC_SRC_OVER, 0, m_fade, AC_SRC_ALPHA};
        Msimg32().alphaBlend(m_hdc, d.left, d.top, d.right - d.left, d.bottom - d.top, m_source, s.left, s.top,
                             s.right - s.left, s.bottom - s.top, bf);
    }

    // An unscaled part at full opacity: the zero pixels around the visible
    // ones change nothing and are left out, and opaque pixels blend to
    // themselves, so the opaque band is copied. The same pixels as one
    // blend, at the cost of a copy instead of a blend for most of the part.
    void BlendCovered(const RECT& d, const RECT& s)
    {
        const SkinRect& v = m_coverage->visible;
        const SkinRect& o = m_coverage->opaque;
        RECT visible;
        const RECT shown = {v.left, v.top, v.right, v.bottom};
        if (!::IntersectRect(&visible, &s, &shown)) return;
        const int dx = d.left - s.left, dy = d.top - s.top;
        auto blend = [&](LONG left, LONG top, LONG right, LONG bottom) {
            if (left < right && top < bottom) Blend({left + dx, top + dy, right + dx, bottom + dy}, {left, top, right, bottom});
        };
        RECT opaque;
        const RECT band = {o.left, o.top, o.right, o.bottom};
        if (!::IntersectRect(&opaque, &visible, &band)) {
            blend(visible.left, visible.top, visible.right, visible.bottom);
            return;
        }
        ::BitBlt(m_hdc, opaque.left + dx, opaque.top + dy, opaque.right - opaque.left, opaque.bottom - opaque.top,
                 m_source, opaque.left, opaque.top, SRCCOPY);
        blend(visible.left, visible.top, visible.right, opaque.top);
        blend(visible.left, opaque.bottom, visible.right, visible.bottom);
        blend(visible.left, opaque.top, opaque.left, opaque.bottom);
        blend(opaque.right, opaque.top, visible.right, opaque.bottom);
    }

    // Stretched copies look best in HALFTONE mode, which wants the brush
    // origin set; both are set only when a part is stretched (each GDI call
    // counts under Wine) and put back when the sink goes.
    void UseHalftone()
    {
        if (m_oldStretchMode != 0) return;
        m_oldStretchMode = ::SetStretchBltMode(m_hdc, HALFTONE);
        ::SetBrushOrgEx(m_hdc, 0, 0, &m_oldBrushOrigin);
    }

    HDC m_hdc;
    HDC m_source;
    BlitMode m_mode;
    BYTE m_fade;
    const CDibTarget* m_target;
    const PixelBuffer* m_sourcePixels;
    const PixelCoverage* m_coverage;
    int m_blits = 0;
    int m_oldStretchMode = 0;
    POINT m_oldBrushOrigin{};
    CDibTarget m_direct;
    PixelBuffer m_directSource;
    bool m_bDirectTried = false;
    bool m_bDirect = false;
};

// Cuts parts to the paint rectangle along the axes they are not stretched
// in, so a block of tiles draws no more than tile by tile did.
class PaintCutSink final : public IImageGridSink {
    // One axis of a part: cut to the paint range when drawn 1:1, left whole
    // when stretched. False when nothing of it is left.
    static bool CutAxis(int& destFrom, int& destTo, int& sourceFrom, int& sourceTo, int paintFrom, int paintTo)
    {
        if (destTo - destFrom != sourceTo - sourceFrom) return true;
        const int from = std::max(destFrom, paintFrom), to = std::min(destTo, paintTo);
        if (from >= to) return false;
        sourceFrom += from - destFrom;
        sourceTo -= destTo - to;
        destFrom = from;
        destTo = to;
        return true;
    }

public:
    PaintCutSink(const SkinRect& paint, IImageGridSink& next) : m_paint(paint), m_next(next) {}

    void DrawPart(const ImageGridPart& part) override
    {
        ImageGridPart cut = part;
        if (!CutAxis(cut.dest.left, cut.dest.right, cut.source.left, cut.source.right, m_paint.left, m_paint.right))
            return;
        if (!CutAxis(cut.dest.top, cut.dest.bottom, cut.source.top, cut.source.bottom, m_paint.top, m_paint.bottom))
            return;
        m_next.DrawPart(cut);
    }

private:
    SkinRect m_paint;
    IImageGridSink& m_next;
};

// A bitmap of whole tiles selected into its own DC (the DC goes first, so
// the bitmap is no longer selected when it is deleted).
struct TileBlock {
    win32::UniqueBitmap bitmap;
    win32::UniqueMemoryDc dc;
};

// Repeats the tile `tile` of `source` tilesX x tilesY times into the block:
// one copy, then copies that double what is already there. Returns the
// blits made, 0 when the block cannot be made.
int BuildTileBlock(HDC source, const SkinRect& tile, int tilesX, int tilesY, TileBlock& block)
{
    const int tw = tile.right - tile.left, th = tile.bottom - tile.top;
    const int width = tw * tilesX, height = th * tilesY;
    void* bits = nullptr;
    block.bitmap = CreateTopDownDib(source, width, height, bits);
    block.dc.reset(::CreateCompatibleDC(source));
    if (!block.bitmap || !block.dc || !::SelectObject(block.dc.get(), block.bitmap.get())) return 0;
    const HDC dc = block.dc.get();
    int blits = 1;
    ::BitBlt(dc, 0, 0, tw, th, source, tile.left, tile.top, SRCCOPY);
    for (int done = tw; done < width; done *= 2, ++blits)
        ::BitBlt(dc, done, 0, std::min(done, width - done), th, dc, 0, 0, SRCCOPY);
    for (int done = th; done < height; done *= 2, ++blits)
        ::BitBlt(dc, 0, done, width, std::min(done, height - done), dc, 0, 0, SRCCOPY);
    return blits;
}

// Draws a tiled centre from a pre-tiled block. False (nothing drawn) when
// the tiles are large already or the block cannot be made.
bool DrawTiledCentre(HDC hdc, HDC source, const ImageGridRequest& request, BlitMode mode, BYTE fade,
                     const CDibTarget& target, int& blits)
{
    SkinRect dest, tile;
    if (!ImageGridCentre(request, dest, tile)) return false;
    const long long tw = tile.right - tile.left, th = tile.bottom - tile.top;
    const int tilesX = request.xtiled ? TilesPerBlock(tw, static_cast<long long>(dest.right) - dest.left,
                                                      kTileBlockTarget)
                                      : 1;
    const int tilesY = request.ytiled ? TilesPerBlock(th, static_cast<long long>(dest.bottom) - dest.top,
                                                      kTileBlockTarget)
                                      : 1;
    if (tilesX * tilesY <= 1) return false;
    TileBlock block;
    const int built = BuildTileBlock(source, tile, tilesX, tilesY, block);
    if (built == 0) return false;

    // The block is whole tiles, so tiling by blocks keeps the pattern.
    ImageGridRequest blocks;
    blocks.dest = dest;
    blocks.paint = request.paint;
    blocks.source = {0, 0, static_cast<int>(tw) * tilesX, static_cast<int>(th) * tilesY};
    blocks.xtiled = request.xtiled;
    blocks.ytiled = request.ytiled;
    PixelBuffer blockPixels;
    ::GdiFlush();  // the block's copies land before its pixels are read
    if (mode == BlitMode::Software && !SelectedDibPixels(block.dc.get(), blockPixels)) return false;
    BlitSink sink(hdc, block.dc.get(), mode, fade, &target, &blockPixels);
    PaintCutSink cut(request.paint, sink);
    ForEachImageGridPart(blocks, cut);
    blits += built + sink.Blits();
    return true;
}

// A bitmap's coverage, measured once; none without its pixels.
const PixelCoverage* CoverageOf(TPixelCoverage& cache, void* bits, int width, int height)
{
    if (!bits) return nullptr;
    if (!cache.bMeasured) {
        cache.coverage = MeasurePixelCoverage({static_cast<std::uint32_t*>(bits), width, height, width});
        cache.bMeasured = true;
    }
    return &cache.coverage;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// An image of several parts (corners or tiles) drawn twice in a row with
// the same geometry is composed at its destination size and kept with the
// image; later paints of that geometry cost one blit or blend instead of
// one per part (and no stretching). A geometry seen once (a progress bar's
// fill while its value moves) is only remembered. False when the caller is
// to draw part by part.
bool DrawComposedGrid(HDC hdc, const TImageInfo& info, const RECT& dest, const RECT& paint, const RECT& source,
                      const ImageDescriptor& image, bool useAlpha)
{
    const RECT corners = ToRect(image.corner);
    const bool noCorners = corners.left <= 0 && corners.top <= 0 && corners.right <= 0 && corners.bottom <= 0;
    if (noCorners && !image.xtiled && !image.ytiled) return false;
    // Copies leave alpha 0 in a DIB section: an opaque composition can only
    // be copied out again, not blended.
    if (!useAlpha && (image.hole || image.fade != 255)) return false;
    const long long width = static_cast<long long>(dest.right) - dest.left;
    const long long height = static_cast<long long>(dest.bottom) - dest.top;
    if (width <= 0 || height <= 0 || width * height > kMaxComposedPixels) return false;
    RECT visible;
    if (!::IntersectRect(&visible, &dest, &paint)) return true;  // nothing to draw, nothing to compose

    TComposedGrid* grid = info.pComposed.get();
    if (!grid || grid->nWidth != width || grid->nHeight != height || !SameRect(grid->rcSource, source) ||
        !SameRect(grid->rcCorner, corners) || grid->bHole != image.hole || grid->bXTiled != image.xtiled ||
        grid->bYTiled != image.ytiled || grid->bAlpha != useAlpha) {
        info.pComposed.reset(new (std::nothrow) TComposedGrid);
        grid = info.pComposed.get();
        if (!grid) return false;
        grid->nWidth = static_cast<int>(width);
        grid->nHeight = static_cast<int>(height);
        grid->rcSource = source;
        grid->rcCorner = corners;
        grid->bHole = image.hole;
        grid->bXTiled = image.xtiled;
        grid->bYTiled = image.ytiled;
        grid->bAlpha = useAlpha;
        return false;
    }
    if (!grid->hBitmap) {
        const HDC target = CompositionDc();
        if (!target) return false;
        void* bits = nullptr;  // zeroed: blending each part over it leaves the part as it is
        win32::UniqueBitmap bitmap = CreateTopDownDib(target, grid->nWidth, grid->nHeight, bits);
        if (!bitmap) return false;
        {
            win32::SelectedObject selected(target, bitmap.get());
            const RECT whole = {0, 0, grid->nWidth, grid->nHeight};
            DrawImagePart(target, info.hBitmap.get(), whole, whole, source, corners, useAlpha, 255, image.hole,
                          image.xtiled, image.ytiled);
        }
        ::GdiFlush();  // the composition lands before its pixels are measured
        grid->hBitmap = std::move(bitmap);
        grid->pBits = bits;
    }

    const RECT whole = {0, 0, grid->nWidth, grid->nHeight};
    // A composition by copying leaves alpha 0: only a blended one has a coverage.
    const PixelCoverage* coverage =
        useAlpha ? CoverageOf(grid->coverage, grid->pBits, grid->nWidth, grid->nHeight) : nullptr;
    grid->sourceDc.For(grid->hBitmap.get());  // drawn paint after paint: kept selected
    DrawCoveredImagePart(hdc, grid->hBitmap.get(), dest, paint, whole, {0, 0, 0, 0}, useAlpha, image.fade, false,
                         false, false, coverage);
    return true;
}

bool DrawOneImage(HDC hdc, IRenderResourcesUI* resources, const RECT& control, const RECT& paint,
                  const ImageDescriptor& image)
{
    if (image.name.empty()) return false;
    const TImageInfo* info = resources->ImageFor(image.name);
    if (!info) info = resources->LoadImageEntry(image.name, image.type, image.mask);
    if (!info) return false;

    RECT source = ToRect(image.source);
    if (source.left == 0 && source.top == 0 && source.right == 0 && source.bottom == 0) {
        source.right = info->nWidth;
        source.bottom = info->nHeight;
    }
    // The part must lie inside the image: a blit never reads outside it.
    source.left = std::max(source.left, 0L);
    source.top = std::max(source.top, 0L);
    source.right = std::min(source.right, static_cast<LONG>(info->nWidth));
    source.bottom = std::min(source.bottom, static_cast<LONG>(info->nHeight));

    const RECT dest = ToRect(image.dest);
    RECT meet;
    if (!::IntersectRect(&meet, &dest, &control) || !::IntersectRect(&meet, &dest, &paint)) return true;
    const bool useAlpha = info->bAlpha || resources->IsBackgroundTransparent();
    if (DrawComposedGrid(hdc, *info, dest, paint, source, image, useAlpha)) return true;
    const PixelCoverage* coverage =
        useAlpha ? CoverageOf(info->coverage, info->pBits, info->nWidth, info->nHeight) : nullptr;
    info->sourceDc.For(info->hBitmap.get());  // drawn paint after paint: kept selected
    DrawCoveredImagePart(hdc, info->hBitmap.get(), dest, paint, source, ToRect(image.corner), useAlpha, image.fade,
                         image.hole, image.xtiled, image.ytiled, coverage);
    return true;
}

bool DrawImages(HDC hdc, IRenderResourcesUI* resources, const RECT& control, const RECT& paint,
                CImageDescriptorReader& reader)
{
    ImageDescriptor image;
    bool drawn = true;
    while (reader.Next(image))
        if (!DrawOneImage(hdc, resources, control, paint, image)) drawn = false;
    return drawn;
}

}  // namespace

bool DrawImageDescriptor(HDC hdc, IRenderResourcesUI* resources, const RECT& control, const RECT& paint,
                         std::wstring_view descriptor, std::wstring_view modifier)
{
    if (!hdc || !resources) return false;
    CImageDescriptorReader reader(descriptor, modifier, ToSkinRect(control), resources->DisplayScale());
    return DrawImages(hdc, resources, control, paint, reader);
}

bool DrawImageDescriptor(HDC hdc, IRenderResourcesUI* resources, const RECT& control, const RECT& paint,
                         const ImageDescriptorInput& descriptor, const ImageDescriptorInput& modifier)
{
    if (!hdc || !resources) return false;
    CImageDescriptorReader reader(descriptor, modifier, ToSkinRect(control), resources->DisplayScale());
    return DrawImages(hdc, resources, control, paint, reader);
}

bool ImageDescriptorCoversControl(IRenderResourcesUI* resources, const RECT& control,
                                  const CImageDescriptorPairs& descriptor)
{
    if (!resources || !descriptor.IsValid() || resources->IsBackgroundTransparent()) return false;
    CImageDescriptorReader reader(ImageDescriptorInput::Read(descriptor), {}, ToSkinRect(control),
                                  resources->DisplayScale());
    ImageDescriptor image;
    while (reader.Next(image)) {
        // A plain copy or stretch of an opaque image fills its destination.
        if (image.name.empty() || image.fade != 255 || image.hole || image.xtiled || image.ytiled) continue;
        const SkinRect& k = image.corner;
        if (k.left > 0 || k.top > 0 || k.right > 0 || k.bottom > 0) continue;
        const SkinRect& d = image.dest;
        if (d.left > control.left || d.top > control.top || d.right < control.right || d.bottom < control.bottom)
            continue;
        const TImageInfo* info = resources->ImageFor(image.name);  // not loaded yet: not known
        if (!info || info->bAlpha || !info->hBitmap) continue;
        RECT source = ToRect(image.source);
        if (source.left == 0 && source.top == 0 && source.right == 0 && source.bottom == 0) {
            source.right = info->nWidth;
            source.bottom = info->nHeight;
        }
        if (std::max(source.left, 0L) < std::min(source.right, static_cast<LONG>(info->nWidth)) &&
            std::max(source.top, 0L) < std::min(source.bottom, static_cast<LONG>(info->nHeight)))
            return true;
    }
    return false;
}

int DrawImagePart(HDC hdc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                  const RECT& corners, bool useAlpha, BYTE fade, bool hole, bool xtiled, bool ytiled)
{
    return DrawCoveredImagePart(hdc, bitmap, dest, paint, source, corners, useAlpha, fade, hole, xtiled, ytiled,
                                nullptr);
}

int DrawCoveredImagePart(HDC hdc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                         const RECT& corners, bool useAlpha, BYTE fade, bool hole, bool xtiled, bool ytiled,
                         const PixelCoverage* coverage)
{
    if (!hdc || !bitmap) return 0;
    // A bitmap kept selected in a DC of its own is drawn from there; any
    // other is selected into the thread's image DC for this call.
    HDC imageDc = FindBitmapSourceDc(bitmap);
    std::optional<win32::SelectedObject> selected;
    if (!imageDc) {
        imageDc = ImageSourceDc();
        if (!imageDc) return 0;
        selected.emplace(imageDc, bitmap);
    }

    BlitMode mode = BlitMode::Opaque;
    CDibTarget target;
    PixelBuffer imagePixels;
    if (useAlpha || fade != 255) {
        if (Msimg32().alphaBlend)
            mode = BlitMode::AlphaBlend;
        else if (target.Attach(hdc) && SelectedDibPixels(imageDc, imagePixels))
            mode = BlitMode::Software;
        else
            return 0;
    }

    int blits = 0;
    const bool noCorners = corners.left <= 0 && corners.top <= 0 && corners.right <= 0 && corners.bottom <= 0;
    const bool sameSize = dest.right - dest.left == source.right - source.left &&
                          dest.bottom - dest.top == source.bottom - source.top;
    if (noCorners && sameSize && !hole) {
        // Unscaled image: one blit or blend of the visible part.
        RECT visible;
        if (::IntersectRect(&visible, &dest, &paint)) {
            ImageGridPart part;
            part.dest = ToSkinRect(visible);
            part.source = {static_cast<int>(source.left + (visible.left - dest.left)),
                           static_cast<int>(source.top + (visible.top - dest.top)),
                           static_cast<int>(source.left + (visible.right - dest.left)),
                           static_cast<int>(source.top + (visible.bottom - dest.top))};
            BlitSink sink(hdc, imageDc, mode, fade, &target, &imagePixels, coverage);
            sink.DrawPart(part);
            blits = sink.Blits();
        }
    } else {
        ImageGridRequest request;
        request.dest = ToSkinRect(dest);
        request.paint = ToSkinRect(paint);
        request.source = ToSkinRect(source);
        request.corner = ToSkinRect(corners);
        request.hole = hole;
        request.xtiled = xtiled;
        request.ytiled = ytiled;
        // The centre comes first either way; from a block it is done here
        // and the grid draws only the edges and corners.
        if (!hole && (xtiled || ytiled) && DrawTiledCentre(hdc, imageDc, request, mode, fade, target, blits))
            request.hole = true;
        BlitSink sink(hdc, imageDc, mode, fade, &target, &imagePixels, coverage);
        ForEachImageGridPart(request, sink);
        blits += sink.Blits();
    }

    return blits;
}

bool SoftwareAlphaBlend(HDC hdc, HDC source, const RECT& dest, const RECT& sourcePart, BYTE fade)
{
    CDibTarget target;
    PixelBuffer image;
    if (!target.Attach(hdc) || !SelectedDibPixels(source, image)) return false;
    const SkinRect device = target.ToDevice(dest);
    for (int i = 0; i < target.ClipCount(); ++i)
        BlendPixels(target.Pixels(), device, image, ToSkinRect(sourcePart), fade, true, target.ClipAt(i));
    return true;
}

}  // namespace SkinUI
