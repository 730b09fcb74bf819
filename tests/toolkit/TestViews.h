// SPDX-License-Identifier: MIT
// Views that write what happens to them into a shared journal, for the view tree, frame and
// drop tests.
#pragma once

#include "toolkit/CDrawContext.h"
#include "toolkit/CViewContainer.h"

#include <cstdio>
#include <string>
#include <vector>

namespace VSTGUI::test {

using Journal = std::vector<std::string>;

inline std::string pointText(const CCoordPoint& p) {
    char text[64];
    std::snprintf(text, sizeof text, "%g,%g", p.x, p.y);
    return text;
}

inline std::string rectText(const CCoordRect& r) {
    char text[96];
    std::snprintf(text, sizeof text, "%g,%g,%g,%g", r.left, r.top, r.right, r.bottom);
    return text;
}

class JournalView : public CView {
public:
    JournalView(const std::string& name, const CCoordRect& size, Journal& journal)
        : CView(size), m_name(name), m_journal(&journal) {}

    CMouseEventResult downAnswer = kMouseHandled;
    CMouseEventResult upAnswer = kMouseHandled;
    CMouseEventResult moveAnswer = kMouseHandled;
    std::int32_t keyAnswer = -1;
    bool wheelAnswer = true;
    bool dropAnswer = true;

    using CView::onWheel;

    void drawRect(CDrawContext* context, const CCoordRect& update) override {
        CCoordRect clip;
        context->getClipRect(clip);
        note("draw update=" + rectText(update) + " clip=" + rectText(clip) +
             " offset=" + pointText(context->getOffset()));
        setDirty(false);
    }
    CMouseEventResult onMouseDown(CCoordPoint& where, const CButtonState& buttons) override {
        note("down " + pointText(where) + " flags=" + std::to_string(buttons));
        return downAnswer;
    }
    CMouseEventResult onMouseUp(CCoordPoint& where, const CButtonState& buttons) override {
        note("up " + pointText(where) + " flags=" + std::to_string(buttons));
        return upAnswer;
    }
    CMouseEventResult onMouseMoved(CCoordPoint& where, const CButtonState& buttons) override {
        note("move " + pointText(where) + " flags=" + std::to_string(buttons));
        return moveAnswer;
    }
    CMouseEventResult onMouseEntered(CCoordPoint& where, const CButtonState&) override {
        note("entered " + pointText(where));
        return kMouseHandled;
    }
    CMouseEventResult onMouseExited(CCoordPoint& where, const CButtonState&) override {
        note("exited " + pointText(where));
        return kMouseHandled;
    }
    void mouse(CDrawContext* context, CCoordPoint& where, CButtonState buttons) override {
        note(std::string("mouse ") + pointText(where) + " flags=" + std::to_string(buttons) +
             (context ? " context" : " none"));
    }
    bool onWheel(const CCoordPoint& where, const float& distance,
                 const CButtonState& buttons) override {
        char text[96];
        std::snprintf(text, sizeof text, "wheel %s %g flags=%d", pointText(where).c_str(),
                      static_cast<double>(distance), buttons);
        note(text);
        return wheelAnswer;
    }
    std::int32_t onKeyDown(VstKeyCode& key) override {
        note("keydown " + std::to_string(key.virt));
        return keyAnswer;
    }
    std::int32_t onKeyUp(VstKeyCode& key) override {
        note("keyup " + std::to_string(key.virt));
        return keyAnswer;
    }
    void onDragEnter(CDragContainer*, const CCoordPoint& where) override {
        note("dragenter " + pointText(where));
    }
    void onDragMove(CDragContainer*, const CCoordPoint& where) override {
        note("dragmove " + pointText(where));
    }
    void onDragLeave(CDragContainer*, const CCoordPoint& where) override {
        note("dragleave " + pointText(where));
    }
    bool onDrop(CDragContainer*, const CCoordPoint& where) override {
        note("drop " + pointText(where));
        return dropAnswer;
    }
    void focusLost() override { note("focuslost"); }
    void focusTaken() override { note("focustaken"); }

private:
    void note(const std::string& what) { m_journal->push_back(m_name + ": " + what); }

    std::string m_name;
    Journal* m_journal;
};

// A container that notes the focus messages it is sent.
class JournalContainer : public CViewContainer {
public:
    JournalContainer(const std::string& name, const CCoordRect& size, Journal& journal)
        : CViewContainer(size), m_name(name), m_journal(&journal) {}

    CMessageResult notify(CBaseObject* sender, const char* message) override {
        if (message == kMsgNewFocusView || message == kMsgOldFocusView)
            m_journal->push_back(m_name + ": " + message);
        return CViewContainer::notify(sender, message);
    }

private:
    std::string m_name;
    Journal* m_journal;
};

} // namespace VSTGUI::test
