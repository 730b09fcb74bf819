// SPDX-License-Identifier: MIT
// A view holding an ordered list of child views, back to front: the first child is drawn
// first, the last is on top and gets the mouse first. Children are positioned relative to
// the container's top-left corner; drawing, hit-testing and events are passed down in that
// coordinate system. The container holds one reference on each child.
#pragma once

#include "toolkit/CRgbaColor.h"
#include "toolkit/CView.h"

#include <vector>

namespace VSTGUI {

class COffscreenContext;

class CViewContainer : public CView {
public:
    explicit CViewContainer(const CCoordRect& size);
    ~CViewContainer() override;

    // -- replaced view operations --
    CMessageResult notify(CBaseObject* sender, const char* message) override;
    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CCoordRect& updateRect) override;
    bool isDirty() const override;
    void invalidRect(const CCoordRect& rect) override;
    void invalid() override;
    CMouseEventResult onMouseDown(CCoordPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CCoordPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CCoordPoint& where, const CButtonState& buttons) override;
    bool hitTest(const CCoordPoint& where, const CButtonState& buttons = -1) override;
    bool onWheel(const CCoordPoint& where, const float& distance,
                 const CButtonState& buttons) override;
    bool onWheel(const CCoordPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override;
    bool onDrop(CDragContainer* drag, const CCoordPoint& where) override;
    void onDragEnter(CDragContainer* drag, const CCoordPoint& where) override;
    void onDragLeave(CDragContainer* drag, const CCoordPoint& where) override;
    void onDragMove(CDragContainer* drag, const CCoordPoint& where) override;
    std::int32_t onKeyDown(VstKeyCode& key) override;
    std::int32_t onKeyUp(VstKeyCode& key) override;
    void setViewSize(const CCoordRect& size, bool invalidate = true) override;
    void parentSizeChanged() override;
    CCoordPoint& frameToLocal(CCoordPoint& point) const override;
    CCoordPoint& localToFrame(CCoordPoint& point) const override;
    void focusLost() override;
    void focusTaken() override;
    bool removed(CView* parent) override;
    bool attached(CView* parent) override;
    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override;
    void mouse(CDrawContext* context, CCoordPoint& where, CButtonState buttons = -1) override;

    // -- the container's own operations --
    virtual bool addView(CView* view);
    virtual bool addView(CView* view, const CCoordRect& mouseableArea, bool mouseEnabled = true);
    // Inserts `view` below `before`; at the end when `before` is not a child.
    virtual bool addView(CView* view, CView* before);
    // Releases the container's reference; with `release` also one for the caller's.
    virtual bool removeView(CView* view, bool release = true);
    virtual bool removeAll(bool release = true);
    virtual bool isChild(CView* view) const;
    virtual std::int32_t getNbViews() const;
    virtual CView* getView(std::int32_t index) const;
    virtual CView* getViewAt(const CCoordPoint& where, bool deep = false) const;
    virtual CViewContainer* getContainerAt(const CCoordPoint& where, bool deep = true);
    virtual void setBackgroundColor(const CRgbaColor& color);
    virtual CRgbaColor getBackgroundColor() const { return m_backgroundColor; }
    virtual void setBackgroundOffset(const CCoordPoint& offset) { m_backgroundOffset = offset; }
    virtual const CCoordPoint& getBackgroundOffset() const { return m_backgroundOffset; }
    virtual void drawBackgroundRect(CDrawContext* context, const CCoordRect& rect);
    virtual void setDrawInOffscreen(bool offscreen);
    virtual bool advanceNextFocusView(CView* current, bool backwards = false);
    virtual void updateDirtyViews();
    using CView::getVisibleSize;
    // `rect` (a child's rectangle) clipped by this container and its ancestors.
    virtual CCoordRect getVisibleSize(const CCoordRect& rect) const;
    virtual CView* getCurrentView() const;
    virtual bool checkUpdateRect(CView* view, const CCoordRect& rect) const;
    virtual bool hitTestSubViews(const CCoordPoint& where, const CButtonState& buttons = -1);

    bool getDrawInOffscreen() const { return m_drawInOffscreen; }
    CView* getMouseDownView() const { return m_mouseDownView; }

protected:
    CViewContainer(const CViewContainer& other);
    // Unlinks and releases one child (the caller has checked that it is one).
    void detachChild(CView* view, bool release, bool tellInvalid);
    void drawChildren(CDrawContext* context, const CCoordRect& updateRect);

    std::vector<CView*> m_children;
    COffscreenContext* m_offscreen = nullptr;
    CRgbaColor m_backgroundColor = kBlackCColor;
    CCoordPoint m_backgroundOffset;
    bool m_drawInOffscreen = false;
    CView* m_dragView = nullptr;
    CView* m_mouseDownView = nullptr;
};

} // namespace VSTGUI
