// SPDX-License-Identifier: MIT
// A rectangle of the view tree that draws itself and reacts to the mouse, the keyboard and
// drag and drop. Its size is in its parent container's coordinates. A view is created with
// one reference held by its creator; a container that takes it holds another; it is attached
// while the container hangs from a frame.
#pragma once

#include "toolkit/CBaseObject.h"
#include "toolkit/CCoordRect.h"
#include "toolkit/VstKeyCode.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace VSTGUI {

class CBitmap;
class CDragContainer;
class CDrawContext;
class CFrame;
class CViewContainer;
class VSTGUIEditorInterface;

// Mouse button and modifier flags.
using CButtonState = std::int32_t;
inline constexpr CButtonState kButtonLeft = 0x2;
inline constexpr CButtonState kButtonMiddle = 0x4;
inline constexpr CButtonState kButtonRight = 0x8;
inline constexpr CButtonState kModShift = 0x10;
inline constexpr CButtonState kModControl = 0x20;
inline constexpr CButtonState kModAlt = 0x40;
inline constexpr CButtonState kButton4 = 0x100;
inline constexpr CButtonState kButton5 = 0x200;
inline constexpr CButtonState kDoubleClick = 0x400;

// Answers of the mouse-down, mouse-up and mouse-moved operations; other values pass through.
using CMouseEventResult = std::int32_t;
inline constexpr CMouseEventResult kMouseNotImplemented = 0;
inline constexpr CMouseEventResult kMouseHandled = 1;
inline constexpr CMouseEventResult kMouseNotHandled = 2;

enum CMouseWheelAxis : std::int32_t { kMouseWheelHorizontal = 0, kMouseWheelVertical = 1 };

// Autosize flags.
inline constexpr std::int32_t kAutosizeLeft = 0x1;
inline constexpr std::int32_t kAutosizeTop = 0x2;
inline constexpr std::int32_t kAutosizeRight = 0x4;
inline constexpr std::int32_t kAutosizeBottom = 0x8;
inline constexpr std::int32_t kAutosizeColumn = 0x10;
inline constexpr std::int32_t kAutosizeRow = 0x20;

// Messages, compared by the identity of these constants (not by their text).
extern const char* const kMsgCheckIfViewContainer;
extern const char* const kMsgNewFocusView;
extern const char* const kMsgOldFocusView;

using CViewAttributeID = std::uint32_t;

