// SPDX-License-Identifier: MIT
// The root of the view tree and the owner of the native child window in which the editor
// shows itself.
//
// Lifecycle: created inside the host's parent window (the window class is registered by the
// first frame of the module, the child window made, dropping activated) → running (messages
// from the back end's window procedure become mouse, wheel and paint events of the tree; the
// editor's idle redraws dirty views) → window destroyed (by the host or the frame; the open
// flag drops) → frame destroyed (children released, window destroyed, the class unregistered
// by the last frame). A frame without a parent window has no window: it holds views and draws
// into given contexts, but paints nothing by itself.
// Everything runs on the thread that owns the window.                              [ui]
#pragma once

#include "toolkit/CDropHandler.h"
#include "toolkit/CViewContainer.h"
#include "toolkit/platform/WindowSystem.h"

#include <cstdint>

namespace VSTGUI {

class CMouseObserver;
class COffscreenContext;
class VSTGUIEditorInterface;

class CFrame : public CViewContainer, public platform::WindowMessageSink {
public:
    CFrame(const CCoordRect& size, platform::WindowHandle parentWindow,
           VSTGUIEditorInterface* editor);
    ~CFrame() override;

    virtual bool isOpen() const { return m_open; }
    virtual void idle();
    virtual void doIdleStuff();
    virtual std::uint32_t getTicks() const;
    virtual std::int32_t getKnobMode() const;
    // Kept for its slot; answers 0.
    virtual std::intptr_t legacyQuery(std::intptr_t value);
    virtual bool getPosition(std::int32_t& x, std::int32_t& y) const;
    virtual bool setSize(double width, double height);
    virtual bool getSize(CCoordRect& size) const;
    virtual bool getSize(CCoordRect* size) const;
    // Refused while a modal view exists or for an attached view; none ends the modal view.
    virtual bool setModalView(CView* view);
    virtual CView* getModalView() const { return m_modalView; }
    virtual void beginEdit(std::int32_t index);
    virtual void endEdit(std::int32_t index);
    // Pointer position relative to the window.
    virtual bool getCurrentMouseLocation(CCoordPoint& where) const;
    virtual CButtonState getCurrentMouseButtons() const;
    // 0 restores the cursor in force before the first change; see window_system::setSystemCursor.
    virtual void setCursor(std::int32_t shape);
    virtual void setFocusView(CView* view);
    virtual CView* getFocusView() const { return m_focusView; }
    virtual void onViewRemoved(CView* view);
    virtual bool setDropActive(bool active);
    virtual bool isDropActive() const { return m_dropActive; }
    virtual void setOpenFlag(bool open) { m_open = open; }
    virtual bool getOpenFlag() const { return m_open; }
    // Marks dirty every direct child overlapping `rect` (touching edges count).
    virtual void invalidate(const CCoordRect& rect);
    virtual CMouseObserver* getMouseObserver() const { return m_mouseObserver; }
    virtual void setMouseObserver(CMouseObserver* observer) { m_mouseObserver = observer; }
    virtual void getCurrentMouseLocation(CCoordPoint* where) const;

    // -- replaced container operations --
    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CCoordRect& updateRect) override;
    void invalidRect(const CCoordRect& rect) override;
    void invalid() override;
    CMouseEventResult onMouseDown(CCoordPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CCoordPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CCoordPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CCoordPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CCoordPoint& where, const float& distance,
                 const CButtonState& buttons) override;
    bool onWheel(const CCoordPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override;
    std::int32_t onKeyDown(VstKeyCode& key) override;
    std::int32_t onKeyUp(VstKeyCode& key) override;
    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override;
    bool removeView(CView* view, bool release = true) override;
    bool removeAll(bool release = true) override;
    bool advanceNextFocusView(CView* current, bool backwards = false) override;
    CView* getCurrentView() const override;
    void mouse(CDrawContext* context, CCoordPoint& where, CButtonState buttons = -1) override;

    // A new context on the frame's window (the caller releases it).
    CDrawContext* createDrawContext();

    // Native messages of the frame's window, as the back end translates them.
    platform::MessageAnswer handleWindowMessage(const platform::WindowMessage& message) override;

    VSTGUIEditorInterface* getEditor() const override { return m_editor; }
    platform::WindowHandle getWindow() const { return m_window; }
    platform::WindowHandle getParentWindow() const { return m_parentWindow; }
    COffscreenContext* getBackBuffer() const { return m_backBuffer; }

    // Mouse buttons and modifiers as they are now (physical buttons swapped back when the
    // system swaps them).
    static CButtonState pollButtonState();
    // Module-wide facts, for tests and the draw context.
    static std::int32_t windowClassUseCount();
    static bool buttonsSwapped();

private:
    CButtonState flagsFromKeyState(std::uint32_t keyState) const;
    void createWindow();
    void paint(const platform::WindowMessage& message);

    VSTGUIEditorInterface* m_editor = nullptr;
    CMouseObserver* m_mouseObserver = nullptr;
    platform::WindowHandle m_parentWindow = nullptr;
    CView* m_modalView = nullptr;
    CView* m_focusView = nullptr;
    CView* m_mouseOverView = nullptr;
    bool m_open = true;
    bool m_dropActive = false;
    platform::WindowHandle m_window = nullptr;
    CDropHandler m_dropHandler;
    COffscreenContext* m_backBuffer = nullptr;
    bool m_leaveTracking = false;
    platform::CursorHandle m_savedCursor = nullptr;
    bool m_cursorSaved = false;
    bool m_threadUseBegun = false;
    bool m_doubleBuffered = true;
};

} // namespace VSTGUI
