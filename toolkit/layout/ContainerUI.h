// Controls that hold child controls: the child list, inset and child
// padding, float placement, painting with clipping and tree searches.
#pragma once

#include <memory>
#include <vector>

#include "toolkit/controls/ControlUI.h"

namespace SkinUI {

// Reached through InterfaceFor("IContainer").
class IContainerUI {
public:
    virtual CControlUI* ChildAt(int index) const = 0;
    virtual int IndexOf(CControlUI* child) const = 0;  // -1 when absent
    virtual bool MoveChildTo(CControlUI* child, int index) = 0;
    virtual int ChildCount() const = 0;
    // The container takes ownership of an added child; a child that could
    // not be added (false) stays the caller's.
    virtual bool Add(CControlUI* child) = 0;
    virtual bool AddAt(CControlUI* child, int index) = 0;
    // False for a control that is no child, and when the window cannot take
    // the child for its delayed deletion (out of memory): it stays a child.
    virtual bool Remove(CControlUI* child) = 0;
    virtual bool RemoveAt(int index) = 0;
    // Out of memory, the children that cannot be queued for deletion stay.
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    std::wstring_view ClassName() const override;
    void* InterfaceFor(std::wstring_view name) override;

    CControlUI* ChildAt(int index) const override;
    int IndexOf(CControlUI* child) const override;
    bool MoveChildTo(CControlUI* child, int index) override;
    int ChildCount() const override;
    bool Add(CControlUI* child) override;
    bool AddAt(CControlUI* child, int index) override;
    bool Remove(CControlUI* child) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    void AttachManager(IControlHostUI* manager, CControlUI* parent, bool initialise = true) override;
    void SetVisible(bool visible = true) override;
    void SetInnerVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(TEventRecord& event) override;
    void ApplyAttribute(std::wstring_view name, std::wstring_view value) override;
    void Place(const RECT& rect) override;
    void Paint(HDC hdc, const RECT& paint) override;
    CControlUI* Search(FindControlProc proc, void* data, UINT flags) override;

    virtual RECT Inset() const;
    virtual void SetInset(const RECT& inset);
    virtual int ChildPadding() const;
    virtual void SetChildPadding(int padding);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool on);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool on);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool on);
    // Places a visible float child by its offset and fixed size, relative to
    // the container's rectangle (a negative offset anchors to the far edge).
    virtual void PlaceFloatChild(CControlUI* child);

protected:
    void ScaleGeometry(const CDisplayScale& from, const CDisplayScale& to) override;
    // The rectangle minus the inset.
    RECT ContentRect() const;
    // A removed child leaves the window: deleted, queued for deletion when
    // deletion must wait, or handed back (auto-destroy off). Only queueing
    // throws (std::bad_alloc), and then the child is still in `child`.
    void DisposeChild(std::unique_ptr<CControlUI>& child);

    // Owned while they are children; without auto-destroy a removed child
    // (or every child, when the container goes) is released, not deleted.
    std::vector<std::unique_ptr<CControlUI>> m_items;

    // Whether a child of this container paints every pixel of `area` opaque.
    bool ChildPaintsOpaque(const RECT& area) const;

private:
    static bool PaintsOpaque(CControlUI* control, const RECT& area);
    void PaintChild(HDC hdc, CControlUI* child, const RECT& paint, const RECT& bound, const RECT& clip);

protected:
    RECT m_rcInset = {0, 0, 0, 0};
    int m_iChildPadding = 0;
    bool m_bAutoDestroy = true;
    bool m_bDelayedDestroy = true;
    bool m_bMouseChildEnabled = true;
    int m_nScrollStepSize = 0;
};

}  // namespace SkinUI
