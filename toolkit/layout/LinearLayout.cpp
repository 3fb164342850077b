#include "toolkit/layout/LinearLayout.h"

#include <vector>

#include "toolkit/layout/ContainerUI.h"
#include "toolkit/layout/RowArithmetic.h"

namespace SkinUI {
namespace {

// A column is a row with x and y swapped: sizes and rectangles pass through
// Turn on the way in and out (swapping is its own inverse), and a child's
// limits are read across.
class RowFrame {
public:
    explicit RowFrame(LayoutAxis axis) : m_swap(axis == LayoutAxis::Vertical) {}

    SkinSize Turn(SkinSize s) const { return m_swap ? SkinSize{s.cy, s.cx} : s; }
    SkinRect Turn(const SkinRect& r) const { return m_swap ? SkinRect{r.top, r.left, r.bottom, r.right} : r; }

    RowChild Describe(const CControlUI* child) const
    {
        const RECT p = child->Padding();
        RowChild row;
        row.padding = Turn(SkinRect{p.left, p.top, p.right, p.bottom});
        row.minWidth = m_swap ? child->MinHeight() : child->MinWidth();
        row.maxWidth = m_swap ? child->MaxHeight() : child->MaxWidth();
        row.minHeight = m_swap ? child->MinWidth() : child->MinHeight();
        row.maxHeight = m_swap ? child->MaxWidth() : child->MaxHeight();
        row.fixedHeight = m_swap ? child->FixedWidth() : child->FixedHeight();
        return row;
    }

    bool Swapped() const { return m_swap; }

private:
    bool m_swap;
};

struct MeasureContext {
    const RowFrame* row;
    const std::vector<CControlUI*>* children;
};

SkinSize MeasureChild(void* context, int index, SkinSize available)
{
    const auto* c = static_cast<MeasureContext*>(context);
    const SkinSize offered = c->row->Turn(available);
    const SIZE size = (*c->children)[static_cast<std::size_t>(index)]->MeasureSize({offered.cx, offered.cy});
    return c->row->Turn(SkinSize{size.cx, size.cy});
}

}  // namespace

void PlaceLinearChildren(CContainerUI& container, const RECT& contentRect, int childPadding, LayoutAxis axis)
{
    const RowFrame row(axis);
    std::vector<CControlUI*> laidOut;
    std::vector<RowChild> described;
    for (int i = 0; i < container.ChildCount(); ++i) {
        CControlUI* child = container.ChildAt(i);
        if (!child->IsVisible() || child->IsFloat()) continue;
        laidOut.push_back(child);
        described.push_back(row.Describe(child));
    }
    std::vector<SkinRect> placed(laidOut.size());
    MeasureContext context{&row, &laidOut};
    const SkinRect content =
        row.Turn(SkinRect{contentRect.left, contentRect.top, contentRect.right, contentRect.bottom});
    ArrangeRow(described.data(), static_cast<int>(described.size()), MeasureChild, &context, content, childPadding,
               placed.data());

    // Placed in child order; float children by their own offset.
    std::size_t next = 0;
    for (int i = 0; i < container.ChildCount(); ++i) {
        CControlUI* child = container.ChildAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            container.PlaceFloatChild(child);
            continue;
        }
        // A child made visible by a sibling's placement waits for the next layout.
        if (next >= laidOut.size() || laidOut[next] != child) continue;
        const SkinRect r = row.Turn(placed[next++]);
        child->Place({r.left, r.top, r.right, r.bottom});
    }
}

}  // namespace SkinUI