class CView : public CBaseObject {
public:
    explicit CView(const CCoordRect& size);
    ~CView() override;

    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CCoordRect& updateRect);
    virtual bool checkUpdate(const CCoordRect& rect) const;
    virtual bool isDirty() const;
    virtual void setDirty(bool dirty = true);
    virtual void invalidRect(const CCoordRect& rect);
    virtual void invalid();
    virtual void setVisible(bool visible);
    virtual CMouseEventResult onMouseDown(CCoordPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseUp(CCoordPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseMoved(CCoordPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseEntered(CCoordPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseExited(CCoordPoint& where, const CButtonState& buttons);
    virtual bool hitTest(const CCoordPoint& where, const CButtonState& buttons = -1);
    virtual bool onWheel(const CCoordPoint& where, const float& distance,
                         const CButtonState& buttons);
    virtual bool onWheel(const CCoordPoint& where, const CMouseWheelAxis& axis,
                         const float& distance, const CButtonState& buttons);
    virtual void setMouseEnabled(bool enabled) { m_mouseEnabled = enabled; }
    virtual bool getMouseEnabled() const { return m_mouseEnabled; }
    virtual void setMouseableArea(const CCoordRect& area) { m_mouseableArea = area; }
    virtual CCoordRect& getMouseableArea(CCoordRect& area) const;
    virtual const CCoordRect& getMouseableArea() const { return m_mouseableArea; }
    virtual bool onDrop(CDragContainer* drag, const CCoordPoint& where);
    virtual void onDragEnter(CDragContainer* drag, const CCoordPoint& where);
    virtual void onDragLeave(CDragContainer* drag, const CCoordPoint& where);
    virtual void onDragMove(CDragContainer* drag, const CCoordPoint& where);
    virtual std::int32_t onKeyDown(VstKeyCode& key);
    virtual std::int32_t onKeyUp(VstKeyCode& key);
    virtual void setViewSize(const CCoordRect& size, bool invalidate = true);
    virtual CCoordRect& getViewSize(CCoordRect& size) const;
    virtual const CCoordRect& getViewSize() const { return m_size; }
    virtual CCoordRect getVisibleSize() const;
    virtual void parentSizeChanged() {}
    virtual CCoordPoint& frameToLocal(CCoordPoint& point) const;
    virtual CCoordPoint& localToFrame(CCoordPoint& point) const;
    virtual void setAutosizeFlags(std::int32_t flags) { m_autosizeFlags = flags; }
    virtual std::int32_t getAutosizeFlags() const { return m_autosizeFlags; }
    virtual void focusLost() {}
    virtual void focusTaken() {}
    virtual bool wantsFocus() const { return m_wantsFocus; }
    virtual void setWantsFocus(bool wants) { m_wantsFocus = wants; }
    virtual void setBackground(CBitmap* background);
    virtual CBitmap* getBackground() const { return m_background; }
    virtual void setTransparency(bool transparent) { m_transparency = transparent; }
    virtual bool getTransparency() const { return m_transparency; }
    virtual bool removed(CView* parent);
    virtual bool attached(CView* parent);
    virtual VSTGUIEditorInterface* getEditor() const;
    virtual bool isTypeOf(const char* type) const;
    virtual CView* newCopy() const;
    // Old-style mouse tracking entry; nothing by default.
    virtual void mouse(CDrawContext* context, CCoordPoint& where, CButtonState buttons = -1);
    virtual void getMouseLocation(CDrawContext* context, CCoordPoint& point);
    virtual void setParentView(CView* parent) { m_parentView = parent; }
    virtual void setParentFrame(CFrame* frame) { m_parentFrame = frame; }
    virtual CCoordPoint& viewToFrame(CCoordPoint& point) const;

    bool isAttached() const { return m_attached; }
    bool isVisible() const { return m_visible; }
    CView* getParentView() const { return m_parentView; }
    CFrame* getFrame() const { return m_parentFrame; }

    // Tagged byte blocks. Setting an existing tag copies in place, growing only when needed;
    // reading fails when the caller's buffer is smaller than the stored block.
    bool setAttribute(CViewAttributeID id, std::int32_t size, const void* data);
    bool getAttributeSize(CViewAttributeID id, std::int32_t& size) const;
    bool getAttribute(CViewAttributeID id, std::int32_t inSize, void* data,
                      std::int32_t& outSize) const;
    bool removeAttribute(CViewAttributeID id);

protected:
    // Copy construction for newCopy: size, mouseable area, flags (not dirty, not attached, no
    // parents, visible), autosize flags, background (one more reference), attributes.
    CView(const CView& other);
    CView& operator=(const CView&) = delete;

    struct Attribute {
        CViewAttributeID id = 0;
        std::int32_t size = 0;
        std::int32_t capacity = 0;
        std::unique_ptr<unsigned char[]> bytes;
    };

    CCoordRect m_size;
    CCoordRect m_mouseableArea;
    CFrame* m_parentFrame = nullptr;
    CView* m_parentView = nullptr;
    bool m_dirty = false;
    bool m_mouseEnabled = true;
    bool m_transparency = false;
    bool m_wantsFocus = false;
    bool m_attached = false;
    bool m_visible = true;
    std::int32_t m_autosizeFlags = 0;
    CBitmap* m_background = nullptr;
    std::vector<Attribute> m_attributes;
};

} // namespace VSTGUI
